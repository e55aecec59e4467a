#pragma once
// The three engine events the view answers: a page closing its window, a request for a new
// window, and the start of a download. Each handler owns what it captures and returns an
// HRESULT to the engine; nothing is raised to the shell.
#include <windows.h>
#include <wrl/client.h>

#include "shell/view_options.h"
#include "webview2/webview2_interfaces.h"

namespace mirvot {

// window.close() from the page: destroys the host window (the main window stays). S_OK, or the
// Win32 failure of DestroyWindow.
[[nodiscard]] Microsoft::WRL::ComPtr<ICoreWebView2WindowCloseRequestedEventHandler>
make_close_request_response(HWND host) noexcept;

// window.open or a link targeting a new window: marked handled without a window, so the engine
// opens none. Returns put_Handled's result.
[[nodiscard]] Microsoft::WRL::ComPtr<ICoreWebView2NewWindowRequestedEventHandler>
make_new_window_response() noexcept;

// A download: the callback sees the URI and the proposed path. Accepted, the (normalised) path
// is written back and the download marked handled, so the engine saves it there without its
// own download UI; refused, the download is cancelled. The first failing engine call's
// HRESULT is returned.
[[nodiscard]] Microsoft::WRL::ComPtr<ICoreWebView2DownloadStartingEventHandler>
make_download_response(DownloadStartedCallback onDownloadStarted) noexcept;

}  // namespace mirvot
