// WebView2 variables at their largest (32,766 units and the terminator) and channel lists of
// numbers the conversion cannot hold, signs, white space and non-digits, read through the real
// process environment. Every value is read whole, converted the way the platform's _wtoi converts
// it, and ends in the specified setting; a folder nobody can use ends in the not-found line that
// names it.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/test_engine_client.h"
#include "hostile/hostile_fixture.h"
#include "loader/runtime_discovery.h"

namespace mirvot::test {
namespace {

// A value of exactly kLongestVariable units: `head`, then `fill` repeated, then `tail`.
std::wstring Longest(const std::wstring& head, wchar_t fill, const std::wstring& tail = L"") {
  return head + std::wstring(kLongestVariable - head.size() - tail.size(), fill) + tail;
}

// `pattern` repeated and cut to exactly kLongestVariable units.
std::wstring LongestOf(const std::wstring& pattern) {
  std::wstring value;
  while (value.size() < kLongestVariable) {
    value += pattern;
  }
  value.resize(kLongestVariable);
  return value;
}

class LongVariableTest : public HostileTest {
 protected:
  // Sets a variable and checks that the process really holds all of it.
  void SetWhole(const wchar_t* name, const std::wstring& value) {
    SetEnvironment(name, value);
    const std::optional<std::wstring> stored = GetEnvironment(name);
    ASSERT_TRUE(stored.has_value());
    ASSERT_EQ(stored->size(), value.size());
  }

  std::vector<std::string> Pieces() const {
    std::vector<std::string> pieces;
    for (const DebugWrite& write : output_.writes()) {
      pieces.push_back(write.text);
    }
    return pieces;
  }

