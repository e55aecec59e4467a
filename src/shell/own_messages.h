#pragma once
// The program's own windows, and the messages the program itself sends them, told apart from
// copies that other programs send or post.
//
// Any program can send or post any message to this program's windows. Acting on a copy would
// size the view to whatever the sender chose (0 x 0 with SIZE_MINIMIZED), take a window's drop
// target, its subclass hook or its state apart while it lives on, or carry out a request that
// only the program may make. So one mechanism answers "is this message one the program itself
// sent": the program marks every message it sends, posts or brings about (DestroyWindow sends
// WM_DESTROY and WM_NCDESTROY) to one of its windows with an OwnMessage, for as long as the
// message may arrive, and the receiving procedure asks is_own_message.
//
// The system sends WM_SIZE, WM_MOVE, WM_SETFOCUS, WM_DESTROY and WM_NCDESTROY straight to a
// window procedure and never posts them, and neither does the program: the message pumps drop
// queued copies addressed to the program's own windows (is_forged_system_message). Windows of
// other modules in this process (the engine's) are left alone: what they do with their own
// messages is theirs to decide. The procedures do not rely on the pumps alone: other pumps (the
// system's modal move and menu loops) dispatch whatever is queued, and a copy that is sent never
// passes a pump at all. They take sizes from the window itself and act on destruction only when
// it is the program's own.
#include <windows.h>

namespace mirvot {

// RegisterClassExW for a class of the program's own windows, which are then known by the class's
// window procedure (a subclass, such as the view's hook, does not change that). Returns what
// RegisterClassExW returned.
ATOM register_own_window_class(const WNDCLASSEXW& windowClass) noexcept;

// Whether `window` is of a class registered through register_own_window_class.
[[nodiscard]] bool is_own_window(HWND window) noexcept;

// Marks `message` to `window` as the program's own while this object lives. Marks live on their
// creator's stack or in a window's state; nothing here allocates, and all of them belong to the
// one thread that owns the program's windows.
class OwnMessage {
 public:
  OwnMessage(HWND window, UINT message) noexcept;
  ~OwnMessage();
  OwnMessage(const OwnMessage&) = delete;
  OwnMessage& operator=(const OwnMessage&) = delete;

 private:
  friend bool is_own_message(HWND window, UINT message) noexcept;

  HWND window_;
  UINT message_;
  OwnMessage* previous_;
  OwnMessage* next_ = nullptr;
};

// Whether `message` to `window` is marked as the program's own right now.
[[nodiscard]] bool is_own_message(HWND window, UINT message) noexcept;

// DestroyWindow(window), with the WM_DESTROY and WM_NCDESTROY it sends marked as the program's
// own. Returns what DestroyWindow returned.
[[nodiscard]] BOOL destroy_own_window(HWND window) noexcept;

// Whether a queued message is a copy of one the system only sends, addressed to one of the
// program's own windows and not marked as the program's own: the pumps drop those.
[[nodiscard]] bool is_forged_system_message(const MSG& message) noexcept;

}  // namespace mirvot
