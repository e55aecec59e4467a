#include "shell/engine_completion.h"

#include "common/hresult.h"
#include "shell/forged_message.h"

namespace mirvot {

std::optional<WebView2Error> pump_one_message() {
  MSG msg{};
  const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
  if (got == -1) {
    return WebView2Error::from_h_result(LastErrorAsFailure());
  }
  if (got == 0) {
    return WebView2Error::canceled();
  }
  if (!is_forged_system_message(msg)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return std::nullopt;
}

}  // namespace mirvot
