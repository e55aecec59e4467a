// The environment-creation entry end to end, in process: settings, discovery, loading, the
// engine call, the retries, the debugger lines and the error events (seen through substitute
// ETW functions), against the test engine and two broken engine libraries.
#include "loader/environment_creation.h"

#include <wrl/client.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/wide_text.h"
#include "engine/test_engine_client.h"
#include "harness/clean_webview2_state.h"
#include "harness/debug_capture.h"
#include "harness/environment.h"
#include "harness/host_paths.h"
#include "harness/registry_seed.h"
#include "harness/temp_folder.h"
#include "loader/settings_resolution.h"
#include "loader_discovery/policy_root_probe.h"
#include "loader_environment/failing_allocation.h"
#include "loader_environment/fake_com_objects.h"
#include "loader_environment/fake_event_tracing.h"

namespace mirvot::test {
namespace {

using Microsoft::WRL::ComPtr;

constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);
constexpr HRESULT kEngineFailure = static_cast<HRESULT>(0x80004005);

constexpr char kNoInstalledRuntimeLine[] =
    "WebView2: Failed to find an installed WebView2 runtime or non-stable Microsoft Edge "
    "installation.\n";
constexpr char kArchitectureHintLine[] =
    "WebView2: This error (0x8007007E) typically indicates missing binaries or an architecture "
    "mismatch. Please ensure the correct binaries (WebView2Loader.dll, EmbeddedBrowserWebView.dll, "
    "etc.) for the target architecture (x86/x64/ARM64) are deployed\n";
constexpr char kCreationCall[] = "CreateWebViewEnvironmentWithOptionsInternal unknown=";
constexpr wchar_t kClientDllRelativePath[] = L"EBWebView\\x64\\EmbeddedBrowserWebView.dll";
constexpr wchar_t kStableClientStateKey[] =
    L"Software\\Microsoft\\EdgeUpdate\\ClientState\\{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";

std::string Utf8(const std::wstring& text) { return WideToUtf8(text); }

bool IsLoaded(const std::wstring& path) { return ::GetModuleHandleW(path.c_str()) != nullptr; }

// What the loader reads besides its arguments, cleared for every test: the six variables,
// every policy and every updater registration, and the test engine's own variables.
class LoaderEnvironmentTest : public ::testing::Test {
 protected:
  LoaderEnvironmentTest() {
    events.noticesAtRegistration = {ErrorLevelLoaderTrace()};
    *caller.ReleaseAndGetAddressOf() = new RecordingCompletedHandler();
  }

  HRESULT Create(const wchar_t* browserExecutableFolder, const wchar_t* userDataFolder = nullptr,
                 ICoreWebView2EnvironmentOptions* options = nullptr) {
    return CreateCoreWebView2EnvironmentWithOptions(browserExecutableFolder, userDataFolder,
                                                    options, caller.Get(), events.functions());
  }

  bool WaitForCaller() {
    return PumpMessagesUntil([this] { return !caller->calls.empty(); });
  }

  // A runtime folder in the temporary folder whose engine library is a copy of `library`.
  std::wstring RuntimeWithLibrary(const std::wstring& library) {
    const std::wstring runtime = temp.MakeFolder(L"runtime");
    EXPECT_TRUE(CopyFileTo(library, ClientDllIn(runtime)));
    return runtime;
  }

  static std::wstring ClientDllIn(const std::wstring& runtime) {
    return runtime + L"\\" + kClientDllRelativePath;
  }

  std::vector<LoaderErrorPayload> EventPayloads() const {
    std::vector<LoaderErrorPayload> payloads;
    for (const RecordedWrite& write : events.writes) {
      const auto payload = PayloadOf(write);
      EXPECT_TRUE(payload.has_value());
      if (payload) {
        payloads.push_back(*payload);
      }
    }
    return payloads;
  }

