#include "loader/core/runtime_version.h"

#include "loader/core/crt_integer.h"

namespace mirvot {

bool ParseRuntimeVersion(std::u16string_view text, RuntimeVersion& out) noexcept {
  std::uint32_t components[4] = {0, 0, 0, 0};
  std::size_t position = 0;
  for (int index = 0; index < 4; ++index) {
    const CrtIntegerRead read = ReadCrtInteger(text.substr(position));
    if (!read.consumed) {
      if (index == 0) {
        return false;
      }
      break;
    }
    components[index] = static_cast<std::uint32_t>(read.value);
    const std::size_t stop = position + read.end;
    if (stop >= text.size() || text[stop] != u'.') {
      break;
    }
    position = stop + 1;
  }
  out = RuntimeVersion{components[0], components[1], components[2], components[3]};
  return true;
}

}  // namespace mirvot
