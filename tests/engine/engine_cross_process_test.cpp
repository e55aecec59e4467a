// The triggers for end-to-end tests: another process sends a command to the view window, and the
// host's answers reach the log file.
#include <windows.h>
#include <wrl/client.h>

#include <cwchar>

#include <gtest/gtest.h>

#include "engine/engine_fixture.h"
#include "harness/environment.h"
#include "harness/host_paths.h"
#include "harness/temp_folder.h"

namespace mirvot::test {
namespace {

using Microsoft::WRL::ComPtr;

// Runs the sender against `window` while this thread keeps dispatching messages (the sender's
// SendMessage is only answered from here); returns its exit code, or -1.
int SendFromAnotherProcess(HWND window, const std::wstring& command) {
  wchar_t handle[32];
  std::swprintf(handle, 32, L"%llx",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
  std::wstring commandLine = L"\"" + WindowsPathFromHost(TEST_ENGINE_COMMAND_SENDER_EXE) + L"\" " +
                             handle + L" \"" + command + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return -1;
  }
  const UniqueHandle processHandle(process.hProcess);
  const UniqueHandle threadHandle(process.hThread);
  if (!PumpMessagesUntil(
          [&] { return ::WaitForSingleObject(processHandle.get(), 0) == WAIT_OBJECT_0; }, 30000)) {
    return -1;
  }
  DWORD exitCode = 0;
  ::GetExitCodeProcess(processHandle.get(), &exitCode);
  return static_cast<int>(exitCode);
}

using EngineCrossProcess = EngineTest;

TEST_F(EngineCrossProcess, CommandFromAnotherProcessRaisesTheEventAndTheFileGetsTheAnswers) {
  TempFolder folder;
  const std::wstring logFile = folder.Join(L"engine.log");
  ScopedEnvironment logVariable(L"MIRVOT_TEST_ENGINE_LOG", logFile);
  const View view = CreateView();
  ASSERT_TRUE(view.webview);
  auto download = MakeProbe<ProbeDownloadHandler>();
  EventRegistrationToken token{};
  ASSERT_EQ(
      QueryAs<ICoreWebView2_4>(view.webview.Get())->add_DownloadStarting(download.Get(), &token),
      S_OK);
  const HWND window = ::FindWindowExW(Host(), nullptr, L"MirvotTestEngineView", nullptr);
  ASSERT_NE(window, nullptr);

  EXPECT_EQ(SendFromAnotherProcess(window, L"download https://x/y.bin|C:\\dl\\y.bin"), 1);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  EXPECT_EQ(download->calls, 1);
  EXPECT_EQ(download->proposedPath, L"C:\\dl\\y.bin");

  const std::vector<std::string> lines = ReadLogFileLines(logFile);
  EXPECT_EQ(lines, Log()) << "the file must hold the same lines as the memory log";
  const int command = FindLine(lines, "command \"download https://x/y.bin|C:\\dl\\y.bin\"");
  ASSERT_NE(command, -1);
  EXPECT_NE(FindLine(lines, "download.result handled=1 cancel=0 path=\"C:\\dl\\y.bin\"", command),
            -1);
}

TEST_F(EngineCrossProcess, UnknownCommandFromAnotherProcessIsRefused) {
  const View view = CreateView();
  ASSERT_TRUE(view.webview);
  EXPECT_EQ(SendFromAnotherProcess(engine_->CurrentViewWindow(), L"explode now"), 0);
  EXPECT_EQ(engine_->PendingCompletions(), 0);
  EXPECT_NE(FindLine(Log(), "command.unknown \"explode now\""), -1);
}

}  // namespace
}  // namespace mirvot::test
