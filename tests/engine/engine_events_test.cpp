// Raising the three events the host listens to, in-process and through WM_COPYDATA, and the log
// of the host's answers.
#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "engine/engine_fixture.h"

namespace mirvot::test {
namespace {

using Microsoft::WRL::ComPtr;

using EngineEvents = EngineTest;

constexpr HRESULT kNothingToRaise = static_cast<HRESULT>(0x80070490);

LRESULT SendCommand(HWND window, const std::wstring& command, bool withTerminator = true) {
  COPYDATASTRUCT data{};
  data.dwData = 0;
  data.cbData = static_cast<DWORD>((command.size() + (withTerminator ? 1 : 0)) * sizeof(wchar_t));
  data.lpData = const_cast<wchar_t*>(command.c_str());
  return ::SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

// A view with all three handlers registered.
struct HandledView {
  EngineTest::View view;
  ComPtr<ProbeCloseHandler> close = MakeProbe<ProbeCloseHandler>();
  ComPtr<ProbeNewWindowHandler> newWindow = MakeProbe<ProbeNewWindowHandler>();
  ComPtr<ProbeDownloadHandler> download = MakeProbe<ProbeDownloadHandler>();
  EventRegistrationToken closeToken{};
  EventRegistrationToken newWindowToken{};
  EventRegistrationToken downloadToken{};
};

class EngineEventsWithHandlers : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    handled_.view = CreateView();
    ASSERT_TRUE(handled_.view.webview);
    ComPtr<ICoreWebView2> webview = handled_.view.webview;
    ASSERT_EQ(webview->add_WindowCloseRequested(handled_.close.Get(), &handled_.closeToken), S_OK);
    ASSERT_EQ(webview->add_NewWindowRequested(handled_.newWindow.Get(), &handled_.newWindowToken),
              S_OK);
    ASSERT_EQ(QueryAs<ICoreWebView2_4>(webview.Get())
                  ->add_DownloadStarting(handled_.download.Get(), &handled_.downloadToken),
              S_OK);
    logStart_ = static_cast<int>(Log().size());
  }
  void TearDown() override {
    handled_ = HandledView{};
    EngineTest::TearDown();
  }

  // Log lines written since the handlers were registered.
  std::vector<std::string> NewLines() const {
    const std::vector<std::string> log = Log();
    return std::vector<std::string>(log.begin() + logStart_, log.end());
  }

