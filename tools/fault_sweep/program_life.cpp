#include "program_life.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include "common/owners.h"
#include "debug_output_listener.h"
#include "engine/test_engine_client.h"
#include "file_drag.h"
#include "harness/program_windows.h"

namespace mirvot::sweep {
namespace {

using test::FindLine;
using test::FindLineStartingWith;
using test::FindMainWindowOf;
using test::PumpMessagesUntil;
using test::ReadLogFileLines;

constexpr wchar_t kEngineViewClass[] = L"MirvotTestEngineView";
constexpr DWORD kFailFast = 0xC0000409;
constexpr DWORD kTerminated = 0xDEAD;
constexpr DWORD kAnswerTimeoutMs = 5000;
// The scale the display changes to in a life with a DPI change: 150 %.
constexpr UINT kChangedDpi = 144;

}  // namespace

// The host window: the main window's child that holds the engine's view window.
HWND host_of(HWND mainWindow) {
  for (HWND child = ::FindWindowExW(mainWindow, nullptr, nullptr, nullptr); child != nullptr;
       child = ::FindWindowExW(mainWindow, child, nullptr, nullptr)) {
    if (::FindWindowExW(child, nullptr, kEngineViewClass, nullptr) != nullptr) {
      return child;
    }
  }
  return nullptr;
}

namespace {

bool fills_client_area(HWND child, HWND parent) {
  RECT client{};
  RECT placed{};
  if (child == nullptr || !::IsWindowVisible(child) || !::GetClientRect(parent, &client) ||
      !::GetWindowRect(child, &placed)) {
    return false;
  }
  ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&placed), 2);
  return placed.left == 0 && placed.top == 0 && placed.right == client.right &&
         placed.bottom == client.bottom;
}

}  // namespace

// The host fills the main window's client area and the engine's view fills the host's.
bool view_covers_window(HWND mainWindow) {
  const HWND host = host_of(mainWindow);
  return fills_client_area(host, mainWindow) &&
         fills_client_area(::FindWindowExW(host, nullptr, kEngineViewClass, nullptr), host);
}

namespace {

bool send_engine_command(HWND mainWindow, const std::wstring& command) {
  const HWND view = ::FindWindowExW(host_of(mainWindow), nullptr, kEngineViewClass, nullptr);
  COPYDATASTRUCT data{};
  data.cbData = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
  data.lpData = const_cast<wchar_t*>(command.c_str());
  DWORD_PTR answer = 0;
  return view != nullptr &&
         ::SendMessageTimeoutW(view, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer) != 0 &&
         answer == TRUE;
}

bool answers(HWND window) {
  DWORD_PTR answer = 0;
  return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                               &answer) != 0;
}

// A window of the sweep's own that takes the focus away from the program, so that giving the
// focus back is a real activation.
class FocusThief {
 public:
  FocusThief() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MirvotFaultSweepFocus";
    ::RegisterClassW(&windowClass);
    window_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 8,
                                8, nullptr, nullptr, windowClass.hInstance, nullptr);
  }
  ~FocusThief() { ::DestroyWindow(window_); }
  FocusThief(const FocusThief&) = delete;
  FocusThief& operator=(const FocusThief&) = delete;
  [[nodiscard]] HWND window() const { return window_; }

 private:
  HWND window_ = nullptr;
};

// The text of the fatal report's place and description, or empty when there is none:
//   thread 'main' panicked at <place>:\ncalled `Result::unwrap()` on an `Err` value: <text>
std::string fatal_report(const std::wstring& standardErrorFile) {
  std::string text;
  for (const std::string& line : ReadLogFileLines(standardErrorFile)) {
    text += line + '\n';
  }
  const std::string place = "thread 'main' panicked at ";
  const std::string value = "on an `Err` value: ";
  const std::size_t at = text.find(place);
  const std::size_t description = text.find(value, at);
  if (at == std::string::npos || description == std::string::npos) {
    return {};
  }
  const std::size_t placeEnd = text.find(":\n", at);
  const std::size_t end = text.find('\n', description);
  return text.substr(at + place.size(), placeEnd - at - place.size()) + " " +
         text.substr(description + value.size(), end - description - value.size());
}

