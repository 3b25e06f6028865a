// Memory made ready in one go: what a block already holds survives, the rest reads as zeros, and odd
// edges and empty blocks are taken in stride.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/memory.h"

namespace {

TEST(ReadyMemory, PreparingABlockKeepsWhatItHoldsAndTheRestReadsAsZeros) {
  // Large enough to come from its own mapping, so its far half is untouched when it is prepared.
  constexpr std::size_t kSize = (4u << 20) + 123;
  auto* block = static_cast<std::uint8_t*>(std::calloc(kSize, 1));
  ASSERT_NE(block, nullptr);
  for (std::size_t i = 0; i < kSize / 2; ++i) block[i] = static_cast<std::uint8_t>(i * 7 + 1);
  // From an odd offset, so the block's edges fall inside pages.
  platform::PrepareMemory(block + 5, kSize - 5);
  for (std::size_t i = 0; i < kSize / 2; ++i)
    ASSERT_EQ(block[i], static_cast<std::uint8_t>(i * 7 + 1)) << "byte " << i;
  for (std::size_t i = kSize / 2; i < kSize; ++i) ASSERT_EQ(block[i], 0) << "byte " << i;
  std::memset(block, 0xA5, kSize);
  EXPECT_EQ(block[kSize - 1], 0xA5);
  platform::PrepareMemory(block, 0);
  platform::PrepareMemory(block + 1, 10);
  platform::PrepareMemory(nullptr, 0);
  std::free(block);

  void* ready = platform::AllocateReadyMemory(kSize);
  ASSERT_NE(ready, nullptr);
  EXPECT_EQ(static_cast<std::uint8_t*>(ready)[kSize - 1], 0);
  std::memset(ready, 1, kSize);
  platform::FreeReadyMemory(ready, kSize);
}

}  // namespace
