#pragma once
// One whole life of the program under the sweep, and what became of it.
//
// The life: start, the view ready, a resize, minimise and restore, focus taken away and given
// back, (where the setup asks for them) a DPI change and a dropped file, a new-window request, a
// download, the page's window.close, then WM_CLOSE. A life that expects the fatal path instead
// only waits for that end. The test
// engine raises the page's events (tests/engine/test_engine_control.h) and logs what the
// program asked of it, which is how the view is seen.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mirvot::sweep {

// "0x" and the value's hexadecimal digits, upper case: exit codes and addresses in the output.
std::string hex(std::uint64_t value);

enum class Outcome {
  Survived,  // ended with 0 after WM_CLOSE, the view having covered the window throughout
  Fatal,     // fail-fast 0xC0000409 with the fatal report or the loader's debugger lines
  Degraded,  // ended with 0, but the window or the view was wrong on the way
  Crash,     // any other exception or exit code
  Hang,      // stopped answering, or never showed its window
  Orphan,    // ran on without its window, or its window no longer ends it on close
};
inline constexpr int kOutcomeCount = 6;

const char* outcome_name(Outcome outcome);
inline bool is_defect(Outcome outcome) {
  return outcome == Outcome::Crash || outcome == Outcome::Hang || outcome == Outcome::Orphan;
}

// The detail of a program that ended with 0 before the sweep closed it.
inline constexpr char kEndedByItself[] = "ended by itself before it was closed";
// The detail of a program that could not be started; its exit code is then the system's error.
inline constexpr char kCouldNotStart[] = "could not be started";

struct LifeResult {
  Outcome outcome = Outcome::Survived;
  std::string detail;  // what was wrong, the fatal report's place and text, or the exit code
  DWORD exitCode = 0;
};

// What a life's steps can see and check of the running program.
class LifeSteps {
 public:
  [[nodiscard]] virtual HWND main_window() const = 0;
  [[nodiscard]] virtual std::vector<std::string> log() const = 0;
  // Whether the condition comes to hold within a step's time. One that does not is the life's
  // problem, named `what`, unless the program has ended meanwhile; once the window stops
  // answering, every later check fails at once.
  virtual bool check(const std::string& what, const std::function<bool()>& holds) = 0;
  // Notes a problem of the life at once.
  virtual void problem(const std::string& what) = 0;

 protected:
  LifeSteps() = default;
  ~LifeSteps() = default;
  LifeSteps(const LifeSteps&) = default;
  LifeSteps& operator=(const LifeSteps&) = default;
};

// The view's host window, the main window's child that holds the engine's view; null without.
HWND host_of(HWND mainWindow);
// Whether the host fills the main window's client area and the engine's view fills the host's.
bool view_covers_window(HWND mainWindow);

// Checks that steps share. The view covers the window and follows a resize; with `throughHook`
// the window's hook fitted it too (only the hook asks the engine for its window then).
bool check_view_follows_resize(LifeSteps& life, bool throughHook = false);
// The window keeps its title and its registered drop target.
void check_title_and_drop_target(LifeSteps& life);

// A life whose expected end is the fatal path (the loader finds no runtime, for one): it
// survives when it ends through fail-fast with a report whose description holds `description`
// and its debugger output holds `debuggerLines` in order, and nothing else but the loader's own
// lines ("WebView2: ..."), which a failed call adds where the loader reports it. Another fatal
// report is a fatal end like any other; the expected report with an expected line missing, or
// with a line of anyone but the loader, is degraded.
struct ExpectedFatalEnd {
  std::string description;
  std::vector<std::string> debuggerLines;
};

struct LifeSetup {
  std::wstring commandLine;
  std::wstring engineLog;      // the file MIRVOT_TEST_ENGINE_LOG names for the program
  std::wstring standardError;  // a file for the program's standard error
  // The start of the engine's creation line the loader's settings must give (empty: any).
  std::string engineCreation;
  // Steps after the focus step: the display's scale changes under the window, by the given
  // function (the window, its new DPI; false when it could not be asked for); a file is dragged
  // from the sweep onto the window and dropped.
  std::function<bool(HWND, UINT)> changeDpi;
  std::wstring droppedFile;
  std::optional<ExpectedFatalEnd> expectedFatal;
  // Steps between the view being ready and WM_CLOSE in place of the life's own (above).
  std::function<void(LifeSteps&)> steps;
  // How long a step of the life may take before it counts as not done, and how long the
  // program may take to show its window or to end: deadlines for a busy machine, not measures
  // (a step takes some 50 ms here).
  DWORD stepTimeoutMs = 10000;
  DWORD endTimeoutMs = 30000;
};

// Runs the program through its life and classifies how it went. The program runs as a plain
// child, not under a debugger: Wine 8 resumes a thread whose C++ exception a debugger saw first
// with registers its caller then trips over, which would show crashes the program does not have.
LifeResult live_through(const LifeSetup& setup);

}  // namespace mirvot::sweep
