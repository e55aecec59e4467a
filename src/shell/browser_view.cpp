#include "shell/browser_view.h"

#include <objbase.h>

#include <string>
#include <utility>

#include "common/com_object.h"
#include "common/hresult.h"
#include "common/startup_marks.h"
#include "common/wide_text.h"
#include "loader/environment_creation.h"
#include "shell/engine_completion.h"
#include "shell/environment_options.h"
#include "shell/event_responses.h"
#include "shell/host_window.h"
#include "shell/parent_hook.h"

namespace mirvot {
namespace {

using Microsoft::WRL::ComPtr;

// A later settings interface the runtime may lack: the setting is then skipped. A runtime that
// has it but refuses the value fails the view.
template <typename Later, typename Setter>
[[nodiscard]] HRESULT write_setting_if_supported(ICoreWebView2Settings* settings,
                                                 Setter write) noexcept {
  ComPtr<Later> later;
  if (FAILED(QueryInterfaceTo(settings, later))) {
    return S_OK;
  }
  return write(later.Get());
}

// The per-view settings, in this order. Every setting not written keeps the engine's default.
[[nodiscard]] HRESULT write_settings(ICoreWebView2Settings* settings) noexcept {
  MIRVOT_RETURN_IF_FAILED(settings->put_IsStatusBarEnabled(FALSE));
  MIRVOT_RETURN_IF_FAILED(settings->put_AreDefaultContextMenusEnabled(TRUE));
  MIRVOT_RETURN_IF_FAILED(settings->put_IsZoomControlEnabled(FALSE));
  MIRVOT_RETURN_IF_FAILED(settings->put_AreDevToolsEnabled(FALSE));
  MIRVOT_RETURN_IF_FAILED(settings->put_IsScriptEnabled(TRUE));
  MIRVOT_RETURN_IF_FAILED(write_setting_if_supported<ICoreWebView2Settings4>(
      settings, [](ICoreWebView2Settings4* s) { return s->put_IsGeneralAutofillEnabled(TRUE); }));
  MIRVOT_RETURN_IF_FAILED(write_setting_if_supported<ICoreWebView2Settings5>(
      settings, [](ICoreWebView2Settings5* s) { return s->put_IsPinchZoomEnabled(FALSE); }));
  MIRVOT_RETURN_IF_FAILED(write_setting_if_supported<ICoreWebView2Settings6>(
      settings, [](ICoreWebView2Settings6* s) { return s->put_IsSwipeNavigationEnabled(FALSE); }));
  MIRVOT_RETURN_IF_FAILED(write_setting_if_supported<ICoreWebView2Settings9>(
      settings,
      [](ICoreWebView2Settings9* s) { return s->put_IsNonClientRegionSupportEnabled(TRUE); }));
  return S_OK;
}

// Creates the environment through the loader with this program's options and waits for it.
// Memory for the folder's copy is a start-up step like any other: std::bad_alloc goes on to the
// application's fatal path.
[[nodiscard]] HRESULT create_environment(const BrowserContext& context,
                                         ComPtr<ICoreWebView2Environment>& environment) {
  const ComPtr<EnvironmentOptions> options = EnvironmentOptions::create_for_browser_view();
  const auto completion = AdoptComReference(MakeComObject<EnvironmentCompletion>());
  if (!options || !completion) {
    return E_OUTOFMEMORY;
  }
  MIRVOT_STARTUP_MARK(EnvironmentOptionsBuilt);
  // No profile folder is passed as the empty string, not as null.
  const std::wstring userDataFolder = context.profile_folder.value_or(std::wstring());
  MIRVOT_RETURN_IF_FAILED(CreateCoreWebView2EnvironmentWithOptions(
      nullptr, userDataFolder.c_str(), options.Get(), completion.Get()));
  return completion->wait_for(environment);
}

// Asks the environment for a controller in `host`: a runtime that knows controller options gets
// them with private mode off, an older one the plain call.
[[nodiscard]] HRESULT request_controller(
    ICoreWebView2Environment* environment, HWND host,
    ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* completion) noexcept {
  ComPtr<ICoreWebView2Environment10> environment10;
  if (FAILED(QueryInterfaceTo(environment, environment10))) {
    return environment->CreateCoreWebView2Controller(host, completion);
  }
  ComPtr<ICoreWebView2ControllerOptions> controllerOptions;
  MIRVOT_RETURN_IF_FAILED(
      environment10->CreateCoreWebView2ControllerOptions(controllerOptions.GetAddressOf()));
  if (!controllerOptions) {
    return E_POINTER;
  }
  MIRVOT_RETURN_IF_FAILED(controllerOptions->put_IsInPrivateModeEnabled(FALSE));
  return environment10->CreateCoreWebView2ControllerWithOptions(host, controllerOptions.Get(),
                                                                completion);
}

// The controller in `host`, waited for.
[[nodiscard]] HRESULT create_controller(ICoreWebView2Environment* environment, HWND host,
                                        ComPtr<ICoreWebView2Controller>& controller) noexcept {
  const auto completion = AdoptComReference(MakeComObject<ControllerCompletion>());
  if (!completion) {
    return E_OUTOFMEMORY;
  }
  MIRVOT_RETURN_IF_FAILED(request_controller(environment, host, completion.Get()));
  return completion->wait_for(controller);
}

// Settings, event responses and the start navigation of a new core view.
[[nodiscard]] HRESULT configure_web_view(ICoreWebView2* webview, HWND host,
                                         const ViewOptions& options) {
  ComPtr<ICoreWebView2Settings> settings;
  MIRVOT_RETURN_IF_FAILED(webview->get_Settings(settings.GetAddressOf()));
  if (!settings) {
    return E_POINTER;
  }
  MIRVOT_RETURN_IF_FAILED(write_settings(settings.Get()));

  // The registrations last as long as the view; they are never removed.
  EventRegistrationToken token{};
  const auto closeResponse = make_close_request_response(host);
  const auto newWindowResponse = make_new_window_response();
  if (!closeResponse || !newWindowResponse) {
    return E_OUTOFMEMORY;
  }
  MIRVOT_RETURN_IF_FAILED(webview->add_WindowCloseRequested(closeResponse.Get(), &token));
  MIRVOT_RETURN_IF_FAILED(webview->add_NewWindowRequested(newWindowResponse.Get(), &token));
  if (options.on_download_started) {
    ComPtr<ICoreWebView2_4> webview4;
    MIRVOT_RETURN_IF_FAILED(QueryInterfaceTo(webview, webview4));
    const auto downloadResponse = make_download_response(options.on_download_started);
    if (!downloadResponse) {
      return E_OUTOFMEMORY;
    }
    MIRVOT_RETURN_IF_FAILED(webview4->add_DownloadStarting(downloadResponse.Get(), &token));
  }
  MIRVOT_STARTUP_MARK(Navigate);
  return webview->Navigate(Utf8ToWide(options.url).c_str());
}

}  // namespace

BrowserViewResult BrowserView::create(HWND parent, const ViewOptions& options) {
  // An apartment that already exists is fine; the main window's OLE set one up.
  static_cast<void>(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  register_host_window_class();
  // Destroyed if creation fails: declared before the view, so the view is torn down first. A
  // finished view's host is owned by the main window.
  UniqueWindow host;
  BrowserView view(parent);
  if (const HRESULT hr = view.build(host, options); FAILED(hr)) {
    return WebView2Error::from_hresult(hr);
  }
  static_cast<void>(host.release());
  return BrowserViewResult(std::in_place_type<BrowserView>, std::move(view));
}

HRESULT BrowserView::build(UniqueWindow& host, const ViewOptions& options) {
  MIRVOT_RETURN_IF_FAILED(create_host_window(parent_, &host_));
  host.reset(host_);
  MIRVOT_STARTUP_MARK(HostWindowCreated);
  MIRVOT_RETURN_IF_FAILED(create_environment(options.context, environment_));
  MIRVOT_RETURN_IF_FAILED(create_controller(environment_.Get(), host_, controller_));
  MIRVOT_RETURN_IF_FAILED(controller_->get_CoreWebView2(webview_.GetAddressOf()));
  if (!webview_) {
    return E_POINTER;
  }
  MIRVOT_RETURN_IF_FAILED(configure_web_view(webview_.Get(), host_, options));

  install_parent_hook(parent_, controller_.Get());
  hooked_ = true;

  MIRVOT_RETURN_IF_FAILED(controller_->put_IsVisible(TRUE));
  // Focus is a courtesy: a view that cannot take it now still works.
  static_cast<void>(controller_->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC));

  RECT client{};
  if (!::GetClientRect(parent_, &client)) {
    return LastErrorAsFailure();
  }
  return set_bounds(client.right - client.left, client.bottom - client.top);
}

BrowserView::BrowserView(BrowserView&& other) noexcept
    : controller_(std::move(other.controller_)),
      webview_(std::move(other.webview_)),
      environment_(std::move(other.environment_)),
      parent_(std::exchange(other.parent_, nullptr)),
      host_(std::exchange(other.host_, nullptr)),
      hooked_(std::exchange(other.hooked_, false)) {}

BrowserView::~BrowserView() { tear_down(); }

void BrowserView::tear_down() noexcept {
  if (controller_) {
    static_cast<void>(controller_->Close());
  }
  if (hooked_) {
    // The hook removes itself and drops its controller reference; removing it once more
    // covers a hook that could not be reached by the message.
    request_parent_hook_removal(parent_);
    remove_parent_hook(parent_);
    hooked_ = false;
  }
  controller_.Reset();
  webview_.Reset();
  environment_.Reset();
}

HRESULT BrowserView::set_bounds(std::int32_t width, std::int32_t height) noexcept {
  if (!controller_) {
    return E_UNEXPECTED;
  }
  MIRVOT_RETURN_IF_FAILED(controller_->put_Bounds(RECT{0, 0, width, height}));
  if (!::SetWindowPos(host_, nullptr, 0, 0, width, height, kHostResizeFlags)) {
    return LastErrorAsFailure();
  }
  return S_OK;
}

}  // namespace mirvot
