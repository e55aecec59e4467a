#include "shell/dll_search.h"

#include "common/optional_function.h"

namespace mirvot {

static_assert(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS == 0x00001000);

const DllSearchFunctions& system_dll_search_functions() noexcept {
  static const DllSearchFunctions found = [] {
    DllSearchFunctions functions;
    functions.set_default_dll_directories =
        FindLoadedFunction<decltype(functions.set_default_dll_directories)>(
            L"kernel32.dll", "SetDefaultDllDirectories");
    return functions;
  }();
  return found;
}

void restrict_dll_search(const DllSearchFunctions& functions) noexcept {
  if (functions.set_default_dll_directories != nullptr) {
    static_cast<void>(functions.set_default_dll_directories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS));
  }
}

void restrict_dll_search() noexcept { restrict_dll_search(system_dll_search_functions()); }

}  // namespace mirvot
