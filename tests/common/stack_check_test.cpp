// A program built with the project's flags that overruns a buffer ends the way the platform's
// own stack-cookie check ends a program: fail-fast with STATUS_STACK_BUFFER_OVERRUN, never with
// an illegal-instruction trap or by running on.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/wide_text.h"
#include "harness/debug_capture.h"
#include "harness/host_paths.h"

namespace mirvot::test {
namespace {

constexpr DWORD kStatusStackBufferOverrun = 0xC0000409;

DWORD RunProbe(const wchar_t* mode) {
  const DebuggedRun run =
      RunUnderDebugger(QuoteArgument(WindowsPathFromHost(OVERFLOW_PROBE_EXE)) + L" " + mode, 30000);
  EXPECT_TRUE(run.started);
  EXPECT_FALSE(run.timedOut);
  return run.exitCode;
}

TEST(StackCheck, OverrunsEndThroughFailFastAndInBoundsCopiesDoNot) {
  const struct {
    const wchar_t* mode;
    DWORD exitCode;
  } cases[] = {
      {L"stack", kStatusStackBufferOverrun},
      {L"string", kStatusStackBufferOverrun},
      {L"fits", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RunProbe(c.mode), c.exitCode) << std::hex << "mode " << WideToUtf8(c.mode);
  }
}

}  // namespace
}  // namespace mirvot::test
