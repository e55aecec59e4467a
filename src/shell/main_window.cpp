#include "shell/main_window.h"

#include <ole2.h>
#include <wrl/client.h>

#include <algorithm>
#include <exception>
#include <new>
#include <optional>
#include <utility>

#include "common/hresult.h"
#include "common/optional_function.h"
#include "common/out_of_memory.h"
#include "common/own_messages.h"
#include "common/startup_marks.h"
#include "shell/core/view_size.h"
#include "shell/fatal.h"
#include "shell/file_drop_target.h"
#include "shell/host_dpi.h"
#include "shell/own_windows.h"

namespace mirvot {

struct MainWindowState {
  double scale_factor = 1.0;
  // The loop the window was created with, which its events go to.
  EventLoop::Link loop;
  // Where the window's DPI is read: the system's functions, or a test's.
  HostDpiFunctions dpi_functions;
  // Made by ~MainWindow just before it posts kDestroyRequest. The request's number is one that
  // any program can post to any window; only a request the program marked is carried out.
  std::optional<OwnMessage> destroy_request;
  // The window shows this icon; it must live as long as the window can.
  UniqueIcon icon;
  // Registered with OLE for the window's life; revoked when the window is destroyed.
  Microsoft::WRL::ComPtr<IDropTarget> drop_target;
};

namespace {

constexpr wchar_t kClassName[] = L"Window Class";
// A desktop window with a taskbar button that takes dropped files.
constexpr DWORD kExtendedStyle = WS_EX_WINDOWEDGE | WS_EX_ACCEPTFILES | WS_EX_APPWINDOW;
static_assert(kExtendedStyle == 0x00040110);
// Captioned, resizable, with the system menu; the minimise and maximise boxes are added once the
// window exists.
constexpr DWORD kStyle = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_SIZEBOX;
static_assert(kStyle == 0x06CC0000);
// Posted by ~MainWindow: the window destroys itself when the loop dispatches it, provided the
// request is the program's own (MainWindowState::destroy_request).
constexpr UINT kDestroyRequest = WM_APP + 1;
// The largest client extent asked for, leaving room for the frame in a 32-bit rectangle.
constexpr std::uint32_t kLargestClientExtent = 0x3FFFFFFF;

using SharedState = std::shared_ptr<MainWindowState>;

// The window's own reference to its state, kept in GWLP_USERDATA from WM_NCCREATE to
// WM_NCDESTROY.
SharedState* state_holder(HWND hwnd) noexcept {
  return reinterpret_cast<SharedState*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

MainWindowState* state_of(HWND hwnd) noexcept {
  SharedState* const holder = state_holder(hwnd);
  return holder != nullptr ? holder->get() : nullptr;
}

// The client area's current size in physical pixels; 0 x 0 while the window is minimised, which
// leaves no client area to show. None when the window cannot tell.
std::optional<WindowEvent> resize_to_current_client_area(HWND hwnd) noexcept {
  if (::IsIconic(hwnd)) {
    return WindowEvent{WindowEvent::Kind::Resized, 0, 0};
  }
  RECT client{};
  if (!::GetClientRect(hwnd, &client)) {
    return std::nullopt;
  }
  return WindowEvent{WindowEvent::Kind::Resized, static_cast<std::uint32_t>(client.right),
                     static_cast<std::uint32_t>(client.bottom)};
}

// The scale comes from the window's own DPI, not from the message: a copy of WM_DPICHANGED that
// another program sent or posted changes nothing. The rectangle is the system's only when the
// window's DPI really changed and the notice did not come through another thread's send (the
// system's comes on this thread): it keeps the window's logical size on the new monitor.
void take_dpi_change(HWND hwnd, MainWindowState& state, LPARAM suggestedRect) noexcept {
  const double scale = scale_from_dpi(host_window_dpi(hwnd, state.dpi_functions));
  const bool changed = scale != state.scale_factor;
  state.scale_factor = scale;
  const auto* suggested = reinterpret_cast<const RECT*>(suggestedRect);
  if (!changed || suggested == nullptr || ::InSendMessageEx(nullptr) != ISMEX_NOSEND) {
    return;
  }
  ::SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// To the loop the window was created with, while it exists.
void report_event(HWND hwnd, const WindowEvent& event) {
  const MainWindowState* const state = state_of(hwnd);
  if (state != nullptr && *state->loop != nullptr) {
    (*state->loop)->send_window_event(hwnd, event);
  }
}

LRESULT handle_message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      if (state_holder(hwnd) != nullptr) {
        // A copy: the window exists, and the creation data another program sent (the system
        // carries it across, pointers and all) neither replaces its state nor renames it.
        return TRUE;
      }
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      const auto* creator = static_cast<const SharedState*>(create->lpCreateParams);
      if (creator == nullptr) {
        break;  // not made by MainWindow::create: a window without state
      }
      auto* holder = new (std::nothrow) SharedState(*creator);
      if (holder == nullptr) {
        return FALSE;  // the creation fails
      }
      // A window that cannot keep its state would take no DPI change and never revoke its drop
      // target: its creation fails too. The previous value is 0, so only the last error tells.
      ::SetLastError(ERROR_SUCCESS);
      if (::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(holder)) == 0 &&
          ::GetLastError() != ERROR_SUCCESS) {
        delete holder;
        return FALSE;
      }
      break;
    }
    case WM_NCDESTROY: {
      if (!IsOwnMessage(hwnd, message)) {
        return 0;  // a copy: the window and its state live on, and so does its title
      }
      SharedState* const holder = state_holder(hwnd);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete holder;
      break;
    }
    case WM_DESTROY:
      if (!IsOwnMessage(hwnd, message)) {
        return 0;  // a copy: the drop target stays
      }
      if (MainWindowState* const state = state_of(hwnd); state != nullptr && state->drop_target) {
        ::RevokeDragDrop(hwnd);
      }
      break;
    case WM_SIZE:
      // The size is the window's own, not the message's: a copy of WM_SIZE that another
      // program sent or posted then only fits the view to the size the window has.
      if (const std::optional<WindowEvent> resized = resize_to_current_client_area(hwnd)) {
        report_event(hwnd, *resized);
      }
      break;
    case WM_CLOSE:
      // The application decides; the window is not destroyed by a close request.
      report_event(hwnd, {WindowEvent::Kind::CloseRequested});
      return 0;
    case WM_DPICHANGED:
      if (MainWindowState* const state = state_of(hwnd)) {
        take_dpi_change(hwnd, *state, lParam);
      }
      return 0;
    case kDestroyRequest:
      if (IsOwnMessage(hwnd, message)) {
        static_cast<void>(DestroyOwnWindow(hwnd));
      }
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// Window procedures are called from the system, where no exception may pass: one escaping
// from the application's handler ends the program as any fatal failure does.
LRESULT CALLBACK main_window_procedure(HWND hwnd, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept {
  try {
    return handle_message(hwnd, message, wParam, lParam);
  }
  MIRVOT_CATCH_FATAL("the main window's procedure")
}

void register_main_window_class(HINSTANCE module) noexcept {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = main_window_procedure;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kClassName;
  // Fails harmlessly when the class exists from an earlier window: that class is used.
  register_own_window_class(windowClass);
}

// OLE keeps the drop target until the window is destroyed. A thread that cannot host OLE
// (already in the multithreaded apartment) gets a window without file drops.
void register_file_drop_target(HWND hwnd, MainWindowState& state) noexcept {
  Microsoft::WRL::ComPtr<IDropTarget> target = make_file_drop_target();
  if (target && SUCCEEDED(::RegisterDragDrop(hwnd, target.Get()))) {
    state.drop_target = std::move(target);
  }
}

void add_minimize_and_maximize_boxes(HWND hwnd) noexcept {
  const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
  if (style == 0) {
    return;  // unreadable: the window keeps the style it was created with, caption and all
  }
  ::SetWindowLongPtrW(hwnd, GWL_STYLE, style | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void adjust_frame_for_client(RECT& rect, DWORD style, DWORD extendedStyle, UINT dpi) noexcept {
  using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi =
      FindLoadedFunction<AdjustForDpi>(L"user32.dll", "AdjustWindowRectExForDpi");
  if (adjustForDpi != nullptr) {
    adjustForDpi(&rect, style, FALSE, extendedStyle, dpi);
  } else {
    ::AdjustWindowRectEx(&rect, style, FALSE, extendedStyle);
  }
}

// Sizes the window so that its client area is the logical size at the window's scale.
void set_inner_size(HWND hwnd, double logicalWidth, double logicalHeight,
                    std::uint32_t dpi) noexcept {
  const double scale = scale_from_dpi(dpi);
  const std::uint32_t width =
      std::min(client_size_for_logical(logicalWidth, scale), kLargestClientExtent);
  const std::uint32_t height =
      std::min(client_size_for_logical(logicalHeight, scale), kLargestClientExtent);
  RECT rect{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_STYLE));
  const auto extendedStyle = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  adjust_frame_for_client(rect, style, extendedStyle, dpi);
  ::SetWindowPos(hwnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// The icon given is the small one (caption and taskbar); there is no separate big one. The big
// one is cleared first: Wine's window system converts both of a window's icons afresh for every
// WM_SETICON, so with the small icon set last the 256-pixel image is converted once, not twice.
void set_window_icon(HWND hwnd, const std::optional<IconImage>& image,
                     MainWindowState& state) noexcept {
  UniqueIcon icon = image ? create_icon_from_rgba(*image) : UniqueIcon();
  ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, 0);
  ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.get()));
  state.icon = std::move(icon);
}

}  // namespace

HRESULT MainWindow::create(EventLoop& loop, const WindowAttributes& attributes,
                           std::unique_ptr<MainWindow>& window) noexcept {
  return create(loop, attributes, window, system_host_dpi_functions());
}

HRESULT MainWindow::create(EventLoop& loop, const WindowAttributes& attributes,
                           std::unique_ptr<MainWindow>& window,
                           const HostDpiFunctions& dpiFunctions) noexcept {
  window.reset();
  if (::GetCurrentThreadId() != loop.thread_id()) {
    return RPC_E_WRONG_THREAD;
  }
  SharedState state =
      CatchOutOfMemory(SharedState(), [] { return std::make_shared<MainWindowState>(); });
  if (!state) {
    return E_OUTOFMEMORY;
  }
  state->loop = loop.link();
  state->dpi_functions = dpiFunctions;

  // The thread becomes a single-threaded apartment, which drag and drop needs; this is never
  // undone, and a thread that already is one just counts another initialisation.
  static_cast<void>(::OleInitialize(nullptr));
  MIRVOT_STARTUP_MARK(OleInitialised);

  const HINSTANCE module = ::GetModuleHandleW(nullptr);
  register_main_window_class(module);
  const HWND hwnd = ::CreateWindowExW(kExtendedStyle, kClassName, attributes.title.c_str(), kStyle,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                      nullptr, nullptr, module, &state);
  if (hwnd == nullptr) {
    return LastErrorAsFailure();
  }
  MIRVOT_STARTUP_MARK(MainWindowCreated);

  register_file_drop_target(hwnd, *state);
  add_minimize_and_maximize_boxes(hwnd);
  const std::uint32_t dpi = host_window_dpi(hwnd, dpiFunctions);
  state->scale_factor = scale_from_dpi(dpi);
  set_inner_size(hwnd, attributes.inner_width, attributes.inner_height, dpi);
  // The icon goes on before the window is shown, so the first frame already has it and
  // showing does not wait for a second caption redraw.
  set_window_icon(hwnd, attributes.icon, *state);
  ::ShowWindow(hwnd, SW_SHOW);
  MIRVOT_STARTUP_MARK(MainWindowShown);

  window.reset(new (std::nothrow) MainWindow(hwnd, std::move(state)));
  if (!window) {
    static_cast<void>(DestroyOwnWindow(hwnd));
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

MainWindow::MainWindow(HWND hwnd, std::shared_ptr<MainWindowState> state) noexcept
    : hwnd_(hwnd), state_(std::move(state)) {}

MainWindow::~MainWindow() {
  // Only while the handle still names this window: a window destroyed meanwhile may have
  // handed its handle on to another one.
  if (state_of(hwnd_) == state_.get()) {
    state_->destroy_request.emplace(hwnd_, kDestroyRequest);
    ::PostMessageW(hwnd_, kDestroyRequest, 0, 0);
  }
}

double MainWindow::scale_factor() const noexcept { return state_->scale_factor; }

}  // namespace mirvot
