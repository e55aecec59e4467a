#pragma once
// Release channels of the runtime and the settings that choose and order them.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace mirvot {

// The index of a channel is its bit number in a channel mask and its place in the default
// search order, most stable first.
enum class ReleaseChannel : std::int32_t { Stable = 0, Beta, Dev, Canary, Internal };

inline constexpr std::size_t kReleaseChannelCount = 5;
inline constexpr std::int32_t kAllReleaseChannelsMask = 0x1F;
// channelSearchKind value that asks for the least stable channel first.
inline constexpr std::int32_t kChannelSearchLeastStableFirst = 1;

// Key names of each channel's registration under the updater's ClientState key, indexed by
// channel.
inline constexpr const char16_t* kChannelRegistrationKeyNames[kReleaseChannelCount] = {
    u"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}",  // Stable
    u"{2CD8A007-E189-409D-A2C8-9AF4EF3C72AA}",  // Beta
    u"{0D50BFEC-CD6A-4F9A-964C-C7416E3ACB10}",  // Dev
    u"{65C35B14-6C1D-4122-AC46-7148CC9D6497}",  // Canary
    u"{BE59E8FD-089A-411B-A3B0-051D9E417818}",  // Internal
};

// Package family names of each channel's runtime package, indexed by channel.
inline constexpr const char16_t* kChannelPackageFamilyNames[kReleaseChannelCount] = {
    u"Microsoft.WebView2Runtime.Stable_8wekyb3d8bbwe",
    u"Microsoft.WebView2Runtime.Beta_8wekyb3d8bbwe",
    u"Microsoft.WebView2Runtime.Dev_8wekyb3d8bbwe",
    u"Microsoft.WebView2Runtime.Canary_8wekyb3d8bbwe",
    u"Microsoft.WebView2Runtime.Internal_8wekyb3d8bbwe",
};

[[nodiscard]] constexpr std::size_t ChannelIndex(ReleaseChannel channel) noexcept {
  return static_cast<std::size_t>(channel);
}

// Reads text the way _wtoi does on Windows: leading white space, an optional sign, digits up
// to the first non-digit; no digits read as 0. Out-of-range numbers saturate to INT32_MAX or
// INT32_MIN, which is what the platform's _wtoi returns for them.
[[nodiscard]] std::int32_t ReadIntegerLikeWtoi(std::u16string_view text) noexcept;

// Whether a flag value is set: the text reads as the integer 1 (so "1", " 1", "+1", "01" and
// "1abc" are set; "true", "2" and "" are not).
[[nodiscard]] bool ReadsAsOne(std::u16string_view text) noexcept;

// The mask bit of channel number n: 1 << n for 0 to 4. Any other number (negative, or 5 and
// above) selects Stable.
[[nodiscard]] constexpr std::int32_t ChannelBit(std::int32_t n) noexcept {
  return (n >= 0 && n < static_cast<std::int32_t>(kReleaseChannelCount)) ? (1 << n) : 1;
}

// ORs the channels of a comma-separated list of channel numbers into `mask` and always sets
// `set`. Items are read from the end like _wtoi; empty items add nothing, an item that is not
// a number adds Stable, and a list of only commas sets `set` with nothing added. The text ends
// at its first NUL, if it holds one, as the NUL-terminated value it came from does.
void ParseReleaseChannelList(std::u16string_view text, std::int32_t& mask, bool& set) noexcept;

// The channels to search, in order. Without an explicit choice, or with exactly the four
// channels Stable to Canary chosen (with or without Internal), all five are searched. The
// order is most stable first, reversed when channelSearchKind is 1. Bits above bit 4 are
// ignored, so a mask holding only such bits selects nothing.
[[nodiscard]] std::vector<ReleaseChannel> BuildChannelSearchOrder(std::int32_t releaseChannels,
                                                                  bool releaseChannelsSet,
                                                                  std::int32_t channelSearchKind);

}  // namespace mirvot
