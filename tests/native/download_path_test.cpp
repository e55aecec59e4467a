#include "shell/core/download_path.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "exact_copy.h"

namespace mirvot {
namespace {

void ExpectUnchanged(std::u16string_view path) {
  EXPECT_EQ(normalize_download_path(ExactCopy(path).view()), path);
}

void ExpectPlain(std::u16string_view longPath, std::u16string_view plain) {
  EXPECT_EQ(normalize_download_path(ExactCopy(longPath).view()), plain);
}

TEST(NormalizeDownloadPathTest, OrdinaryPathsAreWrittenBackExactly) {
  ExpectUnchanged(uR"(C:\Users\u1\Downloads\report.pdf)");
  ExpectUnchanged(uR"(C:\Users\u1\Downloads\a..b\  odd name .)");
  ExpectUnchanged(u"C:/Users/u1/Downloads/report.pdf");
  ExpectUnchanged(u"");
}

TEST(NormalizeDownloadPathTest, OtherPrefixesAreWrittenBackExactly) {
  ExpectUnchanged(uR"(\\server\share\report.pdf)");
  ExpectUnchanged(uR"(\\?\UNC\server\share\report.pdf)");
  ExpectUnchanged(uR"(\\.\C:\report.pdf)");
  ExpectUnchanged(uR"(\??\C:\report.pdf)");
  ExpectUnchanged(uR"(\\?\1:\report.pdf)");
  ExpectUnchanged(uR"(\\?\Volume{01234567-89ab-cdef-0123-456789abcdef}\report.pdf)");
  ExpectUnchanged(uR"(\\?\)");
  ExpectUnchanged(uR"(\\?\C)");
}

TEST(NormalizeDownloadPathTest, LongPathPrefixIsDroppedFromAnOrdinaryPath) {
  ExpectPlain(uR"(\\?\C:\Users\u1\Downloads\report.pdf)", uR"(C:\Users\u1\Downloads\report.pdf)");
  ExpectPlain(uR"(\\?\d:\x)", uR"(d:\x)");
  ExpectPlain(uR"(\\?\C:\Users\u1\Downloads\my report (2).tar.gz)",
              uR"(C:\Users\u1\Downloads\my report (2).tar.gz)");
  ExpectPlain(uR"(\\?\C:\.hidden\.config)", uR"(C:\.hidden\.config)");
  ExpectPlain(u"\\\\?\\C:\\\u00DCbersicht\\\u8CC7\u6599\\\U0001F600.txt",
              u"C:\\\u00DCbersicht\\\u8CC7\u6599\\\U0001F600.txt");
}

// Only an ASCII letter and ':' after the prefix make a drive: the letters at both ends of both
// ranges do; the units next to the ranges, a second letter and another separator do not.
TEST(NormalizeDownloadPathTest, PrefixIsDroppedOnlyBeforeADriveLetterAndColon) {
  for (const std::u16string_view plain : {uR"(A:\x)", uR"(Z:\x)", uR"(a:\x)", uR"(z:\x)"}) {
    ExpectPlain(std::u16string(uR"(\\?\)").append(plain), plain);
  }
  for (const std::u16string_view rest :
       {uR"(@:\x)", uR"([:\x)", uR"(_:\)", uR"(`:\x)", uR"({:\x)", uR"(Xy\)", uR"(C;\x)"}) {
    ExpectUnchanged(std::u16string(uR"(\\?\)").append(rest));
  }
}

TEST(NormalizeDownloadPathTest, DriveRootBecomesItsPlainForm) {
  ExpectPlain(uR"(\\?\C:\)", uR"(C:\)");
}

TEST(NormalizeDownloadPathTest, DriveWithoutRootKeepsThePrefix) {
  ExpectUnchanged(uR"(\\?\C:)");
  ExpectUnchanged(uR"(\\?\C:report.pdf)");
}

TEST(NormalizeDownloadPathTest, PlainFormMustFitMaxPathWithItsTerminator) {
  const std::u16string prefix = uR"(\\?\)";
  std::u16string plain = uR"(C:\)";
  plain.append(259 - plain.size(), u'a');
  ASSERT_EQ(plain.size(), 259u);
  ExpectPlain(prefix + plain, plain);
  plain.push_back(u'a');
  ExpectUnchanged(prefix + plain);
  ExpectUnchanged(prefix + plain + std::u16string(5000, u'b'));
}

TEST(NormalizeDownloadPathTest, ForwardSlashKeepsThePrefix) {
  ExpectUnchanged(uR"(\\?\C:\Users/u1\report.pdf)");
  ExpectUnchanged(uR"(\\?\C:/report.pdf)");
}

TEST(NormalizeDownloadPathTest, EmptyComponentKeepsThePrefix) {
  ExpectUnchanged(uR"(\\?\C:\Users\\report.pdf)");
  ExpectUnchanged(uR"(\\?\C:\\report.pdf)");
  ExpectUnchanged(uR"(\\?\C:\Users\)");
}

TEST(NormalizeDownloadPathTest, DotComponentsKeepThePrefix) {
  ExpectUnchanged(uR"(\\?\C:\Users\.\report.pdf)");
  ExpectUnchanged(uR"(\\?\C:\Users\..\report.pdf)");
  ExpectUnchanged(uR"(\\?\C:\Users\..)");
}

TEST(NormalizeDownloadPathTest, ComponentEndingInDotOrSpaceKeepsThePrefix) {
  ExpectUnchanged(uR"(\\?\C:\Users\report.)");
  ExpectUnchanged(uR"(\\?\C:\Users\report )");
  ExpectUnchanged(uR"(\\?\C:\dir.\report.pdf)");
  ExpectUnchanged(uR"(\\?\C:\dir \report.pdf)");
  ExpectUnchanged(uR"(\\?\C:\...)");
}

TEST(NormalizeDownloadPathTest, ForbiddenCharactersKeepThePrefix) {
  for (const char16_t forbidden : std::u16string_view(u"<>:\"|?*")) {
    std::u16string path = uR"(\\?\C:\a)";
    path.push_back(forbidden);
    path.append(u"b.txt");
    SCOPED_TRACE(static_cast<int>(forbidden));
    ExpectUnchanged(path);
  }
}

TEST(NormalizeDownloadPathTest, ControlCharactersKeepThePrefix) {
  for (char16_t control = 1; control < 0x20; ++control) {
    std::u16string path = uR"(\\?\C:\a)";
    path.push_back(control);
    path.append(u"b.txt");
    SCOPED_TRACE(static_cast<int>(control));
    ExpectUnchanged(path);
  }
  ExpectUnchanged(std::u16string(u"\\\\?\\C:\\a\0b", 10));
}

TEST(NormalizeDownloadPathTest, ReservedDeviceNamesKeepThePrefix) {
  for (const std::u16string_view name :
       {u"CON", u"con", u"PRN", u"AUX", u"NUL", u"nul.txt", u"Con .txt", u"aux.tar.gz", u"COM1",
        u"com9.log", u"LPT1", u"lpt9", u"COM0", u"LPT0", u"COM\u00B9", u"LPT\u00B3", u"CONIN$",
        u"conout$.txt", u"NUL   "}) {
    std::u16string path = uR"(\\?\C:\Downloads\)";
    path.append(name);
    SCOPED_TRACE(::testing::PrintToString(std::u16string(name)));
    ExpectUnchanged(path);
  }
  ExpectUnchanged(uR"(\\?\C:\con\report.pdf)");
}

TEST(NormalizeDownloadPathTest, NamesThatOnlyResembleDevicesAreFine) {
  for (const std::u16string_view name :
       {u"CONSOLE.txt", u"COM10", u"LPT", u"nul_file", u"xcon", u"icon.png", u"COMA", u"LPT\u00B4",
        u"  CON", u"prn-1.pdf"}) {
    const std::u16string plain = std::u16string(uR"(C:\Downloads\)").append(name);
    SCOPED_TRACE(::testing::PrintToString(std::u16string(name)));
    ExpectPlain(uR"(\\?\)" + plain, plain);
  }
}

}  // namespace
}  // namespace mirvot
