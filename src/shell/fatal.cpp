#include "shell/fatal.h"

#include <windows.h>

#include <atomic>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <exception>
#include <initializer_list>

#include "common/fail_fast.h"

namespace mirvot {
namespace {

// The report is written piece by piece, without building it in memory first: the process may
// be failing for lack of memory.
void write_to_standard_error(HANDLE stream, std::string_view text) noexcept {
  while (!text.empty()) {
    const DWORD chunk = text.size() > 0x10000 ? 0x10000 : static_cast<DWORD>(text.size());
    DWORD written = 0;
    if (!::WriteFile(stream, text.data(), chunk, &written, nullptr) || written == 0) {
      return;
    }
    text.remove_prefix(written);
  }
}

// "./src/shell/app.cpp" (as the build's path mapping leaves it) reads "src/shell/app.cpp".
std::string_view source_location_text(const char* file) noexcept {
  std::string_view path = file != nullptr ? std::string_view(file) : std::string_view("<unknown>");
  while (path.size() > 2 && path[0] == '.' && (path[1] == '/' || path[1] == '\\')) {
    path.remove_prefix(2);
  }
  return path;
}

// Set by the first entry into the fatal path. Constant-initialised, so reading it needs no
// guard and no allocation.
std::atomic<bool> g_fatal_path_entered{false};

// Writes the report, its description given in pieces, and fails fast. `exception` is a caught
// exception whose text ends the description; its what() is called only here, after the path
// has been entered, so that a what() that fails (aborts, or ends in the fatal path itself)
// cannot bring about a second report.
[[noreturn]] void report_and_fail_fast(const char* file, int line,
                                       std::initializer_list<std::string_view> description,
                                       const std::exception* exception = nullptr) noexcept {
  if (g_fatal_path_entered.exchange(true)) {
    FailFastFatalAppExit();
  }
  const HANDLE stream = ::GetStdHandle(STD_ERROR_HANDLE);
  if (stream != nullptr && stream != INVALID_HANDLE_VALUE) {
    char lineDigits[16] = {};
    const std::to_chars_result digits =
        std::to_chars(lineDigits, lineDigits + sizeof(lineDigits), line);
    write_to_standard_error(stream, "thread 'main' panicked at ");
    write_to_standard_error(stream, source_location_text(file));
    write_to_standard_error(stream, ":");
    write_to_standard_error(stream, std::string_view(lineDigits, digits.ptr - lineDigits));
    write_to_standard_error(stream, ":\ncalled `Result::unwrap()` on an `Err` value: ");
    for (const std::string_view piece : description) {
      write_to_standard_error(stream, piece);
    }
    if (exception != nullptr) {
      const char* const text = exception->what();
      write_to_standard_error(stream, text != nullptr ? text : "");
    }
    write_to_standard_error(stream, "\n");
  }
  FailFastFatalAppExit();
}

// std::terminate has no caught exception to look at: learning the one in flight would take
// a rethrow, which allocates, and a failed allocation there calls std::terminate again.
[[noreturn]] void terminate_through_fatal_path() noexcept {
  report_and_fail_fast(__FILE__, __LINE__, {"std::terminate"});
}

void abort_through_fatal_path(int /*signal*/) {
  report_and_fail_fast(__FILE__, __LINE__, {"abort"});
}

}  // namespace

void fatal_error(const char* file, int line, std::string_view description) noexcept {
  report_and_fail_fast(file, line, {description});
}

void fatal_exception(const char* file, int line, std::string_view step,
                     const std::exception& error) noexcept {
  report_and_fail_fast(file, line, {step, ": "}, &error);
}

void fatal_exception(const char* file, int line, std::string_view step) noexcept {
  report_and_fail_fast(file, line, {step, ": unknown exception"});
}

void route_termination_to_fatal_path() noexcept {
  std::set_terminate(&terminate_through_fatal_path);
  std::signal(SIGABRT, &abort_through_fatal_path);
}

void exit_on_close() noexcept {
  std::fflush(stdout);
  ::ExitProcess(0);
}

}  // namespace mirvot
