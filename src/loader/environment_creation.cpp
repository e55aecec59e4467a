#include "loader/environment_creation.h"

#include <wrl/client.h>

#include <string>

#include "common/core/hresult_format.h"
#include "common/hresult.h"
#include "common/optional_function.h"
#include "common/out_of_memory.h"
#include "common/owners.h"
#include "common/startup_marks.h"
#include "common/wide_text.h"
#include "loader/create_environment_error_event.h"
#include "loader/environment_completed_retry_handler.h"
#include "loader/runtime_discovery.h"
#include "loader/settings_resolution.h"

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

HRESULT TryCreateEnvironment(LoaderSettings settings,
                             ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler,
                             const EventTracingFunctions& tracing) noexcept {
  const bool folderGiven =
      settings.browserExecutableFolder != nullptr && settings.browserExecutableFolder[0] != L'\0';
  const RuntimeKind kind = RuntimeKindFor(folderGiven, settings.useEdgeView);

  std::wstring clientDllPath;
  const HRESULT found = folderGiven
                            ? FindClientDllInFolder(settings.browserExecutableFolder, clientDllPath)
                            : FindInstalledRuntime(settings, clientDllPath);

  HRESULT hr = found;
  if (found == S_OK) {
    MIRVOT_STARTUP_MARK(RuntimeFound);
    hr = LoadClientDllAndCreate(clientDllPath.c_str(), kind, settings.userDataFolder,
                                settings.environmentOptions, handler);
    if (SUCCEEDED(hr)) {
      return hr;
    }
  }

  if (!settings.useEdgeView) {
    ReportCreateEnvironmentError(tracing, hr, found == S_OK, kind == RuntimeKind::Installed);
  }
  return hr;
}

HRESULT CreateCoreWebView2EnvironmentWithTracing(
    const EventTracingFunctions& tracing, PCWSTR browserExecutableFolder, PCWSTR userDataFolder,
    ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*
        environmentCreatedHandler) noexcept {
  if (environmentCreatedHandler == nullptr) {
    return E_POINTER;
  }

  LoaderSettings settings;
  settings.browserExecutableFolder = browserExecutableFolder;
  settings.userDataFolder = userDataFolder;
  settings.environmentOptions = environmentOptions;

  // Texts found in variables and policies live here until this call returns; the handler
  // keeps copies of its own for a retry that runs later.
  ResolvedTextStorage resolvedTexts;
  ResolveLoaderSettings(settings, resolvedTexts);
  MIRVOT_STARTUP_MARK(LoaderSettingsResolved);

  // Without a handler of its own the loader cannot keep its promise: an engine that accepted
  // the call would have no one to call, and the caller would wait for ever.
  const Microsoft::WRL::ComPtr<EnvironmentCompletedRetryHandler> retryHandler =
      EnvironmentCompletedRetryHandler::Create(settings, environmentCreatedHandler, tracing);
  if (!retryHandler) {
    return E_OUTOFMEMORY;
  }

  HRESULT hr = TryCreateEnvironment(settings, retryHandler.Get(), tracing);
  // Everything once more, discovery included; unless an engine that broke its contract has
  // already completed inside the failed call: the caller has its one outcome, and nothing a
  // second attempt brings could reach it.
  if (FAILED(hr) && !retryHandler->CallerNotified()) {
    hr = TryCreateEnvironment(settings, retryHandler.Get(), tracing);
  }
  // An engine that accepted the call holds its own reference to the handler; the entry's goes
  // when retryHandler leaves scope.
  return hr;
}

}  // namespace mirvot

extern "C" HRESULT STDAPICALLTYPE
CreateCoreWebView2EnvironmentWithOptions(PCWSTR browserExecutableFolder, PCWSTR userDataFolder,
                                         ICoreWebView2EnvironmentOptions* environmentOptions,
                                         ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*
                                             environmentCreatedHandler) noexcept {
  return mirvot::CreateCoreWebView2EnvironmentWithTracing(
      mirvot::SystemEventTracingFunctions(), browserExecutableFolder, userDataFolder,
      environmentOptions, environmentCreatedHandler);
}
