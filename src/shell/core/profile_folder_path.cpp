#include "shell/core/profile_folder_path.h"

namespace mirvot {
namespace {

bool is_bare_drive_designator(std::u16string_view path) noexcept {
  if (path.size() != 2 || path[1] != u':') {
    return false;
  }
  const char16_t letter = path[0];
  return (letter >= u'A' && letter <= u'Z') || (letter >= u'a' && letter <= u'z');
}

}  // namespace

void append_path_component(std::u16string& path, std::u16string_view component) {
  const bool needsSeparator = !path.empty() && path.back() != u'\\' && path.back() != u'/' &&
                              !is_bare_drive_designator(path);
  if (needsSeparator) {
    path.push_back(u'\\');
  }
  path.append(component);
}

std::optional<std::u16string> join_profile_folder(std::optional<std::u16string_view> localAppData) {
  if (!localAppData) {
    return std::nullopt;
  }
  std::u16string folder(*localAppData);
  append_path_component(folder, kProfileFolderApplicationName);
  append_path_component(folder, kProfileFolderEngineName);
  return folder;
}

}  // namespace mirvot
