#pragma once
// HRESULT helpers for Win32 code: every failing step becomes one line that returns its result.
#include <windows.h>

#include "common/core/hresult_codes.h"

namespace mirvot {

// The calling thread's last Win32 error as an HRESULT.
[[nodiscard]] inline HRESULT LastErrorAsHResult() noexcept {
  return static_cast<HRESULT>(HResultFromWin32Code(::GetLastError()));
}

// A Win32 BOOL result as an HRESULT: S_OK, or the last error.
[[nodiscard]] inline HRESULT HResultFromBool(BOOL ok) noexcept {
  return ok ? S_OK : LastErrorAsHResult();
}

}  // namespace mirvot

// Returns the HRESULT of an expression from the enclosing function when it failed.
#define MIRVOT_RETURN_IF_FAILED(expr)       \
  do {                                      \
    const HRESULT mirvot_hr_ = (expr);      \
    if (FAILED(mirvot_hr_)) {               \
      return mirvot_hr_;                    \
    }                                       \
  } while (false)
