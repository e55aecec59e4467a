#pragma once
// Text taken out of the fixed-size buffers that registry values are read into.
#include <cstddef>
#include <optional>
#include <string_view>

namespace mirvot {

// Registry values are read into 520 bytes: 260 UTF-16 units including the terminator.
inline constexpr std::size_t kRegistryValueBufferUnits = 260;

// The text held in a zero-filled registry read buffer of `capacityUnits` UTF-16 units: the
// units before the first NUL. The search never goes past the buffer. A buffer without any
// NUL (a value that filled the buffer and so did not fit together with its terminator, or a
// value stored without one) yields nothing: such a value counts as absent rather than being
// taken in truncated form. A null buffer or a capacity of 0 yields nothing as well.
[[nodiscard]] std::optional<std::u16string_view> TextInRegistryBuffer(
    const char16_t* data, std::size_t capacityUnits) noexcept;

}  // namespace mirvot
