// A live view: the engine's events and their responses, the hook on the main window, resizing
// and teardown.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/own_messages.h"
#include "shell/parent_hook.h"
#include "view/view_test_support.h"

namespace mirvot::test {
namespace {

using ::testing::ElementsAre;

bool HasHook(HWND window) { return HasParentHook(window); }

// Lines logged after the given point.
std::vector<std::string> LinesAfter(const std::vector<std::string>& log, size_t count) {
  return std::vector<std::string>(log.begin() + static_cast<std::ptrdiff_t>(count), log.end());
}

class BrowserViewEventsTest : public ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    if (!HasFatalFailure()) {
      CreateView();
      mark_ = Log().size();
    }
  }

  // What the engine logged since the view was built (or since the last Mark()).
  std::vector<std::string> NewLines() const { return LinesAfter(Log(), mark_); }
  void Mark() { mark_ = Log().size(); }

  size_t mark_ = 0;
};

TEST_F(BrowserViewEventsTest, NewWindowRequestIsHandledWithoutAWindow) {
  EXPECT_EQ(engine_->RaiseNewWindowRequested(L"https://elsewhere.example/"), S_OK);
  const auto lines = NewLines();
  EXPECT_GE(FindLine(lines, "newWindow.put_Handled 1"), 0);
  EXPECT_GE(FindLine(lines, "event.NewWindowRequested hr=0x00000000"), 0);
  EXPECT_GE(FindLine(lines, "newWindow.result handled=1 newWindow=no"), 0);
  EXPECT_EQ(CountLinesStartingWith(lines, "newWindow.put_NewWindow"), 0);
}

TEST_F(BrowserViewEventsTest, NewWindowHandledFailureIsReturnedToTheEngine) {
  ASSERT_TRUE(Script("fail=newWindow.put_Handled:80004005"));
  EXPECT_EQ(engine_->RaiseNewWindowRequested(L"https://elsewhere.example/"), E_FAIL);
}

TEST_F(BrowserViewEventsTest, CloseRequestDestroysTheHostButNotTheMainWindow) {
  const HWND host = view_->host();
  ASSERT_TRUE(::IsWindow(host));
  EXPECT_EQ(engine_->RaiseWindowCloseRequested(), S_OK);
  EXPECT_FALSE(::IsWindow(host));
  EXPECT_TRUE(::IsWindow(parent_->get()));
  EXPECT_GE(FindLine(NewLines(), "event.WindowCloseRequested hr=0x00000000"), 0);
}

TEST_F(BrowserViewEventsTest, SecondCloseRequestFails) {
  ASSERT_EQ(engine_->RaiseWindowCloseRequested(), S_OK);
  // The engine's view went with the host; a second request finds no open view.
  EXPECT_TRUE(FAILED(engine_->RaiseWindowCloseRequested()));
}

TEST_F(BrowserViewEventsTest, SetBoundsFailsOnceTheHostIsGone) {
  ASSERT_EQ(engine_->RaiseWindowCloseRequested(), S_OK);
  EXPECT_TRUE(FAILED(view_->set_bounds(300, 200)));
}

TEST_F(BrowserViewEventsTest, DownloadPathIsWrittenBackUnchangedAndHandled) {
  EXPECT_EQ(engine_->RaiseDownloadStarting(L"https://files.example/report.pdf",
                                           L"C:\\Users\\u1\\Downloads\\report.pdf"),
            S_OK);
  ASSERT_EQ(downloads_.size(), 1u);
  EXPECT_EQ(downloads_[0].uri, "https://files.example/report.pdf");
  EXPECT_EQ(downloads_[0].path, L"C:\\Users\\u1\\Downloads\\report.pdf");
  EXPECT_THAT(LinesStartingWith(NewLines(), "download."),
              ElementsAre("download.get_DownloadOperation", "download.get_ResultFilePath",
                          "download.put_ResultFilePath \"C:\\Users\\u1\\Downloads\\report.pdf\"",
                          "download.put_Handled 1",
                          "download.result handled=1 cancel=0 "
                          "path=\"C:\\Users\\u1\\Downloads\\report.pdf\""));
  EXPECT_GE(FindLine(NewLines(), "downloadOperation.get_Uri"), 0);
}

