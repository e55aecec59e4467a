#include "loader/settings_resolution.h"

#include <wrl/client.h>

#include <atomic>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

#include "common/com_object.h"
#include "common/environment_variable.h"
#include "common/out_of_memory.h"
#include "common/owners.h"
#include "common/wide_text.h"
#include "loader/app_exe_path.h"
#include "loader/app_user_model_id.h"
#include "loader/core/channel_list.h"
#include "loader/core/folder_rules.h"
#include "loader/core/registry_buffer.h"

namespace mirvot {
namespace {

using Microsoft::WRL::ComPtr;

// Written by every resolution without a lock; two resolutions at once write it from the same
// registry state. Atomic only so that such a race is well defined; relaxed order suffices.
std::atomic<bool> policyRootPresent{true};

// Whether the policy root exists in either hive, the user's first.
bool PolicyRootExists() noexcept {
  for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    UniqueRegistryKey key;
    if (::RegOpenKeyExW(hive, kPolicyRootKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS) {
      return true;
    }
  }
  return false;
}

// RegGetValueW hands a REG_EXPAND_SZ value over expanded, as REG_SZ. Wine's version expands it
// taking the buffer's size in bytes for a count of characters, so it writes up to twice as many
// bytes as it is told. Every buffer given to RegGetValueW here has that much room behind the
// part it is told about, so that a policy whose expansion is longer than the buffer cannot
// write past it.
constexpr std::size_t kExpansionRoomFactor = 2;

// A REG_SZ policy value read into a zero-filled buffer of 260 units. A longer value is absent.
std::optional<std::wstring> ReadPolicyText(HKEY key, const wchar_t* name) {
  wchar_t buffer[kExpansionRoomFactor * kRegistryValueBufferUnits] = {};
  DWORD size = kRegistryValueBufferUnits * sizeof(wchar_t);  // 520 bytes
  if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const std::optional<std::u16string_view> text =
      TextInRegistryBuffer(reinterpret_cast<const char16_t*>(buffer), kRegistryValueBufferUnits);
  return text ? std::optional<std::wstring>(ToWideString(*text)) : std::nullopt;
}

void ApplyFlag(const SettingTarget& target, bool isOne) noexcept {
  *target.number = isOne ? 1 : 0;
  *target.set = true;
}

// A value given as text, by a variable or a policy, in the target's form.
void ApplyText(const SettingTarget& target, std::wstring value) noexcept {
  switch (target.form) {
    case SettingValueForm::Text:
      *target.textStorage = std::move(value);
      *target.text = target.textStorage->c_str();
      break;
    case SettingValueForm::ChannelList:
      if (!value.empty()) {
        ParseReleaseChannelList(AsUtf16(value), *target.number, *target.set);
      }
      break;
    case SettingValueForm::Flag:
      ApplyFlag(target, ReadsAsOne(AsUtf16(value)));
      break;
  }
}

// One policy value; false when it yields no result.
bool ReadPolicyValue(HKEY key, const wchar_t* name, const SettingTarget& target) {
  if (target.form == SettingValueForm::Flag) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    // Not expanded: a REG_EXPAND_SZ value is no DWORD either way, and Wine would first expand
    // it into these 4 bytes and past them (see kExpansionRoomFactor).
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD | RRF_NOEXPAND, nullptr, &value,
                       &size) == ERROR_SUCCESS) {
      ApplyFlag(target, value == 1);
      return true;
    }
  }
  std::optional<std::wstring> text = ReadPolicyText(key, name);
  // An empty channel list yields nothing: the next value name is tried.
  if (!text || (target.form == SettingValueForm::ChannelList && text->empty())) {
    return false;
  }
  ApplyText(target, std::move(*text));
  return true;
}

// Edge view mode asked for by the options object.
void ReadEdgeViewFromOptions(LoaderSettings& settings) noexcept {
  if (settings.environmentOptions == nullptr) {
    return;
  }
  ComPtr<ICoreWebView2EdgeViewOptions> edgeViewOptions;
  if (QueryInterfaceTo(settings.environmentOptions, edgeViewOptions) != S_OK) {
    return;
  }
  INT32 isEdgeView = 0;
  if (edgeViewOptions->get_IsEdgeView(&isEdgeView) == S_OK && isEdgeView == 1) {
    settings.useEdgeView = true;
  }
}

// Only the exact text "1" turns Edge view mode on; any other value, even an empty one, turns
// it off. An absent variable leaves the options object's choice. True when the variable is set.
bool ReadEdgeViewVariable(LoaderSettings& settings) {
  const std::optional<std::wstring> value = ReadEnvironmentVariable(L"WEBVIEW2_USE_EDGE_VIEW");
  if (value) {
    settings.useEdgeView = *value == L"1";
  }
  return value.has_value();
}

