#include "event_args.h"

namespace mirvot::test_engine {

HRESULT NewWindowRequestedArgs::get_Uri(LPWSTR* uri) noexcept {
  return LogCall(Call("get_Uri"), CopyToCoTaskMem(uri_, uri));
}

HRESULT NewWindowRequestedArgs::put_NewWindow(ICoreWebView2* newWindow) noexcept {
  newWindowGiven_ = newWindow != nullptr;
  return LogCall(Call("put_NewWindow"), YesNo(newWindow), S_OK);
}

HRESULT NewWindowRequestedArgs::get_NewWindow(ICoreWebView2** newWindow) noexcept {
  if (newWindow == nullptr) {
    return LogCall(Call("get_NewWindow"), E_POINTER);
  }
  // The window a host gives is only recorded, never handed back: the engine opens no windows.
  *newWindow = nullptr;
  return LogCall(Call("get_NewWindow"), S_OK);
}

HRESULT NewWindowRequestedArgs::put_Handled(BOOL handled) noexcept {
  const std::string call = Call("put_Handled");
  const HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr)) {
    handled_ = handled;
  }
  return LogCall(call, std::to_string(handled), hr);
}

HRESULT NewWindowRequestedArgs::get_Handled(BOOL* handled) noexcept {
  if (handled == nullptr) {
    return LogCall(Call("get_Handled"), E_POINTER);
  }
  *handled = handled_;
  return LogCall(Call("get_Handled"), S_OK);
}

HRESULT NewWindowRequestedArgs::get_IsUserInitiated(BOOL* isUserInitiated) noexcept {
  if (isUserInitiated == nullptr) {
    return LogCall(Call("get_IsUserInitiated"), E_POINTER);
  }
  *isUserInitiated = TRUE;
  return LogCall(Call("get_IsUserInitiated"), S_OK);
}

HRESULT DownloadOperation::get_Uri(LPWSTR* uri) noexcept {
  const std::string call = Call("get_Uri");
  const HRESULT hr = ScriptedFailure(call);
  if (FAILED(hr)) {
    if (uri != nullptr) {
      *uri = nullptr;
    }
    return LogCall(call, hr);
  }
  return LogCall(call, CopyToCoTaskMem(uri_, uri));
}

HRESULT DownloadStartingArgs::get_DownloadOperation(
    ICoreWebView2DownloadOperation** downloadOperation) noexcept {
  const std::string call = Call("get_DownloadOperation");
  if (downloadOperation == nullptr) {
    return LogCall(call, E_POINTER);
  }
  *downloadOperation = nullptr;
  const HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr)) {
    operation_.CopyTo(downloadOperation);
  }
  return LogCall(call, hr);
}

HRESULT DownloadStartingArgs::get_Cancel(BOOL* cancel) noexcept {
  if (cancel == nullptr) {
    return LogCall(Call("get_Cancel"), E_POINTER);
  }
  *cancel = cancel_;
  return LogCall(Call("get_Cancel"), S_OK);
}

HRESULT DownloadStartingArgs::put_Cancel(BOOL cancel) noexcept {
  const std::string call = Call("put_Cancel");
  const HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr)) {
    cancel_ = cancel;
  }
  return LogCall(call, std::to_string(cancel), hr);
}

HRESULT DownloadStartingArgs::get_ResultFilePath(LPWSTR* resultFilePath) noexcept {
  const std::string call = Call("get_ResultFilePath");
  const HRESULT hr = ScriptedFailure(call);
  if (FAILED(hr)) {
    if (resultFilePath != nullptr) {
      *resultFilePath = nullptr;
    }
    return LogCall(call, hr);
  }
  return LogCall(call, CopyToCoTaskMem(resultFilePath_, resultFilePath));
}

HRESULT DownloadStartingArgs::put_ResultFilePath(LPCWSTR resultFilePath) noexcept {
  const std::string call = Call("put_ResultFilePath");
  HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr) && resultFilePath == nullptr) {
    hr = E_INVALIDARG;
  }
  if (SUCCEEDED(hr)) {
    resultFilePath_ = resultFilePath;
  }
  return LogCall(call, QuotedText(resultFilePath), hr);
}

HRESULT DownloadStartingArgs::get_Handled(BOOL* handled) noexcept {
  if (handled == nullptr) {
    return LogCall(Call("get_Handled"), E_POINTER);
  }
  *handled = handled_;
  return LogCall(Call("get_Handled"), S_OK);
}

HRESULT DownloadStartingArgs::put_Handled(BOOL handled) noexcept {
  const std::string call = Call("put_Handled");
  const HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr)) {
    handled_ = handled;
  }
  return LogCall(call, std::to_string(handled), hr);
}

}  // namespace mirvot::test_engine
