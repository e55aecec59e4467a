#include "shell/main_window.h"

#include <ole2.h>

#include <algorithm>
#include <exception>
#include <new>
#include <utility>
#include <wrl/client.h>

#include "common/hresult.h"
#include "common/optional_function.h"
#include "common/startup_marks.h"
#include "shell/core/view_size.h"
#include "shell/fatal.h"
#include "shell/file_drop_target.h"
#include "shell/host_dpi.h"
#include "shell/system_modules.h"

namespace mirvot {

struct MainWindowState {
  double scaleFactor = 1.0;
  // The window shows this icon; it must live as long as the window can.
  UniqueIcon icon;
  // Registered with OLE for the window's life; revoked when the window is destroyed.
  Microsoft::WRL::ComPtr<IDropTarget> dropTarget;
};

namespace {

constexpr wchar_t kClassName[] = L"Window Class";
// WS_EX_WINDOWEDGE | WS_EX_ACCEPTFILES | WS_EX_APPWINDOW
constexpr DWORD kExtendedStyle = 0x00040110;
// WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_SIZEBOX; the minimise and
// maximise boxes are added once the window exists.
constexpr DWORD kStyle = 0x06CC0000;
// Posted by ~MainWindow: the window destroys itself when the loop dispatches it.
constexpr UINT kDestroyRequest = WM_APP + 1;
// The largest client extent asked for, leaving room for the frame in a 32-bit rectangle.
constexpr std::uint32_t kLargestClientExtent = 0x3FFFFFFF;

using SharedState = std::shared_ptr<MainWindowState>;

// The window's own reference to its state, kept in GWLP_USERDATA from WM_NCCREATE to
// WM_NCDESTROY.
SharedState* StateHolder(HWND hwnd) noexcept {
  return reinterpret_cast<SharedState*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

MainWindowState* StateOf(HWND hwnd) noexcept {
  SharedState* const holder = StateHolder(hwnd);
  return holder != nullptr ? holder->get() : nullptr;
}

void ReportEvent(HWND hwnd, const WindowEvent& event) {
  if (EventLoop* const loop = EventLoop::current()) {
    loop->send_window_event(hwnd, event);
  }
}

double ScaleFromDpi(std::uint32_t dpi) noexcept {
  return static_cast<double>(dpi) / static_cast<double>(kDefaultDpi);
}

LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      const auto* creator = static_cast<const SharedState*>(create->lpCreateParams);
      if (creator == nullptr) {
        break;  // not made by MainWindow::Create: a window without state
      }
      auto* holder = new (std::nothrow) SharedState(*creator);
      if (holder == nullptr) {
        return FALSE;  // the creation fails
      }
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(holder));
      break;
    }
    case WM_NCDESTROY: {
      SharedState* const holder = StateHolder(hwnd);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete holder;
      break;
    }
    case WM_DESTROY:
      if (MainWindowState* const state = StateOf(hwnd); state != nullptr && state->dropTarget) {
        ::RevokeDragDrop(hwnd);
      }
      break;
    case WM_SIZE: {
      // A minimised window has no client area to show.
      const bool minimized = wParam == SIZE_MINIMIZED;
      const std::uint32_t width = minimized ? 0u : LOWORD(lParam);
      const std::uint32_t height = minimized ? 0u : HIWORD(lParam);
      ReportEvent(hwnd, {WindowEvent::Kind::Resized, width, height});
      break;
    }
    case WM_CLOSE:
      // The application decides; the window is not destroyed by a close request.
      ReportEvent(hwnd, {WindowEvent::Kind::CloseRequested});
      return 0;
    case WM_DPICHANGED: {
      if (MainWindowState* const state = StateOf(hwnd)) {
        state->scaleFactor = ScaleFromDpi(LOWORD(wParam));
      }
      // The system suggests a rectangle that keeps the window's logical size on the new
      // monitor.
      if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
        ::SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                       suggested->right - suggested->left, suggested->bottom - suggested->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    }
    case kDestroyRequest:
      ::DestroyWindow(hwnd);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// Window procedures are called from the system, where no exception may pass: one escaping
// from the application's handler ends the program as any fatal failure does.
LRESULT CALLBACK MainWindowProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept {
  try {
    return HandleMessage(hwnd, message, wParam, lParam);
  } catch (const std::exception& error) {
    MIRVOT_FATAL(error.what());
  } catch (...) {
    MIRVOT_FATAL("unknown exception in a window event handler");
  }
}

void RegisterMainWindowClass(HINSTANCE module) noexcept {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProcedure;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kClassName;
  // Fails harmlessly when the class exists from an earlier window: that class is used.
  ::RegisterClassExW(&windowClass);
}

// OLE keeps the drop target until the window is destroyed. A thread that cannot host OLE
// (already in the multithreaded apartment) gets a window without file drops.
void RegisterFileDropTarget(HWND hwnd, MainWindowState& state) noexcept {
  Microsoft::WRL::ComPtr<IDropTarget> target = MakeFileDropTarget();
  if (target && SUCCEEDED(::RegisterDragDrop(hwnd, target.Get()))) {
    state.dropTarget = std::move(target);
  }
}

void AddMinimizeAndMaximizeBoxes(HWND hwnd) noexcept {
  const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
  ::SetWindowLongPtrW(hwnd, GWL_STYLE, style | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AdjustFrameForClient(RECT& rect, DWORD style, DWORD extendedStyle, UINT dpi) noexcept {
  using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi =
      FindFunction<AdjustForDpi>(User32Module(), "AdjustWindowRectExForDpi");
  if (adjustForDpi != nullptr) {
    adjustForDpi(&rect, style, FALSE, extendedStyle, dpi);
  } else {
    ::AdjustWindowRectEx(&rect, style, FALSE, extendedStyle);
  }
}

// Sizes the window so that its client area is the logical size at the window's scale.
void SetInnerSize(HWND hwnd, double logicalWidth, double logicalHeight,
                  std::uint32_t dpi) noexcept {
  const double scale = ScaleFromDpi(dpi);
  const std::uint32_t width =
      std::min(ClientSizeForLogical(logicalWidth, scale), kLargestClientExtent);
  const std::uint32_t height =
      std::min(ClientSizeForLogical(logicalHeight, scale), kLargestClientExtent);
  RECT rect{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_STYLE));
  const auto extendedStyle = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  AdjustFrameForClient(rect, style, extendedStyle, dpi);
  ::SetWindowPos(hwnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// The icon given is the small one (caption and taskbar); there is no separate big one. The big
// one is cleared first: Wine's window system converts both of a window's icons afresh for every
// WM_SETICON, so with the small icon set last the 256-pixel image is converted once, not twice.
void SetWindowIcon(HWND hwnd, const std::optional<IconImage>& image,
                   MainWindowState& state) noexcept {
  UniqueIcon icon = image ? CreateIconFromRgba(*image) : UniqueIcon();
  ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, 0);
  ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.get()));
  state.icon = std::move(icon);
}

}  // namespace

