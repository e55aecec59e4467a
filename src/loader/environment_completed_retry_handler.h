#pragma once
// The completion handler the loader hands to the engine in place of the caller's. It stands
// between the two so that a creation that completes with a failure is tried once more before
// the caller hears of it. It keeps its own copies of everything the retry reads, because the
// retry runs after the entry has returned and the caller may have dropped its references.
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
class EnvironmentCompletedRetryHandler
    : public ComObject<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> {
 public:
  // A handler holding the resolved settings (with its own copies of both folder strings and
  // its own reference to the options object) and a reference to the caller's handler. Null
  // when memory runs out.
  // A retry's error events go through `tracing`, which must outlive the handler.
  [[nodiscard]] static Microsoft::WRL::ComPtr<EnvironmentCompletedRetryHandler> Create(
      const LoaderSettings& settings,
      ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* callerHandler,
      const EventTracingFunctions& tracing) noexcept;

  EnvironmentCompletedRetryHandler(
      ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* callerHandler,
      const EventTracingFunctions& tracing) noexcept;
  EnvironmentCompletedRetryHandler(const EnvironmentCompletedRetryHandler&) = delete;
  EnvironmentCompletedRetryHandler& operator=(const EnvironmentCompletedRetryHandler&) = delete;

  HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode,
                                   ICoreWebView2Environment* createdEnvironment) noexcept override;

  // Copies the settings; the captured folder pointers then refer to this object's own strings.
  // E_OUTOFMEMORY when a copy cannot be made.
  [[nodiscard]] HRESULT CaptureSettings(const LoaderSettings& settings) noexcept;

  [[nodiscard]] const LoaderSettings& CapturedSettings() const noexcept { return settings_; }
  [[nodiscard]] int RetriesLeft() const noexcept { return retriesLeft_; }
  // Whether the caller's handler has been called; from then on every Invoke is ignored.
  [[nodiscard]] bool CallerNotified() const noexcept {
    return callerNotified_.load(std::memory_order_acquire);
  }

 protected:
  // For a count other than the entry's single reference.
  EnvironmentCompletedRetryHandler(
      ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* callerHandler,
      const EventTracingFunctions& tracing, LONG initialReferenceCount) noexcept;
  ~EnvironmentCompletedRetryHandler() override;

 private:
  void NotifyCaller(HRESULT errorCode, ICoreWebView2Environment* environment) noexcept;

  LoaderSettings settings_{};
  std::wstring browserExecutableFolder_;
  std::wstring userDataFolder_;
  Microsoft::WRL::ComPtr<ICoreWebView2EnvironmentOptions> options_;
  Microsoft::WRL::ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> callerHandler_;
  const EventTracingFunctions* tracing_;
  int retriesLeft_ = 1;
  // The caller was promised exactly one call. An engine is to call Invoke once per accepted
  // creation, but one that calls it again, or both inside the creation call and later, or
  // that reports a failure and then a success, must not reach the caller twice nor start
  // another attempt after the caller has its outcome: the first outcome told wins.
  std::atomic<bool> callerNotified_{false};
};

}  // namespace mirvot
