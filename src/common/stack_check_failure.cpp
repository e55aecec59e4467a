// What happens when the compiler's checks find a smashed stack or an overflowing string call.
//
// MinGW's stack protector and checked string functions report to __stack_chk_fail and
// __chk_fail of the C runtime, which end the process with an illegal-instruction trap: a crash
// like any other, that a crash reporter or an administrator cannot tell from a bug. The link
// redirects both names here (-Wl,--wrap, see cmake/compiler-settings.cmake), and the process
// ends the way the platform's own stack-cookie check ends it: fail-fast, exit status
// STATUS_STACK_BUFFER_OVERRUN, no handlers, no unwinding through the damaged stack. MSVC builds
// use the platform's check itself (/GS) and need none of this.
// Included by its own folder: the file is compiled into images that do not otherwise use src/.
#include "fail_fast.h"

#if defined(__MINGW32__)

extern "C" {

// The names are the ones the linker's --wrap option gives the redirected symbols.
// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
[[noreturn]] void __wrap___stack_chk_fail() noexcept {
  mirvot::FailFast(mirvot::kFastFailStackCookieCheckFailure);
}

[[noreturn]] void __wrap___chk_fail() noexcept {
  mirvot::FailFast(mirvot::kFastFailStackCookieCheckFailure);
}
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)

}  // extern "C"

#endif
