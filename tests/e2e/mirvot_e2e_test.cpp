// Mirvot.exe end to end under Wine and a virtual display, with the test engine as its runtime.
#include <windows.h>

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/owners.h"
#include "common/wide_text.h"
#include "e2e/mirvot_run.h"
#include "engine/test_engine_client.h"
#include "harness/registry_seed.h"
#include "harness/temp_folder.h"
#include "hold_pipe.h"

namespace mirvot::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr char kLoginUrl[] = MIRVOT_LOGIN_URL;

std::vector<std::string> Starting(const std::vector<std::string>& lines,
                                  const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    if (line.compare(0, prefix.size(), prefix) == 0) {
      found.push_back(line);
    }
  }
  return found;
}

TEST_F(MirvotE2eTest, ProfileFolderIsUnderLocalAppData) {
  StartReady();
  const std::string expected =
      "CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=1 "
      "userDataFolder=\"" +
      WideToUtf8(localAppData_.path()) + "\\Mirvot\\WebView2\" options=yes handler=yes";
  EXPECT_GE(FindLine(run_->Log(), expected), 0);
  ExpectCleanExit();
}

TEST_F(MirvotE2eTest, WithoutLocalAppDataTheUserDataFolderIsEmpty) {
  environment_.localAppData.reset();
  StartReady();
  EXPECT_GE(FindLine(run_->Log(),
                     "CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=1 "
                     "userDataFolder=\"\" options=yes handler=yes"),
            0);
  ExpectCleanExit();
}

TEST_F(MirvotE2eTest, EngineGetsTheConfigurationSettingsAndLoginPage) {
  StartReady();
  const auto log = run_->Log();
  const auto options = Starting(log, "options.");
  ASSERT_EQ(options.size(), 12u);
  EXPECT_EQ(options[0],
            "options.get_AdditionalBrowserArguments hr=0x00000000 value=\"--disable-features="
            "msWebOOUI,msPdfOOUI,msSmartScreenProtection --autoplay-policy=no-user-gesture-"
            "required\"");
  EXPECT_EQ(options[1], "options.get_Language hr=0x00000000 value=\"en-US\"");
  EXPECT_EQ(options[2],
            "options.get_TargetCompatibleBrowserVersion hr=0x00000000 value=\"145.0.3800.47\"");
  EXPECT_EQ(options[10], "options.get_ReleaseChannels hr=0x00000000 value=15");
  EXPECT_THAT(
      Starting(log, "settings.put_"),
      ElementsAre("settings.put_IsStatusBarEnabled 0",
                  "settings.put_AreDefaultContextMenusEnabled 1",
                  "settings.put_IsZoomControlEnabled 0", "settings.put_AreDevToolsEnabled 0",
                  "settings.put_IsScriptEnabled 1", "settings.put_IsGeneralAutofillEnabled 1",
                  "settings.put_IsPinchZoomEnabled 0", "settings.put_IsSwipeNavigationEnabled 0",
                  "settings.put_IsNonClientRegionSupportEnabled 1"));
  EXPECT_THAT(Starting(log, "webview.add_"),
              ElementsAre("webview.add_WindowCloseRequested", "webview.add_NewWindowRequested",
                          "webview.add_DownloadStarting"));
  EXPECT_THAT(Starting(log, "webview.Navigate "),
              ElementsAre(std::string("webview.Navigate \"") + kLoginUrl + "\""));
  EXPECT_GE(FindLine(log, "controllerOptions.put_IsInPrivateModeEnabled 0"), 0);
  ExpectCleanExit();
}

TEST_F(MirvotE2eTest, ViewCoversTheClientAreaThroughResizes) {
  const HWND mainWindow = StartReady();
  ASSERT_NE(mainWindow, nullptr);
  const RECT initial = ClientRectOf(mainWindow);
  EXPECT_EQ(initial.right, 1280);
  EXPECT_EQ(initial.bottom, 800);
  EXPECT_TRUE(WaitUntil([&] { return HostCoversClientArea(mainWindow); }));

  ASSERT_TRUE(::SetWindowPos(mainWindow, nullptr, 0, 0, 900, 600,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  EXPECT_TRUE(WaitUntil(
      [&] { return ClientRectOf(mainWindow).right < 1280 && HostCoversClientArea(mainWindow); }));

  ::ShowWindow(mainWindow, SW_MAXIMIZE);
  EXPECT_TRUE(
      WaitUntil([&] { return ::IsZoomed(mainWindow) && HostCoversClientArea(mainWindow); }));

  ::ShowWindow(mainWindow, SW_RESTORE);
  EXPECT_TRUE(
      WaitUntil([&] { return !::IsZoomed(mainWindow) && HostCoversClientArea(mainWindow); }));
  ExpectCleanExit();
}

TEST_F(MirvotE2eTest, MinimiseShrinksTheViewAndRestoreFitsItAgain) {
  const HWND mainWindow = StartReady();
  ASSERT_NE(mainWindow, nullptr);
  const int before = static_cast<int>(run_->Log().size());
  ::ShowWindow(mainWindow, SW_MINIMIZE);
  EXPECT_TRUE(run_->WaitForLogLine("controller.put_Bounds 0 0 0 0", before));
  EXPECT_TRUE(WaitUntil([&] {
    const RECT host = ClientRectOf(HostOf(mainWindow));
    return host.right == 0 && host.bottom == 0;
  }));
  ::ShowWindow(mainWindow, SW_RESTORE);
  EXPECT_TRUE(WaitUntil([&] {
    return !::IsIconic(mainWindow) && ClientRectOf(mainWindow).right > 0 &&
           HostCoversClientArea(mainWindow);
  }));
  ExpectCleanExit();
}

TEST_F(MirvotE2eTest, NewWindowRequestIsHandledAndOpensNothing) {
  const HWND mainWindow = StartReady();
  ASSERT_NE(mainWindow, nullptr);
  const size_t windowsBefore = TopLevelWindowsOf(run_->processId()).size();
  ASSERT_TRUE(SendEngineCommand(HostOf(mainWindow), L"newwindow https://elsewhere.example/"));
  EXPECT_TRUE(run_->WaitForLogLine("newWindow.result handled=1 newWindow=no"));
  const auto log = run_->Log();
  EXPECT_GE(FindLine(log, "newWindow.put_Handled 1"), 0);
  EXPECT_GE(FindLine(log, "event.NewWindowRequested hr=0x00000000"), 0);
  EXPECT_EQ(TopLevelWindowsOf(run_->processId()).size(), windowsBefore);
  ExpectCleanExit();
}

TEST_F(MirvotE2eTest, PageCloseDestroysTheHostAndLeavesTheMainWindow) {
  const HWND mainWindow = StartReady();
  ASSERT_NE(mainWindow, nullptr);
  const HWND host = HostOf(mainWindow);
  ASSERT_NE(host, nullptr);
  ASSERT_TRUE(SendEngineCommand(host, L"close"));
  EXPECT_TRUE(run_->WaitForLogLine("event.WindowCloseRequested hr=0x00000000"));
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(host); }));
  EXPECT_TRUE(::IsWindow(mainWindow));
  // Resizing afterwards is harmless.
  ::SetWindowPos(mainWindow, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(::IsWindow(mainWindow));
  ExpectCleanExit();
}

