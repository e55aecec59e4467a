#pragma once
// Completing the loader settings from the WebView2 environment variables, the group policies
// of both hives and the caller's options object. Variables and policies let an administrator
// or developer steer any application that uses the loader (fixed runtime folder, profile
// folder, Edge view mode, channel choice and order) without changing it; they take precedence
// over the caller's arguments and options object.
#include <windows.h>

#include <cstdint>
#include <string>

#include "loader/loader_settings.h"

namespace mirvot {

// Owner of the texts that variables and policies supply. ResolveLoaderSettings may point
// settings.browserExecutableFolder and settings.userDataFolder at these strings, so the
// storage must outlive every use of the settings it resolved, and its two strings must not
// be changed meanwhile. The entry keeps one on its stack until it returns; anything that uses
// the settings later (a retried creation) must copy the texts first.
struct ResolvedTextStorage {
  std::wstring browserExecutableFolder;
  std::wstring userDataFolder;
};

// Completes `settings` (which holds the caller's three arguments and the defaults) in place:
// Edge view from the options object, the six variable-and-policy rows in order, then the
// channel settings of the options object. Anything not given leaves the field as it was.
// Never fails; a setting that cannot be read (even for lack of memory) counts as not given.
void ResolveLoaderSettings(LoaderSettings& settings, ResolvedTextStorage& storage) noexcept;

// The policies: "Software\Policies\Microsoft\Edge\WebView2\<policy name>" in either hive,
// in the default registry view.
inline constexpr wchar_t kPolicyRootKey[] = L"Software\\Policies\\Microsoft\\Edge\\WebView2\\";

// How a setting's value is read and where it goes.
enum class SettingValueForm {
  Text,         // the field points at the found text, which may be empty
  ChannelList,  // comma-separated channel numbers ORed into a mask
  Flag,         // 1 when the value reads as the integer 1, else 0
};

struct SettingTarget {
  SettingValueForm form = SettingValueForm::Text;
  // Text: the settings field and the string that keeps the found text.
  const wchar_t** text = nullptr;
  std::wstring* textStorage = nullptr;
  // ChannelList: the mask; Flag: the value.
  std::int32_t* number = nullptr;
  // ChannelList and Flag: the matching "set" flag.
  bool* set = nullptr;
};

[[nodiscard]] inline SettingTarget TextSetting(const wchar_t*& field,
                                               std::wstring& storage) noexcept {
  return {.form = SettingValueForm::Text, .text = &field, .textStorage = &storage};
}
[[nodiscard]] inline SettingTarget ChannelListSetting(std::int32_t& mask, bool& set) noexcept {
  return {.form = SettingValueForm::ChannelList, .number = &mask, .set = &set};
}
[[nodiscard]] inline SettingTarget FlagSetting(std::int32_t& value, bool& set) noexcept {
  return {.form = SettingValueForm::Flag, .number = &value, .set = &set};
}

// One row: the environment variable, which when present decides the row even when empty;
// else, if the policy root exists, the machine policy and then the user policy. The root is
// tested afresh when `alwaysTestPolicyRoot` is set (the first row); later rows test it again
// only while the last test found it. `noWildcard` skips the "*" policy value.
[[nodiscard]] bool LookupLoaderSetting(const wchar_t* variableName, const wchar_t* policyName,
                                       const SettingTarget& target, bool alwaysTestPolicyRoot,
                                       bool noWildcard) noexcept;

// One policy key under `hive`: the value named after the application user model ID, then
// the one named after the executable's file name, then (unless `noWildcard`) "*". The first
// value that yields a result is applied to `target`.
[[nodiscard]] bool ReadPolicySetting(HKEY hive, const wchar_t* policyName,
                                     const SettingTarget& target, bool noWildcard) noexcept;

}  // namespace mirvot
