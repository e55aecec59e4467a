#include "loader/core/folder_rules.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "exact_copy.h"
#include "loader/core/runtime_version.h"

namespace mirvot {
namespace {

// Read from exact copies: the rule looks at the first three units of texts that may be shorter.
bool IsAbsolute(std::u16string_view folder) { return IsAbsoluteFolder(ExactCopy(folder).view()); }

TEST(IsAbsoluteFolderTest, DriveRootedFoldersAreAbsolute) {
  for (const std::u16string_view folder :
       {uR"(d:\rt)", uR"(C:\)", uR"(z:\a\b)", uR"(A:\)", uR"(Z:\)", uR"(a:\)"}) {
    EXPECT_TRUE(IsAbsolute(folder)) << ::testing::PrintToString(std::u16string(folder));
  }
}

// Only a letter, ':' and '\' in this order, or two backslashes: the units next to the letter
// ranges, and ':' or '\' in another place of the first three, make a relative folder.
TEST(IsAbsoluteFolderTest, FirstThreeUnitsDecide) {
  for (const std::u16string_view folder :
       {uR"(@:\x)", uR"([:\x)", uR"(`:\x)", uR"({:\x)", uR"(C\:x)", uR"(C\\x)", uR"(:\x)",
        uR"(\:\x)", uR"(C::\)", uR"(CC\x)", uR"(C:x\)", u"C\\", u"Z:", u"\\"}) {
    EXPECT_FALSE(IsAbsolute(folder)) << ::testing::PrintToString(std::u16string(folder));
  }
}

TEST(IsAbsoluteFolderTest, DoubleBackslashFoldersAreAbsolute) {
  EXPECT_TRUE(IsAbsolute(uR"(\\server\share\rt)"));
  EXPECT_TRUE(IsAbsolute(uR"(\\?\C:\rt)"));
  EXPECT_TRUE(IsAbsolute(uR"(\\a)"));
}

TEST(IsAbsoluteFolderTest, BareDriveAndDriveRelativeFoldersAreRelative) {
  EXPECT_FALSE(IsAbsolute(u"C:"));
  EXPECT_FALSE(IsAbsolute(u"C:rt"));
}

TEST(IsAbsoluteFolderTest, ForwardSlashFoldersAreRelative) {
  EXPECT_FALSE(IsAbsolute(u"C:/rt"));
  EXPECT_FALSE(IsAbsolute(u"//server/share"));
}

TEST(IsAbsoluteFolderTest, OtherFoldersAreRelative) {
  EXPECT_FALSE(IsAbsolute(u"Runtime"));
  EXPECT_FALSE(IsAbsolute(u""));
  EXPECT_FALSE(IsAbsolute(uR"(\\)"));
  EXPECT_FALSE(IsAbsolute(uR"(\rt)"));
  EXPECT_FALSE(IsAbsolute(uR"(1:\rt)"));
  EXPECT_FALSE(IsAbsolute(u"\u00E9:\\rt"));
}

TEST(ExeFileNameTest, TakesTheTextAfterTheLastBackslash) {
  EXPECT_EQ(ExeFileName(uR"(C:\App\myapp.exe)"), u"myapp.exe");
  EXPECT_EQ(ExeFileName(uR"(C:\App\)"), u"");
}

TEST(ExeFileNameTest, PathWithoutBackslashIsTheName) {
  EXPECT_EQ(ExeFileName(u"myapp.exe"), u"myapp.exe");
  EXPECT_EQ(ExeFileName(u"C:/App/myapp.exe"), u"C:/App/myapp.exe");
  EXPECT_EQ(ExeFileName(u""), u"");
}

TEST(ResolveFolderAgainstExeTest, RelativeFolderGoesBesideTheExecutable) {
  EXPECT_EQ(ResolveFolderAgainstExe(uR"(C:\App\app.exe)", u"Runtime"), uR"(C:\App\Runtime)");
  EXPECT_EQ(ResolveFolderAgainstExe(uR"(C:\app.exe)", uR"(..\rt)"), uR"(C:\..\rt)");
  EXPECT_EQ(ResolveFolderAgainstExe(uR"(C:\App\app.exe)", u""), uR"(C:\App\)");
}

TEST(ResolveFolderAgainstExeTest, ExecutablePathWithoutBackslashGivesNothing) {
  EXPECT_FALSE(ResolveFolderAgainstExe(u"app.exe", u"Runtime").has_value());
  EXPECT_FALSE(ResolveFolderAgainstExe(u"", u"Runtime").has_value());
}

TEST(ClientDllPathInTest, LibraryLiesBelowTheFolder) {
  EXPECT_EQ(ClientDllPathIn(uR"(d:\rt)"), uR"(d:\rt\EBWebView\x64\EmbeddedBrowserWebView.dll)");
}

TEST(ClientDllPathInTest, TrailingBackslashIsDoubled) {
  EXPECT_EQ(ClientDllPathIn(uR"(d:\rt\)"), uR"(d:\rt\\EBWebView\x64\EmbeddedBrowserWebView.dll)");
}

TEST(ClientDllPathInTest, RelativeFolderBesideTheExecutable) {
  const auto folder = ResolveFolderAgainstExe(uR"(C:\App\app.exe)", u"Runtime");
  ASSERT_TRUE(folder.has_value());
  EXPECT_EQ(ClientDllPathIn(*folder),
            uR"(C:\App\Runtime\EBWebView\x64\EmbeddedBrowserWebView.dll)");
}

TEST(RuntimeVersionTextTest, VersionIsTheLastComponent) {
  EXPECT_EQ(RuntimeVersionText(
                uR"(C:\Program Files (x86)\Microsoft\EdgeWebView\Application\120.0.2210.91)"),
            u"120.0.2210.91");
}

TEST(RuntimeVersionTextTest, FolderWithoutBackslashHasNoVersion) {
  EXPECT_FALSE(RuntimeVersionText(u"120.0.2210.91").has_value());
  EXPECT_FALSE(RuntimeVersionText(u"").has_value());
}

TEST(RuntimeVersionTextTest, NonVersionLastComponentFailsToParse) {
  RuntimeVersion version;
  const auto text = RuntimeVersionText(uR"(C:\Edge\Application)");
  ASSERT_TRUE(text.has_value());
  EXPECT_FALSE(ParseRuntimeVersion(*text, version));
  const auto empty = RuntimeVersionText(uR"(C:\Edge\)");
  ASSERT_TRUE(empty.has_value());
  EXPECT_FALSE(ParseRuntimeVersion(*empty, version));
}

}  // namespace
}  // namespace mirvot
