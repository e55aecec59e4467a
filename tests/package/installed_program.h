#pragma once
// Mirvot.exe started from where the package installed it, as the Start menu starts it: with this
// process's environment, so that it finds its runtime the way it would on a user's machine.
#include <windows.h>

#include <optional>
#include <string>

#include "common/owners.h"

namespace mirvot::test {

class InstalledProgram {
 public:
  explicit InstalledProgram(const std::wstring& exePath);
  // A program still running when the test ends is ended.
  ~InstalledProgram();
  InstalledProgram(const InstalledProgram&) = delete;
  InstalledProgram& operator=(const InstalledProgram&) = delete;

  [[nodiscard]] bool started() const { return process_.valid(); }
  // The main window ("Window Class", "Mirvot"); null when it did not appear.
  HWND WaitForMainWindow();
  // Posts WM_CLOSE to the main window, as its close button does.
  void Close();
  // The exit code once the process has ended; nullopt while it runs after `timeoutMs`.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs);
  // Stops and restarts the main thread: a program that cannot answer any message.
  bool Suspend();
  bool Resume();

 private:
  UniqueHandle process_;
  UniqueHandle mainThread_;
  DWORD processId_ = 0;
  HWND mainWindow_ = nullptr;
};

}  // namespace mirvot::test
