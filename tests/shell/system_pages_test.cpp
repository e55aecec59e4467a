#include "shell/system_pages.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

namespace mirvot {
namespace {

bool IsFree(const void* block) {
  MEMORY_BASIC_INFORMATION region{};
  return ::VirtualQuery(block, &region, sizeof(region)) != 0 && region.State == MEM_FREE;
}

TEST(SystemPages, ResizingKeepsTheLeadingBytesAndGivesTheOldBlockBack) {
  struct Case {
    std::size_t from;
    std::size_t to;
  };
  for (const Case& change : {Case{100, 300000}, Case{300000, 100}, Case{4096, 4096}}) {
    auto* const block = static_cast<std::uint8_t*>(allocate_system_pages(change.from));
    ASSERT_NE(block, nullptr);
    for (std::size_t i = 0; i < change.from; ++i) {
      block[i] = static_cast<std::uint8_t>(i * 7);
    }
    auto* const resized =
        static_cast<std::uint8_t*>(resize_system_pages(block, change.from, change.to));
    ASSERT_NE(resized, nullptr);
    const std::size_t kept = change.from < change.to ? change.from : change.to;
    for (std::size_t i = 0; i < kept; ++i) {
      ASSERT_EQ(resized[i], static_cast<std::uint8_t>(i * 7)) << change.from << " -> " << change.to;
    }
    resized[change.to - 1] = 1;  // the whole new size is usable
    EXPECT_TRUE(IsFree(block));
    free_system_pages(resized);
    EXPECT_TRUE(IsFree(resized));
  }
}

TEST(SystemPages, ResizingNothingOnlyAllocatesAndZeroBytesStillGiveABlock) {
  void* const fresh = resize_system_pages(nullptr, 0, 64);
  ASSERT_NE(fresh, nullptr);
  std::memset(fresh, 0xAB, 64);
  free_system_pages(fresh);
  void* const empty = allocate_system_pages(0);
  EXPECT_NE(empty, nullptr);
  free_system_pages(empty);
  free_system_pages(nullptr);
}

TEST(SystemPages, AContainerGivesItsBufferBackWhenItGrowsAndWhenItIsGone) {
  const void* first = nullptr;
  const void* second = nullptr;
  {
    std::vector<std::uint8_t, SystemPageAllocator<std::uint8_t>> bytes(16, 1);
    first = bytes.data();
    bytes.resize(1 << 20, 2);
    second = bytes.data();
    EXPECT_EQ(bytes[15], 1);
    EXPECT_EQ(bytes.back(), 2);
    EXPECT_TRUE(IsFree(first));
  }
  EXPECT_TRUE(IsFree(second));
}

}  // namespace
}  // namespace mirvot
