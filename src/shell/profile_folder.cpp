#include "shell/profile_folder.h"

#include "common/environment_variable.h"
#include "common/wide_text.h"
#include "shell/core/profile_folder_path.h"

namespace mirvot {

std::optional<std::wstring> profile_folder() {
  const std::optional<std::wstring> localAppData = ReadEnvironmentVariable(L"LOCALAPPDATA");
  const std::optional<std::u16string> folder = localAppData
                                                   ? join_profile_folder(AsUtf16(*localAppData))
                                                   : join_profile_folder(std::nullopt);
  if (!folder) {
    return std::nullopt;
  }
  return ToWideString(*folder);
}

}  // namespace mirvot
