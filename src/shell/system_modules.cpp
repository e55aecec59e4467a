#include "shell/system_modules.h"

#include "common/owners.h"

namespace mirvot {

HMODULE user32_module() noexcept {
  static const HMODULE module = ::GetModuleHandleW(L"user32.dll");
  return module;
}

HMODULE shcore_module() noexcept {
  static const UniqueModule module(
      ::LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  return module.get();
}

}  // namespace mirvot
