#pragma once
// Completion handlers for the engine's two asynchronous creations (environment, controller),
// and the nested message pump that waits for them. The engine calls a handler on this thread
// from its message loop, so the pump must dispatch every message of the thread while it waits.
#include <windows.h>
#include <wrl/client.h>

#include "common/com_object.h"
#include "common/hresult.h"
#include "webview2/webview2_interfaces.h"

namespace mirvot {

// One GetMessageA turn of the pump (TranslateMessage, DispatchMessageA; forged copies of system
// messages are dropped, see own_windows.h). S_OK when a message was dispatched;
// HRESULT_FROM_WIN32 of the last error when GetMessageA fails; kViewCreationCanceled when it takes
// WM_QUIT from the queue (the quit message is consumed).
[[nodiscard]] HRESULT pump_one_message() noexcept;

// Records the first result the engine delivers and returns S_OK to it.
template <typename Handler, typename Result>
class CompletionRecorder final : public ComObject<Handler> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, Result* result) noexcept override {
    if (!delivered_) {
      delivered_ = true;
      error_code_ = errorCode;
      result_ = result;
    }
    return S_OK;
  }

  // Pumps every message of the thread until the engine has delivered, then its outcome: the
  // error code when it failed, E_POINTER when it succeeded without an object, otherwise S_OK and
  // the object. A failure of the pump (pump_one_message) ends the wait with it.
  [[nodiscard]] HRESULT wait_for(Microsoft::WRL::ComPtr<Result>& result) noexcept {
    while (!delivered_) {
      MIRVOT_RETURN_IF_FAILED(pump_one_message());
    }
    if (FAILED(error_code_)) {
      return error_code_;
    }
    if (!result_) {
      return E_POINTER;
    }
    result = std::move(result_);
    return S_OK;
  }

 private:
  ~CompletionRecorder() override = default;

  bool delivered_ = false;
  HRESULT error_code_ = E_UNEXPECTED;
  Microsoft::WRL::ComPtr<Result> result_;
};

using EnvironmentCompletion =
    CompletionRecorder<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
                       ICoreWebView2Environment>;
using ControllerCompletion =
    CompletionRecorder<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler,
                       ICoreWebView2Controller>;

}  // namespace mirvot
