#pragma once
// The main window's icon: the embedded PNG decoded to 8-bit RGBA, and a Win32 icon made from
// such pixels. Every failure simply means no icon; nothing is reported.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/owners.h"
#include "shell/system_pages.h"

namespace mirvot {

struct IconImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // Rows top to bottom, 4 bytes per pixel. The pixels are needed only until the window has its
  // icon; held in system pages, they leave nothing behind in the heap once they are gone.
  std::vector<std::uint8_t, SystemPageAllocator<std::uint8_t>> rgba;
};

// Decoding never produces more than this many bytes of pixels (512 MiB): a damaged or hostile
// header cannot make the program allocate more.
inline constexpr std::uint64_t kIconDecodeLimitBytes = 0x20000000;

// Whether a width x height image, as 8-bit RGBA, stays within kIconDecodeLimitBytes.
[[nodiscard]] bool icon_fits_decode_limit(std::uint32_t width, std::uint32_t height) noexcept;

// The embedded application icon, decoded afresh on every call.
[[nodiscard]] std::optional<IconImage> load_window_icon() noexcept;

// Decodes PNG bytes of any colour type and bit depth to 8-bit RGBA; nothing when the data is
// not a readable PNG or its pixels would exceed the decode limit.
[[nodiscard]] std::optional<IconImage> decode_window_icon(const std::uint8_t* data,
                                                          std::size_t size) noexcept;

// A 32-bit icon with alpha from the pixels; empty when the image is empty, its pixel count does
// not match its size, or the system cannot make the icon.
[[nodiscard]] UniqueIcon create_icon_from_rgba(const IconImage& image) noexcept;

}  // namespace mirvot
