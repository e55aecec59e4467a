#include "common/owners.h"

#include <gtest/gtest.h>

namespace mirvot {
namespace {

bool IsOpenHandle(HANDLE handle) {
  DWORD flags = 0;
  return ::GetHandleInformation(handle, &flags) != FALSE;
}

TEST(UniqueHandle, ClosesOnDestructionAndOnReset) {
  HANDLE raw = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(raw, nullptr);
  {
    UniqueHandle owner(raw);
    EXPECT_TRUE(owner.valid());
    EXPECT_TRUE(IsOpenHandle(raw));
  }
  EXPECT_FALSE(IsOpenHandle(raw));
}

TEST(UniqueHandle, MoveTransfersOwnershipAndReleaseGivesItUp) {
  UniqueHandle first(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const HANDLE raw = first.get();
  UniqueHandle second(std::move(first));
  EXPECT_FALSE(first.valid());
  EXPECT_EQ(second.get(), raw);
  const HANDLE released = second.release();
  EXPECT_FALSE(second.valid());
  EXPECT_TRUE(IsOpenHandle(released));
  ::CloseHandle(released);
}

TEST(UniqueFileHandle, InvalidHandleValueIsEmpty) {
  UniqueFileHandle file(::CreateFileW(L"Z:\\no\\such\\file", GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_FALSE(file.valid());
  EXPECT_EQ(file.get(), INVALID_HANDLE_VALUE);
}

TEST(UniqueRegistryKey, PutResetsAndReceivesANewKey) {
  UniqueRegistryKey key;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  EXPECT_TRUE(key.valid());
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  EXPECT_TRUE(key.valid());
  key.reset();
  EXPECT_FALSE(key.valid());
}

TEST(UniqueModule, FreesItsReference) {
  // A module loaded only through the owner goes away with it.
  const wchar_t* name = L"winspool.drv";
  ASSERT_EQ(::GetModuleHandleW(name), nullptr);
  {
    UniqueModule module(::LoadLibraryW(name));
    ASSERT_TRUE(module.valid());
    EXPECT_NE(::GetModuleHandleW(name), nullptr);
  }
  EXPECT_EQ(::GetModuleHandleW(name), nullptr);
}

}  // namespace
}  // namespace mirvot
