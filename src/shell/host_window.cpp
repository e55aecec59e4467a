#include "shell/host_window.h"

#include "common/hresult.h"

namespace mirvot {
namespace {

HINSTANCE ProgramModule() noexcept { return ::GetModuleHandleW(nullptr); }

WNDCLASSEXW HostWindowClass() noexcept {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = HostWindowProc;
  windowClass.hInstance = ProgramModule();
  windowClass.lpszClassName = kHostWindowClassName;
  return windowClass;
}

// SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_ASYNCWINDOWPOS.
constexpr UINT kRaiseToTopFlags = 0x4213;

}  // namespace

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETFOCUS) {
    const HWND child = ::GetWindow(window, GW_CHILD);
    if (child != nullptr) {
      ::SetFocus(child);
    }
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void RegisterHostWindowClass() noexcept {
  const WNDCLASSEXW windowClass = HostWindowClass();
  if (::RegisterClassExW(&windowClass) != 0) {
    return;
  }
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (::GetClassInfoExW(windowClass.hInstance, kHostWindowClassName, &existing) == 0) {
    return;
  }
  if (existing.lpfnWndProc == HostWindowProc) {
    return;
  }
  ::UnregisterClassW(kHostWindowClassName, windowClass.hInstance);
  ::RegisterClassExW(&windowClass);
}

HRESULT CreateHostWindow(HWND parent, HWND* host) noexcept {
  *host = nullptr;
  RECT client{};
  if (!::GetClientRect(parent, &client)) {
    return LastErrorAsFailure();
  }
  const HWND window = ::CreateWindowExW(
      0, kHostWindowClassName, nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
      client.right - client.left, client.bottom - client.top, parent, nullptr, ProgramModule(),
      nullptr);
  if (window == nullptr) {
    return LastErrorAsFailure();
  }
  if (!::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, kRaiseToTopFlags)) {
    const HRESULT hr = LastErrorAsFailure();
    ::DestroyWindow(window);
    return hr;
  }
  *host = window;
  return S_OK;
}

}  // namespace mirvot
