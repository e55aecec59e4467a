#include "loader/core/folder_rules.h"

namespace mirvot {
namespace {

constexpr bool IsAsciiLetter(char16_t unit) noexcept {
  return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z');
}

}  // namespace

bool IsAbsoluteFolder(std::u16string_view folder) noexcept {
  if (folder.size() < 3) {
    return false;
  }
  const bool driveRooted = IsAsciiLetter(folder[0]) && folder[1] == u':' && folder[2] == u'\\';
  const bool doubleBackslash = folder[0] == u'\\' && folder[1] == u'\\';
  return driveRooted || doubleBackslash;
}

std::u16string_view ExeFileName(std::u16string_view exePath) noexcept {
  const std::size_t slash = exePath.rfind(u'\\');
  return slash == std::u16string_view::npos ? exePath : exePath.substr(slash + 1);
}

std::optional<std::u16string> ResolveFolderAgainstExe(std::u16string_view exePath,
                                                      std::u16string_view relativeFolder) {
  const std::size_t slash = exePath.rfind(u'\\');
  if (slash == std::u16string_view::npos) {
    return std::nullopt;
  }
  std::u16string folder(exePath.substr(0, slash + 1));
  folder.append(relativeFolder);
  return folder;
}

std::u16string ClientDllPathIn(std::u16string_view folder) {
  std::u16string path(folder);
  path.push_back(u'\\');
  path.append(kClientDllRelativePath);
  return path;
}

std::optional<std::u16string_view> RuntimeVersionText(std::u16string_view folder) noexcept {
  const std::size_t slash = folder.rfind(u'\\');
  if (slash == std::u16string_view::npos) {
    return std::nullopt;
  }
  return folder.substr(slash + 1);
}

}  // namespace mirvot
