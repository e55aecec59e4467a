#pragma once
// HRESULTs in the loader's diagnostics and the shell's fatal reports are written as eight
// uppercase hexadecimal digits, most significant first, after a literal "0x" that the message
// itself carries.
#include <array>
#include <cstdint>
#include <string>

namespace mirvot {

// The eight digits and a terminating NUL, made without allocating: the loader writes them on
// the debugger output even when memory has run out.
[[nodiscard]] constexpr std::array<char, 9> HResultHexDigits(std::uint32_t value) noexcept {
  constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::array<char, 9> digits{};
  for (int i = 7; i >= 0; --i) {
    digits[static_cast<std::size_t>(i)] = kHexDigits[value & 0xFu];
    value >>= 4;
  }
  return digits;
}

[[nodiscard]] inline std::string FormatHResultHex(std::uint32_t value) {
  return HResultHexDigits(value).data();
}

}  // namespace mirvot
