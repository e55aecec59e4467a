#include "shell/forged_message.h"

#include "shell/host_window.h"
#include "shell/main_window.h"

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

// The program's own windows, known by their classes' window procedures: the main window and the
// view's host window.
bool is_own_window(HWND window) noexcept {
  return is_main_window(window) || is_host_window(window);
}

}  // namespace

bool is_forged_system_message(const MSG& message) noexcept {
  return is_sent_only_message(message.message) && is_own_window(message.hwnd);
}

}  // namespace mirvot
