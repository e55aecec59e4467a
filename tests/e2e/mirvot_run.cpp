#include "e2e/mirvot_run.h"

#include "common/wide_text.h"
#include "engine/test_engine_client.h"
#include "harness/host_paths.h"

namespace mirvot::test {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) {
      return true;
    }
    if (::GetTickCount64() >= deadline) {
      return condition();
    }
    ::Sleep(50);
  }
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
  struct Search {
    DWORD processId;
    std::vector<HWND> found;
  } search{processId, {}};
  ::EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto* s = reinterpret_cast<Search*>(parameter);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == s->processId && ::IsWindowVisible(window)) {
          s->found.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND HostOf(HWND mainWindow) {
  return ::FindWindowExW(mainWindow, nullptr, L"MIRVOT_VIEW_HOST", nullptr);
}

bool HostCoversClientArea(HWND mainWindow) {
  const HWND host = HostOf(mainWindow);
  if (host == nullptr) {
    return false;
  }
  const RECT client = ClientRectOf(mainWindow);
  const RECT placed = RectInParent(host);
  return placed.left == 0 && placed.top == 0 && placed.right == client.right &&
         placed.bottom == client.bottom;
}

RECT ClientRectOf(HWND window) {
  RECT rect{};
  ::GetClientRect(window, &rect);
  return rect;
}

RECT RectInParent(HWND child) {
  RECT rect{};
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring MirvotExePath() {
  // The test command runs these tests once more against the clang build's program.
  const std::optional<std::wstring> other = GetEnvironment(L"MIRVOT_EXE");
  return WindowsPathFromHost(other.has_value() ? WideToUtf8(*other) : MIRVOT_EXE);
}

MirvotRun::MirvotRun(const ProgramEnvironment& environment) {
  logPath_ = environment.engineLog.value_or(temp_.Join(L"engine.log"));
  // The child takes its environment from ours at creation; restored right after.
  ScopedEnvironment runtime(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", environment.runtimeFolder);
  ScopedEnvironment local(L"LOCALAPPDATA", environment.localAppData);
  ScopedEnvironment script(L"MIRVOT_TEST_ENGINE_SCRIPT", environment.engineScript);
  ScopedEnvironment log(L"MIRVOT_TEST_ENGINE_LOG", logPath_);
  ScopedEnvironment userData(L"WEBVIEW2_USER_DATA_FOLDER", std::nullopt);
  ScopedEnvironment edgeView(L"WEBVIEW2_USE_EDGE_VIEW", std::nullopt);
  process_ = std::make_unique<DebuggedProcess>(QuoteArgument(MirvotExePath()));
}

MirvotRun::~MirvotRun() {
  // A test that failed half-way still ends its child.
  process_->Wait(1);
}

std::vector<std::string> MirvotRun::Log() const { return ReadLogFileLines(logPath_); }

HWND MirvotRun::WaitForMainWindow() {
  WaitUntil([&] {
    mainWindow_ = FindMainWindowOf(processId());
    return mainWindow_ != nullptr;
  });
  return mainWindow_;
}

bool MirvotRun::WaitForViewReady() {
  return WaitUntil([&] {
    const auto lines = Log();
    const int navigate = FindLineStartingWith(lines, "webview.Navigate ");
    return navigate >= 0 && FindLineStartingWith(lines, "controller.put_Bounds", navigate) >= 0;
  });
}

bool MirvotRun::WaitForLogLine(const std::string& line, int from) {
  return WaitUntil([&] { return FindLine(Log(), line, from) >= 0; });
}

DebuggedRun MirvotRun::CloseAndWait() {
  if (mainWindow_ == nullptr) {
    WaitForMainWindow();
  }
  ::PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
  return process_->Wait();
}

bool SendEngineCommand(HWND host, const std::wstring& command) {
  const HWND view = ::FindWindowExW(host, nullptr, L"MirvotTestEngineView", nullptr);
  if (view == nullptr) {
    return false;
  }
  COPYDATASTRUCT data{};
  data.cbData = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
  data.lpData = const_cast<wchar_t*>(command.c_str());
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(view, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, 10000, &result)) {
    return false;
  }
  return result == TRUE;
}

}  // namespace mirvot::test
