// The controller, its view window and the settings object, driven as a host drives them.
#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "engine/engine_fixture.h"

namespace mirvot::test {
namespace {

using Microsoft::WRL::ComPtr;

using EngineView = EngineTest;

constexpr HRESULT kInvalidState = static_cast<HRESULT>(0x8007139F);
constexpr HRESULT kInvalidWindowHandle = static_cast<HRESULT>(0x80070578);

RECT RectInParent(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool HasVisibleStyle(HWND window) {
  return (::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  ::GetWindowTextW(window, text, 512);
  return text;
}

TEST_F(EngineView, ControllerWithOptionsCompletesLaterWithAChildWindowOfTheHost) {
  const ComPtr<ICoreWebView2Environment> environment = CreateEnvironment();
  ASSERT_TRUE(environment);
  auto environment10 = QueryAs<ICoreWebView2Environment10>(environment.Get());
  ComPtr<ICoreWebView2ControllerOptions> options;
  ASSERT_EQ(environment10->CreateCoreWebView2ControllerOptions(&options), S_OK);
  ASSERT_EQ(options->put_IsInPrivateModeEnabled(FALSE), S_OK);
  auto handler = MakeProbe<ProbeControllerHandler>();
  ASSERT_EQ(
      environment10->CreateCoreWebView2ControllerWithOptions(Host(), options.Get(), handler.Get()),
      S_OK);
  EXPECT_EQ(handler->calls, 0) << "Invoke ran inside the call";
  EXPECT_EQ(::FindWindowExW(Host(), nullptr, L"MirvotTestEngineView", nullptr), nullptr);

  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  EXPECT_EQ(handler->calls, 1);
  EXPECT_EQ(handler->lastError, S_OK);
  ASSERT_TRUE(handler->lastController);
  const HWND view = ::FindWindowExW(Host(), nullptr, L"MirvotTestEngineView", nullptr);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(::GetParent(view), Host());
  EXPECT_EQ(engine_->CurrentViewWindow(), view);
  EXPECT_TRUE((::GetWindowLongPtrW(view, GWL_STYLE) & WS_CHILD) != 0);
  EXPECT_TRUE(HasVisibleStyle(view));

  const std::vector<std::string> log = Log();
  const int optionsLine = FindLine(log, "environment.CreateCoreWebView2ControllerOptions");
  const int privateLine = FindLine(log, "controllerOptions.put_IsInPrivateModeEnabled 0");
  const int createLine =
      FindLine(log,
               "environment.CreateCoreWebView2ControllerWithOptions parentWindow=yes options=yes "
               "inPrivate=0 handler=yes");
  const int invokeLine = FindLine(log, "controllerHandler.Invoke hr=0x00000000 controller=yes");
  ASSERT_NE(optionsLine, -1);
  EXPECT_LT(optionsLine, privateLine);
  EXPECT_LT(privateLine, createLine);
  EXPECT_LT(createLine, invokeLine);
}

TEST_F(EngineView, PrivateModeGivenInTheOptionsIsLogged) {
  const ComPtr<ICoreWebView2Environment> environment = CreateEnvironment();
  auto environment10 = QueryAs<ICoreWebView2Environment10>(environment.Get());
  ComPtr<ICoreWebView2ControllerOptions> options;
  ASSERT_EQ(environment10->CreateCoreWebView2ControllerOptions(&options), S_OK);
  ASSERT_EQ(options->put_IsInPrivateModeEnabled(TRUE), S_OK);
  auto handler = MakeProbe<ProbeControllerHandler>();
  ASSERT_EQ(
      environment10->CreateCoreWebView2ControllerWithOptions(Host(), options.Get(), handler.Get()),
      S_OK);
  EXPECT_NE(
      FindLineStartingWith(Log(),
                           "environment.CreateCoreWebView2ControllerWithOptions parentWindow=yes "
                           "options=yes inPrivate=1"),
      -1);
}

TEST_F(EngineView, PlainControllerCreationWorksWithoutOptions) {
  const ComPtr<ICoreWebView2Environment> environment = CreateEnvironment();
  auto handler = MakeProbe<ProbeControllerHandler>();
  ASSERT_EQ(environment->CreateCoreWebView2Controller(Host(), handler.Get()), S_OK);
  EXPECT_EQ(handler->calls, 0);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  EXPECT_EQ(handler->lastError, S_OK);
  EXPECT_TRUE(handler->lastController);
  EXPECT_NE(
      FindLine(Log(), "environment.CreateCoreWebView2Controller parentWindow=yes handler=yes"), -1);
}

TEST_F(EngineView, ControllerCreationRefusesBadArguments) {
  const ComPtr<ICoreWebView2Environment> environment = CreateEnvironment();
  auto handler = MakeProbe<ProbeControllerHandler>();
  EXPECT_EQ(environment->CreateCoreWebView2Controller(nullptr, handler.Get()),
            kInvalidWindowHandle);
  EXPECT_EQ(environment->CreateCoreWebView2Controller(Host(), nullptr), E_POINTER);
  EXPECT_EQ(engine_->PendingCompletions(), 0);
  PumpPendingMessages();
  EXPECT_EQ(handler->calls, 0);
  EXPECT_EQ(handler->References(), 1);
}

TEST_F(EngineView, ScriptedControllerFailureCompletesWithoutController) {
  ASSERT_TRUE(engine_->SetScript("controller_fail=80070005"));
  const ComPtr<ICoreWebView2Environment> environment = CreateEnvironment();
  auto handler = MakeProbe<ProbeControllerHandler>();
  ASSERT_EQ(environment->CreateCoreWebView2Controller(Host(), handler.Get()), S_OK);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  EXPECT_EQ(handler->calls, 1);
  EXPECT_EQ(handler->lastError, E_ACCESSDENIED);
  EXPECT_FALSE(handler->lastController);
  EXPECT_EQ(::FindWindowExW(Host(), nullptr, L"MirvotTestEngineView", nullptr), nullptr);
}

TEST_F(EngineView, ScriptedNullControllerCompletesWithSuccess) {
  ASSERT_TRUE(engine_->SetScript("controller_null=1"));
  const ComPtr<ICoreWebView2Environment> environment = CreateEnvironment();
  auto handler = MakeProbe<ProbeControllerHandler>();
  ASSERT_EQ(environment->CreateCoreWebView2Controller(Host(), handler.Get()), S_OK);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  EXPECT_EQ(handler->lastError, S_OK);
  EXPECT_FALSE(handler->lastController);
}

TEST_F(EngineView, PutBoundsMovesTheViewWindowInHostCoordinates) {
  const View view = CreateView();
  ASSERT_TRUE(view.controller);
  const HWND window = engine_->CurrentViewWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(view.controller->put_Bounds(RECT{10, 20, 310, 220}), S_OK);
  const RECT placed = RectInParent(window);
  EXPECT_EQ(placed.left, 10);
  EXPECT_EQ(placed.top, 20);
  EXPECT_EQ(placed.right, 310);
  EXPECT_EQ(placed.bottom, 220);
  RECT reported{};
  ASSERT_EQ(view.controller->get_Bounds(&reported), S_OK);
  EXPECT_EQ(reported.right, 310);
  EXPECT_NE(FindLine(Log(), "controller.put_Bounds 10 20 310 220"), -1);
}

TEST_F(EngineView, ScriptedBoundsFailureLeavesTheWindowWhereItWas) {
  const View view = CreateView();
  ASSERT_TRUE(view.controller);
  ASSERT_TRUE(engine_->SetScript("bounds_fail=80004005"));
  EXPECT_EQ(view.controller->put_Bounds(RECT{0, 0, 100, 100}), E_FAIL);
  const RECT placed = RectInParent(engine_->CurrentViewWindow());
  EXPECT_EQ(placed.right - placed.left, 0);
  EXPECT_NE(FindLine(Log(), "controller.put_Bounds 0 0 100 100 hr=0x80004005"), -1);
}

TEST_F(EngineView, PutIsVisibleHidesAndShowsTheWindow) {
  const View view = CreateView();
  ASSERT_TRUE(view.controller);
  const HWND window = engine_->CurrentViewWindow();
  ASSERT_EQ(view.controller->put_IsVisible(FALSE), S_OK);
  EXPECT_FALSE(HasVisibleStyle(window));
  BOOL visible = TRUE;
  ASSERT_EQ(view.controller->get_IsVisible(&visible), S_OK);
  EXPECT_FALSE(visible);
  ASSERT_EQ(view.controller->put_IsVisible(TRUE), S_OK);
  EXPECT_TRUE(HasVisibleStyle(window));
  const std::vector<std::string> log = Log();
  EXPECT_LT(FindLine(log, "controller.put_IsVisible 0"),
            FindLine(log, "controller.put_IsVisible 1"));
}

TEST_F(EngineView, NavigateShowsTheUrlAsTheWindowText) {
  const View view = CreateView();
  ASSERT_TRUE(view.webview);
  ASSERT_EQ(view.webview->Navigate(L"https://app.example/login"), S_OK);
  EXPECT_EQ(WindowText(engine_->CurrentViewWindow()), L"https://app.example/login");
  LPWSTR source = nullptr;
  ASSERT_EQ(view.webview->get_Source(&source), S_OK);
  EXPECT_STREQ(source, L"https://app.example/login");
  ::CoTaskMemFree(source);
  EXPECT_EQ(view.webview->Navigate(nullptr), E_INVALIDARG);
  EXPECT_NE(FindLine(Log(), "webview.Navigate \"https://app.example/login\""), -1);
}

TEST_F(EngineView, ScriptedNavigateFailureKeepsThePreviousPage) {
  const View view = CreateView();
  ASSERT_TRUE(view.webview);
  ASSERT_TRUE(engine_->SetScript("navigate_fail=80070005"));
  EXPECT_EQ(view.webview->Navigate(L"https://a/"), E_ACCESSDENIED);
  EXPECT_EQ(WindowText(engine_->CurrentViewWindow()), L"");
}

TEST_F(EngineView, FocusParentAndPositionCallsAreAnsweredAndLogged) {
  const View view = CreateView();
  ASSERT_TRUE(view.controller);
  ASSERT_EQ(view.controller->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC), S_OK);
  HWND parent = nullptr;
  ASSERT_EQ(view.controller->get_ParentWindow(&parent), S_OK);
  EXPECT_EQ(parent, Host());
  EXPECT_EQ(view.controller->NotifyParentWindowPositionChanged(), S_OK);
  EXPECT_EQ(view.controller->get_ParentWindow(nullptr), E_POINTER);
  const std::vector<std::string> log = Log();
  EXPECT_NE(FindLine(log, "controller.MoveFocus 0"), -1);
  EXPECT_NE(FindLine(log, "controller.get_ParentWindow"), -1);
  EXPECT_NE(FindLine(log, "controller.NotifyParentWindowPositionChanged"), -1);
}

TEST_F(EngineView, CloseDestroysTheWindowAndLaterCallsFailWithInvalidState) {
  const View view = CreateView();
  ASSERT_TRUE(view.controller);
  const HWND window = engine_->CurrentViewWindow();
  ASSERT_EQ(view.controller->Close(), S_OK);
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(view.controller->put_Bounds(RECT{0, 0, 10, 10}), kInvalidState);
  EXPECT_EQ(view.controller->put_IsVisible(TRUE), kInvalidState);
  ComPtr<ICoreWebView2> webview;
  EXPECT_EQ(view.controller->get_CoreWebView2(&webview), kInvalidState);
  EXPECT_FALSE(webview);
  EXPECT_EQ(view.webview->Navigate(L"https://a/"), kInvalidState);
  EXPECT_EQ(view.controller->Close(), S_OK);
  EXPECT_EQ(engine_->CurrentViewWindow(), nullptr);
  const std::vector<std::string> log = Log();
  EXPECT_LT(FindLine(log, "controller.Close"), FindLine(log, "view.windowDestroyed"));
  EXPECT_NE(FindLine(log, "controller.put_Bounds 0 0 10 10 hr=0x8007139F"), -1);
}

TEST_F(EngineView, DestroyedHostMakesWindowCallsFail) {
  const View view = CreateView();
  ASSERT_TRUE(view.controller);
  ::DestroyWindow(host_);
  host_ = nullptr;
  EXPECT_EQ(view.controller->put_Bounds(RECT{0, 0, 10, 10}), kInvalidWindowHandle);
  EXPECT_EQ(view.controller->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC),
            kInvalidWindowHandle);
  EXPECT_NE(FindLine(Log(), "view.windowDestroyed"), -1);
}

TEST_F(EngineView, ReleasingEverythingDestroysTheWindowAndTheObjects) {
  const long before = engine_->LiveObjects();
  {
    View view = CreateView();
    ASSERT_TRUE(view.controller);
    ComPtr<ICoreWebView2Settings> settings;
    ASSERT_EQ(view.webview->get_Settings(&settings), S_OK);
    EXPECT_GT(engine_->LiveObjects(), before);
  }
  EXPECT_EQ(engine_->LiveObjects(), before);
  EXPECT_EQ(::FindWindowExW(Host(), nullptr, L"MirvotTestEngineView", nullptr), nullptr);
}

TEST_F(EngineView, SettingsSettersAreLoggedInCallOrder) {
  const View view = CreateView();
  ASSERT_TRUE(view.webview);
  ComPtr<ICoreWebView2Settings> settings;
  ASSERT_EQ(view.webview->get_Settings(&settings), S_OK);
  const size_t start = Log().size();
  EXPECT_EQ(settings->put_IsStatusBarEnabled(FALSE), S_OK);
  EXPECT_EQ(settings->put_AreDefaultContextMenusEnabled(TRUE), S_OK);
  EXPECT_EQ(settings->put_IsZoomControlEnabled(FALSE), S_OK);
  EXPECT_EQ(settings->put_AreDevToolsEnabled(FALSE), S_OK);
  EXPECT_EQ(settings->put_IsScriptEnabled(TRUE), S_OK);
  EXPECT_EQ(QueryAs<ICoreWebView2Settings4>(settings.Get())->put_IsGeneralAutofillEnabled(TRUE),
            S_OK);
  EXPECT_EQ(QueryAs<ICoreWebView2Settings5>(settings.Get())->put_IsPinchZoomEnabled(FALSE), S_OK);
  EXPECT_EQ(QueryAs<ICoreWebView2Settings6>(settings.Get())->put_IsSwipeNavigationEnabled(FALSE),
            S_OK);
  EXPECT_EQ(
      QueryAs<ICoreWebView2Settings9>(settings.Get())->put_IsNonClientRegionSupportEnabled(TRUE),
      S_OK);
  const std::vector<std::string> log = Log();
  const std::vector<std::string> written(log.begin() + static_cast<std::ptrdiff_t>(start),
                                         log.end());
  const std::vector<std::string> expected = {
      "settings.put_IsStatusBarEnabled 0",
      "settings.put_AreDefaultContextMenusEnabled 1",
      "settings.put_IsZoomControlEnabled 0",
      "settings.put_AreDevToolsEnabled 0",
      "settings.put_IsScriptEnabled 1",
      "settings.put_IsGeneralAutofillEnabled 1",
      "settings.put_IsPinchZoomEnabled 0",
      "settings.put_IsSwipeNavigationEnabled 0",
      "settings.put_IsNonClientRegionSupportEnabled 1",
  };
  EXPECT_EQ(written, expected);
  BOOL value = TRUE;
  ASSERT_EQ(settings->get_IsStatusBarEnabled(&value), S_OK);
  EXPECT_FALSE(value);
  ASSERT_EQ(settings->get_AreHostObjectsAllowed(&value), S_OK);
  EXPECT_TRUE(value) << "a setting never written keeps its default";
  EXPECT_EQ(settings->get_IsStatusBarEnabled(nullptr), E_POINTER);
}

TEST_F(EngineView, TheSameSettingsObjectIsGivenEachTime) {
  const View view = CreateView();
  ComPtr<ICoreWebView2Settings> first;
  ComPtr<ICoreWebView2Settings> second;
  ASSERT_EQ(view.webview->get_Settings(&first), S_OK);
  ASSERT_EQ(view.webview->get_Settings(&second), S_OK);
  EXPECT_EQ(first.Get(), second.Get());
  EXPECT_EQ(view.webview->get_Settings(nullptr), E_POINTER);
}

TEST_F(EngineView, FailSetterFailsOnlyThatSetter) {
  const View view = CreateView();
  ComPtr<ICoreWebView2Settings> settings;
  ASSERT_EQ(view.webview->get_Settings(&settings), S_OK);
  ASSERT_TRUE(engine_->SetScript("fail_setter=put_IsZoomControlEnabled:80004005"));
  EXPECT_EQ(settings->put_IsZoomControlEnabled(FALSE), E_FAIL);
  EXPECT_EQ(settings->put_IsStatusBarEnabled(FALSE), S_OK);
  BOOL value = FALSE;
  ASSERT_EQ(settings->get_IsZoomControlEnabled(&value), S_OK);
  EXPECT_TRUE(value) << "a failed setter must not store";
  EXPECT_NE(FindLine(Log(), "settings.put_IsZoomControlEnabled 0 hr=0x80004005"), -1);
}

TEST_F(EngineView, OmitRefusesOnlyTheNamedSettingsInterfaces) {
  ASSERT_TRUE(engine_->SetScript("omit=ICoreWebView2Settings4,ICoreWebView2Settings6"));
  const View view = CreateView();
  ComPtr<ICoreWebView2Settings> settings;
  ASSERT_EQ(view.webview->get_Settings(&settings), S_OK);
  HRESULT hr = S_OK;
  EXPECT_FALSE(QueryAs<ICoreWebView2Settings4>(settings.Get(), &hr));
  EXPECT_EQ(hr, E_NOINTERFACE);
  EXPECT_FALSE(QueryAs<ICoreWebView2Settings6>(settings.Get()));
  EXPECT_TRUE(QueryAs<ICoreWebView2Settings5>(settings.Get()));
  EXPECT_TRUE(QueryAs<ICoreWebView2Settings9>(settings.Get()));
  EXPECT_NE(FindLine(Log(), "settings.QueryInterface ICoreWebView2Settings4 omitted"), -1);
}

// Posted messages of a thread are dispatched in order: the ping's line marks that everything
// posted before it has been dispatched.
TEST_F(EngineView, PostedPingIsLoggedInQueueOrder) {
  const View view = CreateView();
  const HWND window = engine_->CurrentViewWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(::PostMessageW(window, kTestEngineViewPing, 1, 0));
  ASSERT_TRUE(::PostMessageW(window, kTestEngineViewPing, 2, 0));
  EXPECT_EQ(FindLine(Log(), "view.ping 1"), -1) << "logged before it was dispatched";
  EXPECT_TRUE(PumpMessagesUntil([&] { return FindLine(Log(), "view.ping 2") != -1; }));
  EXPECT_LT(FindLine(Log(), "view.ping 1"), FindLine(Log(), "view.ping 2"));
}

TEST_F(EngineView, OmittedCoreWebView2_4IsRefused) {
  ASSERT_TRUE(engine_->SetScript("omit=ICoreWebView2_4"));
  const View view = CreateView();
  ASSERT_TRUE(view.webview);
  EXPECT_FALSE(QueryAs<ICoreWebView2_4>(view.webview.Get()));
  EXPECT_TRUE(QueryAs<ICoreWebView2_3>(view.webview.Get()));
}

TEST_F(EngineView, GenericFailListFailsTheNamedCalls) {
  const ComPtr<ICoreWebView2Environment> environment = CreateEnvironment();
  auto environment10 = QueryAs<ICoreWebView2Environment10>(environment.Get());
  ComPtr<ICoreWebView2ControllerOptions> options;
  ASSERT_EQ(environment10->CreateCoreWebView2ControllerOptions(&options), S_OK);
  ASSERT_TRUE(engine_->SetScript("fail=controllerOptions.put_IsInPrivateModeEnabled:8007000E"));
  EXPECT_EQ(options->put_IsInPrivateModeEnabled(FALSE), E_OUTOFMEMORY);

  ASSERT_TRUE(engine_->SetScript(
      "fail=controller.put_IsVisible:80004005,webview.add_WindowCloseRequested:80070005"));
  const ComPtr<ICoreWebView2Controller> controller = CreateController(environment.Get());
  ASSERT_TRUE(controller);
  EXPECT_EQ(controller->put_IsVisible(TRUE), E_FAIL);
  ComPtr<ICoreWebView2> webview;
  ASSERT_EQ(controller->get_CoreWebView2(&webview), S_OK);
  auto handler = MakeProbe<ProbeCloseHandler>();
  EventRegistrationToken token{};
  EXPECT_EQ(webview->add_WindowCloseRequested(handler.Get(), &token), E_ACCESSDENIED);
}

TEST_F(EngineView, MethodsTheEngineDoesNotOfferAreLoggedAsNotImplemented) {
  const View view = CreateView();
  ASSERT_TRUE(view.webview);
  EXPECT_EQ(view.webview->ExecuteScript(L"1", nullptr), E_NOTIMPL);
  EXPECT_EQ(view.webview->Stop(), E_NOTIMPL);
  EXPECT_EQ(view.controller->put_ZoomFactor(2.0), E_NOTIMPL);
  const std::vector<std::string> log = Log();
  EXPECT_NE(FindLine(log, "webview.ExecuteScript hr=0x80004001"), -1);
  EXPECT_NE(FindLine(log, "webview.Stop hr=0x80004001"), -1);
  EXPECT_NE(FindLine(log, "controller.put_ZoomFactor hr=0x80004001"), -1);
}

}  // namespace
}  // namespace mirvot::test