  CleanWebView2State clean;
  ScopedRegistryTree machinePolicies{HKEY_LOCAL_MACHINE, L"Software\\Policies\\Microsoft\\Edge"};
  ScopedRegistryTree userPolicies{HKEY_CURRENT_USER, L"Software\\Policies\\Microsoft\\Edge"};
  ScopedRegistryTree machineUpdater{HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\EdgeUpdate",
                                    RegistryView::Wow64_32};
  ScopedRegistryTree userUpdater{HKEY_CURRENT_USER, L"Software\\Microsoft\\EdgeUpdate",
                                 RegistryView::Wow64_32};
  TempFolder temp;
  FakeEventTracing events;
  DebugOutputCapture output;
  ComPtr<RecordingCompletedHandler> caller;
};

// Tests that drive the test engine in the "fixed" runtime folder. The engine stays loaded once
// it has accepted a creation, so its script and log are reset for every test.
class FixedEngineTest : public LoaderEnvironmentTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(engine.valid());
    engine.Reset();
  }

  void TearDown() override {
    engine.PumpUntilNoPendingCompletions();
    engine.Reset();
  }

  std::vector<std::string> CreationCalls() const {
    return LinesStartingWith(engine.LogLines(), kCreationCall);
  }

  std::wstring fixedFolder = TestRuntimeFolder(L"fixed");
  TestEngineClient engine{TestEngineDllPath(L"fixed")};
};

// --- arguments -----------------------------------------------------------------------------

TEST_F(FixedEngineTest, NullHandlerReturnsEPointerWithoutOutputEventOrEngineCall) {
  EXPECT_EQ(CreateCoreWebView2EnvironmentWithOptions(fixedFolder.c_str(), nullptr, nullptr, nullptr,
                                                     events.functions()),
            E_POINTER);

  EXPECT_TRUE(output.writes().empty());
  EXPECT_TRUE(events.calls.empty());
  EXPECT_TRUE(engine.LogLines().empty());
}

TEST_F(LoaderEnvironmentTest, NullHandlerReadsNoPolicy) {
  // A resolution with no policy root anywhere remembers that; the next resolution's first row
  // always tests the root afresh. So if the null-handler call resolved anything, the seeded
  // root would be noticed.
  LoaderSettings probe;
  ResolvedTextStorage probeTexts;
  ResolveLoaderSettings(probe, probeTexts);
  ASSERT_FALSE(LaterRowsReadPolicies());
  ASSERT_EQ(SetRegistryString(HKEY_CURRENT_USER,
                              L"Software\\Policies\\Microsoft\\Edge\\WebView2\\UserDataFolder",
                              L"*", L"C:\\Ignored"),
            ERROR_SUCCESS);

  EXPECT_EQ(CreateCoreWebView2EnvironmentWithOptions(nullptr, nullptr, nullptr, nullptr),
            E_POINTER);
  EXPECT_FALSE(LaterRowsReadPolicies());

  // The same probe now sees the root, so the check above could have failed.
  ResolveLoaderSettings(probe, probeTexts);
  EXPECT_TRUE(LaterRowsReadPolicies());
}

TEST_F(FixedEngineTest, EngineGetsTrueFlagFixedKindAndTheUserDataFolderUnchanged) {
  ASSERT_EQ(Create(fixedFolder.c_str(), L"C:\\Profiles\\ Mirvot\\"), S_OK);
  ASSERT_TRUE(WaitForCaller());

  const auto calls = CreationCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0],
            "CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=1 "
            "userDataFolder=\"C:\\Profiles\\ Mirvot\\\" options=no handler=yes");
}

TEST_F(FixedEngineTest, NullUserDataFolderReachesTheEngineAsNull) {
  ASSERT_EQ(Create(fixedFolder.c_str(), nullptr), S_OK);
  ASSERT_TRUE(WaitForCaller());

  const auto calls = CreationCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_NE(calls[0].find("userDataFolder=<null>"), std::string::npos) << calls[0];
}

TEST_F(FixedEngineTest, OptionsObjectIsPassedOnToTheEngine) {
  // Posing as nothing the loader or the engine asks for: both find no options interface.
  PosingObject options(__uuidof(IDispatch));
  ASSERT_EQ(Create(fixedFolder.c_str(), nullptr, options.As<ICoreWebView2EnvironmentOptions>()),
            S_OK);
  ASSERT_TRUE(WaitForCaller());

  const auto calls = CreationCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_NE(calls[0].find("options=yes"), std::string::npos) << calls[0];
  EXPECT_GT(options.queryCount, 0);
}

// A loader without its own handler could not tell the caller anything: it must not call the
// engine and claim that the caller will hear back.
TEST_F(FixedEngineTest, HandlerThatCannotBeMadeFailsTheEntryWithoutCallingTheEngine) {
  HRESULT hr = S_OK;
  int refused = 0;
  {
    const FailingNothrowAllocations noMemory;
    hr = Create(fixedFolder.c_str());
    refused = noMemory.refused();
  }
  EXPECT_EQ(hr, E_OUTOFMEMORY);
  EXPECT_GT(refused, 0);
  EXPECT_TRUE(CreationCalls().empty());
  PumpMessagesUntil([] { return false; }, 200);
  EXPECT_TRUE(caller->calls.empty());
}