class Life : public LifeSteps {
 public:
  explicit Life(const LifeSetup& setup) : setup_(setup) {
    if (setup.expectedFatal) {
      debugOutput_.emplace();
    }
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    standardError_.reset(::CreateFileW(setup.standardError.c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ::DeleteFileW(setup.engineLog.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = standardError_.get();
    // Wine now and then fails to start a process that starts the next time (the test command
    // runs such tests once more): a few tries, so that a life that did not start is the
    // program's own doing or the sweep's, not that.
    for (int attempt = 0; attempt < 3 && !process_; ++attempt) {
      if (attempt > 0) {
        ::Sleep(500);
      }
      PROCESS_INFORMATION started{};
      std::wstring commandLine = setup.commandLine;
      if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                           &startup, &started)) {
        process_.reset(started.hProcess);
        processId_ = started.dwProcessId;
        ::CloseHandle(started.hThread);
      } else {
        startError_ = ::GetLastError();
      }
    }
  }

  LifeResult live() {
    if (!process_) {
      return LifeResult{Outcome::Crash, kCouldNotStart, startError_};
    }
    if (debugOutput_ && !debugOutput_->listening()) {
      return LifeResult{Outcome::Crash, "the debugger output cannot be read", 0};
    }
    mainWindow_ = wait_for_value([&] { return FindMainWindowOf(processId_); }, setup_.endTimeoutMs);
    if (mainWindow_ == nullptr) {
      return ended() ? end_result() : stuck("never showed its window");
    }
    if (setup_.expectedFatal) {
      // Nothing to do but wait: the program ends by itself.
      wait_for([] { return false; }, setup_.endTimeoutMs);
      return ended() ? end_result() : stuck("ran on after the failure it cannot start without");
    }
    if (!wait_for([&] { return view_ready(); }, setup_.endTimeoutMs)) {
      problem("the view was never ready");
    } else if (setup_.steps) {
      setup_.steps(*this);
    } else {
      live_with_view();
    }
    if (ended()) {
      return end_result();
    }
    if (!hung_) {
      ::PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
      wait_for([&] { return ended(); }, setup_.endTimeoutMs);
    }
    if (!ended()) {
      return stuck(!::IsWindow(mainWindow_) ? "ran on without its window"
                   : hung_                  ? "stopped answering"
                                            : "did not end on WM_CLOSE");
    }
    closed_ = true;
    return end_result();
  }

 private:
  void live_with_view() {
    if (!setup_.engineCreation.empty() &&
        FindLineStartingWith(
            log(), "CreateWebViewEnvironmentWithOptionsInternal " + setup_.engineCreation) < 0) {
      problem("the engine was not created with the settings expected");
    }
    check_view_follows_resize(*this);

    int from = static_cast<int>(log().size());
    ::ShowWindow(mainWindow_, SW_MINIMIZE);
    check("the view was not emptied on minimise",
          [&] { return FindLine(log(), "controller.put_Bounds 0 0 0 0", from) >= 0; });
    ::ShowWindow(mainWindow_, SW_RESTORE);
    check("the view did not cover the window after restore",
          [&] { return !::IsIconic(mainWindow_) && view_covers_window(mainWindow_); });

    {
      // The focus goes to a window of the sweep's and back, until the view has been asked to
      // take it. Activation reaches another process's window through the display server,
      // asynchronously, and a request made while one is under way may be lost: hence the
      // repeats, a few times a second.
      const FocusThief thief;
      from = static_cast<int>(log().size());
      int turn = 0;
      check("the view did not take the focus", [&] {
        if (FindLineStartingWith(log(), "controller.MoveFocus", from) >= 0) {
          return true;
        }
        if (turn++ % 10 == 0) {
          ::SetForegroundWindow(::GetForegroundWindow() == mainWindow_ ? thief.window()
                                                                       : mainWindow_);
        }
        return false;
      });
    }

    if (setup_.changeDpi) {
      change_dpi();
    }
    if (!setup_.droppedFile.empty()) {
      drop_file();
    }

    engine_event(L"newwindow https://elsewhere.example/", "newWindow.result handled=1 newWindow=no",
                 "a new-window request");
    engine_event(L"download https://files.example/report.pdf|C:\\d\\report.pdf",
                 "download.result handled=1 cancel=0 path=\"C:\\d\\report.pdf\"", "a download");

    const HWND host = host_of(mainWindow_);
    if (engine_event(L"close", "event.WindowCloseRequested hr=0x00000000",
                     "the page's window.close")) {
      check("the page's window.close did not remove the view, or removed the window",
            [&] { return !::IsWindow(host) && ::IsWindow(mainWindow_); });
    }
  }

  // The display's scale rises to 150 %: the window grows to keep its logical size, and the view
  // follows.
  void change_dpi() {
    if (hung_ || ended()) {
      return;
    }
    const RECT before = client_rect();
    if (!setup_.changeDpi(mainWindow_, kChangedDpi)) {
      problem("the DPI change could not be made");
      return;
    }
    check("the window did not take its size at the new DPI", [&] {
      const RECT now = client_rect();
      return now.right * 2 > before.right * 3 - 40 && now.bottom * 2 > before.bottom * 3 - 40;
    });
    check("the view did not cover the window at the new DPI",
          [&] { return view_covers_window(mainWindow_); });
  }

  void drop_file() {
    if (hung_ || ended()) {
      return;
    }
    const FileDrop drop = drop_file_onto(mainWindow_, setup_.droppedFile, setup_.stepTimeoutMs);
    if (!drop.finished) {
      problem("the dropped file was not taken");
      hung_ = ::IsWindow(mainWindow_) && !answers(mainWindow_);
    } else if (drop.result != DRAGDROP_S_DROP || drop.effect != DROPEFFECT_COPY ||
               !drop.formatsAsked) {
      problem("the dropped file was refused (" + hex(static_cast<std::uint32_t>(drop.result)) +
              ", effect " + std::to_string(drop.effect) + ")");
    }
  }

  // Whether the engine raised the event and the program answered it as expected.
  bool engine_event(const std::wstring& command, const std::string& answer, const char* what) {
    if (hung_ || ended()) {
      return false;
    }
    const int from = static_cast<int>(log().size());
    if (!send_engine_command(mainWindow_, command)) {
      problem(std::string(what) + " could not be raised");
      return false;
    }
    return check(std::string(what) + " was not answered",
                 [&] { return FindLine(log(), answer, from) >= 0; });
  }

  bool view_ready() {
    const auto lines = log();
    const int navigate = FindLineStartingWith(lines, "webview.Navigate ");
    return navigate >= 0 && FindLineStartingWith(lines, "controller.put_Bounds", navigate) >= 0;
  }

  [[nodiscard]] HWND main_window() const override { return mainWindow_; }
  [[nodiscard]] std::vector<std::string> log() const override {
    return ReadLogFileLines(setup_.engineLog);
  }

  // A step's check: whether it held. A failed one is noted unless the program has ended
  // meanwhile. Once the window stops answering, the rest of the life is skipped.
  bool check(const std::string& what, const std::function<bool()>& holds) override {
    if (hung_ || ended()) {
      return false;
    }
    if (wait_for(holds)) {
      return true;
    }
    if (!ended()) {
      problem(what);
      hung_ = ::IsWindow(mainWindow_) && !answers(mainWindow_);
    }
    return false;
  }

  void problem(const std::string& what) override {
    problems_ += (problems_.empty() ? "" : "; ") + what;
  }

  // Waits for the condition, or for the program to end; whether the condition holds.
  bool wait_for(const std::function<bool()>& holds, DWORD timeoutMs = 0) {
    return PumpMessagesUntil([&] { return holds() || ended(); },
                             timeoutMs != 0 ? timeoutMs : setup_.stepTimeoutMs) &&
           holds();
  }
  HWND wait_for_value(const std::function<HWND()>& find, DWORD timeoutMs) {
    HWND found = nullptr;
    wait_for([&] { return (found = find()) != nullptr; }, timeoutMs);
    return found;
  }

  [[nodiscard]] bool ended() const {
    return ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
  }
  RECT client_rect() const {
    RECT rect{};
    ::GetClientRect(mainWindow_, &rect);
    return rect;
  }

  // Still running: a process that never showed its window, or whose window does not answer,
  // hangs; one whose window went away, or answers but does not end it on close, is an orphan.
  LifeResult stuck(const std::string& what) {
    LifeResult result;
    const bool hasWindow = mainWindow_ != nullptr && ::IsWindow(mainWindow_);
    result.outcome = mainWindow_ == nullptr || (hasWindow && !answers(mainWindow_))
                         ? Outcome::Hang
                         : Outcome::Orphan;
    result.detail = what + (problems_.empty() ? "" : " (" + problems_ + ")");
    finish(result);
    return result;
  }

  LifeResult end_result() {
    LifeResult result;
    finish(result);
    if (result.exitCode == 0) {
      result.outcome = closed_ && problems_.empty() ? Outcome::Survived : Outcome::Degraded;
      result.detail = closed_ ? problems_ : kEndedByItself;
      return result;
    }
    const std::string report =
        result.exitCode == kFailFast ? fatal_report(setup_.standardError) : std::string();
    result.outcome = report.empty() ? Outcome::Crash : Outcome::Fatal;
    result.detail = report.empty() ? "exit code " + hex(result.exitCode) : report;
    if (setup_.expectedFatal && result.outcome == Outcome::Fatal &&
        report.find(setup_.expectedFatal->description) != std::string::npos) {
      const std::string unexpected = unexpected_debugger_lines();
      result.outcome = unexpected.empty() ? Outcome::Survived : Outcome::Degraded;
      result.detail = unexpected;
    }
    return result;
  }

  // What is wrong with the program's debugger output; empty when nothing is.
  std::string unexpected_debugger_lines() {
    const std::vector<std::string> seen = debugOutput_->stop_and_read(processId_);
    const std::vector<std::string>& expected = setup_.expectedFatal->debuggerLines;
    std::size_t found = 0;
    for (const std::string& line : seen) {
      if (found < expected.size() && line == expected[found]) {
        ++found;
      } else if (line.rfind("WebView2: ", 0) != 0) {
        return "a debugger line of someone else than the loader: \"" + line + "\"";
      }
    }
    return found == expected.size() ? std::string()
                                    : "the debugger line \"" + expected[found] + "\" is missing";
  }

  // The exit code of the ended program; one still running is ended first.
  void finish(LifeResult& result) {
    if (!ended()) {
      ::TerminateProcess(process_.get(), kTerminated);
      ::WaitForSingleObject(process_.get(), INFINITE);
    }
    ::GetExitCodeProcess(process_.get(), &result.exitCode);
  }

  const LifeSetup& setup_;
  std::optional<DebugOutputListener> debugOutput_;
  UniqueFileHandle standardError_;
  UniqueHandle process_;
  DWORD processId_ = 0;
  DWORD startError_ = 0;
  HWND mainWindow_ = nullptr;
  bool closed_ = false;
  bool hung_ = false;
  std::string problems_;
};

}  // namespace

