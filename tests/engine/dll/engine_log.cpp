#include "engine_log.h"

#include <mutex>

#include "common/owners.h"
#include "common/wide_text.h"

namespace mirvot::test_engine {
namespace {

std::mutex logLock;
std::string logText;

// The file is opened for each line and closed again, so another process may read or even
// delete it at any time; a line that cannot be written there is still kept in memory.
void AppendToLogFile(const std::string& line) {
  wchar_t path[MAX_PATH * 2];
  const DWORD length = ::GetEnvironmentVariableW(L"MIRVOT_TEST_ENGINE_LOG", path, MAX_PATH * 2);
  if (length == 0 || length >= MAX_PATH * 2) {
    return;
  }
  UniqueFileHandle file(::CreateFileW(path, FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return;
  }
  DWORD written = 0;
  ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void EscapeLineBreaks(std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\r') {
      escaped += "\\r";
    } else {
      escaped += c;
    }
  }
  text.swap(escaped);
}

}  // namespace

void WriteLogLine(std::string_view line) { WriteLogLine(line, StampNow()); }

void WriteLogLine(std::string_view line, const TimingStamp& stamp) {
  std::string entry(line);
  EscapeLineBreaks(entry);
  if (TimingEnabled()) {
    entry += TimingSuffix(stamp);
  }
  entry += '\n';
  const std::lock_guard<std::mutex> hold(logLock);
  logText += entry;
  AppendToLogFile(entry);
}

size_t CopyLog(char* buffer, size_t capacity) {
  const std::lock_guard<std::mutex> hold(logLock);
  if (buffer != nullptr) {
    const size_t count = capacity < logText.size() ? capacity : logText.size();
    logText.copy(buffer, count);
  }
  return logText.size();
}

void ClearLog() {
  const std::lock_guard<std::mutex> hold(logLock);
  logText.clear();
}

HRESULT LogCall(std::string_view call, std::string_view arguments, HRESULT hr) {
  std::string line(call);
  if (!arguments.empty()) {
    line += ' ';
    line += arguments;
  }
  if (FAILED(hr)) {
    line += " hr=" + HexCode(hr);
  }
  // The line (file append included) is still the method's own time.
  WriteLogLine(line, CurrentCallEntry());
  NoteCallLeft();
  return hr;
}

HRESULT LogCall(std::string_view call, HRESULT hr) { return LogCall(call, {}, hr); }

HRESULT NotImplemented(std::string_view call) { return LogCall(call, E_NOTIMPL); }

std::string HexCode(HRESULT hr) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const auto value = static_cast<unsigned long>(hr);
  std::string text = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) {
    text += kDigits[(value >> shift) & 0xF];
  }
  return text;
}

std::string QuotedText(const wchar_t* text) {
  if (text == nullptr) {
    return "<null>";
  }
  return QuotedText(std::wstring_view(text));
}

std::string QuotedText(std::wstring_view text) { return QuotedText(WideToUtf8(text)); }

std::string QuotedText(std::string_view text) {
  std::string quoted = "\"";
  quoted += text;
  quoted += '"';
  return quoted;
}

const char* YesNo(const void* pointer) { return pointer != nullptr ? "yes" : "no"; }

}  // namespace mirvot::test_engine
