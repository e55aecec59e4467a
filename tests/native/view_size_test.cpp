#include "shell/core/view_size.h"

#include <cstdint>
#include <limits>
#include <optional>

#include <gtest/gtest.h>

namespace mirvot {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(RoundToPhysicalTest, HalvesGoAwayFromZero) {
  EXPECT_EQ(round_to_physical(0.5), 1);
  EXPECT_EQ(round_to_physical(1.5), 2);
  EXPECT_EQ(round_to_physical(2.5), 3);
  EXPECT_EQ(round_to_physical(-0.5), -1);
  EXPECT_EQ(round_to_physical(-2.5), -3);
}

TEST(RoundToPhysicalTest, OtherValuesGoToTheNearestInteger) {
  EXPECT_EQ(round_to_physical(0.0), 0);
  EXPECT_EQ(round_to_physical(1.4999), 1);
  EXPECT_EQ(round_to_physical(1.5001), 2);
  EXPECT_EQ(round_to_physical(-1.4999), -1);
  EXPECT_EQ(round_to_physical(1919.9999999), 1920);
}

TEST(RoundToPhysicalTest, NaNGivesZero) { EXPECT_EQ(round_to_physical(kNaN), 0); }

TEST(RoundToPhysicalTest, OutOfRangeValuesAreClamped) {
  EXPECT_EQ(round_to_physical(kInfinity), INT32_MAX);
  EXPECT_EQ(round_to_physical(-kInfinity), INT32_MIN);
  EXPECT_EQ(round_to_physical(3e9), INT32_MAX);
  EXPECT_EQ(round_to_physical(-3e9), INT32_MIN);
  EXPECT_EQ(round_to_physical(2147483646.5), INT32_MAX);
  EXPECT_EQ(round_to_physical(2147483647.4), INT32_MAX);
  EXPECT_EQ(round_to_physical(2147483647.6), INT32_MAX);
  EXPECT_EQ(round_to_physical(-2147483648.4), INT32_MIN);
  EXPECT_EQ(round_to_physical(-2147483647.0), -2147483647);
}

TEST(ViewSizeForResizeTest, SameDpiKeepsTheClientSize) {
  EXPECT_EQ(view_size_for_resize(1280, 800, 1.0, 96), (PhysicalSize{1280, 800}));
  EXPECT_EQ(view_size_for_resize(1920, 1200, 1.5, 144), (PhysicalSize{1920, 1200}));
}

TEST(ViewSizeForResizeTest, SameDpiKeepsEverySizeAtCommonScales) {
  struct Scale {
    double factor;
    std::uint32_t dpi;
  };
  for (const Scale scale : {Scale{1.0, 96}, Scale{1.25, 120}, Scale{1.5, 144}, Scale{1.75, 168},
                            Scale{2.0, 192}, Scale{2.25, 216}, Scale{3.5, 336}}) {
    for (std::uint32_t size = 0; size <= 4000; ++size) {
      const PhysicalSize view = view_size_for_resize(size, size, scale.factor, scale.dpi);
      ASSERT_EQ(view.width, static_cast<std::int32_t>(size)) << scale.dpi;
      ASSERT_EQ(view.height, static_cast<std::int32_t>(size)) << scale.dpi;
    }
  }
}

TEST(ViewSizeForResizeTest, HostAtAnotherDpiGetsItsOwnPixels) {
  EXPECT_EQ(view_size_for_resize(1920, 1200, 1.5, 96), (PhysicalSize{1280, 800}));
  EXPECT_EQ(view_size_for_resize(1280, 800, 1.0, 144), (PhysicalSize{1920, 1200}));
}

TEST(ViewSizeForResizeTest, NoIntegerStepBetweenTheConversions) {
  // 5 pixels at 200 % are 2.5 logical ones, 7.5 pixels on a 300 % host: 8. Rounding the
  // logical size first would give 9, truncating it 6.
  EXPECT_EQ(view_size_for_resize(5, 1, 2.0, 288), (PhysicalSize{8, 2}));
  EXPECT_EQ(view_size_for_resize(1001, 1001, 1.5, 96), (PhysicalSize{667, 667}));
  // 1281 at 100 % on a 150 % host is 1921.5, which rounds up; 1 pixel becomes 1.5 -> 2.
  EXPECT_EQ(view_size_for_resize(1281, 1, 1.0, 144), (PhysicalSize{1922, 2}));
  // 3 pixels at 150 % are 2 logical pixels, 2 physical ones on a 100 % host.
  EXPECT_EQ(view_size_for_resize(3, 5, 1.5, 96), (PhysicalSize{2, 3}));
}

TEST(ViewSizeForResizeTest, MinimisedWindowGivesAnEmptyView) {
  EXPECT_EQ(view_size_for_resize(0, 0, 1.5, 144), (PhysicalSize{0, 0}));
}

TEST(ViewSizeForResizeTest, LargestSizesAreClamped) {
  EXPECT_EQ(view_size_for_resize(UINT32_MAX, UINT32_MAX, 1.0, 96),
            (PhysicalSize{INT32_MAX, INT32_MAX}));
  EXPECT_EQ(view_size_for_resize(UINT32_MAX, 10, 1.0, 48), (PhysicalSize{INT32_MAX, 5}));
}

TEST(ViewSizeForResizeTest, ZeroScaleDoesNotCrash) {
  EXPECT_EQ(view_size_for_resize(0, 100, 0.0, 96), (PhysicalSize{0, INT32_MAX}));
  EXPECT_EQ(view_size_for_resize(100, 100, kNaN, 96), (PhysicalSize{0, 0}));
}

TEST(ViewSizeForResizeTest, ZeroHostDpiGivesAnEmptyView) {
  EXPECT_EQ(view_size_for_resize(1280, 800, 1.0, 0), (PhysicalSize{0, 0}));
}

TEST(ClientSizeForLogicalTest, LogicalSizeTimesScale) {
  EXPECT_EQ(client_size_for_logical(1280.0, 1.0), 1280u);
  EXPECT_EQ(client_size_for_logical(800.0, 1.0), 800u);
  EXPECT_EQ(client_size_for_logical(1280.0, 1.5), 1920u);
  EXPECT_EQ(client_size_for_logical(800.0, 1.5), 1200u);
  EXPECT_EQ(client_size_for_logical(1280.0, 1.25), 1600u);
  EXPECT_EQ(client_size_for_logical(801.0, 1.25), 1001u);  // 1001.25
  EXPECT_EQ(client_size_for_logical(1.0, 2.5), 3u);        // 2.5 rounds up
}

TEST(ClientSizeForLogicalTest, BadValuesStayInRange) {
  EXPECT_EQ(client_size_for_logical(kNaN, 1.0), 0u);
  EXPECT_EQ(client_size_for_logical(-5.0, 1.0), 0u);
  EXPECT_EQ(client_size_for_logical(1e12, 1.0), UINT32_MAX);
  EXPECT_EQ(client_size_for_logical(kInfinity, 1.0), UINT32_MAX);
  EXPECT_EQ(client_size_for_logical(kInfinity, 0.0), 0u);  // NaN
}

}  // namespace
}  // namespace mirvot
