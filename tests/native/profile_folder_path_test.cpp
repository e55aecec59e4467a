#include "shell/core/profile_folder_path.h"

#include <optional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace mirvot {
namespace {

std::u16string Join(std::u16string_view localAppData) {
  const std::optional<std::u16string> folder = join_profile_folder(localAppData);
  EXPECT_TRUE(folder.has_value());
  return folder.value_or(u"<none>");
}

TEST(JoinProfileFolderTest, AppendsBothComponentsToTheLocalAppDataFolder) {
  EXPECT_EQ(Join(uR"(C:\Users\u1\AppData\Local)"), uR"(C:\Users\u1\AppData\Local\Mirvot\WebView2)");
}

TEST(JoinProfileFolderTest, TrailingBackslashIsNotDoubled) {
  EXPECT_EQ(Join(uR"(C:\Users\u1\AppData\Local\)"),
            uR"(C:\Users\u1\AppData\Local\Mirvot\WebView2)");
}

TEST(JoinProfileFolderTest, TrailingForwardSlashCountsAsASeparator) {
  EXPECT_EQ(Join(u"C:/Users/u1/"), uR"(C:/Users/u1/Mirvot\WebView2)");
}

TEST(JoinProfileFolderTest, EmptyValueGivesARelativeFolder) {
  EXPECT_EQ(Join(u""), uR"(Mirvot\WebView2)");
}

TEST(JoinProfileFolderTest, BareDriveStaysDriveRelative) {
  EXPECT_EQ(Join(u"C:"), uR"(C:Mirvot\WebView2)");
  EXPECT_EQ(Join(u"d:"), uR"(d:Mirvot\WebView2)");
  EXPECT_EQ(Join(u"A:"), uR"(A:Mirvot\WebView2)");
  EXPECT_EQ(Join(u"Z:"), uR"(Z:Mirvot\WebView2)");
  EXPECT_EQ(Join(u"z:"), uR"(z:Mirvot\WebView2)");
}

TEST(JoinProfileFolderTest, DriveRootGetsNoExtraSeparator) {
  EXPECT_EQ(Join(uR"(C:\)"), uR"(C:\Mirvot\WebView2)");
}

TEST(JoinProfileFolderTest, LookalikesOfABareDriveGetASeparator) {
  for (const std::u16string_view root : {u"ab", u"C1", u"@:", u"[:", u"`:", u"{:"}) {
    EXPECT_EQ(Join(root), std::u16string(root) + uR"(\Mirvot\WebView2)");
  }
  EXPECT_EQ(Join(u"1:"), uR"(1:\Mirvot\WebView2)");
  EXPECT_EQ(Join(u"AB:"), uR"(AB:\Mirvot\WebView2)");
  EXPECT_EQ(Join(u":"), uR"(:\Mirvot\WebView2)");
}

TEST(JoinProfileFolderTest, OtherValuesAreUsedUnchanged) {
  EXPECT_EQ(Join(u"rel"), uR"(rel\Mirvot\WebView2)");
  EXPECT_EQ(Join(uR"(\\server\share)"), uR"(\\server\share\Mirvot\WebView2)");
  EXPECT_EQ(Join(u"C:\\\u00DCser"), u"C:\\\u00DCser\\Mirvot\\WebView2");
}

TEST(JoinProfileFolderTest, UnsetVariableGivesNoFolder) {
  EXPECT_FALSE(join_profile_folder(std::nullopt).has_value());
}

TEST(AppendPathComponentTest, SeparatorOnlyWhereNeeded) {
  std::u16string path = u"a";
  append_path_component(path, u"b");
  EXPECT_EQ(path, uR"(a\b)");
  append_path_component(path, u"");
  EXPECT_EQ(path, uR"(a\b\)");
  append_path_component(path, u"c");
  EXPECT_EQ(path, uR"(a\b\c)");
}

}  // namespace
}  // namespace mirvot
