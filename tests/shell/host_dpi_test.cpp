// The host window's DPI from the best source the system offers, with the system's functions
// replaced by fakes that count their calls and give fixed answers.
#include "shell/host_dpi.h"

#include <array>

#include <gtest/gtest.h>

namespace mirvot {
namespace {

// What the fake system answers; a missing function is a null member of the functions given.
struct FakeDpiSystem {
  UINT windowDpi = 0;
  bool hasMonitor = true;
  HRESULT monitorResult = S_OK;
  UINT monitorDpi = 0;
  BOOL processAware = FALSE;
  int deviceDpi = 0;
  int windowCalls = 0;
  int monitorCalls = 0;
  int awareCalls = 0;
  int deviceCalls = 0;
};

FakeDpiSystem g_system;

UINT WINAPI FakeGetDpiForWindow(HWND) { return ++g_system.windowCalls, g_system.windowDpi; }
HMONITOR WINAPI FakeMonitorFromWindow(HWND, DWORD) {
  return g_system.hasMonitor ? reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(0x10)) : nullptr;
}
HRESULT WINAPI FakeGetDpiForMonitor(HMONITOR, MONITOR_DPI_TYPE type, UINT* x, UINT* y) {
  ++g_system.monitorCalls;
  EXPECT_EQ(type, MDT_EFFECTIVE_DPI);
  *x = g_system.monitorDpi;
  *y = g_system.monitorDpi;
  return g_system.monitorResult;
}
BOOL WINAPI FakeIsProcessDpiAware() { return ++g_system.awareCalls, g_system.processAware; }
int FakeDeviceContextDpi(HWND) { return ++g_system.deviceCalls, g_system.deviceDpi; }

enum Present : unsigned { kWindow = 1, kMonitor = 2, kAware = 4 };

HostDpiFunctions Functions(unsigned present) {
  HostDpiFunctions functions;
  functions.get_dpi_for_window = (present & kWindow) != 0 ? FakeGetDpiForWindow : nullptr;
  functions.monitor_from_window = FakeMonitorFromWindow;
  functions.get_dpi_for_monitor = (present & kMonitor) != 0 ? FakeGetDpiForMonitor : nullptr;
  functions.is_process_dpi_aware = (present & kAware) != 0 ? FakeIsProcessDpiAware : nullptr;
  functions.device_context_dpi = FakeDeviceContextDpi;
  return functions;
}

TEST(HostWindowDpi, FirstAvailableSourceDecidesAndFailuresGive96) {
  // How often each source was asked: window, monitor, process awareness, device context.
  using Calls = std::array<int, 4>;
  const struct {
    const char* name;
    unsigned present;
    FakeDpiSystem system;
    std::uint32_t dpi;
    Calls calls;
  } cases[] = {
      // One case to a row; the formatter would give every field of a case its own line.
      // clang-format off
      {"window dpi wins", kWindow | kMonitor | kAware, {.windowDpi = 144, .monitorDpi = 120}, 144,
       {1, 0, 0, 0}},
      {"failed window dpi does not fall through", kWindow | kMonitor,
       {.windowDpi = 0, .monitorDpi = 120}, 96, {1, 0, 0, 0}},
      {"monitor dpi without the window function", kMonitor | kAware, {.monitorDpi = 120}, 120,
       {0, 1, 0, 0}},
      {"no monitor does not fall through", kMonitor | kAware,
       {.hasMonitor = false, .processAware = TRUE, .deviceDpi = 192}, 96, {0, 0, 0, 0}},
      {"failed monitor dpi", kMonitor, {.monitorResult = E_FAIL, .monitorDpi = 120}, 96,
       {0, 1, 0, 0}},
      {"zero monitor dpi", kMonitor, {.monitorDpi = 0}, 96, {0, 1, 0, 0}},
      {"device dpi for an aware process", kAware, {.processAware = TRUE, .deviceDpi = 192}, 192,
       {0, 0, 1, 1}},
      {"unaware process is not asked for the device", kAware,
       {.processAware = FALSE, .deviceDpi = 192}, 96, {0, 0, 1, 0}},
      {"no device context", kAware, {.processAware = TRUE, .deviceDpi = 0}, 96, {0, 0, 1, 1}},
      {"negative device dpi", kAware, {.processAware = TRUE, .deviceDpi = -1}, 96, {0, 0, 1, 1}},
      {"no function at all", 0, {.processAware = TRUE, .deviceDpi = 192}, 96, {0, 0, 0, 0}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    g_system = c.system;
    EXPECT_EQ(host_window_dpi(nullptr, Functions(c.present)), c.dpi);
    const Calls calls = {g_system.windowCalls, g_system.monitorCalls, g_system.awareCalls,
                         g_system.deviceCalls};
    EXPECT_EQ(calls, c.calls);
  }
}

}  // namespace
}  // namespace mirvot
