// Engine libraries that cannot be used: a program for another processor, an empty file, a
// truncated image, a library whose initialisation fails, and a folder where the library should
// be. Each ends with the loader's line and code (the architecture hint only for 0x8007007E),
// both attempts, and no call of the caller's handler. (Not a program at all, a missing
// dependency and a missing export are covered by the environment-creation tests.)
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/core/hresult_format.h"
#include "engine/test_engine_client.h"
#include "harness/host_paths.h"
#include "hostile/hostile_fixture.h"

namespace mirvot::test {
namespace {

constexpr HRESULT kBadExeFormat = static_cast<HRESULT>(0x800700C1);

class EngineLibraryTest : public HostileTest {
 protected:
  // The load line for this runtime's library, as the loader writes it.
  std::string LoadLine(HRESULT hr) const {
    return std::string(kLoadLibraryFailed) + FormatHResultHex(static_cast<std::uint32_t>(hr)) +
           " path=" + Utf8(library_) + "\n";
  }

  // A copy of a working engine library with bytes changed by `patch`.
  void LayOutPatchedEngine(void (*patch)(std::string&)) {
    std::optional<std::string> image = ReadWholeFile(TestEngineDllPath(L"fixed-no-unload"));
    ASSERT_TRUE(image.has_value());
    patch(*image);
    ASSERT_TRUE(WriteFileOfAnyLength(library_, *image));
  }

  // Both attempts fail the same way; the caller hears nothing.
  void ExpectLoadFailureTwice(HRESULT expected) {
    EXPECT_EQ(Create(runtime_.c_str()), expected);
    EXPECT_EQ(Lines(), (std::vector<std::string>{LoadLine(expected), LoadLine(expected)}));
    EXPECT_TRUE(caller_->calls.empty());
  }

  std::wstring runtime_ = temp_.Join(L"runtime");
  std::wstring library_ = ClientDllIn(runtime_);
};

// Offset of the PE header's Machine field, after the "PE\0\0" signature.
std::size_t MachineFieldOffset(const std::string& image) {
  std::uint32_t peOffset = 0;
  std::memcpy(&peOffset, image.data() + 0x3C, sizeof(peOffset));
  EXPECT_EQ(image.compare(peOffset, 4, std::string("PE\0\0", 4)), 0);
  return peOffset + 4;
}

void SetMachine(std::string& image, std::uint16_t machine) {
  const std::size_t offset = MachineFieldOffset(image);
  EXPECT_EQ(static_cast<unsigned char>(image[offset]) |
                (static_cast<unsigned char>(image[offset + 1]) << 8),
            0x8664);
  image[offset] = static_cast<char>(machine & 0xFF);
  image[offset + 1] = static_cast<char>(machine >> 8);
}

TEST_F(EngineLibraryTest, LibraryForX86FailsAsBadFormatWithoutTheHint) {
  LayOutPatchedEngine([](std::string& image) { SetMachine(image, 0x014C); });
  ExpectLoadFailureTwice(kBadExeFormat);
}

TEST_F(EngineLibraryTest, LibraryForArm64FailsAsBadFormatWithoutTheHint) {
  LayOutPatchedEngine([](std::string& image) { SetMachine(image, 0xAA64); });
  ExpectLoadFailureTwice(kBadExeFormat);
}

// Wine reports ERROR_BAD_EXE_FORMAT for an empty file; Windows may report the empty section
// as ERROR_FILE_INVALID instead. Either way the load line carries no hint.
TEST_F(EngineLibraryTest, EmptyLibraryFileFailsToLoadWithoutTheHint) {
  ASSERT_TRUE(WriteFileOfAnyLength(library_, ""));
  ExpectLoadFailureTwice(kBadExeFormat);
}

TEST_F(EngineLibraryTest, LibraryCutAfterItsHeadersFailsToLoadWithoutTheHint) {
  LayOutPatchedEngine([](std::string& image) { image.resize(1024); });
  ExpectLoadFailureTwice(kBadExeFormat);
}

TEST_F(EngineLibraryTest, LibraryWhoseInitialisationFailsGivesDllInitFailed) {
  LayOutRuntime(runtime_, WindowsPathFromHost(HOSTILE_FAILING_DLL_MAIN_DLL));
  ExpectLoadFailureTwice(static_cast<HRESULT>(0x8007045A));
}

// A folder passes the existence test but does not open as a file: it is reported as
// inaccessible and never reaches LoadLibraryW (which would fail with ERROR_ACCESS_DENIED).
TEST_F(EngineLibraryTest, FolderNamedLikeTheLibraryIsNotUsable) {
  ASSERT_TRUE(CreateFoldersOfAnyLength(library_));
  EXPECT_EQ(Create(runtime_.c_str()), kFileNotFound);
  const std::vector<std::string> attempt{Line(kInaccessible, library_),
                                         Line(kClientDllNotFound, library_)};
  std::vector<std::string> expected = attempt;
  expected.insert(expected.end(), attempt.begin(), attempt.end());
  EXPECT_EQ(Lines(), expected);
  EXPECT_TRUE(caller_->calls.empty());
}

// A runtime registered with a relative folder passes the existence test against the current
// directory, but its engine library is not loaded from there: the loader asks for it by a full
// path only, and the system refuses a relative one (ERROR_INVALID_PARAMETER).
TEST_F(EngineLibraryTest, RuntimeRegisteredRelativeToTheCurrentDirectoryIsNotLoaded) {
  const std::wstring relative = L"relative\\120.0.2210.91";
  LayOutRuntime(temp_.Join(relative), TestEngineDllPath(L"fixed"));
  RegisterText(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, relative);
  wchar_t previous[MAX_PATH] = {};
  ASSERT_NE(::GetCurrentDirectoryW(MAX_PATH, previous), 0u);
  ASSERT_TRUE(::SetCurrentDirectoryW(temp_.path().c_str()));

  EXPECT_EQ(Create(nullptr), E_INVALIDARG);
  const std::string line =
      std::string(kLoadLibraryFailed) + "80070057 path=" + Utf8(ClientDllIn(relative)) + "\n";
  EXPECT_EQ(Lines(), (std::vector<std::string>{line, line}));
  EXPECT_TRUE(caller_->calls.empty());
  ASSERT_TRUE(::SetCurrentDirectoryW(previous));
}

}  // namespace
}  // namespace mirvot::test
