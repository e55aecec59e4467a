// The attempts object on its own: identity, reference counting, what it keeps,
// and the three ways a completion reaches the caller. Its retry runs a real attempt, either
// against a folder without an engine, so that it fails at once and the outcome is known, or
// against the test engine, whose log then shows what the retry handed it.
#include "loader/environment_attempt.h"

#include <wrl/client.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/wide_text.h"
#include "engine/test_engine_client.h"
#include "harness/debug_capture.h"
#include "harness/temp_folder.h"
#include "loader_environment/fake_com_objects.h"
#include "loader_environment/fake_event_tracing.h"

namespace mirvot::test {
namespace {

using Microsoft::WRL::ComPtr;

constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);
constexpr HRESULT kEngineFailure = static_cast<HRESULT>(0x80004005);
constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005);

// No event functions at all: reports go nowhere.
const EventTracingFunctions kNoTracing{};

class EnvironmentAttemptsTest : public ::testing::Test {
 protected:
  EnvironmentAttemptsTest() { *caller.ReleaseAndGetAddressOf() = new RecordingCompletedHandler(); }

  // Settings whose retry fails at once in discovery: a folder without the engine library.
  // Edge view keeps the retry from writing an event unless a test wants one.
  LoaderSettings FailingRetrySettings(bool edgeView = true) {
    LoaderSettings settings;
    settings.browserExecutableFolder = emptyRuntime.c_str();
    settings.useEdgeView = edgeView;
    return settings;
  }

  // Settings whose retry the test engine accepts: the caller hears nothing until a later
  // completion, which these tests deliver by hand. The engine's own completion, drained at the
  // end, then finds the caller already told and changes nothing.
  LoaderSettings AcceptingRetrySettings() {
    const TestEngineClient engine(TestEngineDllPath(L"fixed"));
    engine.Reset();
    LoaderSettings settings;
    settings.browserExecutableFolder = acceptingRuntime.c_str();
    settings.useEdgeView = true;
    return settings;
  }

  void DrainEngineCompletions() {
    const TestEngineClient engine(TestEngineDllPath(L"fixed"));
    ASSERT_TRUE(engine.valid());
    EXPECT_TRUE(engine.PumpUntilNoPendingCompletions());
  }

  // The creation calls the test engine received since AcceptingRetrySettings reset it.
  static std::vector<std::string> EngineCreationCalls() {
    const TestEngineClient engine(TestEngineDllPath(L"fixed"));
    return LinesStartingWith(engine.LogLines(),
                             "CreateWebViewEnvironmentWithOptionsInternal unknown=");
  }

  ComPtr<EnvironmentAttempts> MakeHandler(const LoaderSettings& settings) {
    return EnvironmentAttempts::Create(settings, caller.Get(), events.functions());
  }

  TempFolder folder;
  std::wstring emptyRuntime = folder.MakeFolder(L"runtime");
  std::wstring acceptingRuntime = TestRuntimeFolder(L"fixed");
  ComPtr<RecordingCompletedHandler> caller;
  PosingObject environment{__uuidof(ICoreWebView2Environment)};
  FakeEventTracing events;
};

// --- identity and references ---------------------------------------------------------------

TEST_F(EnvironmentAttemptsTest, QueryInterfaceForUnknownIidClearsPointerAndFails) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);
  void* object = reinterpret_cast<void*>(0x1234);

  EXPECT_EQ(handler->QueryInterface(__uuidof(ICoreWebView2Environment), &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(handler->QueryInterface(__uuidof(IDispatch), &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
}

TEST_F(EnvironmentAttemptsTest, QueryInterfaceAnswersUnknownAndHandlerWithItself) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);

  ComPtr<IUnknown> unknown;
  ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> completed;
  ASSERT_EQ(handler.As(&unknown), S_OK);
  ASSERT_EQ(handler.As(&completed), S_OK);
  EXPECT_EQ(static_cast<void*>(completed.Get()), static_cast<void*>(handler.Get()));
  EXPECT_EQ(static_cast<void*>(unknown.Get()), static_cast<void*>(handler.Get()));
  // Three holders now: the test's first reference and the two queries.
  EXPECT_EQ(handler->AddRef(), 4u);
  EXPECT_EQ(handler->Release(), 3u);
}

TEST_F(EnvironmentAttemptsTest, QueryInterfaceWithNullOutPointerFails) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);
  EXPECT_EQ(handler->QueryInterface(__uuidof(IUnknown), nullptr), E_POINTER);
}

