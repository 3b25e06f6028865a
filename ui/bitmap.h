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

// What a bitmap's colour channels hold. Everything the toolkit paints is premultiplied; a straight
// bitmap holds colours as a file stores them and is premultiplied on the way whenever it is drawn.
enum class TAlphaFormat { Premultiplied, Straight };

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
  TAlphaFormat AlphaFormat() const { return alphaFormat_; }
  // Only says how to read the words; the pixels stay as they are.
  void SetAlphaFormat(TAlphaFormat value) { alphaFormat_ = value; }
  // A premultiplied copy, for drawing a straight bitmap.
  TBitmap Premultiplied() const;

  std::uint8_t* Bits() { return reinterpret_cast<std::uint8_t*>(pixels_.data()); }
  const std::uint8_t* Bits() const { return reinterpret_cast<const std::uint8_t*>(pixels_.data()); }
  TPixel* ScanLine(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  const TPixel* ScanLine(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }

  TPixel Pixel(int x, int y) const { return ScanLine(y)[x]; }
  void SetPixel(int x, int y, TPixel pixel) { ScanLine(y)[x] = pixel; }
  // The straight colour at a point, for tests and colour pickers.
  TAlphaColor Color(int x, int y) const {
    return alphaFormat_ == TAlphaFormat::Straight ? Pixel(x, y) : Unpremultiply(Pixel(x, y));
  }

  void Fill(TAlphaColor color);
  void FillRect(const TRect& rect, TAlphaColor color);
  // Replaces the pixels under `source` placed at (x, y); what falls outside is cut off.
  void CopyFrom(const TBitmap& source, int x, int y);
  // Blends `source` placed at (x, y) over this bitmap (source over), its alpha scaled by `opacity`.
  void Draw(const TBitmap& source, int x, int y, std::uint8_t opacity = 255);

 private:
  int width_ = 0;
  int height_ = 0;
  TAlphaFormat alphaFormat_ = TAlphaFormat::Premultiplied;
  std::vector<TPixel> pixels_;
};

}  // namespace ui
