#include "common/core/utf_convert.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace mirvot {
namespace {

std::string Bytes(std::initializer_list<unsigned char> bytes) {
  return std::string(bytes.begin(), bytes.end());
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
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xFF})), u"\uFFFD");
}

TEST(Utf8ToUtf16Test, OverlongSurrogateAndTooLargeSequencesBecomeOneReplacement) {
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xE0, 0x80, 0xAF})), u"\uFFFD");        // overlong '/'
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xED, 0xA0, 0x80})), u"\uFFFD");        // U+D800
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xF4, 0x90, 0x80, 0x80})), u"\uFFFD");  // above U+10FFFF
}

TEST(Utf8ToUtf16Test, TruncatedSequenceNeverReadsPastTheEnd) {
  EXPECT_EQ(Utf8ToUtf16(Bytes({'a', 0xE2, 0x82})), u"a\uFFFD");
  EXPECT_EQ(Utf8ToUtf16(Bytes({0xF0})), u"\uFFFD");
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
}

TEST(UtfConvertTest, RoundTripKeepsWellFormedText) {
  const std::u16string text = u"C:\\Users\\\u00DCser\\\u8CC7\u6599\\\U0001F600 report.pdf";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
}

}  // namespace
}  // namespace mirvot
