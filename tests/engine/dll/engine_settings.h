#pragma once
// The per-view settings object: ICoreWebView2Settings .. ICoreWebView2Settings9. Setters log,
// may be made to fail by the script, and store; getters give what was stored.
#include <map>
#include <string>

#include "engine_object.h"

namespace mirvot::test_engine {

class EngineSettings final
    : public EngineObject<ICoreWebView2Settings9, ICoreWebView2Settings, ICoreWebView2Settings2,
                          ICoreWebView2Settings3, ICoreWebView2Settings4, ICoreWebView2Settings5,
                          ICoreWebView2Settings6, ICoreWebView2Settings7, ICoreWebView2Settings8> {
 public:
  EngineSettings() noexcept : EngineObject("settings") {}

#define MIRVOT_ENGINE_BOOL_SETTING(Name)                                \
  HRESULT STDMETHODCALLTYPE get_##Name(BOOL* value) noexcept override { \
    return GetFlag(#Name, value);                                       \
  }                                                                     \
  HRESULT STDMETHODCALLTYPE put_##Name(BOOL value) noexcept override {  \
    return PutFlag(#Name, value);                                       \
  }

  // ICoreWebView2Settings
  MIRVOT_ENGINE_BOOL_SETTING(IsScriptEnabled)
  MIRVOT_ENGINE_BOOL_SETTING(IsWebMessageEnabled)
  MIRVOT_ENGINE_BOOL_SETTING(AreDefaultScriptDialogsEnabled)
  MIRVOT_ENGINE_BOOL_SETTING(IsStatusBarEnabled)
  MIRVOT_ENGINE_BOOL_SETTING(AreDevToolsEnabled)
  MIRVOT_ENGINE_BOOL_SETTING(AreDefaultContextMenusEnabled)
  MIRVOT_ENGINE_BOOL_SETTING(AreHostObjectsAllowed)
  MIRVOT_ENGINE_BOOL_SETTING(IsZoomControlEnabled)
  MIRVOT_ENGINE_BOOL_SETTING(IsBuiltInErrorPageEnabled)
  // ICoreWebView2Settings2
  HRESULT STDMETHODCALLTYPE get_UserAgent(LPWSTR* userAgent) noexcept override;
  HRESULT STDMETHODCALLTYPE put_UserAgent(LPCWSTR userAgent) noexcept override;
  // ICoreWebView2Settings3
  MIRVOT_ENGINE_BOOL_SETTING(AreBrowserAcceleratorKeysEnabled)
  // ICoreWebView2Settings4
  MIRVOT_ENGINE_BOOL_SETTING(IsPasswordAutosaveEnabled)
  MIRVOT_ENGINE_BOOL_SETTING(IsGeneralAutofillEnabled)
  // ICoreWebView2Settings5
  MIRVOT_ENGINE_BOOL_SETTING(IsPinchZoomEnabled)
  // ICoreWebView2Settings6
  MIRVOT_ENGINE_BOOL_SETTING(IsSwipeNavigationEnabled)
  // ICoreWebView2Settings7
  HRESULT STDMETHODCALLTYPE
  get_HiddenPdfToolbarItems(COREWEBVIEW2_PDF_TOOLBAR_ITEMS* value) noexcept override;
  HRESULT STDMETHODCALLTYPE
  put_HiddenPdfToolbarItems(COREWEBVIEW2_PDF_TOOLBAR_ITEMS value) noexcept override;
  // ICoreWebView2Settings8
  MIRVOT_ENGINE_BOOL_SETTING(IsReputationCheckingRequired)
  // ICoreWebView2Settings9
  MIRVOT_ENGINE_BOOL_SETTING(IsNonClientRegionSupportEnabled)

#undef MIRVOT_ENGINE_BOOL_SETTING

 private:
  HRESULT GetFlag(const char* name, BOOL* value) noexcept;
  HRESULT PutFlag(const char* name, BOOL value) noexcept;

  std::map<std::string, BOOL> flags_;  // absent: TRUE
  std::wstring userAgent_;
  INT32 hiddenPdfToolbarItems_ = 0;
};

}  // namespace mirvot::test_engine
