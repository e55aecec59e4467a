#include "loader/engine_library.h"

#include <string>

#include "common/core/hresult_format.h"
#include "common/hresult.h"
#include "common/optional_function.h"
#include "common/out_of_memory.h"
#include "common/owners.h"
#include "common/startup_marks.h"
#include "common/wide_text.h"

namespace mirvot {
namespace {

constexpr HRESULT kModuleNotFound = HResultFromWin32Code(ERROR_MOD_NOT_FOUND);
static_assert(kModuleNotFound == static_cast<HRESULT>(0x8007007E));

// Writes the HRESULT's eight hexadecimal digits as one piece.
void WriteHResultDigits(HRESULT hr) noexcept {
  // Without memory for eight digits the line goes out without them.
  static_cast<void>(CatchOutOfMemory(false, [&] {
    const std::u16string digits = FormatHResultHexUtf16(static_cast<std::uint32_t>(hr));
    const std::wstring text(AsWide(digits));
    ::OutputDebugStringW(text.c_str());
    return true;
  }));
}

void WriteLoadLibraryFailure(HRESULT hr, const wchar_t* clientDllPath) noexcept {
  ::OutputDebugStringW(
      L"WebView2: CoreWebView2Environment failed when trying to LoadLibrary: hr=0x");
  WriteHResultDigits(hr);
  ::OutputDebugStringW(L" path=");
  ::OutputDebugStringW(clientDllPath);
  if (hr == kModuleNotFound) {
    ::OutputDebugStringW(
        L"\nWebView2: This error (0x8007007E) typically indicates missing binaries or an "
        L"architecture mismatch. Please ensure the correct binaries (WebView2Loader.dll, "
        L"EmbeddedBrowserWebView.dll, etc.) for the target architecture (x86/x64/ARM64) are "
        L"deployed");
  }
  ::OutputDebugStringW(L"\n");
}

void WriteMissingExport(HRESULT hr) noexcept {
  ::OutputDebugStringW(
      L"WebView2: CoreWebView2Environment failed when trying to call into "
      L"EmbeddedBrowserWebView.dll. hr=0x");
  WriteHResultDigits(hr);
  ::OutputDebugStringW(L"\n");
}

}  // namespace

HRESULT LoadClientDllAndCreate(
    const wchar_t* clientDllPath, RuntimeKind kind, PCWSTR userDataFolder,
    ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) noexcept {
  UniqueModule module(::LoadLibraryW(clientDllPath));
  if (!module) {
    const HRESULT hr = LastErrorAsFailure();
    WriteLoadLibraryFailure(hr, clientDllPath);
    return hr;
  }
  MIRVOT_STARTUP_MARK(EngineLibraryLoaded);

  HRESULT hr = S_OK;
  const auto createEnvironment = FindFunction<CreateWebViewEnvironmentWithOptionsInternalFunction>(
      module.get(), "CreateWebViewEnvironmentWithOptionsInternal");
  if (createEnvironment != nullptr) {
    MIRVOT_STARTUP_MARK(CreationCall);
    hr = createEnvironment(true, static_cast<std::int32_t>(kind), userDataFolder,
                           environmentOptions, handler);
  } else {
    hr = LastErrorAsFailure();
    WriteMissingExport(hr);
  }

  // A library that can say whether it may be unloaded keeps itself alive while it needs to, so
  // the loader's reference can go now. One that cannot stays loaded for the life of the
  // process: it may still be running code on the engine's behalf.
  if (::GetProcAddress(module.get(), "DllCanUnloadNow") != nullptr) {
    module.reset();
  } else {
    static_cast<void>(module.release());
  }
  return hr;
}

}  // namespace mirvot
