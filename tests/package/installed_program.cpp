#include "package/installed_program.h"

#include "e2e/mirvot_run.h"
#include "harness/debug_capture.h"

namespace mirvot::test {

InstalledProgram::InstalledProgram(const std::wstring& exePath) {
  std::wstring command = QuoteArgument(exePath);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (::CreateProcessW(exePath.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &started)) {
    process_.reset(started.hProcess);
    mainThread_.reset(started.hThread);
    processId_ = started.dwProcessId;
  }
}

InstalledProgram::~InstalledProgram() {
  if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_.get(), 1);
    ::WaitForSingleObject(process_.get(), 10000);
  }
}

HWND InstalledProgram::WaitForMainWindow() {
  WaitUntil([&] {
    mainWindow_ = FindMainWindowOf(processId_);
    return mainWindow_ != nullptr;
  });
  return mainWindow_;
}

void InstalledProgram::Close() { ::PostMessageW(mainWindow_, WM_CLOSE, 0, 0); }

std::optional<DWORD> InstalledProgram::WaitForExit(DWORD timeoutMs) {
  if (::WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process_.get(), &code);
  return code;
}

bool InstalledProgram::Suspend() {
  return ::SuspendThread(mainThread_.get()) != static_cast<DWORD>(-1);
}

bool InstalledProgram::Resume() {
  return ::ResumeThread(mainThread_.get()) != static_cast<DWORD>(-1);
}

}  // namespace mirvot::test
