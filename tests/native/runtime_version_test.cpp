#include "loader/core/runtime_version.h"

#include <string_view>

#include <gtest/gtest.h>

#include "exact_copy.h"

namespace mirvot {
namespace {

void ExpectParses(std::u16string_view text, RuntimeVersion expected) {
  SCOPED_TRACE(::testing::PrintToString(std::u16string(text)));
  RuntimeVersion version{1, 2, 3, 4};
  ASSERT_TRUE(ParseRuntimeVersion(ExactCopy(text).view(), version));
  EXPECT_EQ(version.major, expected.major);
  EXPECT_EQ(version.minor, expected.minor);
  EXPECT_EQ(version.build, expected.build);
  EXPECT_EQ(version.patch, expected.patch);
}

void ExpectFails(std::u16string_view text) {
  SCOPED_TRACE(::testing::PrintToString(std::u16string(text)));
  RuntimeVersion version{1, 2, 3, 4};
  EXPECT_FALSE(ParseRuntimeVersion(ExactCopy(text).view(), version));
  EXPECT_EQ(version, (RuntimeVersion{1, 2, 3, 4})) << "a failed parse leaves the output alone";
}

TEST(ParseRuntimeVersionTest, FullVersionGivesAllFourComponents) {
  ExpectParses(u"120.0.2210.91", {120, 0, 2210, 91});
}

TEST(ParseRuntimeVersionTest, MissingComponentsAreZero) {
  ExpectParses(u"120", {120, 0, 0, 0});
  ExpectParses(u"120.5", {120, 5, 0, 0});
  ExpectParses(u"120.5.7", {120, 5, 7, 0});
}

TEST(ParseRuntimeVersionTest, NonNumericComponentEndsParsingWithoutFailing) {
  ExpectParses(u"120.x", {120, 0, 0, 0});
  ExpectParses(u"120.0.x.5", {120, 0, 0, 0});
}

TEST(ParseRuntimeVersionTest, WordWithoutDigitsFails) {
  ExpectFails(u"Application");
  ExpectFails(u"");
  ExpectFails(u" ");
  ExpectFails(u"-");
  ExpectFails(u".120");
}

TEST(ParseRuntimeVersionTest, LeadingWhiteSpaceIsSkipped) {
  ExpectParses(u" 120.0", {120, 0, 0, 0});
  ExpectParses(u"\t120. 3", {120, 3, 0, 0});
}

TEST(ParseRuntimeVersionTest, PlusSignIsAccepted) { ExpectParses(u"+5", {5, 0, 0, 0}); }

TEST(ParseRuntimeVersionTest, NegativeComponentWrapsToUnsigned) {
  ExpectParses(u"-1.0", {0xFFFFFFFFu, 0, 0, 0});
  ExpectParses(u"120.-2", {120, 0xFFFFFFFEu, 0, 0});
}

TEST(ParseRuntimeVersionTest, OutOfRangeComponentSaturatesLikeLong) {
  ExpectParses(u"99999999999.1", {0x7FFFFFFFu, 1, 0, 0});
  ExpectParses(u"-99999999999.1", {0x80000000u, 1, 0, 0});
  ExpectParses(u"1.4294967296", {1, 0x7FFFFFFFu, 0, 0});
}

TEST(ParseRuntimeVersionTest, EmptyComponentEndsParsing) {
  ExpectParses(u"120..0", {120, 0, 0, 0});
  ExpectParses(u"120.", {120, 0, 0, 0});
}

TEST(ParseRuntimeVersionTest, ParsingStopsAtAnythingButADot) {
  ExpectParses(u"1 .2", {1, 0, 0, 0});
  ExpectParses(u"1,2", {1, 0, 0, 0});
  ExpectParses(u"1-2", {1, 0, 0, 0});  // below '.'
  ExpectParses(u"1/2", {1, 0, 0, 0});  // above '.'
  ExpectParses(u"1.2/3", {1, 2, 0, 0});
  ExpectParses(u"1.2.3.4abc", {1, 2, 3, 4});
  ExpectParses(std::u16string_view(u"1.2\0.3", 6), {1, 2, 0, 0});
}

TEST(ParseRuntimeVersionTest, TextAfterTheFourthComponentIsIgnored) {
  ExpectParses(u"120.0.0.0.5", {120, 0, 0, 0});
  ExpectParses(u"1.2.3.4.5.6", {1, 2, 3, 4});
}

TEST(CompareRuntimeVersionTest, MajorDecidesFirst) {
  EXPECT_LT(CompareRuntimeVersion({85, 9, 9999, 9999}, {86, 0, 0, 0}), 0);
  EXPECT_GT(CompareRuntimeVersion({87, 0, 0, 0}, {86, 9, 9999, 9999}), 0);
}

TEST(CompareRuntimeVersionTest, LaterComponentsDecideWhenEarlierOnesAreEqual) {
  EXPECT_LT(CompareRuntimeVersion({86, 0, 615, 99}, {86, 0, 616, 0}), 0);
  EXPECT_GT(CompareRuntimeVersion({86, 0, 616, 1}, {86, 0, 616, 0}), 0);
  EXPECT_LT(CompareRuntimeVersion({86, 0, 616, 0}, {86, 1, 0, 0}), 0);
  EXPECT_EQ(CompareRuntimeVersion({120, 0, 2210, 91}, {120, 0, 2210, 91}), 0);
}

TEST(CompareRuntimeVersionTest, ComponentsCompareAsUnsigned) {
  EXPECT_GT(CompareRuntimeVersion({0xFFFFFFFFu, 0, 0, 0}, {86, 0, 0, 0}), 0);
  EXPECT_GT(CompareRuntimeVersion({86, 0x80000000u, 0, 0}, {86, 1, 0, 0}), 0);
}

TEST(IsSupportedRuntimeVersionTest, MinimumItselfIsAccepted) {
  EXPECT_TRUE(IsSupportedRuntimeVersion({86, 0, 616, 0}));
}

TEST(IsSupportedRuntimeVersionTest, OlderRuntimesAreRejected) {
  EXPECT_FALSE(IsSupportedRuntimeVersion({85, 0, 564, 70}));
  EXPECT_FALSE(IsSupportedRuntimeVersion({86, 0, 615, 9999}));
  EXPECT_FALSE(IsSupportedRuntimeVersion({0, 0, 0, 0}));
}

TEST(IsSupportedRuntimeVersionTest, BareMajorBelowTheMinimumBuildIsRejected) {
  RuntimeVersion version;
  ASSERT_TRUE(ParseRuntimeVersion(u"86", version));
  EXPECT_FALSE(IsSupportedRuntimeVersion(version));
}

TEST(IsSupportedRuntimeVersionTest, NewerRuntimesAreAccepted) {
  EXPECT_TRUE(IsSupportedRuntimeVersion({86, 0, 616, 1}));
  EXPECT_TRUE(IsSupportedRuntimeVersion({120, 0, 2210, 91}));
  EXPECT_TRUE(IsSupportedRuntimeVersion({0xFFFFFFFFu, 0, 0, 0}));
}

}  // namespace
}  // namespace mirvot
