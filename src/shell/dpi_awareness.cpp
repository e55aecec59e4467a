#include "shell/dpi_awareness.h"

#include "common/optional_function.h"
#include "common/startup_marks.h"

namespace mirvot {

const DpiAwarenessFunctions& system_dpi_awareness_functions() noexcept {
  static const DpiAwarenessFunctions found = [] {
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    DpiAwarenessFunctions functions;
    functions.set_process_dpi_awareness_context =
        FindFunction<decltype(functions.set_process_dpi_awareness_context)>(
            user32, "SetProcessDpiAwarenessContext");
    // shcore is loaded only on systems that lack the newer user32 function: the chain would not
    // reach it otherwise, and loading it costs start-up time.
    if (functions.set_process_dpi_awareness_context == nullptr) {
      functions.set_process_dpi_awareness =
          FindFunction<decltype(functions.set_process_dpi_awareness)>(
              LoadSystemLibrary(L"shcore.dll"), "SetProcessDpiAwareness");
    }
    functions.set_process_dpi_aware =
        FindFunction<decltype(functions.set_process_dpi_aware)>(user32, "SetProcessDPIAware");
    return functions;
  }();
  return found;
}

void declare_dpi_awareness(const DpiAwarenessFunctions& functions) noexcept {
  if (functions.set_process_dpi_awareness_context != nullptr) {
    // Systems before Windows 10 1703 know only the first per-monitor mode and refuse v2.
    if (!functions.set_process_dpi_awareness_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
      functions.set_process_dpi_awareness_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    }
  } else if (functions.set_process_dpi_awareness != nullptr) {
    functions.set_process_dpi_awareness(PROCESS_PER_MONITOR_DPI_AWARE);
  } else if (functions.set_process_dpi_aware != nullptr) {
    functions.set_process_dpi_aware();
  }
}

void declare_dpi_awareness() noexcept {
  static const bool declared = (declare_dpi_awareness(system_dpi_awareness_functions()), true);
  static_cast<void>(declared);
  MIRVOT_STARTUP_MARK(DpiAwarenessSet);
}

}  // namespace mirvot
