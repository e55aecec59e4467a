#pragma once
// On Windows wchar_t is a UTF-16 unit, so the portable char16_t text of the core code and the
// wide text of Win32 are the same bytes; these views convert without copying.
#include <string>
#include <string_view>

#include "common/core/utf_convert.h"

namespace mirvot {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

inline std::u16string_view AsUtf16(std::wstring_view text) noexcept {
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

inline std::wstring_view AsWide(std::u16string_view text) noexcept {
  return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

inline std::wstring ToWideString(std::u16string_view text) { return std::wstring(AsWide(text)); }

inline std::wstring Utf8ToWide(std::string_view text) { return ToWideString(Utf8ToUtf16(text)); }

inline std::string WideToUtf8(std::wstring_view text) { return Utf16ToUtf8(AsUtf16(text)); }

}  // namespace mirvot
