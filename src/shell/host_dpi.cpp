#include "shell/host_dpi.h"

#include <shellscalingapi.h>

#include "common/optional_function.h"
#include "shell/core/view_size.h"
#include "shell/system_modules.h"

namespace mirvot {
namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);

GetDpiForWindowFunction GetDpiForWindowIfPresent() noexcept {
  static const auto function =
      FindFunction<GetDpiForWindowFunction>(User32Module(), "GetDpiForWindow");
  return function;
}

GetDpiForMonitorFunction GetDpiForMonitorIfPresent() noexcept {
  static const auto function =
      FindFunction<GetDpiForMonitorFunction>(ShcoreModule(), "GetDpiForMonitor");
  return function;
}

// The window's device context, released again when the probe is done.
class WindowDeviceContext {
 public:
  explicit WindowDeviceContext(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  ~WindowDeviceContext() {
    if (dc_ != nullptr) {
      ::ReleaseDC(window_, dc_);
    }
  }
  WindowDeviceContext(const WindowDeviceContext&) = delete;
  WindowDeviceContext& operator=(const WindowDeviceContext&) = delete;
  [[nodiscard]] HDC get() const noexcept { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace

std::uint32_t host_window_dpi(HWND window) noexcept {
  HostDpiProbes probes;
  // shcore is looked for (and so loaded) only where user32 lacks the per-window function: with
  // it, the monitor's DPI is never asked for, and loading shcore would only cost start-up time.
  if (const GetDpiForWindowFunction dpiForWindow = GetDpiForWindowIfPresent()) {
    probes.dpiForWindow = [=]() -> std::optional<std::uint32_t> { return dpiForWindow(window); };
  } else if (const GetDpiForMonitorFunction dpiForMonitor = GetDpiForMonitorIfPresent()) {
    probes.dpiForMonitor = [=]() -> std::optional<std::uint32_t> {
      const HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
      if (monitor == nullptr) {
        return 0u;
      }
      UINT dpiX = 0;
      UINT dpiY = 0;
      if (FAILED(dpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY))) {
        return 0u;
      }
      return dpiX;
    };
  }
  probes.isProcessDpiAware = [] { return ::IsProcessDPIAware() != FALSE; };
  probes.deviceCapsDpi = [=]() -> std::int32_t {
    const WindowDeviceContext dc(window);
    return dc.get() != nullptr ? ::GetDeviceCaps(dc.get(), LOGPIXELSX) : 0;
  };
  return ResolveHostDpi(probes);
}

}  // namespace mirvot
