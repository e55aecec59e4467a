#pragma once
// Messages that only another program can have put in this thread's queue.
//
// The system sends WM_SIZE, WM_MOVE, WM_SETFOCUS, WM_DESTROY and WM_NCDESTROY straight to a
// window procedure; it never posts them. A queued copy addressed to one of this program's own
// windows was posted by someone else, and acting on it would size the view to whatever the
// sender chose (0 x 0 with SIZE_MINIMIZED), or take the window's drop target, its subclass hook
// and its state apart while the window lives on. The message pumps drop such copies instead of
// dispatching them. Windows of other modules in this process (the engine's) are left alone:
// what they do with their own messages is theirs to decide.
//
// The window procedures do not rely on this filter: other pumps (the system's modal move and
// menu loops) dispatch whatever is queued, and a copy that is sent never passes a pump at all.
// They take sizes from the window itself and act on its destruction only while the program
// destroys it (window_destruction.h).
#include <windows.h>

namespace mirvot {

[[nodiscard]] bool is_forged_system_message(const MSG& message) noexcept;

}  // namespace mirvot
