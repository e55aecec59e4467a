#pragma once
// The two ways the shell ends the process on purpose.
//
//  * fatal_error: a start-up step the program cannot do without has failed. A short report
//    goes to standard error (a windowed program started from the desktop has none, so it is
//    usually lost) and the process ends through the system's fail-fast path, which runs no
//    handlers, no destructors and shows no dialog. Whatever failed, the report has one fixed
//    form, by which whoever reads a captured standard error knows a fatal end:
//      thread 'main' panicked at <file>:<line>:
//      called `Result::unwrap()` on an `Err` value: <description>
//    The path runs once: anything that enters it again while it runs (an exception's text that
//    aborts, say) ends the process through fail-fast at once, without a second report.
//  * exit_on_close: the user closed the main window; the process ends at once with code 0.
#include <exception>
#include <string_view>

namespace mirvot {

[[noreturn]] void fatal_error(const char* file, int line, std::string_view description) noexcept;

// fatal_error for a caught exception: the description is `step` (what failed), ": " and the
// exception's own text. The exception is caught by type (MIRVOT_CATCH_FATAL), never rethrown
// to learn what it is: a rethrow allocates, and the process may be failing for lack of memory.
// Nothing is allocated on the way, so std::bad_alloc is reported as well.
[[noreturn]] void fatal_exception(const char* file, int line, std::string_view step,
                                  const std::exception& error) noexcept;
// The same for an exception of any other type: its text is "unknown exception".
[[noreturn]] void fatal_exception(const char* file, int line, std::string_view step) noexcept;

// Makes std::terminate (an exception leaving a noexcept function, for one) and abort() end the
// process through the fatal path as well, instead of the C runtime's exit code 3.
void route_termination_to_fatal_path() noexcept;

// Flushes buffered standard output, then ends the process with exit code 0. Nothing is torn
// down first: the system reclaims the windows, the view and its engine processes.
[[noreturn]] void exit_on_close() noexcept;

}  // namespace mirvot

// The build maps source paths to repository-relative ones, so __FILE__ names the file as the
// repository does.
#define MIRVOT_FATAL(description) ::mirvot::fatal_error(__FILE__, __LINE__, (description))
// The handlers of a try block (or function-try-block) whose exceptions end the process:
//   void App::on_resumed(EventLoop& loop) try { ... } MIRVOT_CATCH_FATAL("App::on_resumed")
#define MIRVOT_CATCH_FATAL(step)                                  \
  catch (const std::exception& error) {                           \
    ::mirvot::fatal_exception(__FILE__, __LINE__, (step), error); \
  }                                                               \
  catch (...) {                                                   \
    ::mirvot::fatal_exception(__FILE__, __LINE__, (step));        \
  }
