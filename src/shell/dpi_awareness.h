#pragma once
// The process declares itself per-monitor DPI aware before it creates any window, so that the
// system neither scales its windows as bitmaps nor lies to it about sizes. The executable has
// no manifest; this declaration alone decides.
#include <windows.h>
#include <shellscalingapi.h>

namespace mirvot {

// The system functions that can declare the awareness, best first; null where the system lacks
// one.
struct DpiAwarenessFunctions {
  BOOL(WINAPI* set_process_dpi_awareness_context)(DPI_AWARENESS_CONTEXT) = nullptr;  // user32
  HRESULT(WINAPI* set_process_dpi_awareness)(PROCESS_DPI_AWARENESS) = nullptr;       // shcore
  BOOL(WINAPI* set_process_dpi_aware)() = nullptr;  // user32; system aware only
};

// The functions this system has, looked up by name once.
[[nodiscard]] const DpiAwarenessFunctions& system_dpi_awareness_functions() noexcept;

// Declares the awareness with the best function present: per-monitor v2, and per-monitor
// (v1) when v2 is refused; else shcore's per-monitor awareness; else plain DPI awareness;
// else nothing. Apart from the one retry, results are ignored: a process that already has its
// awareness keeps it.
void declare_dpi_awareness(const DpiAwarenessFunctions& functions) noexcept;

// With this system's functions, once per process.
void declare_dpi_awareness() noexcept;

}  // namespace mirvot
