// OnceValue: the loader's look-ups may be reached by several threads first at the same time.
#include "common/once_value.h"

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace mirvot {
namespace {

std::atomic<int> g_computations{0};

// Slow enough that threads started together all arrive while the first is still computing.
int ComputeSlowly() noexcept {
  ++g_computations;
  ::Sleep(100);
  return 42;
}

TEST(OnceValueTest, ThreadsArrivingTogetherShareOneComputation) {
  std::vector<const int*> seen(4, nullptr);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&seen, i] { seen[i] = &OnceValue<int, &ComputeSlowly>(); });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(g_computations.load(), 1);
  for (const int* value : seen) {
    ASSERT_EQ(value, seen.front());
    EXPECT_EQ(*value, 42);
  }
}

}  // namespace
}  // namespace mirvot
