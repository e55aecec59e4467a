#include "loader/core/etw_layout.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace mirvot {
namespace {

using Bytes = std::vector<std::uint8_t>;

void AppendText(Bytes& bytes, std::string_view text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back(0);
}

void AppendBytes(Bytes& bytes, std::initializer_list<std::uint8_t> more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
}

TEST(EtwLayoutTest, ProviderTraitsMatchTheDocumentedBytes) {
  Bytes expected = {52, 0};
  AppendText(expected, "Microsoft.MSEdgeWebView.Loader");
  // Trait: size 19, type 1 (provider group), then {4F50731A-89CF-4782-B3E0-DCE8C90476BA}.
  AppendBytes(expected, {19, 0, 1, 0x1A, 0x73, 0x50, 0x4F, 0xCF, 0x89, 0x82, 0x47, 0xB3, 0xE0, 0xDC,
                         0xE8, 0xC9, 0x04, 0x76, 0xBA});
  ASSERT_EQ(expected.size(), 52u);
  EXPECT_EQ(BuildProviderTraits(), expected);
}

TEST(EtwLayoutTest, EventMetadataMatchesTheDocumentedBytes) {
  Bytes expected = {95, 0, 0};
  AppendText(expected, "CreateWebViewEnvironmentError");
  AppendText(expected, "HRESULT");
  AppendBytes(expected, {0x87, 0x0F});
  AppendText(expected, "ClientDllFound");
  AppendBytes(expected, {0x84, 0x03});
  AppendText(expected, "InstalledRuntime");
  AppendBytes(expected, {0x84, 0x03});
  AppendText(expected, "PartA_PrivTags");
  AppendBytes(expected, {0x0A});
  ASSERT_EQ(expected.size(), 95u);
  EXPECT_EQ(BuildEventMetadata(), expected);
}

TEST(EtwLayoutTest, BlobsAreTheSameOnEveryBuild) {
  EXPECT_EQ(BuildProviderTraits(), BuildProviderTraits());
  EXPECT_EQ(BuildEventMetadata(), BuildEventMetadata());
}

TEST(EtwLayoutTest, PayloadSizesFollowTheFieldTable) {
  std::size_t total = 0;
  for (const EventFieldLayout& field : kLoaderErrorEventFields) {
    total += field.valueBytes;
  }
  EXPECT_EQ(total, 4u + 1u + 1u + 8u);
}

TEST(EtwLayoutTest, EventValuesCarryTheFlagsAsZeroOrOne) {
  const LoaderErrorEventValues failedSearch =
      MakeLoaderErrorEventValues(static_cast<std::int32_t>(0x80070002u), false, true);
  EXPECT_EQ(static_cast<std::uint32_t>(failedSearch.hresult), 0x80070002u);
  EXPECT_EQ(failedSearch.clientDllFound, 0);
  EXPECT_EQ(failedSearch.installedRuntime, 1);
  EXPECT_EQ(failedSearch.partAPrivTags, 0x0000000001000000ull);

  const LoaderErrorEventValues failedLoad =
      MakeLoaderErrorEventValues(static_cast<std::int32_t>(0x8007007Eu), true, false);
  EXPECT_EQ(failedLoad.clientDllFound, 1);
  EXPECT_EQ(failedLoad.installedRuntime, 0);
}

TEST(EtwLayoutTest, DescriptorIsAnErrorWithTheLoaderKeyword) {
  EXPECT_EQ(kLoaderErrorEventDescriptor.id, 0);
  EXPECT_EQ(kLoaderErrorEventDescriptor.version, 0);
  EXPECT_EQ(kLoaderErrorEventDescriptor.channel, 11);
  EXPECT_EQ(kLoaderErrorEventDescriptor.level, 2);
  EXPECT_EQ(kLoaderErrorEventDescriptor.opcode, 0);
  EXPECT_EQ(kLoaderErrorEventDescriptor.task, 0);
  EXPECT_EQ(kLoaderErrorEventDescriptor.keyword, 0x0000400000000000ull);
}

// SHA-1, only for checking the provider GUID against its name below.
std::array<std::uint8_t, 20> Sha1(const Bytes& message) {
  std::uint32_t h[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  Bytes data = message;
  const std::uint64_t bitLength = static_cast<std::uint64_t>(message.size()) * 8;
  data.push_back(0x80);
  while (data.size() % 64 != 56) {
    data.push_back(0);
  }
  for (int shift = 56; shift >= 0; shift -= 8) {
    data.push_back(static_cast<std::uint8_t>(bitLength >> shift));
  }
  const auto rotl = [](std::uint32_t v, int n) { return (v << n) | (v >> (32 - n)); };
  for (std::size_t block = 0; block < data.size(); block += 64) {
    std::uint32_t w[80];
    for (int i = 0; i < 16; ++i) {
      const std::size_t at = block + static_cast<std::size_t>(i) * 4;
      w[i] = (std::uint32_t{data[at]} << 24) | (std::uint32_t{data[at + 1]} << 16) |
             (std::uint32_t{data[at + 2]} << 8) | std::uint32_t{data[at + 3]};
    }
    for (int i = 16; i < 80; ++i) {
      w[i] = rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    }
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int i = 0; i < 80; ++i) {
      std::uint32_t f = 0, k = 0;
      if (i < 20) {
        f = (b & c) | (~b & d), k = 0x5A827999u;
      } else if (i < 40) {
        f = b ^ c ^ d, k = 0x6ED9EBA1u;
      } else if (i < 60) {
        f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDCu;
      } else {
        f = b ^ c ^ d, k = 0xCA62C1D6u;
      }
      const std::uint32_t next = rotl(a, 5) + f + e + k + w[i];
      e = d, d = c, c = rotl(b, 30), b = a, a = next;
    }
    h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
  }
  std::array<std::uint8_t, 20> digest{};
  for (std::size_t i = 0; i < 20; ++i) {
    digest[i] = static_cast<std::uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
  }
  return digest;
}

TEST(EtwLayoutTest, Sha1MatchesAKnownDigest) {
  const Bytes abc = {'a', 'b', 'c'};
  const std::array<std::uint8_t, 20> expected = {0xA9, 0x99, 0x3E, 0x36, 0x47, 0x06, 0x81,
                                                 0x6A, 0xBA, 0x3E, 0x25, 0x71, 0x78, 0x50,
                                                 0xC2, 0x6C, 0x9C, 0xD0, 0xD8, 0x9D};
  EXPECT_EQ(Sha1(abc), expected);
}

TEST(EtwLayoutTest, ProviderGuidIsTheEtwNameHashOfTheProviderName) {
  // The ETW name hash: SHA-1 over a fixed namespace and the upper-cased name in UTF-16
  // big-endian, the first 16 bytes taken as a GUID with version nibble 5.
  Bytes input = {0x48, 0x2C, 0x2D, 0xB2, 0xC3, 0x90, 0x47, 0xC8,
                 0x87, 0xF8, 0x1A, 0x15, 0xBF, 0xC1, 0x30, 0xFB};
  for (const char c : kLoaderProviderName) {
    const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    input.push_back(0);
    input.push_back(static_cast<std::uint8_t>(upper));
  }
  std::array<std::uint8_t, 20> hash = Sha1(input);
  hash[7] = static_cast<std::uint8_t>((hash[7] & 0x0F) | 0x50);

  const std::uint32_t data1 = std::uint32_t{hash[0]} | (std::uint32_t{hash[1]} << 8) |
                              (std::uint32_t{hash[2]} << 16) | (std::uint32_t{hash[3]} << 24);
  const auto data2 = static_cast<std::uint16_t>(hash[4] | (hash[5] << 8));
  const auto data3 = static_cast<std::uint16_t>(hash[6] | (hash[7] << 8));
  EXPECT_EQ(data1, kLoaderProviderGuid.data1);
  EXPECT_EQ(data2, kLoaderProviderGuid.data2);
  EXPECT_EQ(data3, kLoaderProviderGuid.data3);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(hash[8 + i], kLoaderProviderGuid.data4[i]) << i;
  }
  // And the constant is the documented {951DDD7E-F2FF-5B3F-7137-E2F1A0DD9804}.
  EXPECT_EQ(kLoaderProviderGuid.data1, 0x951DDD7Eu);
  EXPECT_EQ(kLoaderProviderGuid.data2, 0xF2FF);
  EXPECT_EQ(kLoaderProviderGuid.data3, 0x5B3F);
}