  // The not-found line as the debugger receives it: the loader writes the whole path as one
  // piece, and the system passes on at most kLongestDebugString units of a string.
  static std::vector<std::string> NotFoundPieces(const std::wstring& path) {
    return {kClientDllNotFound, Utf8(path.substr(0, kLongestDebugString)), "\n"};
  }
};

TEST_F(LongVariableTest, LongestBrowserFolderEndsInTheNotFoundLineNamingIt) {
  const std::wstring folder = Longest(L"C:\\", L'a');
  SetWhole(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", folder);

  EXPECT_EQ(Create(L"C:\\caller-folder"), kFileNotFound);

  const std::vector<std::string> attempt = NotFoundPieces(ClientDllIn(folder));
  std::vector<std::string> expected = attempt;
  expected.insert(expected.end(), attempt.begin(), attempt.end());
  EXPECT_EQ(Pieces(), expected);
  EXPECT_TRUE(caller_->calls.empty());
}

TEST_F(LongVariableTest, LongestRelativeBrowserFolderIsPlacedBesideTheExecutable) {
  const std::wstring folder = Longest(L"", L'r');
  SetWhole(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", folder);
  wchar_t exePath[MAX_PATH] = {};
  ASSERT_GT(::GetModuleFileNameW(nullptr, exePath, MAX_PATH), 0u);
  std::wstring exeFolder = exePath;
  exeFolder.resize(exeFolder.rfind(L'\\') + 1);

  std::wstring path;
  EXPECT_EQ(FindClientDllInFolder(Resolve().browserExecutableFolder, path), kFileNotFound);

  EXPECT_EQ(path, ClientDllIn(exeFolder + folder));
  EXPECT_EQ(Pieces(), NotFoundPieces(path));
}

TEST_F(LongVariableTest, LongestUserDataFolderReachesTheEngineUnchangedInBothAttempts) {
  const TestEngineClient engine(TestEngineDllPath(L"fixed"));
  ASSERT_TRUE(engine.valid());
  engine.Reset();
  // The first completion fails, so the retry's copy of the folder is passed on as well.
  ASSERT_TRUE(engine.SetScript("env_fail=80004005;env_fail_times=1"));
  const std::wstring profile = Longest(L"D:\\Profiles\\", L'p', L"\\end");
  SetWhole(L"WEBVIEW2_USER_DATA_FOLDER", profile);
  const std::wstring fixed = TestRuntimeFolder(L"fixed");

  ASSERT_EQ(Create(fixed.c_str(), L"C:\\caller-profile"), S_OK);
  SetEnvironment(L"WEBVIEW2_USER_DATA_FOLDER", std::nullopt);
  ASSERT_TRUE(PumpMessagesUntil([this] { return !caller_->calls.empty(); }));
  ASSERT_TRUE(engine.PumpUntilNoPendingCompletions());

  const std::string expected = "userDataFolder=\"" + Utf8(profile) + "\" ";
  int calls = 0;
  for (const std::string& line : engine.LogLines()) {
    if (line.rfind("CreateWebViewEnvironmentWithOptionsInternal unknown=", 0) == 0) {
      ++calls;
      EXPECT_NE(line.find(expected), std::string::npos);
    }
  }
  EXPECT_EQ(calls, 2);
  ASSERT_EQ(caller_->calls.size(), 1u);
  EXPECT_EQ(caller_->calls[0].errorCode, S_OK);
  engine.Reset();
}

TEST_F(LongVariableTest, ValuePastTheLargestIsCutToItAndReadAsStored) {
  // One unit more than a variable can hold: Wine stores the first 32,766 units (Windows
  // refuses to set it). The loader reads what the process holds: here the 4 at the end of the
  // value is lost with the cut, so only the leading 2 selects a channel.
  SetEnvironment(L"WEBVIEW2_RELEASE_CHANNELS",
                 L"2" + std::wstring(kLongestVariable - 1, L',') + L"4");
  const std::optional<std::wstring> stored = GetEnvironment(L"WEBVIEW2_RELEASE_CHANNELS");
  if (!stored) {
    GTEST_SKIP() << "the platform refused the value";
  }
  ASSERT_EQ(stored->size(), kLongestVariable);
  const LoaderSettings settings = Resolve();
  EXPECT_EQ(settings.releaseChannels, 0b00100);
  EXPECT_TRUE(settings.releaseChannelsSet);
}

TEST_F(LongVariableTest, LongestReleaseChannelListsAreReadWhole) {
  const struct {
    const char* what;
    std::wstring list;
    std::int32_t mask;
  } cases[] = {
      {"1,3 repeated", LongestOf(L"1,3,"), 0b01010},
      {"one number of 32767 digits", Longest(L"", L'1'), 0b00001},
      {"white space, then 4", Longest(L"", L' ', L"4"), 0b10000},
      {"digits, then a last item 2", Longest(L"", L'9', L",2"), 0b00101},
      {"only commas", Longest(L"", L','), 0},
      {"only white space", Longest(L"", L' '), 0b00001},
      {"2, then commas", Longest(L"2", L','), 0b00100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetWhole(L"WEBVIEW2_RELEASE_CHANNELS", c.list);
    const LoaderSettings settings = Resolve();
    EXPECT_EQ(settings.releaseChannels, c.mask);
    EXPECT_TRUE(settings.releaseChannelsSet);
  }
}

TEST_F(LongVariableTest, LongestCommaListSearchesNothingEvenWithARegistration) {
  RegisterText(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable,
               temp_.Join(L"Application\\120.0.2210.91"));
  SetWhole(L"WEBVIEW2_RELEASE_CHANNELS", Longest(L"", L','));
  EXPECT_EQ(Create(nullptr), kFileNotFound);
  EXPECT_EQ(Lines(), (std::vector<std::string>{kNoInstalledRuntimeLine, kNoInstalledRuntimeLine}));
}

TEST_F(LongVariableTest, LongestSearchKindValuesReadAsTheirNumber) {
  const struct {
    const char* what;
    std::wstring value;
    std::int32_t kind;
  } cases[] = {
      {"zeros, then 1", Longest(L"", L'0', L"1"), 1},
      {"1, then white space", Longest(L"1", L' '), 1},
      {"white space, then 1", Longest(L"", L'\t', L"1"), 1},
      {"1 repeated (out of range)", Longest(L"", L'1'), 0},
      {"only white space", Longest(L"", L' '), 0},
      {"minus, then zeros and 1", Longest(L"-", L'0', L"1"), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetWhole(L"WEBVIEW2_CHANNEL_SEARCH_KIND", c.value);
    const LoaderSettings settings = Resolve();
    EXPECT_EQ(settings.channelSearchKind, c.kind);
    EXPECT_TRUE(settings.channelSearchKindSet);
  }
}

TEST_F(LongVariableTest, LongestPreferenceIsReadWhenTheSearchKindIsAbsent) {
  SetWhole(L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", Longest(L"", L'0', L"1"));
  const LoaderSettings settings = Resolve();
  EXPECT_EQ(settings.channelSearchKind, 1);
  EXPECT_TRUE(settings.channelSearchKindSet);
}

TEST_F(LongVariableTest, LongestEdgeViewValueStartingWithOneIsNotEdgeView) {
  SetWhole(L"WEBVIEW2_USE_EDGE_VIEW", Longest(L"1", L' '));
  EXPECT_FALSE(Resolve().useEdgeView);
}

// Channel numbers the conversion cannot hold saturate as the platform's _wtoi does and, being
// no channel number, select Stable; so do negative numbers and non-digits. Digits of other
// scripts are digits, as they are to the platform.
TEST(ChannelNumberTest, OutOfRangeNegativeAndNonDigitItemsSelectStable) {
  const ScopedEnvironment clean(L"WEBVIEW2_RELEASE_CHANNELS", std::nullopt);
  const struct {
    const wchar_t* list;
    std::int32_t mask;
  } cases[] = {
      {L"99999999999", 0b00001}, {L"-1", 0b00001},         {L"-2147483649", 0b00001},
      {L"4294967297", 0b00001},  {L"4294967300", 0b00001}, {L"2147483647", 0b00001},
      {L"-2147483648", 0b00001}, {L"abc", 0b00001},        {L"0x4", 0b00001},
      {L"\t2", 0b00100},         {L"2 ", 0b00100},         {L" +3 ", 0b01000},
      {L"1.9", 0b00010},         {L"3,-0", 0b01001},       {L"4,99999999999,2", 0b10101},
      {L"--1", 0b00001},         {L" ", 0b00001},          {L"\x0663", 0b01000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.list));
    SetEnvironment(L"WEBVIEW2_RELEASE_CHANNELS", std::wstring(c.list));
    LoaderSettings settings;
    ResolvedTextStorage storage;
    ResolveLoaderSettings(settings, storage);
    EXPECT_EQ(settings.releaseChannels, c.mask);
    EXPECT_TRUE(settings.releaseChannelsSet);
  }
}

}  // namespace
}  // namespace mirvot::test
