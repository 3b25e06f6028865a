// PNG pictures, decoded behind the seam.
#include "ui/picture.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "platform/canvas.h"

namespace ui {

void TPicture::LoadFromMemory(const void* data, std::size_t size) {
  platform::DecodedImage image = platform::DecodePng(data, size);
  TBitmap bitmap(image.width, image.height);
  for (int y = 0; y < image.height; ++y)
    std::copy_n(image.pixels.data() + static_cast<std::size_t>(y) * image.width, image.width, bitmap.ScanLine(y));
  bitmap_ = std::move(bitmap);
}

void TPicture::LoadFromFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("Cannot open the picture " + path.string());
  std::vector<char> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  LoadFromMemory(data.data(), data.size());
}

}  // namespace ui
