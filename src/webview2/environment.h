#pragma once
// The environment, which creates the controllers that host a view, and the controller, which
// places the view in its parent window.
#include "webview2/declarations.h"
#include "webview2/interface_macro.h"

MIRVOT_INTERFACES_BEGIN
// clang-format off

// The environment: creates the controllers that host a view.

MIRVOT_INTERFACE(ICoreWebView2Environment, IUnknown, "B96D755E-0319-4E92-A296-23436F46A1FC") {
  MIRVOT_METHOD(CreateCoreWebView2Controller)(HWND parentWindow,
      ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) = 0;  // 3
  MIRVOT_METHOD(CreateWebResourceResponse)(IStream* content, int statusCode, LPCWSTR reasonPhrase,
      LPCWSTR headers, ICoreWebView2WebResourceResponse** response) = 0;  // 4
  MIRVOT_METHOD(get_BrowserVersionString)(LPWSTR* versionInfo) = 0;  // 5
  MIRVOT_METHOD(add_NewBrowserVersionAvailable)(
      ICoreWebView2NewBrowserVersionAvailableEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 6
  MIRVOT_METHOD(remove_NewBrowserVersionAvailable)(EventRegistrationToken token) = 0;  // 7
 protected: ~ICoreWebView2Environment() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment2, ICoreWebView2Environment,
                 "41F3632B-5EF4-404F-AD82-2D606C5A9A21") {
  MIRVOT_METHOD(CreateWebResourceRequest)(LPCWSTR uri, LPCWSTR method, IStream* postData,
      LPCWSTR headers, ICoreWebView2WebResourceRequest** request) = 0;  // 8
 protected: ~ICoreWebView2Environment2() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment3, ICoreWebView2Environment2,
                 "80A22AE3-BE7C-4CE2-AFE1-5A50056CDEEB") {
  MIRVOT_METHOD(CreateCoreWebView2CompositionController)(HWND parentWindow,
      ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler* handler) = 0;  // 9
  MIRVOT_METHOD(CreateCoreWebView2PointerInfo)(ICoreWebView2PointerInfo** pointerInfo) = 0;  // 10
 protected: ~ICoreWebView2Environment3() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment4, ICoreWebView2Environment3,
                 "20944379-6DCF-41D6-A0A0-ABC0FC50DE0D") {
  MIRVOT_METHOD(GetAutomationProviderForWindow)(HWND hwnd, IUnknown** provider) = 0;  // 11
 protected: ~ICoreWebView2Environment4() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment5, ICoreWebView2Environment4,
                 "319E423D-E0D7-4B8D-9254-AE9475DE9B17") {
  MIRVOT_METHOD(add_BrowserProcessExited)(
      ICoreWebView2BrowserProcessExitedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 12
  MIRVOT_METHOD(remove_BrowserProcessExited)(EventRegistrationToken token) = 0;  // 13
 protected: ~ICoreWebView2Environment5() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment6, ICoreWebView2Environment5,
                 "E59EE362-ACBD-4857-9A8E-D3644D9459A9") {
  MIRVOT_METHOD(CreatePrintSettings)(ICoreWebView2PrintSettings** printSettings) = 0;  // 14
 protected: ~ICoreWebView2Environment6() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment7, ICoreWebView2Environment6,
                 "43C22296-3BBD-43A4-9C00-5C0DF6DD29A2") {
  MIRVOT_METHOD(get_UserDataFolder)(LPWSTR* value) = 0;  // 15
 protected: ~ICoreWebView2Environment7() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment8, ICoreWebView2Environment7,
                 "D6EB91DD-C3D2-45E5-BD29-6DC2BC4DE9CF") {
  MIRVOT_METHOD(add_ProcessInfosChanged)(ICoreWebView2ProcessInfosChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 16
  MIRVOT_METHOD(remove_ProcessInfosChanged)(EventRegistrationToken token) = 0;  // 17
  MIRVOT_METHOD(GetProcessInfos)(ICoreWebView2ProcessInfoCollection** value) = 0;  // 18
 protected: ~ICoreWebView2Environment8() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment9, ICoreWebView2Environment8,
                 "F06F41BF-4B5A-49D8-B9F6-FA16CD29F274") {
  MIRVOT_METHOD(CreateContextMenuItem)(LPCWSTR label, IStream* iconStream,
      COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND kind, ICoreWebView2ContextMenuItem** item) = 0;  // 19
 protected: ~ICoreWebView2Environment9() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment10, ICoreWebView2Environment9,
                 "EE0EB9DF-6F12-46CE-B53F-3F47B9C928E0") {
  MIRVOT_METHOD(CreateCoreWebView2ControllerOptions)(
      ICoreWebView2ControllerOptions** options) = 0;  // 20
  MIRVOT_METHOD(CreateCoreWebView2ControllerWithOptions)(HWND parentWindow,
      ICoreWebView2ControllerOptions* options,
      ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) = 0;  // 21
  MIRVOT_METHOD(CreateCoreWebView2CompositionControllerWithOptions)(HWND parentWindow,
      ICoreWebView2ControllerOptions* options,
      ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler* handler) = 0;  // 22
 protected: ~ICoreWebView2Environment10() = default;
};

// Options for a controller created through ICoreWebView2Environment10.

MIRVOT_INTERFACE(ICoreWebView2ControllerOptions, IUnknown, "12AAE616-8CCB-44EC-BCB3-EB1831881635") {
  MIRVOT_METHOD(get_ProfileName)(LPWSTR* value) = 0;  // 3
  MIRVOT_METHOD(put_ProfileName)(LPCWSTR value) = 0;  // 4
  MIRVOT_METHOD(get_IsInPrivateModeEnabled)(BOOL* value) = 0;  // 5
  MIRVOT_METHOD(put_IsInPrivateModeEnabled)(BOOL value) = 0;  // 6
 protected: ~ICoreWebView2ControllerOptions() = default;
};

// The controller: places the view in its parent window, shows it, moves focus, closes it.

MIRVOT_INTERFACE(ICoreWebView2Controller, IUnknown, "4D00C0D1-9434-4EB6-8078-8697A560334F") {
  MIRVOT_METHOD(get_IsVisible)(BOOL* isVisible) = 0;  // 3
  MIRVOT_METHOD(put_IsVisible)(BOOL isVisible) = 0;  // 4
  MIRVOT_METHOD(get_Bounds)(RECT* bounds) = 0;  // 5
  MIRVOT_METHOD(put_Bounds)(RECT bounds) = 0;  // 6
  MIRVOT_METHOD(get_ZoomFactor)(double* zoomFactor) = 0;  // 7
  MIRVOT_METHOD(put_ZoomFactor)(double zoomFactor) = 0;  // 8
  MIRVOT_METHOD(add_ZoomFactorChanged)(ICoreWebView2ZoomFactorChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 9
  MIRVOT_METHOD(remove_ZoomFactorChanged)(EventRegistrationToken token) = 0;  // 10
  MIRVOT_METHOD(SetBoundsAndZoomFactor)(RECT bounds, double zoomFactor) = 0;  // 11
  MIRVOT_METHOD(MoveFocus)(COREWEBVIEW2_MOVE_FOCUS_REASON reason) = 0;  // 12
  MIRVOT_METHOD(add_MoveFocusRequested)(ICoreWebView2MoveFocusRequestedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 13
  MIRVOT_METHOD(remove_MoveFocusRequested)(EventRegistrationToken token) = 0;  // 14
  MIRVOT_METHOD(add_GotFocus)(ICoreWebView2FocusChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 15
  MIRVOT_METHOD(remove_GotFocus)(EventRegistrationToken token) = 0;  // 16
  MIRVOT_METHOD(add_LostFocus)(ICoreWebView2FocusChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 17
  MIRVOT_METHOD(remove_LostFocus)(EventRegistrationToken token) = 0;  // 18
  MIRVOT_METHOD(add_AcceleratorKeyPressed)(
      ICoreWebView2AcceleratorKeyPressedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 19
  MIRVOT_METHOD(remove_AcceleratorKeyPressed)(EventRegistrationToken token) = 0;  // 20
  MIRVOT_METHOD(get_ParentWindow)(HWND* parentWindow) = 0;  // 21
  MIRVOT_METHOD(put_ParentWindow)(HWND parentWindow) = 0;  // 22
  MIRVOT_METHOD(NotifyParentWindowPositionChanged)() = 0;  // 23
  MIRVOT_METHOD(Close)() = 0;  // 24
  MIRVOT_METHOD(get_CoreWebView2)(ICoreWebView2** coreWebView2) = 0;  // 25
 protected: ~ICoreWebView2Controller() = default;
};

// clang-format on
MIRVOT_INTERFACES_END
