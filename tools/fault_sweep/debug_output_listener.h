#pragma once
// The debugger output of programs that run without a debugger, as a monitor on Windows reads it:
// OutputDebugString hands its text to the session's one listener through the shared buffer
// "DBWIN_BUFFER" when no debugger takes it. Wine 8 does the same. The listener runs on a thread
// of its own from construction to destruction; only one can exist in a session at a time.
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "common/owners.h"

namespace mirvot::sweep {

class DebugOutputListener {
 public:
  DebugOutputListener();
  ~DebugOutputListener();
  DebugOutputListener(const DebugOutputListener&) = delete;
  DebugOutputListener& operator=(const DebugOutputListener&) = delete;

  // False when another listener holds the session's buffer.
  [[nodiscard]] bool listening() const { return thread_.joinable(); }
  // Stops listening, once the text already written has been read, and gives what the process
  // wrote, split into lines at '\n' (a last piece without one is kept): the pieces of one line
  // may come from several calls.
  [[nodiscard]] std::vector<std::string> stop_and_read(DWORD processId);

 private:
  void listen();
  void stop();

  UniqueHandle buffer_;
  UniqueHandle bufferReady_;
  UniqueHandle dataReady_;
  UniqueHandle stop_;
  void* view_ = nullptr;
  std::vector<std::pair<DWORD, std::string>> texts_;  // the thread's until it is stopped
  std::thread thread_;
};

}  // namespace mirvot::sweep
