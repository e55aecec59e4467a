#pragma once
// The engine's own module: its handle for window classes, and pinning it in memory.
#include <windows.h>

namespace mirvot::test_engine {

HINSTANCE EngineModule();

// Keeps this module loaded for the life of the process (see the creation export for why).
// Returns S_OK, or the error that stopped it.
HRESULT PinEngineModule();

}  // namespace mirvot::test_engine