HRESULT MainWindow::Create(EventLoop& loop, const WindowAttributes& attributes,
                           std::unique_ptr<MainWindow>& window) noexcept {
  window.reset();
  if (::GetCurrentThreadId() != loop.thread_id()) {
    return RPC_E_WRONG_THREAD;
  }
  SharedState state;
  try {
    state = std::make_shared<MainWindowState>();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }

  // The thread becomes a single-threaded apartment, which drag and drop needs; this is never
  // undone, and a thread that already is one just counts another initialisation.
  static_cast<void>(::OleInitialize(nullptr));
  MIRVOT_STARTUP_MARK(OleInitialised);

  const HINSTANCE module = ::GetModuleHandleW(nullptr);
  RegisterMainWindowClass(module);
  const HWND hwnd =
      ::CreateWindowExW(kExtendedStyle, kClassName, attributes.title.c_str(), kStyle,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                        nullptr, module, &state);
  if (hwnd == nullptr) {
    const HRESULT error = LastErrorAsHResult();
    return FAILED(error) ? error : E_FAIL;
  }
  MIRVOT_STARTUP_MARK(MainWindowCreated);

  RegisterFileDropTarget(hwnd, *state);
  AddMinimizeAndMaximizeBoxes(hwnd);
  const std::uint32_t dpi = host_window_dpi(hwnd);
  state->scaleFactor = ScaleFromDpi(dpi);
  SetInnerSize(hwnd, attributes.inner_width, attributes.inner_height, dpi);
  // The icon goes on before the window is shown, so the first frame already has it and
  // showing does not wait for a second caption redraw.
  SetWindowIcon(hwnd, attributes.icon, *state);
  ::ShowWindow(hwnd, SW_SHOW);
  MIRVOT_STARTUP_MARK(MainWindowShown);

  window.reset(new (std::nothrow) MainWindow(hwnd, std::move(state)));
  if (!window) {
    ::DestroyWindow(hwnd);
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

MainWindow::MainWindow(HWND hwnd, std::shared_ptr<MainWindowState> state) noexcept
    : hwnd_(hwnd), state_(std::move(state)) {}

MainWindow::~MainWindow() {
  // Only while the handle still names this window: a window destroyed meanwhile may have
  // handed its handle on to another one.
  if (StateOf(hwnd_) == state_.get()) {
    ::PostMessageW(hwnd_, kDestroyRequest, 0, 0);
  }
}

double MainWindow::scale_factor() const noexcept { return state_->scaleFactor; }

}  // namespace mirvot
