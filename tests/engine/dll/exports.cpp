// The engine's creation entry and the control exports of engine/test_engine_control.h.
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>

#include "core_view.h"
#include "engine/test_engine_control.h"
#include "engine_environment.h"
#include "engine_hold.h"
#include "engine_log.h"
#include "engine_module.h"
#include "engine_object.h"
#include "engine_script.h"
#include "engine_timing.h"
#include "options_reader.h"
#include "task_dispatcher.h"

namespace mirvot::test_engine {
namespace {

using Microsoft::WRL::ComPtr;

constexpr char kCreateEntry[] = "CreateWebViewEnvironmentWithOptionsInternal";

HRESULT Refuse(HRESULT hr) {
  WriteLogLine(std::string(kCreateEntry) + " refused hr=" + HexCode(hr));
  return hr;
}

void LogUnknownItems(const Script& script) {
  for (const std::string& item : script.unknownItems) {
    WriteLogLine("script.unknown " + QuotedText(std::string_view(item)));
  }
}

// What the environment completion will report.
struct EnvironmentOutcome {
  HRESULT errorCode = S_OK;
  bool passEnvironment = true;
  int invocations = 1;
};

EnvironmentOutcome DecideOutcome(const Script& script) {
  EnvironmentOutcome outcome;
  if (TakeEnvironmentFailure(script)) {
    outcome.errorCode = *script.environmentFailure;
    outcome.passEnvironment = script.environmentFailureWithObject;
  } else if (script.environmentNull) {
    outcome.passEnvironment = false;
  }
  outcome.invocations = script.invokeTwice ? 2 : 1;
  return outcome;
}

void CompleteEnvironment(
    const ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>& handler,
    const EnvironmentOutcome& outcome, const std::wstring* userDataFolder) {
  HRESULT errorCode = outcome.errorCode;
  ComPtr<ICoreWebView2Environment> environment;
  if (outcome.passEnvironment) {
    environment = AdoptComReference<ICoreWebView2Environment>(MakeComObject<EngineEnvironment>(
        userDataFolder != nullptr ? userDataFolder->c_str() : nullptr));
    if (!environment && SUCCEEDED(errorCode)) {
      errorCode = E_OUTOFMEMORY;
    }
  }
  for (int i = 0; i < outcome.invocations; ++i) {
    WriteLogLine("environmentHandler.Invoke hr=" + HexCode(errorCode) +
                 " environment=" + YesNo(environment.Get()));
    HRESULT returned = S_OK;
    {
      const HostCallScope host;
      returned = handler->Invoke(errorCode, environment.Get());
    }
    WriteLogLine("environmentHandler.Invoke returned " + HexCode(returned));
  }
}

// The calling thread's visible top-level windows: with timing on, the creation line says whether
// the host already showed its window when it asked for the engine.
int VisibleWindowsOfThisThread() {
  int count = 0;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM counter) -> BOOL {
        if (::IsWindowVisible(window)) {
          ++*reinterpret_cast<int*>(counter);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

template <typename Raise>
HRESULT RaiseOnNewestView(const std::string& raiseLine, const char* eventName, Raise raise) {
  const ComPtr<CoreView> view = CoreView::NewestOpen();
  if (!view) {
    WriteLogLine(raiseLine);
    WriteLogLine(std::string("event.") + eventName + " no-view");
    return kNothingToRaise;
  }
  return raise(view.Get());
}

}  // namespace
}  // namespace mirvot::test_engine

using namespace mirvot::test_engine;

// The engine's creation entry, called by the loader. `unknown` is the leading 8-bit flag whose
// meaning belongs to the engine; it is only logged.
extern "C" __declspec(dllexport) HRESULT CreateWebViewEnvironmentWithOptionsInternal(
    bool unknown, INT32 runtimeKind, PCWSTR userDataFolder,
    ICoreWebView2EnvironmentOptions* options,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
  const EngineWorkScope working;
  const TimingStamp entered = StampNow();
  const Script script = CurrentScript();
  // Before anything else the engine does, so that a benchmark holding the caller here sees the
  // host's own work only.
  const HoldOutcome hold = script.holdPipe.empty() ? HoldOutcome{} : HoldCaller(script.holdPipe);
  std::string line = std::string(kCreateEntry) + " unknown=" + std::to_string(unknown ? 1 : 0) +
                     " kind=" + std::to_string(runtimeKind) +
                     " userDataFolder=" + QuotedText(userDataFolder) +
                     " options=" + YesNo(options) + " handler=" + YesNo(handler);
  if (TimingEnabled()) {
    line += " visibleWindows=" + std::to_string(VisibleWindowsOfThisThread()) +
            " loaded=" + std::to_string(EngineLoadedAt());
    if (hold.held) {
      line += " held=" + std::to_string(hold.waited);
    }
  }
  WriteLogLine(line, entered);
  if (!script.holdPipe.empty() && !hold.held) {
    WriteLogLine(std::string(kCreateEntry) + " nobody-holding " +
                 QuotedText(std::string_view(script.holdPipe)));
  }
  if (ScriptComesFromEnvironment()) {
    LogUnknownItems(script);
  }
  LogEnvironmentOptions(options);
  if (handler == nullptr) {
    return Refuse(E_POINTER);
  }
  if (script.refuseCreate) {
    // A refused creation leaves nothing of this module running, so the loader may unload it.
    return Refuse(*script.refuseCreate);
  }
  // From here on the handler will be called back from this module after the call has returned;
  // the loader may already have released its module reference by then (it does so right after
  // the call when DllCanUnloadNow is exported), and returning into an unloaded module would crash.
  // So an accepted creation keeps this module loaded for the rest of the process.
  const HRESULT pinned = PinEngineModule();
  if (FAILED(pinned)) {
    return Refuse(pinned);
  }
  const EnvironmentOutcome outcome = DecideOutcome(script);
  const bool hasFolder = userDataFolder != nullptr;
  const std::wstring folder = hasFolder ? userDataFolder : L"";
  const HRESULT posted = PostToCurrentThread(
      [handler = ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(handler),
       outcome, hasFolder,
       folder] { CompleteEnvironment(handler, outcome, hasFolder ? &folder : nullptr); });
  if (FAILED(posted)) {
    return Refuse(posted);
  }
  WriteLogLine(std::string(kCreateEntry) + " accepted");
  return S_OK;
}

extern "C" {

void TestEngine_Reset() {
  ResetScript();
  ClearLog();
  CoreView::ForgetAll();
}

int TestEngine_SetScript(const char* script) {
  const bool understood = SetScriptText(script);
  if (script != nullptr) {
    LogUnknownItems(ParseScript(script));
  }
  return understood ? 1 : 0;
}

size_t TestEngine_ReadLog(char* buffer, size_t capacity) { return CopyLog(buffer, capacity); }

HRESULT TestEngine_RaiseNewWindowRequested(const wchar_t* uri) {
  const std::wstring text = uri != nullptr ? uri : L"";
  return RaiseOnNewestView("raise.NewWindowRequested uri=" + QuotedText(std::wstring_view(text)),
                           "NewWindowRequested",
                           [&](CoreView* view) { return view->RaiseNewWindowRequested(text); });
}

HRESULT TestEngine_RaiseWindowCloseRequested() {
  return RaiseOnNewestView("raise.WindowCloseRequested", "WindowCloseRequested",
                           [](CoreView* view) { return view->RaiseWindowCloseRequested(); });
}

HRESULT TestEngine_RaiseDownloadStarting(const wchar_t* uri, const wchar_t* proposedPath) {
  const std::wstring uriText = uri != nullptr ? uri : L"";
  const std::wstring pathText = proposedPath != nullptr ? proposedPath : L"";
  return RaiseOnNewestView("raise.DownloadStarting uri=" + QuotedText(std::wstring_view(uriText)) +
                               " path=" + QuotedText(std::wstring_view(pathText)),
                           "DownloadStarting", [&](CoreView* view) {
                             return view->RaiseDownloadStarting(uriText, pathText);
                           });
}

long TestEngine_LiveObjects() { return LiveObjectCount().load(); }

long TestEngine_PendingCompletions() { return PendingTasks(); }

HWND TestEngine_CurrentViewWindow() {
  const ComPtr<CoreView> view = CoreView::NewestOpen();
  return view ? view->window() : nullptr;
}

}  // extern "C"
