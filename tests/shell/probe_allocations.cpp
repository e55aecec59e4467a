#include "probe_allocations.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// All state is constant-initialised: the C functions below run before any constructor does.
std::atomic<bool> g_refusing{false};
// Calls of operator new left before its refusals begin; negative: none are refused.
std::atomic<int> g_newsBeforeRefusal{-1};
std::atomic<std::size_t> g_cAllocationsLeft{mirvot::test::kUnlimited};
// 0: not asked yet; 1: large C allocations are refused until WinMain allows them; 2: they are
// not. Start-up runs on one thread, so asking twice at once cannot happen.
std::atomic<int> g_startup{0};

bool large_allocations_refused() noexcept {
  if (g_startup.load() == 0) {
    wchar_t value[2];
    g_startup =
        ::GetEnvironmentVariableW(L"MIRVOT_PROBE_EMPTY_EXCEPTION_POOL", value, 2) != 0 ? 1 : 2;
  }
  return g_startup.load() == 1;
}

constexpr std::size_t kLargeAllocation = 64 * 1024;

// Whether one more C allocation of `bytes` may succeed.
bool c_allocation_allowed(std::size_t bytes) noexcept {
  if (bytes >= kLargeAllocation && large_allocations_refused()) {
    return false;
  }
  if (!g_refusing.load()) {
    return true;
  }
  std::size_t left = g_cAllocationsLeft.load();
  while (left != 0) {
    if (left == mirvot::test::kUnlimited ||
        g_cAllocationsLeft.compare_exchange_weak(left, left - 1)) {
      return true;
    }
  }
  return false;
}

// The C runtime's own functions, found by name: this file defines the names the program links
// against (free stays the runtime's own, which takes back what they give). Looked up without a
// function-local static, whose guard would allocate.
template <typename Function>
Function crt_function(const char* name) noexcept {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"msvcrt.dll"), name)));
}

using MallocFunction = void*(__cdecl*)(std::size_t);
using CallocFunction = void*(__cdecl*)(std::size_t, std::size_t);

}  // namespace

extern "C" {

void* __cdecl malloc(std::size_t size) {
  return c_allocation_allowed(size) ? crt_function<MallocFunction>("malloc")(size) : nullptr;
}

void* __cdecl calloc(std::size_t count, std::size_t size) {
  return c_allocation_allowed(count * size) ? crt_function<CallocFunction>("calloc")(count, size)
                                            : nullptr;
}

}  // extern "C"

namespace {

void* allocate(std::size_t size) noexcept {
  if (g_newsBeforeRefusal.load() >= 0 && g_newsBeforeRefusal.fetch_sub(1) <= 0) {
    g_newsBeforeRefusal = 0;
    return nullptr;
  }
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* memory = allocate(size)) {
    return memory;
  }
  // The C++ runtime takes the exception object from malloc.
  std::size_t left = g_cAllocationsLeft.load();
  while (left != mirvot::test::kUnlimited &&
         !g_cAllocationsLeft.compare_exchange_weak(left, left + 1)) {
  }
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace mirvot::test {

void AllowAllocations() noexcept { g_startup = 2; }

void RefuseAllocations(std::size_t furtherCAllocations) noexcept {
  g_cAllocationsLeft = furtherCAllocations;
  g_refusing = true;
  g_newsBeforeRefusal = 0;
}

void RefuseAllocationsFrom(int count) noexcept { g_newsBeforeRefusal = count - 1; }

}  // namespace mirvot::test
