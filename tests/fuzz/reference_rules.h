#pragma once
// Independent, deliberately plain restatements of the rules the core implements, written from
// the documented behaviour and not from the core's code: the fuzz targets compare the two.
// Where the core keeps a magnitude capped just above 2^31, these keep a signed 64-bit value
// clamped to the 32-bit range after every digit; where the core scans, these split.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirvot::fuzz {

struct ReferenceInteger {
  bool hasDigits = false;  // at least one digit after the white space and the sign
  std::int32_t value = 0;  // the number clamped to the int32 range; 0 without digits
  std::size_t end = 0;     // one past the last digit; 0 without digits
};

// A decimal digit as the C runtime's wide conversions take it: '0' to '9', or one of the ten
// consecutive digits of the other scripts whose zeros are listed (Arabic-Indic to fullwidth).
// Nothing for every other unit.
inline std::optional<int> ReferenceDigitValue(char16_t unit) {
  static constexpr std::array<char16_t, 18> kZeros = {
      u'0',   0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0C66,
      0x0CE6, 0x0D66, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10};
  // The last zero at or below the unit; the unit is a digit when it lies within that set.
  const auto next = std::upper_bound(kZeros.begin(), kZeros.end(), unit);
  if (next == kZeros.begin()) {
    return std::nullopt;
  }
  const char16_t zero = *(next - 1);
  if (unit - zero > 9) {
    return std::nullopt;
  }
  return unit - zero;
}

// The C runtime's base-10 wcstol/_wtoi with 32-bit long: white space (the units its iswspace
// accepts, listed as the platform's character tables give them), at most one sign, then decimal
// digits of any script above; too large a number saturates.
inline ReferenceInteger ReferenceReadInteger(std::u16string_view text) {
  constexpr std::u16string_view kSpaces =
      u" \t\n\v\f\r\u0085\u00A0\u1680\u2000\u2001\u2002\u2003\u2004\u2005\u2006\u2007\u2008"
      u"\u2009\u200A\u2028\u2029\u202F\u205F\u3000";
  std::size_t i = 0;
  while (i < text.size() && kSpaces.find(text[i]) != std::u16string_view::npos) {
    ++i;
  }
  std::int64_t sign = 1;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    sign = text[i] == u'-' ? -1 : 1;
    ++i;
  }
  const std::size_t firstDigit = i;
  std::int64_t value = 0;  // always within [INT32_MIN, INT32_MAX], so *10 cannot overflow
  while (i < text.size() && ReferenceDigitValue(text[i])) {
    value = value * 10 + sign * static_cast<std::int64_t>(*ReferenceDigitValue(text[i]));
    value = std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX);
    ++i;
  }
  if (i == firstDigit) {
    return {};
  }
  return {true, static_cast<std::int32_t>(value), i};
}

// Version text: up to four components, each read as above and kept as its unsigned 32-bit
// pattern; the next component is read only after a component with digits that stops at '.'.
// Nothing when the first component has no digits.
inline std::optional<std::array<std::uint32_t, 4>> ReferenceParseVersion(std::u16string_view text) {
  std::array<std::uint32_t, 4> components{};
  std::u16string_view rest = text;
  for (std::size_t index = 0; index < components.size(); ++index) {
    const ReferenceInteger read = ReferenceReadInteger(rest);
    if (!read.hasDigits) {
      if (index == 0) {
        return std::nullopt;
      }
      break;
    }
    components[index] = static_cast<std::uint32_t>(read.value);
    if (read.end == rest.size() || rest[read.end] != u'.') {
      break;
    }
    rest.remove_prefix(read.end + 1);
  }
  return components;
}

inline std::int32_t ReferenceChannelBit(std::int32_t number) {
  switch (number) {
    case 0:
      return 0x01;
    case 1:
      return 0x02;
    case 2:
      return 0x04;
    case 3:
      return 0x08;
    case 4:
      return 0x10;
    default:
      return 0x01;  // anything else means Stable
  }
}

