#include "window_watch.h"

namespace mirvot::bench {
namespace {

HWND FindWindowOf(DWORD processId, const wchar_t* className, const wchar_t* title) {
  HWND window = nullptr;
  while ((window = ::FindWindowExW(nullptr, window, className, title)) != nullptr) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == processId) {
      return window;
    }
  }
  return nullptr;
}

}  // namespace

std::optional<WindowSighting> WaitForVisibleWindow(const LaunchedProgram& program,
                                                   const wchar_t* className, const wchar_t* title,
                                                   DWORD timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  HWND window = nullptr;
  FileTimeTicks lastMissedAt = program.createdAt;
  for (;;) {
    if (window == nullptr) {
      window = FindWindowOf(program.processId, className, title);
    }
    if (window != nullptr && ::IsWindowVisible(window)) {
      return WindowSighting{window, PreciseNow(), lastMissedAt};
    }
    lastMissedAt = PreciseNow();
    if (!IsRunning(program) || ::GetTickCount64() > deadline) {
      return std::nullopt;
    }
    ::Sleep(1);
  }
}

}  // namespace mirvot::bench
