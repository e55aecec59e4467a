#include "loader/engine_library.h"

#include "common/core/hresult_format.h"
#include "common/debug_output.h"
#include "common/hresult.h"
#include "common/optional_function.h"
#include "common/owners.h"
#include "common/startup_marks.h"

namespace mirvot {
namespace {

constexpr HRESULT kModuleNotFound = HResultFromWin32Code(ERROR_MOD_NOT_FOUND);
static_assert(kModuleNotFound == static_cast<HRESULT>(0x8007007E));

constexpr DWORD kEngineLibrarySearch =
    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;
static_assert(kEngineLibrarySearch == 0x00001100);

constexpr char kArchitectureHint[] =
    "\nWebView2: This error (0x8007007E) typically indicates missing binaries or an architecture "
    "mismatch. Please ensure the correct binaries (WebView2Loader.dll, EmbeddedBrowserWebView.dll, "
    "etc.) for the target architecture (x86/x64/ARM64) are deployed";

void WriteLoadLibraryFailure(HRESULT hr, const wchar_t* clientDllPath) noexcept {
  const auto digits = HResultHexDigits(static_cast<std::uint32_t>(hr));
  WriteDebugMessage(
      {Narrow("WebView2: CoreWebView2Environment failed when trying to LoadLibrary: hr=0x"),
       Narrow(digits.data()), Narrow(" path="), Wide(clientDllPath),
       Narrow(hr == kModuleNotFound ? kArchitectureHint : nullptr), Narrow("\n")});
}

void WriteMissingExport(HRESULT hr) noexcept {
  const auto digits = HResultHexDigits(static_cast<std::uint32_t>(hr));
  WriteDebugMessage({Narrow("WebView2: CoreWebView2Environment failed when trying to call into "
                            "EmbeddedBrowserWebView.dll. hr=0x"),
                     Narrow(digits.data()), Narrow("\n")});
}

}  // namespace

HRESULT LoadClientDllAndCreate(
    const wchar_t* clientDllPath, RuntimeKind kind, PCWSTR userDataFolder,
    ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) noexcept {
  // By its full path, with the libraries it needs taken from its own folder first, then from
  // the application's folder and System32; never from the current directory or PATH, which
  // whoever starts the program controls.
  UniqueModule module(::LoadLibraryExW(clientDllPath, nullptr, kEngineLibrarySearch));
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
