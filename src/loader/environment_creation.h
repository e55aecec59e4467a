#pragma once
// The loader's environment-creation entry: resolves the settings, finds the engine library,
// loads it and asks it to create the browser environment, trying once more when an attempt
// fails. Linked into the program; not exported.
#include <windows.h>

#include <cstdint>

#include "loader/create_environment_error_event.h"
#include "loader/loader_settings.h"
#include "loader/runtime_kind.h"
#include "webview2/webview2_interfaces.h"

// S_OK means the handler will be called exactly once, later, on this thread's message loop; a
// failure means it will never be called. E_POINTER for a null handler, before anything is read;
// E_OUTOFMEMORY, without calling the engine, when the loader's own handler cannot be made.
extern "C" HRESULT STDAPICALLTYPE CreateCoreWebView2EnvironmentWithOptions(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder,
    ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler) noexcept;

namespace mirvot {

// The entry with the ETW functions its error events go through given: the entry above passes
// SystemEventTracingFunctions().
[[nodiscard]] HRESULT CreateCoreWebView2EnvironmentWithTracing(
    const EventTracingFunctions& tracing, PCWSTR browserExecutableFolder, PCWSTR userDataFolder,
    ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler) noexcept;

// The engine library's creation export, "CreateWebViewEnvironmentWithOptionsInternal". The
// leading flag is always true.
using CreateWebViewEnvironmentWithOptionsInternalFunction =
    HRESULT(STDAPICALLTYPE*)(bool, std::int32_t runtimeKind, PCWSTR userDataFolder,
                             ICoreWebView2EnvironmentOptions* environmentOptions,
                             ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);

// One complete attempt: discovery, load, call. A failed attempt is reported as an error event
// unless the settings ask for Edge view mode.
[[nodiscard]] HRESULT TryCreateEnvironment(
    LoaderSettings settings, ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler,
    const EventTracingFunctions& tracing) noexcept;

// Loads the engine library and calls its creation export. Failures to load it or to find the
// export leave a line on the debugger output; a failure the engine returns is passed on as is.
[[nodiscard]] HRESULT LoadClientDllAndCreate(
    const wchar_t* clientDllPath, RuntimeKind kind, PCWSTR userDataFolder,
    ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) noexcept;

}  // namespace mirvot
