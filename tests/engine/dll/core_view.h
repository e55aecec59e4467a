#pragma once
// The view: the engine's ICoreWebView2 .. ICoreWebView2_4 object with its child window. It keeps
// the settings, the registered event handlers and the URL it was navigated to, and raises the
// three events the host listens to. The controller drives its window.
#include <wrl/client.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "engine_object.h"
#include "engine_settings.h"

namespace mirvot::test_engine {

// Result of a raise when there is no open view or no handler registered.
inline constexpr HRESULT kNothingToRaise = static_cast<HRESULT>(0x80070490);  // ERROR_NOT_FOUND
// Result of every call on a closed controller or view.
inline constexpr HRESULT kClosed = static_cast<HRESULT>(0x8007139F);  // ERROR_INVALID_STATE
// Result of calls that need the view window after it was destroyed from outside.
inline constexpr HRESULT kWindowGone =
    static_cast<HRESULT>(0x80070578);  // ERROR_INVALID_WINDOW_HANDLE

class CoreView final
    : public EngineObject<ICoreWebView2_4, ICoreWebView2, ICoreWebView2_2, ICoreWebView2_3> {
 public:
  // Makes a view with its window as a child of parent.
  static HRESULT Create(HWND parent, Microsoft::WRL::ComPtr<CoreView>* view) noexcept;

  // The newest view that is registered and not closed (null when none).
  static Microsoft::WRL::ComPtr<CoreView> NewestOpen() noexcept;
  // Stops raising events on every view made so far (they stay alive for their holders).
  static void ForgetAll() noexcept;

  // --- Used by the controller.
  [[nodiscard]] bool closed() const noexcept { return closed_.load(); }
  [[nodiscard]] HWND window() const noexcept { return window_; }
  [[nodiscard]] HWND parent() const noexcept { return parent_; }
  [[nodiscard]] BOOL visible() const noexcept { return visible_; }
  [[nodiscard]] RECT bounds() const noexcept { return bounds_; }
  void Close() noexcept;
  HRESULT SetVisible(BOOL visible) noexcept;
  HRESULT SetBounds(const RECT& bounds) noexcept;
  HRESULT Focus() noexcept;
  HRESULT SetParentWindow(HWND parent) noexcept;

  // --- Events, raised on the calling thread; each returns S_OK or the first failing handler
  // result, kNothingToRaise when no handler is registered.
  HRESULT RaiseWindowCloseRequested() noexcept;
  HRESULT RaiseNewWindowRequested(const std::wstring& uri) noexcept;
  HRESULT RaiseDownloadStarting(const std::wstring& uri, const std::wstring& proposedPath) noexcept;

  // --- Used by the view window's procedure.
  void OnWindowDestroyed() noexcept;
  [[nodiscard]] const std::wstring& url() const noexcept { return url_; }
  // A WM_COPYDATA command: understood ones are queued and raised from the message loop.
  bool QueueCommand(const std::wstring& command) noexcept;

  // --- ICoreWebView2
  HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) noexcept override;
  HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) noexcept override;
  HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) noexcept override;
  MIRVOT_ENGINE_NOT_IMPLEMENTED(NavigateToString, LPCWSTR)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_NavigationStarting,
                                ICoreWebView2NavigationStartingEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_NavigationStarting, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_ContentLoading, ICoreWebView2ContentLoadingEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_ContentLoading, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_SourceChanged, ICoreWebView2SourceChangedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_SourceChanged, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_HistoryChanged, ICoreWebView2HistoryChangedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_HistoryChanged, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_NavigationCompleted,
                                ICoreWebView2NavigationCompletedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_NavigationCompleted, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_FrameNavigationStarting,
                                ICoreWebView2NavigationStartingEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_FrameNavigationStarting, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_FrameNavigationCompleted,
                                ICoreWebView2NavigationCompletedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_FrameNavigationCompleted, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_ScriptDialogOpening,
                                ICoreWebView2ScriptDialogOpeningEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_ScriptDialogOpening, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_PermissionRequested,
                                ICoreWebView2PermissionRequestedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_PermissionRequested, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_ProcessFailed, ICoreWebView2ProcessFailedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_ProcessFailed, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(AddScriptToExecuteOnDocumentCreated, LPCWSTR,
                                ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(RemoveScriptToExecuteOnDocumentCreated, LPCWSTR)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(ExecuteScript, LPCWSTR, ICoreWebView2ExecuteScriptCompletedHandler*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(CapturePreview, COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT, IStream*,
                                ICoreWebView2CapturePreviewCompletedHandler*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(Reload, void)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(PostWebMessageAsJson, LPCWSTR)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(PostWebMessageAsString, LPCWSTR)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_WebMessageReceived,
                                ICoreWebView2WebMessageReceivedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_WebMessageReceived, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(CallDevToolsProtocolMethod, LPCWSTR, LPCWSTR,
                                ICoreWebView2CallDevToolsProtocolMethodCompletedHandler*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_BrowserProcessId, UINT32*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_CanGoBack, BOOL*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_CanGoForward, BOOL*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(GoBack, void)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(GoForward, void)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(GetDevToolsProtocolEventReceiver, LPCWSTR,
                                ICoreWebView2DevToolsProtocolEventReceiver**)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(Stop, void)
  HRESULT STDMETHODCALLTYPE
  add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* eventHandler,
                         EventRegistrationToken* token) noexcept override;
  HRESULT STDMETHODCALLTYPE
  remove_NewWindowRequested(EventRegistrationToken token) noexcept override;
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_DocumentTitleChanged,
                                ICoreWebView2DocumentTitleChangedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_DocumentTitleChanged, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_DocumentTitle, LPWSTR*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(AddHostObjectToScript, LPCWSTR, VARIANT*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(RemoveHostObjectFromScript, LPCWSTR)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(OpenDevToolsWindow, void)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_ContainsFullScreenElementChanged,
                                ICoreWebView2ContainsFullScreenElementChangedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_ContainsFullScreenElementChanged, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_ContainsFullScreenElement, BOOL*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_WebResourceRequested,
                                ICoreWebView2WebResourceRequestedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_WebResourceRequested, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(AddWebResourceRequestedFilter, LPCWSTR,
                                COREWEBVIEW2_WEB_RESOURCE_CONTEXT)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(RemoveWebResourceRequestedFilter, LPCWSTR,
                                COREWEBVIEW2_WEB_RESOURCE_CONTEXT)
  HRESULT STDMETHODCALLTYPE
  add_WindowCloseRequested(ICoreWebView2WindowCloseRequestedEventHandler* eventHandler,
                           EventRegistrationToken* token) noexcept override;
  HRESULT STDMETHODCALLTYPE
  remove_WindowCloseRequested(EventRegistrationToken token) noexcept override;

  // --- ICoreWebView2_2
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_WebResourceResponseReceived,
                                ICoreWebView2WebResourceResponseReceivedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_WebResourceResponseReceived, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(NavigateWithWebResourceRequest, ICoreWebView2WebResourceRequest*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_DOMContentLoaded, ICoreWebView2DOMContentLoadedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_DOMContentLoaded, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_CookieManager, ICoreWebView2CookieManager**)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_Environment, ICoreWebView2Environment**)

  // --- ICoreWebView2_3
  MIRVOT_ENGINE_NOT_IMPLEMENTED(TrySuspend, ICoreWebView2TrySuspendCompletedHandler*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(Resume, void)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_IsSuspended, BOOL*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(SetVirtualHostNameToFolderMapping, LPCWSTR, LPCWSTR,
                                COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(ClearVirtualHostNameToFolderMapping, LPCWSTR)

  // --- ICoreWebView2_4
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_FrameCreated, ICoreWebView2FrameCreatedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_FrameCreated, EventRegistrationToken)
  HRESULT STDMETHODCALLTYPE
  add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler* eventHandler,
                       EventRegistrationToken* token) noexcept override;
  HRESULT STDMETHODCALLTYPE remove_DownloadStarting(EventRegistrationToken token) noexcept override;

 private:
  template <typename Handler>
  using HandlerList = std::vector<std::pair<INT64, Microsoft::WRL::ComPtr<Handler>>>;

  CoreView() noexcept;
  ~CoreView() override;

  template <typename Handler>
  HRESULT AddHandler(const char* method, HandlerList<Handler>& list, Handler* handler,
                     EventRegistrationToken* token) noexcept;
  template <typename Handler>
  HRESULT RemoveHandler(const char* method, HandlerList<Handler>& list,
                        EventRegistrationToken token) noexcept;

  HWND parent_ = nullptr;
  HWND window_ = nullptr;
  std::atomic<bool> closed_{false};
  BOOL visible_ = TRUE;
  RECT bounds_{};
  std::wstring url_;
  Microsoft::WRL::ComPtr<EngineSettings> settings_;
  HandlerList<ICoreWebView2WindowCloseRequestedEventHandler> closeHandlers_;
  HandlerList<ICoreWebView2NewWindowRequestedEventHandler> newWindowHandlers_;
  HandlerList<ICoreWebView2DownloadStartingEventHandler> downloadHandlers_;
};

}  // namespace mirvot::test_engine
