// Channel lists from WEBVIEW2_RELEASE_CHANNELS or the ReleaseChannels policy.
// Input: UTF-16LE text.
// Invariants:
//   - the set flag is always set, whatever the text;
//   - starting from an empty mask, only bits 0 to 4 are ever set, and the mask equals an
//     independent reading (split at commas, each non-empty item read like _wtoi, numbers
//     outside 0..4 meaning Stable, the text ending at its first NUL);
//   - bits already in the mask are kept, and only ORed into;
//   - extra commas (before, after, and doubled between items) do not change the mask;
//   - the order of the items does not matter;
//   - the text is never read past its view.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "loader/core/channel_list.h"
#include "reference_rules.h"

namespace mirvot::fuzz {
namespace {

std::int32_t MaskOf(std::u16string_view text) {
  std::int32_t mask = 0;
  bool set = false;
  ParseReleaseChannelList(text, mask, set);
  MIRVOT_FUZZ_CHECK(set);
  return mask;
}

std::u16string WithExtraCommas(std::u16string_view text) {
  std::u16string padded = u",";
  for (const char16_t unit : text) {
    padded.push_back(unit);
    if (unit == u',') {
      padded.push_back(u',');
    }
  }
  padded.push_back(u',');
  return padded;
}

std::u16string ItemsReversed(std::u16string_view text) {
  std::vector<std::u16string_view> items = SplitAt(UpToFirstNul(text), u',');
  std::reverse(items.begin(), items.end());
  std::u16string joined;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i != 0) {
      joined.push_back(u',');
    }
    joined.append(items[i]);
  }
  return joined;
}

}  // namespace
}  // namespace mirvot::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirvot;
  using namespace mirvot::fuzz;
  const std::u16string text = DecodeUtf16Le(data, size);
  const ExactText exact(text);

  const std::int32_t mask = MaskOf(exact.view());
  MIRVOT_FUZZ_CHECK((mask & ~kAllReleaseChannelsMask) == 0);
  MIRVOT_FUZZ_CHECK(mask == ReferenceChannelMask(text));

  // A mask that already holds bits (including ones above bit 4) only gains bits.
  for (const std::int32_t initial : {std::int32_t{0x40}, INT32_MIN, std::int32_t{0x15}}) {
    std::int32_t accumulated = initial;
    bool set = false;
    ParseReleaseChannelList(exact.view(), accumulated, set);
    MIRVOT_FUZZ_CHECK(set);
    MIRVOT_FUZZ_CHECK(accumulated == (initial | mask));
  }

  MIRVOT_FUZZ_CHECK(MaskOf(WithExtraCommas(text)) == mask);
  MIRVOT_FUZZ_CHECK(MaskOf(ItemsReversed(text)) == mask);

  // A text of nothing but commas selects nothing, yet counts as a choice.
  const std::u16string_view beforeNul = UpToFirstNul(text);
  if (std::all_of(beforeNul.begin(), beforeNul.end(), [](char16_t u) { return u == u','; })) {
    MIRVOT_FUZZ_CHECK(mask == 0);
  }
  return 0;
}
