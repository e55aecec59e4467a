#include "loader_discovery/policy_root_probe.h"

#include <cstdint>

#include "harness/registry_seed.h"
#include "loader/settings_resolution.h"

namespace mirvot::test {

bool LaterRowsReadPolicies() {
  constexpr wchar_t kRoot[] = L"Software\\Policies\\Microsoft\\Edge\\WebView2";
  constexpr wchar_t kProbeKey[] = L"Software\\Policies\\Microsoft\\Edge\\WebView2\\MirvotProbe";
  const bool rootExisted = RegistryKeyExists(HKEY_CURRENT_USER, kRoot);
  if (SetRegistryString(HKEY_CURRENT_USER, kProbeKey, L"*", L"1") != ERROR_SUCCESS) {
    return false;
  }
  std::int32_t mask = 0;
  bool set = false;
  const bool read = LookupLoaderSetting(L"MIRVOT_PROBE_VARIABLE_NEVER_SET", L"MirvotProbe",
                                        ChannelListSetting(mask, set),
                                        /*alwaysTestPolicyRoot=*/false, /*noWildcard=*/false);
  DeleteRegistryTree(HKEY_CURRENT_USER, rootExisted ? kProbeKey : kRoot);
  return read && set && mask == 0b10;
}

}  // namespace mirvot::test
