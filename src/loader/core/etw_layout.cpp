#include "loader/core/etw_layout.h"

namespace mirvot {
namespace {

using Blob = std::vector<std::uint8_t>;

void AppendUInt16(Blob& blob, std::uint16_t value) {
  blob.push_back(static_cast<std::uint8_t>(value & 0xFFu));
  blob.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendUInt32(Blob& blob, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    blob.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFFu));
  }
}

void AppendNulTerminated(Blob& blob, std::string_view text) {
  for (const char c : text) {
    blob.push_back(static_cast<std::uint8_t>(c));
  }
  blob.push_back(0);
}

// GUIDs are laid out as in memory on Windows: the three leading fields little-endian, the
// last eight bytes as they are.
void AppendGuid(Blob& blob, const GuidFields& guid) {
  AppendUInt32(blob, guid.data1);
  AppendUInt16(blob, guid.data2);
  AppendUInt16(blob, guid.data3);
  for (const std::uint8_t byte : guid.data4) {
    blob.push_back(byte);
  }
}

void AppendFieldType(Blob& blob, const EventFieldLayout& field) {
  if (field.outType == kEventOutTypeNone) {
    blob.push_back(field.inType);
  } else {
    blob.push_back(static_cast<std::uint8_t>(field.inType | 0x80u));
    blob.push_back(field.outType);
  }
}

// Writes the blob's final size into the 16-bit slot at `offset`.
void PatchSize(Blob& blob, std::size_t offset, std::size_t size) {
  blob[offset] = static_cast<std::uint8_t>(size & 0xFFu);
  blob[offset + 1] = static_cast<std::uint8_t>((size >> 8) & 0xFFu);
}

}  // namespace

std::vector<std::uint8_t> BuildProviderTraits() {
  Blob blob;
  AppendUInt16(blob, 0);
  AppendNulTerminated(blob, kLoaderProviderName);
  const std::size_t traitStart = blob.size();
  AppendUInt16(blob, 0);
  blob.push_back(kProviderTraitTypeGroup);
  AppendGuid(blob, kLoaderProviderGroupGuid);
  PatchSize(blob, traitStart, blob.size() - traitStart);
  PatchSize(blob, 0, blob.size());
  return blob;
}

std::vector<std::uint8_t> BuildEventMetadata() {
  Blob blob;
  AppendUInt16(blob, 0);
  blob.push_back(0);  // no event tags
  AppendNulTerminated(blob, kLoaderErrorEventName);
  for (const EventFieldLayout& field : kLoaderErrorEventFields) {
    AppendNulTerminated(blob, field.name);
    AppendFieldType(blob, field);
  }
  PatchSize(blob, 0, blob.size());
  return blob;
}

}  // namespace mirvot
