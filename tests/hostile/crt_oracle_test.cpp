// The loader reads numbers "the way _wtoi does" with its own conversion (the C runtime's
// depends on the locale). Here the platform's own _wtoi and wcstol, those of the universal C
// runtime (ucrtbase.dll, which programs built with the platform's compiler use), are the oracle
// over hostile texts: signs, out-of-range numbers, every kind of white space and its near misses,
// digits of other scripts, and text that is no number.
#include <windows.h>

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
    // White space the runtime skips beyond ASCII, and units next to it that it does not skip.
    L"\x0085"
    L"1",
    L"\x00A0"
    L"1",
    L"\x1680"
    L"1",
    L"\x2000\x200A"
    L"1",
    L"\x2028\x2029"
    L"1",
    L"\x202F\x205F\x3000 -1",
    L"\x001C"
    L"1",
    L"\x0084"
    L"1",
    L"\x200B"
    L"1",
    L"\x180E"
    L"1",
    L"\xFEFF"
    L"1",
    L"\x3000+\x0661",
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

std::string Shown(const wchar_t* text) {
  std::string shown;
  for (const wchar_t* unit = text; *unit != L'\0'; ++unit) {
    char hex[8];
    std::snprintf(hex, sizeof(hex), "%04X ", static_cast<unsigned>(*unit));
    shown += hex;
  }
  return shown.empty() ? "(empty)" : shown;
}

// The universal C runtime's conversions, looked up by name: this program itself is linked
// against another C runtime.
struct UniversalCrt {
  int(__cdecl* wtoi)(const wchar_t*) = nullptr;
  long(__cdecl* wcstol)(const wchar_t*, wchar_t**, int) = nullptr;
};

UniversalCrt LoadUniversalCrt() {
  UniversalCrt crt;
  const HMODULE module = ::LoadLibraryW(L"ucrtbase.dll");
  if (module != nullptr) {
    crt.wtoi = reinterpret_cast<decltype(crt.wtoi)>(
        reinterpret_cast<void*>(::GetProcAddress(module, "_wtoi")));
    crt.wcstol = reinterpret_cast<decltype(crt.wcstol)>(
        reinterpret_cast<void*>(::GetProcAddress(module, "wcstol")));
  }
  return crt;
}

TEST(PlatformIntegerOracleTest, ReadIntegerLikeWtoiAgreesWithThePlatformWtoi) {
  const UniversalCrt crt = LoadUniversalCrt();
  ASSERT_NE(crt.wtoi, nullptr);
  for (const wchar_t* text : kTexts) {
    SCOPED_TRACE(Shown(text));
    EXPECT_EQ(ReadIntegerLikeWtoi(AsUtf16(text)), static_cast<std::int32_t>(crt.wtoi(text)));
  }
}

TEST(PlatformIntegerOracleTest, ReadCrtIntegerAgreesWithThePlatformWcstol) {
  const UniversalCrt crt = LoadUniversalCrt();
  ASSERT_NE(crt.wcstol, nullptr);
  for (const wchar_t* text : kTexts) {
    SCOPED_TRACE(Shown(text));
    wchar_t* end = nullptr;
    const long value = crt.wcstol(text, &end, 10);
    const CrtIntegerRead read = ReadCrtInteger(AsUtf16(text));
    EXPECT_EQ(read.value, static_cast<std::int32_t>(value));
    // wcstol points at the text's start when it read nothing, as `end` 0 says.
    EXPECT_EQ(read.end, static_cast<std::size_t>(end - text));
  }
}

// The loader's readers that build on the conversion: a flag, a channel list item and a
// version that start with the platform's white space read as the number that follows it.
TEST(PlatformIntegerOracleTest, SpacesOutsideAsciiLeadTheNumberAsThePlatformReadsIt) {
  for (const std::u16string_view text :
       {std::u16string_view(u"\u00A01"), std::u16string_view(u"\u30001"),
        std::u16string_view(u"\u20281")}) {
    EXPECT_TRUE(ReadsAsOne(text));
    std::int32_t mask = 0;
    bool set = false;
    ParseReleaseChannelList(text, mask, set);
    EXPECT_EQ(mask, 0b00010);
  }
  RuntimeVersion version;
  ASSERT_TRUE(ParseRuntimeVersion(u"\u3000120.\u00A00.1.2", version));
  EXPECT_EQ(version, (RuntimeVersion{120, 0, 1, 2}));
}

}  // namespace
}  // namespace mirvot::test
