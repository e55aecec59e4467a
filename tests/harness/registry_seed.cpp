#include "harness/registry_seed.h"

#include <utility>

#include "common/owners.h"

namespace mirvot::test {

REGSAM ViewFlag(RegistryView view) {
  switch (view) {
    case RegistryView::Wow64_32:
      return KEY_WOW64_32KEY;
    case RegistryView::Wow64_64:
      return KEY_WOW64_64KEY;
    case RegistryView::Default:
      break;
  }
  return 0;
}

LONG SetRegistryRaw(HKEY hive, const std::wstring& key, const std::wstring& name, DWORD type,
                    const void* data, DWORD size, RegistryView view) {
  UniqueRegistryKey opened;
  LONG error = ::RegCreateKeyExW(hive, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | ViewFlag(view),
                                 nullptr, opened.put(), nullptr);
  if (error != ERROR_SUCCESS) {
    return error;
  }
  return ::RegSetValueExW(opened.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                          size);
}

namespace {

LONG SetStringOfType(HKEY hive, const std::wstring& key, const std::wstring& name, DWORD type,
                     const std::wstring& value, RegistryView view) {
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return SetRegistryRaw(hive, key, name, type, value.c_str(), bytes, view);
}

}  // namespace

LONG SetRegistryString(HKEY hive, const std::wstring& key, const std::wstring& name,
                       const std::wstring& value, RegistryView view) {
  return SetStringOfType(hive, key, name, REG_SZ, value, view);
}

LONG SetRegistryExpandString(HKEY hive, const std::wstring& key, const std::wstring& name,
                             const std::wstring& value, RegistryView view) {
  return SetStringOfType(hive, key, name, REG_EXPAND_SZ, value, view);
}

LONG SetRegistryMultiString(HKEY hive, const std::wstring& key, const std::wstring& name,
                            const std::vector<std::wstring>& values, RegistryView view) {
  std::wstring joined;
  for (const std::wstring& v : values) {
    joined += v;
    joined.push_back(L'\0');
  }
  joined.push_back(L'\0');
  return SetRegistryRaw(hive, key, name, REG_MULTI_SZ, joined.data(),
                        static_cast<DWORD>(joined.size() * sizeof(wchar_t)), view);
}

LONG SetRegistryDword(HKEY hive, const std::wstring& key, const std::wstring& name, DWORD value,
                      RegistryView view) {
  return SetRegistryRaw(hive, key, name, REG_DWORD, &value, sizeof(value), view);
}

LONG SetRegistryQword(HKEY hive, const std::wstring& key, const std::wstring& name,
                      std::uint64_t value, RegistryView view) {
  return SetRegistryRaw(hive, key, name, REG_QWORD, &value, sizeof(value), view);
}

LONG DeleteRegistryValue(HKEY hive, const std::wstring& key, const std::wstring& name,
                         RegistryView view) {
  UniqueRegistryKey opened;
  LONG error = ::RegOpenKeyExW(hive, key.c_str(), 0, KEY_SET_VALUE | ViewFlag(view), opened.put());
  if (error != ERROR_SUCCESS) {
    return error;
  }
  return ::RegDeleteValueW(opened.get(), name.c_str());
}

LONG DeleteRegistryTree(HKEY hive, const std::wstring& key, RegistryView view) {
  UniqueRegistryKey opened;
  LONG error = ::RegOpenKeyExW(hive, key.c_str(), 0, KEY_ALL_ACCESS | ViewFlag(view), opened.put());
  if (error == ERROR_FILE_NOT_FOUND) {
    return ERROR_SUCCESS;
  }
  if (error != ERROR_SUCCESS) {
    return error;
  }
  error = ::RegDeleteTreeW(opened.get(), nullptr);
  opened.reset();
  if (error != ERROR_SUCCESS) {
    return error;
  }
  error = ::RegDeleteKeyExW(hive, key.c_str(), ViewFlag(view), 0);
  return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}

bool RegistryKeyExists(HKEY hive, const std::wstring& key, RegistryView view) {
  UniqueRegistryKey opened;
  return ::RegOpenKeyExW(hive, key.c_str(), 0, KEY_READ | ViewFlag(view), opened.put()) ==
         ERROR_SUCCESS;
}

ScopedRegistryTree::ScopedRegistryTree(HKEY hive, std::wstring key, RegistryView view)
    : hive_(hive), key_(std::move(key)), view_(view) {
  DeleteRegistryTree(hive_, key_, view_);
}

ScopedRegistryTree::~ScopedRegistryTree() { DeleteRegistryTree(hive_, key_, view_); }

ScopedRegistryValue::ScopedRegistryValue(HKEY hive, std::wstring key, std::wstring name)
    : hive_(hive), key_(std::move(key)), name_(std::move(name)) {
  constexpr DWORD kAsStored = RRF_RT_ANY | RRF_NOEXPAND;
  DWORD size = 0;
  if (::RegGetValueW(hive_, key_.c_str(), name_.c_str(), kAsStored, &type_, nullptr, &size) !=
      ERROR_SUCCESS) {
    return;
  }
  std::vector<BYTE> bytes(size);
  if (::RegGetValueW(hive_, key_.c_str(), name_.c_str(), kAsStored, &type_, bytes.data(), &size) ==
      ERROR_SUCCESS) {
    bytes.resize(size);
    saved_ = std::move(bytes);
  }
}

ScopedRegistryValue::~ScopedRegistryValue() {
  if (saved_) {
    SetRegistryRaw(hive_, key_, name_, type_, saved_->data(), static_cast<DWORD>(saved_->size()));
  } else {
    DeleteRegistryValue(hive_, key_, name_);
  }
}

}  // namespace mirvot::test
