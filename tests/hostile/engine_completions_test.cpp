// Engines that break their side of the completion contract: Invoke called twice, inside the
// creation call, with a failure and then a success, or both inside a call that then fails.
// Whatever the engine does, the caller's handler is called at most once (the first outcome the
// loader tells it), no more than three attempts belong to one entry call, and every reference
// the loader took is given back.
#include <wrl/client.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/owners.h"
#include "engine/test_engine_client.h"
#include "hostile/engines/hostile_engine_control.h"
#include "hostile/hostile_fixture.h"

namespace mirvot::test {
namespace {

using Microsoft::WRL::ComPtr;

constexpr HRESULT kEngineFailure = static_cast<HRESULT>(0x80004005);
constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005);
constexpr char kCreationCall[] = "CreateWebViewEnvironmentWithOptionsInternal unknown=";

// --- the test engine, which completes later from the message loop ---------------------------

class TwiceInvokingTestEngineTest : public HostileTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(engine_.valid());
    engine_.Reset();
  }
  void TearDown() override {
    engine_.PumpUntilNoPendingCompletions();
    engine_.Reset();
  }
  bool WaitForCaller() {
    return PumpMessagesUntil([this] { return !caller_->calls.empty(); });
  }

  std::wstring folder_ = TestRuntimeFolder(L"fixed");
  TestEngineClient engine_{TestEngineDllPath(L"fixed")};
};

TEST_F(TwiceInvokingTestEngineTest, SuccessDeliveredTwiceReachesTheCallerOnce) {
  ASSERT_TRUE(engine_.SetScript("invoke_twice=1"));
  ASSERT_EQ(Create(folder_.c_str()), S_OK);
  ASSERT_TRUE(WaitForCaller());
  ASSERT_TRUE(engine_.PumpUntilNoPendingCompletions());

  EXPECT_EQ(CountLinesStartingWith(engine_.LogLines(), "environmentHandler.Invoke hr=0x00000000"),
            2);
  ASSERT_EQ(caller_->calls.size(), 1u);
  EXPECT_EQ(caller_->calls[0].errorCode, S_OK);
  EXPECT_NE(caller_->calls[0].environment, nullptr);
  EXPECT_EQ(CountLinesStartingWith(engine_.LogLines(), kCreationCall), 1);
}

TEST_F(TwiceInvokingTestEngineTest, FailureDeliveredTwiceGivesTheCallerTheSecondAsFinal) {
  // The first failure starts the retry, which the engine accepts; the duplicate failure then
  // finds no retry left and is told to the caller. The retried creation's success comes after
  // the caller has its outcome and is dropped.
  ASSERT_TRUE(engine_.SetScript("invoke_twice=1;env_fail=80004005;env_fail_times=1"));
  ASSERT_EQ(Create(folder_.c_str()), S_OK);
  ASSERT_TRUE(WaitForCaller());
  ASSERT_TRUE(engine_.PumpUntilNoPendingCompletions());

  const std::vector<std::string> log = engine_.LogLines();
  EXPECT_EQ(CountLinesStartingWith(log, kCreationCall), 2);
  EXPECT_EQ(CountLinesStartingWith(log, "environmentHandler.Invoke hr=0x80004005"), 2);
  EXPECT_EQ(CountLinesStartingWith(log, "environmentHandler.Invoke hr=0x00000000"), 2);
  ASSERT_EQ(caller_->calls.size(), 1u);
  EXPECT_EQ(caller_->calls[0].errorCode, kEngineFailure);
  EXPECT_EQ(caller_->calls[0].environment, nullptr);
}

// --- the scripted hostile engine -------------------------------------------------------------

class HostileEngineTest : public HostileTest {
 protected:
  void SetUp() override {
    module_.reset(::LoadLibraryW(library_.c_str()));
    ASSERT_TRUE(module_) << Utf8(library_);
    setPlans_ = Find<HostileEngineSetPlansFunction>("HostileEngine_SetPlans");
    creationCalls_ = Find<HostileEngineCreationCallsFunction>("HostileEngine_CreationCalls");
    keptHandler_ = Find<HostileEngineKeptHandlerFunction>("HostileEngine_KeptHandler");
    reset_ = Find<HostileEngineResetFunction>("HostileEngine_Reset");
    ASSERT_TRUE(setPlans_ && creationCalls_ && keptHandler_ && reset_);
    reset_();
  }

  void TearDown() override {
    if (reset_ != nullptr) {
      reset_();
      // Every reference the loader took to the caller's handler and to the environment has
      // been given back once the engine lets go of the loader's handlers.
      EXPECT_EQ(caller_->References(), 1);
      caller_->calls.clear();
      EXPECT_EQ(environment_->References(), 1);
    }
  }

