// The fixed-folder road: the library test itself and how the given folder is placed.
#include <gtest/gtest.h>

#include "loader/runtime_discovery.h"
#include "loader/runtime_folder.h"
#include "loader_discovery/discovery_fixture.h"

namespace mirvot::test {
namespace {

constexpr char kClientDllNotFound[] = "WebView2: Failed to find the WebView2 client dll at: ";
constexpr char kSkippedInaccessible[] = "WebView2: skipped inaccessible ";
constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);

using LocateClientDllTest = LoaderRegistryTest;

TEST_F(LocateClientDllTest, ExistingLibraryIsUsableAndNamesTheFullPath) {
  const std::wstring folder = MakeRuntimeFolder(temp_.Join(L"rt"));
  std::wstring path;
  EXPECT_TRUE(LocateClientDll(folder, path));
  EXPECT_EQ(path, ClientDllIn(folder));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(LocateClientDllTest, MissingLibraryIsNotUsableAndWritesNothing) {
  temp_.MakeFolder(L"rt\\EBWebView\\x64");
  std::wstring path;
  EXPECT_FALSE(LocateClientDll(temp_.Join(L"rt"), path));
  EXPECT_EQ(path, ClientDllIn(temp_.Join(L"rt")));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(LocateClientDllTest, LibraryThatDoesNotOpenIsSkippedWithItsLine) {
  const std::wstring folder = MakeRuntimeFolder(temp_.Join(L"rt"));
  const ExclusiveFileLock lock(ClientDllIn(folder));
  ASSERT_TRUE(lock.locked());
  std::wstring path;
  EXPECT_FALSE(LocateClientDll(folder, path));
  EXPECT_EQ(Lines(), std::vector<std::string>{Line(kSkippedInaccessible, ClientDllIn(folder))});
}

TEST_F(LocateClientDllTest, TrailingBackslashGivesADoubledSeparatorThatStillWorks) {
  const std::wstring folder = MakeRuntimeFolder(temp_.Join(L"rt"));
  std::wstring path;
  EXPECT_TRUE(LocateClientDll(folder + L"\\", path));
  EXPECT_EQ(path, folder + L"\\\\EBWebView\\x64\\EmbeddedBrowserWebView.dll");
}

using FindClientDllInFolderTest = LoaderRegistryTest;

TEST_F(FindClientDllInFolderTest, DriveLetterFolderIsUsedUnchanged) {
  const std::wstring folder = MakeRuntimeFolder(temp_.Join(L"rt"));
  std::wstring path;
  EXPECT_EQ(FindClientDllInFolder(folder.c_str(), path), S_OK);
  EXPECT_EQ(path, ClientDllIn(folder));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(FindClientDllInFolderTest, MissingLibraryFailsWithFileNotFoundAndItsLine) {
  std::wstring path;
  EXPECT_EQ(FindClientDllInFolder(L"d:\\rt", path), kFileNotFound);
  EXPECT_EQ(Lines(),
            std::vector<std::string>{
                Line(kClientDllNotFound, L"d:\\rt\\EBWebView\\x64\\EmbeddedBrowserWebView.dll")});
}

TEST_F(FindClientDllInFolderTest, LibraryThatDoesNotOpenWritesBothLines) {
  const std::wstring folder = MakeRuntimeFolder(temp_.Join(L"rt"));
  const ExclusiveFileLock lock(ClientDllIn(folder));
  ASSERT_TRUE(lock.locked());
  std::wstring path;
  EXPECT_EQ(FindClientDllInFolder(folder.c_str(), path), kFileNotFound);
  EXPECT_EQ(Lines(), (std::vector<std::string>{Line(kSkippedInaccessible, ClientDllIn(folder)),
                                               Line(kClientDllNotFound, ClientDllIn(folder))}));
}

TEST_F(FindClientDllInFolderTest, RuntimeOlderThanTheMinimumIsStillUsed) {
  const std::wstring folder = MakeRuntimeFolder(temp_.Join(L"Application\\85.0.564.70"));
  std::wstring path;
  EXPECT_EQ(FindClientDllInFolder(folder.c_str(), path), S_OK);
  EXPECT_EQ(path, ClientDllIn(folder));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(FindClientDllInFolderTest, RelativeFolderIsPlacedBesideTheExecutable) {
  const std::wstring name = L"relative-rt-" + std::to_wstring(::GetCurrentProcessId());
  const FolderBesideTestProgram beside(name);
  MakeRuntimeFolder(beside.path());
  std::wstring path;
  EXPECT_EQ(FindClientDllInFolder(name.c_str(), path), S_OK);
  EXPECT_EQ(path, ClientDllIn(TestProgramFolder() + name));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(FindClientDllInFolderTest, RelativeFolderIgnoresTheCurrentDirectory) {
  // A runtime in the current directory under the given name must not be found.
  const std::wstring name = L"relative-rt-" + std::to_wstring(::GetCurrentProcessId());
  MakeRuntimeFolder(temp_.Join(name));
  wchar_t previous[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW(temp_.path().c_str()));
  std::wstring path;
  const HRESULT hr = FindClientDllInFolder(name.c_str(), path);
  ::SetCurrentDirectoryW(previous);
  EXPECT_EQ(hr, kFileNotFound);
  EXPECT_EQ(Lines(), std::vector<std::string>{
                         Line(kClientDllNotFound, ClientDllIn(TestProgramFolder() + name))});
}

TEST_F(FindClientDllInFolderTest, BareDriveCountsAsRelative) {
  std::wstring path;
  EXPECT_EQ(FindClientDllInFolder(L"C:", path), kFileNotFound);
  EXPECT_EQ(Lines(), std::vector<std::string>{
                         Line(kClientDllNotFound, ClientDllIn(TestProgramFolder() + L"C:"))});
}

TEST_F(FindClientDllInFolderTest, ForwardSlashFolderCountsAsRelative) {
  std::wstring folder = MakeRuntimeFolder(temp_.Join(L"rt"));
  for (wchar_t& unit : folder) {
    if (unit == L'\\') {
      unit = L'/';
    }
  }
  std::wstring path;
  EXPECT_EQ(FindClientDllInFolder(folder.c_str(), path), kFileNotFound);
  EXPECT_EQ(Lines(), std::vector<std::string>{
                         Line(kClientDllNotFound, ClientDllIn(TestProgramFolder() + folder))});
}

TEST_F(FindClientDllInFolderTest, DevicePathWithTwoBackslashesIsUsedUnchanged) {
  const std::wstring folder = L"\\\\?\\" + MakeRuntimeFolder(temp_.Join(L"rt"));
  std::wstring path;
  EXPECT_EQ(FindClientDllInFolder(folder.c_str(), path), S_OK);
  EXPECT_EQ(path, ClientDllIn(folder));
}

TEST_F(FindClientDllInFolderTest, UncFolderIsUsedUnchanged) {
  const std::wstring folder = L"\\\\mirvot-no-such-server\\share\\rt";
  std::wstring path;
  EXPECT_EQ(FindClientDllInFolder(folder.c_str(), path), kFileNotFound);
  EXPECT_EQ(Lines(), std::vector<std::string>{Line(kClientDllNotFound, ClientDllIn(folder))});
}

TEST_F(FindClientDllInFolderTest, TrailingBackslashIsAccepted) {
  const std::wstring folder = MakeRuntimeFolder(temp_.Join(L"rt"));
  std::wstring path;
  EXPECT_EQ(FindClientDllInFolder((folder + L"\\").c_str(), path), S_OK);
  EXPECT_EQ(path, folder + L"\\\\EBWebView\\x64\\EmbeddedBrowserWebView.dll");
}

}  // namespace
}  // namespace mirvot::test
