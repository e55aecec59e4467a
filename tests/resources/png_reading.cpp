#include "png_reading.h"

#include <algorithm>
#include <array>
#include <utility>

namespace mirvot::test {
namespace {

constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kChunkOverhead = 12;  // length, type, CRC

std::uint32_t ReadBigEndian32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return (static_cast<std::uint32_t>(bytes[offset]) << 24) |
         (static_cast<std::uint32_t>(bytes[offset + 1]) << 16) |
         (static_cast<std::uint32_t>(bytes[offset + 2]) << 8) |
         static_cast<std::uint32_t>(bytes[offset + 3]);
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1u) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
  }
  return crc ^ 0xFFFFFFFFu;
}

bool HasPngSignature(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= kPngSignature.size() &&
         std::equal(kPngSignature.begin(), kPngSignature.end(), bytes.begin());
}

std::optional<std::vector<PngChunk>> ReadPngChunks(std::span<const std::uint8_t> bytes) {
  if (!HasPngSignature(bytes)) {
    return std::nullopt;
  }
  std::vector<PngChunk> chunks;
  std::size_t offset = kPngSignature.size();
  while (offset < bytes.size()) {
    if (bytes.size() - offset < kChunkOverhead) {
      return std::nullopt;
    }
    const std::uint32_t length = ReadBigEndian32(bytes, offset);
    if (length > bytes.size() - offset - kChunkOverhead) {
      return std::nullopt;
    }
    PngChunk chunk;
    chunk.type.assign(bytes.begin() + static_cast<std::ptrdiff_t>(offset + 4),
                      bytes.begin() + static_cast<std::ptrdiff_t>(offset + 8));
    chunk.data_offset = offset + 8;
    chunk.length = length;
    const std::uint32_t stored_crc = ReadBigEndian32(bytes, offset + 8 + length);
    chunk.crc_matches = Crc32(bytes.subspan(offset + 4, std::size_t{length} + 4)) == stored_crc;
    chunks.push_back(chunk);
    offset += kChunkOverhead + length;
    if (chunks.back().type == "IEND") {
      // Nothing may follow the end chunk.
      return offset == bytes.size() ? std::optional(std::move(chunks)) : std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<PngHeader> ReadPngHeader(std::span<const std::uint8_t> bytes) {
  constexpr std::size_t kHeaderOffset = 8 + 8;  // signature, then the chunk's length and type
  constexpr std::uint32_t kHeaderLength = 13;
  if (!HasPngSignature(bytes) || bytes.size() < kHeaderOffset + kHeaderLength) {
    return std::nullopt;
  }
  if (ReadBigEndian32(bytes, 8) != kHeaderLength ||
      std::string(bytes.begin() + 12, bytes.begin() + 16) != "IHDR") {
    return std::nullopt;
  }
  PngHeader header;
  header.width = ReadBigEndian32(bytes, kHeaderOffset);
  header.height = ReadBigEndian32(bytes, kHeaderOffset + 4);
  header.bit_depth = bytes[kHeaderOffset + 8];
  header.colour_type = bytes[kHeaderOffset + 9];
  header.compression = bytes[kHeaderOffset + 10];
  header.filter = bytes[kHeaderOffset + 11];
  header.interlace = bytes[kHeaderOffset + 12];
  return header;
}

}  // namespace mirvot::test
