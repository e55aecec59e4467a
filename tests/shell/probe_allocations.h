#pragma once
// The probe's replacement of the allocation functions, C++ and C. Once refusals are switched on,
// every operator new fails as it does when memory runs out (the throwing forms throw
// std::bad_alloc, the others return null); C's malloc and calloc go on working for as
// many more calls as the refusal allows, then fail as well, except that each std::bad_alloc the
// probe throws may have one C allocation for itself: without it no exception could be thrown.
//
// With MIRVOT_PROBE_EMPTY_EXCEPTION_POOL set in its environment, C allocations of 64 KiB and more
// fail until WinMain calls AllowAllocations. The C++ runtime reserves its emergency memory for
// exceptions (some 70 KiB) while the program is being set up, before WinMain, and is then left
// without; the start-up's other allocations are small and go through.
#include <cstddef>
#include <limits>

namespace mirvot::test {

inline constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

void AllowAllocations() noexcept;
void RefuseAllocations(std::size_t furtherCAllocations = kUnlimited) noexcept;
// Refuses operator new alone, from the `count`-th call on (1: the next one).
void RefuseAllocationsFrom(int count) noexcept;

}  // namespace mirvot::test
