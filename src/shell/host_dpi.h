#pragma once
// The DPI a window is shown at, from the best source the system offers.
#include <windows.h>
#include <shellscalingapi.h>

#include <cstdint>

namespace mirvot {

// The system functions the DPI of a window can come from, best first; null where the system
// lacks one.
struct HostDpiFunctions {
  UINT(WINAPI* get_dpi_for_window)(HWND) = nullptr;  // user32, Windows 10 1607 and later
  HMONITOR(WINAPI* monitor_from_window)(HWND, DWORD) = nullptr;
  HRESULT(WINAPI* get_dpi_for_monitor)
  (HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*) = nullptr;  // shcore
  BOOL(WINAPI* is_process_dpi_aware)() = nullptr;
  // LOGPIXELSX of the window's device context; 0 or less when there is none.
  int (*device_context_dpi)(HWND) = nullptr;
};

// This system's functions, looked up once. shcore is loaded only where user32 lacks
// GetDpiForWindow: the chain never reaches GetDpiForMonitor otherwise, and loading the library
// costs start-up time.
[[nodiscard]] const HostDpiFunctions& system_host_dpi_functions() noexcept;

// GetDpiForWindow where the system has it (0 from it gives 96); otherwise GetDpiForMonitor's
// effective DPI of the window's nearest monitor (96 when there is none or the call fails);
// otherwise the screen's LOGPIXELSX when the process is DPI aware, else 96. A failed source never
// gives less than 96, so it cannot shrink the view to nothing.
[[nodiscard]] std::uint32_t host_window_dpi(HWND window,
                                            const HostDpiFunctions& functions) noexcept;

// host_window_dpi with this system's functions.
[[nodiscard]] std::uint32_t host_window_dpi(HWND window) noexcept;

}  // namespace mirvot
