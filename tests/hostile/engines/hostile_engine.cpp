// The scripted hostile engine of hostile_engine_control.h. Only the test thread calls into it,
// one call at a time, so its state needs no lock.
#include <windows.h>
#include <wrl/client.h>

#include <vector>

#include "hostile/engines/hostile_engine_control.h"

namespace {

using Microsoft::WRL::ComPtr;

struct EngineState {
  std::vector<HostileCreationPlan> plans;
  ComPtr<ICoreWebView2Environment> environment;
  // One entry per creation call; null where the call kept no handler.
  std::vector<ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>> kept;
};

EngineState& State() {
  static EngineState state;
  return state;
}

HostileCreationPlan PlanFor(std::size_t callIndex) {
  const EngineState& state = State();
  if (state.plans.empty()) {
    return HostileCreationPlan{};
  }
  return callIndex < state.plans.size() ? state.plans[callIndex] : state.plans.back();
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE CreateWebViewEnvironmentWithOptionsInternal(
    bool, INT32, PCWSTR, ICoreWebView2EnvironmentOptions*,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
  EngineState& state = State();
  const HostileCreationPlan plan = PlanFor(state.kept.size());
  // The handler may run a whole new attempt (and so call back in here) from inside Invoke, so
  // this call's slot is taken before any invocation.
  const std::size_t slot = state.kept.size();
  state.kept.emplace_back();
  if (plan.keepHandler) {
    state.kept[slot] = handler;
  }
  // Held across the invocations: the handler's last other reference may go inside them.
  const ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> calling(handler);
  const int count =
      plan.invokeInsideCount < 0 ? 0 : (plan.invokeInsideCount > 2 ? 2 : plan.invokeInsideCount);
  for (int i = 0; i < count && calling; ++i) {
    // The state may have been changed by a nested call; take the environment afresh.
    const ComPtr<ICoreWebView2Environment> environment =
        plan.invokeInsideWithEnvironment[i] ? State().environment : nullptr;
    calling->Invoke(plan.invokeInsideCodes[i], environment.Get());
  }
  return plan.result;
}

extern "C" __declspec(dllexport) void HostileEngine_SetPlans(
    const HostileCreationPlan* plans, int count, ICoreWebView2Environment* environment) {
  EngineState& state = State();
  state.kept.clear();
  state.plans.assign(plans, plans + (plans != nullptr && count > 0 ? count : 0));
  state.environment = environment;
}

extern "C" __declspec(dllexport) int HostileEngine_CreationCalls() {
  return static_cast<int>(State().kept.size());
}

using CompletedHandler = ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler;

extern "C" __declspec(dllexport) CompletedHandler* HostileEngine_KeptHandler(int index) {
  EngineState& state = State();
  if (index < 0 || static_cast<std::size_t>(index) >= state.kept.size() || !state.kept[index]) {
    return nullptr;
  }
  ComPtr<CompletedHandler> handler = state.kept[index];
  return handler.Detach();
}

extern "C" __declspec(dllexport) void HostileEngine_Reset() {
  EngineState& state = State();
  state.kept.clear();
  state.plans.clear();
  state.environment.Reset();
}
