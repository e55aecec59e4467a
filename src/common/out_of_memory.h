#pragma once
// The one boundary between code that may run out of memory (strings and containers throw
// std::bad_alloc) and the functions that must not throw: the work runs inside it, and a lack of
// memory becomes the result the function documents for that case.
#include <new>
#include <utility>

namespace mirvot {

// What `work` returns, or `whenOutOfMemory` when it throws std::bad_alloc.
template <typename Result, typename Work>
[[nodiscard]] Result CatchOutOfMemory(Result whenOutOfMemory, Work&& work) noexcept {
  try {
    return std::forward<Work>(work)();
  } catch (const std::bad_alloc&) {
    return whenOutOfMemory;
  }
}

}  // namespace mirvot
