#pragma once
// The texts of Linux's /proc files that the benchmark reads, parsed. No Windows in here: the
// reading is linux_proc.h's.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirvot::bench {

// A thread's /proc/<pid>/task/<tid>/schedstat: time on a CPU and time spent runnable but
// waiting for one, in ns.
struct Schedstat {
  long long runNs = 0;
  long long waitNs = 0;
};
[[nodiscard]] std::optional<Schedstat> ParseSchedstat(std::string_view text);

// The process's resident memory by kind, in KiB, from /proc/<id>/smaps_rollup and, for the
// peak, /proc/<id>/status.
struct ResidentMemory {
  long long privateKb = 0;       // Private_Clean + Private_Dirty: pages no other process shares
  long long privateDirtyKb = 0;  // Private_Dirty: of those, the ones this process has written
  long long rssKb = 0;
  long long pssKb = 0;
  long long anonymousKb = 0;
  long long peakRssKb = 0;  // VmHWM: the most that was ever resident
};
// Nothing when the rollup has no Rss line.
[[nodiscard]] std::optional<ResidentMemory> ParseResidentMemory(std::string_view smapsRollup,
                                                                std::string_view status);

// Private resident memory (KiB) per mapping of /proc/<id>/smaps: file mappings by file name
// (each module Wine maps), the rest as "[anonymous]", "[heap]", "[stack]" and so on; in the
// order of their names.
struct MappingPrivate {
  std::string name;
  long long privateKb = 0;
};
[[nodiscard]] std::vector<MappingPrivate> ParsePrivateByMapping(std::string_view smaps);

// /proc/loadavg: the 1, 5 and 15 minute load averages.
struct LoadAverage {
  double one = 0;
  double five = 0;
  double fifteen = 0;
};
[[nodiscard]] std::optional<LoadAverage> ParseLoadAverage(std::string_view text);

// The process id in a /proc/<id>/stat text whose name is the Wine server's ("(wineserver...)").
[[nodiscard]] std::optional<long> ParseWineServerStat(std::string_view text);

}  // namespace mirvot::bench
