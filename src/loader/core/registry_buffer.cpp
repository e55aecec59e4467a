#include "loader/core/registry_buffer.h"

#include <string>

namespace mirvot {

std::optional<std::u16string_view> TextInRegistryBuffer(const char16_t* data,
                                                        std::size_t capacityUnits) noexcept {
  if (data == nullptr || capacityUnits == 0) {
    return std::nullopt;
  }
  const char16_t* terminator = std::char_traits<char16_t>::find(data, capacityUnits, u'\0');
  if (terminator == nullptr) {
    return std::nullopt;
  }
  return std::u16string_view(data, static_cast<std::size_t>(terminator - data));
}

}  // namespace mirvot
