#pragma once
// Where the browser profile lives: %LOCALAPPDATA%\Mirvot\WebView2. The profile folder's
// parent is taken unchanged from the environment (a relative value gives a relative folder);
// the runtime creates the folder on first use.
#include <optional>
#include <string>
#include <string_view>

namespace mirvot {

inline constexpr char16_t kProfileFolderApplicationName[] = u"Mirvot";
inline constexpr char16_t kProfileFolderEngineName[] = u"WebView2";

// Appends one component to a path. A backslash goes before it unless the path is empty,
// already ends in '\' or '/', or is nothing but a drive designator (an ASCII letter and a
// colon, as in "C:"), where a separator would change a drive-relative path into a rooted one.
void append_path_component(std::u16string& path, std::u16string_view component);

// The profile folder below the local application data folder; nothing when that folder is
// not known (the variable is not set).
[[nodiscard]] std::optional<std::u16string> join_profile_folder(
    std::optional<std::u16string_view> localAppData);

}  // namespace mirvot