TEST_F(EnvironmentAttemptsTest, HoldsCallerHandlerAndOptionsUntilLastRelease) {
  PosingObject options(__uuidof(ICoreWebView2EnvironmentOptions));
  LoaderSettings settings = FailingRetrySettings();
  settings.environmentOptions = options.As<ICoreWebView2EnvironmentOptions>();
  const LONG callerBefore = caller->references();

  auto handler = MakeHandler(settings);
  ASSERT_TRUE(handler);
  EXPECT_EQ(caller->references(), callerBefore + 1);
  EXPECT_EQ(options.references(), 2);

  handler.Reset();
  EXPECT_EQ(caller->references(), callerBefore);
  EXPECT_EQ(options.references(), 1);
}

// --- captured settings ---------------------------------------------------------------------

TEST_F(EnvironmentAttemptsTest, RetryHandsTheEngineTheCallersOptionsObject) {
  // Posing as nothing the engine asks for: it finds no options interface, yet asks.
  PosingObject options(__uuidof(IDispatch));
  LoaderSettings settings = AcceptingRetrySettings();
  settings.environmentOptions = options.As<ICoreWebView2EnvironmentOptions>();
  const auto handler = MakeHandler(settings);
  ASSERT_TRUE(handler);

  static_cast<void>(handler->Invoke(kEngineFailure, nullptr));

  const auto calls = EngineCreationCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_NE(calls[0].find("options=yes"), std::string::npos) << calls[0];
  EXPECT_GT(options.queryCount, 0);
  DrainEngineCompletions();
}

TEST_F(EnvironmentAttemptsTest, CapturedFoldersAreOwnCopiesThatOutliveTheOriginals) {
  // The runtime folder of a retry that fails at once, named in its line.
  auto original = std::make_unique<std::wstring[]>(2);
  original[0] = L"C:\\Runtimes\\Fixed";
  original[1] = L"D:\\Profiles\\Mirvot";
  LoaderSettings settings;
  settings.browserExecutableFolder = original[0].c_str();
  settings.userDataFolder = original[1].c_str();
  settings.useEdgeView = true;
  const auto handler = MakeHandler(settings);
  ASSERT_TRUE(handler);
  original[0].assign(40, L'x');
  original[1].assign(40, L'y');
  original.reset();
  DebugOutputCapture output;

  static_cast<void>(handler->Invoke(kEngineFailure, nullptr));

  EXPECT_EQ(output.lines(),
            std::vector<std::string>{
                "WebView2: Failed to find the WebView2 client dll at: "
                "C:\\Runtimes\\Fixed\\EBWebView\\x64\\EmbeddedBrowserWebView.dll\n"});

  // The profile folder of a retry the engine accepts, as the engine received it.
  auto runtime = std::make_unique<std::wstring>(AcceptingRetrySettings().browserExecutableFolder);
  auto profile = std::make_unique<std::wstring>(L"D:\\Profiles\\Mirvot");
  settings.browserExecutableFolder = runtime->c_str();
  settings.userDataFolder = profile->c_str();
  const auto accepted = MakeHandler(settings);
  ASSERT_TRUE(accepted);
  runtime->assign(40, L'x');
  profile->assign(40, L'y');
  runtime.reset();
  profile.reset();

  static_cast<void>(accepted->Invoke(kEngineFailure, nullptr));

  const auto calls = EngineCreationCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_NE(calls[0].find("kind=2 userDataFolder=\"D:\\Profiles\\Mirvot\""), std::string::npos)
      << calls[0];
  DrainEngineCompletions();
}

