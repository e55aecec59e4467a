#pragma once
// Sizes of the browser view. The main window reports its client size in its own physical
// pixels; the view's host window may sit at another DPI (for a moment while the window moves
// between monitors), so the size goes through logical units and back with the host's DPI.
#include <cstdint>
#include <functional>
#include <optional>

namespace mirvot {

inline constexpr std::uint32_t kDefaultDpi = 96;

struct PhysicalSize {
  std::int32_t width;
  std::int32_t height;

  friend constexpr bool operator==(const PhysicalSize&, const PhysicalSize&) = default;
};

// To the nearest integer, halves away from zero, clamped to the signed 32-bit range; NaN
// gives 0 and the infinities give the range's ends.
[[nodiscard]] std::int32_t RoundToPhysical(double value) noexcept;

// The view's size for a resize of the main window to width x height physical pixels, with
// the window's scale factor and the host window's DPI. Everything is computed in double with
// no integer step in between; only the final values are rounded by RoundToPhysical. A zero
// scale follows IEEE arithmetic (a zero size gives NaN and so 0, any other the clamped
// maximum); it does not crash.
[[nodiscard]] PhysicalSize ViewSizeForResize(std::uint32_t width, std::uint32_t height,
                                             double windowScale, std::uint32_t hostDpi) noexcept;

// The physical size of a logical length at a scale factor: rounded to nearest with halves
// away from zero, clamped to 0 .. UINT32_MAX, NaN gives 0. 1280 logical pixels at 150 % are
// 1920.
[[nodiscard]] std::uint32_t ClientSizeForLogical(double logical, double scale) noexcept;

// The ways of learning the host window's DPI, best first. Each probe is called only when
// every better one is missing. An empty std::function counts as a missing system function.
struct HostDpiProbes {
  // GetDpiForWindow of the host: nullopt when the function is missing; 0 when it failed.
  std::function<std::optional<std::uint32_t>()> dpiForWindow;
  // GetDpiForMonitor (effective DPI, horizontal) of the host's nearest monitor: nullopt when
  // the function is missing; 0 when there is no monitor or the call failed.
  std::function<std::optional<std::uint32_t>()> dpiForMonitor;
  // IsProcessDPIAware.
  std::function<bool()> isProcessDpiAware;
  // GetDeviceCaps(LOGPIXELSX) of the host's device context; 0 or less when that failed.
  std::function<std::int32_t()> deviceCapsDpi;
};

// The host window's DPI from the first available source; every failure falls back to 96.
// A device-context DPI of 0 or less (no device context) also gives 96, so a failed probe can
// never shrink the view to nothing.
[[nodiscard]] std::uint32_t ResolveHostDpi(const HostDpiProbes& probes);

}  // namespace mirvot
