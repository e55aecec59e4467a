#pragma once
// The host window: a child of the main window that fills its client area and is the engine's
// parent window, so the view can be placed and shown independently of the main window.
#include <windows.h>

#include "common/owners.h"

namespace mirvot {

inline constexpr wchar_t kHostWindowClassName[] = L"WRY_WEBVIEW";

// The host window's procedure: passes the focus it receives on to its first child (the
// engine's window); everything else is default handling.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the host window class in this program's module. A class of that name that is
// already registered with our procedure is reused; one registered with another procedure is
// replaced. Failures are not reported: creating the host window then fails instead.
void RegisterHostWindowClass() noexcept;

// A host window that is destroyed unless ownership is given up: a view whose creation failed
// leaves no window behind. A finished view's host is owned by the main window.
struct HostWindowTraits {
  using Handle = HWND;
  static Handle Invalid() noexcept { return nullptr; }
  static void Free(Handle h) noexcept { ::DestroyWindow(h); }
};
using UniqueHostWindow = UniqueOwner<HostWindowTraits>;

// Creates the host window as a visible child of `parent` covering its client area and raises
// it to the top of its siblings. On failure nothing is left behind and *host is null.
[[nodiscard]] HRESULT CreateHostWindow(HWND parent, HWND* host) noexcept;

}  // namespace mirvot
