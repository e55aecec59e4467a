#pragma once
// The engine's enumerations, and the interfaces the definitions refer to before (or without)
// defining them. Interfaces that appear only as parameter types are declared incomplete: their
// pointers are passed through and never dereferenced.
#include <windows.h>
#include <eventtoken.h>
#include <oaidl.h>
#include <objidl.h>
#include <unknwn.h>

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

// Interfaces the definitions refer to in another header than their own, or before their own.
struct ICoreWebView2Environment;
struct ICoreWebView2ControllerOptions;
struct ICoreWebView2Controller;
struct ICoreWebView2;
struct ICoreWebView2Settings;
struct ICoreWebView2CustomSchemeRegistration;
struct ICoreWebView2DownloadOperation;
struct ICoreWebView2CreateCoreWebView2ControllerCompletedHandler;
struct ICoreWebView2WindowCloseRequestedEventHandler;
struct ICoreWebView2NewWindowRequestedEventHandler;
struct ICoreWebView2DownloadStartingEventHandler;
