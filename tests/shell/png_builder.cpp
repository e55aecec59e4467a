#include "png_builder.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace mirvot::test {
namespace {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> entries{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) {
        c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      }
      entries[n] = c;
    }
    return entries;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  }
  return ~crc;
}

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 24));
  out.push_back(static_cast<std::uint8_t>(value >> 16));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

void PutChunk(std::vector<std::uint8_t>& out, std::string_view type,
              const std::vector<std::uint8_t>& data) {
  PutBigEndian32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeStart = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian32(out, Crc32(out.data() + typeStart, out.size() - typeStart));
}

// A zlib stream of stored blocks around the raw bytes.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& raw) {
  std::vector<std::uint8_t> out{0x78, 0x01};
  std::size_t offset = 0;
  do {
    const std::size_t length = std::min<std::size_t>(raw.size() - offset, 0xFFFF);
    const bool last = offset + length == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<std::uint8_t>(length));
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    out.push_back(static_cast<std::uint8_t>(~length));
    out.push_back(static_cast<std::uint8_t>(~length >> 8));
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
               raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
    offset += length;
  } while (offset < raw.size());
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (const std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian32(out, (b << 16) | a);
  return out;
}

std::vector<std::uint8_t> Assemble(const PngImage& header, const std::vector<std::uint8_t>& raw) {
  std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<std::uint8_t> ihdr;
  PutBigEndian32(ihdr, header.width);
  PutBigEndian32(ihdr, header.height);
  ihdr.push_back(header.bitDepth);
  ihdr.push_back(header.colorType);
  ihdr.push_back(0);  // deflate
  ihdr.push_back(0);  // adaptive filtering
  ihdr.push_back(0);  // not interlaced
  PutChunk(png, "IHDR", ihdr);
  if (!header.palette.empty()) {
    PutChunk(png, "PLTE", header.palette);
  }
  if (!header.transparency.empty()) {
    PutChunk(png, "tRNS", header.transparency);
  }
  PutChunk(png, "IDAT", StoredZlib(raw));
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace

std::vector<std::uint8_t> BuildPng(const PngImage& image) {
  std::vector<std::uint8_t> raw;
  for (const std::vector<std::uint8_t>& row : image.rows) {
    raw.push_back(0);
    raw.insert(raw.end(), row.begin(), row.end());
  }
  return Assemble(image, raw);
}

std::vector<std::uint8_t> BuildZeroFilledPng(std::uint32_t width, std::uint32_t height,
                                             std::uint8_t bitDepth, std::uint8_t colorType,
                                             std::size_t rowBytes) {
  PngImage header;
  header.width = width;
  header.height = height;
  header.bitDepth = bitDepth;
  header.colorType = colorType;
  const std::vector<std::uint8_t> raw(static_cast<std::size_t>(height) * (rowBytes + 1), 0);
  return Assemble(header, raw);
}

}  // namespace mirvot::test
