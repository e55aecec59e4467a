#include "engine_environment.h"

#include <wrl/client.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "engine_controller.h"
#include "task_dispatcher.h"

namespace mirvot::test_engine {
namespace {

using Microsoft::WRL::ComPtr;

std::mutex optionsLock;
std::vector<EngineControllerOptions*> liveControllerOptions;

// Checks the arguments, then queues the completion: the script may make it report a failure or
// no controller; otherwise the view and its window are made when the completion runs, so the
// controller appears only from the message loop, as with a real engine.
HRESULT StartControllerCreation(
    const std::string& call, std::string arguments, HWND parentWindow,
    ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
  HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr) && handler == nullptr) {
    hr = E_POINTER;
  }
  if (SUCCEEDED(hr) && (parentWindow == nullptr || !::IsWindow(parentWindow))) {
    hr = static_cast<HRESULT>(0x80070578);  // ERROR_INVALID_WINDOW_HANDLE
  }
  if (SUCCEEDED(hr)) {
    const Script script = CurrentScript();
    const HRESULT scriptedFailure = script.controllerFailure.value_or(S_OK);
    const bool noController = script.controllerNull;
    hr = PostToCurrentThread(
        [handler = ComPtr<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(handler),
         parentWindow, scriptedFailure, noController] {
          HRESULT result = scriptedFailure;
          ComPtr<EngineController> controller;
          if (SUCCEEDED(result) && !noController) {
            ComPtr<CoreView> view;
            result = CoreView::Create(parentWindow, &view);
            if (SUCCEEDED(result)) {
              controller = AdoptComReference(MakeComObject<EngineController>(std::move(view)));
              if (!controller) {
                result = E_OUTOFMEMORY;
              }
            }
          }
          WriteLogLine("controllerHandler.Invoke hr=" + HexCode(result) +
                       " controller=" + YesNo(controller.Get()));
          HRESULT returned = S_OK;
          {
            const HostCallScope host;
            returned = handler->Invoke(result, controller.Get());
          }
          WriteLogLine("controllerHandler.Invoke returned " + HexCode(returned));
        });
  }
  return LogCall(call, arguments, hr);
}

}  // namespace

EngineControllerOptions::EngineControllerOptions() noexcept : EngineObject("controllerOptions") {
  const std::lock_guard<std::mutex> hold(optionsLock);
  liveControllerOptions.push_back(this);
}

EngineControllerOptions::~EngineControllerOptions() {
  const std::lock_guard<std::mutex> hold(optionsLock);
  liveControllerOptions.erase(
      std::remove(liveControllerOptions.begin(), liveControllerOptions.end(), this),
      liveControllerOptions.end());
}

EngineControllerOptions* EngineControllerOptions::FromInterface(
    ICoreWebView2ControllerOptions* options) noexcept {
  const std::lock_guard<std::mutex> hold(optionsLock);
  for (EngineControllerOptions* live : liveControllerOptions) {
    if (static_cast<ICoreWebView2ControllerOptions*>(live) == options) {
      return live;
    }
  }
  return nullptr;
}

HRESULT EngineControllerOptions::get_ProfileName(LPWSTR* value) noexcept {
  return LogCall(Call("get_ProfileName"), CopyToCoTaskMem(profileName_, value));
}

HRESULT EngineControllerOptions::put_ProfileName(LPCWSTR value) noexcept {
  const std::string call = Call("put_ProfileName");
  HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr) && value == nullptr) {
    hr = E_INVALIDARG;
  }
  if (SUCCEEDED(hr)) {
    profileName_ = value;
  }
  return LogCall(call, QuotedText(value), hr);
}

HRESULT EngineControllerOptions::get_IsInPrivateModeEnabled(BOOL* value) noexcept {
  if (value == nullptr) {
    return LogCall(Call("get_IsInPrivateModeEnabled"), E_POINTER);
  }
  *value = inPrivate_;
  return LogCall(Call("get_IsInPrivateModeEnabled"), S_OK);
}

HRESULT EngineControllerOptions::put_IsInPrivateModeEnabled(BOOL value) noexcept {
  const std::string call = Call("put_IsInPrivateModeEnabled");
  const HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr)) {
    inPrivate_ = value;
  }
  return LogCall(call, std::to_string(value), hr);
}

HRESULT EngineEnvironment::CreateCoreWebView2Controller(
    HWND parentWindow,
    ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) noexcept {
  return StartControllerCreation(
      Call("CreateCoreWebView2Controller"),
      std::string("parentWindow=") + YesNo(parentWindow) + " handler=" + YesNo(handler),
      parentWindow, handler);
}

HRESULT EngineEnvironment::get_BrowserVersionString(LPWSTR* versionInfo) noexcept {
  return LogCall(Call("get_BrowserVersionString"),
                 CopyToCoTaskMem(kEngineBrowserVersion, versionInfo));
}

HRESULT EngineEnvironment::get_UserDataFolder(LPWSTR* value) noexcept {
  return LogCall(Call("get_UserDataFolder"), CopyToCoTaskMem(userDataFolder_, value));
}

HRESULT EngineEnvironment::CreateCoreWebView2ControllerOptions(
    ICoreWebView2ControllerOptions** options) noexcept {
  const std::string call = Call("CreateCoreWebView2ControllerOptions");
  if (options == nullptr) {
    return LogCall(call, E_POINTER);
  }
  *options = nullptr;
  HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr)) {
    *options = MakeComObject<EngineControllerOptions>();
    hr = *options != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  return LogCall(call, hr);
}

HRESULT EngineEnvironment::CreateCoreWebView2ControllerWithOptions(
    HWND parentWindow, ICoreWebView2ControllerOptions* options,
    ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) noexcept {
  // The private-mode flag is read directly from the engine's own options object so that the read
  // does not show up in the log as a call of the host.
  BOOL inPrivate = FALSE;
  if (EngineControllerOptions* own = EngineControllerOptions::FromInterface(options)) {
    inPrivate = own->inPrivate();
  } else if (options != nullptr) {
    options->get_IsInPrivateModeEnabled(&inPrivate);
  }
  return StartControllerCreation(
      Call("CreateCoreWebView2ControllerWithOptions"),
      std::string("parentWindow=") + YesNo(parentWindow) + " options=" + YesNo(options) +
          " inPrivate=" + std::to_string(inPrivate) + " handler=" + YesNo(handler),
      parentWindow, handler);
}

}  // namespace mirvot::test_engine
