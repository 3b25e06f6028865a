// Linux: anonymous mappings populated when they are made.
#include "platform/memory.h"

#include <sys/mman.h>

namespace platform {

void* AllocateReadyMemory(std::size_t size) {
  void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  return block == MAP_FAILED ? nullptr : block;
}

void FreeReadyMemory(void* block, std::size_t size) {
  if (block) munmap(block, size);
}

}  // namespace platform
