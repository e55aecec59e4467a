#pragma once
// The process declares itself per-monitor DPI aware before it creates any window, so that the
// system neither scales its windows as bitmaps nor lies to it about sizes. The executable has
// no manifest; this declaration alone decides.
#include <windows.h>

namespace mirvot {

// The system functions that can declare the awareness, best first; null where the system lacks
// one.
struct DpiAwarenessFunctions {
  BOOL(WINAPI* setProcessDpiAwarenessContext)(DPI_AWARENESS_CONTEXT) = nullptr;  // user32
  HRESULT(WINAPI* setProcessDpiAwareness)(int) = nullptr;  // shcore; 2 is per-monitor
  BOOL(WINAPI* setProcessDpiAware)() = nullptr;           // user32; system aware only
};

// The functions this system has, looked up by name.
[[nodiscard]] DpiAwarenessFunctions FindDpiAwarenessFunctions() noexcept;

// Declares the awareness with the best function present: per-monitor v2, and per-monitor
// (v1) when v2 is refused; else shcore's per-monitor awareness; else plain DPI awareness;
// else nothing. Apart from the one retry, results are ignored: a process that already has its
// awareness keeps it.
void DeclareDpiAwareness(const DpiAwarenessFunctions& functions) noexcept;

// DeclareDpiAwareness with this system's functions, once per process.
void DeclareProcessDpiAwareness() noexcept;

}  // namespace mirvot
