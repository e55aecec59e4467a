// Flag values (WEBVIEW2_CHANNEL_SEARCH_KIND and friends, and string-typed policies) read the
// way _wtoi reads them.
// Input: UTF-16LE text.
// Invariants:
//   - ReadIntegerLikeWtoi equals an independent reader that keeps a signed 64-bit value
//     clamped to the int32 range after every digit;
//   - ReadsAsOne is exactly "reads as 1";
//   - the underlying reader reports digits and the stop position like that reference, and
//     consumes nothing when there are no digits;
//   - the text reads the same when cut at its first NUL, and the same from a buffer of
//     exactly its size (nothing past the view is read).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "loader/core/channel_list.h"
#include "loader/core/crt_integer.h"
#include "reference_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirvot;
  using namespace mirvot::fuzz;
  const std::u16string text = DecodeUtf16Le(data, size);
  const ExactText exact(text);
  const ReferenceInteger expected = ReferenceReadInteger(text);

  const std::int32_t value = ReadIntegerLikeWtoi(exact.view());
  MIRVOT_FUZZ_CHECK(value == expected.value);
  MIRVOT_FUZZ_CHECK(ReadsAsOne(exact.view()) == (expected.value == 1));

  const CrtIntegerRead read = ReadCrtInteger(exact.view());
  MIRVOT_FUZZ_CHECK(read.consumed == expected.hasDigits);
  MIRVOT_FUZZ_CHECK(read.end == expected.end);
  MIRVOT_FUZZ_CHECK(read.value == expected.value);
  if (!read.consumed) {
    MIRVOT_FUZZ_CHECK(read.value == 0 && read.end == 0);
  } else {
    MIRVOT_FUZZ_CHECK(read.end <= text.size());
    MIRVOT_FUZZ_CHECK(ReferenceDigitValue(text[read.end - 1]).has_value());
    MIRVOT_FUZZ_CHECK(read.end == text.size() || !ReferenceDigitValue(text[read.end]));
  }

  const ExactText beforeNul(UpToFirstNul(text));
  MIRVOT_FUZZ_CHECK(ReadIntegerLikeWtoi(beforeNul.view()) == value);
  return 0;
}
