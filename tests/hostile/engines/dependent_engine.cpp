// An engine library that imports one more library (engine_dependency.cpp), for the tests of
// where the loader lets an engine's own dependencies come from. Its creation export answers
// with the dependency's code; it may be unloaded as soon as the loader is done with it, and its
// dependency goes with it.
#include <windows.h>

extern "C" __declspec(dllimport) HRESULT EngineDependencyAnswer();

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    CreateWebViewEnvironmentWithOptionsInternal(bool, INT32, PCWSTR, void*, void*) {
  return EngineDependencyAnswer();
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_OK; }
