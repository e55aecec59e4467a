#pragma once
// A clean slate for tests of the runtime loader: no WebView2 variable, no engine script or log
// variable, no runtime registration (both registry views) and no WebView2 policy in either hive,
// from construction on. Everything is restored or deleted again when the test ends, so no test
// depends on another's leftovers.
#include <windows.h>

#include <optional>

#include "harness/environment.h"
#include "harness/registry_seed.h"

namespace mirvot::test {

struct CleanWebView2State {
  ScopedRegistryTree machineUpdater{HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\EdgeUpdate",
                                    RegistryView::Wow64_32};
  ScopedRegistryTree machineUpdater64{HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\EdgeUpdate",
                                      RegistryView::Wow64_64};
  ScopedRegistryTree userUpdater{HKEY_CURRENT_USER, L"Software\\Microsoft\\EdgeUpdate",
                                 RegistryView::Wow64_32};
  ScopedRegistryTree machinePolicies{HKEY_LOCAL_MACHINE, L"Software\\Policies\\Microsoft\\Edge"};
  ScopedRegistryTree userPolicies{HKEY_CURRENT_USER, L"Software\\Policies\\Microsoft\\Edge"};
  ScopedEnvironment browserFolder{L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", std::nullopt};
  ScopedEnvironment userDataFolder{L"WEBVIEW2_USER_DATA_FOLDER", std::nullopt};
  ScopedEnvironment edgeView{L"WEBVIEW2_USE_EDGE_VIEW", std::nullopt};
  ScopedEnvironment releaseChannels{L"WEBVIEW2_RELEASE_CHANNELS", std::nullopt};
  ScopedEnvironment searchKind{L"WEBVIEW2_CHANNEL_SEARCH_KIND", std::nullopt};
  ScopedEnvironment preference{L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", std::nullopt};
  ScopedEnvironment engineScript{L"MIRVOT_TEST_ENGINE_SCRIPT", std::nullopt};
  ScopedEnvironment engineLog{L"MIRVOT_TEST_ENGINE_LOG", std::nullopt};
};

}  // namespace mirvot::test
