#include "shell/window_icon.h"

#include <windows.h>

#include <climits>
#include <memory>
#include <new>

#include "common/out_of_memory.h"
#include "common/owners.h"
#include "common/startup_marks.h"
#include "shell/system_pages.h"
#include "shell/window_icon_data.h"

// stb_image decodes the PNG; only its PNG reader is built, and it reads from memory only. Its
// folder is a system include directory, so the compiler does not hold its code to our warning
// level; MSVC needs to be told. Its work space (the gathered compressed data, the inflated rows,
// the pixels) comes from system pages too, so none of it stays with the process afterwards. Its
// few settings and its failure text are plain statics rather than thread-local ones: the icon is
// decoded on the main thread only, and MinGW sets thread-local storage up through winpthreads,
// which the product keeps away from (cmake/compiler-settings.cmake).
#define STBI_NO_THREAD_LOCALS
#define STBI_MALLOC(bytes) ::mirvot::allocate_system_pages(bytes)
#define STBI_REALLOC_SIZED(block, oldBytes, newBytes) \
  ::mirvot::resize_system_pages(block, oldBytes, newBytes)
#define STBI_FREE(block) ::mirvot::free_system_pages(block)
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_FAILURE_STRINGS
#if defined(_MSC_VER)
#pragma warning(push, 0)
#endif
#include <stb_image.h>
#if defined(_MSC_VER)
#pragma warning(pop)
#endif

namespace mirvot {

bool icon_fits_decode_limit(std::uint32_t width, std::uint32_t height) noexcept {
  // Both factors are below 2^32, so the product of the three fits 64 bits.
  return static_cast<std::uint64_t>(width) * height * 4 <= kIconDecodeLimitBytes;
}

std::optional<IconImage> decode_window_icon(const std::uint8_t* data, std::size_t size) noexcept {
  if (data == nullptr || size == 0 || size > static_cast<std::size_t>(INT_MAX)) {
    return std::nullopt;
  }
  const int length = static_cast<int>(size);
  // The header first: the size of the pixels is known before anything is allocated.
  int width = 0;
  int height = 0;
  int channels = 0;
  if (!stbi_info_from_memory(data, length, &width, &height, &channels) || width <= 0 ||
      height <= 0 ||
      !icon_fits_decode_limit(static_cast<std::uint32_t>(width),
                              static_cast<std::uint32_t>(height))) {
    return std::nullopt;
  }
  // Four channels requested: every colour type comes out as RGBA, and 16-bit samples are
  // reduced to 8 bits.
  constexpr int kRgba = 4;
  int decodedWidth = 0;
  int decodedHeight = 0;
  // The decoder allocates its pixels as system pages (STBI_MALLOC above).
  const UniqueSystemPages pixels(
      stbi_load_from_memory(data, length, &decodedWidth, &decodedHeight, &channels, kRgba));
  if (!pixels || decodedWidth != width || decodedHeight != height) {
    return std::nullopt;
  }
  return CatchOutOfMemory(std::optional<IconImage>(), [&] {
    std::optional<IconImage> image(std::in_place);
    image->width = static_cast<std::uint32_t>(width);
    image->height = static_cast<std::uint32_t>(height);
    const auto* const rgba = static_cast<const std::uint8_t*>(pixels.get());
    image->rgba.assign(rgba, rgba + static_cast<std::size_t>(image->width) * image->height * kRgba);
    return image;
  });
}

std::optional<IconImage> load_window_icon() noexcept {
  std::optional<IconImage> icon = decode_window_icon(kWindowIconPng, kWindowIconPngSize);
  MIRVOT_STARTUP_MARK(IconDecoded);
  return icon;
}

UniqueIcon create_icon_from_rgba(const IconImage& image) noexcept {
  if (image.width == 0 || image.height == 0 || image.width > INT_MAX || image.height > INT_MAX ||
      !icon_fits_decode_limit(image.width, image.height)) {
    return UniqueIcon();
  }
  const std::size_t pixelCount = static_cast<std::size_t>(image.width) * image.height;
  if (image.rgba.size() != pixelCount * 4) {
    return UniqueIcon();
  }
  const int width = static_cast<int>(image.width);
  const int height = static_cast<int>(image.height);

  // Colour: 32-bit BGRA, rows top to bottom (negative height), alpha kept.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const UniqueBitmap color(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!color || bits == nullptr) {
    return UniqueIcon();
  }
  auto* const bgra = static_cast<std::uint8_t*>(bits);
  for (std::size_t i = 0; i < pixelCount; ++i) {
    const std::uint8_t* source = &image.rgba[i * 4];
    std::uint8_t* target = bgra + i * 4;
    target[0] = source[2];
    target[1] = source[1];
    target[2] = source[0];
    target[3] = source[3];
  }
  ::GdiFlush();

  // Mask: monochrome, all zero, so the alpha channel alone decides what shows. Its rows are
  // padded to 16 bits.
  const std::size_t maskStride = ((static_cast<std::size_t>(width) + 15) / 16) * 2;
  std::unique_ptr<std::uint8_t[]> maskBits(
      new (std::nothrow) std::uint8_t[maskStride * static_cast<std::size_t>(height)]());
  if (!maskBits) {
    return UniqueIcon();
  }
  const UniqueBitmap mask(::CreateBitmap(width, height, 1, 1, maskBits.get()));
  if (!mask) {
    return UniqueIcon();
  }

  ICONINFO iconInfo{};
  iconInfo.fIcon = TRUE;
  iconInfo.hbmMask = mask.get();
  iconInfo.hbmColor = color.get();
  return UniqueIcon(::CreateIconIndirect(&iconInfo));
}

}  // namespace mirvot
