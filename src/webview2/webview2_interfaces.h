#pragma once
// Our own declarations of the published WebView2 engine COM interfaces that this program calls or
// implements. The engine is a separately built binary that reaches these objects only through
// their vtables, so what matters is the slot order: every interface derives from its direct parent
// alone and lists its methods in exactly the engine's vtable order, including the methods this
// program never calls. Adding, removing or reordering a method moves every later slot; the slot
// test in tests/webview2 pins each one down. The number after each method is its slot.
//
// Everything is declared at global namespace under the published names, as the platform headers
// declare their interfaces. Interfaces that appear only as parameter types are declared
// incomplete: their pointers are passed through and never dereferenced.
#include <windows.h>
#include <eventtoken.h>
#include <oaidl.h>
#include <objidl.h>
#include <unknwn.h>

namespace mirvot::webview2::detail {

// Deliberately not constexpr: the IDs are parsed while compiling, so a malformed ID text that
// reaches this function stops the build instead of producing a wrong ID.
inline void InterfaceIdTextIsMalformed() noexcept {}

constexpr unsigned HexDigitValue(char digit) noexcept {
  if (digit >= '0' && digit <= '9') {
    return static_cast<unsigned>(digit - '0');
  }
  if (digit >= 'A' && digit <= 'F') {
    return static_cast<unsigned>(digit - 'A' + 10);
  }
  if (digit >= 'a' && digit <= 'f') {
    return static_cast<unsigned>(digit - 'a' + 10);
  }
  InterfaceIdTextIsMalformed();
  return 0;
}

constexpr unsigned long HexField(const char (&text)[37], int first, int digits) noexcept {
  unsigned long value = 0;
  for (int i = 0; i < digits; ++i) {
    value = (value << 4) | HexDigitValue(text[first + i]);
  }
  return value;
}

// Parses "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (no braces). The MSVC build hands the same text
// to __declspec(uuid), so both compilers take an interface's ID from one string.
constexpr GUID ParseInterfaceId(const char (&text)[37]) noexcept {
  if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') {
    InterfaceIdTextIsMalformed();
  }
  GUID id{};
  id.Data1 = HexField(text, 0, 8);
  id.Data2 = static_cast<unsigned short>(HexField(text, 9, 4));
  id.Data3 = static_cast<unsigned short>(HexField(text, 14, 4));
  id.Data4[0] = static_cast<unsigned char>(HexField(text, 19, 2));
  id.Data4[1] = static_cast<unsigned char>(HexField(text, 21, 2));
  for (int i = 0; i < 6; ++i) {
    id.Data4[2 + i] = static_cast<unsigned char>(HexField(text, 24 + 2 * i, 2));
  }
  return id;
}

}  // namespace mirvot::webview2::detail

// MIRVOT_INTERFACE(Name, Parent, "IID") opens the definition of an interface that derives from
// Parent and answers __uuidof(Name) with IID (written without braces); the class body follows.
//   MSVC:      __declspec(uuid) on the class; novtable because only implementations ever need
//              a vtable of their own.
//   MinGW-w64: __CRT_UUID_DECL, the toolchain's __uuidof emulation, which must name the class
//              before its definition and sit at global namespace.
#if defined(_MSC_VER)
#define MIRVOT_INTERFACE(name, parent, iid) \
  struct __declspec(uuid(iid)) __declspec(novtable) name : public parent
#elif defined(__MINGW32__)
#define MIRVOT_INTERFACE(name, parent, iid)                                      \
  struct name;                                                                   \
  __CRT_UUID_DECL(name, ::mirvot::webview2::detail::ParseInterfaceId(iid).Data1, \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data2,       \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data3,       \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[0],    \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[1],    \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[2],    \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[3],    \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[4],    \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[5],    \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[6],    \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[7])    \
  struct name : public parent
#else
#error "No way to attach interface IDs with this compiler (MSVC or MinGW-w64 expected)"
#endif

// -------------------------------------------------------------------------------------------------
// Enumerations. The engine passes every enumeration as a 32-bit integer, so each has a fixed
// 32-bit underlying type; values are listed where this program uses them.

enum COREWEBVIEW2_MOVE_FOCUS_REASON : INT32 {
  COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC = 0,
  COREWEBVIEW2_MOVE_FOCUS_REASON_NEXT = 1,
  COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS = 2,
};

enum COREWEBVIEW2_CHANNEL_SEARCH_KIND : INT32 {
  COREWEBVIEW2_CHANNEL_SEARCH_KIND_MOST_STABLE = 0,
  COREWEBVIEW2_CHANNEL_SEARCH_KIND_LEAST_STABLE = 1,
};

// Bit flags: bit n stands for release channel n.
enum COREWEBVIEW2_RELEASE_CHANNELS : INT32 {
  COREWEBVIEW2_RELEASE_CHANNELS_NONE = 0x0,
  COREWEBVIEW2_RELEASE_CHANNELS_STABLE = 0x1,
  COREWEBVIEW2_RELEASE_CHANNELS_BETA = 0x2,
  COREWEBVIEW2_RELEASE_CHANNELS_DEV = 0x4,
  COREWEBVIEW2_RELEASE_CHANNELS_CANARY = 0x8,
};
DEFINE_ENUM_FLAG_OPERATORS(COREWEBVIEW2_RELEASE_CHANNELS)

enum COREWEBVIEW2_SCROLLBAR_STYLE : INT32 {
  COREWEBVIEW2_SCROLLBAR_STYLE_DEFAULT = 0,
  COREWEBVIEW2_SCROLLBAR_STYLE_FLUENT_OVERLAY = 1,
};

