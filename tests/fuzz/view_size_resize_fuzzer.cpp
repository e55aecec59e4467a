// Size arithmetic of the browser view on resize, fed with whatever the window system and the
// DPI probes report (including zero, huge and non-finite scale factors).
// Input: fixed fields, little-endian, missing bytes 0: bytes 0-3 width, 4-7 height (uint32),
// 8-15 window scale (the raw bits of a double: NaN, infinities, subnormals and negatives
// included), 16-19 host DPI (uint32), 20-27 and 28-35 a logical length and a scale for
// client_size_for_logical, 36-43 a value for round_to_physical (raw double bits).
// Invariants (UndefinedBehaviorSanitizer reports any out-of-range float-to-int conversion):
//   - every result equals an independent computation: the documented double formula, then
//     rounding half away from zero via trunc, clamped, NaN giving 0;
//   - swapping width and height swaps the result;
//   - with a positive finite scale, the larger side never gives the smaller result, and no
//     result is negative;
//   - rounding is symmetric about zero inside the clamped range;
//   - when the window scale equals the host's (DPI / 96) the size comes back unchanged
//     (clamped to INT32_MAX).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "fuzz_support.h"
#include "shell/core/view_size.h"

namespace mirvot::fuzz {
namespace {

// Rounds half away from zero without std::round: the whole part plus one step when the
// fraction is at least a half.
double RoundHalfAway(double value) {
  double whole = std::trunc(value);
  const double fraction = value - whole;  // exact for finite doubles
  if (fraction >= 0.5) {
    whole += 1.0;
  } else if (fraction <= -0.5) {
    whole -= 1.0;
  }
  return whole;
}

std::int32_t ReferenceRoundToPhysical(double value) {
  if (value != value) {
    return 0;
  }
  const double rounded = RoundHalfAway(value);
  if (rounded > 2147483647.0) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (rounded < -2147483648.0) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(rounded);
}

std::uint32_t ReferenceClientSize(double logical, double scale) {
  const double rounded = RoundHalfAway(logical * scale);
  if (!(rounded > 0.0)) {  // also NaN
    return 0;
  }
  if (rounded > 4294967295.0) {
    return std::numeric_limits<std::uint32_t>::max();
  }
  return static_cast<std::uint32_t>(rounded);
}

std::int32_t ReferenceSide(std::uint32_t side, double windowScale, std::uint32_t dpi) {
  return ReferenceRoundToPhysical(static_cast<double>(side) / windowScale *
                                  (static_cast<double>(dpi) / 96.0));
}

}  // namespace
}  // namespace mirvot::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirvot;
  using namespace mirvot::fuzz;
  const auto width = ReadLittleEndianAt<std::uint32_t>(data, size, 0);
  const auto height = ReadLittleEndianAt<std::uint32_t>(data, size, 4);
  const auto windowScale = ReadLittleEndianAt<double>(data, size, 8);
  const auto hostDpi = ReadLittleEndianAt<std::uint32_t>(data, size, 16);
  const auto logical = ReadLittleEndianAt<double>(data, size, 20);
  const auto logicalScale = ReadLittleEndianAt<double>(data, size, 28);
  const auto anyValue = ReadLittleEndianAt<double>(data, size, 36);

  const PhysicalSize view = view_size_for_resize(width, height, windowScale, hostDpi);
  MIRVOT_FUZZ_CHECK(view.width == ReferenceSide(width, windowScale, hostDpi));
  MIRVOT_FUZZ_CHECK(view.height == ReferenceSide(height, windowScale, hostDpi));

  const PhysicalSize swapped = view_size_for_resize(height, width, windowScale, hostDpi);
  MIRVOT_FUZZ_CHECK(swapped.width == view.height && swapped.height == view.width);

  if (std::isfinite(windowScale) && windowScale > 0.0) {
    MIRVOT_FUZZ_CHECK(view.width >= 0 && view.height >= 0);
    MIRVOT_FUZZ_CHECK((width <= height) ? view.width <= view.height : view.width >= view.height);
    if (hostDpi != 0 && windowScale == static_cast<double>(hostDpi) / 96.0) {
      const auto expected = [](std::uint32_t side) {
        return side > 0x7FFFFFFFu ? INT32_MAX : static_cast<std::int32_t>(side);
      };
      MIRVOT_FUZZ_CHECK(view.width == expected(width) && view.height == expected(height));
    }
  }

  MIRVOT_FUZZ_CHECK(client_size_for_logical(logical, logicalScale) ==
                    ReferenceClientSize(logical, logicalScale));
  MIRVOT_FUZZ_CHECK(round_to_physical(anyValue) == ReferenceRoundToPhysical(anyValue));
  // Rounding is symmetric about zero wherever the clamped range is.
  const std::int32_t rounded = round_to_physical(anyValue);
  if (rounded > INT32_MIN + 1 && rounded < INT32_MAX) {
    MIRVOT_FUZZ_CHECK(round_to_physical(-anyValue) == -rounded);
  }
  return 0;
}
