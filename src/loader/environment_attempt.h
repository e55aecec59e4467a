#pragma once
// The attempts of one environment creation, all in one place.
//
// An attempt is the whole road once: discovery, loading the engine library, the engine's
// creation call; a failed attempt is reported as an error event unless the settings ask for
// Edge view mode. One creation makes at most three attempts:
//   1. the first;
//   2. a second at once, when the first fails before the engine has accepted it;
//   3. one more when a creation the engine accepted completes with a failure, started from that
//      completion; the outcome of a creation accepted after that goes to the caller as it is.
// Every attempt uses the settings resolved once for the creation: variables and policies are not
// read again.
//
// The engine calls this object, standing in for the caller's handler, so that the retry on
// completion can happen before the caller hears of the failure. It keeps its own copies of
// everything an attempt reads, because the retry runs after the entry has returned and the
// caller may have dropped its references.
#include <windows.h>
#include <wrl/client.h>

#include <atomic>
#include <string>

#include "common/com_object.h"
#include "loader/create_environment_error_event.h"
#include "loader/loader_settings.h"
#include "webview2/webview2_interfaces.h"

namespace mirvot {

// Counted and queried like every COM object of this program (ComObject): one saturating count
// changed by compare-and-exchange, IUnknown and the handler interface answered with the object
// itself, anything else refused with E_NOINTERFACE.
class EnvironmentAttempts
    : public ComObject<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> {
 public:
  // An attempts object holding copies of the resolved settings (its own copies of both folder
  // strings and its own reference to the options object), a reference to the caller's handler and
  // the ETW functions its error events go through. Null when memory runs out.
  [[nodiscard]] static Microsoft::WRL::ComPtr<EnvironmentAttempts> Create(
      const LoaderSettings& settings,
      ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* callerHandler,
      const EventTracingFunctions& tracing) noexcept;

  EnvironmentAttempts(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* callerHandler,
                      const EventTracingFunctions& tracing) noexcept;
  EnvironmentAttempts(const EnvironmentAttempts&) = delete;
  EnvironmentAttempts& operator=(const EnvironmentAttempts&) = delete;

  // Attempts 1 and 2. S_OK when the engine accepted one of them: the caller's handler will be
  // called exactly once, later. Otherwise the last attempt's failure, and the caller's handler
  // is never called.
  [[nodiscard]] HRESULT Start() noexcept;

  // The engine's completion: the retry on completion (3 above) after the first failure reported
  // there, otherwise the outcome for the caller (only the first outcome told reaches it).
  HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode,
                                   ICoreWebView2Environment* createdEnvironment) noexcept override;

 private:
  ~EnvironmentAttempts() override;

  // Copies the settings; the copied folder pointers then refer to this object's own strings.
  // E_OUTOFMEMORY when a copy cannot be made.
  [[nodiscard]] HRESULT CaptureSettings(const LoaderSettings& settings) noexcept;
  [[nodiscard]] HRESULT Attempt() noexcept;
  [[nodiscard]] bool CallerNotified() const noexcept {
    return callerNotified_.load(std::memory_order_acquire);
  }
  void NotifyCaller(HRESULT errorCode, ICoreWebView2Environment* environment) noexcept;

  LoaderSettings settings_{};
  std::wstring browserExecutableFolder_;
  std::wstring userDataFolder_;
  Microsoft::WRL::ComPtr<ICoreWebView2EnvironmentOptions> options_;
  Microsoft::WRL::ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> callerHandler_;
  const EventTracingFunctions tracing_;
  // The retry on completion (3 above) is still to come.
  bool retryOnCompletionLeft_ = true;
  // The caller was promised exactly one call. An engine is to call Invoke once per accepted
  // creation, but one that calls it again, or both inside the creation call and later, or
  // that reports a failure and then a success, must not reach the caller twice nor start
  // another attempt after the caller has its outcome: the first outcome told wins.
  std::atomic<bool> callerNotified_{false};
};

}  // namespace mirvot