// Enumerations that only appear in signatures this program never calls; their values are not
// needed, only their 32-bit width.
enum COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT : INT32 {};
enum COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND : INT32 {};
enum COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON : INT32 {};
enum COREWEBVIEW2_DOWNLOAD_STATE : INT32 {};
enum COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND : INT32 {};
enum COREWEBVIEW2_PDF_TOOLBAR_ITEMS : INT32 {};
enum COREWEBVIEW2_WEB_RESOURCE_CONTEXT : INT32 {};

// -------------------------------------------------------------------------------------------------
// Interfaces that appear only as parameter types.

struct ICoreWebView2AcceleratorKeyPressedEventHandler;
struct ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler;
struct ICoreWebView2BrowserProcessExitedEventHandler;
struct ICoreWebView2BytesReceivedChangedEventHandler;
struct ICoreWebView2CallDevToolsProtocolMethodCompletedHandler;
struct ICoreWebView2CapturePreviewCompletedHandler;
struct ICoreWebView2ContainsFullScreenElementChangedEventHandler;
struct ICoreWebView2ContentLoadingEventHandler;
struct ICoreWebView2ContextMenuItem;
struct ICoreWebView2CookieManager;
struct ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler;
struct ICoreWebView2DOMContentLoadedEventHandler;
struct ICoreWebView2Deferral;
struct ICoreWebView2DevToolsProtocolEventReceiver;
struct ICoreWebView2DocumentTitleChangedEventHandler;
struct ICoreWebView2EstimatedEndTimeChangedEventHandler;
struct ICoreWebView2ExecuteScriptCompletedHandler;
struct ICoreWebView2FocusChangedEventHandler;
struct ICoreWebView2FrameCreatedEventHandler;
struct ICoreWebView2HistoryChangedEventHandler;
struct ICoreWebView2MoveFocusRequestedEventHandler;
struct ICoreWebView2NavigationCompletedEventHandler;
struct ICoreWebView2NavigationStartingEventHandler;
struct ICoreWebView2NewBrowserVersionAvailableEventHandler;
struct ICoreWebView2PermissionRequestedEventHandler;
struct ICoreWebView2PointerInfo;
struct ICoreWebView2PrintSettings;
struct ICoreWebView2ProcessFailedEventHandler;
struct ICoreWebView2ProcessInfoCollection;
struct ICoreWebView2ProcessInfosChangedEventHandler;
struct ICoreWebView2ScriptDialogOpeningEventHandler;
struct ICoreWebView2SourceChangedEventHandler;
struct ICoreWebView2StateChangedEventHandler;
struct ICoreWebView2TrySuspendCompletedHandler;
struct ICoreWebView2WebMessageReceivedEventHandler;
struct ICoreWebView2WebResourceRequest;
struct ICoreWebView2WebResourceRequestedEventHandler;
struct ICoreWebView2WebResourceResponse;
struct ICoreWebView2WebResourceResponseReceivedEventHandler;
struct ICoreWebView2WindowFeatures;
struct ICoreWebView2ZoomFactorChangedEventHandler;

// The interfaces declared below refer to each other in their signatures.
struct ICoreWebView2Environment;
struct ICoreWebView2Environment2;
struct ICoreWebView2Environment3;
struct ICoreWebView2Environment4;
struct ICoreWebView2Environment5;
struct ICoreWebView2Environment6;
struct ICoreWebView2Environment7;
struct ICoreWebView2Environment8;
struct ICoreWebView2Environment9;
struct ICoreWebView2Environment10;
struct ICoreWebView2ControllerOptions;
struct ICoreWebView2Controller;
struct ICoreWebView2;
struct ICoreWebView2_2;
struct ICoreWebView2_3;
struct ICoreWebView2_4;
struct ICoreWebView2Settings;
struct ICoreWebView2Settings2;
struct ICoreWebView2Settings3;
struct ICoreWebView2Settings4;
struct ICoreWebView2Settings5;
struct ICoreWebView2Settings6;
struct ICoreWebView2Settings7;
struct ICoreWebView2Settings8;
struct ICoreWebView2Settings9;
struct ICoreWebView2EnvironmentOptions;
struct ICoreWebView2EnvironmentOptions2;
struct ICoreWebView2EnvironmentOptions3;
struct ICoreWebView2EnvironmentOptions4;
struct ICoreWebView2EnvironmentOptions5;
struct ICoreWebView2EnvironmentOptions6;
struct ICoreWebView2EnvironmentOptions7;
struct ICoreWebView2EnvironmentOptions8;
struct ICoreWebView2CustomSchemeRegistration;
struct ICoreWebView2NewWindowRequestedEventArgs;
struct ICoreWebView2DownloadStartingEventArgs;
struct ICoreWebView2DownloadOperation;
struct ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler;
struct ICoreWebView2CreateCoreWebView2ControllerCompletedHandler;
struct ICoreWebView2WindowCloseRequestedEventHandler;
struct ICoreWebView2NewWindowRequestedEventHandler;
struct ICoreWebView2DownloadStartingEventHandler;

// Every interface below has a protected, non-virtual destructor: objects are released through
// Release and never deleted through an interface pointer, and a virtual destructor would take a
// vtable slot. GCC still points out that IUnknown's own destructor is public; that is the
// platform's declaration and cannot change, so that one warning is silenced for these definitions.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

// The interface definitions are laid out by hand, one method a line with its slot: clang-format
// cannot tell that MIRVOT_INTERFACE(...) opens a struct, and would take the methods apart.
// clang-format off

