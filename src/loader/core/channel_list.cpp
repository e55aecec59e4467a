#include "loader/core/channel_list.h"

#include "loader/core/crt_integer.h"

namespace mirvot {

std::int32_t ReadIntegerLikeWtoi(std::u16string_view text) noexcept {
  return ReadCrtInteger(text).value;
}

bool ReadsAsOne(std::u16string_view text) noexcept { return ReadIntegerLikeWtoi(text) == 1; }

void ParseReleaseChannelList(std::u16string_view text, std::int32_t& mask, bool& set) noexcept {
  const std::size_t terminator = text.find(u'\0');
  if (terminator != std::u16string_view::npos) {
    text = text.substr(0, terminator);
  }
  // Items are taken from the end, each time cutting the text at its last comma.
  for (std::size_t comma = text.rfind(u','); comma != std::u16string_view::npos;
       comma = text.rfind(u',')) {
    const std::u16string_view item = text.substr(comma + 1);
    if (!item.empty()) {
      mask |= ChannelBit(ReadIntegerLikeWtoi(item));
    }
    text = text.substr(0, comma);
  }
  if (!text.empty()) {
    mask |= ChannelBit(ReadIntegerLikeWtoi(text));
  }
  set = true;
}

std::vector<ReleaseChannel> BuildChannelSearchOrder(std::int32_t releaseChannels,
                                                    bool releaseChannelsSet,
                                                    std::int32_t channelSearchKind) {
  constexpr std::int32_t kInternalBit = 1 << static_cast<int>(ReleaseChannel::Internal);
  constexpr std::int32_t kStableToCanary = kAllReleaseChannelsMask & ~kInternalBit;
  std::int32_t mask = releaseChannels;
  // Choosing every channel up to Canary is taken as "any channel", Internal included.
  if (!releaseChannelsSet || (mask & ~kInternalBit) == kStableToCanary) {
    mask = kAllReleaseChannelsMask;
  }
  std::vector<ReleaseChannel> order;
  order.reserve(kReleaseChannelCount);
  const auto last = static_cast<std::int32_t>(kReleaseChannelCount) - 1;
  for (std::int32_t i = 0; i <= last; ++i) {
    const std::int32_t channel = channelSearchKind == kChannelSearchLeastStableFirst ? last - i : i;
    if ((mask & (1 << channel)) != 0) {
      order.push_back(static_cast<ReleaseChannel>(channel));
    }
  }
  return order;
}

}  // namespace mirvot
