// Windows: committed virtual memory (the system gives its pages on first touch either way).
#include "platform/memory.h"

#include <windows.h>

namespace platform {

void* AllocateReadyMemory(std::size_t size) {
  return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreeReadyMemory(void* block, std::size_t) {
  if (block) VirtualFree(block, 0, MEM_RELEASE);
}

// The heap's pages come on first touch; nothing to ask beforehand.
void PrepareMemory(void*, std::size_t) {}

}  // namespace platform
