#include "hold_pipe.h"

#include <charconv>

#include "common/hresult.h"

namespace mirvot::bench {
namespace {

constexpr DWORD kBufferBytes = 256;

// The number after "<key>=" in the line, if whole.
std::optional<long long> NumberAfter(const std::string& line, const char* key) {
  const size_t at = line.find(key);
  if (at == std::string::npos) {
    return std::nullopt;
  }
  const char* first = line.data() + at + std::char_traits<char>::length(key);
  const char* last = line.data() + line.size();
  long long value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end == first || (end != last && *end != ' ' && *end != '\n')) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<HeldProcess> ParseHoldReport(const std::string& line) {
  if (line.rfind("held ", 0) != 0) {
    return std::nullopt;
  }
  const auto windowsId = NumberAfter(line, " pid=");
  const auto linuxId = NumberAfter(line, " unix=");
  if (!windowsId || !linuxId || *windowsId <= 0 || *linuxId < 0) {
    return std::nullopt;
  }
  return HeldProcess{static_cast<DWORD>(*windowsId), static_cast<long>(*linuxId)};
}

HRESULT HoldPipe::Listen(const std::wstring& name, HoldPipe& pipe) noexcept {
  const std::wstring path = L"\\\\.\\pipe\\" + name;
  pipe.pipe_.reset(::CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1,
                                      kBufferBytes, kBufferBytes, 0, nullptr));
  if (!pipe.pipe_) {
    return LastErrorAsFailure();
  }
  pipe.event_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!pipe.event_) {
    return LastErrorAsFailure();
  }
  return S_OK;
}

bool HoldPipe::Complete(BOOL started, HANDLE process, DWORD timeoutMs,
                        DWORD* transferred) noexcept {
  if (!started) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_PIPE_CONNECTED) {
      return true;
    }
    if (error != ERROR_IO_PENDING) {
      return false;
    }
    const HANDLE waits[] = {event_.get(), process};
    if (::WaitForMultipleObjects(2, waits, FALSE, timeoutMs) != WAIT_OBJECT_0) {
      ::CancelIoEx(pipe_.get(), &overlapped_);
      ::GetOverlappedResult(pipe_.get(), &overlapped_, transferred, TRUE);
      return false;
    }
  }
  return ::GetOverlappedResult(pipe_.get(), &overlapped_, transferred, FALSE) != FALSE;
}

std::optional<HeldProcess> HoldPipe::WaitForHold(HANDLE process, DWORD timeoutMs) {
  overlapped_ = OVERLAPPED{};
  overlapped_.hEvent = event_.get();
  DWORD transferred = 0;
  if (!Complete(::ConnectNamedPipe(pipe_.get(), &overlapped_), process, timeoutMs, &transferred)) {
    return std::nullopt;
  }
  std::string report;
  char buffer[kBufferBytes];
  while (report.find('\n') == std::string::npos && report.size() < kBufferBytes) {
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_.get();
    ::ResetEvent(event_.get());
    if (!Complete(::ReadFile(pipe_.get(), buffer, sizeof(buffer), nullptr, &overlapped_), process,
                  timeoutMs, &transferred) ||
        transferred == 0) {
      return std::nullopt;
    }
    report.append(buffer, transferred);
  }
  return ParseHoldReport(report);
}

void HoldPipe::Release() noexcept {
  if (!pipe_) {
    return;
  }
  overlapped_ = OVERLAPPED{};
  overlapped_.hEvent = event_.get();
  ::ResetEvent(event_.get());
  const char release = 1;
  DWORD written = 0;
  if (!::WriteFile(pipe_.get(), &release, 1, nullptr, &overlapped_) &&
      ::GetLastError() == ERROR_IO_PENDING) {
    ::GetOverlappedResult(pipe_.get(), &overlapped_, &written, TRUE);
  }
  pipe_.reset();
}

}  // namespace mirvot::bench
