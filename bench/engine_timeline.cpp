#include "engine_timeline.h"

#include <windows.h>

#include <charconv>

#include "common/owners.h"

namespace mirvot::bench {
namespace {

constexpr std::string_view kCreationCall = "CreateWebViewEnvironmentWithOptionsInternal unknown=";
constexpr std::string_view kNavigate = "webview.Navigate ";
constexpr std::string_view kEnvironmentDelivered = "environmentHandler.Invoke returned ";

// The value of " <key>=<digits>" in the line; the timing fields come last, so the last match
// is the engine's and not text the host passed in.
std::optional<long long> FieldOf(std::string_view line, std::string_view key) {
  const std::string pattern = " " + std::string(key) + "=";
  const size_t at = line.rfind(pattern);
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  const char* first = line.data() + at + pattern.size();
  const char* last = line.data() + line.size();
  long long value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end == first) {
    return std::nullopt;
  }
  return value;
}

std::optional<EngineMoment> MomentOf(std::string_view line) {
  const auto at = FieldOf(line, "t");
  const auto busy = FieldOf(line, "busy");
  const auto queued = FieldOf(line, "queued");
  if (!at || !busy || !queued) {
    return std::nullopt;
  }
  return EngineMoment{*at, *busy, *queued};
}

// The first line that starts with prefix.
std::optional<std::string_view> FirstLineStartingWith(std::string_view log,
                                                      std::string_view prefix) {
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string_view::npos) {
      return std::nullopt;  // a line still being written
    }
    const std::string_view line = log.substr(start, end - start);
    if (line.substr(0, prefix.size()) == prefix) {
      return line;
    }
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace

std::optional<EngineTimeline> ParseEngineTimeline(std::string_view log) {
  const auto creationLine = FirstLineStartingWith(log, kCreationCall);
  if (!creationLine) {
    return std::nullopt;
  }
  const auto creation = MomentOf(*creationLine);
  const auto loaded = FieldOf(*creationLine, "loaded");
  const auto visible = FieldOf(*creationLine, "visibleWindows");
  if (!creation || !loaded || !visible) {
    return std::nullopt;
  }
  EngineTimeline timeline;
  timeline.engineLoadedAt = *loaded;
  timeline.visibleWindowsAtCreation = static_cast<int>(*visible);
  timeline.heldFor = FieldOf(*creationLine, "held").value_or(0);
  timeline.creationCall = *creation;
  timeline.environmentDelivered = FirstLineStartingWith(log, kEnvironmentDelivered).has_value();
  if (const auto navigateLine = FirstLineStartingWith(log, kNavigate)) {
    timeline.navigate = MomentOf(*navigateLine);
  }
  return timeline;
}

std::string ReadSharedFile(const std::wstring& path) {
  UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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

}  // namespace mirvot::bench
