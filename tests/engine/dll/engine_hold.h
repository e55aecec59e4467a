#pragma once
// Holding the host inside the creation call, for the start-up benchmark (bench/): while the
// host's thread waits here, the benchmark reads the process's CPU time from outside, so the
// figure ends exactly at the creation call and the reading costs the host nothing.
#include <windows.h>

#include <string_view>

#include "engine_timing.h"

namespace mirvot::test_engine {

// What a hold came to.
struct HoldOutcome {
  bool held = false;         // someone listened and the caller was held
  FileTimeTicks waited = 0;  // how long, in 100 ns units
};

// Connects to the named pipe \\.\pipe\<pipeName> (UTF-8), writes one line
//   "held pid=<Windows process id> unix=<Linux process id, 0 when unknown>\n"
// and waits until it reads a byte from the pipe or the pipe breaks. Without a listener it
// returns at once with held false.
HoldOutcome HoldCaller(std::string_view pipeName) noexcept;

// The id of this process's Linux process when it runs under Wine on Linux x86-64, else 0. Wine
// runs a Windows process as one Linux process, and there is no Win32 or Wine function that gives
// its id (a file under /proc/self is opened by the Wine server and so describes the server).
long LinuxProcessId() noexcept;

}  // namespace mirvot::test_engine