// --- success -------------------------------------------------------------------------------

TEST_F(FixedEngineTest, AcceptedCreationCallsTheCallerOnceWithTheEnvironment) {
  ASSERT_EQ(Create(fixedFolder.c_str()), S_OK);
  // Never from inside the entry.
  EXPECT_TRUE(caller->calls.empty());
  ASSERT_TRUE(WaitForCaller());
  engine.PumpUntilNoPendingCompletions();

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, S_OK);
  ASSERT_NE(caller->calls[0].environment, nullptr);
  EXPECT_TRUE(output.writes().empty());
  EXPECT_TRUE(events.calls.empty());
}

TEST_F(FixedEngineTest, EnvironmentHandedToTheCallerIsTheEnvironmentInterface) {
  caller->keepEnvironment = true;
  ASSERT_EQ(Create(fixedFolder.c_str()), S_OK);
  ASSERT_TRUE(WaitForCaller());

  ASSERT_TRUE(caller->calls.at(0).kept);
  ComPtr<ICoreWebView2Environment> asked;
  ASSERT_EQ(caller->calls[0].kept.As(&asked), S_OK);
  EXPECT_EQ(asked.Get(), caller->calls[0].kept.Get());
}

TEST_F(FixedEngineTest, SuccessWithoutEnvironmentReachesTheCallerAsSuccessAndNull) {
  ASSERT_TRUE(engine.SetScript("env_null=1"));
  ASSERT_EQ(Create(fixedFolder.c_str()), S_OK);
  ASSERT_TRUE(WaitForCaller());
  engine.PumpUntilNoPendingCompletions();

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, S_OK);
  EXPECT_EQ(caller->calls[0].environment, nullptr);
  EXPECT_EQ(CreationCalls().size(), 1u);
}

// --- failed completions --------------------------------------------------------------------

TEST_F(FixedEngineTest, FailedCompletionFollowedBySuccessShowsTheCallerOnlySuccess) {
  ASSERT_TRUE(engine.SetScript("env_fail=80004005;env_fail_times=1"));
  ASSERT_EQ(Create(fixedFolder.c_str()), S_OK);
  ASSERT_TRUE(WaitForCaller());
  engine.PumpUntilNoPendingCompletions();

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, S_OK);
  EXPECT_NE(caller->calls[0].environment, nullptr);
  EXPECT_EQ(CreationCalls().size(), 2u);
  // An accepted retry is no failed attempt: no event, no line.
  EXPECT_TRUE(events.calls.empty());
  EXPECT_TRUE(output.writes().empty());
}

TEST_F(FixedEngineTest, RetryRunsWithTheSameSettingsAsTheFirstAttempt) {
  ASSERT_TRUE(engine.SetScript("env_fail=80004005;env_fail_times=1"));
  ASSERT_EQ(Create(fixedFolder.c_str(), L"D:\\Profile"), S_OK);
  ASSERT_TRUE(WaitForCaller());

  const auto calls = CreationCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], calls[1]);
}

TEST_F(FixedEngineTest, CompletionFailingTwiceGivesTheCallerTheFailureAndNull) {
  ASSERT_TRUE(engine.SetScript("env_fail=80004005"));
  ASSERT_EQ(Create(fixedFolder.c_str()), S_OK);
  ASSERT_TRUE(WaitForCaller());
  engine.PumpUntilNoPendingCompletions();

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, kEngineFailure);
  EXPECT_EQ(caller->calls[0].environment, nullptr);
  EXPECT_EQ(CreationCalls().size(), 2u);
  EXPECT_TRUE(events.calls.empty());
}

TEST_F(FixedEngineTest, FailureWithObjectAfterTheRetryReachesTheCallerAsTheFailure) {
  ASSERT_TRUE(engine.SetScript("env_fail=80070005;env_fail_with_object=1"));
  ASSERT_EQ(Create(fixedFolder.c_str()), S_OK);
  ASSERT_TRUE(WaitForCaller());
  engine.PumpUntilNoPendingCompletions();

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(static_cast<std::uint32_t>(caller->calls[0].errorCode), 0x80070005u);
  EXPECT_EQ(caller->calls[0].environment, nullptr);
  EXPECT_EQ(CreationCalls().size(), 2u);
}

