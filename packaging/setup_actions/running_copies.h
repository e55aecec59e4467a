#pragma once
// Copies of Mirvot that run from one particular file, found through their main window and asked
// to close the way a user closes them: WM_CLOSE on that window, which ends the program at once.
//
// Plain Win32 without the C++ library: this code is stored in every package, and the library's
// exception support alone would make it ten times larger.
#include <windows.h>

#include "common/owners.h"

namespace mirvot::setup {

struct RunningCopy {
  DWORD processId = 0;
  HWND mainWindow = nullptr;
  UniqueHandle process;  // opened for SYNCHRONIZE and query access
};

// As many copies as one wait can watch; more than that are left to Windows Installer's own
// handling of files in use.
struct RunningCopies {
  RunningCopy copies[MAXIMUM_WAIT_OBJECTS];
  DWORD count = 0;
};

// Adds to `found` the main windows (class "Window Class", title "Mirvot") of this desktop whose
// process runs `exePath`. Images are compared as files, not as text, so that another spelling of
// the same path (short names, case, another drive mapping) still matches. Nothing is added when
// the file is missing.
void FindRunningCopies(const wchar_t* exePath, RunningCopies& found);

// Posts WM_CLOSE to each copy's main window, then waits until every process has ended or
// `waitMs` has passed. Returns the number of copies still running.
DWORD CloseRunningCopies(const RunningCopies& copies, DWORD waitMs);

}  // namespace mirvot::setup
