#include "shell/fatal.h"

#include <windows.h>

#include <charconv>
#include <cstdio>

#include "common/fail_fast.h"

namespace mirvot {
namespace {

// The report is written piece by piece, without building it in memory first: the process may
// be failing for lack of memory.
void WriteToStandardError(HANDLE stream, std::string_view text) noexcept {
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
std::string_view SourceLocationText(const char* file) noexcept {
  std::string_view path = file != nullptr ? std::string_view(file) : std::string_view("<unknown>");
  while (path.size() > 2 && path[0] == '.' && (path[1] == '/' || path[1] == '\\')) {
    path.remove_prefix(2);
  }
  return path;
}

}  // namespace

void fatal_error(const char* file, int line, std::string_view description) noexcept {
  const HANDLE stream = ::GetStdHandle(STD_ERROR_HANDLE);
  if (stream != nullptr && stream != INVALID_HANDLE_VALUE) {
    char lineDigits[16] = {};
    const std::to_chars_result digits =
        std::to_chars(lineDigits, lineDigits + sizeof(lineDigits), line);
    WriteToStandardError(stream, "thread 'main' panicked at ");
    WriteToStandardError(stream, SourceLocationText(file));
    WriteToStandardError(stream, ":");
    WriteToStandardError(stream, std::string_view(lineDigits, digits.ptr - lineDigits));
    WriteToStandardError(stream, ":\ncalled `Result::unwrap()` on an `Err` value: ");
    WriteToStandardError(stream, description);
    WriteToStandardError(stream, "\n");
  }
  FailFastFatalAppExit();
}

void exit_on_close() noexcept {
  std::fflush(stdout);
  ::ExitProcess(0);
}

}  // namespace mirvot
