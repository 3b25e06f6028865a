// The premultiplied pixel buffer: premultiplication, filling, copying and blending.
#include "ui/bitmap.h"

#include <algorithm>

#include "platform/memory.h"

namespace ui {
namespace {

// x * a / 255, rounded, without a division.
inline std::uint32_t MulDiv255(std::uint32_t x, std::uint32_t a) {
  std::uint32_t t = x * a + 128;
  return (t + (t >> 8)) >> 8;
}

// The part of a `source`-sized rectangle at (x, y) that lies inside the target, as source and
// target origins and a size; false when nothing overlaps.
struct TOverlap {
  int sx, sy, dx, dy, w, h;
};
bool Overlap(const TBitmap& target, const TBitmap& source, int x, int y, TOverlap& o) {
  o.dx = std::max(x, 0);
  o.dy = std::max(y, 0);
  o.sx = o.dx - x;
  o.sy = o.dy - y;
  o.w = std::min(x + source.Width(), target.Width()) - o.dx;
  o.h = std::min(y + source.Height(), target.Height()) - o.dy;
  return o.w > 0 && o.h > 0;
}

}  // namespace

TPixel Premultiply(TAlphaColor color) {
  const std::uint32_t a = AlphaOf(color);
  return (a << 24) | (MulDiv255(RedOf(color), a) << 16) | (MulDiv255(GreenOf(color), a) << 8) |
         MulDiv255(BlueOf(color), a);
}

TAlphaColor Unpremultiply(TPixel pixel) {
  const std::uint32_t a = pixel >> 24;
  if (a == 0) return 0;
  auto channel = [&](int shift) { return std::min<std::uint32_t>(255, (((pixel >> shift) & 0xFF) * 255 + a / 2) / a); };
  return (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
}

TBitmap::TBitmap(int width, int height) { SetSize(width, height); }

void TBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  width_ = width;
  height_ = height;
  const std::size_t count = static_cast<std::size_t>(width) * height;
  // A large picture in memory the process has not used yet would get its pages one by one as the
  // zeros go in, each a trap (on some virtual machines the larger part of the cost): they are made
  // ready in one go instead.
  constexpr std::size_t kLarge = 64 * 1024 / sizeof(TPixel);
  if (count >= kLarge && count > pixels_.capacity()) {
    std::vector<TPixel> fresh;
    fresh.reserve(count);
    platform::PrepareMemory(fresh.data(), count * sizeof(TPixel));
    pixels_ = std::move(fresh);
  }
  pixels_.assign(count, 0);
}

TBitmap TBitmap::Premultiplied() const {
  TBitmap copy = *this;
  if (alphaFormat_ == TAlphaFormat::Straight) {
    for (TPixel& p : copy.pixels_) p = Premultiply(p);
    copy.alphaFormat_ = TAlphaFormat::Premultiplied;
  }
  return copy;
}

void TBitmap::Fill(TAlphaColor color) { std::fill(pixels_.begin(), pixels_.end(), Premultiply(color)); }

void TBitmap::FillRect(const TRect& rect, TAlphaColor color) {
  const int left = std::max(rect.Left, 0), right = std::min(rect.Right, width_);
  const int top = std::max(rect.Top, 0), bottom = std::min(rect.Bottom, height_);
  if (left >= right) return;
  const TPixel pixel = Premultiply(color);
  for (int y = top; y < bottom; ++y) std::fill(ScanLine(y) + left, ScanLine(y) + right, pixel);
}

void TBitmap::CopyFrom(const TBitmap& source, int x, int y) {
  TOverlap o;
  if (!Overlap(*this, source, x, y, o)) return;
  for (int row = 0; row < o.h; ++row)
    std::copy_n(source.ScanLine(o.sy + row) + o.sx, o.w, ScanLine(o.dy + row) + o.dx);
}

void TBitmap::Draw(const TBitmap& source, int x, int y, std::uint8_t opacity) {
  if (source.alphaFormat_ == TAlphaFormat::Straight) {
    Draw(source.Premultiplied(), x, y, opacity);
    return;
  }
  TOverlap o;
  if (opacity == 0 || !Overlap(*this, source, x, y, o)) return;
  for (int row = 0; row < o.h; ++row) {
    const TPixel* from = source.ScanLine(o.sy + row) + o.sx;
    TPixel* to = ScanLine(o.dy + row) + o.dx;
    for (int i = 0; i < o.w; ++i) {
      TPixel s = from[i];
      if (opacity != 255) {
        // Premultiplied channels scale together with alpha.
        s = (MulDiv255(s >> 24, opacity) << 24) | (MulDiv255((s >> 16) & 0xFF, opacity) << 16) |
            (MulDiv255((s >> 8) & 0xFF, opacity) << 8) | MulDiv255(s & 0xFF, opacity);
      }
      const std::uint32_t inverse = 255 - (s >> 24);
      if (inverse == 255) continue;
      const TPixel d = to[i];
      auto blend = [&](int shift) { return (((s >> shift) & 0xFF) + MulDiv255((d >> shift) & 0xFF, inverse)) << shift; };
      to[i] = blend(24) | blend(16) | blend(8) | blend(0);
    }
  }
}

}  // namespace ui
