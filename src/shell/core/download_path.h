#pragma once
// Download destinations proposed by the engine are written back before the download starts.
// A path in long-path form (\\?\C:\...) is given back in its plain drive-letter form when,
// and only when, that form is certain to name the same file; otherwise it is given back
// exactly as proposed, which is always correct.
#include <string>
#include <string_view>

namespace mirvot {

// The normalised download path.
//
// Only a path that starts with \\?\ followed by an ASCII drive letter and ':' can change.
// Every other path (plain, UNC, \\?\UNC\..., \\.\..., empty) is returned exactly.
//
// The \\?\ prefix turns off the Win32 path rewriting, so a plain path names the same file
// only when the rewriting would leave it alone. The prefix is dropped only if the rest is
// "X:\" followed by zero or more components separated by single backslashes and all of these
// hold; otherwise the path is returned unchanged:
//   - the plain path is shorter than 260 units (it fits MAX_PATH with its terminator);
//   - it holds no '/' (which plain paths treat as a separator);
//   - no component is empty (no doubled backslash, no trailing backslash after a component);
//   - no component is "." or "..", and none ends in '.' or ' ' (these are stripped or
//     resolved in plain paths);
//   - no unit is below 0x20 or one of < > : " | ? * (':' is allowed only after the drive
//     letter);
//   - no component is a reserved device name: its part before the first '.', with trailing
//     spaces removed, matched without regard to ASCII case against CON, PRN, AUX, NUL,
//     CONIN$, CONOUT$, COM0-COM9, LPT0-LPT9 and COM/LPT followed by a superscript 1, 2 or 3
//     (a plain path would name the device instead of the file).
// The drive root itself, \\?\C:\, becomes C:\.
[[nodiscard]] std::u16string normalize_download_path(std::u16string_view path);

}  // namespace mirvot