  template <typename Function>
  Function Find(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(module_.get(), name)));
  }

  void Plan(const std::vector<HostileCreationPlan>& plans) {
    setPlans_(plans.data(), static_cast<int>(plans.size()), environment_.Get());
  }

  // The handler the engine kept at creation call `index`, invoked the way an engine completing
  // from its message loop would.
  void InvokeKept(int index, HRESULT errorCode, bool withEnvironment) {
    ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> handler;
    *handler.ReleaseAndGetAddressOf() = keptHandler_(index);
    ASSERT_TRUE(handler) << "creation call " << index << " kept no handler";
    EXPECT_EQ(handler->Invoke(errorCode, withEnvironment ? environment_.Get() : nullptr), S_OK);
  }

  static HostileCreationPlan Keep() { return HostileCreationPlan{}; }

  static HostileCreationPlan InsideTheCall(std::vector<std::pair<HRESULT, bool>> invocations,
                                           HRESULT result, bool keepHandler = false) {
    HostileCreationPlan plan;
    plan.invokeInsideCount = static_cast<int>(invocations.size());
    for (std::size_t i = 0; i < invocations.size() && i < 2; ++i) {
      plan.invokeInsideCodes[i] = invocations[i].first;
      plan.invokeInsideWithEnvironment[i] = invocations[i].second;
    }
    plan.result = result;
    plan.keepHandler = keepHandler;
    return plan;
  }

  std::wstring folder_ = TestRuntimeFolder(L"hostile");
  std::wstring library_ = ClientDllIn(folder_);
  UniqueModule module_;
  HostileEngineSetPlansFunction setPlans_ = nullptr;
  HostileEngineCreationCallsFunction creationCalls_ = nullptr;
  HostileEngineKeptHandlerFunction keptHandler_ = nullptr;
  HostileEngineResetFunction reset_ = nullptr;
  ComPtr<InertEnvironment> environment_ = MakeObject<InertEnvironment>();
};

TEST_F(HostileEngineTest, SuccessTwiceLaterReachesTheCallerOnce) {
  Plan({Keep()});
  ASSERT_EQ(Create(folder_.c_str()), S_OK);
  InvokeKept(0, S_OK, true);
  InvokeKept(0, S_OK, true);

  ASSERT_EQ(caller_->calls.size(), 1u);
  EXPECT_EQ(caller_->calls[0].errorCode, S_OK);
  EXPECT_EQ(caller_->calls[0].environment.Get(),
            static_cast<ICoreWebView2Environment*>(environment_.Get()));
  EXPECT_EQ(creationCalls_(), 1);
}

TEST_F(HostileEngineTest, FailureAfterTheCallerWasToldStartsNoRetry) {
  Plan({Keep()});
  ASSERT_EQ(Create(folder_.c_str()), S_OK);
  InvokeKept(0, S_OK, true);
  InvokeKept(0, kEngineFailure, false);

  EXPECT_EQ(creationCalls_(), 1);
  ASSERT_EQ(caller_->calls.size(), 1u);
  EXPECT_EQ(caller_->calls[0].errorCode, S_OK);
  EXPECT_TRUE(Lines().empty());
}

TEST_F(HostileEngineTest, FailureThenSuccessLaterGivesTheCallerTheSuccessOnce) {
  Plan({Keep(), Keep()});
  ASSERT_EQ(Create(folder_.c_str()), S_OK);

  InvokeKept(0, kEngineFailure, false);  // starts the retry, which the engine accepts
  EXPECT_EQ(creationCalls_(), 2);
  EXPECT_TRUE(caller_->calls.empty());
  InvokeKept(0, S_OK, true);  // the first creation's late success
  InvokeKept(1, S_OK, true);  // the retried creation's own completion

  ASSERT_EQ(caller_->calls.size(), 1u);
  EXPECT_EQ(caller_->calls[0].errorCode, S_OK);
  EXPECT_NE(caller_->calls[0].environment, nullptr);
  EXPECT_EQ(creationCalls_(), 2);
}

TEST_F(HostileEngineTest, SuccessInsideTheCallReachesTheCallerBeforeTheEntryReturns) {
  Plan({InsideTheCall({{S_OK, true}}, S_OK)});
  ASSERT_EQ(Create(folder_.c_str()), S_OK);

  ASSERT_EQ(caller_->calls.size(), 1u);
  EXPECT_EQ(caller_->calls[0].errorCode, S_OK);
  EXPECT_NE(caller_->calls[0].environment, nullptr);
  EXPECT_EQ(creationCalls_(), 1);
}

