#include "loader_environment/failing_allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> g_failing{false};
std::atomic<int> g_refused{0};

}  // namespace

// The program's replacement of the non-throwing forms; the throwing ones stay the library's.
void* operator new(std::size_t size, const std::nothrow_t& /*tag*/) noexcept {
  if (g_failing.load()) {
    ++g_refused;
    return nullptr;
  }
  return std::malloc(size == 0 ? 1 : size);
}

void operator delete(void* pointer, const std::nothrow_t& /*tag*/) noexcept { std::free(pointer); }

namespace mirvot::test {

FailingNothrowAllocations::FailingNothrowAllocations() noexcept {
  g_refused = 0;
  g_failing = true;
}

FailingNothrowAllocations::~FailingNothrowAllocations() { g_failing = false; }

int FailingNothrowAllocations::refused() const noexcept { return g_refused.load(); }

}  // namespace mirvot::test