// -------------------------------------------------------------------------------------------------
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

 protected:
  ~ICoreWebView2Environment() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment2, ICoreWebView2Environment,
                 "41F3632B-5EF4-404F-AD82-2D606C5A9A21") {
  virtual HRESULT STDMETHODCALLTYPE CreateWebResourceRequest(
      LPCWSTR uri, LPCWSTR method, IStream* postData, LPCWSTR headers,
      ICoreWebView2WebResourceRequest** request) = 0;  // 8

 protected:
  ~ICoreWebView2Environment2() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment3, ICoreWebView2Environment2,
                 "80A22AE3-BE7C-4CE2-AFE1-5A50056CDEEB") {
  virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2CompositionController(
      HWND parentWindow,
      ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler* handler) = 0;  // 9
  virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2PointerInfo(
      ICoreWebView2PointerInfo** pointerInfo) = 0;  // 10

 protected:
  ~ICoreWebView2Environment3() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment4, ICoreWebView2Environment3,
                 "20944379-6DCF-41D6-A0A0-ABC0FC50DE0D") {
  virtual HRESULT STDMETHODCALLTYPE GetAutomationProviderForWindow(
      HWND hwnd, IUnknown** provider) = 0;  // 11

 protected:
  ~ICoreWebView2Environment4() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment5, ICoreWebView2Environment4,
                 "319E423D-E0D7-4B8D-9254-AE9475DE9B17") {
  virtual HRESULT STDMETHODCALLTYPE add_BrowserProcessExited(
      ICoreWebView2BrowserProcessExitedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 12
  virtual HRESULT STDMETHODCALLTYPE remove_BrowserProcessExited(
      EventRegistrationToken token) = 0;  // 13

 protected:
  ~ICoreWebView2Environment5() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment6, ICoreWebView2Environment5,
                 "E59EE362-ACBD-4857-9A8E-D3644D9459A9") {
  virtual HRESULT STDMETHODCALLTYPE CreatePrintSettings(
      ICoreWebView2PrintSettings** printSettings) = 0;  // 14

 protected:
  ~ICoreWebView2Environment6() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment7, ICoreWebView2Environment6,
                 "43C22296-3BBD-43A4-9C00-5C0DF6DD29A2") {
  virtual HRESULT STDMETHODCALLTYPE get_UserDataFolder(LPWSTR* value) = 0;  // 15

 protected:
  ~ICoreWebView2Environment7() = default;
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

 protected:
  ~ICoreWebView2Environment8() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Environment9, ICoreWebView2Environment8,
                 "F06F41BF-4B5A-49D8-B9F6-FA16CD29F274") {
  virtual HRESULT STDMETHODCALLTYPE CreateContextMenuItem(
      LPCWSTR label, IStream* iconStream, COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND kind,
      ICoreWebView2ContextMenuItem** item) = 0;  // 19

 protected:
  ~ICoreWebView2Environment9() = default;
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

 protected:
  ~ICoreWebView2Environment10() = default;
};

// -------------------------------------------------------------------------------------------------
// Options for a controller created through ICoreWebView2Environment10.

MIRVOT_INTERFACE(ICoreWebView2ControllerOptions, IUnknown, "12AAE616-8CCB-44EC-BCB3-EB1831881635") {
  virtual HRESULT STDMETHODCALLTYPE get_ProfileName(LPWSTR* value) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_ProfileName(LPCWSTR value) = 0;  // 4
  virtual HRESULT STDMETHODCALLTYPE get_IsInPrivateModeEnabled(BOOL* value) = 0;  // 5
  virtual HRESULT STDMETHODCALLTYPE put_IsInPrivateModeEnabled(BOOL value) = 0;  // 6

 protected:
  ~ICoreWebView2ControllerOptions() = default;
};

// -------------------------------------------------------------------------------------------------
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

 protected:
  ~ICoreWebView2Controller() = default;
};

// -------------------------------------------------------------------------------------------------
// The view itself: navigation, events, settings.

