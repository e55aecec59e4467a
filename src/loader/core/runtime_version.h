#pragma once
// Versions of installed runtimes. The updater records a runtime's version as the last
// component of its folder path (for example ...\Application\120.0.2210.91); packages carry it
// as four numbers. Runtimes older than kMinimumRuntimeVersion lack what the loader needs from
// the engine and are passed over.
#include <cstdint>
#include <string_view>

namespace mirvot {

struct RuntimeVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t patch = 0;

  friend constexpr bool operator==(const RuntimeVersion&, const RuntimeVersion&) = default;
};

inline constexpr RuntimeVersion kMinimumRuntimeVersion{86, 0, 616, 0};

// Reads up to four dot-separated components, each the way a 32-bit wcstol in base 10 reads
// it: leading white space and a sign are accepted, and the long value is stored as unsigned
// 32 bits (so "-1" gives 0xFFFFFFFF). A component that is out of range saturates to
// 0x7FFFFFFF or 0x80000000, as wcstol returns LONG_MAX or LONG_MIN.
// Reading goes on to the next component only if the current one read at least one digit and
// stopped exactly at a '.'; components not reached are 0 and trailing text is ignored, so
// "120" and "120.x" both give 120.0.0.0. Fails (and leaves `out` untouched) only when the
// first component has no digits, as for "Application" or an empty text.
[[nodiscard]] bool ParseRuntimeVersion(std::u16string_view text, RuntimeVersion& out) noexcept;

// Component by component as unsigned numbers, major first: negative when a is older than b,
// 0 when equal, positive when a is newer.
[[nodiscard]] constexpr int CompareRuntimeVersion(const RuntimeVersion& a,
                                                  const RuntimeVersion& b) noexcept {
  const std::uint32_t left[] = {a.major, a.minor, a.build, a.patch};
  const std::uint32_t right[] = {b.major, b.minor, b.build, b.patch};
  for (int i = 0; i < 4; ++i) {
    if (left[i] != right[i]) {
      return left[i] < right[i] ? -1 : 1;
    }
  }
  return 0;
}

// Whether a runtime found by the search is new enough to be used.
[[nodiscard]] constexpr bool IsSupportedRuntimeVersion(const RuntimeVersion& version) noexcept {
  return CompareRuntimeVersion(version, kMinimumRuntimeVersion) >= 0;
}

}  // namespace mirvot
