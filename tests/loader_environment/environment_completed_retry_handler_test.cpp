// The retrying completion handler on its own: identity, reference counting, what it keeps,
// and the three ways a completion reaches the caller. Its retry runs a real attempt against a
// folder without an engine, so it fails at once and the outcome is known.
#include "loader/environment_completed_retry_handler.h"

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

// An instance on the stack with a chosen starting count, for the saturation edge.
class CountedRetryHandler final : public EnvironmentCompletedRetryHandler {
 public:
  explicit CountedRetryHandler(LONG initialReferenceCount)
      : EnvironmentCompletedRetryHandler(nullptr, kNoTracing, initialReferenceCount) {}
  ~CountedRetryHandler() override = default;
};

class RetryHandlerTest : public ::testing::Test {
 protected:
  RetryHandlerTest() { *caller.ReleaseAndGetAddressOf() = new RecordingCompletedHandler(); }

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

  ComPtr<EnvironmentCompletedRetryHandler> MakeHandler(const LoaderSettings& settings) {
    return EnvironmentCompletedRetryHandler::Create(settings, caller.Get(), events.functions());
  }

  TempFolder folder;
  std::wstring emptyRuntime = folder.MakeFolder(L"runtime");
  std::wstring acceptingRuntime = TestRuntimeFolder(L"fixed");
  ComPtr<RecordingCompletedHandler> caller;
  PosingObject environment{__uuidof(ICoreWebView2Environment)};
  FakeEventTracing events;
};

// --- identity and references ---------------------------------------------------------------

TEST_F(RetryHandlerTest, QueryInterfaceForUnknownIidClearsPointerAndFails) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);
  void* object = reinterpret_cast<void*>(0x1234);

  EXPECT_EQ(handler->QueryInterface(__uuidof(ICoreWebView2Environment), &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(handler->QueryInterface(__uuidof(IDispatch), &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
}

TEST_F(RetryHandlerTest, QueryInterfaceAnswersUnknownAndHandlerWithItself) {
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

TEST_F(RetryHandlerTest, QueryInterfaceWithNullOutPointerFails) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);
  EXPECT_EQ(handler->QueryInterface(__uuidof(IUnknown), nullptr), E_POINTER);
}

TEST(RetryHandlerCountTest, AddRefAtMaximumStaysAtMaximum) {
  CountedRetryHandler handler(0x7FFFFFFF);
  EXPECT_EQ(handler.AddRef(), 0x7FFFFFFFu);
  EXPECT_EQ(handler.AddRef(), 0x7FFFFFFFu);
}

TEST(RetryHandlerCountTest, ReleaseAtMaximumReportsOneLessButKeepsTheCount) {
  CountedRetryHandler handler(0x7FFFFFFF);
  EXPECT_EQ(handler.Release(), 0x7FFFFFFEu);
  EXPECT_EQ(handler.Release(), 0x7FFFFFFEu);
  EXPECT_EQ(handler.AddRef(), 0x7FFFFFFFu);
}

TEST(RetryHandlerCountTest, CountReachesMaximumAndThenSticks) {
  CountedRetryHandler handler(0x7FFFFFFD);
  EXPECT_EQ(handler.AddRef(), 0x7FFFFFFEu);
  EXPECT_EQ(handler.AddRef(), 0x7FFFFFFFu);
  EXPECT_EQ(handler.Release(), 0x7FFFFFFEu);
}

TEST_F(RetryHandlerTest, HoldsCallerHandlerAndOptionsUntilLastRelease) {
  PosingObject options(__uuidof(ICoreWebView2EnvironmentOptions));
  LoaderSettings settings = FailingRetrySettings();
  settings.environmentOptions = options.As<ICoreWebView2EnvironmentOptions>();
  const LONG callerBefore = caller->references();

  auto handler = MakeHandler(settings);
  ASSERT_TRUE(handler);
  EXPECT_EQ(caller->references(), callerBefore + 1);
  EXPECT_EQ(options.references(), 2);
  EXPECT_EQ(handler->CapturedSettings().environmentOptions,
            options.As<ICoreWebView2EnvironmentOptions>());

  handler.Reset();
  EXPECT_EQ(caller->references(), callerBefore);
  EXPECT_EQ(options.references(), 1);
}

// --- captured settings ---------------------------------------------------------------------

TEST_F(RetryHandlerTest, CapturedFoldersAreOwnCopiesThatOutliveTheOriginals) {
  auto original = std::make_unique<std::wstring[]>(2);
  original[0] = L"C:\\Runtimes\\Fixed";
  original[1] = L"D:\\Profiles\\Mirvot";
  LoaderSettings settings;
  settings.browserExecutableFolder = original[0].c_str();
  settings.userDataFolder = original[1].c_str();

  const auto handler = MakeHandler(settings);
  ASSERT_TRUE(handler);
  const LoaderSettings& captured = handler->CapturedSettings();
  EXPECT_NE(captured.browserExecutableFolder, original[0].c_str());
  EXPECT_NE(captured.userDataFolder, original[1].c_str());

  original[0].assign(40, L'x');
  original[1].assign(40, L'y');
  original.reset();
  EXPECT_STREQ(captured.browserExecutableFolder, L"C:\\Runtimes\\Fixed");
  EXPECT_STREQ(captured.userDataFolder, L"D:\\Profiles\\Mirvot");
}

TEST_F(RetryHandlerTest, NullFoldersStayNullAndEmptyFoldersStayEmpty) {
  LoaderSettings settings;
  settings.browserExecutableFolder = nullptr;
  settings.userDataFolder = L"";

  const auto handler = MakeHandler(settings);
  ASSERT_TRUE(handler);
  EXPECT_EQ(handler->CapturedSettings().browserExecutableFolder, nullptr);
  ASSERT_NE(handler->CapturedSettings().userDataFolder, nullptr);
  EXPECT_STREQ(handler->CapturedSettings().userDataFolder, L"");
}

// --- completions ---------------------------------------------------------------------------

TEST_F(RetryHandlerTest, SuccessWithEnvironmentHandsTheCallerTheQueriedInterface) {
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

TEST_F(RetryHandlerTest, SuccessWithObjectThatRefusesTheInterfacePassesTheQueryFailure) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);
  environment.refuseEverything = true;

  static_cast<void>(handler->Invoke(S_OK, environment.As<ICoreWebView2Environment>()));

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, E_NOINTERFACE);
  EXPECT_EQ(caller->calls[0].environment, nullptr);
}

