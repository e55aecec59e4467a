// An engine library whose initialisation refuses to run: DllMain answers FALSE at process
// attach, so LoadLibraryW fails with ERROR_DLL_INIT_FAILED although the file is a sound DLL
// with the creation export.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    CreateWebViewEnvironmentWithOptionsInternal(bool, INT32, PCWSTR, void*, void*) {
  return E_UNEXPECTED;
}
