// Mirvot.exe among other programs: whatever another process posts to its main window or its
// thread, the window, the view and the loop stay as they were, and closing still ends the
// program with 0. And an engine that answers a query with success but no object fails the
// start-up on the fatal path instead of crashing it.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "e2e/mirvot_run.h"
#include "engine/test_engine_client.h"
#include "engine/test_engine_control.h"
#include "harness/temp_folder.h"

namespace mirvot::test {
namespace {

// Posts a message, waiting for room while the program's queue is full.
bool PostPatiently(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  for (int attempt = 0; attempt < 2000; ++attempt) {
    if (::PostMessageW(window, message, wParam, lParam)) {
      return true;
    }
    if (::GetLastError() != ERROR_NOT_ENOUGH_QUOTA) {
      return false;
    }
    ::Sleep(5);
  }
  return false;
}

// The view calls in a log except a fit to the given client area: the display server may
// configure the window again at any time, and the program then fits the view to the size it
// already has. A forged size would show as another size (0 x 0 for a minimised one).
std::vector<std::string> ViewCallsOtherThanAFitTo(const std::vector<std::string>& lines,
                                                  const RECT& client) {
  const std::string fit = "controller.put_Bounds 0 0 " + std::to_string(client.right) + " " +
                          std::to_string(client.bottom);
  std::vector<std::string> calls;
  for (const auto& line : lines) {
    if (line.rfind("controller.", 0) == 0 && line != fit) {
      calls.push_back(line);
    }
  }
  return calls;
}

class ForeignMessagesE2eTest : public MirvotE2eTest {
 protected:
  // The engine's view window logs a marker posted to it when the program dispatches it; posted
  // messages are dispatched in order, so everything posted before has been dispatched by then.
  bool WaitUntilDispatched(HWND engineView) {
    const int marker = ++markers_;
    return PostPatiently(engineView, kTestEngineViewPing, static_cast<WPARAM>(marker), 0) &&
           run_->WaitForLogLine("view.ping " + std::to_string(marker));
  }

  // Start-up ends with calls that follow the window's first configuration by the display
  // server, which may come after the view is ready; waits until the log has been still a while.
  void WaitForStartUpToSettle() {
    size_t size = 0;
    int stillChecks = 0;
    WaitUntil(
        [&] {
          const size_t now = run_->Log().size();
          stillChecks = now == size ? stillChecks + 1 : 0;
          size = now;
          return stillChecks >= 10;
        },
        10000);
  }

  std::vector<std::string> LogSince(size_t from) const {
    const auto log = run_->Log();
    return std::vector<std::string>(log.begin() + static_cast<std::ptrdiff_t>(from), log.end());
  }

  int markers_ = 0;
};

TEST_F(ForeignMessagesE2eTest, PostedMessagesLeaveWindowViewAndLoopAsTheyWere) {
  const HWND mainWindow = StartReady();
  ASSERT_NE(mainWindow, nullptr);
  const HWND host = HostOf(mainWindow);
  const HWND engineView = ::FindWindowExW(host, nullptr, L"MirvotTestEngineView", nullptr);
  ASSERT_NE(engineView, nullptr);
  const DWORD thread = ::GetWindowThreadProcessId(mainWindow, nullptr);
  ASSERT_TRUE(WaitUntilDispatched(engineView));
  WaitForStartUpToSettle();
  const size_t before = run_->Log().size();

  // Every number above the system's own messages: the private range (the view's hook message
  // among them), the application range (the window's destroy request among them) and the
  // registered messages, each with empty parameters.
  for (UINT message = WM_USER; message <= 0xFFFF; ++message) {
    ASSERT_TRUE(PostPatiently(mainWindow, message, 0, 0)) << std::hex << message;
    if ((message & 0xFFF) == 0xFFF) {
      ASSERT_TRUE(WaitUntilDispatched(engineView)) << std::hex << message;
    }
  }
  // Copies of messages the system only ever sends: a minimised size, a move, focus, the
  // window's destruction.
  for (const UINT message : {WM_SIZE, WM_MOVE, WM_SETFOCUS, WM_DESTROY, WM_NCDESTROY}) {
    ASSERT_TRUE(PostPatiently(mainWindow, message, SIZE_MINIMIZED, MAKELPARAM(1, 1)));
  }
  // A quit request, to the window and to its thread.
  ASSERT_TRUE(PostPatiently(mainWindow, WM_QUIT, 0, 0));
  ASSERT_TRUE(::PostThreadMessageW(thread, WM_QUIT, 0, 0));
  ASSERT_TRUE(WaitUntilDispatched(engineView));

  EXPECT_TRUE(::IsWindowVisible(mainWindow));
  EXPECT_TRUE(::IsWindow(host));
  EXPECT_TRUE(HostCoversClientArea(mainWindow));
  EXPECT_THAT(ViewCallsOtherThanAFitTo(LogSince(before), ClientRectOf(mainWindow)),
              testing::IsEmpty())
      << "the view was touched";

  // The view still follows the window, through its hook and through the application.
  const size_t beforeResize = run_->Log().size();
  ASSERT_TRUE(::SetWindowPos(mainWindow, nullptr, 0, 0, 900, 600,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  EXPECT_TRUE(WaitUntil(
      [&] { return ClientRectOf(mainWindow).right < 1280 && HostCoversClientArea(mainWindow); }));
  const RECT client = ClientRectOf(mainWindow);
  const std::string bounds = "controller.put_Bounds 0 0 " + std::to_string(client.right) + " " +
                             std::to_string(client.bottom);
  EXPECT_TRUE(
      WaitUntil([&] { return CountLinesStartingWith(LogSince(beforeResize), bounds) >= 2; }));
  EXPECT_GE(FindLine(LogSince(beforeResize), "controller.get_ParentWindow"), 0) << "hook gone";

  ExpectCleanExit();
  // Ended by the close request, not by a loop that stopped and tore the view down.
  EXPECT_EQ(CountLinesStartingWith(run_->Log(), "controller.Close"), 0);
}

TEST_F(ForeignMessagesE2eTest, QueryAnsweredWithoutAnObjectFailsOnTheFatalPath) {
  ExpectFatalEndWithEngineScript(L"qi_null=ICoreWebView2_4");
  const auto log = run_->Log();
  EXPECT_GE(FindLine(log, "webview.QueryInterface ICoreWebView2_4 null"), 0);
  EXPECT_EQ(CountLinesStartingWith(log, "webview.Navigate"), 0);
}

}  // namespace
}  // namespace mirvot::test
