#include "shell/window_icon.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "png_builder.h"
#include "shell/window_icon_data.h"

namespace mirvot {
namespace {

using test::BuildPng;
using test::BuildZeroFilledPng;
using test::PngImage;

std::optional<IconImage> Decode(const std::vector<std::uint8_t>& bytes) {
  return decode_window_icon(bytes.data(), bytes.size());
}

std::vector<std::uint8_t> Pixel(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  return {r, g, b, a};
}

std::vector<std::uint8_t> PixelAt(const IconImage& image, std::uint32_t x, std::uint32_t y) {
  const std::size_t offset = (static_cast<std::size_t>(y) * image.width + x) * 4;
  return {image.rgba.begin() + static_cast<std::ptrdiff_t>(offset),
          image.rgba.begin() + static_cast<std::ptrdiff_t>(offset + 4)};
}

// --- The embedded icon ---------------------------------------------------------------------

TEST(LoadWindowIcon, DecodesTheEmbeddedIconTo256By256Rgba) {
  const std::optional<IconImage> icon = load_window_icon();
  ASSERT_TRUE(icon.has_value());
  EXPECT_EQ(icon->width, 256u);
  EXPECT_EQ(icon->height, 256u);
  EXPECT_EQ(icon->rgba.size(), 256u * 256u * 4u);
}

TEST(LoadWindowIcon, DecodesAfreshOnEveryCall) {
  const std::optional<IconImage> first = load_window_icon();
  const std::optional<IconImage> second = load_window_icon();
  ASSERT_TRUE(first.has_value());
  ASSERT_TRUE(second.has_value());
  EXPECT_NE(first->rgba.data(), second->rgba.data());
  EXPECT_EQ(first->rgba, second->rgba);
}

TEST(LoadWindowIcon, ThePixelsGoBackToTheSystemWithTheImage) {
  const void* pixels = nullptr;
  MEMORY_BASIC_INFORMATION region{};
  {
    const std::optional<IconImage> icon = load_window_icon();
    ASSERT_TRUE(icon.has_value());
    pixels = icon->rgba.data();
    ASSERT_NE(::VirtualQuery(pixels, &region, sizeof(region)), 0u);
    EXPECT_EQ(region.State, static_cast<DWORD>(MEM_COMMIT));
    EXPECT_EQ(region.AllocationBase, pixels) << "the pixels are not a block of their own";
  }
  ASSERT_NE(::VirtualQuery(pixels, &region, sizeof(region)), 0u);
  EXPECT_EQ(region.State, static_cast<DWORD>(MEM_FREE));
}

TEST(LoadWindowIcon, EmbeddedIconHasTransparentAndOpaquePixels) {
  // A real icon with alpha: were the alpha channel lost or invented, one of the two would be
  // missing.
  const std::optional<IconImage> icon = load_window_icon();
  ASSERT_TRUE(icon.has_value());
  bool transparent = false;
  bool opaque = false;
  for (std::size_t i = 3; i < icon->rgba.size(); i += 4) {
    transparent = transparent || icon->rgba[i] == 0;
    opaque = opaque || icon->rgba[i] == 255;
  }
  EXPECT_TRUE(transparent);
  EXPECT_TRUE(opaque);
}

// --- Conversion of other PNG kinds to 8-bit RGBA ----------------------------------------------

TEST(DecodeWindowIcon, SixteenBitRgbaIsReducedToEightBits) {
  PngImage png;
  png.width = 2;
  png.height = 2;
  png.bitDepth = 16;
  png.colorType = 6;
  png.rows = {
      {0xFF, 0xFF, 0x00, 0x00, 0x80, 0x80, 0xFF, 0xFF, /**/ 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC,
       0x00, 0x00},
      {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00, /**/ 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
       0xFF, 0xFF},
  };
  const std::optional<IconImage> image = Decode(BuildPng(png));
  ASSERT_TRUE(image.has_value());
  ASSERT_EQ(image->width, 2u);
  ASSERT_EQ(image->height, 2u);
  ASSERT_EQ(image->rgba.size(), 16u);
  EXPECT_EQ(PixelAt(*image, 0, 0), Pixel(0xFF, 0x00, 0x80, 0xFF));
  EXPECT_EQ(PixelAt(*image, 1, 0), Pixel(0x12, 0x56, 0x9A, 0x00));
  EXPECT_EQ(PixelAt(*image, 0, 1), Pixel(0x00, 0x00, 0x00, 0x80));
  EXPECT_EQ(PixelAt(*image, 1, 1), Pixel(0xFF, 0xFF, 0xFF, 0xFF));
}

TEST(DecodeWindowIcon, SixteenBitGrayBecomesOpaqueRgba) {
  PngImage png;
  png.width = 2;
  png.height = 1;
  png.bitDepth = 16;
  png.colorType = 0;
  png.rows = {{0xAB, 0xCD, 0x00, 0x10}};
  const std::optional<IconImage> image = Decode(BuildPng(png));
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(PixelAt(*image, 0, 0), Pixel(0xAB, 0xAB, 0xAB, 0xFF));
  EXPECT_EQ(PixelAt(*image, 1, 0), Pixel(0x00, 0x00, 0x00, 0xFF));
}

TEST(DecodeWindowIcon, PaletteWithTransparencyBecomesRgba) {
  PngImage png;
  png.width = 4;
  png.height = 2;
  png.bitDepth = 2;
  png.colorType = 3;
  png.palette = {255, 0, 0, /**/ 0, 255, 0, /**/ 0, 0, 255, /**/ 255, 255, 255};
  png.transparency = {255, 128, 0};  // the fourth entry stays opaque
  // Two bits per index: 0 1 2 3, then 3 2 1 0.
  png.rows = {{0x1B}, {0xE4}};
  const std::optional<IconImage> image = Decode(BuildPng(png));
  ASSERT_TRUE(image.has_value());
  ASSERT_EQ(image->width, 4u);
  ASSERT_EQ(image->height, 2u);
  EXPECT_EQ(PixelAt(*image, 0, 0), Pixel(255, 0, 0, 255));
  EXPECT_EQ(PixelAt(*image, 1, 0), Pixel(0, 255, 0, 128));
  EXPECT_EQ(PixelAt(*image, 2, 0), Pixel(0, 0, 255, 0));
  EXPECT_EQ(PixelAt(*image, 3, 0), Pixel(255, 255, 255, 255));
  // Rows come top to bottom.
  EXPECT_EQ(PixelAt(*image, 0, 1), Pixel(255, 255, 255, 255));
  EXPECT_EQ(PixelAt(*image, 3, 1), Pixel(255, 0, 0, 255));
}

TEST(DecodeWindowIcon, OneBitGrayBecomesBlackAndWhite) {
  PngImage png;
  png.width = 3;
  png.height = 1;
  png.bitDepth = 1;
  png.colorType = 0;
  png.rows = {{0xA0}};  // 1 0 1
  const std::optional<IconImage> image = Decode(BuildPng(png));
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(PixelAt(*image, 0, 0), Pixel(255, 255, 255, 255));
  EXPECT_EQ(PixelAt(*image, 1, 0), Pixel(0, 0, 0, 255));
  EXPECT_EQ(PixelAt(*image, 2, 0), Pixel(255, 255, 255, 255));
}

// --- The decode limit -----------------------------------------------------------------------

TEST(IconDecodeLimit, ExactlyFiveHundredTwelveMebibytesFits) {
  EXPECT_TRUE(icon_fits_decode_limit(8192, 16384));  // 8192 * 16384 * 4 = 0x20000000
  EXPECT_TRUE(icon_fits_decode_limit(16384, 8192));
  EXPECT_FALSE(icon_fits_decode_limit(8192, 16385));
  EXPECT_FALSE(icon_fits_decode_limit(16385, 8192));
}

TEST(IconDecodeLimit, LargestDimensionsDoNotOverflow) {
  EXPECT_FALSE(icon_fits_decode_limit(0xFFFFFFFFu, 0xFFFFFFFFu));
  EXPECT_FALSE(icon_fits_decode_limit(0x80000000u, 2));
  EXPECT_TRUE(icon_fits_decode_limit(0xFFFFFFFFu, 0));
}

TEST(DecodeWindowIcon, ImageOneRowBeyondTheLimitGivesNothing) {
  // A complete, valid 1-bit file (about 17 MB of stored rows) whose RGBA pixels would take
  // 8192 * 16385 * 4 bytes, one row more than 512 MiB.
  const std::vector<std::uint8_t> png = BuildZeroFilledPng(8192, 16385, 1, 0, 8192 / 8);
  EXPECT_FALSE(Decode(png).has_value());
}

TEST(DecodeWindowIcon, SameKindOfImageWithinTheLimitDecodes) {
  // The counterpart of the case above at a size that fits: the file itself is not the reason.
  const std::optional<IconImage> image = Decode(BuildZeroFilledPng(64, 48, 1, 0, 64 / 8));
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 64u);
  EXPECT_EQ(image->height, 48u);
  EXPECT_EQ(PixelAt(*image, 63, 47), Pixel(0, 0, 0, 255));
}

// --- Damaged data ---------------------------------------------------------------------------

TEST(DecodeWindowIcon, DamagedDataGivesNothing) {
  const std::vector<std::uint8_t> embedded(kWindowIconPng, kWindowIconPng + kWindowIconPngSize);
  const std::vector<std::uint8_t> truncated(embedded.begin(), embedded.begin() + 2000);
  EXPECT_FALSE(Decode(truncated).has_value());
  const std::vector<std::uint8_t> signatureOnly(embedded.begin(), embedded.begin() + 8);
  EXPECT_FALSE(Decode(signatureOnly).has_value());
  std::vector<std::uint8_t> badSignature = embedded;
  badSignature[1] = 'X';
  EXPECT_FALSE(Decode(badSignature).has_value());
  const std::string text = "GIF89a, not a PNG at all";
  EXPECT_FALSE(Decode(std::vector<std::uint8_t>(text.begin(), text.end())).has_value());
}

TEST(DecodeWindowIcon, EmptyOrMissingDataGivesNothing) {
  EXPECT_FALSE(decode_window_icon(nullptr, 0).has_value());
  EXPECT_FALSE(decode_window_icon(nullptr, 100).has_value());
  const std::uint8_t byte = 0x89;
  EXPECT_FALSE(decode_window_icon(&byte, 0).has_value());
}

TEST(DecodeWindowIcon, ZeroWidthHeaderGivesNothing) {
  PngImage png;
  png.width = 0;
  png.height = 4;
  png.rows = {{}, {}, {}, {}};
  EXPECT_FALSE(Decode(BuildPng(png)).has_value());
}

// --- Icons from pixels ----------------------------------------------------------------------

struct IconBitmaps {
  BITMAP color{};
  std::vector<std::uint8_t> bgra;  // top-down
  bool isIcon = false;
  bool hasMask = false;
};

IconBitmaps ReadIcon(HICON icon) {
  IconBitmaps result;
  ICONINFO info{};
  if (!::GetIconInfo(icon, &info)) {
    return result;
  }
  result.isIcon = info.fIcon != FALSE;
  result.hasMask = info.hbmMask != nullptr;
  if (info.hbmColor != nullptr) {
    ::GetObjectW(info.hbmColor, sizeof(result.color), &result.color);
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof(request.bmiHeader);
    request.bmiHeader.biWidth = result.color.bmWidth;
    request.bmiHeader.biHeight = -result.color.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    result.bgra.resize(static_cast<std::size_t>(result.color.bmWidth) * result.color.bmHeight * 4);
    const HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(result.color.bmHeight),
                result.bgra.data(), &request, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(info.hbmColor);
  }
  if (info.hbmMask != nullptr) {
    ::DeleteObject(info.hbmMask);
  }
  return result;
}

TEST(CreateIconFromRgba, MakesA32BitIconWithThePixelsAndAlpha) {
  IconImage image;
  image.width = 2;
  image.height = 2;
  image.rgba = {10, 20, 30, 255, /**/ 40, 50, 60, 128, /**/ 70, 80, 90, 0, /**/ 1, 2, 3, 4};
  const UniqueIcon icon = create_icon_from_rgba(image);
  ASSERT_TRUE(icon.valid());
  const IconBitmaps bitmaps = ReadIcon(icon.get());
  EXPECT_TRUE(bitmaps.isIcon);
  EXPECT_TRUE(bitmaps.hasMask);
  EXPECT_EQ(bitmaps.color.bmWidth, 2);
  EXPECT_EQ(bitmaps.color.bmHeight, 2);
  EXPECT_EQ(bitmaps.color.bmBitsPixel, 32);
  const std::vector<std::uint8_t> expected = {30,      20, 10, 255, /**/ 60, 50, 40, 128,
                                              /**/ 90, 80, 70, 0,   /**/ 3,  2,  1,  4};
  EXPECT_EQ(bitmaps.bgra, expected);
}

TEST(CreateIconFromRgba, MakesAnIconFromTheEmbeddedImage) {
  const std::optional<IconImage> image = load_window_icon();
  ASSERT_TRUE(image.has_value());
  const UniqueIcon icon = create_icon_from_rgba(*image);
  ASSERT_TRUE(icon.valid());
  const IconBitmaps bitmaps = ReadIcon(icon.get());
  EXPECT_EQ(bitmaps.color.bmWidth, 256);
  EXPECT_EQ(bitmaps.color.bmHeight, 256);
}

TEST(CreateIconFromRgba, PixelCountThatDoesNotMatchTheSizeGivesNoIcon) {
  IconImage image;
  image.width = 2;
  image.height = 2;
  image.rgba.assign(15, 0xFF);
  EXPECT_FALSE(create_icon_from_rgba(image).valid());
  image.rgba.assign(17, 0xFF);
  EXPECT_FALSE(create_icon_from_rgba(image).valid());
  image.rgba.clear();
  EXPECT_FALSE(create_icon_from_rgba(image).valid());
}

TEST(CreateIconFromRgba, EmptyOrOversizedImageGivesNoIcon) {
  EXPECT_FALSE(create_icon_from_rgba(IconImage{}).valid());
  IconImage wide;
  wide.width = 0x80000000u;
  wide.height = 1;
  EXPECT_FALSE(create_icon_from_rgba(wide).valid());
  IconImage zeroHeight;
  zeroHeight.width = 4;
  zeroHeight.height = 0;
  EXPECT_FALSE(create_icon_from_rgba(zeroHeight).valid());
}

}  // namespace
}  // namespace mirvot
