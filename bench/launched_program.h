#pragma once
// One benchmarked program run: started with the runner's environment, its creation moment taken
// from the system (GetProcessTimes), closed like a user would close it.
#include <windows.h>

#include <string>

#include "common/owners.h"
#include "precise_time.h"

namespace mirvot::bench {

struct LaunchedProgram {
  UniqueHandle process;
  UniqueHandle thread;
  DWORD processId = 0;
  // When the system created the process: the start of every start-up figure.
  FileTimeTicks createdAt = 0;
};

// Starts the program with the runner's current environment; `arguments` (may be empty) follow
// the quoted program path on its command line.
HRESULT Launch(const std::wstring& exePath, const std::wstring& arguments,
               LaunchedProgram& launched);

// True while the process has not ended.
bool IsRunning(const LaunchedProgram& program);

// Asks the window to close (WM_CLOSE) and waits for the process to end; a process that does not
// end within timeoutMs is terminated. Returns true when it ended by itself.
bool CloseAndWait(const LaunchedProgram& program, HWND mainWindow, DWORD timeoutMs);

}  // namespace mirvot::bench
