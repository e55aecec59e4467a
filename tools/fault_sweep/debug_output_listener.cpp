#include "debug_output_listener.h"

#include <cstring>

namespace mirvot::sweep {
namespace {

constexpr DWORD kBufferSize = 4096;

struct MonitorBuffer {
  DWORD processId;
  char text[kBufferSize - sizeof(DWORD)];
};

}  // namespace

DebugOutputListener::DebugOutputListener() {
  buffer_.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferSize,
                                     L"DBWIN_BUFFER"));
  if (!buffer_ || ::GetLastError() == ERROR_ALREADY_EXISTS) {
    return;
  }
  bufferReady_.reset(::CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY"));
  dataReady_.reset(::CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY"));
  stop_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  view_ = ::MapViewOfFile(buffer_.get(), FILE_MAP_READ, 0, 0, kBufferSize);
  if (bufferReady_ && dataReady_ && stop_ && view_ != nullptr) {
    thread_ = std::thread([this] { listen(); });
  }
}

DebugOutputListener::~DebugOutputListener() {
  stop();
  if (view_ != nullptr) {
    ::UnmapViewOfFile(view_);
  }
}

// Text that is waiting is read before a stop is noticed, so nothing written before the writer
// ended is lost.
void DebugOutputListener::listen() {
  const HANDLE events[] = {dataReady_.get(), stop_.get()};
  const auto* const monitor = static_cast<const MonitorBuffer*>(view_);
  for (;;) {
    ::SetEvent(bufferReady_.get());
    if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
      return;
    }
    texts_.emplace_back(monitor->processId,
                        std::string(monitor->text, strnlen(monitor->text, sizeof(monitor->text))));
  }
}

void DebugOutputListener::stop() {
  if (thread_.joinable()) {
    ::SetEvent(stop_.get());
    thread_.join();
  }
}

std::vector<std::string> DebugOutputListener::stop_and_read(DWORD processId) {
  stop();
  std::string all;
  for (const auto& [writer, text] : texts_) {
    all += writer == processId ? text : std::string();
  }
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = all.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(all.substr(start, end - start));
  }
  if (start < all.size()) {
    lines.push_back(all.substr(start));
  }
  return lines;
}

}  // namespace mirvot::sweep
