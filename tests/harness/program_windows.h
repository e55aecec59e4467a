#pragma once
// Mirvot.exe's windows seen from another process.
#include <windows.h>

namespace mirvot::test {

// The main window of a process: class "Window Class", title "Mirvot"; null when there is none.
HWND FindMainWindowOf(DWORD processId);

}  // namespace mirvot::test
