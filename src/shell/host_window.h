#pragma once
// The host window: a child of the main window that fills its client area and is the engine's
// parent window, so the view can be placed and shown independently of the main window.
#include <windows.h>

namespace mirvot {

inline constexpr wchar_t kHostWindowClassName[] = L"MIRVOT_VIEW_HOST";

// How the host (or the engine's window in it) is moved to a new size: in place, without
// changing the z-order or activating it, and posted rather than waited for.
inline constexpr UINT kHostResizeFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS;
static_assert(kHostResizeFlags == 0x4014);

// The host window's procedure: passes the focus it receives on to its first child (the
// engine's window); everything else is default handling.
LRESULT CALLBACK host_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the host window class in this program's module. A class of that name that is
// already registered with our procedure is reused; one registered with another procedure is
// replaced. Failures are not reported: creating the host window then fails instead.
void register_host_window_class() noexcept;

// Creates the host window as a visible child of `parent` covering its client area and raises
// it to the top of its siblings. On failure nothing is left behind and *host is null.
[[nodiscard]] HRESULT create_host_window(HWND parent, HWND* host) noexcept;

}  // namespace mirvot
