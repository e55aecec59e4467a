#pragma once
// The table (failure_table.h) as data, and the block of memory the sweep shares with the proxy
// library inside the program it runs: which call to fail, and how often each function was
// called.
#include <windows.h>

#include <cstdint>

namespace mirvot::sweep {

// INVALID_HANDLE_VALUE, (DWORD)-1 and an int's -1 in the return register.
inline constexpr std::uintptr_t kAllOnes = ~std::uintptr_t{0};

struct FaultRow {
  const char* module;
  const char* function;
  std::uintptr_t failure;
  DWORD lastError;  // 0: left as it was
  bool lookedUp;    // found with GetProcAddress rather than imported
};

struct SteadyRow {
  const char* module;
  const char* function;
  const char* reason;
};

// NOLINTBEGIN(bugprone-macro-parentheses): the rows spell values and names as the table does.
// Row numbers, in table order: kRow_<function>.
enum FaultRowIndex : int {
#define SWEEP_IMPORTED(module, function, failure, lastError) kRow_##function,
#define SWEEP_LOOKED_UP(module, function, failure, lastError) kRow_##function,
#define SWEEP_NEVER_FAILS(module, function, reason)
#include "failure_table.h"
#undef SWEEP_IMPORTED
#undef SWEEP_LOOKED_UP
#undef SWEEP_NEVER_FAILS
  kFaultRowCount
};

inline constexpr FaultRow kFaultRows[] = {
#define SWEEP_ROW(module, function, failure, lastError, lookedUp)                           \
  {#module, #function, static_cast<std::uintptr_t>(failure), static_cast<DWORD>(lastError), \
   lookedUp},
#define SWEEP_IMPORTED(module, function, failure, lastError) \
  SWEEP_ROW(module, function, failure, lastError, false)
#define SWEEP_LOOKED_UP(module, function, failure, lastError) \
  SWEEP_ROW(module, function, failure, lastError, true)
#define SWEEP_NEVER_FAILS(module, function, reason)
#include "failure_table.h"
#undef SWEEP_ROW
#undef SWEEP_IMPORTED
#undef SWEEP_LOOKED_UP
#undef SWEEP_NEVER_FAILS
};
static_assert(sizeof(kFaultRows) / sizeof(kFaultRows[0]) == kFaultRowCount);

inline constexpr SteadyRow kSteadyRows[] = {
#define SWEEP_IMPORTED(module, function, failure, lastError)
#define SWEEP_LOOKED_UP(module, function, failure, lastError)
#define SWEEP_NEVER_FAILS(module, function, reason) {#module, #function, reason},
#include "failure_table.h"
#undef SWEEP_IMPORTED
#undef SWEEP_LOOKED_UP
#undef SWEEP_NEVER_FAILS
};
// NOLINTEND(bugprone-macro-parentheses)

// Shared between the sweep and the proxy in the program: a named mapping whose name the program
// finds in this environment variable. Without it the proxy counts for itself and fails nothing.
inline constexpr wchar_t kSharedBlockVariable[] = L"MIRVOT_FAULT_SWEEP_BLOCK";

inline constexpr int kCallerFrames = 6;

struct SharedBlock {
  LONG failRow;                // the row whose call fails, or -1
  LONG failCall;               // which of its calls, from 1
  LONG failed;                 // 1 once that call was made and failed
  std::uintptr_t programBase;  // where the program's image was loaded
  // The failed call's return address, then its caller's and so on (0 past the last found).
  std::uintptr_t failedFrom[kCallerFrames];
  // The last error exception raised in the program (such as an access violation) and where.
  DWORD exceptionCode;
  std::uintptr_t exceptionAddress;
  LONG calls[kFaultRowCount];
  // The display's scale as the proxy reports it to the program: 0 while it is the system's.
  // The sweep asks for a change by writing the window (dpiChangeWindow) and its new DPI
  // (dpiChangeTo); the proxy carries it out in that window's thread (fault_proxy.cpp).
  LONG emulatedDpi;
  LONG dpiChangeTo;
  std::uintptr_t dpiChangeWindow;
};

// The block before a run: no call to fail, nothing counted, the system's own DPI.
constexpr SharedBlock fresh_block(int failRow, LONG failCall) {
  SharedBlock block{};
  block.failRow = failRow;
  block.failCall = failCall;
  return block;
}

}  // namespace mirvot::sweep