TEST(RecordedLevelForTest, LevelZeroMeansEveryLevel) { EXPECT_EQ(RecordedLevelFor(0), 256u); }

TEST(RecordedLevelForTest, OtherLevelsAreRecordedPlusOne) {
  EXPECT_EQ(RecordedLevelFor(1), 2u);
  EXPECT_EQ(RecordedLevelFor(2), 3u);
  EXPECT_EQ(RecordedLevelFor(3), 4u);
  EXPECT_EQ(RecordedLevelFor(255), 256u);
}

TEST(ShouldWriteLoaderErrorEventTest, TraceLevelMustAdmitErrors) {
  const std::uint64_t keyword = kLoaderEventKeyword;
  EXPECT_TRUE(ShouldWriteLoaderErrorEvent(RecordedLevelFor(0), keyword, 0));   // any level
  EXPECT_FALSE(ShouldWriteLoaderErrorEvent(RecordedLevelFor(1), keyword, 0));  // critical only
  EXPECT_TRUE(ShouldWriteLoaderErrorEvent(RecordedLevelFor(2), keyword, 0));   // error
  EXPECT_TRUE(ShouldWriteLoaderErrorEvent(RecordedLevelFor(3), keyword, 0));   // warning
}

TEST(ShouldWriteLoaderErrorEventTest, NoListeningTraceWritesNothing) {
  EXPECT_FALSE(ShouldWriteLoaderErrorEvent(0, kLoaderEventKeyword, 0));
  EXPECT_FALSE(ShouldWriteLoaderErrorEvent(0, ~0ull, 0));
}

