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

// The loader's debugger lines take the digits without allocating.
TEST(HResultHexDigitsTest, MatchesTheStringFormAndEndsInNul) {
  EXPECT_STREQ(HResultHexDigits(0x80070002u).data(), "80070002");
  EXPECT_STREQ(HResultHexDigits(0x89ABCDEFu).data(), "89ABCDEF");
  EXPECT_STREQ(HResultHexDigits(0).data(), "00000000");
  static_assert(HResultHexDigits(0x8007007Eu)[7] == 'E' && HResultHexDigits(1)[8] == '\0');
}

}  // namespace
}  // namespace mirvot
