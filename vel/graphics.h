// Placing and drawing pictures: the draw modes, their rectangles, and scaled drawing with an opacity.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/bitmap.h"
#include "ui/canvas.h"
#include "ui/picture.h"
#include "ui/types.h"

namespace vel {

// 0x00BBGGRR, red in the low byte, as colours are stored.
using TColor = std::uint32_t;

// The same colour as the toolkit takes it: opaque 0xAARRGGBB.
constexpr ui::TAlphaColor ColorToAlphaColor(TColor Color) {
  return 0xFF000000u | ((Color & 0xFFu) << 16) | (Color & 0xFF00u) | ((Color >> 16) & 0xFFu);
}

// How a graphic is placed in a rectangle.
enum class TDrawMode { Fill, Fit, Stretch, Center, CenterFill, Center3Fill, CenterFit, Normal, Tile };

// The rectangles a graphic of GraphicWidth x GraphicHeight is drawn into; empty for an empty graphic.
std::vector<ui::TRect> GetDrawModeRects(const ui::TRect& Rect, std::int32_t GraphicWidth, std::int32_t GraphicHeight,
                                        TDrawMode Mode, std::int32_t Inset);
std::vector<ui::TRect> GetDrawModeRects(const ui::TRect& Rect, const ui::TBitmap& Graphic, TDrawMode Mode,
                                        std::int32_t Inset);

// The bitmap scaled into Rect with its alpha multiplied by Opacity. A rectangle whose left lies right
// of its right (or top below bottom) draws the bitmap mirrored in that direction.
void DrawHighQuality(ui::TCanvas& Canvas, const ui::TRect& Rect, const ui::TBitmap& Bitmap, std::uint8_t Opacity,
                     bool HighQuality);
// Any picture: drawn from its premultiplied AssignPng copy.
void DrawHighQuality(ui::TCanvas& Canvas, const ui::TRect& Rect, const ui::TPicture& Picture, std::uint8_t Opacity,
                     bool HighQuality);
// Nothing for an absent graphic.
void StretchDraw(ui::TCanvas& Canvas, const ui::TRect& Rect, const ui::TBitmap* Graphic, std::uint8_t Opacity);
// Below full opacity the picture is drawn from a premultiplied AssignPng copy.
void StretchDraw(ui::TCanvas& Canvas, const ui::TRect& Rect, const ui::TPicture* Graphic, std::uint8_t Opacity);

// A picture with partial transparency and 8 bits per sample is converted from the file's own samples:
// each colour channel becomes value * alpha div 255 when Premultiplied, else stays straight (and the
// bitmap says so). Any other picture comes as decoded; an empty one leaves a 0 x 0 bitmap.
void AssignPng(ui::TBitmap& Bitmap, const ui::TPicture& Png, bool Premultiplied);

}  // namespace vel
