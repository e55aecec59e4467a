#pragma once
// Mirvot.exe started as a child process under the harness's debugger, with the test engine as
// its runtime and the engine's log going to a file the test reads while the program runs.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/test_engine_client.h"
#include "harness/debug_capture.h"
#include "harness/environment.h"
#include "harness/program_windows.h"
#include "harness/temp_folder.h"

namespace mirvot::test {

// Polls `condition` every 50 ms until it holds or `timeoutMs` has passed; returns the last
// answer. A deadline for waiting, not an assertion about speed.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 30000);

// The visible top-level windows of a process.
std::vector<HWND> TopLevelWindowsOf(DWORD processId);

// The host window of a main window: its child of class MIRVOT_VIEW_HOST; null when there is none.
HWND HostOf(HWND mainWindow);

// Whether the host covers the main window's whole client area.
bool HostCoversClientArea(HWND mainWindow);

// A window's client rectangle and a child's rectangle in its parent's client coordinates.
RECT ClientRectOf(HWND window);
RECT RectInParent(HWND child);

struct ProgramEnvironment {
  // WEBVIEW2_BROWSER_EXECUTABLE_FOLDER; nullopt removes it.
  std::optional<std::wstring> runtimeFolder;
  // LOCALAPPDATA; nullopt removes it.
  std::optional<std::wstring> localAppData;
  // MIRVOT_TEST_ENGINE_SCRIPT; nullopt removes it.
  std::optional<std::wstring> engineScript;
  // MIRVOT_TEST_ENGINE_LOG; by default a file in the run's own temporary folder.
  std::optional<std::wstring> engineLog;
};

class MirvotRun {
 public:
  // Starts Mirvot.exe with the given environment (inherited from this process while it
  // starts) and the engine log in a fresh temporary folder.
  explicit MirvotRun(const ProgramEnvironment& environment);
  ~MirvotRun();
  MirvotRun(const MirvotRun&) = delete;
  MirvotRun& operator=(const MirvotRun&) = delete;

  [[nodiscard]] DWORD processId() const { return process_->processId(); }
  [[nodiscard]] const std::wstring& logPath() const { return logPath_; }
  [[nodiscard]] std::vector<std::string> Log() const;

  // Waits for the main window; null when it did not appear.
  HWND WaitForMainWindow();
  // Waits until the engine log shows the view fully built (navigated and sized).
  bool WaitForViewReady();
  // Waits until a log line equal to `line` appears (at or after index `from`).
  bool WaitForLogLine(const std::string& line, int from = 0);

  // Posts WM_CLOSE to the main window and waits for the process to end.
  DebuggedRun CloseAndWait();
  DebuggedRun Wait(DWORD timeoutMs = 60000) { return process_->Wait(timeoutMs); }

 private:
  TempFolder temp_;
  std::wstring logPath_;
  std::unique_ptr<DebuggedProcess> process_;
  HWND mainWindow_ = nullptr;
};

// Sends one command to the test engine's view window in `host` (WM_COPYDATA, UTF-16);
// true when the engine understood it.
bool SendEngineCommand(HWND host, const std::wstring& command);

// The path of the built program, as Windows sees it.
std::wstring MirvotExePath();

// The program started with the test engine's "fixed" runtime and a local application data
// folder of its own.
class MirvotE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Read other windows' sizes in physical pixels, as the program sets them.
    ::SetProcessDPIAware();
    environment_.runtimeFolder = TestRuntimeFolder(L"fixed");
    environment_.localAppData = localAppData_.path();
  }

  // Starts the program and waits until its view is built.
  HWND StartReady() {
    run_ = std::make_unique<MirvotRun>(environment_);
    const HWND mainWindow = run_->WaitForMainWindow();
    EXPECT_NE(mainWindow, nullptr) << "the main window did not appear";
    EXPECT_TRUE(run_->WaitForViewReady()) << "the view was not built";
    return mainWindow;
  }

  // Closes the window; the program must end by itself with exit code 0.
  void ExpectCleanExit() {
    const DebuggedRun result = run_->CloseAndWait();
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0u);
  }

  // Starts the program with the engine scripted as given; it must end by itself through the
  // fatal path (fail-fast, 0xC0000409).
  void ExpectFatalEndWithEngineScript(const wchar_t* engineScript) {
    environment_.engineScript = engineScript;
    run_ = std::make_unique<MirvotRun>(environment_);
    const DebuggedRun result = run_->Wait();
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0xC0000409u);
  }

  TempFolder localAppData_;
  ProgramEnvironment environment_;
  std::unique_ptr<MirvotRun> run_;
};

}  // namespace mirvot::test
