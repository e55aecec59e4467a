#pragma once
// Seeding the test prefix's registry. Every key a test creates is deleted again by the
// ScopedRegistryTree that created it, so no test depends on another's leftovers.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mirvot::test {

enum class RegistryView { Default, Wow64_32, Wow64_64 };

REGSAM ViewFlag(RegistryView view);

// Writes create the key (and its parents) when missing. Each returns the Win32 error.
LONG SetRegistryString(HKEY hive, const std::wstring& key, const std::wstring& name,
                       const std::wstring& value, RegistryView view = RegistryView::Default);
LONG SetRegistryExpandString(HKEY hive, const std::wstring& key, const std::wstring& name,
                             const std::wstring& value, RegistryView view = RegistryView::Default);
LONG SetRegistryMultiString(HKEY hive, const std::wstring& key, const std::wstring& name,
                            const std::vector<std::wstring>& values,
                            RegistryView view = RegistryView::Default);
LONG SetRegistryDword(HKEY hive, const std::wstring& key, const std::wstring& name, DWORD value,
                      RegistryView view = RegistryView::Default);
LONG SetRegistryQword(HKEY hive, const std::wstring& key, const std::wstring& name,
                      std::uint64_t value, RegistryView view = RegistryView::Default);
// Any type with raw bytes, for values that are malformed on purpose (no terminator, odd size).
LONG SetRegistryRaw(HKEY hive, const std::wstring& key, const std::wstring& name, DWORD type,
                    const void* data, DWORD size, RegistryView view = RegistryView::Default);
LONG DeleteRegistryValue(HKEY hive, const std::wstring& key, const std::wstring& name,
                         RegistryView view = RegistryView::Default);
// Deletes the key and everything below it; a missing key is not an error.
LONG DeleteRegistryTree(HKEY hive, const std::wstring& key,
                        RegistryView view = RegistryView::Default);
bool RegistryKeyExists(HKEY hive, const std::wstring& key,
                       RegistryView view = RegistryView::Default);

// Deletes a key tree when the test is over (and before it starts, for a clean slate).
class ScopedRegistryTree {
 public:
  ScopedRegistryTree(HKEY hive, std::wstring key, RegistryView view = RegistryView::Default);
  ~ScopedRegistryTree();
  ScopedRegistryTree(const ScopedRegistryTree&) = delete;
  ScopedRegistryTree& operator=(const ScopedRegistryTree&) = delete;

 private:
  HKEY hive_;
  std::wstring key_;
  RegistryView view_;
};

// Puts a value back as it was (or deletes it, when there was none) when the test is over: for
// settings of the prefix's own that a test changes, such as the display DPI.
class ScopedRegistryValue {
 public:
  ScopedRegistryValue(HKEY hive, std::wstring key, std::wstring name);
  ~ScopedRegistryValue();
  ScopedRegistryValue(const ScopedRegistryValue&) = delete;
  ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;

 private:
  HKEY hive_;
  std::wstring key_;
  std::wstring name_;
  DWORD type_ = REG_NONE;
  std::optional<std::vector<BYTE>> saved_;
};

}  // namespace mirvot::test
