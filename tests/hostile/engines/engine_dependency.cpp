// The one library the dependent engine imports besides the system's. It names the file it was
// loaded from on the debugger output, so that a test can tell which of its copies was chosen.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(self, path, MAX_PATH);
    ::OutputDebugStringW(L"engine dependency loaded from ");
    ::OutputDebugStringW(path);
    ::OutputDebugStringW(L"\n");
  }
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT EngineDependencyAnswer() { return E_NOTIMPL; }
