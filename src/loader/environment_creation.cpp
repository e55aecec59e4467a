#include "loader/environment_creation.h"

#include <wrl/client.h>

#include "common/startup_marks.h"
#include "loader/environment_attempt.h"
#include "loader/settings_resolution.h"

namespace mirvot {

HRESULT CreateCoreWebView2EnvironmentWithOptions(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder,
    ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler,
    const EventTracingFunctions& tracing) noexcept {
  if (environmentCreatedHandler == nullptr) {
    return E_POINTER;
  }

  LoaderSettings settings;
  settings.browserExecutableFolder = browserExecutableFolder;
  settings.userDataFolder = userDataFolder;
  settings.environmentOptions = environmentOptions;

  // Texts found in variables and policies live here until the handler has copied them.
  ResolvedTextStorage resolvedTexts;
  ResolveLoaderSettings(settings, resolvedTexts);
  MIRVOT_STARTUP_MARK(LoaderSettingsResolved);

  // Without a handler of its own the loader cannot keep its promise: an engine that accepted
  // the call would have no one to call, and the caller would wait for ever.
  const Microsoft::WRL::ComPtr<EnvironmentAttempts> attempts =
      EnvironmentAttempts::Create(settings, environmentCreatedHandler, tracing);
  if (!attempts) {
    return E_OUTOFMEMORY;
  }
  // An engine that accepted the call holds its own reference to the handler; the entry's goes
  // when `attempts` leaves scope.
  return attempts->Start();
}

}  // namespace mirvot

extern "C" HRESULT STDAPICALLTYPE
CreateCoreWebView2EnvironmentWithOptions(PCWSTR browserExecutableFolder, PCWSTR userDataFolder,
                                         ICoreWebView2EnvironmentOptions* environmentOptions,
                                         ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*
                                             environmentCreatedHandler) noexcept {
  return mirvot::CreateCoreWebView2EnvironmentWithOptions(
      browserExecutableFolder, userDataFolder, environmentOptions, environmentCreatedHandler,
      mirvot::SystemEventTracingFunctions());
}
