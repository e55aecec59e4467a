// The engine's creation export: when and how it completes, what it logs, and what the script
// makes it do.
#include <windows.h>
#include <wrl/client.h>

#include <thread>

#include <gtest/gtest.h>

#include "engine/engine_fixture.h"
#include "harness/environment.h"
#include "harness/temp_folder.h"

namespace mirvot::test {
namespace {

using Microsoft::WRL::ComPtr;

using EngineCreation = EngineTest;

TEST_F(EngineCreation, CompletesExactlyOnceLaterFromTheMessageLoop) {
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(Create(handler.Get()), S_OK);
  EXPECT_EQ(handler->calls, 0) << "Invoke ran inside the call";
  EXPECT_EQ(engine_->PendingCompletions(), 1);

  ASSERT_TRUE(PumpMessagesUntil([&] { return handler->calls > 0; }));
  EXPECT_TRUE(engine_->PumpUntilNoPendingCompletions());
  PumpPendingMessages();
  EXPECT_EQ(handler->calls, 1);
  EXPECT_EQ(handler->lastError, S_OK);
  ASSERT_TRUE(handler->lastEnvironment);
  HRESULT hr = E_FAIL;
  EXPECT_TRUE(QueryAs<ICoreWebView2Environment10>(handler->lastEnvironment.Get(), &hr));
  EXPECT_EQ(hr, S_OK);
  EXPECT_TRUE(QueryAs<ICoreWebView2Environment>(handler->lastEnvironment.Get()));
  EXPECT_TRUE(QueryAs<ICoreWebView2Environment5>(handler->lastEnvironment.Get()));
}

TEST_F(EngineCreation, CompletesOnTheCreatingThreadOnly) {
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  DWORD workerId = 0;
  bool workerSawCompletion = false;
  std::thread worker([&] {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    workerId = ::GetCurrentThreadId();
    if (SUCCEEDED(Create(handler.Get()))) {
      workerSawCompletion = PumpMessagesUntil([&] { return handler->calls > 0; });
    }
    handler->lastEnvironment.Reset();
    ::CoUninitialize();
  });
  // This thread pumps too, and must not receive the worker's completion.
  PumpMessagesUntil([&] { return handler->calls > 0; });
  worker.join();
  EXPECT_TRUE(workerSawCompletion);
  EXPECT_EQ(handler->calls, 1);
  EXPECT_EQ(handler->invokedOnThread, workerId);
  EXPECT_NE(handler->invokedOnThread, ::GetCurrentThreadId());
}

TEST_F(EngineCreation, KeepsTheHandlerOnlyUntilItWasCalled) {
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(Create(handler.Get()), S_OK);
  EXPECT_GT(handler->References(), 1);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  handler->lastEnvironment.Reset();
  EXPECT_EQ(handler->References(), 1);
}

TEST_F(EngineCreation, LogsTheArgumentsAndEveryOptionsGetter) {
  auto options = MakeProbe<ProbeOptions>();
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(create_(true, 1, L"C:\\data dir\\x", options.Get(), handler.Get()), S_OK);
  const std::vector<std::string> expected = {
      "CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=1 "
      "userDataFolder=\"C:\\data dir\\x\" options=yes handler=yes",
      "options.get_AdditionalBrowserArguments hr=0x00000000 value=\"--probe-a --probe-b\"",
      "options.get_Language hr=0x00000000 value=\"de-CH\"",
      "options.get_TargetCompatibleBrowserVersion hr=0x80070005",
      "options.get_AllowSingleSignOnUsingOSPrimaryAccount hr=0x00000000 value=1",
      "options.get_ExclusiveUserDataFolderAccess hr=0x00000000 value=0",
      "options.get_IsCustomCrashReportingEnabled hr=0x00000000 value=1",
      "options.GetCustomSchemeRegistrations hr=0x00000000 count=0",
      "options.get_EnableTrackingPrevention hr=0x00000000 value=1",
      "options.get_AreBrowserExtensionsEnabled hr=0x00000000 value=0",
      "options.get_ChannelSearchKind hr=0x00000000 value=1",
      "options.get_ReleaseChannels hr=0x00000000 value=10",
      "options.get_ScrollBarStyle hr=0x00000000 value=1",
      "CreateWebViewEnvironmentWithOptionsInternal accepted",
  };
  EXPECT_EQ(Log(), expected);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  const std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), expected.size() + 2);
  EXPECT_EQ(log[expected.size()], "environmentHandler.Invoke hr=0x00000000 environment=yes");
  EXPECT_EQ(log[expected.size() + 1], "environmentHandler.Invoke returned 0x00000000");
}

