#include "shell/event_loop.h"

#include <new>

#include "common/hresult.h"
#include "common/out_of_memory.h"
#include "shell/dpi_awareness.h"
#include "shell/own_windows.h"

namespace mirvot {
namespace {

// The loop, if one exists: there is one at a time.
const EventLoop* g_loop = nullptr;

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

EventLoop::EventLoop(const EventLoopFunctions& functions)
    : thread_id_(::GetCurrentThreadId()),
      functions_(functions),
      link_(std::make_shared<EventLoop*>(this)) {}

EventLoop::~EventLoop() {
  // Windows that outlive the loop have nobody to report to any more; their events are dropped.
  *link_ = nullptr;
  if (g_loop == this) {
    g_loop = nullptr;
  }
}

HRESULT EventLoop::create(std::unique_ptr<EventLoop>& loop) noexcept {
  return create(loop, EventLoopFunctions{&::MsgWaitForMultipleObjectsEx});
}

HRESULT EventLoop::create(std::unique_ptr<EventLoop>& loop,
                          const EventLoopFunctions& functions) noexcept {
  if (g_loop != nullptr) {
    return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
  }
  loop.reset();
  // Before any window exists: the awareness of a window is fixed when it is created.
  declare_dpi_awareness();
  // The event queue and the windows' link allocate as they are made.
  return CatchOutOfMemory(E_OUTOFMEMORY, [&] {
    loop.reset(new (std::nothrow) EventLoop(functions));
    if (!loop) {
      return E_OUTOFMEMORY;
    }
    g_loop = loop.get();
    return S_OK;
  });
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
  struct EndOfRun {
    EventLoop& loop;
    ~EndOfRun() { loop.handler_ = nullptr; }
  } const endOfRun{*this};

  {
    const HandlerScope scope(handler_running_);
    handler.on_resumed(*this);
  }
  deliver_queued_events();

  for (;;) {
    // Sleeps until a message or input arrives; no timeout, no polling.
    const DWORD wait =
        functions_.wait_for_messages(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (wait == WAIT_FAILED) {
      return LastErrorAsFailure();
    }
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (is_forged_system_message(message)) {
        continue;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

}  // namespace mirvot
