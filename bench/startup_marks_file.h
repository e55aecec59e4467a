#pragma once
// The marks a benchmark build wrote (common/startup_marks.h): one "<phase name> <moment>" line
// per phase reached, the moment in 100 ns units on the benchmark's clock.
#include <charconv>
#include <map>
#include <string>
#include <string_view>

#include "precise_time.h"

namespace mirvot::bench {

using StartupMarks = std::map<std::string, FileTimeTicks, std::less<>>;

// Lines that do not read as a name and a number are skipped.
inline StartupMarks ParseStartupMarks(std::string_view text) {
  StartupMarks marks;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const size_t space = line.find(' ');
    if (space == std::string_view::npos || space == 0) {
      continue;
    }
    FileTimeTicks moment = 0;
    const char* first = line.data() + space + 1;
    const char* last = line.data() + line.size();
    const auto [stop, error] = std::from_chars(first, last, moment);
    if (error == std::errc() && stop == last && moment > 0) {
      marks.emplace(std::string(line.substr(0, space)), moment);
    }
  }
  return marks;
}

}  // namespace mirvot::bench
