#pragma once
// The DPI a window is shown at, from the best source the system offers.
#include <windows.h>

#include <cstdint>

namespace mirvot {

// GetDpiForWindow where the system has it (0 from it gives 96); otherwise GetDpiForMonitor's
// effective DPI of the window's nearest monitor (96 when there is none or the call fails);
// otherwise the screen's LOGPIXELSX when the process is DPI aware, else 96.
[[nodiscard]] std::uint32_t host_window_dpi(HWND window) noexcept;

}  // namespace mirvot
