#pragma once
// The benchmark's one clock: GetSystemTimePreciseAsFileTime, in 100 ns units since 1601 (UTC).
// Process creation times (GetProcessTimes) and the test engine's log stamps use the same scale,
// so every figure is a difference of two readings of the same clock.
#include <windows.h>

namespace mirvot::bench {

using FileTimeTicks = long long;

inline FileTimeTicks TicksOf(const FILETIME& time) {
  return static_cast<FileTimeTicks>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                                    time.dwLowDateTime);
}

inline FileTimeTicks PreciseNow() {
  FILETIME now;
  ::GetSystemTimePreciseAsFileTime(&now);
  return TicksOf(now);
}

inline double TicksToMilliseconds(FileTimeTicks ticks) { return static_cast<double>(ticks) / 1e4; }

}  // namespace mirvot::bench
