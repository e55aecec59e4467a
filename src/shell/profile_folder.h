#pragma once
// The browser profile's folder for the current user: %LOCALAPPDATA%\Mirvot\WebView2.
#include <optional>
#include <string>

namespace mirvot {

// The folder, built from LOCALAPPDATA as it is (of any length, not validated, so a relative
// value gives a relative folder); nothing when the variable is not set. The folder is neither
// created nor checked: the browser runtime creates it on first use.
[[nodiscard]] std::optional<std::wstring> profile_folder();

}  // namespace mirvot
