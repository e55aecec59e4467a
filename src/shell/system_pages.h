#pragma once
// Whole pages straight from the system, for large buffers that live only briefly (the decoded
// window icon and the decoder's work space): freeing them gives the memory back to the system,
// where a freed heap block of that size would leave its pages with the process.
#include <cstddef>
#include <limits>
#include <new>

namespace mirvot {

// A block of at least `bytes` (one page for 0); null when the system has no memory left.
[[nodiscard]] void* allocate_system_pages(std::size_t bytes) noexcept;

// Gives a block from allocate_system_pages back; null is ignored.
void free_system_pages(void* block) noexcept;

// A new block of `newBytes` that starts with the first min(oldBytes, newBytes) bytes of `block`,
// which is then freed; `oldBytes` is the size the block was asked for with. Null (with `block`
// left as it was) when there is no memory. A null `block` only allocates.
[[nodiscard]] void* resize_system_pages(void* block, std::size_t oldBytes,
                                        std::size_t newBytes) noexcept;

// A standard allocator over system pages, for containers that hold such buffers.
template <typename T>
struct SystemPageAllocator {
  // The name the standard's allocator requirements give it.
  using value_type = T;  // NOLINT(readability-identifier-naming)

  SystemPageAllocator() noexcept = default;
  // Containers convert an allocator to the one for their own nodes; all of them are alike.
  template <typename U>
  SystemPageAllocator(const SystemPageAllocator<U>& /*other*/) noexcept {}

  [[nodiscard]] T* allocate(std::size_t count) {
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(T)) {
      throw std::bad_array_new_length();
    }
    void* const block = allocate_system_pages(count * sizeof(T));
    if (block == nullptr) {
      throw std::bad_alloc();
    }
    return static_cast<T*>(block);
  }
  void deallocate(T* block, std::size_t /*count*/) noexcept { free_system_pages(block); }

  friend bool operator==(const SystemPageAllocator&, const SystemPageAllocator&) noexcept {
    return true;
  }
};

}  // namespace mirvot
