#include "shell/forged_message.h"

namespace mirvot {
namespace {

bool is_sent_only_message(UINT message) noexcept {
  switch (message) {
    case WM_SIZE:
    case WM_MOVE:
    case WM_SETFOCUS:
    case WM_DESTROY:
    case WM_NCDESTROY:
      return true;
    default:
      return false;
  }
}

// Windows whose class this executable registered: the main window and the view's host window.
bool is_own_window(HWND window) noexcept {
  return window != nullptr && ::GetClassLongPtrW(window, GCLP_HMODULE) ==
                                  reinterpret_cast<ULONG_PTR>(::GetModuleHandleW(nullptr));
}

}  // namespace

bool is_forged_system_message(const MSG& message) noexcept {
  return is_sent_only_message(message.message) && is_own_window(message.hwnd);
}

}  // namespace mirvot
