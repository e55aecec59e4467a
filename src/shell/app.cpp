#include "shell/app.h"

#include <string>
#include <utility>
#include <variant>

#include "shell/core/view_size.h"
#include "shell/fatal.h"
#include "shell/host_dpi.h"
#include "shell/profile_folder.h"
#include "shell/window_icon.h"

namespace mirvot {
namespace {

// Every download is saved where the runtime proposes.
bool accept_download(const std::string& /*uri*/, std::wstring& /*path*/) { return true; }

// The fatal report's description of a window that could not be created.
std::string window_error_description(HRESULT code) {
  return "OsError(" + windows_error_description(code) + ")";
}

}  // namespace

// Both handlers are called by the loop, from where nothing may escape: an exception that would
// leave them (std::bad_alloc while building the window or the view, or while describing a
// failure) ends the process through the fatal path like any other failed essential step.
void App::on_resumed(EventLoop& loop) try {
  WindowAttributes attributes;
  attributes.title = kMainWindowTitle;
  attributes.inner_width = kMainWindowLogicalWidth;
  attributes.inner_height = kMainWindowLogicalHeight;
  attributes.icon = load_window_icon();

  std::unique_ptr<MainWindow> newWindow;
  if (const HRESULT hr = MainWindow::create(loop, attributes, newWindow); FAILED(hr)) {
    MIRVOT_FATAL(window_error_description(hr));
  }

  if (!web_context) {
    web_context.emplace(BrowserContext{profile_folder()});
  }

  const ViewOptions options{*web_context, kLoginUrl, accept_download};
  BrowserViewResult created = BrowserView::create(newWindow->hwnd(), options);
  if (const auto* error = std::get_if<WebView2Error>(&created)) {
    MIRVOT_FATAL(error->description());
  }

  // Releasing an earlier window asks it to destroy itself on a later turn of the loop; the
  // earlier view is torn down while its window still exists.
  window = std::move(newWindow);
  webview.reset();
  webview.emplace(std::move(std::get<BrowserView>(created)));
}
MIRVOT_CATCH_FATAL("App::on_resumed")

void App::on_window_event(EventLoop& /*loop*/, WindowId /*window*/, const WindowEvent& event) try {
  switch (event.kind) {
    case WindowEvent::Kind::Resized: {
      if (!window || !webview) {
        return;
      }
      // Through logical units: the host window may sit at another DPI than the main window
      // for a moment while the window moves between monitors.
      const PhysicalSize size = view_size_for_resize(
          event.width, event.height, window->scale_factor(), host_window_dpi(webview->host()));
      // A failure (the page closed the host, for one) changes nothing until the next resize.
      static_cast<void>(webview->set_bounds(size.width, size.height));
      return;
    }
    case WindowEvent::Kind::CloseRequested:
      exit_on_close();
  }
}
MIRVOT_CATCH_FATAL("App::on_window_event")

}  // namespace mirvot
