#include "shell/forged_message.h"

namespace mirvot {
namespace {

bool IsSentOnlyMessage(UINT message) noexcept {
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
bool IsOwnWindow(HWND window) noexcept {
  return window != nullptr &&
         ::GetClassLongPtrW(window, GCLP_HMODULE) ==
             reinterpret_cast<ULONG_PTR>(::GetModuleHandleW(nullptr));
}

}  // namespace

bool IsForgedSystemMessage(const MSG& message) noexcept {
  return IsSentOnlyMessage(message.message) && IsOwnWindow(message.hwnd);
}

}  // namespace mirvot
