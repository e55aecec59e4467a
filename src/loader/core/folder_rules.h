#pragma once
// Path rules of runtime discovery: which folders count as absolute, how a relative runtime
// folder is placed beside the executable, where the engine library lies below a runtime
// folder, and how text is taken out of a fixed-size registry buffer.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mirvot {

// The engine library's place below a runtime folder (this loader is built for x86-64 only).
inline constexpr char16_t kClientDllRelativePath[] = u"EBWebView\\x64\\EmbeddedBrowserWebView.dll";

// Registry values are read into 520 bytes: 260 UTF-16 units including the terminator.
inline constexpr std::size_t kRegistryValueBufferUnits = 260;

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
// including its last backslash, then the folder. Empty when the path has no backslash.
[[nodiscard]] std::optional<std::u16string> ResolveFolderAgainstExe(
    std::u16string_view exePath, std::u16string_view relativeFolder);

// The engine library's path below a runtime folder: folder, a backslash, then
// kClientDllRelativePath. The backslash is inserted even after a trailing one; Windows takes
// the doubled separator as one.
[[nodiscard]] std::u16string ClientDllPathIn(std::u16string_view folder);

// The version text of a registered runtime folder: the text after its last backslash.
// Empty when the folder has no backslash.
[[nodiscard]] std::optional<std::u16string_view> RuntimeVersionText(
    std::u16string_view folder) noexcept;

// The text held in a zero-filled registry read buffer of `capacityUnits` UTF-16 units: the
// units before the first NUL. The search never goes past the buffer. A buffer without any
// NUL (a value that filled the buffer and so did not fit together with its terminator, or a
// value stored without one) yields nothing: such a value counts as absent rather than being
// taken in truncated form. A null buffer or a capacity of 0 yields nothing as well.
[[nodiscard]] std::optional<std::u16string_view> TextInRegistryBuffer(
    const char16_t* data, std::size_t capacityUnits) noexcept;

}  // namespace mirvot
