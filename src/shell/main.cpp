// Mirvot Desktop: one window with the service's web application in it.
#include <windows.h>

#include <cstddef>
#include <memory>

#include "shell/app.h"
#include "shell/browser_view_error.h"
#include "shell/dll_search.h"
#include "shell/event_loop.h"
#include "shell/fatal.h"

#if defined(__MINGW32__)
// MinGW's start-up code copies the command line's arguments with malloc, right before it runs
// the program's static constructors, and writes through a failed result. The link sends every
// malloc of the program here (-Wl,--wrap=malloc, src/shell/CMakeLists.txt) so that, until the
// first constructor runs, a failed allocation ends the process on the fatal path instead, as the
// platform's own C runtime ends a program whose arguments it cannot copy. From then on the
// caller handles the failure; the system's malloc does the work throughout.
//
// The wrapper reaches that malloc through an import of its own (start_up_crt.def: the C
// runtime's malloc under the name crt_malloc), not through __real_malloc: lld's --wrap also
// points the import slot behind the original malloc at the wrapper, so __real_malloc would
// call the wrapper again until the stack runs out. The import is still the C runtime's malloc
// by name, so whatever stands in for the C runtime sees each of these calls as a malloc.
namespace {

// volatile: an optimiser may otherwise run the constructor below at compile time, as if every
// constructor ran before any other code, and drop the wrapper's check (clang 16 does). The
// wrapper runs before the constructors.
volatile bool g_start_up_copies_made = false;

// The first of all constructors (priority 101, the earliest a program may use).
__attribute__((constructor(101))) void note_end_of_start_up_copies() {
  g_start_up_copies_made = true;
}

}  // namespace

extern "C" __declspec(dllimport) void* crt_malloc(std::size_t bytes);

// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" void* __wrap_malloc(std::size_t bytes) {
  void* const block = crt_malloc(bytes);
  if (block == nullptr && !g_start_up_copies_made) {
    MIRVOT_FATAL("OutOfMemory(the C runtime's start-up)");
  }
  return block;
}
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
#endif

// Nothing may leave the entry: an exception ends the process through the fatal path, never
// through std::terminate.
int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) try {
  // First of all, before the program's own code can load a library by name.
  mirvot::restrict_dll_search();
  mirvot::route_termination_to_fatal_path();
  std::unique_ptr<mirvot::EventLoop> loop;
  if (const HRESULT hr = mirvot::EventLoop::create(loop); FAILED(hr)) {
    MIRVOT_FATAL("EventLoopError(" + mirvot::windows_error_description(hr) + ")");
  }
  mirvot::App app;
  // The loop runs for the life of the process: closing the window ends it from inside.
  if (const HRESULT hr = loop->run(app); FAILED(hr)) {
    MIRVOT_FATAL("EventLoopError(" + mirvot::windows_error_description(hr) + ")");
  }
  return 0;
}
MIRVOT_CATCH_FATAL("WinMain")