  HandledView handled_;
  int logStart_ = 0;
};

TEST_F(EngineEventsWithHandlers, RegistrationsAreLoggedWithDistinctTokens) {
  const std::vector<std::string> log = Log();
  EXPECT_NE(FindLine(log, "webview.add_WindowCloseRequested"), -1);
  EXPECT_NE(FindLine(log, "webview.add_NewWindowRequested"), -1);
  EXPECT_NE(FindLine(log, "webview.add_DownloadStarting"), -1);
  EXPECT_NE(handled_.closeToken.value, handled_.newWindowToken.value);
  EXPECT_NE(handled_.newWindowToken.value, handled_.downloadToken.value);
}

TEST_F(EngineEventsWithHandlers, NewWindowRequestReachesTheHandlerAndTheAnswerIsLogged) {
  EXPECT_EQ(engine_->RaiseNewWindowRequested(L"https://x.example/popup"), S_OK);
  EXPECT_EQ(handled_.newWindow->calls, 1);
  EXPECT_EQ(handled_.newWindow->lastUri, L"https://x.example/popup");
  const std::vector<std::string> expected = {
      "raise.NewWindowRequested uri=\"https://x.example/popup\"",
      "newWindow.get_Uri",
      "newWindow.put_Handled 1",
      "event.NewWindowRequested hr=0x00000000",
      "newWindow.result handled=1 newWindow=no",
  };
  EXPECT_EQ(NewLines(), expected);
}

TEST_F(EngineEventsWithHandlers, UnhandledNewWindowIsReportedAsSuch) {
  handled_.newWindow->markHandled = false;
  EXPECT_EQ(engine_->RaiseNewWindowRequested(L"https://x/"), S_OK);
  EXPECT_NE(FindLine(NewLines(), "newWindow.result handled=0 newWindow=no"), -1);
}

TEST_F(EngineEventsWithHandlers, CloseRequestReturnsTheHandlersResult) {
  handled_.close->result = E_ACCESSDENIED;
  EXPECT_EQ(engine_->RaiseWindowCloseRequested(), E_ACCESSDENIED);
  EXPECT_EQ(handled_.close->calls, 1);
  EXPECT_TRUE(handled_.close->argsWereNull);
  EXPECT_EQ(handled_.close->lastSender, handled_.view.webview.Get());
  const std::vector<std::string> expected = {"raise.WindowCloseRequested",
                                             "event.WindowCloseRequested hr=0x80070005"};
  EXPECT_EQ(NewLines(), expected);
}

TEST_F(EngineEventsWithHandlers, CloseHandlerMayDestroyTheHostWhileTheEventRuns) {
  handled_.close->destroyOnClose = Host();
  EXPECT_EQ(engine_->RaiseWindowCloseRequested(), S_OK);
  host_ = nullptr;
  const std::vector<std::string> expected = {"raise.WindowCloseRequested", "view.windowDestroyed",
                                             "event.WindowCloseRequested hr=0x00000000"};
  EXPECT_EQ(NewLines(), expected);
  EXPECT_EQ(handled_.view.controller->put_Bounds(RECT{0, 0, 5, 5}),
            static_cast<HRESULT>(0x80070578));
}

TEST_F(EngineEventsWithHandlers, DownloadGivesUriAndPathAndRecordsTheWrittenAnswer) {
  handled_.download->writtenPath = L"D:\\saved\\file.zip";
  EXPECT_EQ(engine_->RaiseDownloadStarting(L"https://x/file.zip", L"C:\\Downloads\\file.zip"),
            S_OK);
  EXPECT_EQ(handled_.download->uri, L"https://x/file.zip");
  EXPECT_EQ(handled_.download->proposedPath, L"C:\\Downloads\\file.zip");
  const std::vector<std::string> expected = {
      "raise.DownloadStarting uri=\"https://x/file.zip\" path=\"C:\\Downloads\\file.zip\"",
      "download.get_DownloadOperation",
      "downloadOperation.get_Uri",
      "download.get_ResultFilePath",
      "download.put_ResultFilePath \"D:\\saved\\file.zip\"",
      "download.put_Handled 1",
      "event.DownloadStarting hr=0x00000000",
      "download.result handled=1 cancel=0 path=\"D:\\saved\\file.zip\"",
  };
  EXPECT_EQ(NewLines(), expected);
}

TEST_F(EngineEventsWithHandlers, CancelledDownloadIsRecorded) {
  handled_.download->cancel = true;
  EXPECT_EQ(engine_->RaiseDownloadStarting(L"https://x/f", L"C:\\f"), S_OK);
  const std::vector<std::string> lines = NewLines();
  EXPECT_NE(FindLine(lines, "download.put_Cancel 1"), -1);
  EXPECT_NE(FindLine(lines, "download.result handled=0 cancel=1 path=\"C:\\f\""), -1);
}

TEST_F(EngineEventsWithHandlers, ScriptedArgumentFailureReachesTheHandler) {
  ASSERT_TRUE(engine_->SetScript("fail=download.get_DownloadOperation:80004005"));
  EXPECT_EQ(engine_->RaiseDownloadStarting(L"https://x/f", L"C:\\f"), E_FAIL);
  EXPECT_NE(FindLine(NewLines(), "event.DownloadStarting hr=0x80004005"), -1);
}

// Calls every getter of the arguments with null out-pointers and keeps the results.
class NullPointerDownloadHandler final
    : public ComObject<ICoreWebView2DownloadStartingEventHandler> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2*,
                                   ICoreWebView2DownloadStartingEventArgs* args) noexcept override {
    results.push_back(args->get_DownloadOperation(nullptr));
    results.push_back(args->get_Cancel(nullptr));
    results.push_back(args->get_ResultFilePath(nullptr));
    results.push_back(args->get_Handled(nullptr));
    results.push_back(args->put_ResultFilePath(nullptr));
    ComPtr<ICoreWebView2DownloadOperation> operation;
    if (SUCCEEDED(args->get_DownloadOperation(&operation))) {
      results.push_back(operation->get_Uri(nullptr));
    }
    return S_OK;
  }
  std::vector<HRESULT> results;
};

