// Settings from variables, policies and the caller's options object.
#include "loader/settings_resolution.h"

#include <wrl/client.h>

#include <gtest/gtest.h>

#include "loader/runtime_discovery.h"
#include "loader_discovery/discovery_fixture.h"
#include "loader_discovery/options_probe.h"
#include "loader_discovery/policy_root_probe.h"

namespace mirvot::test {
namespace {

using Microsoft::WRL::ComPtr;

class ResolveLoaderSettingsTest : public LoaderRegistryTest {
 protected:
  LoaderSettings Resolve(const wchar_t* browserFolder = nullptr, const wchar_t* userData = nullptr,
                         ICoreWebView2EnvironmentOptions* options = nullptr) {
    LoaderSettings settings;
    settings.browserExecutableFolder = browserFolder;
    settings.userDataFolder = userData;
    settings.environmentOptions = options;
    ResolveLoaderSettings(settings, storage_);
    return settings;
  }
  static void Policy(HKEY hive, const std::wstring& policy, const std::wstring& name,
                     const std::wstring& value) {
    ASSERT_EQ(SetRegistryString(hive, PolicyKey(policy), name, value), ERROR_SUCCESS);
  }
  static void PolicyDword(HKEY hive, const std::wstring& policy, const std::wstring& name,
                          DWORD value) {
    ASSERT_EQ(SetRegistryDword(hive, PolicyKey(policy), name, value), ERROR_SUCCESS);
  }
  static std::wstring Text(const wchar_t* text) { return text == nullptr ? L"<null>" : text; }