MIRVOT_INTERFACE(ICoreWebView2, IUnknown, "76ECEACB-0462-4D94-AC83-423A6793775E") {
  virtual HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) = 0;  // 4
  virtual HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) = 0;  // 5
  virtual HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR htmlContent) = 0;  // 6
  virtual HRESULT STDMETHODCALLTYPE add_NavigationStarting(
      ICoreWebView2NavigationStartingEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 7
  virtual HRESULT STDMETHODCALLTYPE remove_NavigationStarting(
      EventRegistrationToken token) = 0;  // 8
  virtual HRESULT STDMETHODCALLTYPE add_ContentLoading(
      ICoreWebView2ContentLoadingEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 9
  virtual HRESULT STDMETHODCALLTYPE remove_ContentLoading(EventRegistrationToken token) = 0;  // 10
  virtual HRESULT STDMETHODCALLTYPE add_SourceChanged(
      ICoreWebView2SourceChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 11
  virtual HRESULT STDMETHODCALLTYPE remove_SourceChanged(EventRegistrationToken token) = 0;  // 12
  virtual HRESULT STDMETHODCALLTYPE add_HistoryChanged(
      ICoreWebView2HistoryChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 13
  virtual HRESULT STDMETHODCALLTYPE remove_HistoryChanged(EventRegistrationToken token) = 0;  // 14
  virtual HRESULT STDMETHODCALLTYPE add_NavigationCompleted(
      ICoreWebView2NavigationCompletedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 15
  virtual HRESULT STDMETHODCALLTYPE remove_NavigationCompleted(
      EventRegistrationToken token) = 0;  // 16
  virtual HRESULT STDMETHODCALLTYPE add_FrameNavigationStarting(
      ICoreWebView2NavigationStartingEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 17
  virtual HRESULT STDMETHODCALLTYPE remove_FrameNavigationStarting(
      EventRegistrationToken token) = 0;  // 18
  virtual HRESULT STDMETHODCALLTYPE add_FrameNavigationCompleted(
      ICoreWebView2NavigationCompletedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 19
  virtual HRESULT STDMETHODCALLTYPE remove_FrameNavigationCompleted(
      EventRegistrationToken token) = 0;  // 20
  virtual HRESULT STDMETHODCALLTYPE add_ScriptDialogOpening(
      ICoreWebView2ScriptDialogOpeningEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 21
  virtual HRESULT STDMETHODCALLTYPE remove_ScriptDialogOpening(
      EventRegistrationToken token) = 0;  // 22
  virtual HRESULT STDMETHODCALLTYPE add_PermissionRequested(
      ICoreWebView2PermissionRequestedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 23
  virtual HRESULT STDMETHODCALLTYPE remove_PermissionRequested(
      EventRegistrationToken token) = 0;  // 24
  virtual HRESULT STDMETHODCALLTYPE add_ProcessFailed(
      ICoreWebView2ProcessFailedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 25
  virtual HRESULT STDMETHODCALLTYPE remove_ProcessFailed(EventRegistrationToken token) = 0;  // 26
  virtual HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(
      LPCWSTR javaScript,
      ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) = 0;  // 27
  virtual HRESULT STDMETHODCALLTYPE RemoveScriptToExecuteOnDocumentCreated(LPCWSTR id) = 0;  // 28
  virtual HRESULT STDMETHODCALLTYPE ExecuteScript(
      LPCWSTR javaScript, ICoreWebView2ExecuteScriptCompletedHandler* handler) = 0;  // 29
  virtual HRESULT STDMETHODCALLTYPE CapturePreview(
      COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT imageFormat, IStream* imageStream,
      ICoreWebView2CapturePreviewCompletedHandler* handler) = 0;  // 30
  virtual HRESULT STDMETHODCALLTYPE Reload() = 0;  // 31
  virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR webMessageAsJson) = 0;  // 32
  virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR webMessageAsString) = 0;  // 33
  virtual HRESULT STDMETHODCALLTYPE add_WebMessageReceived(
      ICoreWebView2WebMessageReceivedEventHandler* handler,
      EventRegistrationToken* token) = 0;  // 34
  virtual HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(
      EventRegistrationToken token) = 0;  // 35
  virtual HRESULT STDMETHODCALLTYPE CallDevToolsProtocolMethod(
      LPCWSTR methodName, LPCWSTR parametersAsJson,
      ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) = 0;  // 36
  virtual HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) = 0;  // 37
  virtual HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* canGoBack) = 0;  // 38
  virtual HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL* canGoForward) = 0;  // 39
  virtual HRESULT STDMETHODCALLTYPE GoBack() = 0;  // 40
  virtual HRESULT STDMETHODCALLTYPE GoForward() = 0;  // 41
  virtual HRESULT STDMETHODCALLTYPE GetDevToolsProtocolEventReceiver(
      LPCWSTR eventName, ICoreWebView2DevToolsProtocolEventReceiver** receiver) = 0;  // 42
  virtual HRESULT STDMETHODCALLTYPE Stop() = 0;  // 43
  virtual HRESULT STDMETHODCALLTYPE add_NewWindowRequested(
      ICoreWebView2NewWindowRequestedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 44
  virtual HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(
      EventRegistrationToken token) = 0;  // 45
  virtual HRESULT STDMETHODCALLTYPE add_DocumentTitleChanged(
      ICoreWebView2DocumentTitleChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 46
  virtual HRESULT STDMETHODCALLTYPE remove_DocumentTitleChanged(
      EventRegistrationToken token) = 0;  // 47
  virtual HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR* title) = 0;  // 48
  virtual HRESULT STDMETHODCALLTYPE AddHostObjectToScript(LPCWSTR name, VARIANT* object) = 0;  // 49
  virtual HRESULT STDMETHODCALLTYPE RemoveHostObjectFromScript(LPCWSTR name) = 0;  // 50
  virtual HRESULT STDMETHODCALLTYPE OpenDevToolsWindow() = 0;  // 51
  virtual HRESULT STDMETHODCALLTYPE add_ContainsFullScreenElementChanged(
      ICoreWebView2ContainsFullScreenElementChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 52
  virtual HRESULT STDMETHODCALLTYPE remove_ContainsFullScreenElementChanged(
      EventRegistrationToken token) = 0;  // 53
  virtual HRESULT STDMETHODCALLTYPE get_ContainsFullScreenElement(
      BOOL* containsFullScreenElement) = 0;  // 54
  virtual HRESULT STDMETHODCALLTYPE add_WebResourceRequested(
      ICoreWebView2WebResourceRequestedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 55
  virtual HRESULT STDMETHODCALLTYPE remove_WebResourceRequested(
      EventRegistrationToken token) = 0;  // 56
  virtual HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(
      LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext) = 0;  // 57
  virtual HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilter(
      LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext) = 0;  // 58
  virtual HRESULT STDMETHODCALLTYPE add_WindowCloseRequested(
      ICoreWebView2WindowCloseRequestedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 59
  virtual HRESULT STDMETHODCALLTYPE remove_WindowCloseRequested(
      EventRegistrationToken token) = 0;  // 60

 protected:
  ~ICoreWebView2() = default;
};

MIRVOT_INTERFACE(ICoreWebView2_2, ICoreWebView2, "9E8F0CF8-E670-4B5E-B2BC-73E061E3184C") {
  virtual HRESULT STDMETHODCALLTYPE add_WebResourceResponseReceived(
      ICoreWebView2WebResourceResponseReceivedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 61
  virtual HRESULT STDMETHODCALLTYPE remove_WebResourceResponseReceived(
      EventRegistrationToken token) = 0;  // 62
  virtual HRESULT STDMETHODCALLTYPE NavigateWithWebResourceRequest(
      ICoreWebView2WebResourceRequest* request) = 0;  // 63
  virtual HRESULT STDMETHODCALLTYPE add_DOMContentLoaded(
      ICoreWebView2DOMContentLoadedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 64
  virtual HRESULT STDMETHODCALLTYPE remove_DOMContentLoaded(
      EventRegistrationToken token) = 0;  // 65
  virtual HRESULT STDMETHODCALLTYPE get_CookieManager(
      ICoreWebView2CookieManager** cookieManager) = 0;  // 66
  virtual HRESULT STDMETHODCALLTYPE get_Environment(
      ICoreWebView2Environment** environment) = 0;  // 67

 protected:
  ~ICoreWebView2_2() = default;
};

MIRVOT_INTERFACE(ICoreWebView2_3, ICoreWebView2_2, "A0D6DF20-3B92-416D-AA0C-437A9C727857") {
  virtual HRESULT STDMETHODCALLTYPE TrySuspend(
      ICoreWebView2TrySuspendCompletedHandler* handler) = 0;  // 68
  virtual HRESULT STDMETHODCALLTYPE Resume() = 0;  // 69
  virtual HRESULT STDMETHODCALLTYPE get_IsSuspended(BOOL* isSuspended) = 0;  // 70
  virtual HRESULT STDMETHODCALLTYPE SetVirtualHostNameToFolderMapping(
      LPCWSTR hostName, LPCWSTR folderPath,
      COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND accessKind) = 0;  // 71
  virtual HRESULT STDMETHODCALLTYPE ClearVirtualHostNameToFolderMapping(
      LPCWSTR hostName) = 0;  // 72

 protected:
  ~ICoreWebView2_3() = default;
};

MIRVOT_INTERFACE(ICoreWebView2_4, ICoreWebView2_3, "20D02D59-6DF2-42DC-BD06-F98A694B1302") {
  virtual HRESULT STDMETHODCALLTYPE add_FrameCreated(
      ICoreWebView2FrameCreatedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 73
  virtual HRESULT STDMETHODCALLTYPE remove_FrameCreated(EventRegistrationToken token) = 0;  // 74
  virtual HRESULT STDMETHODCALLTYPE add_DownloadStarting(
      ICoreWebView2DownloadStartingEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 75
  virtual HRESULT STDMETHODCALLTYPE remove_DownloadStarting(
      EventRegistrationToken token) = 0;  // 76

 protected:
  ~ICoreWebView2_4() = default;
};

// -------------------------------------------------------------------------------------------------
// Per-view settings.

MIRVOT_INTERFACE(ICoreWebView2Settings, IUnknown, "E562E4F0-D7FA-43AC-8D71-C05150499F00") {
  virtual HRESULT STDMETHODCALLTYPE get_IsScriptEnabled(BOOL* isScriptEnabled) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_IsScriptEnabled(BOOL isScriptEnabled) = 0;  // 4
  virtual HRESULT STDMETHODCALLTYPE get_IsWebMessageEnabled(BOOL* isWebMessageEnabled) = 0;  // 5
  virtual HRESULT STDMETHODCALLTYPE put_IsWebMessageEnabled(BOOL isWebMessageEnabled) = 0;  // 6
  virtual HRESULT STDMETHODCALLTYPE get_AreDefaultScriptDialogsEnabled(
      BOOL* areDefaultScriptDialogsEnabled) = 0;  // 7
  virtual HRESULT STDMETHODCALLTYPE put_AreDefaultScriptDialogsEnabled(
      BOOL areDefaultScriptDialogsEnabled) = 0;  // 8
  virtual HRESULT STDMETHODCALLTYPE get_IsStatusBarEnabled(BOOL* isStatusBarEnabled) = 0;  // 9
  virtual HRESULT STDMETHODCALLTYPE put_IsStatusBarEnabled(BOOL isStatusBarEnabled) = 0;  // 10
  virtual HRESULT STDMETHODCALLTYPE get_AreDevToolsEnabled(BOOL* areDevToolsEnabled) = 0;  // 11
  virtual HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(BOOL areDevToolsEnabled) = 0;  // 12
  virtual HRESULT STDMETHODCALLTYPE get_AreDefaultContextMenusEnabled(BOOL* enabled) = 0;  // 13
  virtual HRESULT STDMETHODCALLTYPE put_AreDefaultContextMenusEnabled(BOOL enabled) = 0;  // 14
  virtual HRESULT STDMETHODCALLTYPE get_AreHostObjectsAllowed(BOOL* allowed) = 0;  // 15
  virtual HRESULT STDMETHODCALLTYPE put_AreHostObjectsAllowed(BOOL allowed) = 0;  // 16
  virtual HRESULT STDMETHODCALLTYPE get_IsZoomControlEnabled(BOOL* enabled) = 0;  // 17
  virtual HRESULT STDMETHODCALLTYPE put_IsZoomControlEnabled(BOOL enabled) = 0;  // 18
  virtual HRESULT STDMETHODCALLTYPE get_IsBuiltInErrorPageEnabled(BOOL* enabled) = 0;  // 19
  virtual HRESULT STDMETHODCALLTYPE put_IsBuiltInErrorPageEnabled(BOOL enabled) = 0;  // 20

 protected:
  ~ICoreWebView2Settings() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings2, ICoreWebView2Settings,
                 "EE9A0F68-F46C-4E32-AC23-EF8CAC224D2A") {
  virtual HRESULT STDMETHODCALLTYPE get_UserAgent(LPWSTR* userAgent) = 0;  // 21
  virtual HRESULT STDMETHODCALLTYPE put_UserAgent(LPCWSTR userAgent) = 0;  // 22

 protected:
  ~ICoreWebView2Settings2() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings3, ICoreWebView2Settings2,
                 "FDB5AB74-AF33-4854-84F0-0A631DEB5EBA") {
  virtual HRESULT STDMETHODCALLTYPE get_AreBrowserAcceleratorKeysEnabled(
      BOOL* areBrowserAcceleratorKeysEnabled) = 0;  // 23
  virtual HRESULT STDMETHODCALLTYPE put_AreBrowserAcceleratorKeysEnabled(
      BOOL areBrowserAcceleratorKeysEnabled) = 0;  // 24

 protected:
  ~ICoreWebView2Settings3() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings4, ICoreWebView2Settings3,
                 "CB56846C-4168-4D53-B04F-03B6D6796FF2") {
  virtual HRESULT STDMETHODCALLTYPE get_IsPasswordAutosaveEnabled(BOOL* value) = 0;  // 25
  virtual HRESULT STDMETHODCALLTYPE put_IsPasswordAutosaveEnabled(BOOL value) = 0;  // 26
  virtual HRESULT STDMETHODCALLTYPE get_IsGeneralAutofillEnabled(BOOL* value) = 0;  // 27
  virtual HRESULT STDMETHODCALLTYPE put_IsGeneralAutofillEnabled(BOOL value) = 0;  // 28

 protected:
  ~ICoreWebView2Settings4() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings5, ICoreWebView2Settings4,
                 "183E7052-1D03-43A0-AB99-98E043B66B39") {
  virtual HRESULT STDMETHODCALLTYPE get_IsPinchZoomEnabled(BOOL* enabled) = 0;  // 29
  virtual HRESULT STDMETHODCALLTYPE put_IsPinchZoomEnabled(BOOL enabled) = 0;  // 30

 protected:
  ~ICoreWebView2Settings5() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings6, ICoreWebView2Settings5,
                 "11CB3ACD-9BC8-43B8-83BF-F40753714F87") {
  virtual HRESULT STDMETHODCALLTYPE get_IsSwipeNavigationEnabled(BOOL* enabled) = 0;  // 31
  virtual HRESULT STDMETHODCALLTYPE put_IsSwipeNavigationEnabled(BOOL enabled) = 0;  // 32

 protected:
  ~ICoreWebView2Settings6() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings7, ICoreWebView2Settings6,
                 "488DC902-35EF-42D2-BC7D-94B65C4BC49C") {
  virtual HRESULT STDMETHODCALLTYPE get_HiddenPdfToolbarItems(
      COREWEBVIEW2_PDF_TOOLBAR_ITEMS* value) = 0;  // 33
  virtual HRESULT STDMETHODCALLTYPE put_HiddenPdfToolbarItems(
      COREWEBVIEW2_PDF_TOOLBAR_ITEMS value) = 0;  // 34

 protected:
  ~ICoreWebView2Settings7() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings8, ICoreWebView2Settings7,
                 "9E6B0E8F-86AD-4E81-8147-A9B5EDB68650") {
  virtual HRESULT STDMETHODCALLTYPE get_IsReputationCheckingRequired(BOOL* value) = 0;  // 35
  virtual HRESULT STDMETHODCALLTYPE put_IsReputationCheckingRequired(BOOL value) = 0;  // 36

 protected:
  ~ICoreWebView2Settings8() = default;
};

MIRVOT_INTERFACE(ICoreWebView2Settings9, ICoreWebView2Settings8,
                 "0528A73B-E92D-49F4-927A-E547DDDAA37D") {
  virtual HRESULT STDMETHODCALLTYPE get_IsNonClientRegionSupportEnabled(BOOL* enabled) = 0;  // 37
  virtual HRESULT STDMETHODCALLTYPE put_IsNonClientRegionSupportEnabled(BOOL enabled) = 0;  // 38

 protected:
  ~ICoreWebView2Settings9() = default;
};

// -------------------------------------------------------------------------------------------------
// Environment options. This program implements all of these on one object and hands them to
// the engine. EnvironmentOptions2 to 8 each derive directly from IUnknown, not from each other, so
// their first own method is at slot 3 and the object needs a separate vtable for each.

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions, IUnknown,
                 "2FDE08A8-1E9A-4766-8C05-95A9CEB9D1C5") {
  virtual HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) = 0;  // 4
  virtual HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) = 0;  // 5
  virtual HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) = 0;  // 6
  virtual HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) = 0;  // 7
  virtual HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) = 0;  // 8
  virtual HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(
      BOOL* allow) = 0;  // 9
  virtual HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(
      BOOL allow) = 0;  // 10

 protected:
  ~ICoreWebView2EnvironmentOptions() = default;
};

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions2, IUnknown,
                 "FF85C98A-1BA7-4A6B-90C8-2B752C89E9E2") {
  virtual HRESULT STDMETHODCALLTYPE get_ExclusiveUserDataFolderAccess(BOOL* value) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_ExclusiveUserDataFolderAccess(BOOL value) = 0;  // 4

 protected:
  ~ICoreWebView2EnvironmentOptions2() = default;
};

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions3, IUnknown,
                 "4A5C436E-A9E3-4A2E-89C3-910D3513F5CC") {
  virtual HRESULT STDMETHODCALLTYPE get_IsCustomCrashReportingEnabled(BOOL* value) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_IsCustomCrashReportingEnabled(BOOL value) = 0;  // 4

 protected:
  ~ICoreWebView2EnvironmentOptions3() = default;
};

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions4, IUnknown,
                 "AC52D13F-0D38-475A-9DCA-876580D6793E") {
  virtual HRESULT STDMETHODCALLTYPE GetCustomSchemeRegistrations(
      UINT32* count, ICoreWebView2CustomSchemeRegistration*** schemeRegistrations) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE SetCustomSchemeRegistrations(
      UINT32 count, ICoreWebView2CustomSchemeRegistration** schemeRegistrations) = 0;  // 4

 protected:
  ~ICoreWebView2EnvironmentOptions4() = default;
};

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions5, IUnknown,
                 "0AE35D64-C47F-4464-814E-259C345D1501") {
  virtual HRESULT STDMETHODCALLTYPE get_EnableTrackingPrevention(BOOL* value) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_EnableTrackingPrevention(BOOL value) = 0;  // 4

 protected:
  ~ICoreWebView2EnvironmentOptions5() = default;
};

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions6, IUnknown,
                 "57D29CC3-C84F-42A0-B0E2-EFFBD5E179DE") {
  virtual HRESULT STDMETHODCALLTYPE get_AreBrowserExtensionsEnabled(BOOL* value) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_AreBrowserExtensionsEnabled(BOOL value) = 0;  // 4

 protected:
  ~ICoreWebView2EnvironmentOptions6() = default;
};

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions7, IUnknown,
                 "C48D539F-E39F-441C-AE68-1F66E570BDC5") {
  virtual HRESULT STDMETHODCALLTYPE get_ChannelSearchKind(
      COREWEBVIEW2_CHANNEL_SEARCH_KIND* value) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_ChannelSearchKind(
      COREWEBVIEW2_CHANNEL_SEARCH_KIND value) = 0;  // 4
  virtual HRESULT STDMETHODCALLTYPE get_ReleaseChannels(
      COREWEBVIEW2_RELEASE_CHANNELS* value) = 0;  // 5
  virtual HRESULT STDMETHODCALLTYPE put_ReleaseChannels(
      COREWEBVIEW2_RELEASE_CHANNELS value) = 0;  // 6

 protected:
  ~ICoreWebView2EnvironmentOptions7() = default;
};

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions8, IUnknown,
                 "7C7ECF51-E918-5CAF-853C-E9A2BCC27775") {
  virtual HRESULT STDMETHODCALLTYPE get_ScrollBarStyle(
      COREWEBVIEW2_SCROLLBAR_STYLE* value) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_ScrollBarStyle(
      COREWEBVIEW2_SCROLLBAR_STYLE value) = 0;  // 4

 protected:
  ~ICoreWebView2EnvironmentOptions8() = default;
};

