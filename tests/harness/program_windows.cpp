#include "harness/program_windows.h"

namespace mirvot::test {

HWND FindMainWindowOf(DWORD processId) {
  HWND window = nullptr;
  while ((window = ::FindWindowExW(nullptr, window, L"Window Class", L"Mirvot")) != nullptr) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == processId) {
      return window;
    }
  }
  return nullptr;
}

bool PostPatiently(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  for (int attempt = 0; attempt < 2000; ++attempt) {
    if (::PostMessageW(window, message, wParam, lParam)) {
      return true;
    }
    if (::GetLastError() != ERROR_NOT_ENOUGH_QUOTA) {
      return false;
    }
    ::Sleep(5);
  }
  return false;
}

}  // namespace mirvot::test