TEST_F(BrowserViewEventsTest, LongPathDownloadIsNormalisedToThePlainDrivePath) {
  EXPECT_EQ(engine_->RaiseDownloadStarting(L"https://files.example/a.zip",
                                           L"\\\\?\\C:\\Users\\u1\\Downloads\\a.zip"),
            S_OK);
  ASSERT_EQ(downloads_.size(), 1u);
  EXPECT_EQ(downloads_[0].path, L"\\\\?\\C:\\Users\\u1\\Downloads\\a.zip");
  EXPECT_GE(FindLine(NewLines(), "download.put_ResultFilePath \"C:\\Users\\u1\\Downloads\\a.zip\""),
            0);
}

TEST_F(BrowserViewEventsTest, LongPathThatPlainFormWouldChangeStaysLong) {
  // A trailing dot is dropped by plain paths, so only the long form names this file.
  EXPECT_EQ(
      engine_->RaiseDownloadStarting(L"https://files.example/a", L"\\\\?\\C:\\Downloads\\name."),
      S_OK);
  EXPECT_GE(FindLine(NewLines(), "download.put_ResultFilePath \"\\\\?\\C:\\Downloads\\name.\""), 0);
}

TEST_F(BrowserViewEventsTest, NonAsciiUriReachesTheCallbackAsUtf8) {
  EXPECT_EQ(engine_->RaiseDownloadStarting(L"https://files.example/\u00E9t\u00E9.txt",
                                           L"C:\\d\\\u00E9t\u00E9.txt"),
            S_OK);
  ASSERT_EQ(downloads_.size(), 1u);
  EXPECT_EQ(downloads_[0].uri, "https://files.example/\xC3\xA9t\xC3\xA9.txt");
  EXPECT_EQ(downloads_[0].path, L"C:\\d\\\u00E9t\u00E9.txt");
}

TEST_F(BrowserViewEventsTest, PathChangedByTheCallbackIsWhatIsWrittenBack) {
  replacementPath_ = L"D:\\elsewhere\\f.bin";
  EXPECT_EQ(engine_->RaiseDownloadStarting(L"https://files.example/f", L"C:\\d\\f.bin"), S_OK);
  EXPECT_GE(FindLine(NewLines(), "download.put_ResultFilePath \"D:\\elsewhere\\f.bin\""), 0);
}

TEST_F(BrowserViewEventsTest, RefusedDownloadIsCancelled) {
  acceptDownloads_ = false;
  EXPECT_EQ(engine_->RaiseDownloadStarting(L"https://files.example/f", L"C:\\d\\f.bin"), S_OK);
  const auto lines = NewLines();
  EXPECT_GE(FindLine(lines, "download.put_Cancel 1"), 0);
  EXPECT_EQ(CountLinesStartingWith(lines, "download.put_ResultFilePath"), 0);
  EXPECT_EQ(CountLinesStartingWith(lines, "download.put_Handled"), 0);
}

TEST_F(BrowserViewEventsTest, FailingDownloadCallIsReturnedAndStopsTheResponse) {
  ASSERT_TRUE(Script("fail=download.put_ResultFilePath:80070005"));
  EXPECT_EQ(engine_->RaiseDownloadStarting(L"https://files.example/f", L"C:\\d\\f.bin"),
            static_cast<HRESULT>(0x80070005));
  EXPECT_EQ(CountLinesStartingWith(NewLines(), "download.put_Handled"), 0);
}

TEST_F(BrowserViewEventsTest, MissingDownloadOperationIsReturnedBeforeTheCallback) {
  ASSERT_TRUE(Script("fail=download.get_DownloadOperation:80004005"));
  EXPECT_EQ(engine_->RaiseDownloadStarting(L"https://files.example/f", L"C:\\d\\f.bin"), E_FAIL);
  EXPECT_TRUE(downloads_.empty());
}

