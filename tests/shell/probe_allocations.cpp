#include "probe_allocations.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Allocations left before refusals begin; negative: none are refused.
std::atomic<int> g_beforeRefusal{-1};

void* Allocate(std::size_t size) noexcept {
  if (g_beforeRefusal.load() >= 0 && g_beforeRefusal.fetch_sub(1) <= 0) {
    g_beforeRefusal = 0;
    return nullptr;
  }
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* memory = Allocate(size)) {
    return memory;
  }
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace mirvot::test {

void RefuseAllocations() noexcept { g_beforeRefusal = 0; }
void RefuseAllocationsFrom(int count) noexcept { g_beforeRefusal = count - 1; }

}  // namespace mirvot::test
