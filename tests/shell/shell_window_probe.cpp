// A small windowed program on the shell's windowing layer, started by shell_process_test in
// situations a test cannot create inside its own process: another DPI, a close request from
// another process, the fatal path and an idle loop.
//
//   shell_window_probe measure <title>
//       opens a 1280 x 800 window, writes "client <w>x<h> scale <s>" on the debugger output
//       and ends with code 0.
//   shell_window_probe wait-for-close <title> <ready event>
//       opens the window, signals the named event once the loop is about to wait and ends
//       the process with exit_on_close when the window gets a close request (code 0).
//   shell_window_probe fatal
//       writes "fatal-line <n>" on standard output and fails at line n with "boom".
//   shell_window_probe app-without-memory
//       runs the program's own App on the loop with every C++ allocation refused from the start
//       of the run: start-up fails, and so does describing the failure.
//   shell_window_probe app-without-any-memory
//       the same with C allocations refused as well (only each std::bad_alloc gets its own
//       object); run with MIRVOT_PROBE_EMPTY_EXCEPTION_POOL, the C++ runtime has no emergency
//       memory for exceptions either.
//   shell_window_probe abort
//       calls abort() with the program's termination routing.
//   shell_window_probe fatal-while-fatal
//       ends through the fatal path for an exception whose text itself calls abort().
//   shell_window_probe loop-without-memory <n>
//       creates the event loop with operator new refused from its n-th call on; ends with 0
//       when creation failed with E_OUTOFMEMORY, 1 when it succeeded, 2 otherwise.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "probe_allocations.h"
#include "shell/app.h"
#include "shell/event_loop.h"
#include "shell/fatal.h"
#include "shell/main_window.h"
#include "shell/window_icon.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kLoopEnded = 3;
constexpr int kSetupFailed = 4;

std::vector<std::wstring> Arguments() {
  int count = 0;
  std::unique_ptr<LPWSTR, decltype(&::LocalFree)> argv(
      ::CommandLineToArgvW(::GetCommandLineW(), &count), &::LocalFree);
  std::vector<std::wstring> arguments;
  for (int i = 0; argv && i < count; ++i) {
    arguments.emplace_back(argv.get()[i]);
  }
  return arguments;
}

std::unique_ptr<mirvot::MainWindow> OpenWindow(mirvot::EventLoop& loop, const std::wstring& title) {
  mirvot::WindowAttributes attributes;
  attributes.title = title;
  attributes.inner_width = 1280.0;
  attributes.inner_height = 800.0;
  attributes.icon = mirvot::load_window_icon();
  std::unique_ptr<mirvot::MainWindow> window;
  if (FAILED(mirvot::MainWindow::create(loop, attributes, window))) {
    ::ExitProcess(kSetupFailed);
  }
  return window;
}

class MeasuringApp final : public mirvot::ApplicationHandler {
 public:
  explicit MeasuringApp(std::wstring title) : title_(std::move(title)) {}

  void on_resumed(mirvot::EventLoop& loop) override {
    window_ = OpenWindow(loop, title_);
    RECT client{};
    ::GetClientRect(window_->hwnd(), &client);
    char report[128];
    std::snprintf(report, sizeof(report), "client %ldx%ld scale %.3f", client.right - client.left,
                  client.bottom - client.top, window_->scale_factor());
    ::OutputDebugStringA(report);
    // A run of the loop never returns: the measurement ends the process.
    ::ExitProcess(0);
  }
  void on_window_event(mirvot::EventLoop&, mirvot::WindowId, const mirvot::WindowEvent&) override {}

 private:
  std::wstring title_;
  std::unique_ptr<mirvot::MainWindow> window_;
};

class ClosingApp final : public mirvot::ApplicationHandler {
 public:
  ClosingApp(std::wstring title, std::wstring readyEvent)
      : title_(std::move(title)), readyEvent_(std::move(readyEvent)) {}

  void on_resumed(mirvot::EventLoop& loop) override {
    window_ = OpenWindow(loop, title_);
    const HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, readyEvent_.c_str());
    if (ready == nullptr) {
      ::ExitProcess(kSetupFailed);
    }
    ::SetEvent(ready);
    // The handle goes with the process.
  }
  void on_window_event(mirvot::EventLoop&, mirvot::WindowId,
                       const mirvot::WindowEvent& event) override {
    if (event.kind == mirvot::WindowEvent::Kind::CloseRequested) {
      mirvot::exit_on_close();
    }
  }

 private:
  std::wstring title_;
  std::wstring readyEvent_;
  std::unique_ptr<mirvot::MainWindow> window_;
};

int RunApp(mirvot::ApplicationHandler& app) {
  std::unique_ptr<mirvot::EventLoop> loop;
  if (FAILED(mirvot::EventLoop::create(loop))) {
    return kSetupFailed;
  }
  return SUCCEEDED(loop->run(app)) ? 0 : kLoopEnded;
}

// An exception whose description cannot be had: asking for it aborts.
struct AbortingException : std::exception {
  const char* what() const noexcept override { std::abort(); }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  mirvot::test::AllowAllocations();
  const std::vector<std::wstring> arguments = Arguments();
  if (arguments.size() == 3 && arguments[1] == L"measure") {
    MeasuringApp app(arguments[2]);
    return RunApp(app);
  }
  if (arguments.size() == 4 && arguments[1] == L"wait-for-close") {
    ClosingApp app(arguments[2], arguments[3]);
    const int result = RunApp(app);
    return result == 0 ? kLoopEnded : result;
  }
  const bool withoutAnyMemory = arguments.size() == 2 && arguments[1] == L"app-without-any-memory";
  if (withoutAnyMemory || (arguments.size() == 2 && arguments[1] == L"app-without-memory")) {
    std::unique_ptr<mirvot::EventLoop> loop;
    if (FAILED(mirvot::EventLoop::create(loop))) {
      return kSetupFailed;
    }
    mirvot::App app;
    mirvot::route_termination_to_fatal_path();
    if (withoutAnyMemory) {
      // The C++ runtime sets up this thread's exception state at the first throw, from the C
      // heap (and aborts when it cannot); a program that runs out of memory has thrown before.
      try {
        throw 0;
      } catch (int) {
      }
    }
    mirvot::test::RefuseAllocations(withoutAnyMemory ? 0 : mirvot::test::kUnlimited);
    return SUCCEEDED(loop->run(app)) ? 0 : kLoopEnded;
  }
  if (arguments.size() == 2 && arguments[1] == L"abort") {
    mirvot::route_termination_to_fatal_path();
    std::abort();
  }
  if (arguments.size() == 2 && arguments[1] == L"fatal-while-fatal") {
    mirvot::route_termination_to_fatal_path();
    try {
      throw AbortingException();
    }
    MIRVOT_CATCH_FATAL("the probe")
  }
  // 0: the loop's creation failed with E_OUTOFMEMORY; 1: it succeeded; 2: it failed otherwise.
  if (arguments.size() == 3 && arguments[1] == L"loop-without-memory") {
    mirvot::test::RefuseAllocationsFrom(_wtoi(arguments[2].c_str()));
    std::unique_ptr<mirvot::EventLoop> loop;
    const HRESULT hr = mirvot::EventLoop::create(loop);
    return hr == E_OUTOFMEMORY && !loop ? 0 : SUCCEEDED(hr) ? 1 : 2;
  }
  if (arguments.size() == 2 && arguments[1] == L"fatal") {
    std::printf("fatal-line %d\n", __LINE__ + 2);
    std::fflush(stdout);
    MIRVOT_FATAL("boom");
  }
  return kUsageError;
}