TEST(ShouldWriteLoaderErrorEventTest, MatchAnyKeywordMustContainTheLoaderKeyword) {
  const std::uint32_t level = RecordedLevelFor(4);
  EXPECT_TRUE(ShouldWriteLoaderErrorEvent(level, 0x0000400000000000ull, 0));
  EXPECT_TRUE(ShouldWriteLoaderErrorEvent(level, 0x0000400000000001ull, 0));
  EXPECT_TRUE(ShouldWriteLoaderErrorEvent(level, ~0ull, 0));
  EXPECT_FALSE(ShouldWriteLoaderErrorEvent(level, 0, 0));
  EXPECT_FALSE(ShouldWriteLoaderErrorEvent(level, 0x0000200000000000ull, 0));
  EXPECT_FALSE(ShouldWriteLoaderErrorEvent(level, ~0x0000400000000000ull, 0));
}

TEST(ShouldWriteLoaderErrorEventTest, MatchAllKeywordMayAskOnlyForTheLoaderKeyword) {
  const std::uint32_t level = RecordedLevelFor(5);
  EXPECT_TRUE(ShouldWriteLoaderErrorEvent(level, ~0ull, 0x0000400000000000ull));
  EXPECT_FALSE(ShouldWriteLoaderErrorEvent(level, ~0ull, 0x0000400000000001ull));
  EXPECT_FALSE(ShouldWriteLoaderErrorEvent(level, ~0ull, 0x8000000000000000ull));
  EXPECT_FALSE(ShouldWriteLoaderErrorEvent(level, ~0ull, ~0ull));
}

}  // namespace
}  // namespace mirvot
