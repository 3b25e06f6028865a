// Copying a picture's rows into memory laid out with another row length.
#include <cstring>

#include "platform/canvas.h"

namespace platform {

void CopyPixelRows(const PixelBuffer& image, void* target, std::size_t pitch, int width, int height) {
  auto* to = static_cast<std::uint8_t*>(target);
  const std::size_t row = static_cast<std::size_t>(width) * 4;
  for (int y = 0; y < height; ++y)
    std::memcpy(to + static_cast<std::size_t>(y) * pitch, image.bits + static_cast<std::size_t>(y) * image.stride, row);
}

}  // namespace platform
