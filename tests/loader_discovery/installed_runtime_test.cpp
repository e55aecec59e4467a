// The search road: registrations of both hives channel by channel, the version floor, and the
// registry buffer limits.
#include <gtest/gtest.h>

#include "loader/runtime_discovery.h"
#include "loader_discovery/discovery_fixture.h"

namespace mirvot::test {
namespace {

constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);
constexpr char kIncompatible[] = "WebView2: skipped an incompatible version ";

LoaderSettings Channels(std::int32_t mask, std::int32_t searchKind = 0) {
  LoaderSettings settings;
  settings.releaseChannels = mask;
  settings.releaseChannelsSet = true;
  settings.channelSearchKind = searchKind;
  return settings;
}

class FindInstalledRuntimeTest : public LoaderRegistryTest {
 protected:
  // A runtime folder named after its version, laid out under the test's folder.
  std::wstring Runtime(const std::wstring& name, const std::wstring& version) {
    return MakeRuntimeFolder(temp_.Join(name + L"\\Application\\" + version));
  }
};

TEST_F(FindInstalledRuntimeTest, NothingRegisteredFailsWithTheNotFoundLine) {
  std::wstring path = L"stale";
  EXPECT_EQ(FindInstalledRuntime(LoaderSettings{}, path), kFileNotFound);
  EXPECT_TRUE(path.empty());
  EXPECT_EQ(Lines(), std::vector<std::string>{kNoInstalledRuntimeLine});
}

TEST_F(FindInstalledRuntimeTest, ChannelsAreTheOuterLoopAndHivesTheInner) {
  const std::wstring machineBeta = Runtime(L"beta", L"120.0.2210.91");
  const std::wstring userStable = Runtime(L"stable", L"120.0.2210.91");
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Beta, machineBeta);
  RegisterRuntime(HKEY_CURRENT_USER, ReleaseChannel::Stable, userStable);

  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(LoaderSettings{}, path), S_OK);
  EXPECT_EQ(path, ClientDllIn(userStable));

  LoaderSettings leastStableFirst;
  leastStableFirst.channelSearchKind = 1;
  EXPECT_EQ(FindInstalledRuntime(leastStableFirst, path), S_OK);
  EXPECT_EQ(path, ClientDllIn(machineBeta));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(FindInstalledRuntimeTest, MachineRegistrationComesBeforeTheUsersOfTheSameChannel) {
  const std::wstring machine = Runtime(L"machine", L"120.0.2210.91");
  const std::wstring user = Runtime(L"user", L"121.0.0.0");
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Dev, machine);
  RegisterRuntime(HKEY_CURRENT_USER, ReleaseChannel::Dev, user);
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(LoaderSettings{}, path), S_OK);
  EXPECT_EQ(path, ClientDllIn(machine));
}

TEST_F(FindInstalledRuntimeTest, RegistrationsAreReadThroughThe32BitView) {
  const std::wstring folder = Runtime(L"rt", L"120.0.2210.91");
  ASSERT_EQ(SetRegistryString(HKEY_LOCAL_MACHINE, RegistrationKey(ReleaseChannel::Stable),
                              L"EBWebView", folder, RegistryView::Wow64_64),
            ERROR_SUCCESS);
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(LoaderSettings{}, path), kFileNotFound);
}

TEST_F(FindInstalledRuntimeTest, ChannelMaskChoosesTheChannelsSearched) {
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, Runtime(L"stable", L"120.0.0.0"));
  const std::wstring internal = Runtime(L"internal", L"120.0.0.0");
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Internal, internal);
  const std::wstring beta = Runtime(L"beta", L"120.0.0.0");
  RegisterRuntime(HKEY_CURRENT_USER, ReleaseChannel::Beta, beta);

  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(Channels(0b00010), path), S_OK);
  EXPECT_EQ(path, ClientDllIn(beta));
  // Stable to Canary means every channel, Internal included.
  EXPECT_EQ(FindInstalledRuntime(Channels(0b01111, 1), path), S_OK);
  EXPECT_EQ(path, ClientDllIn(internal));
  EXPECT_EQ(FindInstalledRuntime(Channels(0b11111, 1), path), S_OK);
  EXPECT_EQ(path, ClientDllIn(internal));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(FindInstalledRuntimeTest, MaskWithoutAnyChannelBitSearchesNothing) {
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, Runtime(L"stable", L"120.0.0.0"));
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(Channels(32), path), kFileNotFound);
  EXPECT_EQ(FindInstalledRuntime(Channels(0), path), kFileNotFound);
  EXPECT_EQ(Lines(), (std::vector<std::string>{kNoInstalledRuntimeLine, kNoInstalledRuntimeLine}));
}

