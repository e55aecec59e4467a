#include "shell/core/view_size.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

namespace mirvot {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(RoundToPhysicalTest, HalvesGoAwayFromZero) {
  EXPECT_EQ(RoundToPhysical(0.5), 1);
  EXPECT_EQ(RoundToPhysical(1.5), 2);
  EXPECT_EQ(RoundToPhysical(2.5), 3);
  EXPECT_EQ(RoundToPhysical(-0.5), -1);
  EXPECT_EQ(RoundToPhysical(-2.5), -3);
}

TEST(RoundToPhysicalTest, OtherValuesGoToTheNearestInteger) {
  EXPECT_EQ(RoundToPhysical(0.0), 0);
  EXPECT_EQ(RoundToPhysical(1.4999), 1);
  EXPECT_EQ(RoundToPhysical(1.5001), 2);
  EXPECT_EQ(RoundToPhysical(-1.4999), -1);
  EXPECT_EQ(RoundToPhysical(1919.9999999), 1920);
}

TEST(RoundToPhysicalTest, NaNGivesZero) { EXPECT_EQ(RoundToPhysical(kNaN), 0); }

TEST(RoundToPhysicalTest, OutOfRangeValuesAreClamped) {
  EXPECT_EQ(RoundToPhysical(kInfinity), INT32_MAX);
  EXPECT_EQ(RoundToPhysical(-kInfinity), INT32_MIN);
  EXPECT_EQ(RoundToPhysical(3e9), INT32_MAX);
  EXPECT_EQ(RoundToPhysical(-3e9), INT32_MIN);
  EXPECT_EQ(RoundToPhysical(2147483646.5), INT32_MAX);
  EXPECT_EQ(RoundToPhysical(2147483647.4), INT32_MAX);
  EXPECT_EQ(RoundToPhysical(2147483647.6), INT32_MAX);
  EXPECT_EQ(RoundToPhysical(-2147483648.4), INT32_MIN);
  EXPECT_EQ(RoundToPhysical(-2147483647.0), -2147483647);
}

TEST(ViewSizeForResizeTest, SameDpiKeepsTheClientSize) {
  EXPECT_EQ(ViewSizeForResize(1280, 800, 1.0, 96), (PhysicalSize{1280, 800}));
  EXPECT_EQ(ViewSizeForResize(1920, 1200, 1.5, 144), (PhysicalSize{1920, 1200}));
}

TEST(ViewSizeForResizeTest, SameDpiKeepsEverySizeAtCommonScales) {
  struct Scale {
    double factor;
    std::uint32_t dpi;
  };
  for (const Scale scale : {Scale{1.0, 96}, Scale{1.25, 120}, Scale{1.5, 144}, Scale{1.75, 168},
                            Scale{2.0, 192}, Scale{2.25, 216}, Scale{3.5, 336}}) {
    for (std::uint32_t size = 0; size <= 4000; ++size) {
      const PhysicalSize view = ViewSizeForResize(size, size, scale.factor, scale.dpi);
      ASSERT_EQ(view.width, static_cast<std::int32_t>(size)) << scale.dpi;
      ASSERT_EQ(view.height, static_cast<std::int32_t>(size)) << scale.dpi;
    }
  }
}

TEST(ViewSizeForResizeTest, HostAtAnotherDpiGetsItsOwnPixels) {
  EXPECT_EQ(ViewSizeForResize(1920, 1200, 1.5, 96), (PhysicalSize{1280, 800}));
  EXPECT_EQ(ViewSizeForResize(1280, 800, 1.0, 144), (PhysicalSize{1920, 1200}));
}

TEST(ViewSizeForResizeTest, NoIntegerStepBetweenTheConversions) {
  // 5 pixels at 200 % are 2.5 logical ones, 7.5 pixels on a 300 % host: 8. Rounding the
  // logical size first would give 9, truncating it 6.
  EXPECT_EQ(ViewSizeForResize(5, 1, 2.0, 288), (PhysicalSize{8, 2}));
  EXPECT_EQ(ViewSizeForResize(1001, 1001, 1.5, 96), (PhysicalSize{667, 667}));
  // 1281 at 100 % on a 150 % host is 1921.5, which rounds up; 1 pixel becomes 1.5 -> 2.
  EXPECT_EQ(ViewSizeForResize(1281, 1, 1.0, 144), (PhysicalSize{1922, 2}));
  // 3 pixels at 150 % are 2 logical pixels, 2 physical ones on a 100 % host.
  EXPECT_EQ(ViewSizeForResize(3, 5, 1.5, 96), (PhysicalSize{2, 3}));
}

TEST(ViewSizeForResizeTest, MinimisedWindowGivesAnEmptyView) {
  EXPECT_EQ(ViewSizeForResize(0, 0, 1.5, 144), (PhysicalSize{0, 0}));
}

TEST(ViewSizeForResizeTest, LargestSizesAreClamped) {
  EXPECT_EQ(ViewSizeForResize(UINT32_MAX, UINT32_MAX, 1.0, 96),
            (PhysicalSize{INT32_MAX, INT32_MAX}));
  EXPECT_EQ(ViewSizeForResize(UINT32_MAX, 10, 1.0, 48), (PhysicalSize{INT32_MAX, 5}));
}

TEST(ViewSizeForResizeTest, ZeroScaleDoesNotCrash) {
  EXPECT_EQ(ViewSizeForResize(0, 100, 0.0, 96), (PhysicalSize{0, INT32_MAX}));
  EXPECT_EQ(ViewSizeForResize(100, 100, kNaN, 96), (PhysicalSize{0, 0}));
}

TEST(ViewSizeForResizeTest, ZeroHostDpiGivesAnEmptyView) {
  EXPECT_EQ(ViewSizeForResize(1280, 800, 1.0, 0), (PhysicalSize{0, 0}));
}

TEST(ClientSizeForLogicalTest, LogicalSizeTimesScale) {
  EXPECT_EQ(ClientSizeForLogical(1280.0, 1.0), 1280u);
  EXPECT_EQ(ClientSizeForLogical(800.0, 1.0), 800u);
  EXPECT_EQ(ClientSizeForLogical(1280.0, 1.5), 1920u);
  EXPECT_EQ(ClientSizeForLogical(800.0, 1.5), 1200u);
  EXPECT_EQ(ClientSizeForLogical(1280.0, 1.25), 1600u);
  EXPECT_EQ(ClientSizeForLogical(801.0, 1.25), 1001u);  // 1001.25
  EXPECT_EQ(ClientSizeForLogical(1.0, 2.5), 3u);        // 2.5 rounds up
}

TEST(ClientSizeForLogicalTest, BadValuesStayInRange) {
  EXPECT_EQ(ClientSizeForLogical(kNaN, 1.0), 0u);
  EXPECT_EQ(ClientSizeForLogical(-5.0, 1.0), 0u);
  EXPECT_EQ(ClientSizeForLogical(1e12, 1.0), UINT32_MAX);
  EXPECT_EQ(ClientSizeForLogical(kInfinity, 1.0), UINT32_MAX);
  EXPECT_EQ(ClientSizeForLogical(kInfinity, 0.0), 0u);  // NaN
}

// Probes that count their calls and give fixed answers.
struct FakeDpiSystem {
  std::optional<std::uint32_t> windowDpi;
  std::optional<std::uint32_t> monitorDpi;
  bool processAware = false;
  std::int32_t deviceDpi = 0;
  int windowCalls = 0;
  int monitorCalls = 0;
  int awareCalls = 0;
  int deviceCalls = 0;

