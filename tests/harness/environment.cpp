#include "harness/environment.h"

#include <windows.h>

#include <vector>

namespace mirvot::test {

std::optional<std::wstring> GetEnvironment(const std::wstring& name) {
  const DWORD needed = ::GetEnvironmentVariableW(name.c_str(), nullptr, 0);
  if (needed == 0) {
    if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
      return std::nullopt;
    }
    return std::wstring();
  }
  std::vector<wchar_t> buffer(needed);
  const DWORD length = ::GetEnvironmentVariableW(name.c_str(), buffer.data(), needed);
  return std::wstring(buffer.data(), length);
}

void SetEnvironment(const std::wstring& name, const std::optional<std::wstring>& value) {
  ::SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
}

ScopedEnvironment::ScopedEnvironment(std::wstring name, const std::optional<std::wstring>& value)
    : name_(std::move(name)), previous_(GetEnvironment(name_)) {
  SetEnvironment(name_, value);
}

ScopedEnvironment::~ScopedEnvironment() { SetEnvironment(name_, previous_); }

}  // namespace mirvot::test