TEST_F(FixedEngineTest, RetryAfterTheEntryReturnedUsesTheFoldersOfTheFirstResolution) {
  auto folderValue = std::make_unique<std::wstring>(fixedFolder);
  auto profileValue = std::make_unique<std::wstring>(L"E:\\Original Profile");
  SetEnvironment(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", *folderValue);
  SetEnvironment(L"WEBVIEW2_USER_DATA_FOLDER", *profileValue);
  ASSERT_TRUE(engine.SetScript("env_fail=80004005;env_fail_times=1"));

  ASSERT_EQ(Create(L"C:\\Argument Folder", L"C:\\Argument Profile"), S_OK);
  // The retry runs later, from the message loop: by then the variables say something else and
  // the strings they were read from are gone.
  SetEnvironment(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", temp.MakeFolder(L"elsewhere"));
  SetEnvironment(L"WEBVIEW2_USER_DATA_FOLDER", L"F:\\Changed Profile");
  folderValue.reset();
  profileValue.reset();
  ASSERT_TRUE(WaitForCaller());

  ASSERT_EQ(caller->calls.size(), 1u);
  EXPECT_EQ(caller->calls[0].errorCode, S_OK);
  const auto calls = CreationCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_NE(calls[1].find("userDataFolder=\"E:\\Original Profile\""), std::string::npos)
      << calls[1];
  EXPECT_TRUE(output.writes().empty());
}

// --- the engine refusing -------------------------------------------------------------------

TEST_F(FixedEngineTest, RefusedCreationIsTriedTwiceAndReturnsTheEngineCode) {
  ASSERT_TRUE(engine.SetScript("refuse_create=80004005"));

  EXPECT_EQ(Create(fixedFolder.c_str()), kEngineFailure);
  PumpPendingMessages();

  EXPECT_TRUE(caller->calls.empty());
  EXPECT_EQ(CountLinesStartingWith(engine.LogLines(),
                                   "CreateWebViewEnvironmentWithOptionsInternal refused"),
            2);
  EXPECT_TRUE(output.writes().empty());
}

TEST_F(FixedEngineTest, EachRefusedAttemptReportsAnEventWithClientDllFound) {
  ASSERT_TRUE(engine.SetScript("refuse_create=80004005"));
  ASSERT_EQ(Create(fixedFolder.c_str()), kEngineFailure);

  const auto payloads = EventPayloads();
  ASSERT_EQ(payloads.size(), 2u);
  for (const LoaderErrorPayload& payload : payloads) {
    EXPECT_EQ(payload.hresult, kEngineFailure);
    EXPECT_EQ(payload.clientDllFound, 1);
    EXPECT_EQ(payload.installedRuntime, 0);
  }
}

// --- runtime kinds -------------------------------------------------------------------------

TEST_F(LoaderEnvironmentTest, InstalledRuntimeIsCreatedWithKindInstalled) {
  const std::wstring versionFolder = TestRuntimeFolder(L"Application\\120.0.2210.91");
  ASSERT_EQ(SetRegistryString(HKEY_CURRENT_USER, kStableClientStateKey, L"EBWebView", versionFolder,
                              RegistryView::Wow64_32),
            ERROR_SUCCESS);
  const TestEngineClient installed(TestEngineDllPath(L"Application\\120.0.2210.91"));
  ASSERT_TRUE(installed.valid());
  installed.Reset();

  ASSERT_EQ(Create(nullptr), S_OK);
  ASSERT_TRUE(WaitForCaller());
  installed.PumpUntilNoPendingCompletions();

  EXPECT_EQ(caller->calls.at(0).errorCode, S_OK);
  EXPECT_EQ(CountLinesStartingWith(installed.LogLines(),
                                   "CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=0 "),
            1);
  installed.Reset();
}

TEST_F(FixedEngineTest, EdgeViewModeGivesKindEdgeView) {
  SetEnvironment(L"WEBVIEW2_USE_EDGE_VIEW", L"1");
  ASSERT_EQ(Create(fixedFolder.c_str()), S_OK);
  ASSERT_TRUE(WaitForCaller());

  const auto calls = CreationCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].rfind("CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=2 ", 0), 0u)
      << calls[0];
}

