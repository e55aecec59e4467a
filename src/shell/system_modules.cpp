#include "shell/system_modules.h"

#include "common/optional_function.h"

namespace mirvot {

HMODULE user32_module() noexcept {
  static const HMODULE module = ::GetModuleHandleW(L"user32.dll");
  return module;
}

HMODULE shcore_module() noexcept {
  static const HMODULE module = LoadSystemLibrary(L"shcore.dll");
  return module;
}

}  // namespace mirvot