  HostDpiProbes Probes() {
    HostDpiProbes probes;
    probes.dpiForWindow = [this] {
      ++windowCalls;
      return windowDpi;
    };
    probes.dpiForMonitor = [this] {
      ++monitorCalls;
      return monitorDpi;
    };
    probes.isProcessDpiAware = [this] {
      ++awareCalls;
      return processAware;
    };
    probes.deviceCapsDpi = [this] {
      ++deviceCalls;
      return deviceDpi;
    };
    return probes;
  }
};

TEST(ResolveHostDpiTest, WindowDpiWinsAndNothingElseIsAsked) {
  FakeDpiSystem system;
  system.windowDpi = 144;
  system.monitorDpi = 120;
  EXPECT_EQ(ResolveHostDpi(system.Probes()), 144u);
  EXPECT_EQ(system.windowCalls, 1);
  EXPECT_EQ(system.monitorCalls, 0);
  EXPECT_EQ(system.awareCalls, 0);
}

TEST(ResolveHostDpiTest, FailedWindowDpiGives96WithoutFallingThrough) {
  FakeDpiSystem system;
  system.windowDpi = 0;
  system.monitorDpi = 120;
  EXPECT_EQ(ResolveHostDpi(system.Probes()), 96u);
  EXPECT_EQ(system.monitorCalls, 0);
}

TEST(ResolveHostDpiTest, MonitorDpiWhenWindowDpiIsMissing) {
  FakeDpiSystem system;
  system.monitorDpi = 120;
  EXPECT_EQ(ResolveHostDpi(system.Probes()), 120u);
  EXPECT_EQ(system.windowCalls, 1);
  EXPECT_EQ(system.monitorCalls, 1);
  EXPECT_EQ(system.awareCalls, 0);
}

TEST(ResolveHostDpiTest, NoMonitorGives96WithoutFallingThrough) {
  FakeDpiSystem system;
  system.monitorDpi = 0;
  system.processAware = true;
  system.deviceDpi = 192;
  EXPECT_EQ(ResolveHostDpi(system.Probes()), 96u);
  EXPECT_EQ(system.awareCalls, 0);
  EXPECT_EQ(system.deviceCalls, 0);
}

TEST(ResolveHostDpiTest, DeviceDpiForADpiAwareProcessOnOlderSystems) {
  FakeDpiSystem system;
  system.processAware = true;
  system.deviceDpi = 192;
  EXPECT_EQ(ResolveHostDpi(system.Probes()), 192u);
  EXPECT_EQ(system.deviceCalls, 1);
}

TEST(ResolveHostDpiTest, UnawareProcessGets96WithoutAskingTheDevice) {
  FakeDpiSystem system;
  system.processAware = false;
  system.deviceDpi = 192;
  EXPECT_EQ(ResolveHostDpi(system.Probes()), 96u);
  EXPECT_EQ(system.awareCalls, 1);
  EXPECT_EQ(system.deviceCalls, 0);
}

TEST(ResolveHostDpiTest, FailedDeviceContextGives96) {
  FakeDpiSystem system;
  system.processAware = true;
  system.deviceDpi = 0;
  EXPECT_EQ(ResolveHostDpi(system.Probes()), 96u);
  system.deviceDpi = -1;
  EXPECT_EQ(ResolveHostDpi(system.Probes()), 96u);
}

TEST(ResolveHostDpiTest, EmptyProbesCountAsMissingFunctions) {
  EXPECT_EQ(ResolveHostDpi(HostDpiProbes{}), 96u);
  HostDpiProbes awareOnly;
  awareOnly.isProcessDpiAware = [] { return true; };
  EXPECT_EQ(ResolveHostDpi(awareOnly), 96u);
}

}  // namespace
}  // namespace mirvot
