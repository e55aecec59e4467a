// Mirvot.exe among other programs: whatever another process posts or sends to its main window
// or its thread, the window, the view and the loop stay as they were, and closing still ends the
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

// The view calls in a log except fits to the given client area (the bounds, and the hook's
// look-up of the engine's window that follows them): the display server may configure the
// window again at any time, and a copy of WM_SIZE fits the view to the size the window has. A
// forged size would show as another size (0 x 0 for a minimised one).
std::vector<std::string> ViewCallsOtherThanAFitTo(const std::vector<std::string>& lines,
                                                  const RECT& client) {
  const std::string fit = "controller.put_Bounds 0 0 " + std::to_string(client.right) + " " +
                          std::to_string(client.bottom);
  std::vector<std::string> calls;
  bool afterFit = false;
  for (const auto& line : lines) {
    const bool partOfFit = line == fit || (afterFit && line == "controller.get_ParentWindow");
    afterFit = line == fit;
    if (line.rfind("controller.", 0) == 0 && !partOfFit) {
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

  // Starts the program and waits until its start-up is over; the windows are then known.
  bool StartSettled() {
    mainWindow_ = StartReady();
    host_ = mainWindow_ != nullptr ? HostOf(mainWindow_) : nullptr;
    engineView_ = ::FindWindowExW(host_, nullptr, L"MirvotTestEngineView", nullptr);
    if (engineView_ == nullptr || !WaitUntilDispatched()) {
      return false;
    }
    WaitForStartUpToSettle();
    return ::GetPropW(mainWindow_, kDropTargetProperty) != nullptr;
  }

  bool WaitUntilDispatched() { return WaitUntilDispatched(engineView_); }

  // After the foreign messages: the window is shown with its title and drop target, the view
  // covers it and was not touched (but for a fit to the size it has) since `before`; the view
  // still follows a resize through its hook and through the application; a close request still
  // ends the program with 0, without a loop that stopped and tore the view down.
  void ExpectWindowViewAndHookAsTheyWere(size_t before) {
    EXPECT_TRUE(::IsWindowVisible(mainWindow_));
    EXPECT_TRUE(::IsWindow(host_));
    EXPECT_TRUE(HostCoversClientArea(mainWindow_));
    EXPECT_NE(::GetPropW(mainWindow_, kDropTargetProperty), nullptr) << "drop target revoked";
    wchar_t title[16] = {};
    ::GetWindowTextW(mainWindow_, title, 16);
    EXPECT_STREQ(title, L"Mirvot");
    EXPECT_THAT(ViewCallsOtherThanAFitTo(LogSince(before), ClientRectOf(mainWindow_)),
                testing::IsEmpty())
        << "the view was touched";

    const size_t beforeResize = run_->Log().size();
    ASSERT_TRUE(::SetWindowPos(mainWindow_, nullptr, 0, 0, 900, 600,
                               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_TRUE(WaitUntil([&] {
      return ClientRectOf(mainWindow_).right < 1280 && HostCoversClientArea(mainWindow_);
    }));
    const RECT client = ClientRectOf(mainWindow_);
    const std::string bounds = "controller.put_Bounds 0 0 " + std::to_string(client.right) + " " +
                               std::to_string(client.bottom);
    EXPECT_TRUE(
        WaitUntil([&] { return CountLinesStartingWith(LogSince(beforeResize), bounds) >= 2; }));
    EXPECT_GE(FindLine(LogSince(beforeResize), "controller.get_ParentWindow"), 0) << "hook gone";

    ExpectCleanExit();
    EXPECT_EQ(CountLinesStartingWith(run_->Log(), "controller.Close"), 0);
  }

  // Where OLE keeps a window's registered drop target.
  static constexpr wchar_t kDropTargetProperty[] = L"OleDropTargetInterface";

  HWND mainWindow_ = nullptr;
  HWND host_ = nullptr;
  HWND engineView_ = nullptr;
  int markers_ = 0;
};

TEST_F(ForeignMessagesE2eTest, PostedMessagesLeaveWindowViewAndLoopAsTheyWere) {
  ASSERT_TRUE(StartSettled());
  const size_t before = run_->Log().size();

  // Every number above the system's own messages: the private range (the view's hook message
  // among them), the application range (the window's destroy request among them) and the
  // registered messages, each with empty parameters.
  for (UINT message = WM_USER; message <= 0xFFFF; ++message) {
    ASSERT_TRUE(PostPatiently(mainWindow_, message, 0, 0)) << std::hex << message;
    if ((message & 0xFFF) == 0xFFF) {
      ASSERT_TRUE(WaitUntilDispatched()) << std::hex << message;
    }
  }
  // Copies of messages the system only ever sends: a minimised size, a move, focus, the
  // window's destruction.
  for (const UINT message : {WM_SIZE, WM_MOVE, WM_SETFOCUS, WM_DESTROY, WM_NCDESTROY}) {
    ASSERT_TRUE(PostPatiently(mainWindow_, message, SIZE_MINIMIZED, MAKELPARAM(1, 1)));
  }
  // A quit request, to the window and to its thread.
  ASSERT_TRUE(PostPatiently(mainWindow_, WM_QUIT, 0, 0));
  ASSERT_TRUE(
      ::PostThreadMessageW(::GetWindowThreadProcessId(mainWindow_, nullptr), WM_QUIT, 0, 0));
  ASSERT_TRUE(WaitUntilDispatched());

  ExpectWindowViewAndHookAsTheyWere(before);
}

// Sent copies never pass a message pump: the window procedures themselves take the size from
// the window and ignore a destruction that the program did not start.
TEST_F(ForeignMessagesE2eTest, SentCopiesLeaveWindowViewAndHookAsTheyWere) {
  ASSERT_TRUE(StartSettled());
  const size_t before = run_->Log().size();
  for (const UINT message : {WM_SIZE, WM_DESTROY, WM_NCDESTROY}) {
    ASSERT_TRUE(::SendNotifyMessageW(mainWindow_, message, SIZE_MINIMIZED, MAKELPARAM(1, 1)));
  }
  // The view's hook message and the window's destroy request, without their private marks.
  for (const UINT message : {WM_USER + 101, WM_APP + 1}) {
    ASSERT_TRUE(::SendNotifyMessageW(mainWindow_, message, 0, 0));
  }
  // Sent messages are handed over before any posted one.
  ASSERT_TRUE(WaitUntilDispatched());

  ExpectWindowViewAndHookAsTheyWere(before);
}

// DPI changes that another program sends or posts, with no DPI, a far too large or too small
// one, and rectangle pointers that mean nothing here: the scale stays the window's own, so the
// view still fits the window at the next resize, and no pointer is read.
TEST_F(ForeignMessagesE2eTest, DpiChangesFromAnotherProgramLeaveTheScaleAsTheWindowsOwn) {
  ASSERT_TRUE(StartSettled());
  const size_t before = run_->Log().size();
  struct Copy {
    WPARAM wParam;
    LPARAM lParam;
  };
  const Copy copies[] = {{0, 0},
                         {0xFFFFFFFF, 0},
                         {MAKEWPARAM(1, 1), 0},
                         {MAKEWPARAM(192, 192), 1},
                         {MAKEWPARAM(144, 144), static_cast<LPARAM>(0x00003C3C3C3C0000)}};
  for (const Copy& copy : copies) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(mainWindow_, WM_DPICHANGED, copy.wParam, copy.lParam, SMTO_ABORTIFHUNG,
                          5000, &result);
    ::SendNotifyMessageW(mainWindow_, WM_DPICHANGED, copy.wParam, copy.lParam);
    ASSERT_TRUE(PostPatiently(mainWindow_, WM_DPICHANGED, copy.wParam, copy.lParam));
  }
  ASSERT_TRUE(WaitUntilDispatched());

  ExpectWindowViewAndHookAsTheyWere(before);
}

// A creation message another program sends to the living window, whose creation data the system
// carries across: the window keeps its title and state.
TEST_F(ForeignMessagesE2eTest, CreationMessageFromAnotherProgramLeavesTheWindowAsItWas) {
  ASSERT_TRUE(StartSettled());
  const size_t before = run_->Log().size();
  CREATESTRUCTW creation{};
  creation.lpszName = L"Forged";
  DWORD_PTR result = 0;
  ASSERT_NE(::SendMessageTimeoutW(mainWindow_, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&creation),
                                  SMTO_ABORTIFHUNG, 5000, &result),
            0);
  ASSERT_TRUE(WaitUntilDispatched());

  ExpectWindowViewAndHookAsTheyWere(before);
}

TEST_F(ForeignMessagesE2eTest, QueryAnsweredWithoutAnObjectFailsOnTheFatalPath) {
  ExpectFatalEndWithEngineScript(L"qi_null=ICoreWebView2_4");
  const auto log = run_->Log();
  EXPECT_GE(FindLine(log, "webview.QueryInterface ICoreWebView2_4 null"), 0);
  EXPECT_EQ(CountLinesStartingWith(log, "webview.Navigate"), 0);
}

}  // namespace
}  // namespace mirvot::test
