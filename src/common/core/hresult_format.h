#pragma once
// HRESULTs in the loader's diagnostics and the shell's fatal reports are written as eight
// uppercase hexadecimal digits, most significant first, after a literal "0x" that the message
// itself carries.
#include <cstdint>
#include <string>

namespace mirvot {

[[nodiscard]] std::string FormatHResultHex(std::uint32_t value);
[[nodiscard]] std::u16string FormatHResultHexUtf16(std::uint32_t value);

}  // namespace mirvot
