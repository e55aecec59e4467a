#include "task_dispatcher.h"

#include <atomic>
#include <memory>
#include <new>

#include "common/hresult.h"
#include "engine_module.h"
#include "engine_timing.h"

namespace mirvot::test_engine {
namespace {

constexpr wchar_t kDispatcherClass[] = L"MirvotTestEngineDispatcher";
constexpr UINT kRunTaskMessage = WM_APP + 1;

std::atomic<long> pendingTasks{0};

struct QueuedTask {
  std::function<void()> work;
  FileTimeTicks postedAt;
};

LRESULT CALLBACK DispatcherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunTaskMessage) {
    std::unique_ptr<QueuedTask> task(reinterpret_cast<QueuedTask*>(lParam));
    --pendingTasks;
    const EngineWorkScope working;
    AddQueuedTime(PreciseNow() - task->postedAt);
    task->work();
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterDispatcherClass() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = DispatcherProc;
  windowClass.hInstance = EngineModule();
  windowClass.lpszClassName = kDispatcherClass;
  return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND ThreadDispatcherWindow() {
  static const bool registered = RegisterDispatcherClass();
  thread_local HWND window = nullptr;
  if (!registered) {
    return nullptr;
  }
  if (window == nullptr || !::IsWindow(window)) {
    window = ::CreateWindowExW(0, kDispatcherClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               EngineModule(), nullptr);
  }
  return window;
}

}  // namespace

HRESULT PostToCurrentThread(std::function<void()> task) {
  const HWND window = ThreadDispatcherWindow();
  if (window == nullptr) {
    return LastErrorAsFailure();
  }
  auto* queued = new (std::nothrow) QueuedTask{std::move(task), PreciseNow()};
  if (queued == nullptr) {
    return E_OUTOFMEMORY;
  }
  ++pendingTasks;
  if (!::PostMessageW(window, kRunTaskMessage, 0, reinterpret_cast<LPARAM>(queued))) {
    const HRESULT hr = LastErrorAsFailure();
    --pendingTasks;
    delete queued;
    return hr;
  }
  return S_OK;
}

long PendingTasks() { return pendingTasks.load(); }

}  // namespace mirvot::test_engine