  ResolvedTextStorage storage_;
};

// ---- Variables

TEST_F(ResolveLoaderSettingsTest, NothingGivenKeepsTheArgumentsAndDefaults) {
  const LoaderSettings settings = Resolve(L"caller-folder", L"caller-data");
  EXPECT_EQ(Text(settings.browserExecutableFolder), L"caller-folder");
  EXPECT_EQ(Text(settings.userDataFolder), L"caller-data");
  EXPECT_EQ(settings.channelSearchKind, 0);
  EXPECT_FALSE(settings.useEdgeView);
  EXPECT_FALSE(settings.releaseChannelsSet);
  EXPECT_FALSE(settings.channelSearchKindSet);
  EXPECT_EQ(settings.releaseChannels, 0);
  EXPECT_TRUE(Lines().empty());
}

TEST_F(ResolveLoaderSettingsTest, FolderVariablesOverrideArgumentsAndPolicies) {
  Policy(HKEY_LOCAL_MACHINE, L"BrowserExecutableFolder", L"*", L"policy-folder");
  Policy(HKEY_LOCAL_MACHINE, L"UserDataFolder", kExeFileName, L"policy-data");
  const ScopedEnvironment folder(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", L"variable-folder");
  const ScopedEnvironment data(L"WEBVIEW2_USER_DATA_FOLDER", L"variable-data");
  const LoaderSettings settings = Resolve(L"caller-folder", L"caller-data");
  EXPECT_EQ(Text(settings.browserExecutableFolder), L"variable-folder");
  EXPECT_EQ(Text(settings.userDataFolder), L"variable-data");
  // The texts live in the storage the caller keeps.
  EXPECT_EQ(settings.browserExecutableFolder, storage_.browserExecutableFolder.c_str());
  EXPECT_EQ(settings.userDataFolder, storage_.userDataFolder.c_str());
}

TEST_F(ResolveLoaderSettingsTest, EmptyFolderVariableReplacesTheArgumentAndHidesThePolicy) {
  Policy(HKEY_LOCAL_MACHINE, L"BrowserExecutableFolder", L"*", L"policy-folder");
  const ScopedEnvironment folder(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", L"");
  const LoaderSettings settings = Resolve(L"caller-folder");
  ASSERT_NE(settings.browserExecutableFolder, nullptr);
  EXPECT_EQ(Text(settings.browserExecutableFolder), L"");
}

TEST_F(ResolveLoaderSettingsTest, ReleaseChannelListsFromTheVariable) {
  const struct {
    const wchar_t* list;
    std::int32_t mask;
  } cases[] = {{L"1,3", 0b01010},  {L"0,7", 0b00001}, {L"2,x", 0b00101},
               {L"1,,2", 0b00110}, {L",,", 0},        {L"4", 0b10000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.list));
    const ScopedEnvironment channels(L"WEBVIEW2_RELEASE_CHANNELS", std::wstring(c.list));
    const LoaderSettings settings = Resolve();
    EXPECT_EQ(settings.releaseChannels, c.mask);
    EXPECT_TRUE(settings.releaseChannelsSet);
  }
}

TEST_F(ResolveLoaderSettingsTest, EmptyReleaseChannelsVariableChangesNothingAndHidesThePolicy) {
  Policy(HKEY_LOCAL_MACHINE, L"ReleaseChannels", L"*", L"1");
  const ScopedEnvironment channels(L"WEBVIEW2_RELEASE_CHANNELS", L"");
  const LoaderSettings settings = Resolve();
  EXPECT_EQ(settings.releaseChannels, 0);
  EXPECT_FALSE(settings.releaseChannelsSet);
}

TEST_F(ResolveLoaderSettingsTest, ChannelSearchKindVariableIsOneOnlyWhenItReadsAsOne) {
  const struct {
    const wchar_t* value;
    std::int32_t kind;
  } cases[] = {{L"1", 1}, {L"  1", 1}, {L"+1", 1},   {L"1x", 1},
               {L"0", 0}, {L"2", 0},   {L"true", 0}, {L"", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.value));
    const ScopedEnvironment kind(L"WEBVIEW2_CHANNEL_SEARCH_KIND", std::wstring(c.value));
    const LoaderSettings settings = Resolve();
    EXPECT_EQ(settings.channelSearchKind, c.kind);
    EXPECT_TRUE(settings.channelSearchKindSet);
  }
}

TEST_F(ResolveLoaderSettingsTest, SearchKindZeroStopsThePreferenceAndTheOptionsGetter) {
  const ScopedEnvironment kind(L"WEBVIEW2_CHANNEL_SEARCH_KIND", L"0");
  const ScopedEnvironment preference(L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", L"1");
  const ComPtr<OptionsProbe> probe = MakeOptionsProbe();
  probe->searchKind = 1;
  const LoaderSettings settings = Resolve(nullptr, nullptr, probe->AsOptions());
  EXPECT_EQ(settings.channelSearchKind, 0);
  EXPECT_EQ(probe->searchKindCalls, 0);
}

TEST_F(ResolveLoaderSettingsTest, ReleaseChannelPreferenceIsASecondNameForTheSearchKind) {
  const ScopedEnvironment preference(L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", L"1");
  const LoaderSettings settings = Resolve();
  EXPECT_EQ(settings.channelSearchKind, 1);
  EXPECT_TRUE(settings.channelSearchKindSet);
}

TEST_F(ResolveLoaderSettingsTest, EdgeViewVariableMustBeExactlyOne) {
  const ComPtr<OptionsProbe> probe = MakeOptionsProbe();
  probe->edgeView = 1;
  EXPECT_TRUE(Resolve(nullptr, nullptr, probe->AsOptions()).useEdgeView);
  const struct {
    const wchar_t* value;
    bool edgeView;
  } cases[] = {{L"1", true}, {L"true", false}, {L"", false}, {L"01", false}, {L" 1", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.value));
    const ScopedEnvironment edge(L"WEBVIEW2_USE_EDGE_VIEW", std::wstring(c.value));
    EXPECT_EQ(Resolve(nullptr, nullptr, probe->AsOptions()).useEdgeView, c.edgeView);
    EXPECT_EQ(Resolve().useEdgeView, c.edgeView);
  }
}

// ---- Policies

TEST_F(ResolveLoaderSettingsTest, MachinePolicyWinsOverUserPolicy) {
  Policy(HKEY_LOCAL_MACHINE, L"BrowserExecutableFolder", L"*", L"machine");
  Policy(HKEY_CURRENT_USER, L"BrowserExecutableFolder", kExeFileName, L"user");
  EXPECT_EQ(Text(Resolve(L"caller").browserExecutableFolder), L"machine");
  ASSERT_EQ(DeleteRegistryValue(HKEY_LOCAL_MACHINE, PolicyKey(L"BrowserExecutableFolder"), L"*"),
            ERROR_SUCCESS);
  EXPECT_EQ(Text(Resolve(L"caller").browserExecutableFolder), L"user");
}

TEST_F(ResolveLoaderSettingsTest, ProcessWithoutAnIdUsesTheDefaultValueBeforeExeNameAndStar) {
  const std::wstring key = PolicyKey(L"BrowserExecutableFolder");
  Policy(HKEY_LOCAL_MACHINE, L"BrowserExecutableFolder", L"", L"default");
  Policy(HKEY_LOCAL_MACHINE, L"BrowserExecutableFolder", L"LOADER_DISCOVERY_TEST.EXE", L"exe");
  Policy(HKEY_LOCAL_MACHINE, L"BrowserExecutableFolder", L"*", L"star");
  EXPECT_EQ(Text(Resolve().browserExecutableFolder), L"default");
  ASSERT_EQ(DeleteRegistryValue(HKEY_LOCAL_MACHINE, key, L""), ERROR_SUCCESS);
  EXPECT_EQ(Text(Resolve().browserExecutableFolder), L"exe");
  ASSERT_EQ(DeleteRegistryValue(HKEY_LOCAL_MACHINE, key, L"LOADER_DISCOVERY_TEST.EXE"),
            ERROR_SUCCESS);
  EXPECT_EQ(Text(Resolve().browserExecutableFolder), L"star");
}

TEST_F(ResolveLoaderSettingsTest, EmptyPolicyTextIsAResult) {
  Policy(HKEY_LOCAL_MACHINE, L"BrowserExecutableFolder", kExeFileName, L"");
  Policy(HKEY_LOCAL_MACHINE, L"BrowserExecutableFolder", L"*", L"star");
  EXPECT_EQ(Text(Resolve(L"caller").browserExecutableFolder), L"");
}

TEST_F(ResolveLoaderSettingsTest, StarIsNeverUsedForTheUserDataFolder) {
  Policy(HKEY_LOCAL_MACHINE, L"UserDataFolder", L"*", L"star");
  Policy(HKEY_CURRENT_USER, L"UserDataFolder", L"*", L"star");
  EXPECT_EQ(Text(Resolve(nullptr, L"caller").userDataFolder), L"caller");
  Policy(HKEY_CURRENT_USER, L"UserDataFolder", kExeFileName, L"exe");
  EXPECT_EQ(Text(Resolve(nullptr, L"caller").userDataFolder), L"exe");
}

TEST_F(ResolveLoaderSettingsTest, StarChannelPoliciesAreIgnoredInEdgeViewMode) {
  Policy(HKEY_LOCAL_MACHINE, L"ReleaseChannels", L"*", L"2");
  PolicyDword(HKEY_LOCAL_MACHINE, L"ChannelSearchKind", L"*", 1);
  PolicyDword(HKEY_LOCAL_MACHINE, L"ReleaseChannelPreference", L"*", 1);
  LoaderSettings settings = Resolve();
  EXPECT_EQ(settings.releaseChannels, 0b100);
  EXPECT_EQ(settings.channelSearchKind, 1);

  const ScopedEnvironment edge(L"WEBVIEW2_USE_EDGE_VIEW", L"1");
  settings = Resolve();
  EXPECT_FALSE(settings.releaseChannelsSet);
  EXPECT_FALSE(settings.channelSearchKindSet);
  EXPECT_EQ(settings.channelSearchKind, 0);

  Policy(HKEY_LOCAL_MACHINE, L"ReleaseChannels", kExeFileName, L"3");
  PolicyDword(HKEY_LOCAL_MACHINE, L"ReleaseChannelPreference", kExeFileName, 1);
  settings = Resolve();
  EXPECT_EQ(settings.releaseChannels, 0b1000);
  EXPECT_EQ(settings.channelSearchKind, 1);
  EXPECT_TRUE(settings.channelSearchKindSet);
}

TEST_F(ResolveLoaderSettingsTest, FlagPolicyMayBeADwordOrAString) {
  const struct {
    bool asDword;
    DWORD number;
    const wchar_t* text;
    std::int32_t kind;
  } cases[] = {{true, 1, nullptr, 1},  {false, 0, L"1", 1},  {true, 2, nullptr, 0},
               {false, 0, L"true", 0}, {false, 0, L" 1", 1}, {true, 0, nullptr, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.asDword ? std::to_string(c.number) : Utf8(c.text));
    if (c.asDword) {
      PolicyDword(HKEY_CURRENT_USER, L"ChannelSearchKind", L"*", c.number);
    } else {
      Policy(HKEY_CURRENT_USER, L"ChannelSearchKind", L"*", c.text);
    }
    const LoaderSettings settings = Resolve();
    EXPECT_EQ(settings.channelSearchKind, c.kind);
    EXPECT_TRUE(settings.channelSearchKindSet);
  }
}

TEST_F(ResolveLoaderSettingsTest, FlagPolicyOfAnotherTypeIsNoResult) {
  ASSERT_EQ(SetRegistryQword(HKEY_LOCAL_MACHINE, PolicyKey(L"ChannelSearchKind"), kExeFileName, 1),
            ERROR_SUCCESS);
  PolicyDword(HKEY_LOCAL_MACHINE, L"ChannelSearchKind", L"*", 1);
  EXPECT_EQ(Resolve().channelSearchKind, 1);  // from "*", after the QWORD gave nothing
  ASSERT_EQ(DeleteRegistryValue(HKEY_LOCAL_MACHINE, PolicyKey(L"ChannelSearchKind"), L"*"),
            ERROR_SUCCESS);
  EXPECT_FALSE(Resolve().channelSearchKindSet);
}

TEST_F(ResolveLoaderSettingsTest, EmptyOrNonTextChannelPolicyFallsToTheNextValue) {
  Policy(HKEY_LOCAL_MACHINE, L"ReleaseChannels", L"", L"");
  PolicyDword(HKEY_LOCAL_MACHINE, L"ReleaseChannels", kExeFileName, 2);
  Policy(HKEY_LOCAL_MACHINE, L"ReleaseChannels", L"*", L"2");
  const LoaderSettings settings = Resolve();
  EXPECT_EQ(settings.releaseChannels, 0b100);
  EXPECT_TRUE(settings.releaseChannelsSet);
}

TEST_F(ResolveLoaderSettingsTest, PolicyTextsAreLimitedTo259Units) {
  const std::wstring key = PolicyKey(L"BrowserExecutableFolder");
  const std::wstring longest(259, L'f');
  const std::wstring tooLong(260, L'g');
  auto raw = [&](const std::wstring& name, const std::wstring& text) {
    ASSERT_EQ(SetRegistryRaw(HKEY_LOCAL_MACHINE, key, name, REG_SZ, text.c_str(),
                             static_cast<DWORD>(text.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
  };
  Policy(HKEY_LOCAL_MACHINE, L"BrowserExecutableFolder", L"*", L"star");
  Policy(HKEY_LOCAL_MACHINE, L"BrowserExecutableFolder", kExeFileName, longest);
  EXPECT_EQ(Text(Resolve().browserExecutableFolder), longest);
  Policy(HKEY_LOCAL_MACHINE, L"BrowserExecutableFolder", kExeFileName, tooLong);
  EXPECT_EQ(Text(Resolve().browserExecutableFolder), L"star");
  // Stored without a terminator: one still fits beside 259 units, not beside 260.
  raw(kExeFileName, longest);
  EXPECT_EQ(Text(Resolve().browserExecutableFolder), longest);
  raw(kExeFileName, tooLong);
  EXPECT_EQ(Text(Resolve().browserExecutableFolder), L"star");
}

// ---- The policy root

TEST_F(ResolveLoaderSettingsTest, AbsentPolicyRootStopsLaterPolicyReads) {
  const wchar_t* folder = nullptr;
  const wchar_t* data = nullptr;
  EXPECT_FALSE(
      LookupLoaderSetting(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", L"BrowserExecutableFolder",
                          TextSetting(folder, storage_.browserExecutableFolder), true, false));
  EXPECT_FALSE(LaterRowsReadPolicies());
  // A policy that appears now is not read by the rest of this resolution...
  Policy(HKEY_CURRENT_USER, L"UserDataFolder", kExeFileName, L"late");
  EXPECT_FALSE(LookupLoaderSetting(L"WEBVIEW2_USER_DATA_FOLDER", L"UserDataFolder",
                                   TextSetting(data, storage_.userDataFolder), false, true));
  EXPECT_EQ(data, nullptr);
  // ...but the next resolution tests the root afresh.
  const LoaderSettings settings = Resolve();
  EXPECT_TRUE(LaterRowsReadPolicies());
  EXPECT_EQ(Text(settings.userDataFolder), L"late");
}

TEST_F(ResolveLoaderSettingsTest, PresentFolderVariableMarksThePolicyRootPresent) {
  const wchar_t* folder = nullptr;
  EXPECT_FALSE(
      LookupLoaderSetting(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", L"BrowserExecutableFolder",
                          TextSetting(folder, storage_.browserExecutableFolder), true, false));
  EXPECT_FALSE(LaterRowsReadPolicies());
  const ScopedEnvironment variable(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", L"v");
  EXPECT_TRUE(LookupLoaderSetting(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", L"BrowserExecutableFolder",
                                  TextSetting(folder, storage_.browserExecutableFolder), true,
                                  false));
  EXPECT_TRUE(LaterRowsReadPolicies());
  EXPECT_EQ(Text(folder), L"v");
}

TEST_F(ResolveLoaderSettingsTest, RootInEitherHiveLetsBothHivesBeRead) {
  Policy(HKEY_CURRENT_USER, L"ReleaseChannels", L"*", L"1");
  const LoaderSettings settings = Resolve();
  EXPECT_TRUE(LaterRowsReadPolicies());
  EXPECT_EQ(settings.releaseChannels, 0b10);
}

// ---- The options object

class OptionsObjectTest : public ResolveLoaderSettingsTest {
 protected:
  OptionsObjectTest() : probe_(MakeOptionsProbe()) {}
  LoaderSettings ResolveWithProbe() { return Resolve(nullptr, nullptr, probe_->AsOptions()); }
  ComPtr<OptionsProbe> probe_;
};

TEST_F(OptionsObjectTest, EdgeViewNeedsExactlySuccessAndOne) {
  probe_->edgeView = 1;
  EXPECT_TRUE(ResolveWithProbe().useEdgeView);
  probe_->edgeView = 2;
  EXPECT_FALSE(ResolveWithProbe().useEdgeView);
  probe_->edgeView = 1;
  probe_->edgeViewResult = S_FALSE;
  EXPECT_FALSE(ResolveWithProbe().useEdgeView);
  EXPECT_EQ(probe_->edgeViewCalls, 3);
  EXPECT_EQ(probe_->References(), 1);
}

TEST_F(OptionsObjectTest, EdgeViewInterfaceMissingOrNullIsNotEdgeView) {
  probe_->edgeView = 1;
  probe_->edgeViewAnswer = OptionsProbe::Answer::NoInterface;
  EXPECT_FALSE(ResolveWithProbe().useEdgeView);
  probe_->edgeViewAnswer = OptionsProbe::Answer::NullWithSuccess;
  EXPECT_FALSE(ResolveWithProbe().useEdgeView);
  EXPECT_EQ(probe_->edgeViewQueries, 2);
  EXPECT_EQ(probe_->edgeViewCalls, 0);
}

TEST_F(OptionsObjectTest, ChannelGettersFillWhatVariablesAndPoliciesLeftOpen) {
  probe_->searchKind = 1;
  probe_->releaseChannels = 0b100;
  const LoaderSettings settings = ResolveWithProbe();
  EXPECT_EQ(settings.channelSearchKind, 1);
  EXPECT_FALSE(settings.channelSearchKindSet);
  EXPECT_EQ(settings.releaseChannels, 0b100);
  EXPECT_TRUE(settings.releaseChannelsSet);
  EXPECT_EQ(probe_->References(), 1);
}

TEST_F(OptionsObjectTest, ZeroMaskAndOtherSearchKindsChangeNothing) {
  probe_->searchKind = 2;
  probe_->releaseChannels = 0;
  const LoaderSettings settings = ResolveWithProbe();
  EXPECT_EQ(settings.channelSearchKind, 0);
  EXPECT_FALSE(settings.releaseChannelsSet);
  EXPECT_EQ(probe_->searchKindCalls, 1);
  EXPECT_EQ(probe_->releaseChannelsCalls, 1);
}

TEST_F(OptionsObjectTest, FailingGettersAreIgnoredButSuccessCodesCount) {
  probe_->searchKind = 1;
  probe_->releaseChannels = 0b10;
  probe_->searchKindResult = E_FAIL;
  probe_->releaseChannelsResult = E_FAIL;
  LoaderSettings settings = ResolveWithProbe();
  EXPECT_EQ(settings.channelSearchKind, 0);
  EXPECT_FALSE(settings.releaseChannelsSet);
  probe_->searchKindResult = S_FALSE;
  probe_->releaseChannelsResult = S_FALSE;
  settings = ResolveWithProbe();
  EXPECT_EQ(settings.channelSearchKind, 1);
  EXPECT_EQ(settings.releaseChannels, 0b10);
}

TEST_F(OptionsObjectTest, VariablesForBothChannelSettingsSkipTheInterface) {
  const ScopedEnvironment channels(L"WEBVIEW2_RELEASE_CHANNELS", L"1");
  const ScopedEnvironment kind(L"WEBVIEW2_CHANNEL_SEARCH_KIND", L"0");
  probe_->searchKind = 1;
  probe_->releaseChannels = 0b100;
  const LoaderSettings settings = ResolveWithProbe();
  EXPECT_EQ(probe_->channelsQueries, 0);
  EXPECT_EQ(settings.releaseChannels, 0b10);
  EXPECT_EQ(settings.channelSearchKind, 0);
}

TEST_F(OptionsObjectTest, ReleaseChannelsVariableLeavesOnlyTheSearchKindToTheObject) {
  const ScopedEnvironment channels(L"WEBVIEW2_RELEASE_CHANNELS", L"1");
  probe_->searchKind = 1;
  probe_->releaseChannels = 0b100;
  const LoaderSettings settings = ResolveWithProbe();
  EXPECT_EQ(probe_->searchKindCalls, 1);
  EXPECT_EQ(probe_->releaseChannelsCalls, 0);
  EXPECT_EQ(settings.releaseChannels, 0b10);
  EXPECT_EQ(settings.channelSearchKind, 1);
}

TEST_F(OptionsObjectTest, MissingChannelInterfaceChangesNothing) {
  probe_->searchKind = 1;
  probe_->releaseChannels = 0b100;
  for (auto answer : {OptionsProbe::Answer::NoInterface, OptionsProbe::Answer::NullWithSuccess}) {
    probe_->channelsAnswer = answer;
    const LoaderSettings settings = ResolveWithProbe();
    EXPECT_EQ(settings.channelSearchKind, 0);
    EXPECT_FALSE(settings.releaseChannelsSet);
  }
  EXPECT_EQ(probe_->searchKindCalls, 0);
}

// ---- Resolution and search together

TEST_F(ResolveLoaderSettingsTest, ChannelListOfOnlyCommasSearchesNoRegistration) {
  const std::wstring folder = MakeRuntimeFolder(temp_.Join(L"rt\\120.0.2210.91"));
  RegisterRuntime(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, folder);
  std::wstring path;
  ASSERT_EQ(FindInstalledRuntime(Resolve(), path), S_OK);

  const ScopedEnvironment channels(L"WEBVIEW2_RELEASE_CHANNELS", L",,");
  debug_.clear();
  EXPECT_EQ(FindInstalledRuntime(Resolve(), path), static_cast<HRESULT>(0x80070002));
  EXPECT_EQ(Lines(), std::vector<std::string>{kNoInstalledRuntimeLine});
}

}  // namespace
}  // namespace mirvot::test