TEST_F(EnvironmentAttemptsTest, NullFoldersStayNullAndEmptyFoldersStayEmpty) {
  // A null runtime folder sends the retry to the installed runtimes, of which there are none.
  LoaderSettings settings;
  settings.browserExecutableFolder = nullptr;
  settings.userDataFolder = L"";
  settings.useEdgeView = true;
  const auto searching = MakeHandler(settings);
  ASSERT_TRUE(searching);
  DebugOutputCapture output;
  static_cast<void>(searching->Invoke(kEngineFailure, nullptr));
  EXPECT_EQ(output.lines(),
            std::vector<std::string>{"WebView2: Failed to find an installed WebView2 runtime or "
                                     "non-stable Microsoft Edge installation.\n"});

  const struct {
    const wchar_t* userDataFolder;
    const char* seen;
  } cases[] = {{L"", "userDataFolder=\"\""}, {nullptr, "userDataFolder=<null>"}};
  for (const auto& c : cases) {
    settings = AcceptingRetrySettings();
    settings.userDataFolder = c.userDataFolder;
    const auto handler = MakeHandler(settings);
    ASSERT_TRUE(handler);
    static_cast<void>(handler->Invoke(kEngineFailure, nullptr));
    const auto calls = EngineCreationCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_NE(calls[0].find(c.seen), std::string::npos) << calls[0];
    DrainEngineCompletions();
  }
}

// --- completions ---------------------------------------------------------------------------

TEST_F(EnvironmentAttemptsTest, SuccessWithEnvironmentHandsTheCallerTheQueriedInterface) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);
  caller->keepEnvironment = true;

  EXPECT_EQ(handler->Invoke(S_OK, environment.As<ICoreWebView2Environment>()), S_OK);

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, S_OK);
  EXPECT_EQ(caller->calls[0].environment, environment.As<ICoreWebView2Environment>());
  EXPECT_EQ(environment.queryCount, 1);
  // The handler released its own query; only the caller's kept reference remains.
  EXPECT_EQ(environment.references(), 2);
}

TEST_F(EnvironmentAttemptsTest, SuccessWithObjectThatRefusesTheInterfacePassesTheQueryFailure) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);
  environment.refuseEverything = true;

  static_cast<void>(handler->Invoke(S_OK, environment.As<ICoreWebView2Environment>()));

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, E_NOINTERFACE);
  EXPECT_EQ(caller->calls[0].environment, nullptr);
}

TEST_F(EnvironmentAttemptsTest, SuccessWithoutEnvironmentReachesTheCallerAsIs) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);

  static_cast<void>(handler->Invoke(S_FALSE, nullptr));

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, S_FALSE);
  EXPECT_EQ(caller->calls[0].environment, nullptr);
}

TEST_F(EnvironmentAttemptsTest, CallerHandlerResultIsIgnored) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);
  caller->result = E_FAIL;

  EXPECT_EQ(handler->Invoke(S_OK, nullptr), S_OK);
  EXPECT_EQ(caller->calls.size(), 1u);
}

TEST_F(EnvironmentAttemptsTest, FirstFailureRetriesWithCapturedSettingsAndReportsTheRetryFailure) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);
  DebugOutputCapture output;

  EXPECT_EQ(handler->Invoke(kEngineFailure, nullptr), S_OK);

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, kFileNotFound);
  EXPECT_EQ(caller->calls[0].environment, nullptr);
  const std::string expected =
      "WebView2: Failed to find the WebView2 client dll at: " + WideToUtf8(emptyRuntime) +
      "\\EBWebView\\x64\\EmbeddedBrowserWebView.dll\n";
  EXPECT_EQ(output.lines(), std::vector<std::string>{expected});
}