TEST_F(HostileEngineTest, FailureInsideTheCallRetriesInsideAndTellsTheCallerOnce) {
  Plan({InsideTheCall({{kEngineFailure, false}}, S_OK)});
  ASSERT_EQ(Create(folder_.c_str()), S_OK);

  // The retry ran inside the first call's Invoke; its own completion inside its call found no
  // retry left and went to the caller.
  EXPECT_EQ(creationCalls_(), 2);
  ASSERT_EQ(caller_->calls.size(), 1u);
  EXPECT_EQ(caller_->calls[0].errorCode, kEngineFailure);
  EXPECT_EQ(caller_->calls[0].environment, nullptr);
}

TEST_F(HostileEngineTest, FailureThenSuccessInsideTheCallGivesTheSuccessOnce) {
  Plan({InsideTheCall({{kEngineFailure, false}, {S_OK, true}}, S_OK), Keep()});
  ASSERT_EQ(Create(folder_.c_str()), S_OK);
  InvokeKept(1, S_OK, true);  // the retried creation completes later: dropped

  EXPECT_EQ(creationCalls_(), 2);
  ASSERT_EQ(caller_->calls.size(), 1u);
  EXPECT_EQ(caller_->calls[0].errorCode, S_OK);
  EXPECT_NE(caller_->calls[0].environment, nullptr);
}

TEST_F(HostileEngineTest, SuccessInsideACallThatFailsMakesNoSecondAttempt) {
  // The engine both completes and refuses. The caller has been told the success; the entry
  // still returns the refusal (the engine's own result), and tries no more: nothing a second
  // attempt brings could reach the caller.
  Plan({InsideTheCall({{S_OK, true}}, kAccessDenied)});
  EXPECT_EQ(Create(folder_.c_str()), kAccessDenied);

  EXPECT_EQ(creationCalls_(), 1);
  ASSERT_EQ(caller_->calls.size(), 1u);
  EXPECT_EQ(caller_->calls[0].errorCode, S_OK);
  EXPECT_TRUE(Lines().empty());
}

TEST_F(HostileEngineTest, FailureInsideCallsThatFailMakesTwoAttemptsAndOneCallerCall) {
  // First call: Invoke(failure) runs the retry inside it (second call), whose Invoke(failure)
  // finds no retry left and tells the caller. Both calls then refuse. The entry's own second
  // attempt is not made: the caller already has its outcome.
  Plan({InsideTheCall({{kEngineFailure, false}}, kAccessDenied)});
  EXPECT_EQ(Create(folder_.c_str()), kAccessDenied);

  EXPECT_EQ(creationCalls_(), 2);
  ASSERT_EQ(caller_->calls.size(), 1u);
  EXPECT_EQ(caller_->calls[0].errorCode, kEngineFailure);
}

TEST_F(HostileEngineTest, RefusalWithoutInvokeStillGetsTheEntrysSecondAttempt) {
  // The contrast to the cases above: a plain refusal told the caller nothing, so the entry
  // tries once more, and its failure result means the handler is never called.
  Plan({InsideTheCall({}, kAccessDenied)});
  EXPECT_EQ(Create(folder_.c_str()), kAccessDenied);

  EXPECT_EQ(creationCalls_(), 2);
  EXPECT_TRUE(caller_->calls.empty());
}

TEST_F(HostileEngineTest, EnvironmentFailingItsQueryWithAPointerReachesTheCallerAsFailure) {
  // The object the engine completes with fails the query for ICoreWebView2Environment yet
  // writes itself out without a reference: the caller gets the failure and no object, and the
  // object keeps its references.
  environment_->queryFailsWithPointer = true;
  Plan({Keep()});
  ASSERT_EQ(Create(folder_.c_str()), S_OK);
  InvokeKept(0, S_OK, true);

  ASSERT_EQ(caller_->calls.size(), 1u);
  EXPECT_EQ(caller_->calls[0].errorCode, E_NOINTERFACE);
  EXPECT_EQ(caller_->calls[0].environment, nullptr);
  EXPECT_EQ(environment_->References(), 2);  // the test's and the engine's
  environment_->queryFailsWithPointer = false;
}

TEST_F(HostileEngineTest, KeptHandlerInvokedAfterTheEntryReturnedAndTheCallerLetGo) {
  // The entry's reference is gone when it returns; the engine's keeps the loader's handler
  // (and through it the caller's) alive for a late completion.
  Plan({Keep()});
  ASSERT_EQ(Create(folder_.c_str()), S_OK);
  EXPECT_EQ(caller_->References(), 2);  // the test's and the loader handler's
  InvokeKept(0, S_OK, true);
  EXPECT_EQ(caller_->calls.size(), 1u);
}

}  // namespace
}  // namespace mirvot::test
