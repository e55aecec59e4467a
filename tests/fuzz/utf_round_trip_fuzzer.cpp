// UTF-8/UTF-16 conversion at the boundary between the shell's text and Win32 or the engine
// (URLs, paths, messages).
// Input: the same bytes are read twice, once as UTF-8 and once as UTF-16LE.
// Invariants:
//   - UTF-8 to UTF-16 never fails and always gives well-formed UTF-16 (no unpaired
//     surrogate), which then survives UTF-16 -> UTF-8 -> UTF-16 unchanged;
//   - well-formed UTF-8 (checked independently) converts to UTF-16 and back to the same
//     bytes; ill-formed UTF-8 gets at least one U+FFFD;
//   - no ASCII byte is ever swallowed or invented: the ASCII characters of the input and of
//     the output are the same sequence (a bad sequence cannot eat a following quote or
//     backslash);
//   - UTF-16 to UTF-8 gives well-formed UTF-8 of the independently computed length, where
//     each unpaired surrogate counts as U+FFFD, and converting back gives the input with
//     exactly those surrogates replaced by U+FFFD (so well-formed UTF-16 is unchanged).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "common/core/utf_convert.h"
#include "fuzz_support.h"

namespace mirvot::fuzz {
namespace {

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The text with every unpaired surrogate replaced by U+FFFD.
std::u16string WellFormed(std::u16string_view text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      out.append(text.substr(i, 2));
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      out.push_back(u'\uFFFD');
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// UTF-8 length of well-formed UTF-16.
std::size_t Utf8Length(std::u16string_view wellFormed) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < wellFormed.size(); ++i) {
    const char16_t u = wellFormed[i];
    if (IsHighSurrogate(u)) {
      length += 4;
      ++i;
    } else {
      length += u < 0x80 ? 1 : (u < 0x800 ? 2 : 3);
    }
  }
  return length;
}

// Well-formed UTF-8 after the Unicode standard's table of byte sequences.
bool IsWellFormedUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(bytes[i + k]); };
    const auto in = [](unsigned char v, unsigned lo, unsigned hi) { return v >= lo && v <= hi; };
    std::size_t n = 0;
    if (b(0) <= 0x7F) {
      n = 1;
    } else if (in(b(0), 0xC2, 0xDF)) {
      n = 2;
    } else if (in(b(0), 0xE0, 0xEF)) {
      n = 3;
    } else if (in(b(0), 0xF0, 0xF4)) {
      n = 4;
    } else {
      return false;
    }
    if (i + n > bytes.size()) {
      return false;
    }
    for (std::size_t k = 1; k < n; ++k) {
      if (!in(b(k), 0x80, 0xBF)) {
        return false;
      }
    }
    if ((b(0) == 0xE0 && b(1) < 0xA0) || (b(0) == 0xED && b(1) > 0x9F) ||
        (b(0) == 0xF0 && b(1) < 0x90) || (b(0) == 0xF4 && b(1) > 0x8F)) {
      return false;
    }
    i += n;
  }
  return true;
}

template <typename Text>
std::string AsciiOf(const Text& text) {
  std::string ascii;
  for (const auto unit : text) {
    const auto value =
        static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<decltype(unit)>>(unit));
    if (value < 0x80) {
      ascii.push_back(static_cast<char>(value));
    }
  }
  return ascii;
}

}  // namespace
}  // namespace mirvot::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirvot;
  using namespace mirvot::fuzz;

  // The bytes as UTF-8, straight from libFuzzer's buffer, which is sized exactly to the
  // input, so a read past the view is caught.
  const std::string_view asUtf8(reinterpret_cast<const char*>(data), size);
  const std::string bytes(asUtf8);
  const std::u16string fromUtf8 = Utf8ToUtf16(asUtf8);
  MIRVOT_FUZZ_CHECK(WellFormed(fromUtf8) == fromUtf8);
  MIRVOT_FUZZ_CHECK(Utf8ToUtf16(Utf16ToUtf8(fromUtf8)) == fromUtf8);
  MIRVOT_FUZZ_CHECK(AsciiOf(fromUtf8) == AsciiOf(bytes));
  if (IsWellFormedUtf8(bytes)) {
    MIRVOT_FUZZ_CHECK(Utf16ToUtf8(fromUtf8) == bytes);
    MIRVOT_FUZZ_CHECK(fromUtf8.find(u'\uFFFD') == std::u16string::npos ||
                      bytes.find("\xEF\xBF\xBD") != std::string::npos);
  } else {
    MIRVOT_FUZZ_CHECK(fromUtf8.find(u'\uFFFD') != std::u16string::npos);
  }

  // The bytes as UTF-16LE.
  const std::u16string text = DecodeUtf16Le(data, size);
  const ExactText exact(text);
  const std::string utf8 = Utf16ToUtf8(exact.view());
  const std::u16string wellFormed = WellFormed(text);
  MIRVOT_FUZZ_CHECK(IsWellFormedUtf8(utf8));
  MIRVOT_FUZZ_CHECK(utf8.size() == Utf8Length(wellFormed));
  MIRVOT_FUZZ_CHECK(Utf8ToUtf16(utf8) == wellFormed);
  MIRVOT_FUZZ_CHECK(AsciiOf(utf8) == AsciiOf(text));
  return 0;
}