TEST_F(MirvotE2eTest, DownloadIsWrittenBackUnchangedAndHandled) {
  const HWND mainWindow = StartReady();
  ASSERT_NE(mainWindow, nullptr);
  ASSERT_TRUE(SendEngineCommand(HostOf(mainWindow),
                                L"download https://files.example/report.pdf|C:\\d\\report.pdf"));
  EXPECT_TRUE(
      run_->WaitForLogLine("download.result handled=1 cancel=0 path=\"C:\\d\\report.pdf\""));
  const auto log = run_->Log();
  EXPECT_GE(FindLine(log, "download.put_ResultFilePath \"C:\\d\\report.pdf\""), 0);
  EXPECT_GE(FindLine(log, "download.put_Handled 1"), 0);
  EXPECT_EQ(FindLine(log, "download.put_Cancel 1"), -1);
  ExpectCleanExit();
}

TEST_F(MirvotE2eTest, CloseEndsTheProcessWithExitCodeZero) {
  StartReady();
  ExpectCleanExit();
}

TEST_F(MirvotE2eTest, CloseWhileTheViewIsBeingCreatedStillEndsWithZero) {
  // The engine's scripted hold keeps it inside the environment-creation call until released.
  const std::wstring pipeName = L"mirvot-e2e-hold-" + std::to_wstring(::GetCurrentProcessId());
  bench::HoldPipe hold;
  ASSERT_HRESULT_SUCCEEDED(bench::HoldPipe::Listen(pipeName, hold));
  environment_.engineScript = L"hold_create=" + pipeName;
  run_ = std::make_unique<MirvotRun>(environment_);
  const UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, run_->processId()));
  ASSERT_TRUE(hold.WaitForHold(process.get(), 30000).has_value())
      << "the engine never reached its creation call";
  const HWND mainWindow = run_->WaitForMainWindow();
  ASSERT_NE(mainWindow, nullptr);
  // The host exists, but the engine has not made its view window yet: creation is under way.
  const HWND host = HostOf(mainWindow);
  ASSERT_NE(host, nullptr);
  ASSERT_EQ(::FindWindowExW(host, nullptr, L"MirvotTestEngineView", nullptr), nullptr);
  ASSERT_TRUE(::PostMessageW(mainWindow, WM_CLOSE, 0, 0));
  hold.Release();
  const DebuggedRun result = run_->Wait();
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0u);
}

TEST_F(MirvotE2eTest, EngineFailureIsFatalAfterTheWindowAppeared) {
  ExpectFatalEndWithEngineScript(L"env_fail=80070005");
  // The engine was asked (twice: the loader retries once), so the window existed by then.
  EXPECT_EQ(
      CountLinesStartingWith(run_->Log(), "CreateWebViewEnvironmentWithOptionsInternal accepted"),
      2);
}

// The 144-DPI case: the next process started reads LogPixels from the registry.
TEST_F(MirvotE2eTest, At144DpiTheClientAreaIs1920By1200AndCovered) {
  constexpr wchar_t kDesktopSettings[] = L"Control Panel\\Desktop";
  const ScopedRegistryValue logPixels(HKEY_CURRENT_USER, kDesktopSettings, L"LogPixels");
  ASSERT_EQ(SetRegistryDword(HKEY_CURRENT_USER, kDesktopSettings, L"LogPixels", 144),
            ERROR_SUCCESS);
  const HWND mainWindow = StartReady();
  ASSERT_NE(mainWindow, nullptr);
  const RECT client = ClientRectOf(mainWindow);
  EXPECT_EQ(client.right, 1920);
  EXPECT_EQ(client.bottom, 1200);
  EXPECT_TRUE(WaitUntil([&] { return HostCoversClientArea(mainWindow); }));
  EXPECT_GE(FindLine(run_->Log(), "controller.put_Bounds 0 0 1920 1200"), 0);
  ExpectCleanExit();
}

}  // namespace
}  // namespace mirvot::test
