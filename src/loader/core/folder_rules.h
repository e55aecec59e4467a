#pragma once
// Path rules of runtime discovery: which folders count as absolute, how a relative runtime
// folder is placed beside the executable, and where the engine library lies below a runtime
// folder.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mirvot {

// The engine library's place below a runtime folder (this loader is built for x86-64 only).
inline constexpr char16_t kClientDllRelativePath[] = u"EBWebView\\x64\\EmbeddedBrowserWebView.dll";

// The executable's path is read into 260 units first and, if that is too small, into 4,096.
inline constexpr std::size_t kExePathFirstCapacityUnits = 260;
inline constexpr std::size_t kExePathSecondCapacityUnits = 4096;

// A folder is absolute when it is at least 3 units long and starts either with an ASCII
// drive letter, ':' and '\' or with two backslashes (UNC and device paths). A bare drive
// ("C:") and anything written with forward slashes count as relative.
[[nodiscard]] bool IsAbsoluteFolder(std::u16string_view folder) noexcept;

// The executable's file name: the text after the last backslash, the whole path if it has
// none (and so empty for an empty path).
[[nodiscard]] std::u16string_view ExeFileName(std::u16string_view exePath) noexcept;

// A relative folder placed in the executable's directory: the executable path up to and
// including its last backslash, then the folder. Nothing when the path has no backslash.
[[nodiscard]] std::optional<std::u16string> ResolveFolderAgainstExe(
    std::u16string_view exePath, std::u16string_view relativeFolder);

// The engine library's path below a runtime folder: folder, a backslash, then
// kClientDllRelativePath. The backslash is inserted even after a trailing one; Windows takes
// the doubled separator as one.
[[nodiscard]] std::u16string ClientDllPathIn(std::u16string_view folder);

// The version text of a registered runtime folder: the text after its last backslash.
// Nothing when the folder has no backslash.
[[nodiscard]] std::optional<std::u16string_view> RuntimeVersionText(
    std::u16string_view folder) noexcept;

}  // namespace mirvot
