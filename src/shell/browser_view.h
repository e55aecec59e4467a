#pragma once
// The embedded browser view: the engine's controller and core view inside a host window that
// fills the main window's client area.
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <variant>

#include "common/owners.h"
#include "shell/browser_view_error.h"
#include "shell/view_options.h"
#include "webview2/webview2_interfaces.h"

namespace mirvot {

class BrowserView;
using BrowserViewResult = std::variant<BrowserView, WebView2Error>;

class BrowserView {
 public:
  // Builds the view inside `parent` (a window of this thread) and starts navigating to
  // options.url. Blocks until then, dispatching this thread's messages meanwhile, so the
  // parent keeps painting and other windows keep working. Creates one environment of its own
  // with this program's engine configuration.
  [[nodiscard]] static BrowserViewResult create(HWND parent, const ViewOptions& options);

  // A view moves to a new owner only as a whole; the one it leaves does nothing.
  BrowserView(BrowserView&& other) noexcept;
  BrowserView& operator=(BrowserView&&) = delete;

  // Tears the view down: closes the controller, removes the main-window hook and releases the
  // engine objects. The host window stays; it goes away with the main window.
  ~BrowserView();

  // Places the view at (0, 0) with this size in physical pixels: the controller's bounds first,
  // then, only if that worked, the host window. Returns the first failure.
  [[nodiscard]] HRESULT set_bounds(std::int32_t width, std::int32_t height) noexcept;

  [[nodiscard]] HWND host() const noexcept { return host_; }

 private:
  explicit BrowserView(HWND parent) noexcept : parent_(parent) {}

  // Everything create() promises, in this object; `host` owns the host window meanwhile. Any
  // failure is returned as it is, and create() turns it into the view's error once.
  [[nodiscard]] HRESULT build(UniqueWindow& host, const ViewOptions& options);
  void tear_down() noexcept;

  Microsoft::WRL::ComPtr<ICoreWebView2Controller> controller_;
  Microsoft::WRL::ComPtr<ICoreWebView2> webview_;
  Microsoft::WRL::ComPtr<ICoreWebView2Environment> environment_;
  HWND parent_ = nullptr;
  HWND host_ = nullptr;
  // Set once the main-window hook is installed; teardown undoes it.
  bool hooked_ = false;
};

}  // namespace mirvot
