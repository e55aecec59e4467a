#include "shell/own_windows.h"

#include <array>

namespace mirvot {
namespace {

// The window procedures of the program's own classes: the main window's and the view host's.
std::array<WNDPROC, 4> g_own_procedures{};

bool is_sent_only_message(UINT message) noexcept {
  for (const UINT sentOnly : {WM_SIZE, WM_MOVE, WM_SETFOCUS, WM_DESTROY, WM_NCDESTROY}) {
    if (message == sentOnly) {
      return true;
    }
  }
  return false;
}

}  // namespace

ATOM register_own_window_class(const WNDCLASSEXW& windowClass) noexcept {
  for (WNDPROC& procedure : g_own_procedures) {
    if (procedure == nullptr || procedure == windowClass.lpfnWndProc) {
      procedure = windowClass.lpfnWndProc;
      break;
    }
  }
  return ::RegisterClassExW(&windowClass);
}

bool is_own_window(HWND window) noexcept {
  if (window == nullptr) {
    return false;
  }
  const auto procedure = reinterpret_cast<WNDPROC>(::GetClassLongPtrW(window, GCLP_WNDPROC));
  for (const WNDPROC own : g_own_procedures) {
    if (own != nullptr && own == procedure) {
      return true;
    }
  }
  return false;
}

bool is_forged_system_message(const MSG& message) noexcept {
  return is_sent_only_message(message.message) && is_own_window(message.hwnd);
}

}  // namespace mirvot
