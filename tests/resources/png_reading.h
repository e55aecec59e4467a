#pragma once
// Just enough PNG reading for the icon tests: the signature, the chunk layout with CRCs, and the
// image header. Every read is bounds-checked, so damaged data gives an empty result, not a crash.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mirvot::test {

struct PngChunk {
  std::string type;  // four ASCII letters, e.g. "IHDR"
  std::size_t data_offset = 0;
  std::uint32_t length = 0;
  bool crc_matches = false;
};

struct PngHeader {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint8_t bit_depth = 0;
  std::uint8_t colour_type = 0;
  std::uint8_t compression = 0;
  std::uint8_t filter = 0;
  std::uint8_t interlace = 0;
};

bool HasPngSignature(std::span<const std::uint8_t> bytes);

// The chunks from the signature up to and including IEND, or nullopt if a chunk runs past the end
// of the data, no IEND is found, or bytes follow IEND.
std::optional<std::vector<PngChunk>> ReadPngChunks(std::span<const std::uint8_t> bytes);

// The IHDR contents, if the data is a PNG whose first chunk is a 13-byte IHDR.
std::optional<PngHeader> ReadPngHeader(std::span<const std::uint8_t> bytes);

std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

}  // namespace mirvot::test
