#include "engine_module.h"

#include "common/hresult.h"

namespace mirvot::test_engine {

HINSTANCE EngineModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&EngineModule), &module);
  return module;
}

HRESULT PinEngineModule() {
  // A pin is permanent and counts once however often it is asked for; the handle it gives
  // carries no reference that would need releasing.
  HMODULE module = nullptr;
  const BOOL pinned =
      ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&PinEngineModule), &module);
  return pinned ? S_OK : LastErrorAsFailure();
}

}  // namespace mirvot::test_engine
