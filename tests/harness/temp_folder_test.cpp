#include "harness/temp_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "harness/host_paths.h"

namespace mirvot::test {
namespace {

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(TempFolder, CreatesNestedFilesAndRemovesEverything) {
  std::wstring root;
  {
    TempFolder folder;
    root = folder.path();
    EXPECT_EQ(root.substr(1, 2), L":\\");
    const std::wstring file = folder.WriteFile(L"a\\b\\c.txt", "hello");
    EXPECT_EQ(file, root + L"\\a\\b\\c.txt");
    EXPECT_TRUE(Exists(file));
    EXPECT_TRUE(Exists(folder.MakeFolder(L"x\\y")));
  }
  EXPECT_FALSE(Exists(root));
}

TEST(TempFolder, TwoFoldersAreDistinct) {
  TempFolder a;
  TempFolder b;
  EXPECT_NE(a.path(), b.path());
}

TEST(WindowsPathFromHost, MapsTheHostRootToDriveZ) {
  EXPECT_EQ(WindowsPathFromHost("/work/build/x.dll"), L"Z:\\work\\build\\x.dll");
  EXPECT_EQ(WindowsPathFromHost("relative/y"), L"relative\\y");
}

}  // namespace
}  // namespace mirvot::test
