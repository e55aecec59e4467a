#pragma once
// Capturing what a program writes with OutputDebugStringA/W, in order.
//  * DebugOutputCapture: in this process. A vectored exception handler sees the debug-print
//    exception that both functions raise, records the text and lets the program go on.
//  * DebuggedProcess: a child started under our own small debugger (DEBUG_ONLY_THIS_PROCESS),
//    which receives every output event and the child's exact exit code (a fail-fast end is
//    0xC0000409 here, where the shell would only see its low byte).
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace mirvot::test {

struct DebugWrite {
  // Raised as wide text. Wine turns wide writes into narrow ones before raising them, so tests
  // must not rely on this flag there.
  bool wide = false;
  std::string text;  // UTF-8; narrow writes are converted from the ANSI code page
};

class DebugOutputCapture {
 public:
  DebugOutputCapture();
  ~DebugOutputCapture();
  DebugOutputCapture(const DebugOutputCapture&) = delete;
  DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

  [[nodiscard]] std::vector<DebugWrite> writes() const;
  // All writes joined: the text a debugger would show.
  [[nodiscard]] std::string text() const;
  // The joined text split after each line feed; an unterminated tail is the last line.
  [[nodiscard]] std::vector<std::string> lines() const;
  void clear();

 private:
  void* handler_ = nullptr;
};

struct DebuggedRun {
  DWORD exitCode = 0;
  bool timedOut = false;
  bool started = false;
  std::vector<std::string> output;  // one entry per debug-output event, in order
  [[nodiscard]] std::string text() const;
};

class DebuggedProcess {
 public:
  // Starts `commandLine` under the capturing debugger; `workingDirectory` may be empty.
  explicit DebuggedProcess(std::wstring commandLine, std::wstring workingDirectory = L"");
  ~DebuggedProcess();
  DebuggedProcess(const DebuggedProcess&) = delete;
  DebuggedProcess& operator=(const DebuggedProcess&) = delete;

  // 0 when the process could not be started.
  [[nodiscard]] DWORD processId() const { return processId_; }
  // Waits for the process to end; on timeout it is terminated and the run says so.
  DebuggedRun Wait(DWORD timeoutMs = 60000);
  // Output so far (the run goes on).
  [[nodiscard]] std::vector<std::string> OutputSoFar() const;

 private:
  void Loop(std::wstring commandLine, std::wstring workingDirectory);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  DWORD processId_ = 0;
  bool startDecided_ = false;
  bool finished_ = false;
  HANDLE processHandle_ = nullptr;
  DebuggedRun run_;
  std::thread thread_;
};

// Starts, waits and collects in one call.
DebuggedRun RunUnderDebugger(const std::wstring& commandLine, DWORD timeoutMs = 60000,
                             const std::wstring& workingDirectory = L"");

// Quotes one argument for a Windows command line.
std::wstring QuoteArgument(const std::wstring& argument);

}  // namespace mirvot::test
