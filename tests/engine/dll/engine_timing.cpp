#include "engine_timing.h"

#include <atomic>

namespace mirvot::test_engine {
namespace {

std::atomic<FileTimeTicks> busyTotal{0};
std::atomic<FileTimeTicks> queuedTotal{0};

// What this thread is doing for the engine right now. `depth` counts the open activations (work
// scopes and the open call); one busy interval spans them, from `since` until depth is 0 again.
struct ThreadTiming {
  int depth = 0;
  FileTimeTicks since = 0;
  bool callOpen = false;
  TimingStamp callEntry;
};

thread_local ThreadTiming current;

void Open(FileTimeTicks now) noexcept {
  if (current.depth++ == 0) {
    current.since = now;
  }
}

void Close(FileTimeTicks now) noexcept {
  if (current.depth > 0 && --current.depth == 0) {
    busyTotal += now - current.since;
  }
}

// A call that never logged its result: its interval ends unseen, so its time is dropped rather
// than stretched over whatever the host did after it.
void DropOpenCall() noexcept {
  if (!current.callOpen) {
    return;
  }
  current.callOpen = false;
  if (current.depth > 0) {
    --current.depth;
  }
}

TimingStamp StampAt(FileTimeTicks now) noexcept {
  TimingStamp stamp;
  stamp.at = now;
  stamp.busy = busyTotal.load() + (current.depth > 0 ? now - current.since : 0);
  stamp.queued = queuedTotal.load();
  return stamp;
}

}  // namespace

FileTimeTicks PreciseNow() noexcept {
  FILETIME now;
  ::GetSystemTimePreciseAsFileTime(&now);
  return static_cast<FileTimeTicks>((static_cast<unsigned long long>(now.dwHighDateTime) << 32) |
                                    now.dwLowDateTime);
}

bool TimingEnabled() noexcept {
  wchar_t value[4] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"MIRVOT_TEST_ENGINE_TIMING", value, 4);
  return length == 1 && value[0] == L'1';
}

namespace {
const FileTimeTicks loadedAt = PreciseNow();
}  // namespace

FileTimeTicks EngineLoadedAt() noexcept { return loadedAt; }

TimingStamp StampNow() noexcept { return StampAt(PreciseNow()); }

std::string TimingSuffix(const TimingStamp& stamp) {
  return " t=" + std::to_string(stamp.at) + " busy=" + std::to_string(stamp.busy) +
         " queued=" + std::to_string(stamp.queued);
}

void NoteCallEntered() noexcept {
  DropOpenCall();
  const FileTimeTicks now = PreciseNow();
  current.callEntry = StampAt(now);
  Open(now);
  current.callOpen = true;
}

TimingStamp CurrentCallEntry() noexcept {
  return current.callOpen ? current.callEntry : StampNow();
}

void NoteCallLeft() noexcept {
  if (!current.callOpen) {
    return;
  }
  current.callOpen = false;
  Close(PreciseNow());
}

EngineWorkScope::EngineWorkScope() noexcept { Open(PreciseNow()); }

EngineWorkScope::~EngineWorkScope() { Close(PreciseNow()); }

HostCallScope::HostCallScope() noexcept
    : saved_{current.depth, current.callOpen, current.callEntry} {
  if (current.depth > 0) {
    busyTotal += PreciseNow() - current.since;
  }
  current.depth = 0;
  current.callOpen = false;
}

HostCallScope::~HostCallScope() {
  // Whatever the host left open inside is not ours to count on.
  current.depth = saved_.depth;
  current.callOpen = saved_.callOpen;
  current.callEntry = saved_.callEntry;
  if (current.depth > 0) {
    current.since = PreciseNow();
  }
}

void AddQueuedTime(FileTimeTicks waited) noexcept {
  if (waited > 0) {
    queuedTotal += waited;
  }
}

}  // namespace mirvot::test_engine
