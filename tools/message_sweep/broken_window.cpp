// A deliberately broken stand-in for the message sweep's own check: a window like the program's
// main window whose procedure reads WM_DPICHANGED's rectangle wherever the message came from, so
// that a delivery whose pointer means nothing here must show as a crash. It tells the sweep its
// view is ready with the two lines the test engine would log for the program's view.
#include <windows.h>

namespace {

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DPICHANGED && lParam != 0) {
    const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);  // the fault: trusted
    ::SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  if (message == WM_CLOSE) {
    ::ExitProcess(0);
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void log_view_ready() {
  wchar_t path[MAX_PATH] = {};
  if (::GetEnvironmentVariableW(L"MIRVOT_TEST_ENGINE_LOG", path, MAX_PATH) == 0) {
    return;
  }
  const HANDLE log = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  constexpr char kLines[] =
      "webview.Navigate \"https://stand-in.example/\"\n"
      "controller.put_Bounds 0 0 0 0\n";
  DWORD written = 0;
  ::WriteFile(log, kLines, sizeof(kLines) - 1, &written, nullptr);
  ::CloseHandle(log);
}

}  // namespace

int main() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"Window Class";
  ::RegisterClassExW(&windowClass);
  const HWND window =
      ::CreateWindowExW(0, windowClass.lpszClassName, L"Mirvot", WS_OVERLAPPEDWINDOW, 0, 0, 640,
                        480, nullptr, nullptr, windowClass.hInstance, nullptr);
  ::ShowWindow(window, SW_SHOW);
  log_view_ready();
  MSG message{};
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::DispatchMessageA(&message);
  }
  return 0;
}
