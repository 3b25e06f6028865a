// Working memory whose pages are made ready in one go when it is taken.
#pragma once

#include <cstddef>

namespace platform {

// A block of `size` bytes (contents undefined) or nullptr when the system has none to give. On some
// virtual machines each page touched for the first time one by one costs more than the work later done
// in it, so large buffers that are filled at once are better taken this way than from the heap.
void* AllocateReadyMemory(std::size_t size);
void FreeReadyMemory(void* block, std::size_t size);

}  // namespace platform
