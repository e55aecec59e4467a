// The error a failed view creation carries, and the text the fatal report prints for it.
#include "shell/browser_view_error.h"

#include <string>

#include <gtest/gtest.h>

#include "common/wide_text.h"

namespace mirvot {
namespace {

TEST(WebView2ErrorTest, WindowsErrorNamesCodeAndSystemMessage) {
  const WebView2Error error = WebView2Error::from_hresult(static_cast<HRESULT>(0x80070002));
  EXPECT_EQ(error.kind(), WebView2ErrorKind::WindowsError);
  EXPECT_EQ(error.code(), static_cast<HRESULT>(0x80070002));
  // The system's own text for the code (its wording differs between systems).
  wchar_t text[512] = {};
  DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, 0x80070002, 0, text, 512, nullptr);
  ASSERT_GT(length, 0u);
  while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r')) {
    --length;
  }
  const std::string message = WideToUtf8(std::wstring_view(text, length));
  EXPECT_EQ(error.description(),
            "WebView2Error(WindowsError(Error { code: HRESULT(0x80070002), "
            "message: \"" +
                message + "\" }))");
}

TEST(WebView2ErrorTest, TaskCanceledHasItsOwnDescription) {
  const WebView2Error error = WebView2Error::from_hresult(kViewCreationCanceled);
  EXPECT_EQ(error.kind(), WebView2ErrorKind::TaskCanceled);
  EXPECT_EQ(error.description(), "WebView2Error(TaskCanceled)");
}

TEST(WebView2ErrorTest, CodeWithoutSystemMessageHasEmptyMessage) {
  const WebView2Error error = WebView2Error::from_hresult(static_cast<HRESULT>(0x8BADF00D));
  EXPECT_EQ(error.description(),
            "WebView2Error(WindowsError(Error { code: HRESULT(0x8BADF00D), message: \"\" }))");
}

TEST(WebView2ErrorTest, HexDigitsAreUppercaseAndPadded) {
  const std::string text = WebView2Error::from_hresult(E_POINTER).description();
  EXPECT_NE(text.find("HRESULT(0x80004003)"), std::string::npos) << text;
}

TEST(WebView2ErrorTest, SystemMessageLosesItsTrailingLineBreak) {
  const std::string message = system_message_for_hresult(E_ACCESSDENIED);
  ASSERT_FALSE(message.empty());
  EXPECT_NE(message.back(), '\n');
  EXPECT_NE(message.back(), '\r');
  EXPECT_NE(message.back(), ' ');
}

TEST(WebView2ErrorTest, ErrorsCompareByKindAndCode) {
  EXPECT_EQ(WebView2Error::from_hresult(E_FAIL), WebView2Error::from_hresult(E_FAIL));
  EXPECT_FALSE(WebView2Error::from_hresult(E_FAIL) == WebView2Error::from_hresult(E_POINTER));
  EXPECT_FALSE(WebView2Error::from_hresult(kViewCreationCanceled) ==
               WebView2Error::from_hresult(E_ABORT));
}

}  // namespace
}  // namespace mirvot
