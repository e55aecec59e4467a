#pragma once
// The program's top-level window: a resizable, captioned desktop window of a given client size
// in logical pixels, with an optional icon, shown at creation and registered as a file drop
// target. Its messages reach the application as window events of the event loop.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "shell/event_loop.h"
#include "shell/host_dpi.h"
#include "shell/window_icon.h"

namespace mirvot {

struct WindowAttributes {
  std::wstring title;
  // The client area in logical pixels; the window's scale factor turns them into physical ones.
  double inner_width = 0.0;
  double inner_height = 0.0;
  std::optional<IconImage> icon;
};

struct MainWindowState;

class MainWindow {
 public:
  // Creates and shows the window on the loop's thread; its events go to that loop. Its class
  // "Window Class" is registered before every creation (an existing registration is reused).
  // Fails with the creation's Win32 error as an HRESULT, or RPC_E_WRONG_THREAD on another thread
  // than the loop's; a missing icon or a failed drop-target registration is not a failure.
  [[nodiscard]] static HRESULT create(EventLoop& loop, const WindowAttributes& attributes,
                                      std::unique_ptr<MainWindow>& window) noexcept;
  // The same with the functions the window's DPI is read from, at creation and whenever the
  // window is told of a DPI change; the window keeps a copy of them.
  [[nodiscard]] static HRESULT create(EventLoop& loop, const WindowAttributes& attributes,
                                      std::unique_ptr<MainWindow>& window,
                                      const HostDpiFunctions& dpiFunctions) noexcept;

  // Asks the window to destroy itself on a later turn of the loop: the window outlives this
  // object briefly, and nothing is destroyed from inside a call that may be using it.
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  [[nodiscard]] HWND hwnd() const noexcept { return hwnd_; }
  // The window's DPI divided by 96, kept current when the window moves to a monitor of
  // another DPI (read from the window when the system says so).
  [[nodiscard]] double scale_factor() const noexcept;

 private:
  MainWindow(HWND hwnd, std::shared_ptr<MainWindowState> state) noexcept;

  HWND hwnd_;
  // Shared with the window itself, which may go on receiving messages after this object is
  // gone.
  std::shared_ptr<MainWindowState> state_;
};

}  // namespace mirvot
