#pragma once
// The shell's event loop, written directly on Win32.
//
// One loop exists at a time, on the thread that created it (the main thread); its windows are
// created on that thread with it (MainWindow::create) and keep a link to it, through which their
// window procedures hand it their events. The loop knows no window; it hands the events to one
// ApplicationHandler, never re-entrantly: an event that arises while a handler runs (through a
// nested message pump inside it, or a message the handler sends itself) is queued and handed
// over, in order of arrival, as soon as that handler returns.
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

// The system function the loop sleeps in between messages; a test makes it fail to end a run.
struct EventLoopFunctions {
  decltype(&::MsgWaitForMultipleObjectsEx) wait_for_messages = nullptr;
};

class EventLoop {
 public:
  // What a window of the loop keeps to reach it. It points at the loop while the loop exists and
  // at nothing once the loop is gone, so the events of a window that outlives its loop are
  // dropped.
  using Link = std::shared_ptr<EventLoop*>;

  // Declares the process per-monitor DPI aware (once per process) and creates the loop on the
  // calling thread. Fails with HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS) while a loop exists,
  // leaving `loop` as it was.
  [[nodiscard]] static HRESULT create(std::unique_ptr<EventLoop>& loop) noexcept;
  // The same, with the wait the loop sleeps in.
  [[nodiscard]] static HRESULT create(std::unique_ptr<EventLoop>& loop,
                                      const EventLoopFunctions& functions) noexcept;

  ~EventLoop();
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  // Calls handler.on_resumed, hands over the events queued meanwhile, then waits for messages
  // and dispatches them for the life of the process. Every queued message is dispatched,
  // WM_QUIT included (it ends nothing: any program can post one to this thread), except forged
  // copies of the messages the system only ever sends (is_forged_system_message). Fails with
  // RPC_E_WRONG_THREAD on another thread than the loop's and kLoopAlreadyRunning when the loop
  // is already running; a failed wait ends the run with its error. An exception from the
  // handler leaves the run as it is. Not noexcept for that reason: the application's handlers
  // end the process on the fatal path before anything leaves them (App), a test's may not.
  [[nodiscard]] HRESULT run(ApplicationHandler& handler);

  // The thread that owns the loop and its windows.
  [[nodiscard]] DWORD thread_id() const noexcept { return thread_id_; }

  [[nodiscard]] const Link& link() const noexcept { return link_; }

  // Called by the window procedures of the loop's windows: hands the event to the running
  // handler now, or queues it while a handler runs or before the loop runs.
  void send_window_event(WindowId window, const WindowEvent& event);

 private:
  struct QueuedEvent {
    WindowId window;
    WindowEvent event;
  };

  explicit EventLoop(const EventLoopFunctions& functions);
  void deliver_queued_events();

  DWORD thread_id_;
  EventLoopFunctions functions_;
  Link link_;
  ApplicationHandler* handler_ = nullptr;  // set only while run() is active
  bool handler_running_ = false;
  std::deque<QueuedEvent> queue_;
};

}  // namespace mirvot
