// Working memory whose pages are made ready in one go when it is taken.
#pragma once

#include <cstddef>

namespace platform {

// A block of `size` bytes (contents undefined) or nullptr when the system has none to give. On some
// virtual machines each page touched for the first time one by one costs more than the work later done
// in it, so large buffers that are filled at once are better taken this way than from the heap.
void* AllocateReadyMemory(std::size_t size);
void FreeReadyMemory(void* block, std::size_t size);
// Makes the pages of memory already taken (from the heap, or shared with another process) ready in
// one go, before they are first written; pages that are ready already stay as they are. Only a
// hint: where the system cannot, the pages come one by one as before.
void PrepareMemory(void* block, std::size_t size);

}  // namespace platform
