#pragma once
// Sees another process's top-level window become visible. Under Wine 8 neither an out-of-context
// SetWinEventHook (EVENT_OBJECT_SHOW) nor anything else reports another process's window being
// shown, so the runner polls: FindWindowExW for the class and title, owned by the process, and
// IsWindowVisible, then Sleep(1). The window became visible between the last two checks; that
// gap is the resolution of the figure and is reported with it.
#include <windows.h>

#include <optional>

#include "launched_program.h"
#include "precise_time.h"

namespace mirvot::bench {

struct WindowSighting {
  HWND window = nullptr;
  FileTimeTicks seenAt = 0;        // the check that found it visible
  FileTimeTicks lastMissedAt = 0;  // the check before, which did not
};

// Waits until the process owns a visible top-level window of that class and title; nothing
// when the process ends or timeoutMs passes first.
std::optional<WindowSighting> WaitForVisibleWindow(const LaunchedProgram& program,
                                                   const wchar_t* className, const wchar_t* title,
                                                   DWORD timeoutMs);

}  // namespace mirvot::bench
