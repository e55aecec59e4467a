#include "shell/event_loop.h"

#include <new>
#include <utility>

#include "common/hresult.h"
#include "shell/dpi_awareness.h"
#include "shell/forged_message.h"

namespace mirvot {
namespace {

// The loop, if one exists. Only its own thread reads it in earnest (current() checks the
// thread), so a plain pointer suffices.
EventLoop* g_loop = nullptr;

// Marks a handler call for its duration, so that events arising inside it are queued.
class HandlerScope {
 public:
  explicit HandlerScope(bool& running) noexcept : running_(running) { running_ = true; }
  ~HandlerScope() { running_ = false; }
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;

 private:
  bool& running_;
};

}  // namespace

EventLoop::EventLoop() : thread_id_(::GetCurrentThreadId()) {}

EventLoop::~EventLoop() {
  // Windows that outlive the loop have nobody to report to any more; their events are dropped.
  if (g_loop == this) {
    g_loop = nullptr;
  }
}

HRESULT EventLoop::create(std::unique_ptr<EventLoop>& loop) noexcept {
  if (g_loop != nullptr) {
    return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
  }
  loop.reset();
  // Before any window exists: the awareness of a window is fixed when it is created.
  declare_process_dpi_awareness();
  try {
    // The event queue allocates as it is made.
    loop.reset(new EventLoop());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  g_loop = loop.get();
  return S_OK;
}

EventLoop* EventLoop::current() noexcept {
  EventLoop* const loop = g_loop;
  return loop != nullptr && loop->thread_id_ == ::GetCurrentThreadId() ? loop : nullptr;
}

void EventLoop::send_window_event(WindowId window, const WindowEvent& event) {
  queue_.push_back({window, event});
  if (handler_ != nullptr && !handler_running_) {
    deliver_queued_events();
  }
}

void EventLoop::deliver_queued_events() {
  // A handler may cause further events (a SendMessage, a nested pump); they join the queue
  // behind the ones already waiting and are handed over by this same loop once it returns.
  while (!queue_.empty() && handler_ != nullptr) {
    const QueuedEvent next = queue_.front();
    queue_.pop_front();
    const HandlerScope scope(handler_running_);
    handler_->on_window_event(*this, next.window, next.event);
  }
}

HRESULT EventLoop::run(ApplicationHandler& handler) {
  if (::GetCurrentThreadId() != thread_id_) {
    return RPC_E_WRONG_THREAD;
  }
  if (handler_ != nullptr) {
    return kLoopAlreadyRunning;
  }
  handler_ = &handler;
  exit_requested_ = false;
  struct EndOfRun {
    EventLoop& loop;
    ~EndOfRun() { loop.handler_ = nullptr; }
  } const endOfRun{*this};

  {
    const HandlerScope scope(handler_running_);
    handler.on_resumed(*this);
  }
  deliver_queued_events();

  while (!exit_requested_) {
    // Sleeps until a message or input arrives; no timeout, no polling.
    const DWORD wait =
        ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (wait == WAIT_FAILED) {
      return LastErrorAsFailure();
    }
    MSG message{};
    while (!exit_requested_ && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (is_forged_system_message(message)) {
        continue;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return S_OK;
}

}  // namespace mirvot
