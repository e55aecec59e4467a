#pragma once
// Strings the engine hands out are CoTaskMemAlloc copies that the receiver frees. One owner
// for them, in the style of the handle owners, so no code frees them by hand.
#include <windows.h>
#include <combaseapi.h>

#include <string>

#include "common/owners.h"

namespace mirvot {

struct TaskMemoryStringTraits {
  using Handle = LPWSTR;
  static Handle Invalid() noexcept { return nullptr; }
  static void Free(Handle h) noexcept { ::CoTaskMemFree(h); }
};

using UniqueTaskMemoryString = UniqueOwner<TaskMemoryStringTraits>;

// The owned text; a null string reads as empty.
inline std::wstring TextOf(const UniqueTaskMemoryString& text) {
  return text ? std::wstring(text.get()) : std::wstring();
}

}  // namespace mirvot
