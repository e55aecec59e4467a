#pragma once
// The probe's replacement of the global allocation functions: once refusals are switched on,
// every operator new fails as it does when memory runs out (the throwing forms throw
// std::bad_alloc, the others return null). Memory from C's malloc is not affected.
namespace mirvot::test {

void RefuseAllocations() noexcept;
// The same from the `count`-th allocation on (1: the next one).
void RefuseAllocationsFrom(int count) noexcept;

}  // namespace mirvot::test
