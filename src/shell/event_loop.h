#pragma once
// The shell's event loop, written directly on Win32.
//
// One loop exists at a time, on the thread that created it (the main thread); its windows are
// created on that thread through it (MainWindow::create). The loop turns the main window's
// messages into window events and hands them to one ApplicationHandler, never re-entrantly:
// an event that arises while a handler runs (through a nested message pump inside it, or a
// message the handler sends itself) is queued and handed over, in order of arrival, as soon as
// that handler returns.
//
// The loop waits without a timeout and arms no timer, so an idle program costs no CPU.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>

namespace mirvot {

struct WindowEvent {
  enum class Kind {
    // The client area's new size in physical pixels (0 x 0 when the window was minimised).
    Resized,
    // WM_CLOSE: the user or another program asked the window to close. The window stays.
    CloseRequested,
  };
  Kind kind;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// E_ILLEGAL_METHOD_CALL, which not every SDK's headers define: run() called while the loop runs.
inline constexpr HRESULT kLoopAlreadyRunning = static_cast<HRESULT>(0x8000000EL);

// There is one main window; its handle identifies it.
using WindowId = HWND;

class EventLoop;

class ApplicationHandler {
 public:
  virtual ~ApplicationHandler() = default;
  // Once per run, before the loop first waits.
  virtual void on_resumed(EventLoop& loop) = 0;
  // For every event of a window of the loop.
  virtual void on_window_event(EventLoop& loop, WindowId window, const WindowEvent& event) = 0;
};

class EventLoop {
 public:
  // Declares the process per-monitor DPI aware (once per process) and creates the loop on the
  // calling thread. Fails with HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS) while a loop exists,
  // leaving `loop` as it was.
  [[nodiscard]] static HRESULT create(std::unique_ptr<EventLoop>& loop) noexcept;

  ~EventLoop();
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  // Calls handler.on_resumed, hands over the events queued meanwhile, then waits for messages
  // and dispatches them until exit() is called, which the program never does: its loop runs
  // for the life of the process. Every queued message is dispatched, WM_QUIT included (it ends
  // nothing: any program can post one to this thread), except forged copies of the messages
  // the system only ever sends (is_forged_system_message). Returns S_OK after exit(); fails with
  // RPC_E_WRONG_THREAD on another thread than the loop's and kLoopAlreadyRunning when the loop
  // is already running; a failed wait is returned as its error.
  [[nodiscard]] HRESULT run(ApplicationHandler& handler);

  // Makes run() return once the handler call or the message being dispatched has finished.
  // A call on the loop, not a message, so that nothing outside the process can end the loop.
  void exit() noexcept { exit_requested_ = true; }

  // The thread that owns the loop and its windows.
  [[nodiscard]] DWORD thread_id() const noexcept { return thread_id_; }

  // The loop of the calling thread; null when there is none. Window procedures use it.
  [[nodiscard]] static EventLoop* current() noexcept;

  // Called by the window procedures of the loop's windows: hands the event to the running
  // handler now, or queues it while a handler runs or before the loop runs.
  void send_window_event(WindowId window, const WindowEvent& event);

 private:
  struct QueuedEvent {
    WindowId window;
    WindowEvent event;
  };

  EventLoop();
  void deliver_queued_events();

  DWORD thread_id_;
  ApplicationHandler* handler_ = nullptr;  // set only while run() is active
  bool handler_running_ = false;
  bool exit_requested_ = false;
  std::deque<QueuedEvent> queue_;
};

}  // namespace mirvot
