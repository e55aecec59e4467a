// Mirvot.exe with no usable runtime: the window appears, then the process ends through the
// fail-fast path with a report on standard error that names the error.
#include <windows.h>

#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/owners.h"
#include "e2e/mirvot_run.h"
#include "harness/debug_capture.h"
#include "harness/environment.h"
#include "harness/temp_folder.h"

namespace mirvot::test {
namespace {

using ::testing::HasSubstr;

struct FatalRun {
  bool started = false;
  bool windowSeen = false;
  DWORD exitCode = 0;
  std::string standardError;
};

// Starts the program with its standard error on a one-byte pipe: writing the report blocks
// the program until this side reads, so the window is still there to be seen at that point.
FatalRun RunWithoutRuntime(const std::wstring& emptyRuntimeFolder) {
  FatalRun run;
  SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 1)) {
    return run;
  }
  UniqueHandle reader(readEnd);
  UniqueHandle writer(writeEnd);
  ::SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);

  ScopedEnvironment runtime(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", emptyRuntimeFolder);
  ScopedEnvironment script(L"MIRVOT_TEST_ENGINE_SCRIPT", std::nullopt);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = nullptr;
  startup.hStdError = writer.get();
  PROCESS_INFORMATION process{};
  std::wstring commandLine = QuoteArgument(MirvotExePath());
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return run;
  }
  run.started = true;
  UniqueHandle processHandle(process.hProcess);
  UniqueHandle thread(process.hThread);
  writer.reset();  // the child holds the only write end now

  // The window is created before the view is attempted; look for it while the program is
  // still alive (held up by the report it cannot finish writing).
  run.windowSeen = WaitUntil([&] {
                     return FindMainWindowOf(process.dwProcessId) != nullptr ||
                            ::WaitForSingleObject(processHandle.get(), 0) == WAIT_OBJECT_0;
                   }) &&
                   FindMainWindowOf(process.dwProcessId) != nullptr;

  // Read whatever is available until the program has ended and nothing is left. (Wine does
  // not always end a pending read when the writer dies, so the pipe is only read when it
  // has data.)
  WaitUntil(
      [&] {
        DWORD available = 0;
        while (::PeekNamedPipe(reader.get(), nullptr, 0, nullptr, &available, nullptr) &&
               available > 0) {
          std::string chunk(available, '\0');
          DWORD read = 0;
          if (!::ReadFile(reader.get(), chunk.data(), available, &read, nullptr)) {
            break;
          }
          run.standardError.append(chunk.data(), read);
        }
        return ::WaitForSingleObject(processHandle.get(), 0) == WAIT_OBJECT_0 &&
               (!::PeekNamedPipe(reader.get(), nullptr, 0, nullptr, &available, nullptr) ||
                available == 0);
      },
      60000);
  ::GetExitCodeProcess(processHandle.get(), &run.exitCode);
  return run;
}

TEST(MirvotFatalTest, NoRuntimeEndsThroughFailFastWithAReport) {
  TempFolder emptyRuntime;
  const FatalRun run = RunWithoutRuntime(emptyRuntime.path());
  ASSERT_TRUE(run.started);
  EXPECT_TRUE(run.windowSeen) << "the main window should appear before the view fails";
  EXPECT_EQ(run.exitCode, 0xC0000409u);
  EXPECT_THAT(run.standardError, HasSubstr("thread 'main' panicked at src/shell/app.cpp:"));
  // An existing folder without the engine library: the file is not found.
  EXPECT_THAT(run.standardError,
              HasSubstr("called `Result::unwrap()` on an `Err` value: WebView2Error(WindowsError("
                        "Error { code: HRESULT(0x80070002), message: \""));
}

TEST(MirvotFatalTest, NoRuntimeUnderTheDebuggerEndsWithTheFailFastStatus) {
  TempFolder emptyRuntime;
  ScopedEnvironment runtime(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", emptyRuntime.path());
  ScopedEnvironment script(L"MIRVOT_TEST_ENGINE_SCRIPT", std::nullopt);
  const DebuggedRun run = RunUnderDebugger(QuoteArgument(MirvotExePath()));
  ASSERT_TRUE(run.started);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0xC0000409u);
  // The loader said why on the debugger output.
  EXPECT_THAT(run.text(), HasSubstr("WebView2: "));
}

}  // namespace
}  // namespace mirvot::test
