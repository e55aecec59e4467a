#pragma once
// The loader's environment-creation entry: resolves the settings once, then makes the
// creation's attempts (environment_attempt.h). Linked into the program; not exported.
#include <windows.h>

#include "loader/create_environment_error_event.h"
#include "webview2/webview2_interfaces.h"

// S_OK means the handler will be called exactly once, later, on this thread's message loop; a
// failure means it will never be called. E_POINTER for a null handler, before anything is read;
// E_OUTOFMEMORY, without calling the engine, when the loader's own handler cannot be made.
extern "C" HRESULT STDAPICALLTYPE CreateCoreWebView2EnvironmentWithOptions(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder,
    ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler) noexcept;

namespace mirvot {

using ::CreateCoreWebView2EnvironmentWithOptions;

// The entry with the ETW functions its error events go through: the entry above passes
// SystemEventTracingFunctions().
[[nodiscard]] HRESULT CreateCoreWebView2EnvironmentWithOptions(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder,
    ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler,
    const EventTracingFunctions& tracing) noexcept;

}  // namespace mirvot
