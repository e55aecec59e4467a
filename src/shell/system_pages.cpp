#include "shell/system_pages.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace mirvot {

void* allocate_system_pages(std::size_t bytes) noexcept {
  return ::VirtualAlloc(nullptr, std::max<std::size_t>(bytes, 1), MEM_COMMIT | MEM_RESERVE,
                        PAGE_READWRITE);
}

void free_system_pages(void* block) noexcept {
  if (block != nullptr) {
    ::VirtualFree(block, 0, MEM_RELEASE);
  }
}

void* resize_system_pages(void* block, std::size_t oldBytes, std::size_t newBytes) noexcept {
  void* const resized = allocate_system_pages(newBytes);
  if (resized == nullptr) {
    return nullptr;
  }
  if (block != nullptr) {
    std::memcpy(resized, block, std::min(oldBytes, newBytes));
    free_system_pages(block);
  }
  return resized;
}

}  // namespace mirvot