TEST_F(RetryHandlerTest, SuccessWithoutEnvironmentReachesTheCallerAsIs) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);

  static_cast<void>(handler->Invoke(S_FALSE, nullptr));

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, S_FALSE);
  EXPECT_EQ(caller->calls[0].environment, nullptr);
}

TEST_F(RetryHandlerTest, CallerHandlerResultIsIgnored) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);
  caller->result = E_FAIL;

  EXPECT_EQ(handler->Invoke(S_OK, nullptr), S_OK);
  EXPECT_EQ(caller->calls.size(), 1u);
}

TEST_F(RetryHandlerTest, FirstFailureRetriesWithCapturedSettingsAndReportsTheRetryFailure) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);
  DebugOutputCapture output;

  EXPECT_EQ(handler->Invoke(kEngineFailure, nullptr), S_OK);

  EXPECT_EQ(handler->RetriesLeft(), 0);
  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, kFileNotFound);
  EXPECT_EQ(caller->calls[0].environment, nullptr);
  const std::string expected =
      "WebView2: Failed to find the WebView2 client dll at: " + WideToUtf8(emptyRuntime) +
      "\\EBWebView\\x64\\EmbeddedBrowserWebView.dll\n";
  EXPECT_EQ(output.lines(), std::vector<std::string>{expected});
}

TEST_F(RetryHandlerTest, RetryThatFailsAtOnceWritesItsOwnEvent) {
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

TEST_F(RetryHandlerTest, FailureWithObjectWhileRetryIsLeftRetriesWithoutQueryingIt) {
  const auto handler = MakeHandler(FailingRetrySettings());
  ASSERT_TRUE(handler);

  static_cast<void>(handler->Invoke(kEngineFailure, environment.As<ICoreWebView2Environment>()));

  EXPECT_EQ(handler->RetriesLeft(), 0);
  EXPECT_EQ(environment.queryCount, 0);
  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, kFileNotFound);
}

TEST_F(RetryHandlerTest, SecondFailureGoesToTheCallerWithoutAnotherAttempt) {
  const auto handler = MakeHandler(AcceptingRetrySettings());
  ASSERT_TRUE(handler);
  static_cast<void>(handler->Invoke(kEngineFailure, nullptr));
  ASSERT_EQ(handler->RetriesLeft(), 0);
  ASSERT_TRUE(caller->calls.empty()) << "the accepted retry must not tell the caller yet";
  DebugOutputCapture output;

  static_cast<void>(handler->Invoke(kAccessDenied, nullptr));

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, kAccessDenied);
  EXPECT_EQ(caller->calls[0].environment, nullptr);
  EXPECT_TRUE(output.lines().empty());

  DrainEngineCompletions();
  EXPECT_EQ(caller->calls.size(), 1u) << "a completion after the caller was told is ignored";
}

TEST_F(RetryHandlerTest, FailureWithObjectAfterTheRetryReachesTheCallerAsFailure) {
  const auto handler = MakeHandler(AcceptingRetrySettings());
  ASSERT_TRUE(handler);
  static_cast<void>(handler->Invoke(kEngineFailure, nullptr));
  ASSERT_EQ(handler->RetriesLeft(), 0);
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

TEST_F(RetryHandlerTest, SuccessAfterTheRetryIsSpentStillReachesTheCaller) {
  const auto handler = MakeHandler(AcceptingRetrySettings());
  ASSERT_TRUE(handler);
  static_cast<void>(handler->Invoke(kEngineFailure, nullptr));
  ASSERT_EQ(handler->RetriesLeft(), 0);
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
