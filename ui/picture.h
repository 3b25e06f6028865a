// A picture loaded from PNG data into a premultiplied bitmap.
#pragma once

#include <cstddef>
#include <filesystem>

#include "ui/bitmap.h"

namespace ui {

class TPicture {
 public:
  // Throws std::runtime_error "Not a PNG picture" for data that is not one, and
  // platform::NotSupported where the system cannot decode pictures yet.
  void LoadFromMemory(const void* data, std::size_t size);
  void LoadFromFile(const std::filesystem::path& path);

  const TBitmap& Bitmap() const { return bitmap_; }
  int Width() const { return bitmap_.Width(); }
  int Height() const { return bitmap_.Height(); }
  bool Empty() const { return bitmap_.Empty(); }

 private:
  TBitmap bitmap_;
};

}  // namespace ui
