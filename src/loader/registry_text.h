#pragma once
// Registry values are read into zero-filled buffers of a fixed size; their text is what comes
// before the first NUL inside the buffer. A value that filled the buffer without a terminator
// has no NUL there and counts as absent, so nothing is ever read past the buffer.
#include <optional>
#include <string>

#include "common/wide_text.h"
#include "loader/core/folder_rules.h"

namespace mirvot {

inline std::optional<std::wstring> TextInRegistryValueBuffer(const wchar_t* buffer) {
  const std::optional<std::u16string_view> text =
      TextInRegistryBuffer(reinterpret_cast<const char16_t*>(buffer), kRegistryValueBufferUnits);
  if (!text) {
    return std::nullopt;
  }
  return ToWideString(*text);
}

}  // namespace mirvot
