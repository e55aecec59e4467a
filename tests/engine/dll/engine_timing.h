#pragma once
// Timing for the start-up benchmark (bench/): with MIRVOT_TEST_ENGINE_TIMING=1 every log line
// carries when it happened and how much time the engine itself had used by then, so that a
// benchmark can tell the host's own start-up time from the time spent inside this engine.
//
// Busy time is wall time on a thread while the engine is working for the host: inside the
// creation export, inside an engine method (from its entry to its log line), while a queued
// completion runs, and in the view window's procedure. Calls the engine makes into the host from
// there (the completion handlers, the event handlers) are the host's time and are left out.
// Queued time is how long completions waited between being posted and starting to run.
#include <windows.h>

#include <string>

namespace mirvot::test_engine {

// 100 ns units since 1601-01-01 UTC, from GetSystemTimePreciseAsFileTime.
using FileTimeTicks = long long;

FileTimeTicks PreciseNow() noexcept;

// When this module's static data was initialised: the end of the engine library's loading.
FileTimeTicks EngineLoadedAt() noexcept;

// True when MIRVOT_TEST_ENGINE_TIMING is "1" (read afresh on every call, like the script).
bool TimingEnabled() noexcept;

// A moment of the log: when it was, and the engine's busy and queued totals (all threads) then.
struct TimingStamp {
  FileTimeTicks at = 0;
  FileTimeTicks busy = 0;
  FileTimeTicks queued = 0;
};

// Now, with the busy time of the interval open on this thread counted up to now.
TimingStamp StampNow() noexcept;

// " t=<at> busy=<busy> queued=<queued>", the suffix of a log line when timing is on.
std::string TimingSuffix(const TimingStamp& stamp);

// An engine method was entered (EngineObject::Call): opens this thread's call interval and
// remembers its entry stamp. A call entered before and never logged is dropped.
void NoteCallEntered() noexcept;
// The entry stamp of the open call, for its log line (StampNow when no call is open).
TimingStamp CurrentCallEntry() noexcept;
// The method has logged its result: closes the call interval, adding it to the busy time.
void NoteCallLeft() noexcept;

// The engine works on this thread for the scope's life (nestable; a call interval inside it
// adds nothing more).
class EngineWorkScope {
 public:
  EngineWorkScope() noexcept;
  ~EngineWorkScope();
  EngineWorkScope(const EngineWorkScope&) = delete;
  EngineWorkScope& operator=(const EngineWorkScope&) = delete;
};

// The engine calls into the host for the scope's life: the busy interval open on this thread
// pauses and starts again afterwards; the host's own calls into the engine count as usual.
class HostCallScope {
 public:
  HostCallScope() noexcept;
  ~HostCallScope();
  HostCallScope(const HostCallScope&) = delete;
  HostCallScope& operator=(const HostCallScope&) = delete;

 private:
  struct Saved {
    int depth;
    bool callOpen;
    TimingStamp callEntry;
  } saved_;
};

// A queued completion starts running after waiting `waited` since it was posted.
void AddQueuedTime(FileTimeTicks waited) noexcept;

}  // namespace mirvot::test_engine
