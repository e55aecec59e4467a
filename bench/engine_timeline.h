#pragma once
// A host's start-up as the test engine saw it, read from the engine's log written with
// MIRVOT_TEST_ENGINE_TIMING=1 (tests/engine/test_engine_control.h): every line ends with
// " t=<when> busy=<engine time so far> queued=<completion wait so far>", all in 100 ns units,
// and the creation line also carries " visibleWindows=<n> loaded=<when the engine library was
// initialised>" and, after a hold, " held=<how long the caller was held>".
#include <optional>
#include <string>
#include <string_view>

#include "precise_time.h"

namespace mirvot::bench {

struct EngineMoment {
  FileTimeTicks at = 0;
  FileTimeTicks busy = 0;    // engine time used by then
  FileTimeTicks queued = 0;  // time completions had waited in the queue by then
};

struct EngineTimeline {
  FileTimeTicks engineLoadedAt = 0;
  int visibleWindowsAtCreation = 0;
  FileTimeTicks heldFor = 0;             // how long the hold kept the caller in the creation call
  EngineMoment creationCall;             // CreateWebViewEnvironmentWithOptionsInternal entered
  bool environmentDelivered = false;     // the environment handler's Invoke has returned
  std::optional<EngineMoment> navigate;  // webview.Navigate entered
};

// The timeline in the log text, once it has the creation line with its timing.
std::optional<EngineTimeline> ParseEngineTimeline(std::string_view log);

// The whole file, shared with the engine that may still be appending to it; empty if unreadable.
std::string ReadSharedFile(const std::wstring& path);

}  // namespace mirvot::bench
