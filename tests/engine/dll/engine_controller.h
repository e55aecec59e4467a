#pragma once
// The controller: places, shows, focuses and closes its view's window, and hands out the view.
#include <wrl/client.h>

#include "core_view.h"
#include "engine_object.h"

namespace mirvot::test_engine {

class EngineController final : public EngineObject<ICoreWebView2Controller> {
 public:
  explicit EngineController(Microsoft::WRL::ComPtr<CoreView> view) noexcept
      : EngineObject("controller"), view_(std::move(view)) {}

  HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* isVisible) noexcept override;
  HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL isVisible) noexcept override;
  HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) noexcept override;
  HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) noexcept override;
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_ZoomFactor, double*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(put_ZoomFactor, double)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_ZoomFactorChanged, ICoreWebView2ZoomFactorChangedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_ZoomFactorChanged, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(SetBoundsAndZoomFactor, RECT, double)
  HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) noexcept override;
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_MoveFocusRequested,
                                ICoreWebView2MoveFocusRequestedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_MoveFocusRequested, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_GotFocus, ICoreWebView2FocusChangedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_GotFocus, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_LostFocus, ICoreWebView2FocusChangedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_LostFocus, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_AcceleratorKeyPressed,
                                ICoreWebView2AcceleratorKeyPressedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_AcceleratorKeyPressed, EventRegistrationToken)
  HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* parentWindow) noexcept override;
  HRESULT STDMETHODCALLTYPE put_ParentWindow(HWND parentWindow) noexcept override;
  HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() noexcept override;
  HRESULT STDMETHODCALLTYPE Close() noexcept override;
  HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** coreWebView2) noexcept override;

 private:
  // The script's failure for the call, else kClosed after Close, else S_OK.
  HRESULT Precondition(const std::string& call) const noexcept;

  Microsoft::WRL::ComPtr<CoreView> view_;
};

}  // namespace mirvot::test_engine
