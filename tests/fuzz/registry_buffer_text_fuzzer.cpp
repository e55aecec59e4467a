// Text taken out of a fixed-size registry read buffer, whose content the registry writer
// controls (the terminator may be missing).
// Input: bytes 0-1 little-endian give the capacity (modulo 1025 units, so the 260-unit
// buffer and its neighbours are well covered); the rest, as UTF-16LE, fills a buffer of
// exactly that many units, zero-filled after the text as the reader's buffer is.
// Invariants:
//   - a result is a view at the start of the buffer, shorter than the capacity, without any
//     NUL, and followed by a NUL inside the buffer;
//   - nothing comes back exactly when the buffer holds no NUL (or the capacity is 0);
//   - a null buffer gives nothing;
//   - nothing past the buffer is read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "loader/core/registry_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirvot;
  using namespace mirvot::fuzz;
  const std::size_t capacity = ReadLittleEndianAt<std::uint16_t>(data, size, 0) % 1025u;
  const std::u16string text = size > 2 ? DecodeUtf16Le(data + 2, size - 2) : std::u16string();

  std::u16string contents = text.substr(0, capacity);
  contents.resize(capacity, u'\0');
  ExactText buffer(contents);

  const std::optional<std::u16string_view> value = TextInRegistryBuffer(buffer.data(), capacity);
  const std::size_t firstNul = contents.find(u'\0');
  MIRVOT_FUZZ_CHECK(value.has_value() == (firstNul != std::u16string::npos));
  if (value) {
    MIRVOT_FUZZ_CHECK(value->data() == buffer.data());
    MIRVOT_FUZZ_CHECK(value->size() < capacity);
    MIRVOT_FUZZ_CHECK(value->find(u'\0') == std::u16string_view::npos);
    MIRVOT_FUZZ_CHECK(buffer.data()[value->size()] == u'\0');
    MIRVOT_FUZZ_CHECK(value->size() == firstNul);
  }

  MIRVOT_FUZZ_CHECK(!TextInRegistryBuffer(nullptr, capacity).has_value());
  return 0;
}
