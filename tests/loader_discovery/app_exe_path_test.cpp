// The executable's path: read into 260 units, then once into 4,096. Wine cannot start a
// program whose path is 260 units or longer, so the long paths are read through a stand-in for
// the system call.
#include "loader/app_exe_path.h"

#include <vector>

#include <gtest/gtest.h>

#include "loader_discovery/discovery_fixture.h"

namespace mirvot::test {
namespace {

TEST(AppExePath, IsTheFullPathOfThisProgram) {
  std::wstring path;
  ASSERT_EQ(GetAppExePath(path), S_OK);
  EXPECT_EQ(path, TestProgramFolder() + kExeFileName);
}

// A stand-in for GetModuleFileNameW over a path of a chosen length.
struct FakeModuleFileName {
  std::wstring path;
  // When set, every call fails this way instead.
  DWORD failWithResult = 0;
  DWORD failWithError = ERROR_SUCCESS;
  bool fail = false;
  std::vector<DWORD> capacities;
};
FakeModuleFileName* moduleFileName = nullptr;

// Like the system: a path that does not fit is cut to capacity - 1 units and a terminator,
// the capacity is returned and the error is ERROR_INSUFFICIENT_BUFFER.
DWORD WINAPI FakeRead(HMODULE module, wchar_t* buffer, DWORD capacity) {
  EXPECT_EQ(module, nullptr) << "the executable's module";
  moduleFileName->capacities.push_back(capacity);
  if (moduleFileName->fail) {
    ::SetLastError(moduleFileName->failWithError);
    return moduleFileName->failWithResult;
  }
  const std::wstring& path = moduleFileName->path;
  if (path.size() < capacity) {
    path.copy(buffer, path.size());
    buffer[path.size()] = L'\0';
    ::SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
  }
  path.copy(buffer, capacity - 1);
  buffer[capacity - 1] = L'\0';
  ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return capacity;
}

constexpr AppExePathFunctions kFakeFunctions{&FakeRead};

class ReadAppExePathTest : public ::testing::Test {
 protected:
  ReadAppExePathTest() { moduleFileName = &fake_; }
  ~ReadAppExePathTest() override { moduleFileName = nullptr; }
  static std::wstring PathOfLength(std::size_t units) {
    return L"C:\\" + std::wstring(units - 3 - 4, L'a') + L".exe";
  }
  FakeModuleFileName fake_;
  std::wstring path_;
};

TEST_F(ReadAppExePathTest, PathOf259UnitsFitsTheFirstBuffer) {
  fake_.path = PathOfLength(259);
  EXPECT_EQ(GetAppExePath(path_, kFakeFunctions), S_OK);
  EXPECT_EQ(path_, fake_.path);
  EXPECT_EQ(fake_.capacities, std::vector<DWORD>{260});
}

TEST_F(ReadAppExePathTest, LongerPathIsReadAgainInto4096Units) {
  for (std::size_t units : {260u, 4095u}) {
    fake_.path = PathOfLength(units);
    fake_.capacities.clear();
    EXPECT_EQ(GetAppExePath(path_, kFakeFunctions), S_OK);
    EXPECT_EQ(path_, fake_.path);
    EXPECT_EQ(fake_.capacities, (std::vector<DWORD>{260, 4096}));
  }
}

TEST_F(ReadAppExePathTest, PathOf4096UnitsOrMoreFailsWithInsufficientBuffer) {
  fake_.path = PathOfLength(4096);
  EXPECT_EQ(GetAppExePath(path_, kFakeFunctions), static_cast<HRESULT>(0x8007007A));
}

TEST_F(ReadAppExePathTest, FailedReadGivesItsError) {
  fake_.fail = true;
  fake_.failWithError = ERROR_ACCESS_DENIED;
  EXPECT_EQ(GetAppExePath(path_, kFakeFunctions), static_cast<HRESULT>(0x80070005));
  EXPECT_EQ(fake_.capacities, std::vector<DWORD>{260});
}

TEST_F(ReadAppExePathTest, FullBufferWithoutAnErrorIsNotReportedAsSuccess) {
  // Some systems cut the path without setting an error; the read has still failed.
  fake_.fail = true;
  fake_.failWithResult = 260;
  fake_.failWithError = ERROR_SUCCESS;
  EXPECT_EQ(GetAppExePath(path_, kFakeFunctions), E_FAIL);
  EXPECT_EQ(fake_.capacities, std::vector<DWORD>{260});
}

}  // namespace
}  // namespace mirvot::test
