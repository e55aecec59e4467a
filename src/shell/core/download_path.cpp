#include "shell/core/download_path.h"

#include <array>
#include <cstddef>

namespace mirvot {
namespace {

constexpr std::u16string_view kLongPathPrefix = u"\\\\?\\";
// A plain path must fit MAX_PATH (260 units) together with its terminator.
constexpr std::size_t kMaxPlainPathUnits = 259;

constexpr bool is_ascii_letter(char16_t unit) noexcept {
  return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z');
}

constexpr char16_t ascii_upper(char16_t unit) noexcept {
  return (unit >= u'a' && unit <= u'z') ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

bool equals_ascii_caseless(std::u16string_view text, std::u16string_view upperName) noexcept {
  if (text.size() != upperName.size()) {
    return false;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (ascii_upper(text[i]) != upperName[i]) {
      return false;
    }
  }
  return true;
}

constexpr bool is_forbidden_unit(char16_t unit) noexcept {
  switch (unit) {
    case u'<':
    case u'>':
    case u':':
    case u'"':
    case u'|':
    case u'?':
    case u'*':
      return true;
    default:
      return unit < 0x20;
  }
}

bool is_reserved_device_name(std::u16string_view component) noexcept {
  std::u16string_view base = component.substr(0, component.find(u'.'));
  while (!base.empty() && base.back() == u' ') {
    base.remove_suffix(1);
  }
  constexpr std::array<std::u16string_view, 6> kNames = {u"CON", u"PRN",    u"AUX",
                                                         u"NUL", u"CONIN$", u"CONOUT$"};
  for (const std::u16string_view name : kNames) {
    if (equals_ascii_caseless(base, name)) {
      return true;
    }
  }
  // COMn and LPTn, with a decimal digit or a superscript one, two or three.
  if (base.size() == 4 && (equals_ascii_caseless(base.substr(0, 3), u"COM") ||
                           equals_ascii_caseless(base.substr(0, 3), u"LPT"))) {
    const char16_t number = base[3];
    return (number >= u'0' && number <= u'9') || number == u'\u00B9' || number == u'\u00B2' ||
           number == u'\u00B3';
  }
  return false;
}

bool is_plain_safe_component(std::u16string_view component) noexcept {
  if (component.empty() || component == u"." || component == u"..") {
    return false;
  }
  if (component.back() == u'.' || component.back() == u' ') {
    return false;
  }
  for (const char16_t unit : component) {
    if (is_forbidden_unit(unit)) {
      return false;
    }
  }
  return !is_reserved_device_name(component);
}

// Whether the plain form ("X:\...") names the same file as the long-path form it came from.
bool is_plain_safe(std::u16string_view plain) noexcept {
  if (plain.size() < 3 || plain[2] != u'\\' || plain.size() > kMaxPlainPathUnits ||
      plain.find(u'/') != std::u16string_view::npos) {
    return false;
  }
  std::u16string_view rest = plain.substr(3);
  if (rest.empty()) {
    return true;  // the drive root
  }
  while (true) {
    const std::size_t slash = rest.find(u'\\');
    if (!is_plain_safe_component(rest.substr(0, slash))) {
      return false;
    }
    if (slash == std::u16string_view::npos) {
      return true;
    }
    rest = rest.substr(slash + 1);
  }
}

}  // namespace

std::u16string normalize_download_path(std::u16string_view path) {
  const std::size_t prefixLength = kLongPathPrefix.size();
  const bool hasDrivePrefix = path.size() >= prefixLength + 2 &&
                              path.substr(0, prefixLength) == kLongPathPrefix &&
                              is_ascii_letter(path[prefixLength]) && path[prefixLength + 1] == u':';
  if (!hasDrivePrefix) {
    return std::u16string(path);
  }
  const std::u16string_view plain = path.substr(prefixLength);
  return std::u16string(is_plain_safe(plain) ? plain : path);
}

}  // namespace mirvot
