#include "shell/profile_folder.h"

#include <string>

#include <gtest/gtest.h>

#include "harness/environment.h"

namespace mirvot {
namespace {

using test::ScopedEnvironment;

std::optional<std::wstring> ProfileFolderWith(const std::optional<std::wstring>& localAppData) {
  const ScopedEnvironment variable(L"LOCALAPPDATA", localAppData);
  return profile_folder();
}

TEST(ProfileFolder, IsBelowLocalApplicationData) {
  EXPECT_EQ(ProfileFolderWith(L"C:\\Users\\u1\\AppData\\Local"),
            std::optional<std::wstring>(L"C:\\Users\\u1\\AppData\\Local\\Mirvot\\WebView2"));
}

TEST(ProfileFolder, TrailingBackslashIsNotDoubled) {
  EXPECT_EQ(ProfileFolderWith(L"C:\\Users\\u1\\AppData\\Local\\"),
            std::optional<std::wstring>(L"C:\\Users\\u1\\AppData\\Local\\Mirvot\\WebView2"));
}

TEST(ProfileFolder, EmptyValueGivesARelativeFolder) {
  EXPECT_EQ(ProfileFolderWith(L""), std::optional<std::wstring>(L"Mirvot\\WebView2"));
}

TEST(ProfileFolder, BareDriveGivesADriveRelativeFolder) {
  EXPECT_EQ(ProfileFolderWith(L"C:"), std::optional<std::wstring>(L"C:Mirvot\\WebView2"));
}

TEST(ProfileFolder, UnsetVariableGivesNothing) {
  EXPECT_EQ(ProfileFolderWith(std::nullopt), std::nullopt);
}

TEST(ProfileFolder, ValueIsTakenUnchangedWhateverItsLength) {
  // Longer than any first guess of a buffer, and longer than MAX_PATH.
  const std::wstring longValue = L"D:\\" + std::wstring(5000, L'x');
  EXPECT_EQ(ProfileFolderWith(longValue),
            std::optional<std::wstring>(longValue + L"\\Mirvot\\WebView2"));
  const std::wstring exactlyFirstGuess(255, L'y');
  EXPECT_EQ(ProfileFolderWith(exactlyFirstGuess),
            std::optional<std::wstring>(exactlyFirstGuess + L"\\Mirvot\\WebView2"));
}

TEST(ProfileFolder, NonAsciiValueIsKept) {
  EXPECT_EQ(ProfileFolderWith(L"C:\\Users\\J\u00fcrgen \u5c71\u7530\\AppData\\Local"),
            std::optional<std::wstring>(
                L"C:\\Users\\J\u00fcrgen \u5c71\u7530\\AppData\\Local\\Mirvot\\WebView2"));
}

}  // namespace
}  // namespace mirvot
