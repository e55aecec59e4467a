#pragma once
// Small PNG files made by the tests themselves, so each one shows exactly the header, palette
// and samples a case needs. The image data is stored uncompressed (deflate "stored" blocks),
// which every PNG reader must accept.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mirvot::test {

struct PngImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint8_t bitDepth = 8;
  std::uint8_t colorType = 6;              // 0 gray, 2 RGB, 3 palette, 4 gray+alpha, 6 RGBA
  std::vector<std::uint8_t> palette;       // RGB triples (PLTE); empty for none
  std::vector<std::uint8_t> transparency;  // tRNS contents; empty for none
  // The rows as stored, without the filter byte (filter 0 is written before each).
  std::vector<std::vector<std::uint8_t>> rows;
};

// The bytes of a PNG file for the image.
std::vector<std::uint8_t> BuildPng(const PngImage& image);

// A PNG whose every row is `rowBytes` zero bytes: a valid file of any size without holding
// the rows one by one.
std::vector<std::uint8_t> BuildZeroFilledPng(std::uint32_t width, std::uint32_t height,
                                             std::uint8_t bitDepth, std::uint8_t colorType,
                                             std::size_t rowBytes);

}  // namespace mirvot::test
