#pragma once
// UTF-8 <-> UTF-16 conversion for the boundary between the shell's text and Win32/the engine.
// Malformed input never fails: each bad sequence becomes U+FFFD, as the platform converters do.
#include <string>
#include <string_view>

namespace mirvot {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace mirvot