TEST_F(EngineEventsWithHandlers, NullPointersGivenToTheArgumentsAreRefused) {
  auto probe = MakeProbe<NullPointerDownloadHandler>();
  EventRegistrationToken token{};
  ASSERT_EQ(handled_.view.webview->remove_WindowCloseRequested(handled_.closeToken), S_OK);
  auto webview4 = QueryAs<ICoreWebView2_4>(handled_.view.webview.Get());
  ASSERT_EQ(webview4->remove_DownloadStarting(handled_.downloadToken), S_OK);
  ASSERT_EQ(webview4->add_DownloadStarting(probe.Get(), &token), S_OK);
  EXPECT_EQ(engine_->RaiseDownloadStarting(L"https://x/f", L"C:\\f"), S_OK);
  const std::vector<HRESULT> expected = {E_POINTER, E_POINTER,    E_POINTER,
                                         E_POINTER, E_INVALIDARG, E_POINTER};
  EXPECT_EQ(probe->results, expected);
  EXPECT_NE(FindLine(NewLines(), "download.result handled=0 cancel=0 path=\"C:\\f\""), -1)
      << "a refused path must leave the proposed one";
}

TEST_F(EngineEventsWithHandlers, RemovedHandlerIsNoLongerCalled) {
  ASSERT_EQ(handled_.view.webview->remove_NewWindowRequested(handled_.newWindowToken), S_OK);
  EXPECT_EQ(engine_->RaiseNewWindowRequested(L"https://x/"), kNothingToRaise);
  EXPECT_EQ(handled_.newWindow->calls, 0);
  EXPECT_NE(FindLine(NewLines(), "event.NewWindowRequested no-handler"), -1);
}

TEST_F(EngineEventsWithHandlers, EveryRegisteredHandlerIsCalledInOrder) {
  auto second = MakeProbe<ProbeCloseHandler>();
  second->result = E_FAIL;
  EventRegistrationToken token{};
  ASSERT_EQ(handled_.view.webview->add_WindowCloseRequested(second.Get(), &token), S_OK);
  EXPECT_EQ(engine_->RaiseWindowCloseRequested(), E_FAIL);
  EXPECT_EQ(handled_.close->calls, 1);
  EXPECT_EQ(second->calls, 1);
  EXPECT_EQ(CountLinesStartingWith(NewLines(), "event.WindowCloseRequested hr="), 2);
}

TEST_F(EngineEventsWithHandlers, CopyDataCommandsRaiseFromTheMessageLoop) {
  const HWND window = ::FindWindowExW(Host(), nullptr, L"MirvotTestEngineView", nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendCommand(window, L"newwindow https://x/a"), TRUE);
  EXPECT_EQ(handled_.newWindow->calls, 0) << "raised inside SendMessage";
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  EXPECT_EQ(handled_.newWindow->calls, 1);
  EXPECT_EQ(handled_.newWindow->lastUri, L"https://x/a");

  // A path cannot hold '|', so the last one separates the URI from the path.
  EXPECT_EQ(SendCommand(window, L"download https://x/a|b|C:\\d\\a.txt", false), TRUE);
  EXPECT_EQ(SendCommand(window, L"close"), TRUE);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  EXPECT_EQ(handled_.download->uri, L"https://x/a|b");
  EXPECT_EQ(handled_.download->proposedPath, L"C:\\d\\a.txt");
  EXPECT_EQ(handled_.close->calls, 1);

  const std::vector<std::string> lines = NewLines();
  EXPECT_NE(FindLine(lines, "command \"newwindow https://x/a\""), -1);
  EXPECT_NE(FindLine(lines, "command \"close\""), -1);
  EXPECT_NE(FindLine(lines, "event.WindowCloseRequested hr=0x00000000"), -1);
}

