#pragma once
// What Linux knows about a process, read by this Windows program through Wine's drive Z: (the
// Linux root). Under Wine a Windows process is one Linux process; its first thread is the
// program's main thread, the others are Wine's own (an RPC server thread once OLE is up, for
// example). The Wine server, the X server and the desktop process are processes of their own.
#include <optional>
#include <string>
#include <vector>

namespace mirvot::bench {

struct ThreadCpu {
  long id = 0;
  std::string name;      // comm: the first 15 characters of the thread's name
  long long runNs = 0;   // time on a CPU so far (schedstat, first field)
  long long waitNs = 0;  // time spent runnable but waiting for a CPU (schedstat, second field)
};

struct ProcessCpu {
  std::vector<ThreadCpu> threads;  // the live ones; the first is the main thread
  [[nodiscard]] long long RunNs() const;
  [[nodiscard]] long long WaitNs() const;
};

// Every live thread of the Linux process; nothing when the process cannot be read.
[[nodiscard]] std::optional<ProcessCpu> ReadProcessCpu(long linuxId);

// The Wine server's Linux process id. A file that a Windows program opens is opened by the Wine
// server on its behalf, so /proc/self names the server: this reads /proc/self/stat and checks the
// name. Nothing when it does not look like the Wine server.
[[nodiscard]] std::optional<long> WineServerLinuxId();

// The process's resident memory by kind, in KiB, from /proc/<id>/smaps_rollup and, for the
// peak, /proc/<id>/status.
struct ResidentMemory {
  long long privateKb = 0;  // Private_Clean + Private_Dirty: pages no other process shares
  long long privateDirtyKb = 0;  // Private_Dirty: of those, the ones this process has written
  long long rssKb = 0;
  long long pssKb = 0;
  long long anonymousKb = 0;
  long long peakRssKb = 0;  // VmHWM: the most that was ever resident
};
[[nodiscard]] std::optional<ResidentMemory> ReadResidentMemory(long linuxId);

// Private resident memory (KiB) per mapping, from /proc/<id>/smaps: file mappings by file name
// (each module Wine maps), the rest as "[anonymous]", "[heap]", "[stack]" and so on.
struct MappingPrivate {
  std::string name;
  long long privateKb = 0;
};
[[nodiscard]] std::vector<MappingPrivate> ReadPrivateByMapping(long linuxId);

// /proc/loadavg: the 1, 5 and 15 minute load averages.
struct LoadAverage {
  double one = 0;
  double five = 0;
  double fifteen = 0;
};
[[nodiscard]] std::optional<LoadAverage> ReadLoadAverage();

// The whole text of a Linux file; empty when it cannot be read.
[[nodiscard]] std::string ReadLinuxFile(const std::string& linuxPath);

}  // namespace mirvot::bench
