// The yardstick for Mirvot.exe's start-up: the least a Win32 program does to put a window of the
// same client size on the screen. It registers one class, creates and shows one 1280 x 800
// window and pumps messages until the window is closed. Nothing else: no DPI declaration, no
// icon, no C++ runtime work, so whatever Mirvot.exe takes beyond this is the price of its own
// start-up. (Once the window is shown it notes the time in a window property for the runner.)
#include <windows.h>

namespace {

constexpr wchar_t kClassName[] = L"MirvotBenchBaseline";
constexpr wchar_t kTitle[] = L"Mirvot Baseline";
constexpr int kClientWidth = 1280;
constexpr int kClientHeight = 800;
// Read by bench/startup_bench.cpp.
constexpr wchar_t kShownAtProperty[] = L"MirvotBenchShownAt";

LRESULT CALLBACK BaselineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = BaselineWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  if (::RegisterClassExW(&windowClass) == 0) {
    return 1;
  }

  // The same frame as Mirvot's main window, sized so that the client area is 1280 x 800.
  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
  constexpr DWORD kExStyle = WS_EX_WINDOWEDGE | WS_EX_APPWINDOW;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const HWND window = ::CreateWindowExW(
      kExStyle, kClassName, kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
      frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    return 1;
  }
  ::ShowWindow(window, SW_SHOWNORMAL);
  // For the benchmark only, after the window is up: when ShowWindow returned, the moment this
  // program could have done its next thing (the window is visible partway through ShowWindow,
  // which then still maps and activates it).
  FILETIME shownAt;
  ::GetSystemTimePreciseAsFileTime(&shownAt);
  const ULONGLONG shownTicks =
      (static_cast<ULONGLONG>(shownAt.dwHighDateTime) << 32) | shownAt.dwLowDateTime;
  ::SetPropW(window, kShownAtProperty,
             reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(shownTicks)));

  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
