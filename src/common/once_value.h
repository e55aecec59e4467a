#pragma once
// A value worked out once per process, for code that any thread may reach first, such as the
// loader's look-ups of optional system functions.
//
// Outside MSVC the product's function-local statics have no guards (cmake/compiler-settings.cmake
// says why).
// The platform's one-time initialisation allocates nothing and cannot fail, so code that two
// threads may enter at once keeps its values through it.
#include <windows.h>

namespace mirvot {

// The value `Make` gives, computed on the first call by whichever thread comes first; every
// other caller waits for it and then gets the same object. T must be constant-initialisable
// (a struct of function pointers, a handle): nothing is left for a guard to do.
template <typename T, T (*Make)() noexcept>
[[nodiscard]] const T& OnceValue() noexcept {
  constinit static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
  // constinit makes the compiler refuse a T that would need initialising at run time.
  constinit static T value{};  // NOLINT(bugprone-dynamic-static-initializers)
  ::InitOnceExecuteOnce(
      &once,
      [](PINIT_ONCE /*once*/, PVOID /*parameter*/, PVOID* /*context*/) -> BOOL {
        value = Make();
        return TRUE;
      },
      nullptr, nullptr);
  return value;
}

}  // namespace mirvot
