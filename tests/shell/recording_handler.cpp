#include "recording_handler.h"

#include <algorithm>

namespace mirvot::test {
namespace {

constexpr UINT kRunAction = WM_APP + 7;
constexpr wchar_t kActionsClass[] = L"ShellTestLoopActions";

LRESULT CALLBACK ActionsProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunAction) {
    std::unique_ptr<std::function<void()>> action(reinterpret_cast<std::function<void()>*>(lParam));
    (*action)();
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

bool IsEvent(const std::string& line) { return line.rfind("resize ", 0) == 0 || line == "close"; }

bool g_stop = false;

DWORD WINAPI StoppableWait(DWORD count, const HANDLE* handles, DWORD milliseconds, DWORD wakeMask,
                           DWORD flags) {
  if (g_stop) {
    g_stop = false;
    ::SetLastError(ERROR_CANCELLED);
    return WAIT_FAILED;
  }
  return ::MsgWaitForMultipleObjectsEx(count, handles, milliseconds, wakeMask, flags);
}

}  // namespace

std::string DescribeEvent(const WindowEvent& event) {
  switch (event.kind) {
    case WindowEvent::Kind::Resized:
      return "resize " + std::to_string(event.width) + "x" + std::to_string(event.height);
    case WindowEvent::Kind::CloseRequested:
      return "close";
  }
  return "unknown";
}

void RecordingHandler::on_resumed(EventLoop& loop) {
  ++resumedCalls;
  ++depth;
  deepestNesting = std::max(deepestNesting, depth);
  log.push_back("resumed");
  if (onResumed) {
    onResumed(loop);
  }
  log.push_back("resumed returned");
  --depth;
}

void RecordingHandler::on_window_event(EventLoop& loop, WindowId window, const WindowEvent& event) {
  ++depth;
  deepestNesting = std::max(deepestNesting, depth);
  log.push_back(DescribeEvent(event));
  eventWindows.push_back(window);
  if (onWindowEvent) {
    onWindowEvent(loop, window, event);
  }
  --depth;
}

std::vector<std::string> RecordingHandler::Events() const {
  std::vector<std::string> events;
  std::copy_if(log.begin(), log.end(), std::back_inserter(events), IsEvent);
  return events;
}

std::vector<std::string> RecordingHandler::EventsBetween(const std::string& from,
                                                         const std::string& to) const {
  std::vector<std::string> events;
  auto it = std::find(log.begin(), log.end(), from);
  if (it == log.end()) {
    return events;
  }
  for (++it; it != log.end() && (to.empty() || *it != to); ++it) {
    if (IsEvent(*it)) {
      events.push_back(*it);
    }
  }
  return events;
}

LoopActions::LoopActions() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = ActionsProcedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kActionsClass;
  ::RegisterClassExW(&windowClass);
  hwnd_ = ::CreateWindowExW(0, kActionsClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            ::GetModuleHandleW(nullptr), nullptr);
}

LoopActions::~LoopActions() {
  if (hwnd_ != nullptr) {
    ::DestroyWindow(hwnd_);
  }
}

bool LoopActions::Post(std::function<void()> action) {
  auto* heapAction = new std::function<void()>(std::move(action));
  if (!::PostMessageW(hwnd_, kRunAction, 0, reinterpret_cast<LPARAM>(heapAction))) {
    delete heapAction;
    return false;
  }
  return true;
}

const EventLoopFunctions& StoppableLoopFunctions() {
  static const EventLoopFunctions functions{&StoppableWait};
  return functions;
}

void StopRun() { g_stop = true; }

void ForgetStop() { g_stop = false; }

void StopWhenQueueIsEmpty(LoopActions& actions) {
  const bool posted = actions.Post([&actions] {
    if (HIWORD(::GetQueueStatus(QS_POSTMESSAGE)) != 0) {
      StopWhenQueueIsEmpty(actions);  // behind what is still queued
    } else {
      StopRun();
    }
  });
  if (!posted) {
    StopRun();
  }
}

void DrainThreadMessages() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message != WM_QUIT) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

void ResizeClientArea(HWND window, int width, int height) {
  RECT frame{0, 0, width, height};
  ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)));
  ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace mirvot::test
