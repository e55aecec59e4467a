#pragma once
// Makes the non-throwing operator new of this test program fail while an object of this type
// lives, as it does when memory runs out. The loader creates its COM objects that way; strings
// and containers use the throwing form and are not affected.
namespace mirvot::test {

class FailingNothrowAllocations {
 public:
  FailingNothrowAllocations() noexcept;
  ~FailingNothrowAllocations();
  FailingNothrowAllocations(const FailingNothrowAllocations&) = delete;
  FailingNothrowAllocations& operator=(const FailingNothrowAllocations&) = delete;

  // How many allocations were refused so far.
  [[nodiscard]] int refused() const noexcept;
};

}  // namespace mirvot::test