MIRVOT_INTERFACE(ICoreWebView2CustomSchemeRegistration, IUnknown,
                 "D60AC92C-37A6-4B26-A39E-95CFE59047BB") {
  virtual HRESULT STDMETHODCALLTYPE get_SchemeName(LPWSTR* schemeName) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE get_TreatAsSecure(BOOL* treatAsSecure) = 0;  // 4
  virtual HRESULT STDMETHODCALLTYPE put_TreatAsSecure(BOOL value) = 0;  // 5
  virtual HRESULT STDMETHODCALLTYPE GetAllowedOrigins(
      UINT32* allowedOriginsCount, LPWSTR** allowedOrigins) = 0;  // 6
  virtual HRESULT STDMETHODCALLTYPE SetAllowedOrigins(
      UINT32 allowedOriginsCount, LPCWSTR* allowedOrigins) = 0;  // 7
  virtual HRESULT STDMETHODCALLTYPE get_HasAuthorityComponent(
      BOOL* hasAuthorityComponent) = 0;  // 8
  virtual HRESULT STDMETHODCALLTYPE put_HasAuthorityComponent(BOOL hasAuthorityComponent) = 0;  // 9

 protected:
  ~ICoreWebView2CustomSchemeRegistration() = default;
};

// -------------------------------------------------------------------------------------------------
// Event arguments and the download the engine reports.