TEST_F(FindInstalledRuntimeTest, OlderRuntimeIsSkippedWithItsLineAndTheSearchGoesOn) {
  const std::wstring old = Runtime(L"old", L"85.0.564.70");
  const std::wstring current = Runtime(L"current", L"120.0.2210.91");
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, old);
  RegisterRuntime(HKEY_CURRENT_USER, ReleaseChannel::Stable, current);
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(LoaderSettings{}, path), S_OK);
  EXPECT_EQ(path, ClientDllIn(current));
  EXPECT_EQ(Lines(), std::vector<std::string>{Line(kIncompatible, old)});
}

TEST_F(FindInstalledRuntimeTest, MinimumVersionItselfIsAccepted) {
  const std::wstring folder = Runtime(L"rt", L"86.0.616.0");
  RegisterRuntime(HKEY_CURRENT_USER, ReleaseChannel::Canary, folder);
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(LoaderSettings{}, path), S_OK);
  EXPECT_EQ(path, ClientDllIn(folder));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(FindInstalledRuntimeTest, BareMajorVersionReadsAsOlderThanTheMinimum) {
  const std::wstring folder = Runtime(L"rt", L"86");
  RegisterRuntime(HKEY_CURRENT_USER, ReleaseChannel::Stable, folder);
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(LoaderSettings{}, path), kFileNotFound);
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{Line(kIncompatible, folder), kNoInstalledRuntimeLine}));
}

TEST_F(FindInstalledRuntimeTest, FolderNotNamedAfterAVersionIsSkippedSilently) {
  const std::wstring folder = MakeRuntimeFolder(temp_.Join(L"rt\\Application"));
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, folder);
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(LoaderSettings{}, path), kFileNotFound);
  EXPECT_EQ(Lines(), std::vector<std::string>{kNoInstalledRuntimeLine});
}

TEST_F(FindInstalledRuntimeTest, RegistrationWithoutABackslashIsSkippedSilently) {
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, L"120.0.2210.91");
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Beta, L"85.0.0.0");
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(LoaderSettings{}, path), kFileNotFound);
  EXPECT_EQ(Lines(), std::vector<std::string>{kNoInstalledRuntimeLine});
}

TEST_F(FindInstalledRuntimeTest, EmptyAndTooShortValuesAreSkipped) {
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, L"");
  const wchar_t oneByteMore[] = {L'\\', 0};
  ASSERT_EQ(SetRegistryRaw(HKEY_LOCAL_MACHINE, RegistrationKey(ReleaseChannel::Beta), L"EBWebView",
                           REG_SZ, oneByteMore, 2, RegistryView::Wow64_32),
            ERROR_SUCCESS);
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(LoaderSettings{}, path), kFileNotFound);
  EXPECT_EQ(Lines(), std::vector<std::string>{kNoInstalledRuntimeLine});
}

TEST_F(FindInstalledRuntimeTest, MissingLibraryIsSkippedSilently) {
  const std::wstring folder = temp_.MakeFolder(L"rt\\120.0.2210.91");
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, folder);
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(LoaderSettings{}, path), kFileNotFound);
  EXPECT_EQ(Lines(), std::vector<std::string>{kNoInstalledRuntimeLine});
}

TEST_F(FindInstalledRuntimeTest, LibraryThatDoesNotOpenIsSkippedWithItsLine) {
  const std::wstring locked = Runtime(L"locked", L"120.0.2210.91");
  const std::wstring open = Runtime(L"open", L"120.0.2210.91");
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, locked);
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Beta, open);
  const ExclusiveFileLock lock(ClientDllIn(locked));
  ASSERT_TRUE(lock.locked());
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(LoaderSettings{}, path), S_OK);
  EXPECT_EQ(path, ClientDllIn(open));
  EXPECT_EQ(Lines(),
            std::vector<std::string>{Line("WebView2: skipped inaccessible ", ClientDllIn(locked))});
}

TEST_F(FindInstalledRuntimeTest, ValueTypeIsNotExamined) {
  const std::wstring folder = Runtime(L"rt", L"120.0.2210.91");
  ASSERT_EQ(SetRegistryExpandString(HKEY_LOCAL_MACHINE, RegistrationKey(ReleaseChannel::Stable),
                                    L"EBWebView", folder, RegistryView::Wow64_32),
            ERROR_SUCCESS);
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(LoaderSettings{}, path), S_OK);
  EXPECT_EQ(path, ClientDllIn(folder));
}

