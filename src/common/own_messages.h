#pragma once
// The messages the program itself sends to its own windows, told apart from copies that other
// programs send or post.
//
// Any program can send or post any message to this program's windows. Acting on a copy would
// take a window's drop target, its subclass hook or its state apart while it lives on, or carry
// out a request that only the program may make. So one mechanism answers "is this message one
// the program itself sent": the program marks every message it sends, posts or brings about
// (DestroyWindow sends WM_DESTROY and WM_NCDESTROY) to one of its windows with an OwnMessage, for
// as long as the message may arrive, and the receiving procedure asks IsOwnMessage.
#include <windows.h>

namespace mirvot {

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
  friend bool IsOwnMessage(HWND window, UINT message) noexcept;

  HWND window_;
  UINT message_;
  OwnMessage* previous_;
  OwnMessage* next_ = nullptr;
};

// Whether `message` to `window` is marked as the program's own right now.
[[nodiscard]] bool IsOwnMessage(HWND window, UINT message) noexcept;

// DestroyWindow(window), with the WM_DESTROY and WM_NCDESTROY it sends marked as the program's
// own: the program destroys its windows this way only. Returns what DestroyWindow returned.
[[nodiscard]] BOOL DestroyOwnWindow(HWND window) noexcept;

}  // namespace mirvot