MIRVOT_INTERFACE(ICoreWebView2NewWindowRequestedEventArgs, IUnknown,
                 "34ACB11C-FC37-4418-9132-F9C21D1EAFB9") {
  virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2* newWindow) = 0;  // 4
  virtual HRESULT STDMETHODCALLTYPE get_NewWindow(ICoreWebView2** newWindow) = 0;  // 5
  virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;  // 6
  virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;  // 7
  virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;  // 8
  virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;  // 9
  virtual HRESULT STDMETHODCALLTYPE get_WindowFeatures(
      ICoreWebView2WindowFeatures** value) = 0;  // 10

 protected:
  ~ICoreWebView2NewWindowRequestedEventArgs() = default;
};

MIRVOT_INTERFACE(ICoreWebView2DownloadStartingEventArgs, IUnknown,
                 "E99BBE21-43E9-4544-A732-282764EAFA60") {
  virtual HRESULT STDMETHODCALLTYPE get_DownloadOperation(
      ICoreWebView2DownloadOperation** downloadOperation) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) = 0;  // 4
  virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) = 0;  // 5
  virtual HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* resultFilePath) = 0;  // 6
  virtual HRESULT STDMETHODCALLTYPE put_ResultFilePath(LPCWSTR resultFilePath) = 0;  // 7
  virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;  // 8
  virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;  // 9
  virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;  // 10

 protected:
  ~ICoreWebView2DownloadStartingEventArgs() = default;
};

