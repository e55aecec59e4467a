#pragma once
// Sizes of the browser view. The main window reports its client size in its own physical
// pixels; the view's host window may sit at another DPI (for a moment while the window moves
// between monitors), so the size goes through logical units and back with the host's DPI.
#include <cstdint>

namespace mirvot {

inline constexpr std::uint32_t kDefaultDpi = 96;

struct PhysicalSize {
  std::int32_t width;
  std::int32_t height;

  friend constexpr bool operator==(const PhysicalSize&, const PhysicalSize&) = default;
};

// A window's scale factor at a DPI: dpi / 96.
[[nodiscard]] double scale_from_dpi(std::uint32_t dpi) noexcept;

// To the nearest integer, halves away from zero, clamped to the signed 32-bit range; NaN
// gives 0 and the infinities give the range's ends.
[[nodiscard]] std::int32_t round_to_physical(double value) noexcept;

// The view's size for a resize of the main window to width x height physical pixels, with
// the window's scale factor and the host window's DPI. Everything is computed in double with
// no integer step in between; only the final values are rounded by round_to_physical. A zero
// scale follows IEEE arithmetic (a zero size gives NaN and so 0, any other the clamped
// maximum); it does not crash.
[[nodiscard]] PhysicalSize view_size_for_resize(std::uint32_t width, std::uint32_t height,
                                                double windowScale, std::uint32_t hostDpi) noexcept;

// The physical size of a logical length at a scale factor: rounded to nearest with halves
// away from zero, clamped to 0 .. UINT32_MAX, NaN gives 0. 1280 logical pixels at 150 % are
// 1920.
[[nodiscard]] std::uint32_t client_size_for_logical(double logical, double scale) noexcept;

}  // namespace mirvot
