#include "loader/core/channel_list.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace mirvot {
namespace {

using Order = std::vector<ReleaseChannel>;
constexpr auto S = ReleaseChannel::Stable;
constexpr auto B = ReleaseChannel::Beta;
constexpr auto D = ReleaseChannel::Dev;
constexpr auto C = ReleaseChannel::Canary;
constexpr auto I = ReleaseChannel::Internal;

std::int32_t MaskOf(std::u16string_view text) {
  std::int32_t mask = 0;
  bool set = false;
  ParseReleaseChannelList(text, mask, set);
  EXPECT_TRUE(set);
  return mask;
}

TEST(ReadIntegerLikeWtoiTest, ReadsLeadingNumber) {
  EXPECT_EQ(ReadIntegerLikeWtoi(u"1"), 1);
  EXPECT_EQ(ReadIntegerLikeWtoi(u"  1"), 1);
  EXPECT_EQ(ReadIntegerLikeWtoi(u"-3"), -3);
  EXPECT_EQ(ReadIntegerLikeWtoi(u"+4"), 4);
  EXPECT_EQ(ReadIntegerLikeWtoi(u"12abc"), 12);
}

TEST(ReadIntegerLikeWtoiTest, TextWithoutDigitsReadsAsZero) {
  EXPECT_EQ(ReadIntegerLikeWtoi(u""), 0);
  EXPECT_EQ(ReadIntegerLikeWtoi(u"true"), 0);
  EXPECT_EQ(ReadIntegerLikeWtoi(u" - 1"), 0);
}

TEST(ReadIntegerLikeWtoiTest, OutOfRangeSaturates) {
  EXPECT_EQ(ReadIntegerLikeWtoi(u"2147483647"), INT32_MAX);
  EXPECT_EQ(ReadIntegerLikeWtoi(u"2147483648"), INT32_MAX);
  EXPECT_EQ(ReadIntegerLikeWtoi(u"-2147483648"), INT32_MIN);
  EXPECT_EQ(ReadIntegerLikeWtoi(u"-2147483649"), INT32_MIN);
  EXPECT_EQ(ReadIntegerLikeWtoi(u"99999999999999999999"), INT32_MAX);
}

TEST(ReadsAsOneTest, OneInAnySpellingIsSet) {
  EXPECT_TRUE(ReadsAsOne(u"1"));
  EXPECT_TRUE(ReadsAsOne(u" 1"));
  EXPECT_TRUE(ReadsAsOne(u"+1"));
  EXPECT_TRUE(ReadsAsOne(u"01"));
  EXPECT_TRUE(ReadsAsOne(u"1abc"));
}

TEST(ReadsAsOneTest, AnythingElseIsNotSet) {
  EXPECT_FALSE(ReadsAsOne(u"true"));
  EXPECT_FALSE(ReadsAsOne(u"2"));
  EXPECT_FALSE(ReadsAsOne(u""));
  EXPECT_FALSE(ReadsAsOne(u"0"));
  EXPECT_FALSE(ReadsAsOne(u"-1"));
  EXPECT_FALSE(ReadsAsOne(u"x1"));
  // Saturation, not wrap-around: 2^32 + 1 does not come out as 1.
  EXPECT_FALSE(ReadsAsOne(u"4294967297"));
}

TEST(ChannelBitTest, ChannelNumbersSelectTheirBit) {
  for (std::int32_t n = 0; n < 5; ++n) {
    EXPECT_EQ(ChannelBit(n), 1 << n) << n;
  }
}

TEST(ChannelBitTest, NumbersOutsideTheChannelsSelectStable) {
  EXPECT_EQ(ChannelBit(-1), 1);
  EXPECT_EQ(ChannelBit(5), 1);
  EXPECT_EQ(ChannelBit(31), 1);
  EXPECT_EQ(ChannelBit(32), 1);
  EXPECT_EQ(ChannelBit(INT32_MIN), 1);
  EXPECT_EQ(ChannelBit(INT32_MAX), 1);
}

TEST(ParseReleaseChannelListTest, ListSelectsEachNamedChannel) {
  EXPECT_EQ(MaskOf(u"1,3"), 0b01010);  // Beta and Canary
  EXPECT_EQ(MaskOf(u"0,1,2,3,4"), 0b11111);
  EXPECT_EQ(MaskOf(u"4"), 0b10000);
}

TEST(ParseReleaseChannelListTest, NumberOutsideTheChannelsAddsStable) {
  EXPECT_EQ(MaskOf(u"0,7"), 0b00001);
  EXPECT_EQ(MaskOf(u"3,-1"), 0b01001);
  EXPECT_EQ(MaskOf(u"99999999999"), 0b00001);
}

TEST(ParseReleaseChannelListTest, ItemThatIsNotANumberAddsStable) {
  EXPECT_EQ(MaskOf(u"2,x"), 0b00101);
  EXPECT_EQ(MaskOf(u" "), 0b00001);
}

TEST(ParseReleaseChannelListTest, EmptyItemsAddNothing) {
  EXPECT_EQ(MaskOf(u"1,,2"), 0b00110);
  EXPECT_EQ(MaskOf(u",4"), 0b10000);
  EXPECT_EQ(MaskOf(u"3,"), 0b01000);
}

TEST(ParseReleaseChannelListTest, ItemsAreReadWithWhiteSpaceAndTrailingText) {
  EXPECT_EQ(MaskOf(u" 2 , 3"), 0b01100);
  EXPECT_EQ(MaskOf(u"1beta,2dev"), 0b00110);
}

TEST(ParseReleaseChannelListTest, OnlyCommasSetTheFlagWithAnEmptyMask) {
  std::int32_t mask = 0;
  bool set = false;
  ParseReleaseChannelList(u",,,", mask, set);
  EXPECT_TRUE(set);
  EXPECT_EQ(mask, 0);
}

TEST(ParseReleaseChannelListTest, EmptyTextSetsTheFlagWithNothingAdded) {
  std::int32_t mask = 0;
  bool set = false;
  ParseReleaseChannelList(u"", mask, set);
  EXPECT_TRUE(set);
  EXPECT_EQ(mask, 0);
}

TEST(ParseReleaseChannelListTest, BitsAreAddedToTheExistingMask) {
  std::int32_t mask = 0b10000;
  bool set = true;
  ParseReleaseChannelList(u"0", mask, set);
  EXPECT_EQ(mask, 0b10001);
  EXPECT_TRUE(set);
}

TEST(ParseReleaseChannelListTest, TextEndsAtItsFirstNul) {
  const std::u16string text(u"1\0,3", 4);
  EXPECT_EQ(MaskOf(text), 0b00010);
}

TEST(BuildChannelSearchOrderTest, NoExplicitChoiceSearchesAllMostStableFirst) {
  EXPECT_EQ(BuildChannelSearchOrder(0, false, 0), (Order{S, B, D, C, I}));
  // Without the set flag the mask's value plays no part.
  EXPECT_EQ(BuildChannelSearchOrder(0b00010, false, 0), (Order{S, B, D, C, I}));
}

TEST(BuildChannelSearchOrderTest, LeastStableFirstReversesTheOrder) {
  EXPECT_EQ(BuildChannelSearchOrder(0, false, 1), (Order{I, C, D, B, S}));
  EXPECT_EQ(BuildChannelSearchOrder(0b00101, true, 1), (Order{D, S}));
}

TEST(BuildChannelSearchOrderTest, OtherSearchKindsKeepTheDefaultOrder) {
  EXPECT_EQ(BuildChannelSearchOrder(0, false, 2), (Order{S, B, D, C, I}));
  EXPECT_EQ(BuildChannelSearchOrder(0, false, -1), (Order{S, B, D, C, I}));
}

TEST(BuildChannelSearchOrderTest, StableToCanaryChoiceAlsoSearchesInternal) {
  EXPECT_EQ(BuildChannelSearchOrder(15, true, 0), (Order{S, B, D, C, I}));
  EXPECT_EQ(BuildChannelSearchOrder(31, true, 0), (Order{S, B, D, C, I}));
}

TEST(BuildChannelSearchOrderTest, ExplicitChoiceSearchesOnlyChosenChannels) {
  EXPECT_EQ(BuildChannelSearchOrder(2, true, 0), (Order{B}));
  EXPECT_EQ(BuildChannelSearchOrder(0b01010, true, 0), (Order{B, C}));
  EXPECT_EQ(BuildChannelSearchOrder(0b10000, true, 0), (Order{I}));
}

TEST(BuildChannelSearchOrderTest, ChoiceOfNoChannelSearchesNothing) {
  EXPECT_TRUE(BuildChannelSearchOrder(0, true, 0).empty());
  EXPECT_TRUE(BuildChannelSearchOrder(32, true, 0).empty());
  EXPECT_TRUE(BuildChannelSearchOrder(32, true, 1).empty());
}

TEST(BuildChannelSearchOrderTest, BitsAboveTheChannelsAreIgnored) {
  EXPECT_EQ(BuildChannelSearchOrder(0b100100, true, 0), (Order{D}));
  // With a bit above Internal, the four-channel choice is no longer exactly that.
  EXPECT_EQ(BuildChannelSearchOrder(15 | 32, true, 0), (Order{S, B, D, C}));
  EXPECT_EQ(BuildChannelSearchOrder(-1, true, 0), (Order{S, B, D, C, I}));
}

TEST(BuildChannelSearchOrderTest, ChannelListOfOnlyCommasLeavesNothingToSearch) {
  std::int32_t mask = 0;
  bool set = false;
  ParseReleaseChannelList(u",", mask, set);
  EXPECT_TRUE(BuildChannelSearchOrder(mask, set, 0).empty());
}

TEST(ChannelConstantsTest, RegistrationKeyNamesAreDistinctBracedGuids) {
  for (std::size_t i = 0; i < kReleaseChannelCount; ++i) {
    const std::u16string_view name = kChannelRegistrationKeyNames[i];
    SCOPED_TRACE(i);
    ASSERT_EQ(name.size(), 38u);
    EXPECT_EQ(name.front(), u'{');
    EXPECT_EQ(name.back(), u'}');
    for (const std::size_t dash : {9u, 14u, 19u, 24u}) {
      EXPECT_EQ(name[dash], u'-');
    }
    for (std::size_t j = 0; j < i; ++j) {
      EXPECT_NE(name, std::u16string_view(kChannelRegistrationKeyNames[j]));
    }
  }
  EXPECT_EQ(std::u16string_view(kChannelRegistrationKeyNames[ChannelIndex(S)]),
            u"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}");
}

TEST(ChannelConstantsTest, PackageFamilyNamesFollowTheChannelNames) {
  const std::u16string_view channelNames[] = {u"Stable", u"Beta", u"Dev", u"Canary", u"Internal"};
  for (std::size_t i = 0; i < kReleaseChannelCount; ++i) {
    std::u16string expected = u"Microsoft.WebView2Runtime.";
    expected.append(channelNames[i]);
    expected.append(u"_8wekyb3d8bbwe");
    EXPECT_EQ(std::u16string_view(kChannelPackageFamilyNames[i]), expected);
  }
}

}  // namespace
}  // namespace mirvot
