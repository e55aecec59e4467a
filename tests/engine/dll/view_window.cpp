#include "view_window.h"

#include <string>

#include "core_view.h"
#include "engine/test_engine_control.h"
#include "engine_log.h"
#include "engine_module.h"
#include "engine_timing.h"

namespace mirvot::test_engine {
namespace {

CoreView* ViewOf(HWND window) {
  return reinterpret_cast<CoreView*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

void PaintUrl(HWND window, const std::wstring& url) {
  PAINTSTRUCT paint;
  const HDC dc = ::BeginPaint(window, &paint);
  if (dc == nullptr) {
    return;
  }
  RECT client;
  ::GetClientRect(window, &client);
  ::FillRect(dc, &client, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
  ::SetBkMode(dc, TRANSPARENT);
  ::DrawTextW(dc, url.c_str(), static_cast<int>(url.size()), &client,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  ::EndPaint(window, &paint);
}

std::wstring CopyDataText(const COPYDATASTRUCT* data) {
  if (data == nullptr || data->lpData == nullptr || data->cbData < sizeof(wchar_t)) {
    return {};
  }
  std::wstring text(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
  const size_t end = text.find(L'\0');
  if (end != std::wstring::npos) {
    text.resize(end);
  }
  return text;
}

LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const EngineWorkScope working;
  CoreView* view = ViewOf(window);
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_PAINT:
      if (view != nullptr) {
        PaintUrl(window, view->url());
        return 0;
      }
      break;
    case WM_COPYDATA:
      return view != nullptr &&
             view->QueueCommand(CopyDataText(reinterpret_cast<const COPYDATASTRUCT*>(lParam)));
    case kTestEngineViewPing:
      WriteLogLine("view.ping " + std::to_string(wParam));
      return 0;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      if (view != nullptr) {
        view->OnWindowDestroyed();
      }
      break;
    default:
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterViewWindowClass() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = ViewWindowProc;
  windowClass.hInstance = EngineModule();
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  windowClass.lpszClassName = kViewWindowClass;
  return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND CreateViewWindow(HWND parent, CoreView* view) {
  static const bool registered = RegisterViewWindowClass();
  if (!registered) {
    return nullptr;
  }
  return ::CreateWindowExW(0, kViewWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                           0, 0, parent, nullptr, EngineModule(), view);
}

void DetachViewWindow(HWND window) { ::SetWindowLongPtrW(window, GWLP_USERDATA, 0); }

std::optional<ViewCommand> ParseViewCommand(std::wstring_view text) {
  constexpr std::wstring_view kNewWindow = L"newwindow ";
  constexpr std::wstring_view kDownload = L"download ";
  ViewCommand command;
  if (text == L"close") {
    command.kind = ViewCommand::Kind::Close;
    return command;
  }
  if (text.substr(0, kNewWindow.size()) == kNewWindow) {
    command.kind = ViewCommand::Kind::NewWindow;
    command.uri = text.substr(kNewWindow.size());
    return command;
  }
  if (text.substr(0, kDownload.size()) == kDownload) {
    const std::wstring_view rest = text.substr(kDownload.size());
    const size_t bar = rest.rfind(L'|');
    if (bar == std::wstring_view::npos) {
      return std::nullopt;
    }
    command.kind = ViewCommand::Kind::Download;
    command.uri = rest.substr(0, bar);
    command.path = rest.substr(bar + 1);
    return command;
  }
  return std::nullopt;
}

}  // namespace mirvot::test_engine
