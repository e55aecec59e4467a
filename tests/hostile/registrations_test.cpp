// Updater registrations at and past the 520-byte buffer, without a terminator, of other types
// and of odd byte lengths, and versions as the last path component that are odd but parse.
// The value's type is not examined; its bytes are taken as UTF-16 text up to the first NUL
// inside the buffer. A registration that yields no usable library is skipped, and the search
// goes on to the next one.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/test_engine_client.h"
#include "hostile/hostile_fixture.h"
#include "loader/runtime_discovery.h"

namespace mirvot::test {
namespace {

std::vector<BYTE> Bytes(const std::wstring& text, bool terminated) {
  const auto* first = reinterpret_cast<const BYTE*>(text.c_str());
  return std::vector<BYTE>(first, first + (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
}

class RegistrationTest : public HostileTest {
 protected:
  // A runtime folder below the temporary folder holding a copy of the engine library.
  std::wstring Runtime(const std::wstring& relative) {
    const std::wstring folder = temp_.Join(relative);
    LayOutRuntime(folder, TestEngineDllPath(L"fixed-no-unload"));
    return folder;
  }
  void Register(ReleaseChannel channel, DWORD type, const std::vector<BYTE>& bytes) {
    RegisterRaw(HKEY_LOCAL_MACHINE, channel, type, bytes.data(), static_cast<DWORD>(bytes.size()));
  }
  // A folder path of exactly `units` units whose last component is `version`.
  std::wstring FolderOfLength(std::size_t units, const std::wstring& version) {
    const std::wstring head = temp_.path() + L"\\";
    const std::wstring tail = L"\\" + version;
    return head + std::wstring(units - head.size() - tail.size(), L'p') + tail;
  }
  static LoaderSettings StableAndBeta() {
    LoaderSettings settings;
    settings.releaseChannels = 0b11;
    settings.releaseChannelsSet = true;
    return settings;
  }
};

TEST_F(RegistrationTest, ValueOf259UnitsWithoutTerminatorIsReadWhole) {
  // 518 bytes: the zero-filled buffer supplies the terminator.
  const std::wstring folder = FolderOfLength(259, L"85.0.0.0");
  Register(ReleaseChannel::Stable, REG_SZ, Bytes(folder, false));
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(StableAndBeta(), path), kFileNotFound);
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{Line(kIncompatible, folder), kNoInstalledRuntimeLine}));
}

TEST_F(RegistrationTest, ValueOf261UnitsIsAbsentAndTheSearchGoesOn) {
  const std::wstring beta = Runtime(L"beta\\120.0.0.0");
  Register(ReleaseChannel::Stable, REG_SZ, Bytes(FolderOfLength(261, L"120.0.0.0"), true));
  Register(ReleaseChannel::Beta, REG_SZ, Bytes(beta, true));
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(StableAndBeta(), path), S_OK);
  EXPECT_EQ(path, ClientDllIn(beta));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(RegistrationTest, TextInAValueOfAnyTypeIsUsed) {
  const std::wstring folder = Runtime(L"typed\\120.0.2210.91");
  std::vector<BYTE> multi = Bytes(folder, true);
  multi.insert(multi.end(), {'x', 0, 0, 0, 0, 0});  // a second string, then the list's end
  const struct {
    const char* what;
    DWORD type;
    std::vector<BYTE> bytes;
  } cases[] = {{"REG_BINARY", REG_BINARY, Bytes(folder, false)},
               {"REG_MULTI_SZ (first string)", REG_MULTI_SZ, multi},
               {"REG_NONE", REG_NONE, Bytes(folder, true)},
               {"REG_DWORD_BIG_ENDIAN tag on text", REG_DWORD_BIG_ENDIAN, Bytes(folder, true)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Register(ReleaseChannel::Stable, c.type, c.bytes);
    std::wstring path;
    EXPECT_EQ(FindInstalledRuntime(StableAndBeta(), path), S_OK);
    EXPECT_EQ(path, ClientDllIn(folder));
  }
  EXPECT_TRUE(Lines().empty());
}

TEST_F(RegistrationTest, NumbersReadAsTextHoldNoFolderAndAreSkippedSilently) {
  const std::wstring beta = Runtime(L"beta\\120.0.0.0");
  Register(ReleaseChannel::Beta, REG_SZ, Bytes(beta, true));
  const DWORD number = 0x005C0043;           // the units "C\"
  const ULONGLONG wide = 0x0038005C0043ull;  // the units "C\8"
  const struct {
    const char* what;
    DWORD type;
    std::vector<BYTE> bytes;
  } cases[] = {{"REG_DWORD", REG_DWORD,
                std::vector<BYTE>(reinterpret_cast<const BYTE*>(&number),
                                  reinterpret_cast<const BYTE*>(&number) + sizeof(number))},
               {"REG_QWORD", REG_QWORD,
                std::vector<BYTE>(reinterpret_cast<const BYTE*>(&wide),
                                  reinterpret_cast<const BYTE*>(&wide) + sizeof(wide))}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    output_.clear();
    Register(ReleaseChannel::Stable, c.type, c.bytes);
    std::wstring path;
    // "C\" has no version after its backslash; "C\8" is version 8, older than the minimum.
    EXPECT_EQ(FindInstalledRuntime(StableAndBeta(), path), S_OK);
    EXPECT_EQ(path, ClientDllIn(beta));
    if (c.type == REG_QWORD) {
      EXPECT_EQ(Lines(), std::vector<std::string>{Line(kIncompatible, L"C\\8")});
    } else {
      EXPECT_TRUE(Lines().empty());
    }
  }
}

TEST_F(RegistrationTest, OddByteLengthsKeepTheLastUnitsLowByteOnly) {
  const std::vector<BYTE> threeBytes{'\\', 0, '9'};         // "\" and the low byte of "9"
  const std::vector<BYTE> fiveBytes{'\\', 0, '9', 0, '9'};  // "\9" and half of "9"
  const std::vector<BYTE> halfOfAnAccent{'\\', 0, '8', 0, '6', 0, 0xE9};  // "\86" + low byte of é
  struct Case {
    const char* what;
    std::vector<BYTE> bytes;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"3 bytes: version 9", threeBytes, {Line(kIncompatible, L"\\9")}},
      // Version 99 is new enough; "\99" has no library, which is skipped without a line.
      {"5 bytes: version 99", fiveBytes, {}},
      {"7 bytes: the last unit is U+00E9", halfOfAnAccent, {Line(kIncompatible, L"\\86\x00E9")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    output_.clear();
    Register(ReleaseChannel::Stable, REG_SZ, c.bytes);
    std::wstring path;
    EXPECT_EQ(FindInstalledRuntime(StableAndBeta(), path), kFileNotFound);
    std::vector<std::string> expected = c.lines;
    expected.push_back(kNoInstalledRuntimeLine);
    EXPECT_EQ(Lines(), expected);
  }
}

TEST_F(RegistrationTest, FolderWithAnOddTrailingByteIsStillFound) {
  const std::wstring folder = Runtime(L"odd\\120.0.0.0");
  std::vector<BYTE> bytes = Bytes(folder, false);
  bytes.push_back(0);  // one byte of a terminator
  Register(ReleaseChannel::Stable, REG_SZ, bytes);
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(StableAndBeta(), path), S_OK);
  EXPECT_EQ(path, ClientDllIn(folder));
}

// Last path components that are odd but parse: wcstol skips leading white space, takes a sign,
// saturates out-of-range numbers, and stops at the first character that does not continue a
// component. With the library present, each of these is accepted (a negative component wraps to
// a large unsigned one); one without any version after the last backslash is skipped silently.
TEST_F(RegistrationTest, OddVersionFoldersWithTheLibraryPresent) {
  const struct {
    const wchar_t* version;
    bool accepted;
  } cases[] = {
      {L"99999999999.1", true},   {L"-1.0", true},
      {L" 120.0", true},          {L"120..0", true},
      {L"120.0.0.0.5", true},     {L"120.x", true},
      {L"+120.0", true},          {L"86.-1", true},
      {L"4294967296.0", true},    {L"86.0.616.-1", true},
      {L"85.99999999999", false}, {L"0x78.0", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.version));
    output_.clear();
    const std::wstring folder = Runtime(std::wstring(L"v\\") + c.version);
    Register(ReleaseChannel::Stable, REG_SZ, Bytes(folder, true));
    std::wstring path;
    if (c.accepted) {
      EXPECT_EQ(FindInstalledRuntime(StableAndBeta(), path), S_OK);
      EXPECT_EQ(path, ClientDllIn(folder));
      EXPECT_TRUE(Lines().empty());
    } else {
      EXPECT_EQ(FindInstalledRuntime(StableAndBeta(), path), kFileNotFound);
      EXPECT_EQ(Lines(),
                (std::vector<std::string>{Line(kIncompatible, folder), kNoInstalledRuntimeLine}));
    }
  }
}

TEST_F(RegistrationTest, FolderEndingInABackslashHasNoVersionAndIsSkippedSilently) {
  const std::wstring folder = Runtime(L"trailing\\120.0.2210.91");
  Register(ReleaseChannel::Stable, REG_SZ, Bytes(folder + L"\\", true));
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(StableAndBeta(), path), kFileNotFound);
  EXPECT_EQ(Lines(), std::vector<std::string>{kNoInstalledRuntimeLine});
}

