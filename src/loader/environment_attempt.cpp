#include "loader/environment_attempt.h"

#include "common/hresult.h"
#include "common/out_of_memory.h"
#include "common/startup_marks.h"
#include "loader/engine_library.h"
#include "loader/runtime_discovery.h"

namespace mirvot {
namespace {

// One attempt with the given settings; its error event, if any, goes through `tracing`.
HRESULT TryCreateEnvironment(const LoaderSettings& settings,
                             ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler,
                             const EventTracingFunctions& tracing) noexcept {
  const bool folderGiven =
      settings.browserExecutableFolder != nullptr && settings.browserExecutableFolder[0] != L'\0';
  const RuntimeKind kind = RuntimeKindFor(folderGiven, settings.useEdgeView);

  std::wstring clientDllPath;
  const HRESULT found = folderGiven
                            ? FindClientDllInFolder(settings.browserExecutableFolder, clientDllPath)
                            : FindInstalledRuntime(settings, clientDllPath);

  HRESULT hr = found;
  if (found == S_OK) {
    MIRVOT_STARTUP_MARK(RuntimeFound);
    hr = LoadClientDllAndCreate(clientDllPath.c_str(), kind, settings.userDataFolder,
                                settings.environmentOptions, handler);
    if (SUCCEEDED(hr)) {
      return hr;
    }
  }

  if (!settings.useEdgeView) {
    ReportCreateEnvironmentError(hr, found == S_OK, kind == RuntimeKind::Installed, tracing);
  }
  return hr;
}

}  // namespace

Microsoft::WRL::ComPtr<EnvironmentAttempts> EnvironmentAttempts::Create(
    const LoaderSettings& settings,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* callerHandler,
    const EventTracingFunctions& tracing) noexcept {
  Microsoft::WRL::ComPtr<EnvironmentAttempts> attempts =
      AdoptComReference(MakeComObject<EnvironmentAttempts>(callerHandler, tracing));
  if (attempts && FAILED(attempts->CaptureSettings(settings))) {
    attempts.Reset();
  }
  return attempts;
}

EnvironmentAttempts::EnvironmentAttempts(
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* callerHandler,
    const EventTracingFunctions& tracing) noexcept
    : callerHandler_(callerHandler), tracing_(tracing) {}

EnvironmentAttempts::~EnvironmentAttempts() = default;

HRESULT EnvironmentAttempts::CaptureSettings(const LoaderSettings& settings) noexcept {
  settings_ = settings;
  options_ = settings.environmentOptions;
  // A null folder stays null, an empty one stays empty.
  return CatchOutOfMemory(E_OUTOFMEMORY, [&] {
    if (settings.browserExecutableFolder != nullptr) {
      settings_.browserExecutableFolder =
          browserExecutableFolder_.assign(settings.browserExecutableFolder).c_str();
    }
    if (settings.userDataFolder != nullptr) {
      settings_.userDataFolder = userDataFolder_.assign(settings.userDataFolder).c_str();
    }
    return S_OK;
  });
}

HRESULT EnvironmentAttempts::Attempt() noexcept {
  return TryCreateEnvironment(settings_, this, tracing_);
}

HRESULT EnvironmentAttempts::Start() noexcept {
  const HRESULT first = Attempt();
  // Attempt 2 goes the whole road again, discovery included; unless an engine that broke its
  // contract has already completed inside the failed call: the caller has its one outcome, and
  // nothing a second attempt brings could reach it.
  if (SUCCEEDED(first) || CallerNotified()) {
    return first;
  }
  return Attempt();
}

HRESULT STDMETHODCALLTYPE EnvironmentAttempts::Invoke(
    HRESULT errorCode, ICoreWebView2Environment* createdEnvironment) noexcept {
  // The engine's reference may be its last; this one keeps the object alive until the caller
  // has been told.
  const Microsoft::WRL::ComPtr<EnvironmentAttempts> keepAlive(this);

  // A completion after the caller has been told is the engine breaking its contract (a second
  // Invoke for the same creation, or a stale one after a retry): nothing to do.
  if (CallerNotified()) {
    return S_OK;
  }

  if (FAILED(errorCode) && retryOnCompletionLeft_) {
    retryOnCompletionLeft_ = false;
    const HRESULT retried = Attempt();
    if (FAILED(retried)) {
      NotifyCaller(retried, nullptr);
    }
    // On success the retried creation calls this handler again.
    return S_OK;
  }

  if (createdEnvironment != nullptr && SUCCEEDED(errorCode)) {
    // The interface is taken only from a query that succeeded: an engine object that fails the
    // query yet writes a pointer has handed over no reference, so that pointer is neither passed
    // to the caller nor released.
    Microsoft::WRL::ComPtr<ICoreWebView2Environment> environment;
    const HRESULT queried = QueryInterfaceTo(createdEnvironment, environment);
    NotifyCaller(queried, environment.Get());
    return S_OK;
  }

  // A failure with an object attached is still a failure: the caller hears the engine's code
  // and no object, rather than the outcome of asking that object for an interface.
  NotifyCaller(errorCode, nullptr);
  return S_OK;
}

void EnvironmentAttempts::NotifyCaller(HRESULT errorCode,
                                       ICoreWebView2Environment* environment) noexcept {
  // Only the first outcome reaches the caller, also when a retry run from inside Invoke has
  // already told it (an engine that completes inside the creation call).
  if (callerNotified_.exchange(true, std::memory_order_acq_rel)) {
    return;
  }
  if (callerHandler_) {
    // What the caller's handler returns changes nothing here.
    callerHandler_->Invoke(errorCode, environment);
  }
}

}  // namespace mirvot
