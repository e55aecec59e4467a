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

// The sign decides success, as FAILED and SUCCEEDED read it: no error but zero turns into a
// success, and every one keeps its failure bit.
TEST(HResultFromWin32CodeTest, SignDecidesSuccess) {
  EXPECT_GE(HResultFromWin32Code(0), 0);
  EXPECT_LT(HResultFromWin32Code(2), 0);
  EXPECT_LT(HResultFromWin32Code(0x80000000u), 0);
  for (std::uint32_t error = 1; error <= 0xFFFFu; error += 0xFFu) {
    EXPECT_LT(HResultFromWin32Code(error), 0) << error;
  }
}

}  // namespace
}  // namespace mirvot