MIRVOT_INTERFACE(ICoreWebView2DownloadOperation, IUnknown, "3D6B6CF2-AFE1-44C7-A995-C65117714336") {
  virtual HRESULT STDMETHODCALLTYPE add_BytesReceivedChanged(
      ICoreWebView2BytesReceivedChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 3
  virtual HRESULT STDMETHODCALLTYPE remove_BytesReceivedChanged(
      EventRegistrationToken token) = 0;  // 4
  virtual HRESULT STDMETHODCALLTYPE add_EstimatedEndTimeChanged(
      ICoreWebView2EstimatedEndTimeChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 5
  virtual HRESULT STDMETHODCALLTYPE remove_EstimatedEndTimeChanged(
      EventRegistrationToken token) = 0;  // 6
  virtual HRESULT STDMETHODCALLTYPE add_StateChanged(
      ICoreWebView2StateChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;  // 7
  virtual HRESULT STDMETHODCALLTYPE remove_StateChanged(EventRegistrationToken token) = 0;  // 8
  virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;  // 9
  virtual HRESULT STDMETHODCALLTYPE get_ContentDisposition(LPWSTR* contentDisposition) = 0;  // 10
  virtual HRESULT STDMETHODCALLTYPE get_MimeType(LPWSTR* mimeType) = 0;  // 11
  virtual HRESULT STDMETHODCALLTYPE get_TotalBytesToReceive(INT64* totalBytesToReceive) = 0;  // 12
  virtual HRESULT STDMETHODCALLTYPE get_BytesReceived(INT64* bytesReceived) = 0;  // 13
  virtual HRESULT STDMETHODCALLTYPE get_EstimatedEndTime(LPWSTR* estimatedEndTime) = 0;  // 14
  virtual HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* resultFilePath) = 0;  // 15
  virtual HRESULT STDMETHODCALLTYPE get_State(
      COREWEBVIEW2_DOWNLOAD_STATE* downloadState) = 0;  // 16
  virtual HRESULT STDMETHODCALLTYPE get_InterruptReason(
      COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON* interruptReason) = 0;  // 17
  virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;  // 18
  virtual HRESULT STDMETHODCALLTYPE Pause() = 0;  // 19
  virtual HRESULT STDMETHODCALLTYPE Resume() = 0;  // 20
  virtual HRESULT STDMETHODCALLTYPE get_CanResume(BOOL* canResume) = 0;  // 21

 protected:
  ~ICoreWebView2DownloadOperation() = default;
};

// -------------------------------------------------------------------------------------------------
// Completion and event handlers, implemented by this program.

MIRVOT_INTERFACE(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, IUnknown,
                 "4E8A3389-C9D8-4BD2-B6B5-124FEE6CC14D") {
  virtual HRESULT STDMETHODCALLTYPE Invoke(
      HRESULT errorCode, ICoreWebView2Environment* createdEnvironment) = 0;  // 3

 protected:
  ~ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler() = default;
};

MIRVOT_INTERFACE(ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, IUnknown,
                 "6C4819F3-C9B7-4260-8127-C9F5BDE7F68C") {
  virtual HRESULT STDMETHODCALLTYPE Invoke(
      HRESULT errorCode, ICoreWebView2Controller* createdController) = 0;  // 3

 protected:
  ~ICoreWebView2CreateCoreWebView2ControllerCompletedHandler() = default;
};

MIRVOT_INTERFACE(ICoreWebView2WindowCloseRequestedEventHandler, IUnknown,
                 "5C19E9E0-092F-486B-AFFA-CA8231913039") {
  virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;  // 3

 protected:
  ~ICoreWebView2WindowCloseRequestedEventHandler() = default;
};

MIRVOT_INTERFACE(ICoreWebView2NewWindowRequestedEventHandler, IUnknown,
                 "D4C185FE-C81C-4989-97AF-2D3FA7AB5651") {
  virtual HRESULT STDMETHODCALLTYPE Invoke(
      ICoreWebView2* sender, ICoreWebView2NewWindowRequestedEventArgs* args) = 0;  // 3

 protected:
  ~ICoreWebView2NewWindowRequestedEventHandler() = default;
};

MIRVOT_INTERFACE(ICoreWebView2DownloadStartingEventHandler, IUnknown,
                 "EFEDC989-C396-41CA-83F7-07F845A55724") {
  virtual HRESULT STDMETHODCALLTYPE Invoke(
      ICoreWebView2* sender, ICoreWebView2DownloadStartingEventArgs* args) = 0;  // 3

 protected:
  ~ICoreWebView2DownloadStartingEventHandler() = default;
};

// -------------------------------------------------------------------------------------------------
// The Edge-view options interface. A caller's options object may answer it to ask for Edge view
// mode. Only its first method (slot 3) is known, and it is the only one this program uses; the
// interface may have more methods after it, so nothing here may implement it or call past slot 3.

MIRVOT_INTERFACE(ICoreWebView2EdgeViewOptions, IUnknown, "0EA2394C-96E6-4AE3-8F9A-8473ABEF3732") {
  // Sets *value to 1 in Edge view mode.
  virtual HRESULT STDMETHODCALLTYPE get_IsEdgeView(INT32* value) = 0;  // 3

 protected:
  ~ICoreWebView2EdgeViewOptions() = default;
};

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
// clang-format on
