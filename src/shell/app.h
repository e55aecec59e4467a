#pragma once
// The application object: the main window, the browser view that fills it and the browser
// context they share. The event loop drives it; everything runs on the main thread.
#include <memory>
#include <optional>

#include "shell/browser_view.h"
#include "shell/event_loop.h"
#include "shell/main_window.h"
#include "shell/view_options.h"

namespace mirvot {

// The service's login page, fixed when the program is built.
inline constexpr char kLoginUrl[] = MIRVOT_LOGIN_URL;
inline constexpr wchar_t kMainWindowTitle[] = L"Mirvot";
inline constexpr double kMainWindowLogicalWidth = 1280.0;
inline constexpr double kMainWindowLogicalHeight = 800.0;

class App final : public ApplicationHandler {
 public:
  // Shows the main window, then builds the view that opens the login page inside it. A failure
  // to create either is fatal. Called again, it builds a new window and view, replaces (and so
  // closes) the old ones and keeps the browser context.
  void on_resumed(EventLoop& loop) override;

  // Resizes keep the view covering the client area (failures are dropped until the next
  // resize); a close request ends the process with exit code 0. Nothing else is acted on.
  void on_window_event(EventLoop& loop, WindowId window, const WindowEvent& event) override;

  // Empty until the first on_resumed, then both present; never emptied again.
  std::unique_ptr<MainWindow> window;
  std::optional<BrowserView> webview;
  // Created by the first on_resumed and never replaced: every view of the run shares it.
  std::optional<BrowserContext> web_context;
};

}  // namespace mirvot
