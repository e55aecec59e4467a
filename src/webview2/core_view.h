#pragma once
// The view itself (navigation, events) and its settings.
#include "webview2/declarations.h"
#include "webview2/interface_macro.h"

MIRVOT_INTERFACES_BEGIN
// clang-format off

// The view itself: navigation, events, settings.

MIRVOT_INTERFACE(ICoreWebView2, IUnknown, "76ECEACB-0462-4D94-AC83-423A6793775E") {
  MIRVOT_METHOD(get_Settings)(ICoreWebView2Settings** settings) = 0;  // 3
  MIRVOT_METHOD(get_Source)(LPWSTR* uri) = 0;  // 4
  MIRVOT_METHOD(Navigate)(LPCWSTR uri) = 0;  // 5
  MIRVOT_METHOD(NavigateToString)(LPCWSTR htmlContent) = 0;  // 6
  MIRVOT_METHOD(add_NavigationStarting)(ICoreWebView2NavigationStartingEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 7
  MIRVOT_METHOD(remove_NavigationStarting)(EventRegistrationToken token) = 0;  // 8
  MIRVOT_METHOD(add_ContentLoading)(ICoreWebView2ContentLoadingEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 9
  MIRVOT_METHOD(remove_ContentLoading)(EventRegistrationToken token) = 0;  // 10
  MIRVOT_METHOD(add_SourceChanged)(ICoreWebView2SourceChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 11
  MIRVOT_METHOD(remove_SourceChanged)(EventRegistrationToken token) = 0;  // 12
  MIRVOT_METHOD(add_HistoryChanged)(ICoreWebView2HistoryChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 13
  MIRVOT_METHOD(remove_HistoryChanged)(EventRegistrationToken token) = 0;  // 14
  MIRVOT_METHOD(add_NavigationCompleted)(ICoreWebView2NavigationCompletedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 15
  MIRVOT_METHOD(remove_NavigationCompleted)(EventRegistrationToken token) = 0;  // 16
  MIRVOT_METHOD(add_FrameNavigationStarting)(
      ICoreWebView2NavigationStartingEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 17
  MIRVOT_METHOD(remove_FrameNavigationStarting)(EventRegistrationToken token) = 0;  // 18
  MIRVOT_METHOD(add_FrameNavigationCompleted)(
      ICoreWebView2NavigationCompletedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 19
  MIRVOT_METHOD(remove_FrameNavigationCompleted)(EventRegistrationToken token) = 0;  // 20
  MIRVOT_METHOD(add_ScriptDialogOpening)(ICoreWebView2ScriptDialogOpeningEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 21
  MIRVOT_METHOD(remove_ScriptDialogOpening)(EventRegistrationToken token) = 0;  // 22
  MIRVOT_METHOD(add_PermissionRequested)(ICoreWebView2PermissionRequestedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 23
  MIRVOT_METHOD(remove_PermissionRequested)(EventRegistrationToken token) = 0;  // 24
  MIRVOT_METHOD(add_ProcessFailed)(ICoreWebView2ProcessFailedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 25
  MIRVOT_METHOD(remove_ProcessFailed)(EventRegistrationToken token) = 0;  // 26
  MIRVOT_METHOD(AddScriptToExecuteOnDocumentCreated)(LPCWSTR javaScript,
      ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) = 0;  // 27
  MIRVOT_METHOD(RemoveScriptToExecuteOnDocumentCreated)(LPCWSTR id) = 0;  // 28
  MIRVOT_METHOD(ExecuteScript)(LPCWSTR javaScript,
      ICoreWebView2ExecuteScriptCompletedHandler* handler) = 0;  // 29
  MIRVOT_METHOD(CapturePreview)(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT imageFormat,
      IStream* imageStream, ICoreWebView2CapturePreviewCompletedHandler* handler) = 0;  // 30
  MIRVOT_METHOD(Reload)() = 0;  // 31
  MIRVOT_METHOD(PostWebMessageAsJson)(LPCWSTR webMessageAsJson) = 0;  // 32
  MIRVOT_METHOD(PostWebMessageAsString)(LPCWSTR webMessageAsString) = 0;  // 33
  MIRVOT_METHOD(add_WebMessageReceived)(ICoreWebView2WebMessageReceivedEventHandler* handler,
      EventRegistrationToken* token) = 0;  // 34
  MIRVOT_METHOD(remove_WebMessageReceived)(EventRegistrationToken token) = 0;  // 35
  MIRVOT_METHOD(CallDevToolsProtocolMethod)(LPCWSTR methodName, LPCWSTR parametersAsJson,
      ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) = 0;  // 36
  MIRVOT_METHOD(get_BrowserProcessId)(UINT32* value) = 0;  // 37
  MIRVOT_METHOD(get_CanGoBack)(BOOL* canGoBack) = 0;  // 38
  MIRVOT_METHOD(get_CanGoForward)(BOOL* canGoForward) = 0;  // 39
  MIRVOT_METHOD(GoBack)() = 0;  // 40
  MIRVOT_METHOD(GoForward)() = 0;  // 41
  MIRVOT_METHOD(GetDevToolsProtocolEventReceiver)(LPCWSTR eventName,
      ICoreWebView2DevToolsProtocolEventReceiver** receiver) = 0;  // 42
  MIRVOT_METHOD(Stop)() = 0;  // 43
  MIRVOT_METHOD(add_NewWindowRequested)(ICoreWebView2NewWindowRequestedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 44
  MIRVOT_METHOD(remove_NewWindowRequested)(EventRegistrationToken token) = 0;  // 45
  MIRVOT_METHOD(add_DocumentTitleChanged)(
      ICoreWebView2DocumentTitleChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 46
  MIRVOT_METHOD(remove_DocumentTitleChanged)(EventRegistrationToken token) = 0;  // 47
  MIRVOT_METHOD(get_DocumentTitle)(LPWSTR* title) = 0;  // 48
  MIRVOT_METHOD(AddHostObjectToScript)(LPCWSTR name, VARIANT* object) = 0;  // 49
  MIRVOT_METHOD(RemoveHostObjectFromScript)(LPCWSTR name) = 0;  // 50
  MIRVOT_METHOD(OpenDevToolsWindow)() = 0;  // 51
  MIRVOT_METHOD(add_ContainsFullScreenElementChanged)(
      ICoreWebView2ContainsFullScreenElementChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 52
  MIRVOT_METHOD(remove_ContainsFullScreenElementChanged)(EventRegistrationToken token) = 0;  // 53
  MIRVOT_METHOD(get_ContainsFullScreenElement)(BOOL* containsFullScreenElement) = 0;  // 54
  MIRVOT_METHOD(add_WebResourceRequested)(
      ICoreWebView2WebResourceRequestedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 55
  MIRVOT_METHOD(remove_WebResourceRequested)(EventRegistrationToken token) = 0;  // 56
  MIRVOT_METHOD(AddWebResourceRequestedFilter)(LPCWSTR uri,
      COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext) = 0;  // 57
  MIRVOT_METHOD(RemoveWebResourceRequestedFilter)(LPCWSTR uri,
      COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext) = 0;  // 58
  MIRVOT_METHOD(add_WindowCloseRequested)(
      ICoreWebView2WindowCloseRequestedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 59
  MIRVOT_METHOD(remove_WindowCloseRequested)(EventRegistrationToken token) = 0;  // 60
 protected: ~ICoreWebView2() = default;
};

MIRVOT_INTERFACE(ICoreWebView2_2, ICoreWebView2, "9E8F0CF8-E670-4B5E-B2BC-73E061E3184C") {
  MIRVOT_METHOD(add_WebResourceResponseReceived)(
      ICoreWebView2WebResourceResponseReceivedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 61
  MIRVOT_METHOD(remove_WebResourceResponseReceived)(EventRegistrationToken token) = 0;  // 62
  MIRVOT_METHOD(NavigateWithWebResourceRequest)(
      ICoreWebView2WebResourceRequest* request) = 0;  // 63
  MIRVOT_METHOD(add_DOMContentLoaded)(ICoreWebView2DOMContentLoadedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 64
  MIRVOT_METHOD(remove_DOMContentLoaded)(EventRegistrationToken token) = 0;  // 65
  MIRVOT_METHOD(get_CookieManager)(ICoreWebView2CookieManager** cookieManager) = 0;  // 66
  MIRVOT_METHOD(get_Environment)(ICoreWebView2Environment** environment) = 0;  // 67
 protected: ~ICoreWebView2_2() = default;
};

MIRVOT_INTERFACE(ICoreWebView2_3, ICoreWebView2_2, "A0D6DF20-3B92-416D-AA0C-437A9C727857") {
  MIRVOT_METHOD(TrySuspend)(ICoreWebView2TrySuspendCompletedHandler* handler) = 0;  // 68
  MIRVOT_METHOD(Resume)() = 0;  // 69
  MIRVOT_METHOD(get_IsSuspended)(BOOL* isSuspended) = 0;  // 70
  MIRVOT_METHOD(SetVirtualHostNameToFolderMapping)(LPCWSTR hostName, LPCWSTR folderPath,
      COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND accessKind) = 0;  // 71
  MIRVOT_METHOD(ClearVirtualHostNameToFolderMapping)(LPCWSTR hostName) = 0;  // 72
 protected: ~ICoreWebView2_3() = default;
};

MIRVOT_INTERFACE(ICoreWebView2_4, ICoreWebView2_3, "20D02D59-6DF2-42DC-BD06-F98A694B1302") {
  MIRVOT_METHOD(add_FrameCreated)(ICoreWebView2FrameCreatedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 73
  MIRVOT_METHOD(remove_FrameCreated)(EventRegistrationToken token) = 0;  // 74
  MIRVOT_METHOD(add_DownloadStarting)(ICoreWebView2DownloadStartingEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 75
  MIRVOT_METHOD(remove_DownloadStarting)(EventRegistrationToken token) = 0;  // 76
 protected: ~ICoreWebView2_4() = default;
};

// Per-view settings.

MIRVOT_INTERFACE(ICoreWebView2Settings, IUnknown, "E562E4F0-D7FA-43AC-8D71-C05150499F00") {
  MIRVOT_METHOD(get_IsScriptEnabled)(BOOL* isScriptEnabled) = 0;  // 3
  MIRVOT_METHOD(put_IsScriptEnabled)(BOOL isScriptEnabled) = 0;  // 4
  MIRVOT_METHOD(get_IsWebMessageEnabled)(BOOL* isWebMessageEnabled) = 0;  // 5
  MIRVOT_METHOD(put_IsWebMessageEnabled)(BOOL isWebMessageEnabled) = 0;  // 6
  MIRVOT_METHOD(get_AreDefaultScriptDialogsEnabled)(BOOL* areDefaultScriptDialogsEnabled) = 0;  // 7
  MIRVOT_METHOD(put_AreDefaultScriptDialogsEnabled)(BOOL areDefaultScriptDialogsEnabled) = 0;  // 8
  MIRVOT_METHOD(get_IsStatusBarEnabled)(BOOL* isStatusBarEnabled) = 0;  // 9
  MIRVOT_METHOD(put_IsStatusBarEnabled)(BOOL isStatusBarEnabled) = 0;  // 10
  MIRVOT_METHOD(get_AreDevToolsEnabled)(BOOL* areDevToolsEnabled) = 0;  // 11
  MIRVOT_METHOD(put_AreDevToolsEnabled)(BOOL areDevToolsEnabled) = 0;  // 12
  MIRVOT_METHOD(get_AreDefaultContextMenusEnabled)(BOOL* enabled) = 0;  // 13
  MIRVOT_METHOD(put_AreDefaultContextMenusEnabled)(BOOL enabled) = 0;  // 14
  MIRVOT_METHOD(get_AreHostObjectsAllowed)(BOOL* allowed) = 0;  // 15
  MIRVOT_METHOD(put_AreHostObjectsAllowed)(BOOL allowed) = 0;  // 16
  MIRVOT_METHOD(get_IsZoomControlEnabled)(BOOL* enabled) = 0;  // 17
  MIRVOT_METHOD(put_IsZoomControlEnabled)(BOOL enabled) = 0;  // 18
  MIRVOT_METHOD(get_IsBuiltInErrorPageEnabled)(BOOL* enabled) = 0;  // 19
  MIRVOT_METHOD(put_IsBuiltInErrorPageEnabled)(BOOL enabled) = 0;  // 20
 protected: ~ICoreWebView2Settings() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings2, ICoreWebView2Settings,
                 "EE9A0F68-F46C-4E32-AC23-EF8CAC224D2A") {
  MIRVOT_METHOD(get_UserAgent)(LPWSTR* userAgent) = 0;  // 21
  MIRVOT_METHOD(put_UserAgent)(LPCWSTR userAgent) = 0;  // 22
 protected: ~ICoreWebView2Settings2() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings3, ICoreWebView2Settings2,
                 "FDB5AB74-AF33-4854-84F0-0A631DEB5EBA") {
  MIRVOT_METHOD(get_AreBrowserAcceleratorKeysEnabled)(
      BOOL* areBrowserAcceleratorKeysEnabled) = 0;  // 23
  MIRVOT_METHOD(put_AreBrowserAcceleratorKeysEnabled)(
      BOOL areBrowserAcceleratorKeysEnabled) = 0;  // 24
 protected: ~ICoreWebView2Settings3() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings4, ICoreWebView2Settings3,
                 "CB56846C-4168-4D53-B04F-03B6D6796FF2") {
  MIRVOT_METHOD(get_IsPasswordAutosaveEnabled)(BOOL* value) = 0;  // 25
  MIRVOT_METHOD(put_IsPasswordAutosaveEnabled)(BOOL value) = 0;  // 26
  MIRVOT_METHOD(get_IsGeneralAutofillEnabled)(BOOL* value) = 0;  // 27
  MIRVOT_METHOD(put_IsGeneralAutofillEnabled)(BOOL value) = 0;  // 28
 protected: ~ICoreWebView2Settings4() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings5, ICoreWebView2Settings4,
                 "183E7052-1D03-43A0-AB99-98E043B66B39") {
  MIRVOT_METHOD(get_IsPinchZoomEnabled)(BOOL* enabled) = 0;  // 29
  MIRVOT_METHOD(put_IsPinchZoomEnabled)(BOOL enabled) = 0;  // 30
 protected: ~ICoreWebView2Settings5() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings6, ICoreWebView2Settings5,
                 "11CB3ACD-9BC8-43B8-83BF-F40753714F87") {
  MIRVOT_METHOD(get_IsSwipeNavigationEnabled)(BOOL* enabled) = 0;  // 31
  MIRVOT_METHOD(put_IsSwipeNavigationEnabled)(BOOL enabled) = 0;  // 32
 protected: ~ICoreWebView2Settings6() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings7, ICoreWebView2Settings6,
                 "488DC902-35EF-42D2-BC7D-94B65C4BC49C") {
  MIRVOT_METHOD(get_HiddenPdfToolbarItems)(COREWEBVIEW2_PDF_TOOLBAR_ITEMS* value) = 0;  // 33
  MIRVOT_METHOD(put_HiddenPdfToolbarItems)(COREWEBVIEW2_PDF_TOOLBAR_ITEMS value) = 0;  // 34
 protected: ~ICoreWebView2Settings7() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings8, ICoreWebView2Settings7,
                 "9E6B0E8F-86AD-4E81-8147-A9B5EDB68650") {
  MIRVOT_METHOD(get_IsReputationCheckingRequired)(BOOL* value) = 0;  // 35
  MIRVOT_METHOD(put_IsReputationCheckingRequired)(BOOL value) = 0;  // 36
 protected: ~ICoreWebView2Settings8() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings9, ICoreWebView2Settings8,
                 "0528A73B-E92D-49F4-927A-E547DDDAA37D") {
  MIRVOT_METHOD(get_IsNonClientRegionSupportEnabled)(BOOL* enabled) = 0;  // 37
  MIRVOT_METHOD(put_IsNonClientRegionSupportEnabled)(BOOL enabled) = 0;  // 38
 protected: ~ICoreWebView2Settings9() = default;
};

// clang-format on
MIRVOT_INTERFACES_END
