#include "harness/registry_seed.h"

#include <gtest/gtest.h>

#include "common/owners.h"

namespace mirvot::test {
namespace {

const wchar_t kKey[] = L"Software\\MirvotHarnessTest";

std::wstring ReadString(HKEY hive, const std::wstring& key, const std::wstring& name, REGSAM view) {
  UniqueRegistryKey opened;
  if (::RegOpenKeyExW(hive, key.c_str(), 0, KEY_READ | view, opened.put()) != ERROR_SUCCESS) {
    return L"<absent>";
  }
  wchar_t buffer[64] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  if (::RegQueryValueExW(opened.get(), name.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
    return L"<absent>";
  }
  return buffer;
}

TEST(RegistrySeed, WritesAndDeletesInBothHives) {
  for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    {
      ScopedRegistryTree tree(hive, kKey);
      ASSERT_EQ(SetRegistryString(hive, std::wstring(kKey) + L"\\Sub", L"name", L"value"),
                ERROR_SUCCESS);
      EXPECT_EQ(ReadString(hive, std::wstring(kKey) + L"\\Sub", L"name", 0), L"value");
    }
    EXPECT_FALSE(RegistryKeyExists(hive, kKey));
  }
}

TEST(RegistrySeed, The32BitViewOfMachineSoftwareIsSeparate) {
  const std::wstring key = L"Software\\MirvotHarnessView";
  ScopedRegistryTree tree32(HKEY_LOCAL_MACHINE, key, RegistryView::Wow64_32);
  ScopedRegistryTree tree64(HKEY_LOCAL_MACHINE, key, RegistryView::Wow64_64);
  ASSERT_EQ(SetRegistryString(HKEY_LOCAL_MACHINE, key, L"v", L"32", RegistryView::Wow64_32),
            ERROR_SUCCESS);
  EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, key, RegistryView::Wow64_32));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, key, RegistryView::Wow64_64));
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, key, L"v", KEY_WOW64_32KEY), L"32");
}

TEST(RegistrySeed, WritesEveryValueTypeAsGiven) {
  ScopedRegistryTree tree(HKEY_CURRENT_USER, kKey);
  ASSERT_EQ(SetRegistryDword(HKEY_CURRENT_USER, kKey, L"d", 7), ERROR_SUCCESS);
  ASSERT_EQ(SetRegistryQword(HKEY_CURRENT_USER, kKey, L"q", 1ull << 40), ERROR_SUCCESS);
  ASSERT_EQ(SetRegistryMultiString(HKEY_CURRENT_USER, kKey, L"m", {L"a", L"b"}), ERROR_SUCCESS);
  ASSERT_EQ(SetRegistryExpandString(HKEY_CURRENT_USER, kKey, L"e", L"%X%"), ERROR_SUCCESS);
  // Two units without a terminator. RegSetValueExW looks at the unit after the data and counts
  // a terminator it finds there as part of the string, so that unit must not be one.
  const wchar_t unterminated[] = {L'a', L'b', L'c'};
  ASSERT_EQ(
      SetRegistryRaw(HKEY_CURRENT_USER, kKey, L"raw", REG_SZ, unterminated, 2 * sizeof(wchar_t)),
      ERROR_SUCCESS);

  UniqueRegistryKey key;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, key.put()), ERROR_SUCCESS);
  DWORD type = 0;
  DWORD size = 0;
  ASSERT_EQ(::RegQueryValueExW(key.get(), L"q", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_QWORD));
  EXPECT_EQ(size, 8u);
  ASSERT_EQ(::RegQueryValueExW(key.get(), L"m", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(size, 10u);
  ASSERT_EQ(::RegQueryValueExW(key.get(), L"raw", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(DeleteRegistryValue(HKEY_CURRENT_USER, kKey, L"d"), ERROR_SUCCESS);
  EXPECT_NE(::RegQueryValueExW(key.get(), L"d", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
}

}  // namespace
}  // namespace mirvot::test
