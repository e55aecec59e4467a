#include "shell/window_destruction.h"

namespace mirvot {
namespace {

// One destroy_own_window call in progress, kept on its caller's stack: destroying one window
// may destroy another from inside (a window procedure that reacts to its own destruction), and
// nothing here may allocate.
struct Destruction {
  HWND window;
  DWORD thread;
  const Destruction* outer;
};

// The innermost call in progress. Windows are destroyed on their own thread, and this program
// keeps all of its windows on its one thread; the thread is recorded all the same, so that a
// window of another thread never counts as being destroyed.
const Destruction* g_innermost = nullptr;

}  // namespace

BOOL destroy_own_window(HWND window) noexcept {
  const Destruction destruction{window, ::GetCurrentThreadId(), g_innermost};
  g_innermost = &destruction;
  const BOOL destroyed = ::DestroyWindow(window);
  g_innermost = destruction.outer;
  return destroyed;
}

bool is_destroyed_by_program(HWND window) noexcept {
  const DWORD thread = ::GetCurrentThreadId();
  for (const Destruction* destruction = g_innermost; destruction != nullptr;
       destruction = destruction->outer) {
    if (destruction->window == window && destruction->thread == thread) {
      return true;
    }
  }
  return false;
}

}  // namespace mirvot
