// Building a view against the test engine: what the engine is given and in which order, and
// how each failure of the engine ends creation.
#include <windows.h>
#include <commctrl.h>

#include <ostream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/wide_text.h"
#include "loader_environment/fake_com_objects.h"
#include "shell/environment_options.h"
#include "shell/host_window.h"
#include "shell/parent_hook.h"
#include "view/view_test_support.h"

namespace mirvot::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::vector<std::string> kAllSettingLines = {
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

std::vector<std::string> Without(std::vector<std::string> lines, const std::string& removed) {
  std::erase(lines, removed);
  return lines;
}

bool HasHook(HWND window) { return HasParentHook(window); }

using BrowserViewCreationTest = ViewTest;

TEST_F(BrowserViewCreationTest, EngineIsCalledWithTheProfileFolderAndOurOptions) {
  CreateView();
  const auto log = Log();
  EXPECT_GE(FindLine(log,
                     "CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=1 "
                     "userDataFolder=\"C:\\profiles\\mirvot-view-test\" options=yes "
                     "handler=yes"),
            0);
}

TEST_F(BrowserViewCreationTest, MissingProfileFolderIsPassedAsEmptyStringNotNull) {
  context_.profile_folder.reset();
  CreateView();
  const auto log = Log();
  EXPECT_GE(FindLine(log,
                     "CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=1 "
                     "userDataFolder=\"\" options=yes handler=yes"),
            0);
}

TEST_F(BrowserViewCreationTest, EngineReadsEveryOptionValue) {
  CreateView();
  const std::string language = WideToUtf8(user_ui_locale_name());
  EXPECT_THAT(
      LinesStartingWith(Log(), "options."),
      ElementsAre(
          "options.get_AdditionalBrowserArguments hr=0x00000000 value=\"--disable-features="
          "msWebOOUI,msPdfOOUI,msSmartScreenProtection --autoplay-policy=no-user-gesture-"
          "required\"",
          "options.get_Language hr=0x00000000 value=\"" + language + "\"",
          "options.get_TargetCompatibleBrowserVersion hr=0x00000000 value=\"145.0.3800.47\"",
          "options.get_AllowSingleSignOnUsingOSPrimaryAccount hr=0x00000000 value=0",
          "options.get_ExclusiveUserDataFolderAccess hr=0x00000000 value=0",
          "options.get_IsCustomCrashReportingEnabled hr=0x00000000 value=0",
          "options.GetCustomSchemeRegistrations hr=0x00000000 count=0",
          "options.get_EnableTrackingPrevention hr=0x00000000 value=1",
          "options.get_AreBrowserExtensionsEnabled hr=0x00000000 value=0",
          "options.get_ChannelSearchKind hr=0x00000000 value=0",
          "options.get_ReleaseChannels hr=0x00000000 value=15",
          "options.get_ScrollBarStyle hr=0x00000000 value=0"));
}

TEST_F(BrowserViewCreationTest, FullCreationSequenceInOrder) {
  BrowserView& view = CreateView();
  const RECT client = parent_->client();
  const auto log = Log();
  EXPECT_THAT(
      LinesBetween(log, "environment.CreateCoreWebView2ControllerOptions", "controller.put_Bounds"),
      ElementsAre("environment.CreateCoreWebView2ControllerOptions",
                  "controllerOptions.put_IsInPrivateModeEnabled 0",
                  "environment.CreateCoreWebView2ControllerWithOptions parentWindow=yes "
                  "options=yes inPrivate=0 handler=yes",
                  "controllerHandler.Invoke hr=0x00000000 controller=yes",
                  "controllerHandler.Invoke returned 0x00000000", "controller.get_CoreWebView2",
                  "webview.get_Settings", kAllSettingLines[0], kAllSettingLines[1],
                  kAllSettingLines[2], kAllSettingLines[3], kAllSettingLines[4],
                  kAllSettingLines[5], kAllSettingLines[6], kAllSettingLines[7],
                  kAllSettingLines[8], "webview.add_WindowCloseRequested",
                  "webview.add_NewWindowRequested", "webview.add_DownloadStarting",
                  "webview.Navigate \"https://app.example/login\"", "controller.put_IsVisible 1",
                  "controller.MoveFocus 0", BoundsLine(client)));
  EXPECT_EQ(FindLine(log, "environment.CreateCoreWebView2Controller parentWindow=yes handler=yes"),
            -1);
  EXPECT_NE(view.host(), nullptr);
  EXPECT_EQ(::GetParent(view.host()), parent_->get());
}

TEST_F(BrowserViewCreationTest, SettingsTableIsWrittenInOrderAndNothingElse) {
  CreateView();
  EXPECT_EQ(LinesStartingWith(Log(), "settings.put_"), kAllSettingLines);
}

TEST_F(BrowserViewCreationTest, NothingElseIsRegisteredOrInjected) {
  CreateView();
  const auto log = Log();
  EXPECT_THAT(LinesStartingWith(log, "webview.add_"),
              ElementsAre("webview.add_WindowCloseRequested", "webview.add_NewWindowRequested",
                          "webview.add_DownloadStarting"));
  EXPECT_EQ(CountLinesStartingWith(log, "webview.AddScriptToExecuteOnDocumentCreated"), 0);
  EXPECT_EQ(CountLinesStartingWith(log, "webview.AddWebResourceRequestedFilter"), 0);
  EXPECT_EQ(CountLinesStartingWith(log, "webview.Navigate "), 1);
}

TEST_F(BrowserViewCreationTest, StartUrlIsNavigatedUnchanged) {
  CreateView("https://app.example/login?next=%2Fhome&lang=d\xC3\xA9");
  EXPECT_GE(
      FindLine(Log(), "webview.Navigate \"https://app.example/login?next=%2Fhome&lang=d\xC3\xA9\""),
      0);
}

TEST_F(BrowserViewCreationTest, WithoutDownloadCallbackNoDownloadResponseIsRegistered) {
  BrowserViewResult result = Create(kStartUrl, /*withDownloadCallback=*/false);
  ASSERT_TRUE(std::holds_alternative<BrowserView>(result));
  EXPECT_EQ(CountLinesStartingWith(Log(), "webview.add_DownloadStarting"), 0);
}

TEST_F(BrowserViewCreationTest, HostFillsTheClientAreaAndParentsTheEngineView) {
  BrowserView& view = CreateView();
  const HWND host = view.host();
  ASSERT_TRUE(::IsWindow(host));
  EXPECT_EQ(::GetParent(host), parent_->get());
  wchar_t className[64] = {};
  ::GetClassNameW(host, className, 64);
  EXPECT_STREQ(className, kHostWindowClassName);
  RECT hostRect{};
  ::GetWindowRect(host, &hostRect);
  ::MapWindowPoints(HWND_DESKTOP, parent_->get(), reinterpret_cast<POINT*>(&hostRect), 2);
  const RECT client = parent_->client();
  EXPECT_EQ(hostRect.left, 0);
  EXPECT_EQ(hostRect.top, 0);
  EXPECT_EQ(hostRect.right, client.right);
  EXPECT_EQ(hostRect.bottom, client.bottom);
  const HWND engineView = ::FindWindowExW(host, nullptr, L"MirvotTestEngineView", nullptr);
  ASSERT_NE(engineView, nullptr);
  EXPECT_TRUE(::IsWindowVisible(engineView));
  RECT engineRect{};
  ::GetClientRect(engineView, &engineRect);
  EXPECT_EQ(engineRect.right, client.right);
  EXPECT_EQ(engineRect.bottom, client.bottom);
  EXPECT_TRUE(HasHook(parent_->get()));
}

TEST_F(BrowserViewCreationTest, WithoutEnvironment10ThePlainControllerCallIsUsed) {
  ASSERT_TRUE(Script("omit=ICoreWebView2Environment10"));
  CreateView();
  const auto log = Log();
  EXPECT_GE(FindLine(log, "environment.CreateCoreWebView2Controller parentWindow=yes handler=yes"),
            0);
  EXPECT_EQ(CountLinesStartingWith(log, "environment.CreateCoreWebView2ControllerOptions"), 0);
  EXPECT_EQ(CountLinesStartingWith(log, "controllerOptions."), 0);
  EXPECT_EQ(LinesStartingWith(log, "settings.put_"), kAllSettingLines);
  EXPECT_GE(FindLine(log, "webview.Navigate \"https://app.example/login\""), 0);
}

struct MissingSettingsCase {
  const char* interfaceName;
  const char* skippedLine;
};

void PrintTo(const MissingSettingsCase& missing, std::ostream* out) {
  *out << missing.interfaceName;
}

class MissingSettingsInterfaceTest : public ViewTest,
                                     public ::testing::WithParamInterface<MissingSettingsCase> {};

TEST_P(MissingSettingsInterfaceTest, ItsSettingIsSkippedSilently) {
  ASSERT_TRUE(Script(std::string("omit=") + GetParam().interfaceName));
  CreateView();
  EXPECT_EQ(LinesStartingWith(Log(), "settings.put_"),
            Without(kAllSettingLines, GetParam().skippedLine));
}

INSTANTIATE_TEST_SUITE_P(
    LaterSettings, MissingSettingsInterfaceTest,
    ::testing::Values(
        MissingSettingsCase{"ICoreWebView2Settings4", "settings.put_IsGeneralAutofillEnabled 1"},
        MissingSettingsCase{"ICoreWebView2Settings5", "settings.put_IsPinchZoomEnabled 0"},
        MissingSettingsCase{"ICoreWebView2Settings6", "settings.put_IsSwipeNavigationEnabled 0"},
        MissingSettingsCase{"ICoreWebView2Settings9",
                            "settings.put_IsNonClientRegionSupportEnabled 1"}),
    [](const ::testing::TestParamInfo<MissingSettingsCase>& param) {
      return std::string(param.param.interfaceName).substr(std::string("ICoreWebView2").size());
    });

TEST_F(BrowserViewCreationTest, AllLaterSettingsInterfacesMissingLeavesTheFirstFive) {
  ASSERT_TRUE(
      Script("omit=ICoreWebView2Settings4,ICoreWebView2Settings5,ICoreWebView2Settings6,"
             "ICoreWebView2Settings9"));
  CreateView();
  EXPECT_EQ(LinesStartingWith(Log(), "settings.put_"),
            std::vector<std::string>(kAllSettingLines.begin(), kAllSettingLines.begin() + 5));
}

TEST_F(BrowserViewCreationTest, MissingWebView4FailsWithNoInterface) {
  ASSERT_TRUE(Script("omit=ICoreWebView2_4"));
  const WebView2Error error = CreateFailing();
  EXPECT_EQ(error.kind(), WebView2ErrorKind::WindowsError);
  EXPECT_EQ(error.code(), E_NOINTERFACE);
  EXPECT_EQ(CountLinesStartingWith(Log(), "webview.Navigate"), 0);
}

// An engine object that answers QueryInterface with S_OK and no pointer has not handed over the
// interface: every such answer counts as a failed query (E_POINTER) and nothing is called
// through null.
struct NullAnswerCase {
  const char* interfaceName;
  HRESULT creation;          // S_OK: the view is built
  const char* expectedLine;  // a line the engine's log must hold
};

void PrintTo(const NullAnswerCase& answer, std::ostream* out) { *out << answer.interfaceName; }

class NullQueryAnswerTest : public ViewTest,
                            public ::testing::WithParamInterface<NullAnswerCase> {};

TEST_P(NullQueryAnswerTest, CountsAsAFailedQuery) {
  ASSERT_TRUE(Script(std::string("qi_null=") + GetParam().interfaceName));
  if (GetParam().creation == S_OK) {
    CreateView();
  } else {
    EXPECT_EQ(CreateFailing(), WebView2Error::from_hresult(GetParam().creation));
    EXPECT_EQ(CountLinesStartingWith(Log(), "webview.Navigate"), 0);
  }
  EXPECT_GE(FindLine(Log(), GetParam().expectedLine), 0);
}

INSTANTIATE_TEST_SUITE_P(
    EngineObjects, NullQueryAnswerTest,
    ::testing::Values(
        // The download registration called through the null pointer before.
        NullAnswerCase{"ICoreWebView2_4", E_POINTER, "webview.QueryInterface ICoreWebView2_4 null"},
        // The loader's own query of the created environment.
        NullAnswerCase{"ICoreWebView2Environment", E_POINTER,
                       "environment.QueryInterface ICoreWebView2Environment null"},
        NullAnswerCase{"ICoreWebView2Environment10", S_OK,
                       "environment.CreateCoreWebView2Controller parentWindow=yes handler=yes"},
        NullAnswerCase{"ICoreWebView2Settings9", S_OK,
                       "settings.QueryInterface ICoreWebView2Settings9 null"}),
    [](const ::testing::TestParamInfo<NullAnswerCase>& param) {
      return std::string(param.param.interfaceName).substr(std::string("ICoreWebView2").size());
    });

TEST_F(BrowserViewCreationTest, RefusedCreationFailsWithTheEnginesCode) {
  ASSERT_TRUE(Script("refuse_create=80004005"));
  const WebView2Error error = CreateFailing();
  EXPECT_EQ(error, WebView2Error::from_hresult(E_FAIL));
  EXPECT_EQ(CountLinesStartingWith(Log(), "environmentHandler.Invoke"), 0);
}

TEST_F(BrowserViewCreationTest, FailedEnvironmentCompletionFailsWithItsCode) {
  ASSERT_TRUE(Script("env_fail=80070005"));
  const WebView2Error error = CreateFailing();
  EXPECT_EQ(error, WebView2Error::from_hresult(static_cast<HRESULT>(0x80070005)));
  EXPECT_EQ(CountLinesStartingWith(Log(), "environment.CreateCoreWebView2Controller"), 0);
}

TEST_F(BrowserViewCreationTest, EnvironmentFailingOnceIsRetriedByTheLoader) {
  ASSERT_TRUE(Script("env_fail=80070005;env_fail_times=1"));
  CreateView();
  EXPECT_EQ(CountLinesStartingWith(Log(), "CreateWebViewEnvironmentWithOptionsInternal accepted"),
            2);
}

TEST_F(BrowserViewCreationTest, SecondEnvironmentCompletionIsIgnored) {
  ASSERT_TRUE(Script("invoke_twice=1"));
  CreateView();
  engine_->PumpUntilNoPendingCompletions();
  const auto log = Log();
  EXPECT_EQ(CountLinesStartingWith(log, "environment.CreateCoreWebView2ControllerWithOptions"), 1);
  EXPECT_EQ(CountLinesStartingWith(log, "webview.Navigate "), 1);
}

TEST_F(BrowserViewCreationTest, SuccessWithoutEnvironmentFailsWithEPointer) {
  ASSERT_TRUE(Script("env_null=1"));
  EXPECT_EQ(CreateFailing(), WebView2Error::from_hresult(E_POINTER));
}

TEST_F(BrowserViewCreationTest, FailedControllerCompletionFailsWithItsCode) {
  ASSERT_TRUE(Script("controller_fail=80004005"));
  EXPECT_EQ(CreateFailing(), WebView2Error::from_hresult(E_FAIL));
  EXPECT_EQ(CountLinesStartingWith(Log(), "controller.get_CoreWebView2"), 0);
}

TEST_F(BrowserViewCreationTest, SuccessWithoutControllerFailsWithEPointer) {
  ASSERT_TRUE(Script("controller_null=1"));
  EXPECT_EQ(CreateFailing(), WebView2Error::from_hresult(E_POINTER));
}

TEST_F(BrowserViewCreationTest, ControllerOptionsFailureEndsCreation) {
  ASSERT_TRUE(Script("fail=environment.CreateCoreWebView2ControllerOptions:80004005"));
  EXPECT_EQ(CreateFailing(), WebView2Error::from_hresult(E_FAIL));
  EXPECT_EQ(CountLinesStartingWith(Log(), "environment.CreateCoreWebView2ControllerWithOptions"),
            0);
}

TEST_F(BrowserViewCreationTest, PrivateModeSetterFailureEndsCreation) {
  ASSERT_TRUE(Script("fail=controllerOptions.put_IsInPrivateModeEnabled:80070057"));
  EXPECT_EQ(CreateFailing(), WebView2Error::from_hresult(E_INVALIDARG));
}

TEST_F(BrowserViewCreationTest, QuitPostedBeforeCompletionCancelsCreation) {
  ASSERT_TRUE(::PostThreadMessageW(::GetCurrentThreadId(), WM_QUIT, 0, 0));
  const WebView2Error error = CreateFailing();
  EXPECT_EQ(error.kind(), WebView2ErrorKind::TaskCanceled);
  EXPECT_EQ(error.description(), "WebView2Error(TaskCanceled)");
  // The quit was consumed by the wait.
  MSG msg{};
  EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(BrowserViewCreationTest, FailingSetterEndsCreationAndLaterSettingsAreNotWritten) {
  ASSERT_TRUE(Script("fail_setter=put_IsZoomControlEnabled:80004005"));
  EXPECT_EQ(CreateFailing(), WebView2Error::from_hresult(E_FAIL));
  const auto log = Log();
  EXPECT_THAT(LinesStartingWith(log, "settings.put_"),
              ElementsAre(kAllSettingLines[0], kAllSettingLines[1],
                          "settings.put_IsZoomControlEnabled 0 hr=0x80004005"));
  EXPECT_EQ(CountLinesStartingWith(log, "webview.add_"), 0);
}

TEST_F(BrowserViewCreationTest, FailingLaterSetterEndsCreation) {
  ASSERT_TRUE(Script("fail_setter=put_IsPinchZoomEnabled:80070005"));
  EXPECT_EQ(CreateFailing(), WebView2Error::from_hresult(static_cast<HRESULT>(0x80070005)));
}

TEST_F(BrowserViewCreationTest, FailedRegistrationOrNavigationEndsCreation) {
  for (const char* script :
       {"fail=webview.add_WindowCloseRequested:80004005",
        "fail=webview.add_NewWindowRequested:80004005",
        "fail=webview.add_DownloadStarting:80004005", "navigate_fail=80004005",
        "fail=webview.get_Settings:80004005", "fail=controller.get_CoreWebView2:80004005"}) {
    SCOPED_TRACE(script);
    engine_->Reset();
    ASSERT_TRUE(Script(script));
    EXPECT_EQ(CreateFailing(), WebView2Error::from_hresult(E_FAIL));
    EXPECT_FALSE(HasHook(parent_->get()));
  }
}

TEST_F(BrowserViewCreationTest, FailureBeforeTheHookLeavesNoHostWindow) {
  ASSERT_TRUE(Script("navigate_fail=80004005"));
  CreateFailing();
  EXPECT_EQ(::FindWindowExW(parent_->get(), nullptr, kHostWindowClassName, nullptr), nullptr);
  EXPECT_FALSE(HasHook(parent_->get()));
}

TEST_F(BrowserViewCreationTest, VisibilityFailureTearsTheViewDown) {
  ASSERT_TRUE(Script("fail=controller.put_IsVisible:80004005"));
  EXPECT_EQ(CreateFailing(), WebView2Error::from_hresult(E_FAIL));
  EXPECT_GE(FindLine(Log(), "controller.Close"), 0);
  EXPECT_FALSE(HasHook(parent_->get()));
  EXPECT_EQ(::FindWindowExW(parent_->get(), nullptr, kHostWindowClassName, nullptr), nullptr);
}

TEST_F(BrowserViewCreationTest, FocusFailureIsIgnored) {
  ASSERT_TRUE(Script("fail=controller.MoveFocus:80004005"));
  CreateView();
  EXPECT_GE(FindLine(Log(), BoundsLine(parent_->client())), 0);
}

// Without DefSubclassProc the hook could not hand messages on to the window's own procedure
// (WM_CLOSE would destroy the main window behind the program's back): no hook at all, then.
TEST(ParentHookTest, IsInstalledOnlyWhereMessagesCanBeHandedOn) {
  const ParentWindow parent;
  SubclassFunctions withoutDefault = system_subclass_functions();
  ASSERT_NE(withoutDefault.default_proc, nullptr);
  withoutDefault.default_proc = nullptr;
  install_parent_hook(parent.get(), nullptr, withoutDefault);
  EXPECT_FALSE(HasHook(parent.get()));

  install_parent_hook(parent.get(), nullptr, system_subclass_functions());
  EXPECT_TRUE(HasHook(parent.get()));
  remove_parent_hook(parent.get());
}

BOOL WINAPI RefuseRemoval(HWND, SUBCLASSPROC, UINT_PTR) { return FALSE; }

// The hook removes itself with the functions it was installed with, and keeps its state (and
// its controller reference) for as long as it stays on the window: a removal the system refuses
// leaves the hook whole, and a later removal that succeeds frees it.
TEST(ParentHookTest, RefusedRemovalLeavesTheHookWithItsState) {
  const ParentWindow parent;
  // A controller the hook only holds: its count shows when the hook lets go.
  PosingObject controller(__uuidof(ICoreWebView2Controller));
  SubclassFunctions refusing = system_subclass_functions();
  refusing.remove = &RefuseRemoval;
  install_parent_hook(parent.get(), controller.As<ICoreWebView2Controller>(), refusing);
  ASSERT_EQ(controller.references(), 2);

  request_parent_hook_removal(parent.get());
  EXPECT_TRUE(HasHook(parent.get()));
  EXPECT_EQ(controller.references(), 2);

  remove_parent_hook(parent.get());
  EXPECT_FALSE(HasHook(parent.get()));
  EXPECT_EQ(controller.references(), 1);
}

TEST_F(BrowserViewCreationTest, FinalSizingFailureTearsTheViewDown) {
  ASSERT_TRUE(Script("bounds_fail=80004005"));
  EXPECT_EQ(CreateFailing(), WebView2Error::from_hresult(E_FAIL));
  const auto log = Log();
  const int bounds = FindLineStartingWith(log, "controller.put_Bounds");
  const int close = FindLine(log, "controller.Close");
  ASSERT_GE(bounds, 0);
  EXPECT_GT(close, bounds);
  EXPECT_FALSE(HasHook(parent_->get()));
}

TEST_F(BrowserViewCreationTest, InvalidParentFailsBeforeTheEngineIsAsked) {
  const ViewOptions options{context_, kStartUrl, {}};
  BrowserViewResult result = BrowserView::create(reinterpret_cast<HWND>(0x7777), options);
  ASSERT_TRUE(std::holds_alternative<WebView2Error>(result));
  EXPECT_EQ(std::get<WebView2Error>(result),
            WebView2Error::from_hresult(static_cast<HRESULT>(0x80070578)));
  EXPECT_THAT(Log(), IsEmpty());
}

TEST_F(BrowserViewCreationTest, EngineObjectsAreReleasedWithTheView) {
  const long before = engine_->LiveObjects();
  CreateView();
  EXPECT_GT(engine_->LiveObjects(), before);
  view_.reset();
  EXPECT_EQ(engine_->LiveObjects(), before);
}

TEST_F(BrowserViewCreationTest, FailedCreationReleasesEngineObjects) {
  const long before = engine_->LiveObjects();
  ASSERT_TRUE(Script("navigate_fail=80004005"));
  CreateFailing();
  EXPECT_EQ(engine_->LiveObjects(), before);
}

}  // namespace
}  // namespace mirvot::test
