// Linux: anonymous mappings populated when they are made.
#include "platform/memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace platform {

void* AllocateReadyMemory(std::size_t size) {
  void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  return block == MAP_FAILED ? nullptr : block;
}

void FreeReadyMemory(void* block, std::size_t size) {
  if (block) munmap(block, size);
}

void PrepareMemory(void* block, std::size_t size) {
#ifndef MADV_POPULATE_WRITE
  constexpr int MADV_POPULATE_WRITE = 23;  // Linux 5.14; older kernels refuse it, which is harmless
#endif
  // Whole pages inside the block only: the pages at its edges may hold someone else's data, and are
  // made ready by the first write anyway.
  static const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const std::uintptr_t start = (reinterpret_cast<std::uintptr_t>(block) + page - 1) & ~(page - 1);
  const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(block) + size) & ~(page - 1);
  if (block && end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
}

}  // namespace platform
