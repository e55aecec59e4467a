#include "engine_controller.h"

namespace mirvot::test_engine {

HRESULT EngineController::Precondition(const std::string& call) const noexcept {
  const HRESULT hr = ScriptedFailure(call);
  if (FAILED(hr)) {
    return hr;
  }
  return view_->closed() ? kClosed : S_OK;
}

HRESULT EngineController::get_IsVisible(BOOL* isVisible) noexcept {
  const std::string call = Call("get_IsVisible");
  if (isVisible == nullptr) {
    return LogCall(call, E_POINTER);
  }
  *isVisible = FALSE;
  const HRESULT hr = Precondition(call);
  if (SUCCEEDED(hr)) {
    *isVisible = view_->visible();
  }
  return LogCall(call, hr);
}

HRESULT EngineController::put_IsVisible(BOOL isVisible) noexcept {
  const std::string call = Call("put_IsVisible");
  HRESULT hr = Precondition(call);
  if (SUCCEEDED(hr)) {
    hr = view_->SetVisible(isVisible);
  }
  return LogCall(call, std::to_string(isVisible), hr);
}

HRESULT EngineController::get_Bounds(RECT* bounds) noexcept {
  const std::string call = Call("get_Bounds");
  if (bounds == nullptr) {
    return LogCall(call, E_POINTER);
  }
  *bounds = RECT{};
  const HRESULT hr = Precondition(call);
  if (SUCCEEDED(hr)) {
    *bounds = view_->bounds();
  }
  return LogCall(call, hr);
}

HRESULT EngineController::put_Bounds(RECT bounds) noexcept {
  const std::string call = Call("put_Bounds");
  HRESULT hr = Precondition(call);
  if (SUCCEEDED(hr)) {
    hr = view_->SetBounds(bounds);
  }
  return LogCall(call,
                 std::to_string(bounds.left) + " " + std::to_string(bounds.top) + " " +
                     std::to_string(bounds.right) + " " + std::to_string(bounds.bottom),
                 hr);
}

HRESULT EngineController::MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) noexcept {
  const std::string call = Call("MoveFocus");
  HRESULT hr = Precondition(call);
  if (SUCCEEDED(hr)) {
    hr = view_->Focus();
  }
  return LogCall(call, std::to_string(static_cast<INT32>(reason)), hr);
}

HRESULT EngineController::get_ParentWindow(HWND* parentWindow) noexcept {
  const std::string call = Call("get_ParentWindow");
  if (parentWindow == nullptr) {
    return LogCall(call, E_POINTER);
  }
  *parentWindow = nullptr;
  const HRESULT hr = Precondition(call);
  if (SUCCEEDED(hr)) {
    *parentWindow = view_->parent();
  }
  return LogCall(call, hr);
}

HRESULT EngineController::put_ParentWindow(HWND parentWindow) noexcept {
  const std::string call = Call("put_ParentWindow");
  HRESULT hr = Precondition(call);
  if (SUCCEEDED(hr)) {
    hr = view_->SetParentWindow(parentWindow);
  }
  return LogCall(call, YesNo(parentWindow), hr);
}

HRESULT EngineController::NotifyParentWindowPositionChanged() noexcept {
  const std::string call = Call("NotifyParentWindowPositionChanged");
  return LogCall(call, Precondition(call));
}

HRESULT EngineController::Close() noexcept {
  const std::string call = Call("Close");
  const HRESULT hr = ScriptedFailure(call);
  // Logged before the window goes, so the log reads in the order things happened.
  LogCall(call, hr);
  if (SUCCEEDED(hr)) {
    view_->Close();
  }
  return hr;
}

HRESULT EngineController::get_CoreWebView2(ICoreWebView2** coreWebView2) noexcept {
  const std::string call = Call("get_CoreWebView2");
  if (coreWebView2 == nullptr) {
    return LogCall(call, E_POINTER);
  }
  *coreWebView2 = nullptr;
  const HRESULT hr = Precondition(call);
  if (SUCCEEDED(hr)) {
    *coreWebView2 = view_.Get();
    (*coreWebView2)->AddRef();
  }
  return LogCall(call, hr);
}

}  // namespace mirvot::test_engine
