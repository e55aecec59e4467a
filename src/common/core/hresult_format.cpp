#include "common/core/hresult_format.h"

namespace mirvot {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

template <typename Text>
Text FormatHex(std::uint32_t value) {
  Text text(8, typename Text::value_type{'0'});
  for (int i = 7; i >= 0; --i) {
    text[static_cast<std::size_t>(i)] =
        static_cast<typename Text::value_type>(kHexDigits[value & 0xFu]);
    value >>= 4;
  }
  return text;
}

}  // namespace

std::string FormatHResultHex(std::uint32_t value) { return FormatHex<std::string>(value); }

std::u16string FormatHResultHexUtf16(std::uint32_t value) {
  return FormatHex<std::u16string>(value);
}

}  // namespace mirvot
