#pragma once
// Layout of the loader's error event. The event is self-describing: the provider's name and
// group, and the event's name and fields, travel with every write as two metadata blobs, so a
// listener needs no manifest. Both blobs and the payload are derived from the tables below,
// so a field's name, its type bytes and its value size cannot drift apart.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace mirvot {

// A GUID by its fields, as Windows declares it.
struct GuidFields {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

inline constexpr std::string_view kLoaderProviderName = "Microsoft.MSEdgeWebView.Loader";
// {951DDD7E-F2FF-5B3F-7137-E2F1A0DD9804}: the GUID that the standard ETW name hash gives
// for the provider name.
inline constexpr GuidFields kLoaderProviderGuid{
    0x951DDD7Eu, 0xF2FF, 0x5B3F, {0x71, 0x37, 0xE2, 0xF1, 0xA0, 0xDD, 0x98, 0x04}};
// {4F50731A-89CF-4782-B3E0-DCE8C90476BA}: the provider group the provider belongs to.
inline constexpr GuidFields kLoaderProviderGroupGuid{
    0x4F50731Au, 0x89CF, 0x4782, {0xB3, 0xE0, 0xDC, 0xE8, 0xC9, 0x04, 0x76, 0xBA}};

inline constexpr std::string_view kLoaderErrorEventName = "CreateWebViewEnvironmentError";

// Field type codes of self-describing events. An in-type with an out-type is written as the
// in-type with its high bit set, followed by the out-type byte.
inline constexpr std::uint8_t kEventInTypeUInt8 = 0x04;
inline constexpr std::uint8_t kEventInTypeInt32 = 0x07;
inline constexpr std::uint8_t kEventInTypeUInt64 = 0x0A;
inline constexpr std::uint8_t kEventOutTypeNone = 0x00;
inline constexpr std::uint8_t kEventOutTypeBoolean = 0x03;
inline constexpr std::uint8_t kEventOutTypeHResult = 0x0F;

struct EventFieldLayout {
  std::string_view name;
  std::uint8_t inType;
  std::uint8_t outType;  // kEventOutTypeNone: no out-type byte is written
  std::uint8_t valueBytes;
};

// The error event's fields, in payload order.
inline constexpr std::array<EventFieldLayout, 4> kLoaderErrorEventFields{{
    {"HRESULT", kEventInTypeInt32, kEventOutTypeHResult, 4},
    {"ClientDllFound", kEventInTypeUInt8, kEventOutTypeBoolean, 1},
    {"InstalledRuntime", kEventInTypeUInt8, kEventOutTypeBoolean, 1},
    // The published name of the common schema's privacy field, underscore and all.
    {"PartA_PrivTags", kEventInTypeUInt64, kEventOutTypeNone, 8},
}};

inline constexpr std::uint64_t kLoaderEventKeyword = 0x0000400000000000ull;
inline constexpr std::uint64_t kPartAPrivTags = 0x0000000001000000ull;

// The error event's descriptor: id 0, version 0, channel 11, level 2 (error), opcode 0,
// task 0 and the loader's keyword.
struct EventDescriptorFields {
  std::uint16_t id;
  std::uint8_t version;
  std::uint8_t channel;
  std::uint8_t level;
  std::uint8_t opcode;
  std::uint16_t task;
  std::uint64_t keyword;
};
inline constexpr EventDescriptorFields kLoaderErrorEventDescriptor{
    0, 0, 11, 2, 0, 0, kLoaderEventKeyword};

// Kinds of the data descriptors passed with a write, and the information class that hands
// the provider traits to the registration.
inline constexpr std::uint8_t kEventDataDescriptorTypeUserData = 0;
inline constexpr std::uint8_t kEventDataDescriptorTypeEventMetadata = 1;
inline constexpr std::uint8_t kEventDataDescriptorTypeProviderMetadata = 2;
inline constexpr std::uint32_t kEventProviderSetTraitsClass = 2;
inline constexpr std::uint8_t kProviderTraitTypeGroup = 1;

// The payload, one member per field of kLoaderErrorEventFields in the same order; each member
// is passed as its own data descriptor, so no packing is involved.
struct LoaderErrorEventValues {
  std::int32_t hresult;
  std::uint8_t clientDllFound;
  std::uint8_t installedRuntime;
  std::uint64_t partAPrivTags;
};
static_assert(sizeof(LoaderErrorEventValues::hresult) == kLoaderErrorEventFields[0].valueBytes);
static_assert(sizeof(LoaderErrorEventValues::clientDllFound) ==
              kLoaderErrorEventFields[1].valueBytes);
static_assert(sizeof(LoaderErrorEventValues::installedRuntime) ==
              kLoaderErrorEventFields[2].valueBytes);
static_assert(sizeof(LoaderErrorEventValues::partAPrivTags) ==
              kLoaderErrorEventFields[3].valueBytes);

[[nodiscard]] constexpr LoaderErrorEventValues MakeLoaderErrorEventValues(
    std::int32_t hresult, bool clientDllFound, bool installedRuntime) noexcept {
  return {hresult, static_cast<std::uint8_t>(clientDllFound ? 1 : 0),
          static_cast<std::uint8_t>(installedRuntime ? 1 : 0), kPartAPrivTags};
}

// Provider traits: 16-bit total size, the provider name with its NUL, then the group trait
// (16-bit size, type 1, the group GUID in Windows byte order). 52 bytes.
[[nodiscard]] std::vector<std::uint8_t> BuildProviderTraits();

// Event metadata: 16-bit total size, tag byte 0, the event name with its NUL, then each
// field's name with its NUL and its type bytes. 95 bytes.
[[nodiscard]] std::vector<std::uint8_t> BuildEventMetadata();

// What the provider's enable callback records for a trace's level: level + 1, with level 0
// ("every level") recorded as 256.
[[nodiscard]] constexpr std::uint32_t RecordedLevelFor(std::uint8_t traceLevel) noexcept {
  return traceLevel == 0 ? 256u : static_cast<std::uint32_t>(traceLevel) + 1u;
}

// Whether a trace with the recorded level and keyword masks wants the error event: the
// recorded level must admit error events (above 2), MatchAnyKeyword must contain the loader
// keyword, and MatchAllKeyword must ask for nothing beyond it. A recorded level of 0 means no
// trace is listening.
[[nodiscard]] constexpr bool ShouldWriteLoaderErrorEvent(std::uint32_t recordedLevelPlusOne,
                                                         std::uint64_t matchAnyKeyword,
                                                         std::uint64_t matchAllKeyword) noexcept {
  return recordedLevelPlusOne > 2 &&
         (matchAnyKeyword & kLoaderEventKeyword) == kLoaderEventKeyword &&
         (matchAllKeyword & ~kLoaderEventKeyword) == 0;
}

}  // namespace mirvot
