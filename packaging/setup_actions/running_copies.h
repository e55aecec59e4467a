#pragma once
// Copies of Mirvot that run from one particular file, found through their main window and asked
// to close the way a user closes them: WM_CLOSE on that window, which ends the program at once.
#include <windows.h>

#include <string>
#include <vector>

#include "common/owners.h"

namespace mirvot::setup {

struct RunningCopy {
  DWORD processId = 0;
  HWND mainWindow = nullptr;
  UniqueHandle process;  // opened for SYNCHRONIZE and query access
};

// The main windows (class "Window Class", title "Mirvot") of this desktop whose process runs
// `exePath`. Images are compared as files, not as text, so that another spelling of the same path
// (short names, case, a different drive mapping) still matches. Empty when the file is missing.
[[nodiscard]] std::vector<RunningCopy> FindRunningCopies(const std::wstring& exePath);

// Posts WM_CLOSE to each copy's main window, then waits until every process has ended or `waitMs`
// has passed. Returns the copies that are still running.
[[nodiscard]] std::vector<RunningCopy> CloseRunningCopies(std::vector<RunningCopy> copies,
                                                          DWORD waitMs);

}  // namespace mirvot::setup
