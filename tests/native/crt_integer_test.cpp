#include "loader/core/crt_integer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

namespace mirvot {
namespace {

struct ReadCase {
  std::u16string_view text;
  std::int32_t value;
  bool consumed;
  std::size_t end;
};

void ExpectReads(const ReadCase& c) {
  SCOPED_TRACE(::testing::PrintToString(std::u16string(c.text)));
  const CrtIntegerRead read = ReadCrtInteger(c.text);
  EXPECT_EQ(read.value, c.value);
  EXPECT_EQ(read.consumed, c.consumed);
  EXPECT_EQ(read.end, c.end);
}

TEST(CrtIntegerTest, ReadsDigitsUpToTheFirstNonDigit) {
  ExpectReads({u"120", 120, true, 3});
  ExpectReads({u"120.0", 120, true, 3});
  ExpectReads({u"0", 0, true, 1});
  ExpectReads({u"007x", 7, true, 3});
}

TEST(CrtIntegerTest, SkipsEveryKindOfLeadingWhiteSpace) {
  ExpectReads({u" \t\n\v\f\r42", 42, true, 8});
}

TEST(CrtIntegerTest, AcceptsOneSign) {
  ExpectReads({u"+5", 5, true, 2});
  ExpectReads({u"-5", -5, true, 2});
  ExpectReads({u"  -0", 0, true, 4});
  ExpectReads({u"--5", 0, false, 0});
  ExpectReads({u"+-5", 0, false, 0});
}

TEST(CrtIntegerTest, TextWithoutDigitsConsumesNothing) {
  ExpectReads({u"", 0, false, 0});
  ExpectReads({u"   ", 0, false, 0});
  ExpectReads({u" +", 0, false, 0});
  ExpectReads({u"Application", 0, false, 0});
  ExpectReads({u".5", 0, false, 0});
  ExpectReads({u"- 5", 0, false, 0});
}

TEST(CrtIntegerTest, WhiteSpaceBetweenSignAndDigitsIsNotSkipped) {
  ExpectReads({u"+ 5", 0, false, 0});
}

TEST(CrtIntegerTest, OtherSpacesAndDigitsAreNotRecognised) {
  ExpectReads({u"\u00A05", 0, false, 0});  // no-break space
  ExpectReads({u"\u0665", 0, false, 0});   // Arabic-Indic digit five
  ExpectReads({u"\uFF15", 0, false, 0});   // fullwidth digit five
}

TEST(CrtIntegerTest, StopsAtAnEmbeddedNul) {
  ExpectReads({std::u16string_view(u"12\0" u"34", 5), 12, true, 2});
}

TEST(CrtIntegerTest, LimitsOfThirtyTwoBitsAreExact) {
  ExpectReads({u"2147483647", INT32_MAX, true, 10});
  ExpectReads({u"-2147483648", INT32_MIN, true, 11});
  ExpectReads({u"-2147483647", -2147483647, true, 11});
}

TEST(CrtIntegerTest, OutOfRangeSaturatesAndStillConsumesAllDigits) {
  ExpectReads({u"2147483648", INT32_MAX, true, 10});
  ExpectReads({u"99999999999", INT32_MAX, true, 11});
  ExpectReads({u"-2147483649", INT32_MIN, true, 11});
  ExpectReads({u"-99999999999999999999999999999", INT32_MIN, true, 30});
  ExpectReads({u"4294967297", INT32_MAX, true, 10});
}

}  // namespace
}  // namespace mirvot
