#pragma once
// The program's own windows, known by their classes' window procedures, and the pumps' filter of
// queued copies of the messages the system only sends.
//
// The system sends WM_SIZE, WM_MOVE, WM_SETFOCUS, WM_DESTROY and WM_NCDESTROY straight to a
// window procedure and never posts them, and neither does the program: a queued copy addressed to
// one of the program's own windows was posted by someone else, and acting on it would size the
// view to whatever the sender chose (0 x 0 with SIZE_MINIMIZED) or take the window apart while it
// lives on. The message pumps drop such copies. Windows of other modules in this process (the
// engine's) are left alone: what they do with their own messages is theirs to decide. The
// procedures do not rely on the pumps alone: other pumps (the system's modal move and menu loops)
// dispatch whatever is queued, and a copy that is sent never passes a pump at all. They take sizes
// from the window itself and act on destruction and requests only when they are the program's
// own (common/own_messages.h).
#include <windows.h>

namespace mirvot {

// RegisterClassExW for a class of the program's own windows, which are then known by the class's
// window procedure (a subclass, such as the view's hook, does not change that). Returns what
// RegisterClassExW returned.
ATOM register_own_window_class(const WNDCLASSEXW& windowClass) noexcept;

// Whether `window` is of a class registered through register_own_window_class.
[[nodiscard]] bool is_own_window(HWND window) noexcept;

// Whether a queued message is a copy of one the system only sends, addressed to one of the
// program's own windows: the pumps drop those. The program's own marks (common/own_messages.h)
// never apply here: they cover messages it sends, and a queued copy was posted.
[[nodiscard]] bool is_forged_system_message(const MSG& message) noexcept;

}  // namespace mirvot
