#pragma once
// The environment, which creates the controllers that host a view, and the controller, which
// places the view in its parent window.
#include "webview2/declarations.h"
#include "webview2/interface_macro.h"

MIRVOT_INTERFACES_BEGIN
// clang-format off

// The environment: creates the controllers that host a view.

MIRVOT_INTERFACE(ICoreWebView2Environment, IUnknown, "B96D755E-0319-4E92-A296-23436F46A1FC") {
  virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
      HWND parentWindow,
      ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(
      IStream* content, int statusCode, LPCWSTR reasonPhrase, LPCWSTR headers,
      ICoreWebView2WebResourceResponse** response) = 0;  // 4
  virtual HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* versionInfo) = 0;  // 5
  virtual HRESULT STDMETHODCALLTYPE add_NewBrowserVersionAvailable(
      ICoreWebView2NewBrowserVersionAvailableEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 6
  virtual HRESULT STDMETHODCALLTYPE remove_NewBrowserVersionAvailable(
      EventRegistrationToken token) = 0;  // 7
 protected: ~ICoreWebView2Environment() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment2, ICoreWebView2Environment,
                 "41F3632B-5EF4-404F-AD82-2D606C5A9A21") {
  virtual HRESULT STDMETHODCALLTYPE CreateWebResourceRequest(
      LPCWSTR uri, LPCWSTR method, IStream* postData, LPCWSTR headers,
      ICoreWebView2WebResourceRequest** request) = 0;  // 8
 protected: ~ICoreWebView2Environment2() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment3, ICoreWebView2Environment2,
                 "80A22AE3-BE7C-4CE2-AFE1-5A50056CDEEB") {
  virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2CompositionController(
      HWND parentWindow,
      ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler* handler) = 0;  // 9
  virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2PointerInfo(
      ICoreWebView2PointerInfo** pointerInfo) = 0;  // 10
 protected: ~ICoreWebView2Environment3() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment4, ICoreWebView2Environment3,
                 "20944379-6DCF-41D6-A0A0-ABC0FC50DE0D") {
  virtual HRESULT STDMETHODCALLTYPE GetAutomationProviderForWindow(
      HWND hwnd, IUnknown** provider) = 0;  // 11
 protected: ~ICoreWebView2Environment4() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment5, ICoreWebView2Environment4,
                 "319E423D-E0D7-4B8D-9254-AE9475DE9B17") {
  virtual HRESULT STDMETHODCALLTYPE add_BrowserProcessExited(
      ICoreWebView2BrowserProcessExitedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 12
  virtual HRESULT STDMETHODCALLTYPE remove_BrowserProcessExited(
      EventRegistrationToken token) = 0;  // 13
 protected: ~ICoreWebView2Environment5() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment6, ICoreWebView2Environment5,
                 "E59EE362-ACBD-4857-9A8E-D3644D9459A9") {
  virtual HRESULT STDMETHODCALLTYPE CreatePrintSettings(
      ICoreWebView2PrintSettings** printSettings) = 0;  // 14
 protected: ~ICoreWebView2Environment6() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment7, ICoreWebView2Environment6,
                 "43C22296-3BBD-43A4-9C00-5C0DF6DD29A2") {
  virtual HRESULT STDMETHODCALLTYPE get_UserDataFolder(LPWSTR* value) = 0;  // 15
 protected: ~ICoreWebView2Environment7() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment8, ICoreWebView2Environment7,
                 "D6EB91DD-C3D2-45E5-BD29-6DC2BC4DE9CF") {
  virtual HRESULT STDMETHODCALLTYPE add_ProcessInfosChanged(
      ICoreWebView2ProcessInfosChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 16
  virtual HRESULT STDMETHODCALLTYPE remove_ProcessInfosChanged(
      EventRegistrationToken token) = 0;  // 17
  virtual HRESULT STDMETHODCALLTYPE GetProcessInfos(
      ICoreWebView2ProcessInfoCollection** value) = 0;  // 18
 protected: ~ICoreWebView2Environment8() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment9, ICoreWebView2Environment8,
                 "F06F41BF-4B5A-49D8-B9F6-FA16CD29F274") {
  virtual HRESULT STDMETHODCALLTYPE CreateContextMenuItem(
      LPCWSTR label, IStream* iconStream, COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND kind,
      ICoreWebView2ContextMenuItem** item) = 0;  // 19
 protected: ~ICoreWebView2Environment9() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment10, ICoreWebView2Environment9,
                 "EE0EB9DF-6F12-46CE-B53F-3F47B9C928E0") {
  virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2ControllerOptions(
      ICoreWebView2ControllerOptions** options) = 0;  // 20
  virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2ControllerWithOptions(
      HWND parentWindow, ICoreWebView2ControllerOptions* options,
      ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) = 0;  // 21
  virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2CompositionControllerWithOptions(
      HWND parentWindow, ICoreWebView2ControllerOptions* options,
      ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler* handler) = 0;  // 22
 protected: ~ICoreWebView2Environment10() = default;
};

// Options for a controller created through ICoreWebView2Environment10.

MIRVOT_INTERFACE(ICoreWebView2ControllerOptions, IUnknown, "12AAE616-8CCB-44EC-BCB3-EB1831881635") {
  virtual HRESULT STDMETHODCALLTYPE get_ProfileName(LPWSTR* value) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_ProfileName(LPCWSTR value) = 0;  // 4
  virtual HRESULT STDMETHODCALLTYPE get_IsInPrivateModeEnabled(BOOL* value) = 0;  // 5
  virtual HRESULT STDMETHODCALLTYPE put_IsInPrivateModeEnabled(BOOL value) = 0;  // 6
 protected: ~ICoreWebView2ControllerOptions() = default;
};

// The controller: places the view in its parent window, shows it, moves focus, closes it.

MIRVOT_INTERFACE(ICoreWebView2Controller, IUnknown, "4D00C0D1-9434-4EB6-8078-8697A560334F") {
  virtual HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* isVisible) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL isVisible) = 0;  // 4
  virtual HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) = 0;  // 5
  virtual HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) = 0;  // 6
  virtual HRESULT STDMETHODCALLTYPE get_ZoomFactor(double* zoomFactor) = 0;  // 7
  virtual HRESULT STDMETHODCALLTYPE put_ZoomFactor(double zoomFactor) = 0;  // 8
  virtual HRESULT STDMETHODCALLTYPE add_ZoomFactorChanged(
      ICoreWebView2ZoomFactorChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 9
  virtual HRESULT STDMETHODCALLTYPE remove_ZoomFactorChanged(
      EventRegistrationToken token) = 0;  // 10
  virtual HRESULT STDMETHODCALLTYPE SetBoundsAndZoomFactor(
      RECT bounds, double zoomFactor) = 0;  // 11
  virtual HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) = 0;  // 12
  virtual HRESULT STDMETHODCALLTYPE add_MoveFocusRequested(
      ICoreWebView2MoveFocusRequestedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 13
  virtual HRESULT STDMETHODCALLTYPE remove_MoveFocusRequested(
      EventRegistrationToken token) = 0;  // 14
  virtual HRESULT STDMETHODCALLTYPE add_GotFocus(
      ICoreWebView2FocusChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 15
  virtual HRESULT STDMETHODCALLTYPE remove_GotFocus(EventRegistrationToken token) = 0;  // 16
  virtual HRESULT STDMETHODCALLTYPE add_LostFocus(
      ICoreWebView2FocusChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 17
  virtual HRESULT STDMETHODCALLTYPE remove_LostFocus(EventRegistrationToken token) = 0;  // 18
  virtual HRESULT STDMETHODCALLTYPE add_AcceleratorKeyPressed(
      ICoreWebView2AcceleratorKeyPressedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 19
  virtual HRESULT STDMETHODCALLTYPE remove_AcceleratorKeyPressed(
      EventRegistrationToken token) = 0;  // 20
  virtual HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* parentWindow) = 0;  // 21
  virtual HRESULT STDMETHODCALLTYPE put_ParentWindow(HWND parentWindow) = 0;  // 22
  virtual HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() = 0;  // 23
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;  // 24
  virtual HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** coreWebView2) = 0;  // 25
 protected: ~ICoreWebView2Controller() = default;
};

// clang-format on
MIRVOT_INTERFACES_END
