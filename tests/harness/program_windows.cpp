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

}  // namespace mirvot::test
