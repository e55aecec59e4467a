#pragma once
// Operating-system functions that older systems lack are looked up by name, once. Code that any
// thread may reach (the loader) keeps the result through OnceValue (common/once_value.h), which
// is safe when two threads arrive together; the shell, whose code runs on the main thread only,
// keeps it in a function-local static:
//   static const auto fn = FindFunction<decltype(&::Name)>(module, "Name");
#include <windows.h>

namespace mirvot {

template <typename Fn>
[[nodiscard]] Fn FindFunction(HMODULE module, const char* name) noexcept {
  if (module == nullptr) {
    return nullptr;
  }
  const FARPROC proc = ::GetProcAddress(module, name);
  // Through void(*)() so that compilers accept the cast between unrelated function types.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

// A system library to look functions up in, loaded from the system folder only, never from the
// application's. It is never freed: the addresses taken from it are kept for the life of the
// process, and so is the library. Null when it does not load.
[[nodiscard]] inline HMODULE LoadSystemLibrary(const wchar_t* name) noexcept {
  return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// A module the process has already loaded (user32, kernel32, kernelbase...).
template <typename Fn>
[[nodiscard]] Fn FindLoadedFunction(const wchar_t* module, const char* name) noexcept {
  return FindFunction<Fn>(::GetModuleHandleW(module), name);
}

}  // namespace mirvot