TEST_F(EngineCreation, LogsMissingOptionsInterfacesAndNullArguments) {
  auto options = MakeProbe<ProbeOptions>(std::vector<IID>{
      __uuidof(ICoreWebView2EnvironmentOptions3), __uuidof(ICoreWebView2EnvironmentOptions8)});
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(create_(false, 2, nullptr, options.Get(), handler.Get()), S_OK);
  const std::vector<std::string> log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0],
            "CreateWebViewEnvironmentWithOptionsInternal unknown=0 kind=2 userDataFolder=<null> "
            "options=yes handler=yes");
  EXPECT_NE(FindLine(log, "options.ICoreWebView2EnvironmentOptions3 missing"), -1);
  EXPECT_NE(FindLine(log, "options.ICoreWebView2EnvironmentOptions8 missing"), -1);
  EXPECT_EQ(FindLineStartingWith(log, "options.get_IsCustomCrashReportingEnabled"), -1);
  EXPECT_EQ(FindLineStartingWith(log, "options.get_ScrollBarStyle"), -1);
  EXPECT_NE(FindLineStartingWith(log, "options.get_EnableTrackingPrevention"), -1);
}

TEST_F(EngineCreation, WithoutOptionsReadsNoGetters) {
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(Create(handler.Get(), nullptr, L""), S_OK);
  const std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0],
            "CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=0 userDataFolder=\"\" "
            "options=no handler=yes");
  EXPECT_EQ(log[1], "CreateWebViewEnvironmentWithOptionsInternal accepted");
}

TEST_F(EngineCreation, NullHandlerIsRefusedWithEPointer) {
  EXPECT_EQ(create_(true, 0, nullptr, nullptr, nullptr), E_POINTER);
  EXPECT_EQ(engine_->PendingCompletions(), 0);
  EXPECT_NE(FindLine(Log(), "CreateWebViewEnvironmentWithOptionsInternal refused hr=0x80004003"),
            -1);
}

TEST_F(EngineCreation, RefusedCreationReturnsTheCodeAndNeverCallsTheHandler) {
  ASSERT_TRUE(engine_->SetScript("refuse_create=80004005"));
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  EXPECT_EQ(Create(handler.Get()), E_FAIL);
  EXPECT_EQ(engine_->PendingCompletions(), 0);
  PumpPendingMessages();
  EXPECT_EQ(handler->calls, 0);
  EXPECT_EQ(handler->References(), 1) << "a refused creation must not keep the handler";
  EXPECT_NE(FindLine(Log(), "CreateWebViewEnvironmentWithOptionsInternal refused hr=0x80004005"),
            -1);
}

TEST_F(EngineCreation, EnvironmentFailureOnceThenSuccess) {
  ASSERT_TRUE(engine_->SetScript("env_fail=0x80070002;env_fail_times=1"));
  auto first = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(Create(first.Get()), S_OK);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  EXPECT_EQ(first->calls, 1);
  EXPECT_EQ(first->lastError, static_cast<HRESULT>(0x80070002));
  EXPECT_FALSE(first->lastEnvironment);

  auto second = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(Create(second.Get()), S_OK);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  EXPECT_EQ(second->calls, 1);
  EXPECT_EQ(second->lastError, S_OK);
  EXPECT_TRUE(second->lastEnvironment);
  EXPECT_NE(FindLine(Log(), "environmentHandler.Invoke hr=0x80070002 environment=no"), -1);
}

TEST_F(EngineCreation, EnvironmentFailureRepeatsWithoutACount) {
  ASSERT_TRUE(engine_->SetScript("env_fail=80004005"));
  for (int attempt = 0; attempt < 3; ++attempt) {
    auto handler = MakeProbe<ProbeEnvironmentHandler>();
    ASSERT_EQ(Create(handler.Get()), S_OK);
    ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
    EXPECT_EQ(handler->lastError, E_FAIL) << "attempt " << attempt;
  }
}

