#pragma once
// Mirvot.exe's windows seen from another process.
#include <windows.h>

namespace mirvot::test {

// The main window of a process: class "Window Class", title "Mirvot"; null when there is none.
HWND FindMainWindowOf(DWORD processId);

// Posts a message, waiting for room while the receiving thread's queue is full.
bool PostPatiently(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace mirvot::test