bool check_view_follows_resize(LifeSteps& life, bool throughHook) {
  const HWND window = life.main_window();
  const bool covered =
      life.check("the view did not cover the window", [&] { return view_covers_window(window); });
  const auto width = [&] {
    RECT client{};
    ::GetClientRect(window, &client);
    return client.right;
  };
  const LONG widthBefore = width();
  const int from = static_cast<int>(life.log().size());
  ::SetWindowPos(window, nullptr, 0, 0, widthBefore == 900 ? 1000 : 900, 600,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const bool followed = life.check("the view did not follow a resize", [&] {
    return width() != widthBefore && view_covers_window(window);
  });
  return covered && followed &&
         (!throughHook || life.check("the window's hook did not fit the view", [&] {
           return FindLine(life.log(), "controller.get_ParentWindow", from) >= 0;
         }));
}

void check_title_and_drop_target(LifeSteps& life) {
  const HWND window = life.main_window();
  life.check("the title changed", [&] {
    wchar_t title[16] = {};
    ::GetWindowTextW(window, title, 16);
    return std::wstring(title) == L"Mirvot";
  });
  // Where OLE keeps a window's registered drop target.
  life.check("the drop target is gone",
             [&] { return ::GetPropW(window, L"OleDropTargetInterface") != nullptr; });
}

const char* outcome_name(Outcome outcome) {
  switch (outcome) {
    case Outcome::Survived:
      return "survived";
    case Outcome::Fatal:
      return "fatal";
    case Outcome::Degraded:
      return "degraded";
    case Outcome::Crash:
      return "crash";
    case Outcome::Hang:
      return "hang";
    case Outcome::Orphan:
      return "orphan";
  }
  return "?";
}

std::string hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof(text), "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

LifeResult live_through(const LifeSetup& setup) { return Life(setup).live(); }

}  // namespace mirvot::sweep
