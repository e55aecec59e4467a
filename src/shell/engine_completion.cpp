#include "shell/engine_completion.h"

#include "common/hresult.h"
#include "shell/browser_view_error.h"
#include "shell/own_windows.h"

namespace mirvot {

HRESULT pump_one_message() noexcept {
  MSG msg{};
  const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
  if (got == -1) {
    return LastErrorAsFailure();
  }
  if (got == 0) {
    return kViewCreationCanceled;
  }
  if (!is_forged_system_message(msg)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return S_OK;
}

}  // namespace mirvot