TEST_F(BrowserViewEventsTest, SizeOfTheMainWindowFitsTheView) {
  ASSERT_TRUE(::SetWindowPos(parent_->get(), nullptr, 0, 0, 700, 500,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  PumpPendingMessages();
  const RECT client = parent_->client();
  const auto lines = NewLines();
  const int bounds = FindLine(lines, BoundsLine(client));
  ASSERT_GE(bounds, 0);
  EXPECT_EQ(FindLine(lines, "controller.get_ParentWindow", bounds), bounds + 1);
  RECT hostRect{};
  ::GetClientRect(view_->host(), &hostRect);
  EXPECT_EQ(hostRect.right, client.right);
  EXPECT_EQ(hostRect.bottom, client.bottom);
}

TEST_F(BrowserViewEventsTest, MinimisedSizeLeavesTheViewAlone) {
  ::ShowWindow(parent_->get(), SW_MINIMIZE);
  PumpPendingMessages();
  ASSERT_TRUE(::IsIconic(parent_->get()));
  EXPECT_EQ(CountLinesStartingWith(NewLines(), "controller.put_Bounds"), 0);
  EXPECT_EQ(CountLinesStartingWith(NewLines(), "controller.get_ParentWindow"), 0);
}

TEST_F(BrowserViewEventsTest, RestoredSizeFitsTheViewAgain) {
  ::ShowWindow(parent_->get(), SW_MINIMIZE);
  PumpPendingMessages();
  Mark();
  ::ShowWindow(parent_->get(), SW_RESTORE);
  PumpPendingMessages();
  const auto bounds = LinesStartingWith(NewLines(), "controller.put_Bounds");
  ASSERT_FALSE(bounds.empty());
  EXPECT_EQ(bounds.back(), BoundsLine(parent_->client()));
}

// Copies of WM_SIZE that another program sends: the window's own state decides, so a
// "minimised" copy to a window that is not minimised fits the view to its client area, and a
// copy to a minimised window leaves the view alone.
TEST_F(BrowserViewEventsTest, CopiedSizeMessagesOnlyFitTheViewToTheWindow) {
  ::SendMessageW(parent_->get(), WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
  EXPECT_EQ(LinesStartingWith(NewLines(), "controller.put_Bounds"),
            std::vector<std::string>{BoundsLine(parent_->client())});
  ::ShowWindow(parent_->get(), SW_MINIMIZE);
  PumpPendingMessages();
  Mark();
  ::SendMessageW(parent_->get(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(10, 10));
  EXPECT_EQ(CountLinesStartingWith(NewLines(), "controller."), 0);
}

TEST_F(BrowserViewEventsTest, MovesAreReportedToTheController) {
  ::SendMessageW(parent_->get(), WM_MOVE, 0, MAKELPARAM(10, 10));
  RECT moving{0, 0, 100, 100};
  ::SendMessageW(parent_->get(), WM_MOVING, 0, reinterpret_cast<LPARAM>(&moving));
  EXPECT_EQ(CountLinesStartingWith(NewLines(), "controller.NotifyParentWindowPositionChanged"), 2);
}

TEST_F(BrowserViewEventsTest, FocusOfTheMainWindowMovesIntoTheView) {
  ::SetFocus(nullptr);
  Mark();
  ASSERT_EQ(::GetFocus(), nullptr);
  ::SetFocus(parent_->get());
  EXPECT_EQ(LinesStartingWith(NewLines(), "controller.MoveFocus"),
            std::vector<std::string>{"controller.MoveFocus 0"});
}

// A copy of WM_SETFOCUS while the window does not have the focus pulls nothing into the view.
TEST_F(BrowserViewEventsTest, CopiedFocusMessageIsIgnored) {
  ::SetFocus(nullptr);
  Mark();
  ::SendMessageW(parent_->get(), WM_SETFOCUS, 0, 0);
  EXPECT_EQ(CountLinesStartingWith(NewLines(), "controller.MoveFocus"), 0);
}

TEST_F(BrowserViewEventsTest, HookFailuresAreIgnored) {
  ASSERT_TRUE(
      Script("bounds_fail=80004005;fail=controller.NotifyParentWindowPositionChanged:80004005,"
             "controller.MoveFocus:80004005"));
  ::SendMessageW(parent_->get(), WM_SIZE, SIZE_RESTORED, 0);
  ::SendMessageW(parent_->get(), WM_MOVE, 0, 0);
  ::SetFocus(nullptr);
  ::SetFocus(parent_->get());
  const auto lines = NewLines();
  EXPECT_EQ(CountLinesStartingWith(lines, "controller.MoveFocus"), 1);
  // The failed bounds do not stop the host from being sized.
  EXPECT_GE(FindLine(lines, "controller.get_ParentWindow"), 0);
  EXPECT_TRUE(HasHook(parent_->get()));
}

TEST_F(BrowserViewEventsTest, RemoveRequestTakesTheHookAway) {
  ASSERT_TRUE(HasHook(parent_->get()));
  request_parent_hook_removal(parent_->get());
  EXPECT_FALSE(HasHook(parent_->get()));
  ::SendMessageW(parent_->get(), WM_MOVE, 0, 0);
  ::SendMessageW(parent_->get(), WM_SETFOCUS, 0, 0);
  EXPECT_EQ(CountLinesStartingWith(NewLines(), "controller."), 0);
}

TEST_F(BrowserViewEventsTest, SetBoundsSizesControllerThenHost) {
  EXPECT_EQ(view_->set_bounds(300, 200), S_OK);
  EXPECT_EQ(LinesStartingWith(NewLines(), "controller.put_Bounds"),
            std::vector<std::string>{"controller.put_Bounds 0 0 300 200"});
  RECT hostRect{};
  ::GetClientRect(view_->host(), &hostRect);
  EXPECT_EQ(hostRect.right, 300);
  EXPECT_EQ(hostRect.bottom, 200);
}

TEST_F(BrowserViewEventsTest, SetBoundsZeroSizeIsAllowed) {
  EXPECT_EQ(view_->set_bounds(0, 0), S_OK);
  RECT hostRect{1, 1, 1, 1};
  ::GetClientRect(view_->host(), &hostRect);
  EXPECT_EQ(hostRect.right, 0);
  EXPECT_EQ(hostRect.bottom, 0);
}

TEST_F(BrowserViewEventsTest, SetBoundsFailureLeavesTheHostAlone) {
  RECT before{};
  ::GetClientRect(view_->host(), &before);
  ASSERT_TRUE(Script("bounds_fail=80004005"));
  EXPECT_EQ(view_->set_bounds(300, 200), E_FAIL);
  RECT after{};
  ::GetClientRect(view_->host(), &after);
  EXPECT_EQ(after.right, before.right);
  EXPECT_EQ(after.bottom, before.bottom);
}

// Watches the main window for the hook's remove message and records what the engine had
// logged by then.
LRESULT CALLBACK TeardownWatcher(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR /*id*/, DWORD_PTR referenceData) {
  if (message == kRemoveParentHookMessage) {
    auto* seen = reinterpret_cast<std::pair<const TestEngineClient*, std::vector<std::string>>*>(
        referenceData);
    seen->second = seen->first->LogLines();
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(BrowserViewEventsTest, TeardownClosesTheControllerThenRemovesTheHook) {
  std::pair<const TestEngineClient*, std::vector<std::string>> seen{engine_.get(), {}};
  ASSERT_TRUE(::SetWindowSubclass(parent_->get(), TeardownWatcher, 0x7001,
                                  reinterpret_cast<DWORD_PTR>(&seen)));
  const HWND host = view_->host();
  view_.reset();
  ::RemoveWindowSubclass(parent_->get(), TeardownWatcher, 0x7001);

  EXPECT_GE(FindLine(LinesAfter(seen.second, mark_), "controller.Close"), 0)
      << "the controller must be closed before the hook is told to go";
  EXPECT_FALSE(HasHook(parent_->get()));
  // The host window stays; it goes with the main window.
  EXPECT_TRUE(::IsWindow(host));
}

TEST_F(BrowserViewEventsTest, MovedViewIsTornDownOnceByItsNewOwner) {
  std::optional<BrowserView> moved(std::move(*view_));
  view_.reset();  // the moved-from view does nothing
  EXPECT_EQ(CountLinesStartingWith(NewLines(), "controller.Close"), 0);
  EXPECT_TRUE(HasHook(parent_->get()));
  EXPECT_EQ(moved->set_bounds(200, 100), S_OK);
  moved.reset();
  EXPECT_EQ(CountLinesStartingWith(NewLines(), "controller.Close"), 1);
  EXPECT_FALSE(HasHook(parent_->get()));
}

// Copies of WM_DESTROY and of the hook's removal message, as another program may send them,
// leave the hook in place: it goes on following the window.
TEST_F(BrowserViewEventsTest, CopiesOfDestroyAndRemovalLeaveTheHookInPlace) {
  ::SendMessageW(parent_->get(), WM_DESTROY, 0, 0);
  ::SendMessageW(parent_->get(), kRemoveParentHookMessage, 0, 0);
  EXPECT_TRUE(HasHook(parent_->get()));
  ::SendMessageW(parent_->get(), WM_SIZE, SIZE_RESTORED, 0);
  EXPECT_GE(FindLine(NewLines(), "controller.get_ParentWindow"), 0);
}

TEST_F(BrowserViewEventsTest, DestroyedMainWindowTakesTheHookWithIt) {
  const HWND parent = parent_->get();
  ASSERT_TRUE(DestroyOwnWindow(parent));
  EXPECT_FALSE(HasHook(parent));
  // Tearing the view down after its window is gone must not crash.
  view_.reset();
  EXPECT_GE(FindLine(NewLines(), "controller.Close"), 0);
}

}  // namespace
}  // namespace mirvot::test
