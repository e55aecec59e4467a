#pragma once
// The probe's replacement of the global allocation functions: once refusals are switched on,
// every operator new fails as it does when memory runs out (the throwing forms throw
// std::bad_alloc, the others return null). Memory from C's malloc is not affected.
namespace mirvot::test {

void RefuseAllocations() noexcept;

}  // namespace mirvot::test
