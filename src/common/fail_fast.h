#pragma once
// Ends the process at once through the system's fail-fast path: no unwinding, no handlers, no
// dialog; the exit status is STATUS_STACK_BUFFER_OVERRUN (0xC0000409).
#include <windows.h>

#if defined(_MSC_VER)
#include <intrin.h>
#endif

namespace mirvot {

inline constexpr unsigned kFastFailStackCookieCheckFailure =
    2;                                                // FAST_FAIL_STACK_COOKIE_CHECK_FAILURE
inline constexpr unsigned kFastFailFatalAppExit = 7;  // FAST_FAIL_FATAL_APP_EXIT

[[noreturn]] inline void FailFast(unsigned code) noexcept {
#if defined(_MSC_VER)
  __fastfail(code);
#else
  // The MinGW headers lack the intrinsic; this is the instruction it stands for, with the code
  // in ECX.
  __asm__ __volatile__("int $0x29" : : "c"(code) : "memory");
  __builtin_unreachable();
#endif
}

[[noreturn]] inline void FailFastFatalAppExit() noexcept { FailFast(kFastFailFatalAppExit); }

}  // namespace mirvot
