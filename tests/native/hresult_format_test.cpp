#include "common/core/hresult_format.h"

#include <gtest/gtest.h>

namespace mirvot {
namespace {

TEST(FormatHResultHexTest, AlwaysEightDigitsWithLeadingZeros) {
  EXPECT_EQ(FormatHResultHex(0), "00000000");
  EXPECT_EQ(FormatHResultHex(1), "00000001");
  EXPECT_EQ(FormatHResultHex(0x7E), "0000007E");
}

TEST(FormatHResultHexTest, FailureCodesUseUppercaseDigits) {
  EXPECT_EQ(FormatHResultHex(0x80070002u), "80070002");
  EXPECT_EQ(FormatHResultHex(0x8007007Eu), "8007007E");
  EXPECT_EQ(FormatHResultHex(0xABCDEF01u), "ABCDEF01");
  EXPECT_EQ(FormatHResultHex(0xFFFFFFFFu), "FFFFFFFF");
}

TEST(FormatHResultHexTest, EveryNibbleLandsInItsPlace) {
  EXPECT_EQ(FormatHResultHex(0x01234567u), "01234567");
  EXPECT_EQ(FormatHResultHex(0x89ABCDEFu), "89ABCDEF");
}

TEST(FormatHResultHexUtf16Test, MatchesTheNarrowForm) {
  EXPECT_EQ(FormatHResultHexUtf16(0x80070002u), u"80070002");
  EXPECT_EQ(FormatHResultHexUtf16(0x89ABCDEFu), u"89ABCDEF");
  EXPECT_EQ(FormatHResultHexUtf16(0), u"00000000");
}

}  // namespace
}  // namespace mirvot
