#pragma once
// Number reading that matches the C runtime's wcstol (base 10) and _wtoi on Windows, where
// long and int are both 32 bits: registrations, variables and policies written for the platform
// are read by these functions, so odd values (signs, white space, overflow, digits of other
// scripts) must be taken as the platform takes them. Written by hand: the C runtime's own
// functions depend on the locale. White space and digits are those the platform's universal C
// runtime accepts in its wide conversions, whatever the locale.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mirvot {

struct CrtIntegerRead {
  // The converted value. Out-of-range numbers saturate like wcstol: INT32_MAX for too large
  // a positive number, INT32_MIN for too large a negative one.
  std::int32_t value = 0;
  // Whether at least one digit was read. When false, nothing counts as consumed: value is 0
  // and `end` is 0, even if white space or a sign came first (as wcstol reports it).
  bool consumed = false;
  // Index into the text where conversion stopped (one past the last digit).
  std::size_t end = 0;
};

// The first unit of each ten-digit set that the conversion reads besides '0' to '9': Arabic-Indic,
// extended Arabic-Indic, Devanagari, Bengali, Gurmukhi, Gujarati, Oriya, Telugu, Kannada,
// Malayalam, Thai, Lao, Tibetan, Myanmar, Khmer, Mongolian and fullwidth digits.
inline constexpr char16_t kOtherDecimalDigitZeros[] = {
    0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0C66, 0x0CE6,
    0x0D66, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10,
};

// The value 0 to 9 of a decimal digit of any of those sets, or -1 for any other unit.
constexpr int DecimalDigitValue(char16_t unit) noexcept {
  if (unit >= u'0' && unit <= u'9') {
    return unit - u'0';
  }
  for (const char16_t zero : kOtherDecimalDigitZeros) {
    if (unit >= zero && unit <= zero + 9) {
      return unit - zero;
    }
  }
  return -1;
}

// True for the white space that the conversion skips, the units the runtime's iswspace accepts:
// space, \t, \n, \v, \f and \r; next line (U+0085) and no-break space (U+00A0); Ogham space
// mark (U+1680); the typographic spaces U+2000 to U+200A; line and paragraph separators (U+2028,
// U+2029); narrow no-break space (U+202F), medium mathematical space (U+205F) and ideographic
// space (U+3000). Zero-width spaces and the information separators U+001C to U+001F are not
// white space to it.
constexpr bool IsCrtSpace(char16_t unit) noexcept {
  if (unit < 0x80) {
    return unit == u' ' || (unit >= u'\t' && unit <= u'\r');
  }
  return unit == 0x0085 || unit == 0x00A0 || unit == 0x1680 || (unit >= 0x2000 && unit <= 0x200A) ||
         unit == 0x2028 || unit == 0x2029 || unit == 0x202F || unit == 0x205F || unit == 0x3000;
}

// Leading white space, an optional '+' or '-', then decimal digits (of any of the sets above,
// mixed freely) up to the first non-digit (a NUL is a non-digit, so text cut at its terminator and
// text that goes on beyond it read the same).
[[nodiscard]] CrtIntegerRead ReadCrtInteger(std::u16string_view text) noexcept;

}  // namespace mirvot
