#pragma once
// Loading the engine library that discovery found and calling its creation export.
#include <windows.h>

#include <cstdint>

#include "loader/runtime_kind.h"
#include "webview2/webview2_interfaces.h"

namespace mirvot {

// The engine library's creation export, "CreateWebViewEnvironmentWithOptionsInternal". The
// leading flag is always true.
using CreateWebViewEnvironmentWithOptionsInternalFunction =
    HRESULT(STDAPICALLTYPE*)(bool, std::int32_t runtimeKind, PCWSTR userDataFolder,
                             ICoreWebView2EnvironmentOptions* environmentOptions,
                             ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);

// Loads the engine library and calls its creation export. Failures to load it or to find the
// export leave a line on the debugger output; a failure the engine returns is passed on as is.
[[nodiscard]] HRESULT LoadClientDllAndCreate(
    const wchar_t* clientDllPath, RuntimeKind kind, PCWSTR userDataFolder,
    ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) noexcept;

}  // namespace mirvot
