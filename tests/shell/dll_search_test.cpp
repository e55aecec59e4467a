// The process's library search restricted at start-up: the system function is asked once for
// the default folders, and where it is missing nothing is asked. Then, with the system's own
// function, a library that only the current directory holds is no longer found by name.
#include "shell/dll_search.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/owners.h"
#include "engine/test_engine_client.h"
#include "harness/temp_folder.h"

namespace mirvot {
namespace {

std::vector<DWORD> g_flags;
BOOL g_answer = TRUE;

BOOL WINAPI FakeSetDefaultDllDirectories(DWORD flags) {
  g_flags.push_back(flags);
  return g_answer;
}

TEST(RestrictDllSearch, AsksOnceForTheApplicationFolderAndSystem32EvenWhenRefused) {
  for (const BOOL answer : {TRUE, FALSE}) {
    g_flags.clear();
    g_answer = answer;
    DllSearchFunctions functions;
    functions.set_default_dll_directories = FakeSetDefaultDllDirectories;
    restrict_dll_search(functions);
    EXPECT_EQ(g_flags, std::vector<DWORD>{0x00001000}) << "answer " << answer;
  }
}

TEST(RestrictDllSearch, WithoutTheFunctionNothingChanges) {
  g_flags.clear();
  restrict_dll_search(DllSearchFunctions{});
  EXPECT_TRUE(g_flags.empty());
}

// Changes this process for good: ctest runs every test in a process of its own.
TEST(RestrictDllSearch, TheCurrentDirectoryIsNoLongerSearched) {
  ASSERT_NE(system_dll_search_functions().set_default_dll_directories, nullptr);
  const test::TempFolder folder;
  constexpr wchar_t kName[] = L"current_directory_library.dll";
  ASSERT_TRUE(test::CopyFileTo(test::TestEngineDllPath(L"fixed"), folder.Join(kName)));
  wchar_t previous[MAX_PATH] = {};
  ASSERT_NE(::GetCurrentDirectoryW(MAX_PATH, previous), 0u);
  ASSERT_TRUE(::SetCurrentDirectoryW(folder.path().c_str()));

  // Found there before: the copy is a library the system can load.
  UniqueModule before(::LoadLibraryW(kName));
  EXPECT_NE(before.get(), nullptr);
  before.reset();

  restrict_dll_search();
  const UniqueModule after(::LoadLibraryW(kName));
  const DWORD error = ::GetLastError();
  EXPECT_EQ(after.get(), nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  ASSERT_TRUE(::SetCurrentDirectoryW(previous));
}

}  // namespace
}  // namespace mirvot
