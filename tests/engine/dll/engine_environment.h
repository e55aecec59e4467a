#pragma once
// The environment (ICoreWebView2Environment .. ICoreWebView2Environment10, one object) and the
// controller options it makes. Controller creation completes later on the calling thread.
#include <string>

#include "engine_object.h"

namespace mirvot::test_engine {

class EngineControllerOptions final : public EngineObject<ICoreWebView2ControllerOptions> {
 public:
  EngineControllerOptions() noexcept;
  ~EngineControllerOptions() override;

  // The engine's own options object behind an interface pointer, or null for a foreign one.
  static EngineControllerOptions* FromInterface(ICoreWebView2ControllerOptions* options) noexcept;

  [[nodiscard]] BOOL inPrivate() const noexcept { return inPrivate_; }

  HRESULT STDMETHODCALLTYPE get_ProfileName(LPWSTR* value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_ProfileName(LPCWSTR value) noexcept override;
  HRESULT STDMETHODCALLTYPE get_IsInPrivateModeEnabled(BOOL* value) noexcept override;
  HRESULT STDMETHODCALLTYPE put_IsInPrivateModeEnabled(BOOL value) noexcept override;

 private:
  std::wstring profileName_;
  BOOL inPrivate_ = FALSE;
};

class EngineEnvironment final
    : public EngineObject<ICoreWebView2Environment10, ICoreWebView2Environment,
                          ICoreWebView2Environment2, ICoreWebView2Environment3,
                          ICoreWebView2Environment4, ICoreWebView2Environment5,
                          ICoreWebView2Environment6, ICoreWebView2Environment7,
                          ICoreWebView2Environment8, ICoreWebView2Environment9> {
 public:
  // userDataFolder: the folder the creation was asked for; null is kept as "no folder".
  explicit EngineEnvironment(const wchar_t* userDataFolder) noexcept
      : EngineObject("environment"),
        userDataFolder_(userDataFolder != nullptr ? userDataFolder : L"") {}

  // ICoreWebView2Environment
  HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
      HWND parentWindow,
      ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) noexcept override;
  MIRVOT_ENGINE_NOT_IMPLEMENTED(CreateWebResourceResponse, IStream*, int, LPCWSTR, LPCWSTR,
                                ICoreWebView2WebResourceResponse**)
  HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* versionInfo) noexcept override;
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_NewBrowserVersionAvailable,
                                ICoreWebView2NewBrowserVersionAvailableEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_NewBrowserVersionAvailable, EventRegistrationToken)
  // ICoreWebView2Environment2 .. 9
  MIRVOT_ENGINE_NOT_IMPLEMENTED(CreateWebResourceRequest, LPCWSTR, LPCWSTR, IStream*, LPCWSTR,
                                ICoreWebView2WebResourceRequest**)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(
      CreateCoreWebView2CompositionController, HWND,
      ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(CreateCoreWebView2PointerInfo, ICoreWebView2PointerInfo**)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(GetAutomationProviderForWindow, HWND, IUnknown**)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_BrowserProcessExited,
                                ICoreWebView2BrowserProcessExitedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_BrowserProcessExited, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(CreatePrintSettings, ICoreWebView2PrintSettings**)
  HRESULT STDMETHODCALLTYPE get_UserDataFolder(LPWSTR* value) noexcept override;
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_ProcessInfosChanged,
                                ICoreWebView2ProcessInfosChangedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_ProcessInfosChanged, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(GetProcessInfos, ICoreWebView2ProcessInfoCollection**)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(CreateContextMenuItem, LPCWSTR, IStream*,
                                COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND, ICoreWebView2ContextMenuItem**)
  // ICoreWebView2Environment10
  HRESULT STDMETHODCALLTYPE
  CreateCoreWebView2ControllerOptions(ICoreWebView2ControllerOptions** options) noexcept override;
  HRESULT STDMETHODCALLTYPE CreateCoreWebView2ControllerWithOptions(
      HWND parentWindow, ICoreWebView2ControllerOptions* options,
      ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) noexcept override;
  MIRVOT_ENGINE_NOT_IMPLEMENTED(
      CreateCoreWebView2CompositionControllerWithOptions, HWND, ICoreWebView2ControllerOptions*,
      ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler*)

 private:
  std::wstring userDataFolder_;
};

// The browser version the engine reports: the name of the version folder it is laid out in.
inline constexpr wchar_t kEngineBrowserVersion[] = L"120.0.2210.91";

}  // namespace mirvot::test_engine