TEST_F(EngineCreation, SettingTheScriptAgainRestartsTheFailureCount) {
  ASSERT_TRUE(engine_->SetScript("env_fail=80004005;env_fail_times=1"));
  auto first = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(Create(first.Get()), S_OK);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  ASSERT_TRUE(engine_->SetScript("env_fail=80004005;env_fail_times=1"));
  auto second = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(Create(second.Get()), S_OK);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  EXPECT_EQ(first->lastError, E_FAIL);
  EXPECT_EQ(second->lastError, E_FAIL);
}

TEST_F(EngineCreation, FailureWithObjectPassesAnEnvironmentToo) {
  ASSERT_TRUE(engine_->SetScript("env_fail=80004005;env_fail_with_object=1"));
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(Create(handler.Get()), S_OK);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  EXPECT_EQ(handler->lastError, E_FAIL);
  EXPECT_TRUE(handler->lastEnvironment);
}

TEST_F(EngineCreation, NullEnvironmentCompletesWithSuccess) {
  ASSERT_TRUE(engine_->SetScript("env_null=1"));
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(Create(handler.Get()), S_OK);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  EXPECT_EQ(handler->calls, 1);
  EXPECT_EQ(handler->lastError, S_OK);
  EXPECT_FALSE(handler->lastEnvironment);
}

TEST_F(EngineCreation, HostileEngineInvokesTwice) {
  ASSERT_TRUE(engine_->SetScript("invoke_twice=1"));
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(Create(handler.Get()), S_OK);
  EXPECT_EQ(handler->calls, 0);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  EXPECT_EQ(handler->calls, 2);
  EXPECT_EQ(CountLinesStartingWith(Log(), "environmentHandler.Invoke hr="), 2);
}

TEST_F(EngineCreation, OmittedEnvironment10IsRefusedWhileItsBasesAreAnswered) {
  ASSERT_TRUE(engine_->SetScript("omit=ICoreWebView2Environment10"));
  const ComPtr<ICoreWebView2Environment> environment = CreateEnvironment();
  ASSERT_TRUE(environment);
  HRESULT hr = S_OK;
  EXPECT_FALSE(QueryAs<ICoreWebView2Environment10>(environment.Get(), &hr));
  EXPECT_EQ(hr, E_NOINTERFACE);
  EXPECT_TRUE(QueryAs<ICoreWebView2Environment9>(environment.Get()));
  EXPECT_TRUE(QueryAs<ICoreWebView2Environment>(environment.Get()));
  EXPECT_NE(FindLine(Log(), "environment.QueryInterface ICoreWebView2Environment10 omitted"), -1);
}

TEST_F(EngineCreation, ScriptFromTheEnvironmentVariableAppliesWhenNoneWasSet) {
  ScopedEnvironment script(L"MIRVOT_TEST_ENGINE_SCRIPT", L"refuse_create=80070005;nonsense");
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  EXPECT_EQ(Create(handler.Get()), E_ACCESSDENIED);
  EXPECT_NE(FindLine(Log(), "script.unknown \"nonsense\""), -1);

  ASSERT_TRUE(engine_->SetScript("refuse_create=80004005"));
  EXPECT_EQ(Create(handler.Get()), E_FAIL) << "a set script wins over the variable";
  engine_->ClearScript();
  EXPECT_EQ(Create(handler.Get()), E_ACCESSDENIED);
  EXPECT_EQ(handler->calls, 0);
}

