#include "shell/core/view_size.h"

#include <cmath>
#include <limits>

namespace mirvot {
namespace {

// A division by a zero scale is then well defined (an infinity or NaN), which the rounding
// below maps to the clamped range.
static_assert(std::numeric_limits<double>::is_iec559, "IEEE 754 doubles are required");

constexpr double kInt32Max = 2147483647.0;
constexpr double kInt32Min = -2147483648.0;
constexpr double kUInt32Max = 4294967295.0;

}  // namespace

double scale_from_dpi(std::uint32_t dpi) noexcept {
  return static_cast<double>(dpi) / static_cast<double>(kDefaultDpi);
}

std::int32_t round_to_physical(double value) noexcept {
  if (std::isnan(value)) {
    return 0;
  }
  const double rounded = std::round(value);
  if (rounded >= kInt32Max) {
    return INT32_MAX;
  }
  if (rounded <= kInt32Min) {
    return INT32_MIN;
  }
  return static_cast<std::int32_t>(rounded);
}

PhysicalSize view_size_for_resize(std::uint32_t width, std::uint32_t height, double windowScale,
                                  std::uint32_t hostDpi) noexcept {
  const double logicalWidth = static_cast<double>(width) / windowScale;
  const double logicalHeight = static_cast<double>(height) / windowScale;
  const double hostScale = scale_from_dpi(hostDpi);
  return {round_to_physical(logicalWidth * hostScale),
          round_to_physical(logicalHeight * hostScale)};
}

std::uint32_t client_size_for_logical(double logical, double scale) noexcept {
  const double physical = logical * scale;
  if (std::isnan(physical)) {
    return 0;
  }
  const double rounded = std::round(physical);
  if (rounded <= 0.0) {
    return 0;
  }
  if (rounded >= kUInt32Max) {
    return UINT32_MAX;
  }
  return static_cast<std::uint32_t>(rounded);
}

}  // namespace mirvot
