#pragma once
// Number reading that matches the C runtime's wcstol (base 10) and _wtoi on Windows, where
// long and int are both 32 bits, for ASCII text: registrations, variables and policies written
// for the platform are read by these functions, so odd values (signs, white space, overflow)
// must be taken as the platform takes them. Written by hand: the C runtime's own functions
// depend on the locale. Unlike the runtime, only ASCII digits and ASCII white space count:
// fullwidth or Arabic-Indic digits and Unicode spaces are not part of a number here, so a value
// reads the same on every machine and in every locale.
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

// True for the white space that the conversion skips: space, \t, \n, \v, \f and \r.
constexpr bool IsCrtSpace(char16_t unit) noexcept {
  return unit == u' ' || (unit >= u'\t' && unit <= u'\r');
}

// Leading white space, an optional '+' or '-', then decimal digits up to the first
// non-digit (a NUL is a non-digit, so text cut at its terminator and text that goes on
// beyond it read the same).
[[nodiscard]] CrtIntegerRead ReadCrtInteger(std::u16string_view text) noexcept;

}  // namespace mirvot