TEST_F(EngineCreation, UnderstoodScriptsAreConfirmedAndOthersReported) {
  EXPECT_TRUE(engine_->SetScript(
      " refuse_create=0x80004005 ; env_fail=1;env_fail_times=always;omit=A,B;"
      "qi_null=C;hold_create=pipe-name;fail=controller.Close:80004005;fail_setter=put_"
      "IsScriptEnabled:1;controller_null="
      "0;"
      "navigate_fail=2;bounds_fail=3;controller_fail=4;env_null=0;invoke_twice=0;"
      "env_fail_with_object=0;;"));
  EXPECT_FALSE(engine_->SetScript("refuse_create=xyz"));
  EXPECT_FALSE(engine_->SetScript("env_fail_times=-1"));
  EXPECT_FALSE(engine_->SetScript("env_null=yes"));
  EXPECT_FALSE(engine_->SetScript("hold_create="));
  EXPECT_FALSE(engine_->SetScript("fail=controller.Close"));
  EXPECT_FALSE(engine_->SetScript("refuse_create=123456789"));
  EXPECT_FALSE(engine_->SetScript("unknown_key=1"));
  EXPECT_NE(FindLine(Log(), "script.unknown \"unknown_key=1\""), -1);
}

TEST_F(EngineCreation, LogFileGetsEveryLine) {
  TempFolder folder;
  const std::wstring logFile = folder.Join(L"engine.log");
  ScopedEnvironment logVariable(L"MIRVOT_TEST_ENGINE_LOG", logFile);
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(Create(handler.Get()), S_OK);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  const std::vector<std::string> fromFile = ReadLogFileLines(logFile);
  EXPECT_EQ(fromFile, Log());
  EXPECT_EQ(fromFile.size(), 4u);
}

TEST_F(EngineCreation, NullOutPointersGiveEPointer) {
  const ComPtr<ICoreWebView2Environment> environment = CreateEnvironment();
  ASSERT_TRUE(environment);
  EXPECT_EQ(environment->QueryInterface(__uuidof(ICoreWebView2Environment), nullptr), E_POINTER);
  EXPECT_EQ(environment->get_BrowserVersionString(nullptr), E_POINTER);
  auto environment10 = QueryAs<ICoreWebView2Environment10>(environment.Get());
  ASSERT_TRUE(environment10);
  EXPECT_EQ(environment10->CreateCoreWebView2ControllerOptions(nullptr), E_POINTER);
  auto environment7 = QueryAs<ICoreWebView2Environment7>(environment.Get());
  ASSERT_TRUE(environment7);
  EXPECT_EQ(environment7->get_UserDataFolder(nullptr), E_POINTER);
}

TEST_F(EngineCreation, EnvironmentReportsItsVersionAndFolder) {
  const ComPtr<ICoreWebView2Environment> environment = CreateEnvironment();
  ASSERT_TRUE(environment);
  LPWSTR text = nullptr;
  ASSERT_EQ(environment->get_BrowserVersionString(&text), S_OK);
  EXPECT_STREQ(text, L"120.0.2210.91");
  ::CoTaskMemFree(text);
  text = nullptr;
  ASSERT_EQ(QueryAs<ICoreWebView2Environment7>(environment.Get())->get_UserDataFolder(&text), S_OK);
  EXPECT_STREQ(text, L"C:\\profile");
  ::CoTaskMemFree(text);
  EXPECT_EQ(environment->CreateWebResourceResponse(nullptr, 200, L"OK", L"", nullptr), E_NOTIMPL);
  EXPECT_NE(FindLine(Log(), "environment.CreateWebResourceResponse hr=0x80004001"), -1);
}

TEST_F(EngineCreation, LiveObjectsFollowTheEnvironmentsLifetime) {
  const long before = engine_->LiveObjects();
  ComPtr<ICoreWebView2Environment> environment = CreateEnvironment();
  ASSERT_TRUE(environment);
  EXPECT_EQ(engine_->LiveObjects(), before + 1);
  environment.Reset();
  EXPECT_EQ(engine_->LiveObjects(), before);
}

// The unload export exists only in the variant meant to be released right after the call.
TEST(EngineVariants, OnlyTheFixedLayoutsExportDllCanUnloadNow) {
  struct Expectation {
    const wchar_t* runtime;
    bool exportsCanUnload;
  };
  for (const Expectation& expectation :
       {Expectation{L"fixed", true}, Expectation{L"fixed-no-unload", false},
        Expectation{L"Application\\120.0.2210.91", true}}) {
    const std::wstring path = TestEngineDllPath(expectation.runtime);
    UniqueModule module(::LoadLibraryW(path.c_str()));
    ASSERT_TRUE(module.valid()) << "cannot load the engine in " << expectation.runtime;
    EXPECT_NE(::GetProcAddress(module.get(), "CreateWebViewEnvironmentWithOptionsInternal"),
              nullptr);
    EXPECT_EQ(::GetProcAddress(module.get(), "DllCanUnloadNow") != nullptr,
              expectation.exportsCanUnload)
        << "runtime folder " << expectation.runtime;
    EXPECT_TRUE(TestEngineClient(path).valid());
  }
}

