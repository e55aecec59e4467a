// The window icon compiled into the program: a complete, plain 256 x 256 RGBA PNG.
#include "shell/window_icon_data.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "png_reading.h"

namespace mirvot::test {
namespace {

std::span<const std::uint8_t> WindowIcon() { return {kWindowIconPng, kWindowIconPngSize}; }

std::vector<std::uint8_t> WindowIconCopy() {
  const auto icon = WindowIcon();
  return {icon.begin(), icon.end()};
}

TEST(WindowIconData, StartsWithThePngSignature) { EXPECT_TRUE(HasPngSignature(WindowIcon())); }

TEST(WindowIconData, HeaderDescribes256SquareRgbaEightBitNotInterlaced) {
  const auto header = ReadPngHeader(WindowIcon());
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->width, 256u);
  EXPECT_EQ(header->height, 256u);
  EXPECT_EQ(header->bit_depth, 8);
  EXPECT_EQ(header->colour_type, 6);  // truecolour with alpha
  EXPECT_EQ(header->compression, 0);
  EXPECT_EQ(header->filter, 0);
  EXPECT_EQ(header->interlace, 0);
}

TEST(WindowIconData, ChunksAreIntactAndEndExactlyAtTheEndOfTheArray) {
  const auto chunks = ReadPngChunks(WindowIcon());
  ASSERT_TRUE(chunks.has_value());
  ASSERT_GE(chunks->size(), 3u);
  EXPECT_EQ(chunks->front().type, "IHDR");
  EXPECT_EQ(chunks->back().type, "IEND");
  EXPECT_EQ(chunks->back().length, 0u);
  for (const PngChunk& chunk : *chunks) {
    EXPECT_TRUE(chunk.crc_matches) << chunk.type;
  }
  EXPECT_TRUE(std::any_of(chunks->begin(), chunks->end(),
                          [](const PngChunk& chunk) { return chunk.type == "IDAT"; }));
}

TEST(WindowIconData, CarriesOnlyImageChunksSoTheBytesStayTheSameOnEveryRender) {
  const auto chunks = ReadPngChunks(WindowIcon());
  ASSERT_TRUE(chunks.has_value());
  for (const PngChunk& chunk : *chunks) {
    EXPECT_TRUE(chunk.type == "IHDR" || chunk.type == "IDAT" || chunk.type == "IEND")
        << "unexpected chunk " << chunk.type;
  }
}

// The checks above lean on the reader; these show that it notices damage.
TEST(PngReading, Crc32MatchesTheStandardCheckValue) {
  const std::string text = "123456789";
  const std::vector<std::uint8_t> bytes(text.begin(), text.end());
  EXPECT_EQ(Crc32(bytes), 0xCBF43926u);
}

TEST(PngReading, TruncatedDataHasNoChunkList) {
  auto bytes = WindowIconCopy();
  bytes.resize(bytes.size() - 1);
  EXPECT_FALSE(ReadPngChunks(bytes).has_value());
  bytes.resize(20);
  EXPECT_FALSE(ReadPngChunks(bytes).has_value());
  EXPECT_FALSE(ReadPngHeader(bytes).has_value());
}

TEST(PngReading, BytesAfterTheEndChunkAreRejected) {
  auto bytes = WindowIconCopy();
  bytes.push_back(0);
  EXPECT_FALSE(ReadPngChunks(bytes).has_value());
}

TEST(PngReading, ChangedHeaderByteFailsItsCrc) {
  auto bytes = WindowIconCopy();
  bytes[16 + 9] ^= 0x01;  // colour type
  const auto chunks = ReadPngChunks(bytes);
  ASSERT_TRUE(chunks.has_value());
  EXPECT_FALSE(chunks->front().crc_matches);
}

TEST(PngReading, DataWithoutTheSignatureIsNotAPng) {
  auto bytes = WindowIconCopy();
  bytes[1] = 'Q';
  EXPECT_FALSE(HasPngSignature(bytes));
  EXPECT_FALSE(ReadPngChunks(bytes).has_value());
  EXPECT_FALSE(ReadPngHeader(bytes).has_value());
  EXPECT_FALSE(HasPngSignature({}));
}

TEST(PngReading, ChunkLengthPointingPastTheEndIsRejected) {
  auto bytes = WindowIconCopy();
  bytes[8] = 0x7F;  // IHDR length becomes huge
  EXPECT_FALSE(ReadPngChunks(bytes).has_value());
  EXPECT_FALSE(ReadPngHeader(bytes).has_value());
}

}  // namespace
}  // namespace mirvot::test
