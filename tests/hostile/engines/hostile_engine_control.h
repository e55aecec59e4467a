#pragma once
// A scripted stand-in for the engine library that breaks the engine's side of the creation
// contract on purpose: it may call the loader's completion handler inside the creation call,
// call it several times, report a failure and then a success, or return a failure after having
// called it. The test engine only ever completes once and later; this one exists for the cases
// it will not produce.
//
// The test loads the library itself (LoadLibraryW on the path the loader will use), so the
// loader's LoadLibraryW finds the same module and both share the plan below. The library exports
// no "DllCanUnloadNow", so the loader keeps its own references as well.
#include <windows.h>

#include "webview2/webview2_interfaces.h"

// What the engine does for one call of its creation export.
struct HostileCreationPlan {
  // Invocations of the handler made inside the call, before it returns (0 to 2).
  int invokeInsideCount = 0;
  HRESULT invokeInsideCodes[2] = {S_OK, S_OK};
  // Whether each of those invocations passes `environment` (else null).
  bool invokeInsideWithEnvironment[2] = {false, false};
  // What the creation export returns.
  HRESULT result = S_OK;
  // Whether the engine keeps a reference to the handler for the test to invoke later, as an
  // engine that completes from its message loop would.
  bool keepHandler = true;
};

// Sets the plans for the next creation calls, in order (a call beyond the last plan uses the
// last one; no plan at all means "keep the handler and return S_OK"), the environment object
// passed to invocations that carry one (a reference is taken), and clears the count of calls.
// Kept handlers of earlier calls are released.
using HostileEngineSetPlansFunction = void (*)(const HostileCreationPlan* plans, int count,
                                               ICoreWebView2Environment* environment);
// Creation calls since the last HostileEngine_SetPlans.
using HostileEngineCreationCallsFunction = int (*)();
// The handler kept by creation call `index` (0-based), with a new reference for the caller, or
// null when that call kept none.
using HostileEngineKeptHandlerFunction =
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* (*)(int index);
// Releases every kept handler and the environment.
using HostileEngineResetFunction = void (*)();