// Registry values are read into 520 bytes: 259 units and the terminator fit.
class RegistrationBufferTest : public FindInstalledRuntimeTest {
 protected:
  // An old-version folder path of exactly `units` units; its line shows how much was read.
  std::wstring OldFolderOfLength(std::size_t units) {
    const std::wstring tail = L"\\85.0.0.0";
    const std::size_t padding = units - temp_.path().size() - 1 - tail.size();
    return temp_.path() + L"\\" + std::wstring(padding, L'p') + tail;
  }
  void RegisterRaw(const std::wstring& text, bool terminated) {
    const DWORD bytes = static_cast<DWORD>((text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
    ASSERT_EQ(SetRegistryRaw(HKEY_LOCAL_MACHINE, RegistrationKey(ReleaseChannel::Stable),
                             L"EBWebView", REG_SZ, text.c_str(), bytes, RegistryView::Wow64_32),
              ERROR_SUCCESS);
  }
};

TEST_F(RegistrationBufferTest, ValueOf259UnitsAndTerminatorIsReadWhole) {
  const std::wstring folder = OldFolderOfLength(259);
  RegisterRaw(folder, true);
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(Channels(1), path), kFileNotFound);
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{Line(kIncompatible, folder), kNoInstalledRuntimeLine}));
}

TEST_F(RegistrationBufferTest, ValueFillingTheBufferWithoutTerminatorCountsAsAbsent) {
  RegisterRaw(OldFolderOfLength(260), false);
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(Channels(1), path), kFileNotFound);
  EXPECT_EQ(Lines(), std::vector<std::string>{kNoInstalledRuntimeLine});
}

TEST_F(RegistrationBufferTest, ValueLongerThanTheBufferCountsAsAbsent) {
  RegisterRaw(OldFolderOfLength(260), true);
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(Channels(1), path), kFileNotFound);
  EXPECT_EQ(Lines(), std::vector<std::string>{kNoInstalledRuntimeLine});
}

// In Edge view mode the Stable channel is the Edge browser's own registration.
class EdgeViewRegistrationTest : public FindInstalledRuntimeTest {
 protected:
  void RegisterEdge(HKEY hive, const std::wstring& location, const std::wstring& version) {
    ASSERT_EQ(SetRegistryString(hive, kEdgeStableClientKey, L"location", location,
                                RegistryView::Wow64_32),
              ERROR_SUCCESS);
    if (!version.empty()) {
      ASSERT_EQ(
          SetRegistryString(hive, kEdgeStableClientKey, L"pv", version, RegistryView::Wow64_32),
          ERROR_SUCCESS);
    }
  }
  static LoaderSettings EdgeView() {
    LoaderSettings settings;
    settings.useEdgeView = true;
    return settings;
  }
};

TEST_F(EdgeViewRegistrationTest, StableIsTheEdgeLocationAndVersion) {
  const std::wstring location = temp_.Join(L"Edge\\Application");
  MakeRuntimeFolder(location + L"\\120.0.2210.91");
  RegisterEdge(HKEY_CURRENT_USER, location, L"120.0.2210.91");
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, Runtime(L"rt", L"120.0.0.0"));
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(EdgeView(), path), S_OK);
  EXPECT_EQ(path, ClientDllIn(location + L"\\120.0.2210.91"));
}

TEST_F(EdgeViewRegistrationTest, EdgeRegistrationWithoutVersionIsNotFound) {
  const std::wstring location = temp_.Join(L"Edge\\Application");
  MakeRuntimeFolder(location + L"\\120.0.2210.91");
  RegisterEdge(HKEY_LOCAL_MACHINE, location, L"");
  LoaderSettings stableOnly = Channels(1);
  stableOnly.useEdgeView = true;
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(stableOnly, path), kFileNotFound);
  EXPECT_EQ(Lines(), std::vector<std::string>{kNoInstalledRuntimeLine});
}

TEST_F(EdgeViewRegistrationTest, OtherChannelsKeepTheirRegistrations) {
  const std::wstring beta = Runtime(L"beta", L"120.0.0.0");
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, Runtime(L"stable", L"120.0.0.0"));
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Beta, beta);
  std::wstring path;
  EXPECT_EQ(FindInstalledRuntime(EdgeView(), path), S_OK);
  EXPECT_EQ(path, ClientDllIn(beta));
}

TEST_F(EdgeViewRegistrationTest, OldEdgeVersionIsSkippedWithItsFullFolder) {
  const std::wstring location = temp_.Join(L"Edge\\Application");
  MakeRuntimeFolder(location + L"\\85.0.564.70");
  RegisterEdge(HKEY_LOCAL_MACHINE, location, L"85.0.564.70");
  std::wstring path;
  EXPECT_FALSE(ReadRegisteredRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, true, path));
  EXPECT_EQ(Lines(), std::vector<std::string>{Line(kIncompatible, location + L"\\85.0.564.70")});
}

}  // namespace
}  // namespace mirvot::test
