#pragma once
// The program's own destruction of its windows, told apart from copies of the messages that
// destruction brings.
//
// The system sends WM_DESTROY and WM_NCDESTROY only from inside DestroyWindow, which no other
// program can call on this program's windows. Any other program can still send or post copies
// of them, and a window that took such a copy at its word would revoke its drop target, drop
// its view's hook or free its state while it lives on. So the program destroys its windows
// through destroy_own_window, and their procedures act on those messages only while it runs.
#include <windows.h>

namespace mirvot {

// DestroyWindow(window), during which is_destroyed_by_program(window) is true. Returns what
// DestroyWindow returned.
BOOL destroy_own_window(HWND window) noexcept;

// Whether `window` is being destroyed by a destroy_own_window call right now.
[[nodiscard]] bool is_destroyed_by_program(HWND window) noexcept;

}  // namespace mirvot