// The text up to its first NUL (all of it when it has none).
inline std::u16string_view UpToFirstNul(std::u16string_view text) {
  return text.substr(0, text.find(u'\0'));
}

inline std::vector<std::u16string_view> SplitAt(std::u16string_view text, char16_t separator) {
  std::vector<std::u16string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == separator) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

// The channel mask of a comma-separated list: the OR of the bits of its non-empty items.
inline std::int32_t ReferenceChannelMask(std::u16string_view text) {
  std::int32_t mask = 0;
  for (const std::u16string_view item : SplitAt(UpToFirstNul(text), u',')) {
    if (!item.empty()) {
      mask |= ReferenceChannelBit(ReferenceReadInteger(item).value);
    }
  }
  return mask;
}

inline bool IsAsciiLetter(char16_t unit) {
  return (unit | 0x20) >= u'a' && (unit | 0x20) <= u'z' && unit < 0x80;
}

// Absolute folder: "X:\..." with an ASCII drive letter, or anything starting with two
// backslashes, in either case at least three units long.
inline bool ReferenceIsAbsoluteFolder(std::u16string_view folder) {
  if (folder.size() < 3) {
    return false;
  }
  if (folder.starts_with(u"\\\\")) {
    return true;
  }
  return IsAsciiLetter(folder[0]) && folder.substr(1, 2) == u":\\";
}

inline std::u16string AsciiUpperCopy(std::u16string_view text) {
  std::u16string upper(text);
  for (char16_t& unit : upper) {
    if (unit >= u'a' && unit <= u'z') {
      unit = static_cast<char16_t>(unit - 0x20);
    }
  }
  return upper;
}

// Whether a component of a plain path would name a device instead of a file.
inline bool ReferenceIsDeviceName(std::u16string_view component) {
  std::u16string base = AsciiUpperCopy(component.substr(0, component.find(u'.')));
  base.erase(base.find_last_not_of(u' ') + 1);  // npos + 1 == 0 erases everything
  static const std::u16string_view kFixed[] = {u"CON", u"PRN",    u"AUX",
                                               u"NUL", u"CONIN$", u"CONOUT$"};
  if (std::find(std::begin(kFixed), std::end(kFixed), base) != std::end(kFixed)) {
    return true;
  }
  if (base.size() != 4 || (!base.starts_with(u"COM") && !base.starts_with(u"LPT"))) {
    return false;
  }
  constexpr std::u16string_view kNumbers = u"0123456789\u00B9\u00B2\u00B3";
  return kNumbers.find(base[3]) != std::u16string_view::npos;
}

// The download path rule: \\?\X:\ followed by components that a plain path would take the
// same way loses its prefix; every other path stays exactly as it is.
inline std::u16string ReferenceNormalizeDownloadPath(std::u16string_view path) {
  const std::u16string unchanged(path);
  if (path.size() < 6 || !path.starts_with(u"\\\\?\\") || !IsAsciiLetter(path[4]) ||
      path[5] != u':') {
    return unchanged;
  }
  const std::u16string_view plain = path.substr(4);
  if (plain.size() >= 260 || plain.size() < 3 || plain[2] != u'\\' ||
      plain.find(u'/') != std::u16string_view::npos) {
    return unchanged;
  }
  const std::u16string_view rest = plain.substr(3);
  if (rest.empty()) {
    return std::u16string(plain);
  }
  constexpr std::u16string_view kForbidden = u"<>:\"|?*";
  for (const std::u16string_view component : SplitAt(rest, u'\\')) {
    if (component.empty() || component == u"." || component == u".." || component.ends_with(u'.') ||
        component.ends_with(u' ') || ReferenceIsDeviceName(component)) {
      return unchanged;
    }
    for (const char16_t unit : component) {
      if (unit < 0x20 || kForbidden.find(unit) != std::u16string_view::npos) {
        return unchanged;
      }
    }
  }
  return std::u16string(plain);
}

}  // namespace mirvot::fuzz
