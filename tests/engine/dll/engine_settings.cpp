#include "engine_settings.h"

namespace mirvot::test_engine {

HRESULT EngineSettings::GetFlag(const char* name, BOOL* value) noexcept {
  const std::string call = Call("get_") + name;
  if (value == nullptr) {
    return LogCall(call, E_POINTER);
  }
  const auto found = flags_.find(name);
  *value = found == flags_.end() ? TRUE : found->second;
  return LogCall(call, S_OK);
}

HRESULT EngineSettings::PutFlag(const char* name, BOOL value) noexcept {
  const std::string call = Call("put_") + name;
  const HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr)) {
    flags_[name] = value;
  }
  return LogCall(call, std::to_string(value), hr);
}

HRESULT EngineSettings::get_UserAgent(LPWSTR* userAgent) noexcept {
  return LogCall(Call("get_UserAgent"), CopyToCoTaskMem(userAgent_, userAgent));
}

HRESULT EngineSettings::put_UserAgent(LPCWSTR userAgent) noexcept {
  const std::string call = Call("put_UserAgent");
  HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr) && userAgent == nullptr) {
    hr = E_INVALIDARG;
  }
  if (SUCCEEDED(hr)) {
    userAgent_ = userAgent;
  }
  return LogCall(call, QuotedText(userAgent), hr);
}

HRESULT EngineSettings::get_HiddenPdfToolbarItems(COREWEBVIEW2_PDF_TOOLBAR_ITEMS* value) noexcept {
  if (value == nullptr) {
    return LogCall(Call("get_HiddenPdfToolbarItems"), E_POINTER);
  }
  *value = static_cast<COREWEBVIEW2_PDF_TOOLBAR_ITEMS>(hiddenPdfToolbarItems_);
  return LogCall(Call("get_HiddenPdfToolbarItems"), S_OK);
}

HRESULT EngineSettings::put_HiddenPdfToolbarItems(COREWEBVIEW2_PDF_TOOLBAR_ITEMS value) noexcept {
  const std::string call = Call("put_HiddenPdfToolbarItems");
  const HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr)) {
    hiddenPdfToolbarItems_ = static_cast<INT32>(value);
  }
  return LogCall(call, std::to_string(static_cast<INT32>(value)), hr);
}

}  // namespace mirvot::test_engine
