// Overruns a buffer the way a bug would, to show how a program built with the project's flags
// ends when the compiler's checks catch it.
//
//   overflow_probe stack    writes past a local array: the stack cookie check fires
//   overflow_probe string   memcpy past a local array: the checked string function fires
//   overflow_probe fits     the same copies within bounds: ends with code 0
#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstring>
#include <string_view>

namespace {

constexpr std::size_t kBufferSize = 16;
// Far enough past the array to reach the cookie behind it, short of the caller's frame.
constexpr std::size_t kOverrun = 48;

// The count comes through a volatile so the compiler cannot see the overrun coming.
volatile std::size_t g_count = 0;
volatile char g_sink = 0;
const char kSource[128] = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

__attribute__((noinline)) void FillLocalArray() {
  char buffer[kBufferSize];
  for (std::size_t i = 0; i < g_count; ++i) {
    buffer[i] = 'x';
  }
  g_sink = buffer[g_count / 2];
}

__attribute__((noinline)) void CopyIntoLocalArray() {
  char buffer[kBufferSize];
  std::memcpy(buffer, kSource, g_count);
  g_sink = buffer[g_count / 2];
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  const std::wstring_view mode = argv != nullptr && count == 2 ? argv[1] : L"";
  if (mode == L"stack") {
    g_count = kOverrun;
    FillLocalArray();
  } else if (mode == L"string") {
    g_count = kOverrun;
    CopyIntoLocalArray();
  } else if (mode == L"fits") {
    g_count = kBufferSize;
    FillLocalArray();
    CopyIntoLocalArray();
    return 0;
  } else {
    return 2;
  }
  // Not reached when the check works.
  return 1;
}
