#include "loader/core/crt_integer.h"

namespace mirvot {
namespace {

// Any magnitude above 2^31 is out of range for both signs, so the running magnitude is
// capped just above it; that keeps the arithmetic far from 64-bit overflow however many
// digits follow.
constexpr std::uint64_t kMagnitudeCap = 0x80000001u;

}  // namespace

CrtIntegerRead ReadCrtInteger(std::u16string_view text) noexcept {
  std::size_t i = 0;
  while (i < text.size() && IsCrtSpace(text[i])) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  const std::size_t firstDigit = i;
  std::uint64_t magnitude = 0;
  while (i < text.size()) {
    const int digit = DecimalDigitValue(text[i]);
    if (digit < 0) {
      break;
    }
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(digit);
    if (magnitude > kMagnitudeCap) {
      magnitude = kMagnitudeCap;
    }
    ++i;
  }
  if (i == firstDigit) {
    return {};
  }

  CrtIntegerRead result;
  result.consumed = true;
  result.end = i;
  if (negative) {
    result.value = magnitude >= 0x80000000u ? INT32_MIN : -static_cast<std::int32_t>(magnitude);
  } else {
    result.value = magnitude > 0x7FFFFFFFu ? INT32_MAX : static_cast<std::int32_t>(magnitude);
  }
  return result;
}

}  // namespace mirvot
