#pragma once
// Completion handlers for the engine's two asynchronous creations (environment, controller),
// and the nested message pump that waits for them. The engine calls a handler on this thread
// from its message loop, so the pump must dispatch every message of the thread while it waits.
#include <windows.h>
#include <wrl/client.h>

#include <optional>

#include "common/com_object.h"
#include "shell/browser_view_error.h"
#include "webview2/webview2_interfaces.h"

namespace mirvot {

// Records the first result the engine delivers and returns S_OK to it.
template <typename Handler, typename Result>
class CompletionRecorder final : public ComObject<Handler> {
 public:
  CompletionRecorder() noexcept = default;

  HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, Result* result) noexcept override {
    if (!delivered_) {
      delivered_ = true;
      error_code_ = errorCode;
      result_ = result;
    }
    return S_OK;
  }

  [[nodiscard]] bool delivered() const noexcept { return delivered_; }

  // The delivered outcome: the error code when it failed, E_POINTER when it succeeded without
  // an object, otherwise S_OK and the object.
  [[nodiscard]] HRESULT take(Microsoft::WRL::ComPtr<Result>& result) noexcept {
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

// Pumps every message of the thread (GetMessageA, TranslateMessage, DispatchMessageA; forged
// copies of system messages are dropped, see forged_message.h) until `completion` has been
// delivered. Nothing when it was; an error when GetMessageA fails
// (HRESULT_FROM_WIN32 of the last error) or takes WM_QUIT from the queue (TaskCanceled; the
// quit message is consumed).
template <typename Completion>
[[nodiscard]] std::optional<WebView2Error> wait_for_completion(const Completion& completion);

// The pump itself: one GetMessageA turn. Nothing when a message was dispatched.
[[nodiscard]] std::optional<WebView2Error> pump_one_message();

template <typename Completion>
std::optional<WebView2Error> wait_for_completion(const Completion& completion) {
  while (!completion.delivered()) {
    if (auto error = pump_one_message()) {
      return error;
    }
  }
  return std::nullopt;
}

}  // namespace mirvot
