#pragma once
// HRESULT helpers for Win32 code: every failing step becomes one line that returns its result.
#include <windows.h>

#include "common/core/hresult_codes.h"

namespace mirvot {

// The calling thread's last Win32 error after a call that failed, as a failing HRESULT. Some
// calls fail without setting an error; their zero error would read as S_OK and tell the caller
// that the step worked, so it becomes E_FAIL.
[[nodiscard]] inline HRESULT LastErrorAsFailure() noexcept {
  const auto hr = static_cast<HRESULT>(HResultFromWin32Code(::GetLastError()));
  return FAILED(hr) ? hr : E_FAIL;
}

}  // namespace mirvot

// Returns the HRESULT of an expression from the enclosing function when it failed.
#define MIRVOT_RETURN_IF_FAILED(expr)  \
  do {                                 \
    const HRESULT mirvot_hr_ = (expr); \
    if (FAILED(mirvot_hr_)) {          \
      return mirvot_hr_;               \
    }                                  \
  } while (false)