TEST_F(FixedEngineTest, EdgeViewModeWritesNoEventWhateverFails) {
  SetEnvironment(L"WEBVIEW2_USE_EDGE_VIEW", L"1");
  ASSERT_TRUE(engine.SetScript("refuse_create=80004005"));
  EXPECT_EQ(Create(fixedFolder.c_str()), kEngineFailure);
  EXPECT_EQ(Create(temp.MakeFolder(L"empty").c_str()), kFileNotFound);

  EXPECT_TRUE(events.calls.empty());
  EXPECT_EQ(CreationCalls().size(), 2u);
}

// --- discovery and loading failures --------------------------------------------------------

TEST_F(LoaderEnvironmentTest, NoInstalledRuntimeFailsTwiceWithFileNotFound) {
  EXPECT_EQ(Create(nullptr), kFileNotFound);
  PumpPendingMessages();

  EXPECT_EQ(output.lines(),
            (std::vector<std::string>{kNoInstalledRuntimeLine, kNoInstalledRuntimeLine}));
  EXPECT_TRUE(caller->calls.empty());
}

TEST_F(LoaderEnvironmentTest, NoInstalledRuntimeReportsTwoSearchEvents) {
  ASSERT_EQ(Create(L""), kFileNotFound);

  const auto payloads = EventPayloads();
  ASSERT_EQ(payloads.size(), 2u);
  for (const LoaderErrorPayload& payload : payloads) {
    EXPECT_EQ(payload.hresult, kFileNotFound);
    EXPECT_EQ(payload.clientDllFound, 0);
    EXPECT_EQ(payload.installedRuntime, 1);
    EXPECT_EQ(payload.partAPrivTags, 0x0000000001000000ull);
  }
  EXPECT_EQ(events.calls, (std::vector<std::string>{"register", "traits", "write", "unregister",
                                                    "register", "traits", "write", "unregister"}));
}

TEST_F(LoaderEnvironmentTest, FolderWithoutTheLibraryFailsWithItsLineAndFixedFolderEvents) {
  const std::wstring runtime = temp.MakeFolder(L"no-engine");

  EXPECT_EQ(Create(runtime.c_str()), kFileNotFound);

  const std::string line =
      "WebView2: Failed to find the WebView2 client dll at: " + Utf8(ClientDllIn(runtime)) + "\n";
  EXPECT_EQ(output.lines(), (std::vector<std::string>{line, line}));
  const auto payloads = EventPayloads();
  ASSERT_EQ(payloads.size(), 2u);
  for (const LoaderErrorPayload& payload : payloads) {
    EXPECT_EQ(payload.hresult, kFileNotFound);
    EXPECT_EQ(payload.clientDllFound, 0);
    EXPECT_EQ(payload.installedRuntime, 0);
  }
}

TEST_F(LoaderEnvironmentTest, FileThatIsNoLibraryGivesTheLoadLineWithoutHint) {
  const std::wstring runtime = temp.MakeFolder(L"not-a-dll");
  temp.WriteFile(L"not-a-dll\\EBWebView\\x64\\EmbeddedBrowserWebView.dll", "not a program");
  const HRESULT badImage = static_cast<HRESULT>(0x800700C1);

  EXPECT_EQ(Create(runtime.c_str()), badImage);

  const std::string line =
      "WebView2: CoreWebView2Environment failed when trying to LoadLibrary: hr=0x800700C1 path=" +
      Utf8(ClientDllIn(runtime)) + "\n";
  EXPECT_EQ(output.lines(), (std::vector<std::string>{line, line}));
  const auto payloads = EventPayloads();
  ASSERT_EQ(payloads.size(), 2u);
  EXPECT_EQ(payloads[0].hresult, badImage);
  EXPECT_EQ(payloads[0].clientDllFound, 1);
  EXPECT_EQ(payloads[0].installedRuntime, 0);
}

TEST_F(LoaderEnvironmentTest, LibraryWithMissingDependencyGivesTheLoadLineWithHint) {
  const std::wstring runtime =
      RuntimeWithLibrary(WindowsPathFromHost(LOADER_ENV_MISSING_DEPENDENCY_DLL));
  const HRESULT moduleNotFound = static_cast<HRESULT>(0x8007007E);

  EXPECT_EQ(Create(runtime.c_str()), moduleNotFound);

  const std::string line =
      "WebView2: CoreWebView2Environment failed when trying to LoadLibrary: hr=0x8007007E path=" +
      Utf8(ClientDllIn(runtime)) + "\n";
  EXPECT_EQ(output.lines(),
            (std::vector<std::string>{line, kArchitectureHintLine, line, kArchitectureHintLine}));
  const auto payloads = EventPayloads();
  ASSERT_EQ(payloads.size(), 2u);
  EXPECT_EQ(payloads[1].hresult, moduleNotFound);
  EXPECT_EQ(payloads[1].clientDllFound, 1);
}

