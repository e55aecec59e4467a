#include "loader/core/crt_integer.h"

#include <cstdint>
#include <string_view>

#include <gtest/gtest.h>

#include "exact_copy.h"

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
  const CrtIntegerRead read = ReadCrtInteger(ExactCopy(c.text).view());
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

// Every unit the platform's iswspace accepts is skipped before the number; the units on either
// side of each run of them, other control characters and the zero-width and other separators
// are not, and end the reading with nothing consumed.
TEST(CrtIntegerTest, LeadingWhiteSpaceIsWhatThePlatformCallsWhiteSpace) {
  const char16_t spaces[] = {u' ',   0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x0085, 0x00A0, 0x1680,
                             0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007, 0x2008,
                             0x2009, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
  for (const char16_t space : spaces) {
    const char16_t text[] = {space, space, u'-', u'4', u'2'};
    ExpectReads({std::u16string_view(text, 5), -42, true, 5});
  }
  const char16_t others[] = {0x0001, 0x0008, 0x000E, 0x001C, 0x001F, 0x0084, 0x0086, 0x009F,
                             0x167F, 0x1681, 0x180E, 0x1FFF, 0x200B, 0x2027, 0x202A, 0x202E,
                             0x2030, 0x205E, 0x2060, 0x2FFF, 0x3001, 0xFEFF};
  for (const char16_t other : others) {
    const char16_t text[] = {other, u'4', u'2'};
    ExpectReads({std::u16string_view(text, 3), 0, false, 0});
  }
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

// The platform reads the decimal digits of seventeen other scripts as well: every digit of
// every set, at both ends of each set, and the units just outside each set.
TEST(CrtIntegerTest, DigitsOfOtherScriptsAreReadAsTheirValue) {
  const char16_t zeros[] = {0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0C66, 0x0CE6,
                            0x0D66, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10};
  for (const char16_t zero : zeros) {
    for (char16_t digit = 0; digit < 10; ++digit) {
      const char16_t text[] = {static_cast<char16_t>(zero + digit), u'7'};
      ExpectReads({std::u16string_view(text, 2), digit * 10 + 7, true, 2});
    }
    const char16_t before[] = {static_cast<char16_t>(zero - 1)};
    const char16_t after[] = {static_cast<char16_t>(zero + 10)};
    ExpectReads({std::u16string_view(before, 1), 0, false, 0});
    ExpectReads({std::u16string_view(after, 1), 0, false, 0});
  }
}

TEST(CrtIntegerTest, DigitSetsMixWithSignsAndSaturation) {
  ExpectReads({u"\u0661\u0662", 12, true, 2});    // Arabic-Indic one, two
  ExpectReads({u"1\uFF12\u0663", 123, true, 3});  // ASCII, fullwidth, Arabic-Indic
  ExpectReads({u" -\u0967", -1, true, 3});        // Devanagari one after a sign
  ExpectReads(
      {u"\uFF19\uFF19\uFF19\uFF19\uFF19\uFF19\uFF19\uFF19\uFF19\uFF19\uFF19", INT32_MAX, true, 11});
  ExpectReads({u"\u0661.\u0662", 1, true, 1});  // a version part stops at the dot
  ExpectReads({u"\uFF0D1", 0, false, 0});       // a fullwidth hyphen is no sign
}

TEST(CrtIntegerTest, StopsAtAnEmbeddedNul) {
  ExpectReads({std::u16string_view(u"12\0"
                                   u"34",
                                   5),
               12, true, 2});
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
  // At and beyond 2^64 a 64-bit accumulator would wrap to small numbers; the reading saturates.
  ExpectReads({u"18446744073709551616", INT32_MAX, true, 20});
  ExpectReads({u"18446744073709551617", INT32_MAX, true, 20});
  ExpectReads({u"-18446744073709551617", INT32_MIN, true, 21});
  ExpectReads({u"36893488147419103233", INT32_MAX, true, 20});
}

}  // namespace
}  // namespace mirvot
