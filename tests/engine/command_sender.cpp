// test_engine_command_sender <view window handle, hexadecimal> <command>
// Sends one command to a test engine view window of another process, as an end-to-end test
// would, and exits with what the window answered (1: understood, 0: refused); 2 for bad usage.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cwchar>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (arguments == nullptr || count != 3) {
    return 2;
  }
  wchar_t* end = nullptr;
  const unsigned long long handle = std::wcstoull(arguments[1], &end, 16);
  const std::wstring command = arguments[2];
  ::LocalFree(arguments);
  const HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle));
  if (end == nullptr || *end != L'\0' || !::IsWindow(window)) {
    return 2;
  }
  COPYDATASTRUCT data{};
  data.cbData = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
  data.lpData = const_cast<wchar_t*>(command.c_str());
  return ::SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) != 0 ? 1 : 0;
}
