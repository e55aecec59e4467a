// Writes its arguments to the debugger output and exits with a chosen code, so the harness can
// prove that its capture sees every piece, in order, narrow and wide, and the exact exit code.
//   debug_echo.exe <exit-code-hex> [A:text | W:text]...
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cwchar>

#include "common/fail_fast.h"

int main() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  const unsigned long code = argc > 1 ? std::wcstoul(argv[1], nullptr, 16) : 0;
  for (int i = 2; i < argc; ++i) {
    const wchar_t* arg = argv[i];
    if (arg[0] == L'A' && arg[1] == L':') {
      char narrow[512] = {};
      ::WideCharToMultiByte(CP_ACP, 0, arg + 2, -1, narrow, sizeof(narrow) - 1, nullptr, nullptr);
      ::OutputDebugStringA(narrow);
    } else if (arg[0] == L'W' && arg[1] == L':') {
      ::OutputDebugStringW(arg + 2);
    }
  }
  if (code == 0xC0000409UL) {
    // The fail-fast path, as the shell's fatal exit takes it.
    mirvot::FailFastFatalAppExit();
  }
  ::ExitProcess(static_cast<UINT>(code));
}
