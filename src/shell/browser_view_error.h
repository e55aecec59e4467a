#pragma once
// Why a browser view could not be built: an HRESULT from Win32 or the engine, or a quit request
// that arrived while the view was waiting for the engine.
#include <windows.h>

#include <string>

namespace mirvot {

// View creation works in HRESULTs. A WM_QUIT taken from the queue while it waits for the engine
// fails it with this code, which the view's error type reads as TaskCanceled. The customer bit
// is set in it, so it is no code the system or the engine gives.
inline constexpr HRESULT kViewCreationCanceled = static_cast<HRESULT>(0xA0000001L);

enum class WebView2ErrorKind {
  // A failing HRESULT; Win32 failures are carried as HRESULT_FROM_WIN32(GetLastError()).
  WindowsError,
  // WM_QUIT was taken from the queue while waiting for an engine completion.
  TaskCanceled,
};

class WebView2Error {
 public:
  // The error of a failed view creation: TaskCanceled for kViewCreationCanceled, otherwise a
  // WindowsError with the code.
  [[nodiscard]] static WebView2Error from_hresult(HRESULT code) noexcept {
    return code == kViewCreationCanceled ? WebView2Error(WebView2ErrorKind::TaskCanceled, E_ABORT)
                                         : WebView2Error(WebView2ErrorKind::WindowsError, code);
  }

  [[nodiscard]] WebView2ErrorKind kind() const noexcept { return kind_; }
  // The failing HRESULT of a WindowsError; E_ABORT for TaskCanceled.
  [[nodiscard]] HRESULT code() const noexcept { return code_; }

  // The text the fatal report prints, for example
  //   WebView2Error(WindowsError(Error { code: HRESULT(0x80070002), message: "The system
  //   cannot find the file specified." }))      (on one line)
  //   WebView2Error(TaskCanceled)
  // The message is the system's text for the code, without its trailing line break; empty
  // when the system has none.
  [[nodiscard]] std::string description() const;

  friend bool operator==(const WebView2Error&, const WebView2Error&) = default;

 private:
  WebView2Error(WebView2ErrorKind kind, HRESULT code) noexcept : kind_(kind), code_(code) {}

  WebView2ErrorKind kind_;
  HRESULT code_;
};

// An HRESULT in the notation of the fatal report:
//   Error { code: HRESULT(0x80070002), message: "The system cannot find the file specified." }
[[nodiscard]] std::string windows_error_description(HRESULT code);

// The system's message for an HRESULT as UTF-8, trailing white space removed; empty when
// there is none.
[[nodiscard]] std::string system_message_for_hresult(HRESULT code);

}  // namespace mirvot
