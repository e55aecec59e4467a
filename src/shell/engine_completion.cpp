#include "shell/engine_completion.h"

#include "common/hresult.h"
#include "shell/forged_message.h"

namespace mirvot {

std::optional<WebView2Error> PumpOneMessage() {
  MSG msg{};
  const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
  if (got == -1) {
    return WebView2Error::FromHResult(LastErrorAsFailure());
  }
  if (got == 0) {
    return WebView2Error::Canceled();
  }
  if (!IsForgedSystemMessage(msg)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return std::nullopt;
}

}  // namespace mirvot
