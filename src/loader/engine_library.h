#pragma once
// Loading the engine library that discovery found and calling its creation export.
#include <windows.h>

#include <cstdint>

#include "webview2/webview2_interfaces.h"

namespace mirvot {

// How the engine library of an attempt was found; the engine receives this with the creation
// call.
enum class RuntimeKind : std::int32_t {
  Installed = 0,    // the installed runtimes were searched
  FixedFolder = 1,  // a browser executable folder was used
  EdgeView = 2,     // Edge view mode, whichever road found the library
};

// 1 + useEdgeView with a browser executable folder, 2 × useEdgeView without one.
[[nodiscard]] constexpr RuntimeKind RuntimeKindFor(bool browserExecutableFolderUsed,
                                                   bool useEdgeView) noexcept {
  const std::int32_t edgeView = useEdgeView ? 1 : 0;
  return static_cast<RuntimeKind>(browserExecutableFolderUsed ? 1 + edgeView : 2 * edgeView);
}

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
