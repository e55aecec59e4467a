#include "shell/window_destruction.h"

namespace mirvot {
namespace {

// One destroy_own_window call in progress, kept on its caller's stack: destroying one window
// may destroy another from inside (a window procedure that reacts to its own destruction), and
// nothing here may allocate.
struct Destruction {
  HWND window;
  const Destruction* outer;
};

// The innermost call in progress. A window is destroyed on the thread that owns it, and this
// program keeps all of its windows on its one thread.
const Destruction* g_innermost = nullptr;

}  // namespace

BOOL destroy_own_window(HWND window) noexcept {
  const Destruction destruction{window, g_innermost};
  g_innermost = &destruction;
  const BOOL destroyed = ::DestroyWindow(window);
  g_innermost = destruction.outer;
  return destroyed;
}

bool is_destroyed_by_program(HWND window) noexcept {
  for (const Destruction* destruction = g_innermost; destruction != nullptr;
       destruction = destruction->outer) {
    if (destruction->window == window) {
      return true;
    }
  }
  return false;
}

}  // namespace mirvot
