#include "shell/host_dpi.h"

#include "common/optional_function.h"
#include "common/owners.h"
#include "shell/core/view_size.h"

namespace mirvot {
namespace {

int device_context_dpi(HWND window) noexcept {
  const HDC dc = ::GetDC(window);
  if (dc == nullptr) {
    return 0;
  }
  const UniqueWindowDeviceContext owner(WindowDeviceContext{window, dc});
  return ::GetDeviceCaps(dc, LOGPIXELSX);
}

std::uint32_t dpi_or_default(UINT dpi) noexcept { return dpi == 0 ? kDefaultDpi : dpi; }

}  // namespace

const HostDpiFunctions& system_host_dpi_functions() noexcept {
  static const HostDpiFunctions functions = [] {
    HostDpiFunctions found;
    found.get_dpi_for_window =
        FindLoadedFunction<decltype(found.get_dpi_for_window)>(L"user32.dll", "GetDpiForWindow");
    if (found.get_dpi_for_window == nullptr) {
      found.get_dpi_for_monitor = FindFunction<decltype(found.get_dpi_for_monitor)>(
          LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
    }
    found.monitor_from_window = &::MonitorFromWindow;
    found.is_process_dpi_aware = &::IsProcessDPIAware;
    found.device_context_dpi = &device_context_dpi;
    return found;
  }();
  return functions;
}

std::uint32_t host_window_dpi(HWND window, const HostDpiFunctions& functions) noexcept {
  if (functions.get_dpi_for_window != nullptr) {
    return dpi_or_default(functions.get_dpi_for_window(window));
  }
  if (functions.get_dpi_for_monitor != nullptr && functions.monitor_from_window != nullptr) {
    const HMONITOR monitor = functions.monitor_from_window(window, MONITOR_DEFAULTTONEAREST);
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (monitor == nullptr ||
        FAILED(functions.get_dpi_for_monitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY))) {
      return kDefaultDpi;
    }
    return dpi_or_default(dpiX);
  }
  if (functions.is_process_dpi_aware != nullptr && functions.is_process_dpi_aware() &&
      functions.device_context_dpi != nullptr) {
    const int dpi = functions.device_context_dpi(window);
    return dpi > 0 ? static_cast<std::uint32_t>(dpi) : kDefaultDpi;
  }
  return kDefaultDpi;
}

std::uint32_t host_window_dpi(HWND window) noexcept {
  return host_window_dpi(window, system_host_dpi_functions());
}

}  // namespace mirvot
