#pragma once
// Operating-system functions that older systems lack are looked up by name. Callers keep the
// result in a function-local static, which the language initialises once even when two threads
// arrive together:  static const auto fn = FindFunction<decltype(&::Name)>(module, "Name");
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

// A module the process has already loaded (user32, kernel32, kernelbase...).
template <typename Fn>
[[nodiscard]] Fn FindLoadedFunction(const wchar_t* module, const char* name) noexcept {
  return FindFunction<Fn>(::GetModuleHandleW(module), name);
}

}  // namespace mirvot
