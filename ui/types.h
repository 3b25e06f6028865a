// Integer points and rectangles, and colours with alpha, shared by the toolkit's controls and canvas.
#pragma once

#include <cstdint>

namespace ui {

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Right and Bottom lie just outside, so Width is Right - Left.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
  TRect Offset(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Bounds(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

// A straight (not premultiplied) colour, 0xAARRGGBB.
using TAlphaColor = std::uint32_t;

constexpr TAlphaColor MakeColor(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
  return (TAlphaColor(a) << 24) | (TAlphaColor(r) << 16) | (TAlphaColor(g) << 8) | b;
}
constexpr std::uint8_t AlphaOf(TAlphaColor c) { return c >> 24; }
constexpr std::uint8_t RedOf(TAlphaColor c) { return (c >> 16) & 0xFF; }
constexpr std::uint8_t GreenOf(TAlphaColor c) { return (c >> 8) & 0xFF; }
constexpr std::uint8_t BlueOf(TAlphaColor c) { return c & 0xFF; }

}  // namespace ui