TEST_F(RegistrationTest, EdgeLocationAndVersionAtTheirLongestAreJoinedWithoutLimit) {
  // Each value fits its own 520-byte read; joined they name a folder of 519 units, past
  // MAX_PATH, whose library does not exist: skipped silently.
  const std::wstring location =
      temp_.path() + L"\\" + std::wstring(258 - temp_.path().size(), L'e');
  const std::wstring version = L"120." + std::wstring(255, L'0');
  const wchar_t* edgeKey =
      L"Software\\Microsoft\\EdgeUpdate\\Clients\\{56EB18F8-B008-4CBD-B6D2-8C97FE7E9062}";
  ASSERT_EQ(
      SetRegistryString(HKEY_LOCAL_MACHINE, edgeKey, L"location", location, RegistryView::Wow64_32),
      ERROR_SUCCESS);
  ASSERT_EQ(SetRegistryString(HKEY_LOCAL_MACHINE, edgeKey, L"pv", version, RegistryView::Wow64_32),
            ERROR_SUCCESS);
  std::wstring path;
  EXPECT_FALSE(ReadRegisteredRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, true, path));
  EXPECT_EQ(path, ClientDllIn(location + L"\\" + version));
  EXPECT_TRUE(Lines().empty());
}

}  // namespace
}  // namespace mirvot::test
