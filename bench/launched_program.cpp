#include "launched_program.h"

#include "common/hresult.h"

namespace mirvot::bench {

HRESULT Launch(const std::wstring& exePath, const std::wstring& arguments,
               LaunchedProgram& launched) {
  std::wstring commandLine = L"\"" + exePath + L"\"";
  if (!arguments.empty()) {
    commandLine += L" " + arguments;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION created{};
  if (!::CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &created)) {
    return LastErrorAsFailure();
  }
  launched.process.reset(created.hProcess);
  launched.thread.reset(created.hThread);
  launched.processId = created.dwProcessId;
  FILETIME creation{}, exit{}, kernel{}, user{};
  if (!::GetProcessTimes(launched.process.get(), &creation, &exit, &kernel, &user)) {
    return LastErrorAsFailure();
  }
  launched.createdAt = TicksOf(creation);
  return S_OK;
}

bool IsRunning(const LaunchedProgram& program) {
  return ::WaitForSingleObject(program.process.get(), 0) == WAIT_TIMEOUT;
}

bool CloseAndWait(const LaunchedProgram& program, HWND mainWindow, DWORD timeoutMs) {
  if (mainWindow != nullptr) {
    ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  }
  if (::WaitForSingleObject(program.process.get(), timeoutMs) == WAIT_OBJECT_0) {
    return true;
  }
  ::TerminateProcess(program.process.get(), 1);
  ::WaitForSingleObject(program.process.get(), timeoutMs);
  return false;
}

}  // namespace mirvot::bench
