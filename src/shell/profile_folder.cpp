#include "shell/profile_folder.h"

#include <windows.h>

#include "common/wide_text.h"
#include "shell/core/profile_folder_path.h"

namespace mirvot {
namespace {

// A variable's value of any length; nothing when it is not set. A set but empty variable gives
// an empty text.
std::optional<std::wstring> ReadEnvironmentVariable(const wchar_t* name) {
  std::wstring value(256, L'\0');
  for (;;) {
    ::SetLastError(ERROR_SUCCESS);
    const DWORD result =
        ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (result == 0) {
      if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        return std::nullopt;
      }
      return std::wstring();
    }
    if (result < value.size()) {
      value.resize(result);
      return value;
    }
    // Too small: the result is the size needed with the terminator. The value may grow between
    // the two calls, so ask again until it fits.
    value.resize(result);
  }
}

}  // namespace

std::optional<std::wstring> profile_folder() {
  const std::optional<std::wstring> localAppData = ReadEnvironmentVariable(L"LOCALAPPDATA");
  const std::optional<std::u16string> folder =
      localAppData ? JoinProfileFolder(AsUtf16(*localAppData)) : JoinProfileFolder(std::nullopt);
  if (!folder) {
    return std::nullopt;
  }
  return ToWideString(*folder);
}

}  // namespace mirvot