TEST_F(EngineEventsWithHandlers, UnknownCopyDataCommandsAreRefused) {
  const HWND window = engine_->CurrentViewWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendCommand(window, L"bogus"), FALSE);
  EXPECT_EQ(SendCommand(window, L"download no-bar"), FALSE);
  EXPECT_EQ(SendCommand(window, L""), FALSE);
  COPYDATASTRUCT empty{};
  EXPECT_EQ(::SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&empty)), FALSE);
  EXPECT_EQ(engine_->PendingCompletions(), 0);
  EXPECT_NE(FindLine(NewLines(), "command.unknown \"bogus\""), -1);
}

TEST_F(EngineEvents, RaiseWithoutAnOpenViewFails) {
  EXPECT_EQ(engine_->RaiseWindowCloseRequested(), kNothingToRaise);
  EXPECT_EQ(engine_->RaiseNewWindowRequested(L"https://x/"), kNothingToRaise);
  EXPECT_EQ(engine_->RaiseDownloadStarting(L"https://x/", L"C:\\x"), kNothingToRaise);
  const std::vector<std::string> log = Log();
  EXPECT_NE(FindLine(log, "event.WindowCloseRequested no-view"), -1);
  EXPECT_NE(FindLine(log, "event.DownloadStarting no-view"), -1);
}

TEST_F(EngineEvents, RaiseWithoutAHandlerFails) {
  const View view = CreateView();
  ASSERT_TRUE(view.webview);
  EXPECT_EQ(engine_->RaiseWindowCloseRequested(), kNothingToRaise);
  EXPECT_NE(FindLine(Log(), "event.WindowCloseRequested no-handler"), -1);
}

TEST_F(EngineEvents, ClosedAndForgottenViewsNoLongerReceiveEvents) {
  const View view = CreateView();
  ASSERT_TRUE(view.webview);
  auto close = MakeProbe<ProbeCloseHandler>();
  EventRegistrationToken token{};
  ASSERT_EQ(view.webview->add_WindowCloseRequested(close.Get(), &token), S_OK);
  engine_->Reset();
  EXPECT_EQ(engine_->RaiseWindowCloseRequested(), kNothingToRaise);

  const View second = CreateView();
  ASSERT_EQ(second.webview->add_WindowCloseRequested(close.Get(), &token), S_OK);
  ASSERT_EQ(second.controller->Close(), S_OK);
  EXPECT_EQ(engine_->RaiseWindowCloseRequested(), kNothingToRaise);
  EXPECT_EQ(close->calls, 0);
}

TEST_F(EngineEvents, TheNewestOpenViewReceivesTheEvent) {
  const View older = CreateView();
  const View newer = CreateView();
  ASSERT_TRUE(older.webview && newer.webview);
  auto olderHandler = MakeProbe<ProbeCloseHandler>();
  auto newerHandler = MakeProbe<ProbeCloseHandler>();
  EventRegistrationToken token{};
  ASSERT_EQ(older.webview->add_WindowCloseRequested(olderHandler.Get(), &token), S_OK);
  ASSERT_EQ(newer.webview->add_WindowCloseRequested(newerHandler.Get(), &token), S_OK);
  EXPECT_EQ(engine_->RaiseWindowCloseRequested(), S_OK);
  EXPECT_EQ(newerHandler->calls, 1);
  EXPECT_EQ(olderHandler->calls, 0);
  ASSERT_EQ(newer.controller->Close(), S_OK);
  EXPECT_EQ(engine_->RaiseWindowCloseRequested(), S_OK);
  EXPECT_EQ(olderHandler->calls, 1);
}

TEST_F(EngineEvents, RegistrationRefusesNullArguments) {
  const View view = CreateView();
  ASSERT_TRUE(view.webview);
  auto close = MakeProbe<ProbeCloseHandler>();
  EventRegistrationToken token{};
  EXPECT_EQ(view.webview->add_WindowCloseRequested(close.Get(), nullptr), E_POINTER);
  EXPECT_EQ(view.webview->add_WindowCloseRequested(nullptr, &token), E_INVALIDARG);
  EXPECT_EQ(engine_->RaiseWindowCloseRequested(), kNothingToRaise);
}

}  // namespace
}  // namespace mirvot::test
