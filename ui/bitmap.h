// A 32-bit premultiplied BGRA pixel buffer: what every canvas draws into and every window presents.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/types.h"

namespace ui {

// A pixel as it lies in memory, read as a little-endian 32-bit word: 0xAARRGGBB with the colour
// channels already multiplied by alpha (the layout cairo and GDI+ both wrap without copying).
using TPixel = std::uint32_t;

TPixel Premultiply(TAlphaColor color);
TAlphaColor Unpremultiply(TPixel pixel);

class TBitmap {
 public:
  TBitmap() = default;
  // Starts fully transparent.
  TBitmap(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Bytes from one row to the next.
  int Stride() const { return width_ * 4; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  // Resizing discards the content: the new buffer is fully transparent.
  void SetSize(int width, int height);

  std::uint8_t* Bits() { return reinterpret_cast<std::uint8_t*>(pixels_.data()); }
  const std::uint8_t* Bits() const { return reinterpret_cast<const std::uint8_t*>(pixels_.data()); }
  TPixel* ScanLine(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  const TPixel* ScanLine(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }

  TPixel Pixel(int x, int y) const { return ScanLine(y)[x]; }
  void SetPixel(int x, int y, TPixel pixel) { ScanLine(y)[x] = pixel; }
  // The straight colour at a point, for tests and colour pickers.
  TAlphaColor Color(int x, int y) const { return Unpremultiply(Pixel(x, y)); }

  void Fill(TAlphaColor color);
  void FillRect(const TRect& rect, TAlphaColor color);
  // Replaces the pixels under `source` placed at (x, y); what falls outside is cut off.
  void CopyFrom(const TBitmap& source, int x, int y);
  // Blends `source` placed at (x, y) over this bitmap (source over), its alpha scaled by `opacity`.
  void Draw(const TBitmap& source, int x, int y, std::uint8_t opacity = 255);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<TPixel> pixels_;
};

}  // namespace ui
