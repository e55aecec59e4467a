#pragma once
// The runner's end of the test engine's hold (script item hold_create, see
// tests/engine/test_engine_control.h): a named pipe the engine connects to from inside the
// creation call, before it does anything else. The engine reports the process's ids and waits;
// while it waits, the runner reads the process from Linux, then lets it go on.
#include <windows.h>

#include <optional>
#include <string>

#include "common/owners.h"

namespace mirvot::bench {

struct HeldProcess {
  DWORD windowsId = 0;
  long linuxId = 0;  // 0 when the engine could not tell
};

class HoldPipe {
 public:
  // Listens on \\.\pipe\<name> (the name given to the engine as hold_create=<name>).
  [[nodiscard]] static HRESULT Listen(const std::wstring& name, HoldPipe& pipe) noexcept;

  // Waits until the engine has connected and reported; nothing when the process ended first,
  // timeoutMs passed, or the report was not understood.
  [[nodiscard]] std::optional<HeldProcess> WaitForHold(HANDLE process, DWORD timeoutMs);

  // Lets the held caller go on (closing the pipe would too).
  void Release() noexcept;

 private:
  // Completes an overlapped call, or gives up when the process ends or the time is out.
  bool Complete(BOOL started, HANDLE process, DWORD timeoutMs, DWORD* transferred) noexcept;

  UniqueFileHandle pipe_;
  UniqueHandle event_;
  OVERLAPPED overlapped_{};
};

// Parses "held pid=<n> unix=<n>\n".
[[nodiscard]] std::optional<HeldProcess> ParseHoldReport(const std::string& line);

}  // namespace mirvot::bench