TEST_F(LoaderEnvironmentTest, LoadLineIsWrittenInPiecesWithTheHintAsOne) {
  const std::wstring runtime =
      RuntimeWithLibrary(WindowsPathFromHost(LOADER_ENV_MISSING_DEPENDENCY_DLL));
  ASSERT_EQ(Create(runtime.c_str()), static_cast<HRESULT>(0x8007007E));

  std::vector<std::string> pieces;
  for (const DebugWrite& write : output.writes()) {
    pieces.push_back(write.text);
  }
  const std::string hint(kArchitectureHintLine, sizeof(kArchitectureHintLine) - 2);
  const std::vector<std::string> attempt{
      "WebView2: CoreWebView2Environment failed when trying to LoadLibrary: hr=0x",
      "8007007E",
      " path=",
      Utf8(ClientDllIn(runtime)),
      "\n" + hint,
      "\n"};
  std::vector<std::string> expected = attempt;
  expected.insert(expected.end(), attempt.begin(), attempt.end());
  EXPECT_EQ(pieces, expected);
}

TEST_F(LoaderEnvironmentTest, LibraryWithoutTheCreationExportGivesItsLineAndIsReleased) {
  const std::wstring runtime =
      RuntimeWithLibrary(WindowsPathFromHost(LOADER_ENV_WITHOUT_EXPORT_DLL));
  const HRESULT procNotFound = static_cast<HRESULT>(0x8007007F);

  EXPECT_EQ(Create(runtime.c_str()), procNotFound);

  const std::string line =
      "WebView2: CoreWebView2Environment failed when trying to call into "
      "EmbeddedBrowserWebView.dll. hr=0x8007007F\n";
  EXPECT_EQ(output.lines(), (std::vector<std::string>{line, line}));
  EXPECT_FALSE(IsLoaded(ClientDllIn(runtime)));
  const auto payloads = EventPayloads();
  ASSERT_EQ(payloads.size(), 2u);
  EXPECT_EQ(payloads[0].hresult, procNotFound);
  EXPECT_EQ(payloads[0].clientDllFound, 1);
  EXPECT_EQ(payloads[0].installedRuntime, 0);
}

// --- keeping or releasing the library ------------------------------------------------------

TEST_F(LoaderEnvironmentTest, LibraryWithDllCanUnloadNowIsReleasedAfterTheCall) {
  const std::wstring runtime = RuntimeWithLibrary(TestEngineDllPath(L"fixed"));
  const std::wstring log = temp.Join(L"engine.log");
  // Through the variables: a client of this copy would hold a reference of its own.
  SetEnvironment(L"MIRVOT_TEST_ENGINE_SCRIPT", L"refuse_create=80004005");
  SetEnvironment(L"MIRVOT_TEST_ENGINE_LOG", log);

  EXPECT_EQ(Create(runtime.c_str()), kEngineFailure);

  EXPECT_EQ(CountLinesStartingWith(ReadLogFileLines(log),
                                   "CreateWebViewEnvironmentWithOptionsInternal refused"),
            2);
  EXPECT_FALSE(IsLoaded(ClientDllIn(runtime)));
}

TEST_F(LoaderEnvironmentTest, LibraryWithoutDllCanUnloadNowStaysLoaded) {
  const std::wstring runtime = RuntimeWithLibrary(TestEngineDllPath(L"fixed-no-unload"));
  const std::wstring log = temp.Join(L"engine.log");
  SetEnvironment(L"MIRVOT_TEST_ENGINE_SCRIPT", L"refuse_create=80004005");
  SetEnvironment(L"MIRVOT_TEST_ENGINE_LOG", log);

  EXPECT_EQ(Create(runtime.c_str()), kEngineFailure);

  EXPECT_EQ(CountLinesStartingWith(ReadLogFileLines(log),
                                   "CreateWebViewEnvironmentWithOptionsInternal refused"),
            2);
  EXPECT_TRUE(IsLoaded(ClientDllIn(runtime)));
}

}  // namespace
}  // namespace mirvot::test