// The channel settings of the options object, for whatever variables and policies left open.
void ReadChannelsFromOptions(LoaderSettings& settings) noexcept {
  if (settings.environmentOptions == nullptr ||
      (settings.channelSearchKindSet && settings.releaseChannelsSet)) {
    return;
  }
  ComPtr<ICoreWebView2EnvironmentOptions7> options;
  if (FAILED(QueryInterfaceTo(settings.environmentOptions, options))) {
    return;
  }
  if (!settings.channelSearchKindSet) {
    COREWEBVIEW2_CHANNEL_SEARCH_KIND kind = COREWEBVIEW2_CHANNEL_SEARCH_KIND_MOST_STABLE;
    if (SUCCEEDED(options->get_ChannelSearchKind(&kind)) &&
        kind == COREWEBVIEW2_CHANNEL_SEARCH_KIND_LEAST_STABLE) {
      // From the options object the order is only a preference: the flag stays clear.
      settings.channelSearchKind = kChannelSearchLeastStableFirst;
    }
  }
  if (!settings.releaseChannelsSet) {
    COREWEBVIEW2_RELEASE_CHANNELS channels = COREWEBVIEW2_RELEASE_CHANNELS_NONE;
    if (SUCCEEDED(options->get_ReleaseChannels(&channels)) &&
        channels != COREWEBVIEW2_RELEASE_CHANNELS_NONE) {
      settings.releaseChannels = static_cast<std::int32_t>(channels);
      settings.releaseChannelsSet = true;
    }
  }
}

}  // namespace

bool ReadPolicySetting(HKEY hive, const wchar_t* policyName, const SettingTarget& target,
                       bool noWildcard) noexcept {
  return CatchOutOfMemory(false, [&] {
    // A process without an application user model ID tries the empty name, which is the key's
    // default value: a default value applies to every such process.
    std::wstring appUserModelId;
    static_cast<void>(GetAppUserModelId(appUserModelId));
    std::wstring exePath;
    std::wstring exeFileName;
    if (SUCCEEDED(GetAppExePath(exePath))) {
      exeFileName = AsWide(ExeFileName(AsUtf16(exePath)));
    }

    std::wstring keyName = kPolicyRootKey;
    keyName += policyName;
    UniqueRegistryKey key;
    if (::RegOpenKeyExW(hive, keyName.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
      return false;
    }
    if (ReadPolicyValue(key.get(), appUserModelId.c_str(), target) ||
        ReadPolicyValue(key.get(), exeFileName.c_str(), target)) {
      return true;
    }
    return !noWildcard && ReadPolicyValue(key.get(), L"*", target);
  });
}

bool LookupLoaderSetting(const wchar_t* variableName, const wchar_t* policyName,
                         const SettingTarget& target, bool alwaysTestPolicyRoot,
                         bool noWildcard) noexcept {
  return CatchOutOfMemory(false, [&] {
    if (alwaysTestPolicyRoot) {
      policyRootPresent.store(true, std::memory_order_relaxed);
    }
    // A present variable decides its row, whatever its value.
    std::optional<std::wstring> variable = ReadEnvironmentVariable(variableName);
    if (variable) {
      ApplyText(target, std::move(*variable));
      return true;
    }
    if (!policyRootPresent.load(std::memory_order_relaxed)) {
      return false;
    }
    const bool rootExists = PolicyRootExists();
    policyRootPresent.store(rootExists, std::memory_order_relaxed);
    if (!rootExists) {
      return false;
    }
    // The machine's policy wins over the user's.
    return ReadPolicySetting(HKEY_LOCAL_MACHINE, policyName, target, noWildcard) ||
           ReadPolicySetting(HKEY_CURRENT_USER, policyName, target, noWildcard);
  });
}

void ResolveLoaderSettings(LoaderSettings& settings, ResolvedTextStorage& storage) noexcept {
  ReadEdgeViewFromOptions(settings);

  static_cast<void>(LookupLoaderSetting(
      L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", L"BrowserExecutableFolder",
      TextSetting(settings.browserExecutableFolder, storage.browserExecutableFolder),
      /*alwaysTestPolicyRoot=*/true, /*noWildcard=*/false));
  // A profile folder shared by every application would mix their data: no "*" value here.
  static_cast<void>(
      LookupLoaderSetting(L"WEBVIEW2_USER_DATA_FOLDER", L"UserDataFolder",
                          TextSetting(settings.userDataFolder, storage.userDataFolder),
                          /*alwaysTestPolicyRoot=*/false, /*noWildcard=*/true));
  // Without memory to read it the variable counts as not given: the options object's choice
  // stands.
  static_cast<void>(CatchOutOfMemory(false, [&] { return ReadEdgeViewVariable(settings); }));
  // In Edge view mode the channel settings meant for every application do not apply.
  const bool channelNoWildcard = settings.useEdgeView;
  static_cast<void>(
      LookupLoaderSetting(L"WEBVIEW2_RELEASE_CHANNELS", L"ReleaseChannels",
                          ChannelListSetting(settings.releaseChannels, settings.releaseChannelsSet),
                          /*alwaysTestPolicyRoot=*/false, channelNoWildcard));
  static_cast<void>(
      LookupLoaderSetting(L"WEBVIEW2_CHANNEL_SEARCH_KIND", L"ChannelSearchKind",
                          FlagSetting(settings.channelSearchKind, settings.channelSearchKindSet),
                          /*alwaysTestPolicyRoot=*/false, channelNoWildcard));
  // A second name for the same setting.
  if (!settings.channelSearchKindSet) {
    static_cast<void>(
        LookupLoaderSetting(L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", L"ReleaseChannelPreference",
                            FlagSetting(settings.channelSearchKind, settings.channelSearchKindSet),
                            /*alwaysTestPolicyRoot=*/false, channelNoWildcard));
  }

  ReadChannelsFromOptions(settings);
}

}  // namespace mirvot
