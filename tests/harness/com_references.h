#pragma once
// A COM object's reference count as its own AddRef and Release report it, for fakes that check
// who holds them.
#include <windows.h>

namespace mirvot::test {

template <typename T>
[[nodiscard]] LONG ReferencesOf(const T& object) {
  auto& counted = const_cast<T&>(object);
  counted.AddRef();
  return static_cast<LONG>(counted.Release());
}

}  // namespace mirvot::test
