#include "common/environment_variable.h"

#include <windows.h>

namespace mirvot {

std::optional<std::wstring> ReadEnvironmentVariable(const wchar_t* name) {
  // The size including the terminator; 0 when the variable is not set (a set but empty one
  // needs one unit).
  DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) {
    return std::nullopt;
  }
  for (;;) {
    std::wstring value(size, L'\0');
    ::SetLastError(ERROR_SUCCESS);
    const DWORD length = ::GetEnvironmentVariableW(name, value.data(), size);
    if (length == 0 && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
      return std::nullopt;  // removed since it was measured
    }
    if (length < size) {
      value.resize(length);
      return value;
    }
    size = length;  // grew since it was measured
  }
}

}  // namespace mirvot
