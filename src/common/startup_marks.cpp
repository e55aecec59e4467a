#include "common/startup_marks.h"

#if defined(MIRVOT_STARTUP_MARKS)

#include <windows.h>

#include <array>
#include <cstdio>

#include "common/owners.h"

namespace mirvot {
namespace {

// 0 until the phase is reached. The program has one thread, so plain values suffice.
std::array<long long, kStartupPhaseCount> g_marks{};

long long PreciseNow() noexcept {
  FILETIME now;
  ::GetSystemTimePreciseAsFileTime(&now);
  return static_cast<long long>((static_cast<unsigned long long>(now.dwHighDateTime) << 32) |
                                now.dwLowDateTime);
}

}  // namespace

void MarkStartupPhase(StartupPhase phase) noexcept {
  long long& mark = g_marks[static_cast<std::size_t>(phase)];
  if (mark == 0) {
    mark = PreciseNow();
  }
  if (phase == StartupPhase::Navigate) {
    WriteStartupMarks();
  }
}

void WriteStartupMarks() noexcept {
  wchar_t path[MAX_PATH] = {};
  const DWORD length =
      ::GetEnvironmentVariableW(L"MIRVOT_STARTUP_MARKS_FILE", path, static_cast<DWORD>(MAX_PATH));
  if (length == 0 || length >= MAX_PATH) {
    return;
  }
  // Every line fits 64 bytes: a name of at most 26 characters and a moment of at most 20 digits.
  char text[kStartupPhaseCount * 64];
  int used = 0;
  for (std::size_t i = 0; i < g_marks.size(); ++i) {
    if (g_marks[i] != 0) {
      used += std::snprintf(text + used, sizeof(text) - static_cast<std::size_t>(used), "%s %lld\n",
                            kStartupPhases[i].name, g_marks[i]);
    }
  }
  const UniqueFileHandle file(::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file) {
    ::WriteFile(file.get(), text, static_cast<DWORD>(used), &written, nullptr);
  }
}

}  // namespace mirvot

#endif
