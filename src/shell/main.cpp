// Mirvot Desktop: one window with the service's web application in it.
#include <windows.h>

#include <memory>

#include "shell/app.h"
#include "shell/browser_view_error.h"
#include "shell/event_loop.h"
#include "shell/fatal.h"

// Nothing may leave the entry: an exception ends the process through the fatal path, never
// through std::terminate.
int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) try {
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
