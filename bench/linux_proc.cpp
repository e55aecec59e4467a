#include "linux_proc.h"

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <map>
#include <sstream>

#include "common/owners.h"
#include "common/wide_text.h"

namespace mirvot::bench {
namespace {

std::wstring WindowsPathOf(const std::string& linuxPath) {
  std::wstring path = L"Z:" + Utf8ToWide(linuxPath);
  for (wchar_t& c : path) {
    if (c == L'/') {
      c = L'\\';
    }
  }
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

std::optional<long long> LeadingNumber(std::string_view text) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) {
    return std::nullopt;
  }
  return value;
}

// The KiB figure of a "Name:   1234 kB" line, if the line is of that field.
std::optional<long long> FieldKb(const std::string& line, std::string_view field) {
  if (line.size() <= field.size() || line.compare(0, field.size(), field) != 0 ||
      line[field.size()] != ':') {
    return std::nullopt;
  }
  const size_t digits = line.find_first_of("0123456789", field.size());
  return digits == std::string::npos ? std::nullopt : LeadingNumber(line.substr(digits));
}

// The mapping's name: a file's name without its folder, else the bracketed kind.
std::string MappingName(const std::string& header) {
  // address perms offset device inode [path]
  std::istringstream fields(header);
  std::string address, perms, offset, device, inode, path;
  fields >> address >> perms >> offset >> device >> inode;
  std::getline(fields, path);
  const size_t first = path.find_first_not_of(' ');
  path = first == std::string::npos ? std::string() : path.substr(first);
  if (path.empty()) {
    return "[anonymous]";
  }
  if (path.front() == '[') {
    return path;
  }
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsMappingHeader(const std::string& line) {
  // "7f0000000000-7f0000001000 r-xp ..." : hexadecimal, a dash, hexadecimal.
  const size_t dash = line.find('-');
  const size_t space = line.find(' ');
  return dash != std::string::npos && space != std::string::npos && dash < space &&
         line.find_first_not_of("0123456789abcdef") == dash;
}

}  // namespace

std::string ReadLinuxFile(const std::string& linuxPath) {
  const UniqueFileHandle file(::CreateFileW(WindowsPathOf(linuxPath).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string text;
  if (!file) {
    return text;
  }
  char buffer[16384];
  DWORD read = 0;
  while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    text.append(buffer, read);
  }
  return text;
}

long long ProcessCpu::RunNs() const {
  long long total = 0;
  for (const ThreadCpu& thread : threads) {
    total += thread.runNs;
  }
  return total;
}

long long ProcessCpu::WaitNs() const {
  long long total = 0;
  for (const ThreadCpu& thread : threads) {
    total += thread.waitNs;
  }
  return total;
}

std::optional<ProcessCpu> ReadProcessCpu(long linuxId) {
  const std::string task = "/proc/" + std::to_string(linuxId) + "/task";
  std::vector<long> ids = NumericEntries(task);
  if (ids.empty()) {
    return std::nullopt;
  }
  // The main thread's id is the process's.
  std::stable_partition(ids.begin(), ids.end(), [&](long id) { return id == linuxId; });
  ProcessCpu cpu;
  for (const long id : ids) {
    const std::string folder = task + "/" + std::to_string(id);
    std::istringstream schedstat(ReadLinuxFile(folder + "/schedstat"));
    ThreadCpu thread;
    thread.id = id;
    if (!(schedstat >> thread.runNs >> thread.waitNs)) {
      continue;  // ended meanwhile
    }
    thread.name = ReadLinuxFile(folder + "/comm");
    while (!thread.name.empty() && (thread.name.back() == '\n' || thread.name.back() == ' ')) {
      thread.name.pop_back();
    }
    cpu.threads.push_back(std::move(thread));
  }
  if (cpu.threads.empty()) {
    return std::nullopt;
  }
  return cpu;
}

std::optional<long> WineServerLinuxId() {
  const std::string stat = ReadLinuxFile("/proc/self/stat");
  const auto id = LeadingNumber(stat);
  if (!id || stat.find("(wineserver") == std::string::npos) {
    return std::nullopt;
  }
  return static_cast<long>(*id);
}

std::optional<ResidentMemory> ReadResidentMemory(long linuxId) {
  std::istringstream lines(ReadLinuxFile("/proc/" + std::to_string(linuxId) + "/smaps_rollup"));
  ResidentMemory memory;
  bool any = false;
  for (std::string line; std::getline(lines, line);) {
    if (const auto kb = FieldKb(line, "Rss")) {
      memory.rssKb = *kb;
      any = true;
    } else if (const auto pss = FieldKb(line, "Pss")) {
      memory.pssKb = *pss;
    } else if (const auto clean = FieldKb(line, "Private_Clean")) {
      memory.privateKb += *clean;
    } else if (const auto dirty = FieldKb(line, "Private_Dirty")) {
      memory.privateKb += *dirty;
      memory.privateDirtyKb = *dirty;
    } else if (const auto anonymous = FieldKb(line, "Anonymous")) {
      memory.anonymousKb = *anonymous;
    }
  }
  if (!any) {
    return std::nullopt;
  }
  std::istringstream status(ReadLinuxFile("/proc/" + std::to_string(linuxId) + "/status"));
  for (std::string line; std::getline(status, line);) {
    if (const auto peak = FieldKb(line, "VmHWM")) {
      memory.peakRssKb = *peak;
    }
  }
  return memory;
}

std::vector<MappingPrivate> ReadPrivateByMapping(long linuxId) {
  std::istringstream lines(ReadLinuxFile("/proc/" + std::to_string(linuxId) + "/smaps"));
  std::map<std::string, long long> byName;
  std::string current;
  for (std::string line; std::getline(lines, line);) {
    if (IsMappingHeader(line)) {
      current = MappingName(line);
      byName.emplace(current, 0);
    } else if (const auto clean = FieldKb(line, "Private_Clean")) {
      byName[current] += *clean;
    } else if (const auto dirty = FieldKb(line, "Private_Dirty")) {
      byName[current] += *dirty;
    }
  }
  std::vector<MappingPrivate> mappings;
  for (const auto& [name, kb] : byName) {
    mappings.push_back({name, kb});
  }
  return mappings;
}

std::optional<LoadAverage> ReadLoadAverage() {
  std::istringstream text(ReadLinuxFile("/proc/loadavg"));
  LoadAverage load;
  if (!(text >> load.one >> load.five >> load.fifteen)) {
    return std::nullopt;
  }
  return load;
}

}  // namespace mirvot::bench
