// The loader reads numbers "the way _wtoi does" with its own conversion (the C runtime's
// depends on the locale). Here the platform's own _wtoi and wcstol are the oracle, over hostile
// texts: signs, out-of-range numbers, every ASCII white space, digits of other scripts, and
// text that is no number.
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include <gtest/gtest.h>

#include "common/wide_text.h"
#include "loader/core/channel_list.h"
#include "loader/core/crt_integer.h"
#include "loader/core/runtime_version.h"

namespace mirvot::test {
namespace {

const wchar_t* const kTexts[] = {
    L"1",
    L"  1",
    L"\t\n\v\f\r1",
    L"+1",
    L"-1",
    L"--1",
    L"+-1",
    L"- 1",
    L"1x",
    L"x1",
    L"",
    L" ",
    L"2147483647",
    L"2147483648",
    L"-2147483648",
    L"-2147483649",
    L"4294967297",
    L"99999999999999999999",
    L"-99999999999999999999",
    L"0000000000000000000001",
    L"1 2",
    L"0x1",
    L"1e3",
    L"1,3",
    L".5",
    L"\x0085"
    L"1" /* next line is no white space */,
    // Digits of other scripts: one of every set, both ends of a set, mixed sets, signs.
    L"\x0661",
    L"\x06F1",
    L"\x0967",
    L"\x09E7",
    L"\x0A67",
    L"\x0AE7",
    L"\x0B67",
    L"\x0C67",
    L"\x0CE7",
    L"\x0D67",
    L"\x0E51",
    L"\x0ED1",
    L"\x0F21",
    L"\x1041",
    L"\x17E1",
    L"\x1811",
    L"\xFF11",
    L"\x0660\x0669",
    L"\xFF10\xFF19",
    L"1\xFF12\x0663",
    L"-\x0967\x0968",
    L" +\x0E59",
    L"\x065F",
    L"\x066A",
    L"\xFF1A",
    L"\xFF0D"
    L"1",
    L"\xFF19\xFF19\xFF19\xFF19\xFF19\xFF19\xFF19\xFF19\xFF19\xFF19\xFF19",
};

// Texts that the platform's conversion reads as numbers and the loader does not: white space
// outside ASCII (measured with Wine's C runtime, which follows the Windows one here).
const wchar_t* const kNonAsciiSpaceTexts[] = {
    L"\x00A0"
    L"1",  // no-break space, then 1
    L"\x2003"
    L"1",  // em space, then 1
    L"\x3000"
    L"1",  // ideographic space, then 1
};

std::string Shown(const wchar_t* text) {
  std::string shown;
  for (const wchar_t* unit = text; *unit != L'\0'; ++unit) {
    char hex[8];
    std::snprintf(hex, sizeof(hex), "%04X ", static_cast<unsigned>(*unit));
    shown += hex;
  }
  return shown.empty() ? "(empty)" : shown;
}

TEST(PlatformIntegerOracleTest, ReadIntegerLikeWtoiAgreesWithThePlatformWtoi) {
  for (const wchar_t* text : kTexts) {
    SCOPED_TRACE(Shown(text));
    EXPECT_EQ(ReadIntegerLikeWtoi(AsUtf16(text)), static_cast<std::int32_t>(::_wtoi(text)));
  }
}

TEST(PlatformIntegerOracleTest, ReadCrtIntegerAgreesWithThePlatformWcstol) {
  for (const wchar_t* text : kTexts) {
    SCOPED_TRACE(Shown(text));
    wchar_t* end = nullptr;
    const long value = std::wcstol(text, &end, 10);
    const CrtIntegerRead read = ReadCrtInteger(AsUtf16(text));
    EXPECT_EQ(read.value, static_cast<std::int32_t>(value));
    // wcstol points at the text's start when it read nothing, as `end` 0 says.
    EXPECT_EQ(read.end, static_cast<std::size_t>(end - text));
  }
}

// A known difference, kept on purpose and stated here so that it stays a decision: the
// loader skips only ASCII white space, so a value that starts with another space is no number
// to it (a channel list item selects Stable, a flag is not set, a version does not parse),
// where the platform's _wtoi would read the number.
TEST(PlatformIntegerOracleTest, SpacesOutsideAsciiAreNoNumberToTheLoader) {
  for (const wchar_t* text : kNonAsciiSpaceTexts) {
    SCOPED_TRACE(Shown(text));
    EXPECT_EQ(::_wtoi(text), 1);  // the platform's reading
    EXPECT_EQ(ReadIntegerLikeWtoi(AsUtf16(text)), 0);
    EXPECT_FALSE(ReadsAsOne(AsUtf16(text)));
    std::int32_t mask = 0;
    bool set = false;
    ParseReleaseChannelList(AsUtf16(text), mask, set);
    EXPECT_EQ(mask, 0b00001);
    RuntimeVersion version;
    EXPECT_FALSE(ParseRuntimeVersion(AsUtf16(text), version));
  }
}

}  // namespace
}  // namespace mirvot::test
