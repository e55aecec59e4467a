#include "proc_text.h"

#include <charconv>
#include <map>
#include <sstream>

namespace mirvot::bench {
namespace {

std::optional<long long> LeadingNumber(std::string_view text) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) {
    return std::nullopt;
  }
  return value;
}

// The KiB figure of a "Name:   1234 kB" line, if the line is of that field.
std::optional<long long> FieldKb(std::string_view line, std::string_view field) {
  if (line.size() <= field.size() || line.substr(0, field.size()) != field ||
      line[field.size()] != ':') {
    return std::nullopt;
  }
  const size_t digits = line.find_first_of("0123456789", field.size());
  return digits == std::string_view::npos ? std::nullopt : LeadingNumber(line.substr(digits));
}

// Calls each(line) for every line of the text.
template <typename Each>
void ForEachLine(std::string_view text, Each each) {
  while (!text.empty()) {
    const size_t end = text.find('\n');
    each(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
}

// "7f0000000000-7f0000001000 r-xp ...": hexadecimal, a dash, hexadecimal, a space.
bool IsMappingHeader(std::string_view line) {
  const size_t dash = line.find_first_not_of("0123456789abcdef");
  if (dash == 0 || dash == std::string_view::npos || line[dash] != '-') {
    return false;
  }
  const size_t space = line.find_first_not_of("0123456789abcdef", dash + 1);
  return space != dash + 1 && space != std::string_view::npos && line[space] == ' ';
}

// The mapping's name: a file's name without its folder, else the bracketed kind.
std::string MappingName(std::string_view header) {
  // address perms offset device inode [path]; the path may hold spaces.
  std::istringstream fields{std::string(header)};
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

}  // namespace

std::optional<Schedstat> ParseSchedstat(std::string_view text) {
  std::istringstream fields{std::string(text)};
  Schedstat stat;
  if (!(fields >> stat.runNs >> stat.waitNs) || stat.runNs < 0 || stat.waitNs < 0) {
    return std::nullopt;
  }
  return stat;
}

std::optional<ResidentMemory> ParseResidentMemory(std::string_view smapsRollup,
                                                  std::string_view status) {
  ResidentMemory memory;
  bool any = false;
  ForEachLine(smapsRollup, [&](std::string_view line) {
    if (const auto rss = FieldKb(line, "Rss")) {
      memory.rssKb = *rss;
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
  });
  if (!any) {
    return std::nullopt;
  }
  ForEachLine(status, [&](std::string_view line) {
    if (const auto peak = FieldKb(line, "VmHWM")) {
      memory.peakRssKb = *peak;
    }
  });
  return memory;
}

std::vector<MappingPrivate> ParsePrivateByMapping(std::string_view smaps) {
  std::map<std::string, long long> byName;
  std::string current;
  ForEachLine(smaps, [&](std::string_view line) {
    if (IsMappingHeader(line)) {
      current = MappingName(line);
      byName.emplace(current, 0);
    } else if (const auto clean = FieldKb(line, "Private_Clean")) {
      byName[current] += *clean;
    } else if (const auto dirty = FieldKb(line, "Private_Dirty")) {
      byName[current] += *dirty;
    }
  });
  std::vector<MappingPrivate> mappings;
  for (const auto& [name, kb] : byName) {
    mappings.push_back({name, kb});
  }
  return mappings;
}

std::optional<LoadAverage> ParseLoadAverage(std::string_view text) {
  std::istringstream fields{std::string(text)};
  fields.imbue(std::locale::classic());
  LoadAverage load;
  if (!(fields >> load.one >> load.five >> load.fifteen)) {
    return std::nullopt;
  }
  return load;
}

std::optional<long> ParseWineServerStat(std::string_view text) {
  const auto id = LeadingNumber(text);
  const size_t name = text.find(" (");
  if (!id || *id <= 0 || name == std::string_view::npos ||
      text.substr(name + 2, 10) != "wineserver") {
    return std::nullopt;
  }
  return static_cast<long>(*id);
}

}  // namespace mirvot::bench