TEST_F(EngineCreation, DllCanUnloadNowHoldsWhileObjectsLive) {
  const auto canUnload = reinterpret_cast<DllCanUnloadNowFunction>(
      reinterpret_cast<void*>(::GetProcAddress(module_.get(), "DllCanUnloadNow")));
  ASSERT_NE(canUnload, nullptr);
  ASSERT_EQ(engine_->LiveObjects(), 0) << "an earlier test leaked engine objects";
  EXPECT_EQ(canUnload(), S_OK);
  ComPtr<ICoreWebView2Environment> environment = CreateEnvironment();
  ASSERT_TRUE(environment);
  EXPECT_EQ(canUnload(), S_FALSE);
  environment.Reset();
  EXPECT_EQ(canUnload(), S_OK);
  EXPECT_NE(FindLine(Log(), "DllCanUnloadNow live=1 pending=0 result=0x00000001"), -1);
}

// A copy of the engine that no earlier test has pinned, loaded once.
class FreshEngineCopy {
 public:
  explicit FreshEngineCopy(const TempFolder& folder, const wchar_t* name)
      : path_(folder.Join(name)) {
    EXPECT_TRUE(CopyFileTo(TestEngineDllPath(L"fixed"), path_));
    module_ = ::LoadLibraryW(path_.c_str());
    EXPECT_NE(module_, nullptr);
  }
  [[nodiscard]] const std::wstring& path() const { return path_; }
  [[nodiscard]] HMODULE module() const { return module_; }
  [[nodiscard]] CreateEnvironmentFunction create() const {
    return reinterpret_cast<CreateEnvironmentFunction>(reinterpret_cast<void*>(
        ::GetProcAddress(module_, "CreateWebViewEnvironmentWithOptionsInternal")));
  }
  // Drops the reference taken when loading, as the loader does after the call; true when the
  // module is then gone from the process.
  bool ReleaseAndCheckUnloaded() {
    UniqueModule reference(module_);
    reference.reset();
    module_ = nullptr;
    return ::GetModuleHandleW(path_.c_str()) == nullptr;
  }

 private:
  std::wstring path_;
  HMODULE module_ = nullptr;
};

TEST(EnginePinning, RefusedCreationLeavesTheModuleFreeToUnload) {
  TempFolder folder;
  FreshEngineCopy copy(folder, L"refusing.dll");
  ASSERT_NE(copy.module(), nullptr);
  {
    TestEngineClient engine(copy.path());
    ASSERT_TRUE(engine.valid());
    EXPECT_FALSE(engine.ownsReference());
    ASSERT_TRUE(engine.SetScript("refuse_create=80004005"));
  }
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  EXPECT_EQ(copy.create()(true, 0, nullptr, nullptr, handler.Get()), E_FAIL);
  EXPECT_TRUE(copy.ReleaseAndCheckUnloaded());
  EXPECT_EQ(handler->References(), 1);
}

TEST(EnginePinning, AcceptedCreationKeepsTheModuleLoadedUntilItCompletes) {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  TempFolder folder;
  FreshEngineCopy copy(folder, L"accepting.dll");
  ASSERT_NE(copy.module(), nullptr);
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(copy.create()(true, 0, nullptr, nullptr, handler.Get()), S_OK);
  const std::wstring path = copy.path();
  EXPECT_FALSE(copy.ReleaseAndCheckUnloaded());
  // The completion still arrives from the pinned module.
  EXPECT_TRUE(PumpMessagesUntil([&] { return handler->calls > 0; }));
  EXPECT_EQ(handler->lastError, S_OK);
  handler->lastEnvironment.Reset();
  EXPECT_NE(::GetModuleHandleW(path.c_str()), nullptr);
}

}  // namespace
}  // namespace mirvot::test
