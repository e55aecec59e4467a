#include "common/core/hresult_codes.h"

#include <cstdint>

#include <gtest/gtest.h>

namespace mirvot {
namespace {

constexpr std::int32_t AsHResult(std::uint32_t bits) { return static_cast<std::int32_t>(bits); }

TEST(HResultFromWin32CodeTest, PositiveErrorMovesIntoTheWin32Facility) {
  EXPECT_EQ(HResultFromWin32Code(2), AsHResult(0x80070002u));
  EXPECT_EQ(HResultFromWin32Code(122), AsHResult(0x8007007Au));
  EXPECT_EQ(HResultFromWin32Code(126), AsHResult(0x8007007Eu));
  EXPECT_EQ(HResultFromWin32Code(1168), AsHResult(0x80070490u));
}

TEST(HResultFromWin32CodeTest, OnlyTheLowSixteenBitsAreKept) {
  EXPECT_EQ(HResultFromWin32Code(0x00012345u), AsHResult(0x80072345u));
  EXPECT_EQ(HResultFromWin32Code(0x7FFFFFFFu), AsHResult(0x8007FFFFu));
}

TEST(HResultFromWin32CodeTest, ZeroAndNegativeValuesPassUnchanged) {
  EXPECT_EQ(HResultFromWin32Code(0), 0);
  EXPECT_EQ(HResultFromWin32Code(0x80004005u), AsHResult(0x80004005u));
  EXPECT_EQ(HResultFromWin32Code(0xFFFFFFFFu), -1);
}

TEST(HResultTest, SignDecidesSuccess) {
  EXPECT_TRUE(Succeeded(0));
  EXPECT_TRUE(Succeeded(1));
  EXPECT_FALSE(Failed(1));
  EXPECT_TRUE(Failed(AsHResult(0x80070002u)));
  EXPECT_FALSE(Succeeded(AsHResult(0x80000000u)));
}

}  // namespace
}  // namespace mirvot