TEST_F(EnvironmentAttemptsTest, RetryThatFailsAtOnceWritesItsOwnEvent) {
  events.noticesAtRegistration = {ErrorLevelLoaderTrace()};
  const auto handler = MakeHandler(FailingRetrySettings(/*edgeView=*/false));
  ASSERT_TRUE(handler);

  static_cast<void>(handler->Invoke(kEngineFailure, nullptr));

  ASSERT_EQ(events.writes.size(), 1u);
  const auto payload = PayloadOf(events.writes[0]);
  ASSERT_TRUE(payload.has_value());
  EXPECT_EQ(payload->hresult, kFileNotFound);
  EXPECT_EQ(payload->clientDllFound, 0);
  EXPECT_EQ(payload->installedRuntime, 0);
}

TEST_F(EnvironmentAttemptsTest, FailureWithObjectWhileRetryIsLeftRetriesWithoutQueryingIt) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);

  DebugOutputCapture output;

  static_cast<void>(handler->Invoke(kEngineFailure, environment.As<ICoreWebView2Environment>()));

  EXPECT_EQ(output.lines().size(), 1u) << "the retry ran, and failed with its line";
  EXPECT_EQ(environment.queryCount, 0);
  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, kFileNotFound);
}

TEST_F(EnvironmentAttemptsTest, SecondFailureGoesToTheCallerWithoutAnotherAttempt) {
  const auto handler = MakeHandler(AcceptingRetrySettings());
  ASSERT_TRUE(handler);
  static_cast<void>(handler->Invoke(kEngineFailure, nullptr));
  ASSERT_EQ(EngineCreationCalls().size(), 1u) << "the retry was made";
  ASSERT_TRUE(caller->calls.empty()) << "the accepted retry must not tell the caller yet";
  DebugOutputCapture output;

  static_cast<void>(handler->Invoke(kAccessDenied, nullptr));

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, kAccessDenied);
  EXPECT_EQ(caller->calls[0].environment, nullptr);
  EXPECT_TRUE(output.lines().empty());
  EXPECT_EQ(EngineCreationCalls().size(), 1u) << "the retry is spent: no further attempt";

  DrainEngineCompletions();
  EXPECT_EQ(caller->calls.size(), 1u) << "a completion after the caller was told is ignored";
}

TEST_F(EnvironmentAttemptsTest, FailureWithObjectAfterTheRetryReachesTheCallerAsFailure) {
  const auto handler = MakeHandler(AcceptingRetrySettings());
  ASSERT_TRUE(handler);
  static_cast<void>(handler->Invoke(kEngineFailure, nullptr));
  ASSERT_EQ(EngineCreationCalls().size(), 1u) << "the retry was made";
  ASSERT_TRUE(caller->calls.empty()) << "the accepted retry must not tell the caller yet";

  static_cast<void>(handler->Invoke(kAccessDenied, environment.As<ICoreWebView2Environment>()));

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, kAccessDenied);
  EXPECT_EQ(caller->calls[0].environment, nullptr);
  EXPECT_EQ(environment.queryCount, 0);
  EXPECT_EQ(environment.references(), 1);

  DrainEngineCompletions();
  EXPECT_EQ(caller->calls.size(), 1u) << "a completion after the caller was told is ignored";
}

TEST_F(EnvironmentAttemptsTest, SuccessAfterTheRetryIsSpentStillReachesTheCaller) {
  const auto handler = MakeHandler(AcceptingRetrySettings());
  ASSERT_TRUE(handler);
  static_cast<void>(handler->Invoke(kEngineFailure, nullptr));
  ASSERT_EQ(EngineCreationCalls().size(), 1u) << "the retry was made";
  ASSERT_TRUE(caller->calls.empty()) << "the accepted retry must not tell the caller yet";

  static_cast<void>(handler->Invoke(S_OK, environment.As<ICoreWebView2Environment>()));

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, S_OK);
  EXPECT_EQ(caller->calls[0].environment, environment.As<ICoreWebView2Environment>());

  DrainEngineCompletions();
  EXPECT_EQ(caller->calls.size(), 1u) << "a completion after the caller was told is ignored";
}

}  // namespace
}  // namespace mirvot::test
