#pragma once
// What Linux knows about a process, read by this Windows program through Wine's drive Z: (the
// Linux root). Under Wine a Windows process is one Linux process; its first thread is the
// program's main thread, the others are Wine's own (an RPC server thread once OLE is up, for
// example). The Wine server, the X server and the desktop process are processes of their own.
#include <optional>
#include <string>
#include <vector>

#include "proc_text.h"

namespace mirvot::bench {

struct ThreadCpu {
  long id = 0;
  std::string name;  // comm: the first 15 characters of the thread's name
  Schedstat time;
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

[[nodiscard]] std::optional<ResidentMemory> ReadResidentMemory(long linuxId);
[[nodiscard]] std::vector<MappingPrivate> ReadPrivateByMapping(long linuxId);
[[nodiscard]] std::optional<LoadAverage> ReadLoadAverage();

// The whole text of a Linux file; empty when it cannot be read.
[[nodiscard]] std::string ReadLinuxFile(const std::string& linuxPath);

}  // namespace mirvot::bench
