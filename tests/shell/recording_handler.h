#pragma once
// Test doubles for the event loop: an application that records what it is handed, and a way to
// run code from the loop's own dispatch (outside any handler).
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/event_loop.h"

namespace mirvot::test {

// "resize <w>x<h>" or "close".
std::string DescribeEvent(const WindowEvent& event);

class RecordingHandler final : public ApplicationHandler {
 public:
  void on_resumed(EventLoop& loop) override;
  void on_window_event(EventLoop& loop, WindowId window, const WindowEvent& event) override;

  // Adds a line to the log, between the recorded calls.
  void Mark(const std::string& text) { log.push_back(text); }
  // The recorded events only, in order.
  [[nodiscard]] std::vector<std::string> Events() const;
  // The recorded events between two marks (or from the first mark to the end when `to` is
  // empty).
  [[nodiscard]] std::vector<std::string> EventsBetween(const std::string& from,
                                                       const std::string& to) const;

  std::function<void(EventLoop&)> onResumed;
  std::function<void(EventLoop&, WindowId, const WindowEvent&)> onWindowEvent;

  // "resumed", "resumed returned", events, marks.
  std::vector<std::string> log;
  std::vector<WindowId> eventWindows;
  int resumedCalls = 0;
  int depth = 0;
  int deepestNesting = 0;
};

// A message-only window whose posted actions run when the loop dispatches them.
class LoopActions {
 public:
  LoopActions();
  ~LoopActions();
  LoopActions(const LoopActions&) = delete;
  LoopActions& operator=(const LoopActions&) = delete;

  // Posts the action; it runs when the message is dispatched. False when posting failed.
  bool Post(std::function<void()> action);
  [[nodiscard]] HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// The program's loop runs for the life of the process. A test's loop sleeps in a wait of its own
// instead, which ends the run once asked to (StopRun): the run returns kRunStopped.
inline constexpr HRESULT kRunStopped = HRESULT_FROM_WIN32(ERROR_CANCELLED);
const EventLoopFunctions& StoppableLoopFunctions();
// Makes the run end at its next wait, once the messages already queued have been dispatched.
void StopRun();
// Forgets a stop that no run took.
void ForgetStop();

// Ends the loop's run once every message posted so far has been dispatched, messages posted by
// those messages included.
void StopWhenQueueIsEmpty(LoopActions& actions);

// Resizes a top-level window so that its client area is width x height: the system then sends
// the window a real WM_SIZE (the window reports its own size, whatever a message says).
void ResizeClientArea(HWND window, int width, int height);

// Removes everything still queued for the thread (windows destroyed by earlier tests included),
// dispatching it so that posted destruction requests take effect.
void DrainThreadMessages();

}  // namespace mirvot::test
