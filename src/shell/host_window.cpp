#include "shell/host_window.h"

#include "common/hresult.h"
#include "common/own_messages.h"
#include "shell/own_windows.h"

namespace mirvot {
namespace {

HINSTANCE program_module() noexcept { return ::GetModuleHandleW(nullptr); }

WNDCLASSEXW host_window_class() noexcept {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = host_window_proc;
  windowClass.hInstance = program_module();
  windowClass.lpszClassName = kHostWindowClassName;
  return windowClass;
}

// Raises the host to the top of its siblings without moving, sizing or activating anything, and
// without waiting for the window's thread.
constexpr UINT kRaiseToTopFlags =
    SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_ASYNCWINDOWPOS;
static_assert(kRaiseToTopFlags == 0x4213);

}  // namespace

LRESULT CALLBACK host_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETFOCUS) {
    const HWND child = ::GetWindow(window, GW_CHILD);
    if (child != nullptr) {
      ::SetFocus(child);
    }
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void register_host_window_class() noexcept {
  const WNDCLASSEXW windowClass = host_window_class();
  if (register_own_window_class(windowClass) != 0) {
    return;
  }
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (::GetClassInfoExW(windowClass.hInstance, kHostWindowClassName, &existing) == 0) {
    return;
  }
  if (existing.lpfnWndProc == host_window_proc) {
    return;
  }
  ::UnregisterClassW(kHostWindowClassName, windowClass.hInstance);
  register_own_window_class(windowClass);
}

HRESULT create_host_window(HWND parent, HWND* host) noexcept {
  *host = nullptr;
  RECT client{};
  if (!::GetClientRect(parent, &client)) {
    return LastErrorAsFailure();
  }
  const HWND window =
      ::CreateWindowExW(0, kHostWindowClassName, nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE,
                        0, 0, client.right - client.left, client.bottom - client.top, parent,
                        nullptr, program_module(), nullptr);
  if (window == nullptr) {
    return LastErrorAsFailure();
  }
  if (!::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, kRaiseToTopFlags)) {
    const HRESULT hr = LastErrorAsFailure();
    static_cast<void>(DestroyOwnWindow(window));
    return hr;
  }
  *host = window;
  return S_OK;
}

}  // namespace mirvot
