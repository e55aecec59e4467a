#include "common/core/utf_convert.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "exact_copy.h"

namespace mirvot {
namespace {

std::string Bytes(std::initializer_list<unsigned char> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// Both directions read their input from exact copies, so that a look past the end is caught.
std::u16string ToUtf16(std::string_view text) { return Utf8ToUtf16(ExactCopy(text).view()); }
std::string ToUtf8(std::u16string_view text) { return Utf16ToUtf8(ExactCopy(text).view()); }

// The last and first code point of each encoded length, both sides of the surrogate range and
// the 4-byte lead bytes F1 to F3, in both directions.
TEST(UtfConvertTest, CodePointsAtEveryBoundaryConvertBothWays) {
  struct Boundary {
    std::initializer_list<unsigned char> utf8;
    std::u16string_view utf16;
  };
  const Boundary boundaries[] = {
      {{0x7F}, u"\u007F"},
      {{0xC2, 0x80}, u"\u0080"},
      {{0xDF, 0xBF}, u"\u07FF"},
      {{0xE0, 0xA0, 0x80}, u"\u0800"},
      {{0xED, 0x9F, 0xBF}, u"\uD7FF"},
      {{0xEE, 0x80, 0x80}, u"\uE000"},
      {{0xEF, 0xBF, 0xBF}, u"\uFFFF"},
      {{0xF0, 0x90, 0x80, 0x80}, u"\U00010000"},
      {{0xF1, 0x80, 0x80, 0x80}, u"\U00040000"},
      {{0xF2, 0xBF, 0xBF, 0xBF}, u"\U000BFFFF"},
      {{0xF3, 0xBF, 0xBF, 0xBF}, u"\U000FFFFF"},
      {{0xF4, 0x8F, 0xBF, 0xBF}, u"\U0010FFFF"},
  };
  for (const Boundary& boundary : boundaries) {
    const std::string utf8 = Bytes(boundary.utf8);
    SCOPED_TRACE(::testing::PrintToString(utf8));
    EXPECT_EQ(ToUtf16(utf8), boundary.utf16);
    EXPECT_EQ(ToUtf8(boundary.utf16), utf8);
  }
}

TEST(Utf8ToUtf16Test, WellFormedTextOfEveryLength) {
  EXPECT_EQ(Utf8ToUtf16(""), u"");
  EXPECT_EQ(Utf8ToUtf16("Mirvot"), u"Mirvot");
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xC3, 0xA9})), u"\u00E9");
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xE2, 0x82, 0xAC})), u"\u20AC");
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xF0, 0x9F, 0x98, 0x80})), u"\U0001F600");
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xF4, 0x8F, 0xBF, 0xBF})), u"\U0010FFFF");
}

TEST(Utf8ToUtf16Test, EmbeddedNulIsKept) {
  EXPECT_EQ(Utf8ToUtf16(std::string_view("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Utf8ToUtf16Test, StrayContinuationByteBecomesReplacement) {
  EXPECT_EQ(Utf8ToUtf16(Bytes({'a', 0x80, 'b'})), u"a\uFFFDb");
}

TEST(Utf8ToUtf16Test, InvalidLeadBytesBecomeReplacements) {
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xC0, 0x80})), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xF5, 'a'})), u"\uFFFDa");
  EXPECT_EQ(ToUtf16(Bytes({0xF5, 0x80, 0x80, 0x80})), u"\uFFFD\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xFF})), u"\uFFFD");
}

TEST(Utf8ToUtf16Test, OverlongSurrogateAndTooLargeSequencesBecomeOneReplacement) {
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xE0, 0x80, 0xAF})), u"\uFFFD");        // overlong '/'
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xED, 0xA0, 0x80})), u"\uFFFD");        // U+D800
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xF4, 0x90, 0x80, 0x80})), u"\uFFFD");  // above U+10FFFF
}

TEST(Utf8ToUtf16Test, TruncatedSequenceNeverReadsPastTheEnd) {
  EXPECT_EQ(ToUtf16(Bytes({'a', 0xE2, 0x82})), u"a\uFFFD");
  EXPECT_EQ(ToUtf16(Bytes({0xF0})), u"\uFFFD");
  EXPECT_EQ(ToUtf16(Bytes({0xF1, 0x80, 0x80})), u"\uFFFD");
}

TEST(Utf8ToUtf16Test, InterruptedSequenceResumesAtTheInterruptingByte) {
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xE2, 'A', 'B'})), u"\uFFFDAB");
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xE2, 0x82, 0xC3, 0xA9})), u"\uFFFD\u00E9");
}

TEST(Utf16ToUtf8Test, WellFormedTextOfEveryLength) {
  EXPECT_EQ(Utf16ToUtf8(u""), "");
  EXPECT_EQ(Utf16ToUtf8(u"Mirvot"), "Mirvot");
  EXPECT_EQ(Utf16ToUtf8(u"\u00E9"), Bytes({0xC3, 0xA9}));
  EXPECT_EQ(Utf16ToUtf8(u"\u20AC"), Bytes({0xE2, 0x82, 0xAC}));
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), Bytes({0xF0, 0x9F, 0x98, 0x80}));
}

TEST(Utf16ToUtf8Test, UnpairedSurrogatesBecomeReplacements) {
  const std::string replacement = Bytes({0xEF, 0xBF, 0xBD});
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), replacement);
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xDC00')), replacement);
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'\xD800', u'a'}), replacement + "a");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'\xDC00', u'\xD800'}), replacement + replacement);
  // The unit after a lone high surrogate is its own character unless it is a low surrogate.
  EXPECT_EQ(ToUtf8(std::u16string{u'\xDBFF', u'\xE000'}), replacement + Bytes({0xEE, 0x80, 0x80}));
  EXPECT_EQ(ToUtf8(std::u16string{u'\xD7FF', u'\xDC00'}), Bytes({0xED, 0x9F, 0xBF}) + replacement);
  EXPECT_EQ(ToUtf8(std::u16string(1, u'\xDBFF')), replacement);
}

TEST(UtfConvertTest, RoundTripKeepsWellFormedText) {
  const std::u16string text = u"C:\\Users\\\u00DCser\\\u8CC7\u6599\\\U0001F600 report.pdf";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
}

}  // namespace
}  // namespace mirvot
