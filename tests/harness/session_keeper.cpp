// Keeps Wine's desktop process alive for a whole test run. Wine starts that process for the
// first program that opens a window and ends it about a second after the last such program
// exits; a test program that inherited the start would then hold ctest's output pipe open for
// that second, so every GUI test would take a second longer. One hidden window, kept until the
// Wine session is stopped, avoids that. It shows nothing and handles no input.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = ::DefWindowProcW;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"MirvotTestSessionKeeper";
  ::RegisterClassExW(&windowClass);
  ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr,
                    instance, nullptr);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::DispatchMessageW(&message);
  }
  return 0;
}
