#include "linux_proc.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "common/wide_text.h"
#include "engine_timeline.h"

namespace mirvot::bench {
namespace {

std::wstring WindowsPathOf(const std::string& linuxPath) {
  std::wstring path = L"Z:" + Utf8ToWide(linuxPath);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

std::vector<long> NumericEntries(const std::string& linuxFolder) {
  std::vector<long> entries;
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW((WindowsPathOf(linuxFolder) + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return entries;
  }
  do {
    wchar_t* end = nullptr;
    const long value = std::wcstol(found.cFileName, &end, 10);
    if (end != found.cFileName && *end == L'\0' && value > 0) {
      entries.push_back(value);
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return entries;
}

std::string ProcPath(long linuxId, const char* file) {
  return "/proc/" + std::to_string(linuxId) + "/" + file;
}

}  // namespace

std::string ReadLinuxFile(const std::string& linuxPath) {
  return ReadSharedFile(WindowsPathOf(linuxPath));
}

long long ProcessCpu::RunNs() const {
  long long total = 0;
  for (const ThreadCpu& thread : threads) {
    total += thread.time.runNs;
  }
  return total;
}

long long ProcessCpu::WaitNs() const {
  long long total = 0;
  for (const ThreadCpu& thread : threads) {
    total += thread.time.waitNs;
  }
  return total;
}

std::optional<ProcessCpu> ReadProcessCpu(long linuxId) {
  const std::string task = ProcPath(linuxId, "task");
  std::vector<long> ids = NumericEntries(task);
  // The main thread's id is the process's.
  std::stable_partition(ids.begin(), ids.end(), [&](long id) { return id == linuxId; });
  ProcessCpu cpu;
  for (const long id : ids) {
    const std::string folder = task + "/" + std::to_string(id);
    const std::optional<Schedstat> time = ParseSchedstat(ReadLinuxFile(folder + "/schedstat"));
    if (!time) {
      continue;  // ended meanwhile
    }
    std::string name = ReadLinuxFile(folder + "/comm");
    while (!name.empty() && (name.back() == '\n' || name.back() == ' ')) {
      name.pop_back();
    }
    cpu.threads.push_back({id, std::move(name), *time});
  }
  if (cpu.threads.empty() || cpu.threads.front().id != linuxId) {
    return std::nullopt;
  }
  return cpu;
}

std::optional<long> WineServerLinuxId() {
  return ParseWineServerStat(ReadLinuxFile("/proc/self/stat"));
}

std::optional<ResidentMemory> ReadResidentMemory(long linuxId) {
  return ParseResidentMemory(ReadLinuxFile(ProcPath(linuxId, "smaps_rollup")),
                             ReadLinuxFile(ProcPath(linuxId, "status")));
}

std::vector<MappingPrivate> ReadPrivateByMapping(long linuxId) {
  return ParsePrivateByMapping(ReadLinuxFile(ProcPath(linuxId, "smaps")));
}

std::optional<LoadAverage> ReadLoadAverage() {
  return ParseLoadAverage(ReadLinuxFile("/proc/loadavg"));
}

}  // namespace mirvot::bench
