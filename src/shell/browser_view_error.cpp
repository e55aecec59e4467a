#include "shell/browser_view_error.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "common/core/hresult_format.h"
#include "common/wide_text.h"

namespace mirvot {
namespace {

// Quotes text the way the report's debug notation writes a string value.
std::string quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
    }
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

bool is_trailing_space(wchar_t c) noexcept {
  return c == L'\r' || c == L'\n' || c == L' ' || c == L'\t';
}

}  // namespace

std::string system_message_for_hresult(HRESULT code) {
  // System messages are short; one that does not fit is reported as none rather than cut.
  std::array<wchar_t, 1024> buffer{};
  DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(code), 0, buffer.data(),
                                  static_cast<DWORD>(buffer.size()), nullptr);
  if (length == 0 || length >= buffer.size()) {
    return {};
  }
  while (length > 0 && is_trailing_space(buffer[length - 1])) {
    --length;
  }
  return WideToUtf8(std::wstring_view(buffer.data(), length));
}

std::string WebView2Error::description() const {
  if (kind_ == WebView2ErrorKind::TaskCanceled) {
    return "WebView2Error(TaskCanceled)";
  }
  return "WebView2Error(WindowsError(" + windows_error_description(code_) + "))";
}

std::string windows_error_description(HRESULT code) {
  return "Error { code: HRESULT(0x" + FormatHResultHex(static_cast<std::uint32_t>(code)) +
         "), message: " + quoted(system_message_for_hresult(code)) + " }";
}

}  // namespace mirvot
