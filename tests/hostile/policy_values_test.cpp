// Policy values of the wrong type and at and past the 520-byte buffer, for the three forms a
// policy takes (text, channel list, flag). The reads are RegGetValueW restricted to REG_SZ (and
// to REG_DWORD first for flags): any other type counts as absent and the next value name is
// tried, except REG_EXPAND_SZ, which RegGetValueW expands and hands over as REG_SZ.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hostile/hostile_fixture.h"

namespace mirvot::test {
namespace {

// Raw bytes of a text, with or without its terminator.
std::vector<BYTE> Bytes(const std::wstring& text, bool terminated) {
  const auto* first = reinterpret_cast<const BYTE*>(text.c_str());
  return std::vector<BYTE>(first, first + (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
}

class PolicyValueTest : public HostileTest {
 protected:
  // The value named after this program (tried before "*").
  void Own(const wchar_t* policy, DWORD type, const std::vector<BYTE>& bytes) {
    ASSERT_EQ(SetRegistryRaw(HKEY_LOCAL_MACHINE, PolicyKey(policy), kExeFileName, type,
                             bytes.data(), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }
  void OwnText(const wchar_t* policy, DWORD type, const std::wstring& text) {
    Own(policy, type, Bytes(text, true));
  }
  void Star(const wchar_t* policy, const std::wstring& text) {
    ASSERT_EQ(SetRegistryString(HKEY_LOCAL_MACHINE, PolicyKey(policy), L"*", text), ERROR_SUCCESS);
  }
  static std::wstring Text(const wchar_t* text) { return text == nullptr ? L"<null>" : text; }
};

struct TypedValue {
  const char* what;
  DWORD type;
  std::vector<BYTE> bytes;
};

// Values of the four other types, each holding what would be a valid value as text.
std::vector<TypedValue> OtherTypesHolding(const std::wstring& text) {
  std::vector<BYTE> multi = Bytes(text, true);
  multi.push_back(0);
  multi.push_back(0);
  const DWORD number = 1;
  const ULONGLONG wide = 1;
  const auto* numberBytes = reinterpret_cast<const BYTE*>(&number);
  const auto* wideBytes = reinterpret_cast<const BYTE*>(&wide);
  return {
      {"REG_BINARY with the text's bytes", REG_BINARY, Bytes(text, true)},
      {"REG_MULTI_SZ", REG_MULTI_SZ, multi},
      {"REG_QWORD 1", REG_QWORD, std::vector<BYTE>(wideBytes, wideBytes + sizeof(wide))},
      {"REG_DWORD 1", REG_DWORD, std::vector<BYTE>(numberBytes, numberBytes + sizeof(number))},
      {"REG_DWORD_BIG_ENDIAN 1", REG_DWORD_BIG_ENDIAN, std::vector<BYTE>{0, 0, 0, 1}},
      {"REG_NONE with the text's bytes", REG_NONE, Bytes(text, true)},
  };
}

TEST_F(PolicyValueTest, TextPolicyOfAnotherTypeIsAbsent) {
  Star(L"BrowserExecutableFolder", L"C:\\star");
  for (const TypedValue& value : OtherTypesHolding(L"C:\\own")) {
    SCOPED_TRACE(value.what);
    Own(L"BrowserExecutableFolder", value.type, value.bytes);
    EXPECT_EQ(Text(Resolve().browserExecutableFolder), L"C:\\star");
  }
}

TEST_F(PolicyValueTest, ChannelListPolicyOfAnotherTypeIsAbsent) {
  Star(L"ReleaseChannels", L"3");
  for (const TypedValue& value : OtherTypesHolding(L"2")) {
    SCOPED_TRACE(value.what);
    Own(L"ReleaseChannels", value.type, value.bytes);
    EXPECT_EQ(Resolve().releaseChannels, 0b01000);
  }
}

TEST_F(PolicyValueTest, FlagPolicyOfNeitherDwordNorTextIsAbsent) {
  Star(L"ChannelSearchKind", L"0");
  for (const TypedValue& value : OtherTypesHolding(L"1")) {
    if (value.type == REG_DWORD) {
      continue;  // a DWORD is a flag's own type
    }
    SCOPED_TRACE(value.what);
    Own(L"ChannelSearchKind", value.type, value.bytes);
    const LoaderSettings settings = Resolve();
    EXPECT_EQ(settings.channelSearchKind, 0) << "the \"*\" value 0 decided";
    EXPECT_TRUE(settings.channelSearchKindSet);
  }
}

TEST_F(PolicyValueTest, ExpandableTextIsReadWithItsVariablesExpanded) {
  const ScopedEnvironment root(L"HOSTILE_POLICY_ROOT", L"C:\\Expanded");
  Star(L"BrowserExecutableFolder", L"C:\\star");
  OwnText(L"BrowserExecutableFolder", REG_EXPAND_SZ, L"%HOSTILE_POLICY_ROOT%\\rt");
  EXPECT_EQ(Text(Resolve().browserExecutableFolder), L"C:\\Expanded\\rt");

  Star(L"ReleaseChannels", L"1");
  const ScopedEnvironment channel(L"HOSTILE_POLICY_CHANNEL", L"4");
  OwnText(L"ReleaseChannels", REG_EXPAND_SZ, L"2,%HOSTILE_POLICY_CHANNEL%");
  EXPECT_EQ(Resolve().releaseChannels, 0b10100);

  OwnText(L"ChannelSearchKind", REG_EXPAND_SZ, L"%HOSTILE_POLICY_UNSET%");
  const LoaderSettings settings = Resolve();
  EXPECT_TRUE(settings.channelSearchKindSet);
  EXPECT_EQ(settings.channelSearchKind, 0) << "an unknown variable stays as written";
}

// Short values whose expansion does not fit the buffer. Under Wine these used to overwrite the
// loader's stack (the text read crashed; the flag read wrote past its DWORD).
TEST_F(PolicyValueTest, ExpansionBeyondTheBufferIsAbsent) {
  for (const std::size_t length : {260u, 300u, 519u, 520u, 521u, 2000u}) {
    SCOPED_TRACE(length);
    const ScopedEnvironment longValue(L"HOSTILE_POLICY_LONG",
                                      L"C:\\" + std::wstring(length - 3, L'x'));
    Star(L"BrowserExecutableFolder", L"C:\\star");
    OwnText(L"BrowserExecutableFolder", REG_EXPAND_SZ, L"%HOSTILE_POLICY_LONG%");
    Star(L"ReleaseChannels", L"3");
    OwnText(L"ReleaseChannels", REG_EXPAND_SZ, L"%HOSTILE_POLICY_LONG%");
    Star(L"ChannelSearchKind", L"1");
    OwnText(L"ChannelSearchKind", REG_EXPAND_SZ, L"%HOSTILE_POLICY_LONG%");

    const LoaderSettings settings = Resolve();
    EXPECT_EQ(Text(settings.browserExecutableFolder), L"C:\\star");
    EXPECT_EQ(settings.releaseChannels, 0b01000);
    EXPECT_EQ(settings.channelSearchKind, 1);
  }
}

TEST_F(PolicyValueTest, ExpansionOf259UnitsStillFits) {
  const std::wstring folder = L"C:\\" + std::wstring(256, L'y');
  const ScopedEnvironment value(L"HOSTILE_POLICY_FITS", folder);
  OwnText(L"BrowserExecutableFolder", REG_EXPAND_SZ, L"%HOSTILE_POLICY_FITS%");
  EXPECT_EQ(Text(Resolve().browserExecutableFolder), folder);
}

// What the loader's buffers allow for: RegGetValueW may write past the size it is told when it
// expands a value (Wine writes up to twice as far), but never further.
TEST(PlatformRegGetValueTest, ExpansionWritesNoFurtherThanTwiceTheToldSize) {
  const std::wstring key = L"Software\\MirvotHostileProbe";
  const ScopedRegistryTree tree(HKEY_CURRENT_USER, key);
  const ScopedEnvironment value(L"HOSTILE_PROBE_LONG", std::wstring(3000, L'z'));
  ASSERT_EQ(SetRegistryExpandString(HKEY_CURRENT_USER, key, L"v", L"%HOSTILE_PROBE_LONG%"),
            ERROR_SUCCESS);
  for (const DWORD told : {DWORD{4}, DWORD{520}}) {
    SCOPED_TRACE(told);
    std::vector<BYTE> buffer(4 * told + 64, 0xCC);
    DWORD size = told;
    const LSTATUS status =
        ::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"v",
                       told == 4 ? RRF_RT_REG_DWORD : RRF_RT_REG_SZ, nullptr, buffer.data(), &size);
    EXPECT_NE(status, ERROR_SUCCESS);
    std::size_t reach = 0;
    for (std::size_t i = 0; i < buffer.size(); ++i) {
      if (buffer[i] != 0xCC) {
        reach = i + 1;
      }
    }
    std::printf("RegGetValueW told %lu bytes wrote %zu\n", static_cast<unsigned long>(told), reach);
    EXPECT_LE(reach, 2 * static_cast<std::size_t>(told));

    // Not expanded, the value is refused as another type, and nothing is written past the
    // told size (Wine still copies a value that fits before refusing it).
    std::fill(buffer.begin(), buffer.end(), BYTE{0xCC});
    size = told;
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"v",
                             (told == 4 ? RRF_RT_REG_DWORD : RRF_RT_REG_SZ) | RRF_NOEXPAND, nullptr,
                             buffer.data(), &size),
              ERROR_UNSUPPORTED_TYPE);
    EXPECT_TRUE(
        std::all_of(buffer.begin() + told, buffer.end(), [](BYTE byte) { return byte == 0xCC; }));
  }
}

TEST_F(PolicyValueTest, TextOf259UnitsIsReadAnd260Or261AreAbsentWithOrWithoutTerminator) {
  Star(L"UserDataFolder", L"C:\\never");  // "*" is never used for this policy
  ASSERT_EQ(
      SetRegistryString(HKEY_CURRENT_USER, PolicyKey(L"UserDataFolder"), kExeFileName, L"C:\\user"),
      ERROR_SUCCESS);
  const struct {
    std::size_t units;
    bool terminated;
    bool read;
  } cases[] = {{258, false, true},  {259, true, true},  {259, false, true}, {260, true, false},
               {260, false, false}, {261, true, false}, {261, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.units) + (c.terminated ? " with" : " without") + " terminator");
    const std::wstring text = L"C:\\" + std::wstring(c.units - 3, L'u');
    Own(L"UserDataFolder", REG_SZ, Bytes(text, c.terminated));
    // A machine value that does not fit is absent, and the user's policy is read instead.
    EXPECT_EQ(Text(Resolve().userDataFolder), c.read ? text : L"C:\\user");
  }
}

TEST_F(PolicyValueTest, ChannelListAndFlagTextsAreBoundByTheSameBuffer) {
  Star(L"ReleaseChannels", L"1");
  Star(L"ChannelSearchKind", L"0");
  const std::wstring list259 = std::wstring(258, L',') + L"4";
  const std::wstring list260 = std::wstring(259, L',') + L"4";
  const std::wstring flag259 = std::wstring(258, L' ') + L"1";
  const std::wstring flag260 = std::wstring(259, L' ') + L"1";

  OwnText(L"ReleaseChannels", REG_SZ, list259);
  OwnText(L"ChannelSearchKind", REG_SZ, flag259);
  LoaderSettings settings = Resolve();
  EXPECT_EQ(settings.releaseChannels, 0b10000);
  EXPECT_EQ(settings.channelSearchKind, 1);

  OwnText(L"ReleaseChannels", REG_SZ, list260);
  OwnText(L"ChannelSearchKind", REG_SZ, flag260);
  settings = Resolve();
  EXPECT_EQ(settings.releaseChannels, 0b00010);
  EXPECT_EQ(settings.channelSearchKind, 0);
}

TEST_F(PolicyValueTest, TextEndsAtItsFirstNul) {
  OwnText(L"BrowserExecutableFolder", REG_SZ, std::wstring(L"C:\\first\0C:\\second", 18));
  OwnText(L"ReleaseChannels", REG_SZ, std::wstring(L"3\0,1", 4));
  const LoaderSettings settings = Resolve();
  EXPECT_EQ(Text(settings.browserExecutableFolder), L"C:\\first");
  EXPECT_EQ(settings.releaseChannels, 0b01000);
}

TEST_F(PolicyValueTest, OddByteLengthsAreReadWithoutGoingPastTheValue) {
  // 5 bytes: "1", then "2" without its high byte; the registry keeps the odd length.
  const std::vector<BYTE> oddList{'1', 0, ',', 0, '2'};
  Own(L"ReleaseChannels", REG_SZ, oddList);
  // 3 bytes: "1" and half a unit.
  const std::vector<BYTE> oddFlag{'1', 0, ' '};
  Own(L"ChannelSearchKind", REG_SZ, oddFlag);
  // 1 byte: no whole unit at all.
  const std::vector<BYTE> oneByte{'C'};
  Own(L"BrowserExecutableFolder", REG_SZ, oneByte);

  const LoaderSettings settings = Resolve(L"C:\\caller");
  EXPECT_EQ(settings.releaseChannels, 0b00110);
  EXPECT_EQ(settings.channelSearchKind, 1);
  EXPECT_EQ(Text(settings.browserExecutableFolder), L"C");
}

}  // namespace
}  // namespace mirvot::test
