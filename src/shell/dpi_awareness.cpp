#include "shell/dpi_awareness.h"

#include "common/optional_function.h"
#include "common/startup_marks.h"
#include "shell/system_modules.h"

namespace mirvot {

DpiAwarenessFunctions FindDpiAwarenessFunctions() noexcept {
  DpiAwarenessFunctions functions;
  functions.setProcessDpiAwarenessContext =
      FindFunction<decltype(functions.setProcessDpiAwarenessContext)>(
          User32Module(), "SetProcessDpiAwarenessContext");
  // shcore is loaded only on systems that lack the newer user32 function: the chain would not
  // reach it otherwise, and loading it costs start-up time.
  if (functions.setProcessDpiAwarenessContext == nullptr) {
    functions.setProcessDpiAwareness = FindFunction<decltype(functions.setProcessDpiAwareness)>(
        ShcoreModule(), "SetProcessDpiAwareness");
  }
  functions.setProcessDpiAware =
      FindFunction<decltype(functions.setProcessDpiAware)>(User32Module(), "SetProcessDPIAware");
  return functions;
}

void DeclareDpiAwareness(const DpiAwarenessFunctions& functions) noexcept {
  constexpr int kProcessPerMonitorDpiAware = 2;  // PROCESS_PER_MONITOR_DPI_AWARE
  if (functions.setProcessDpiAwarenessContext != nullptr) {
    // Systems before Windows 10 1703 know only the first per-monitor mode and refuse v2.
    if (!functions.setProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
      functions.setProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    }
  } else if (functions.setProcessDpiAwareness != nullptr) {
    functions.setProcessDpiAwareness(kProcessPerMonitorDpiAware);
  } else if (functions.setProcessDpiAware != nullptr) {
    functions.setProcessDpiAware();
  }
}

void DeclareProcessDpiAwareness() noexcept {
  static const bool declared = (DeclareDpiAwareness(FindDpiAwarenessFunctions()), true);
  static_cast<void>(declared);
  MIRVOT_STARTUP_MARK(DpiAwarenessSet);
}

}  // namespace mirvot
