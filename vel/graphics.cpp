// Draw-mode placement, scaled and mirrored picture drawing, and the PNG-to-bitmap conversion.
#include "vel/graphics.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vel {
namespace {

using ui::TRect;

TRect Shrunk(const TRect& R, std::int32_t By) { return {R.Left + By, R.Top + By, R.Right - By, R.Bottom - By}; }

// Fill and Fit differ only in whether the scaled graphic may overflow the rectangle's height.
TRect Proportional(const TRect& Rect, std::int32_t GW, std::int32_t GH, bool Cover) {
  TRect R = Rect;
  const double s = static_cast<double>(Rect.Width()) / GW;
  const bool widthFromHeight = Cover ? GH * s < Rect.Height() : GH * s > Rect.Height();
  if (widthFromHeight)
    R.Right = R.Left + static_cast<std::int32_t>(std::trunc(static_cast<double>(GW) * Rect.Height() / GH));
  else
    R.Bottom = R.Top + static_cast<std::int32_t>(std::trunc(GH * s));
  return R;
}

TRect Centered(const TRect& Rect, TRect R, std::int32_t Divisor) {
  return R.Offset((Rect.Width() - R.Width()) / Divisor, (Rect.Height() - R.Height()) / Divisor);
}

// The seam scales only into upright rectangles, so a mirrored one is drawn upright from a mirrored copy.
ui::TBitmap Mirrored(const ui::TBitmap& Source, bool X, bool Y) {
  ui::TBitmap out(Source.Width(), Source.Height());
  out.SetAlphaFormat(Source.AlphaFormat());
  for (int y = 0; y < Source.Height(); ++y)
    for (int x = 0; x < Source.Width(); ++x)
      out.SetPixel(X ? Source.Width() - 1 - x : x, Y ? Source.Height() - 1 - y : y, Source.Pixel(x, y));
  return out;
}

// Alpha that lies between opaque and clear somewhere, as opposed to none or a colour key.
bool PartialTransparency(const ui::TPicture& Png) {
  switch (Png.ColorType()) {
    case ui::TPngColorType::TrueColorAlpha:
    case ui::TPngColorType::GreyAlpha: return true;
    case ui::TPngColorType::Palette:
      return std::any_of(Png.Transparency().begin(), Png.Transparency().end(),
                         [](std::uint8_t a) { return a != 0 && a != 255; });
    default: return false;
  }
}

}  // namespace

std::vector<TRect> GetDrawModeRects(const TRect& Rect, std::int32_t GW, std::int32_t GH, TDrawMode Mode,
                                    std::int32_t Inset) {
  std::vector<TRect> rects;
  if (GW <= 0 || GH <= 0) return rects;
  switch (Mode) {
    case TDrawMode::Fill: rects.push_back(Proportional(Rect, GW, GH, true)); break;
    case TDrawMode::Fit: rects.push_back(Proportional(Rect, GW, GH, false)); break;
    case TDrawMode::Stretch: rects.push_back(Rect); break;
    case TDrawMode::Center: {
      const std::int32_t cx = Rect.Left + Rect.Width() / 2;
      const std::int32_t cy = Rect.Top + Rect.Height() / 2;
      rects.push_back({cx - GW / 2, cy - GH / 2, cx + GW / 2, cy + GH / 2});
      break;
    }
    case TDrawMode::CenterFill: rects.push_back(Centered(Rect, Proportional(Rect, GW, GH, true), 2)); break;
    case TDrawMode::Center3Fill: rects.push_back(Centered(Rect, Proportional(Rect, GW, GH, true), 3)); break;
    case TDrawMode::CenterFit: rects.push_back(Centered(Rect, Proportional(Rect, GW, GH, false), 2)); break;
    case TDrawMode::Normal: rects.push_back({Rect.Left, Rect.Top, Rect.Left + GW, Rect.Top + GH}); break;
    case TDrawMode::Tile: {
      // The loops stop at the width and height rather than at Right and Bottom: callers place at the origin.
      std::int32_t y = Rect.Top;
      do {
        std::int32_t x = Rect.Left;
        do {
          rects.push_back({x, y, x + GW, y + GH});
          x += GW;
        } while (x < Rect.Width());
        y += GH;
      } while (y < Rect.Height());
      break;
    }
  }
  if (Inset != 0)
    for (TRect& r : rects) r = Shrunk(r, Inset);
  return rects;
}

std::vector<TRect> GetDrawModeRects(const TRect& Rect, const ui::TBitmap& Graphic, TDrawMode Mode, std::int32_t Inset) {
  return GetDrawModeRects(Rect, Graphic.Width(), Graphic.Height(), Mode, Inset);
}

void DrawHighQuality(ui::TCanvas& Canvas, const TRect& Rect, const ui::TBitmap& Bitmap, std::uint8_t Opacity,
                     bool /*HighQuality: the seam always scales with its smooth filter*/) {
  if (Bitmap.Empty()) return;
  const bool flipX = Rect.Right < Rect.Left, flipY = Rect.Bottom < Rect.Top;
  if (!flipX && !flipY) {
    Canvas.StretchDraw(Rect, Bitmap, Opacity / 255.0);
    return;
  }
  TRect upright = Rect;
  if (flipX) std::swap(upright.Left, upright.Right);
  if (flipY) std::swap(upright.Top, upright.Bottom);
  Canvas.StretchDraw(upright, Mirrored(Bitmap, flipX, flipY), Opacity / 255.0);
}

void DrawHighQuality(ui::TCanvas& Canvas, const TRect& Rect, const ui::TPicture& Picture, std::uint8_t Opacity,
                     bool HighQuality) {
  if (Picture.Empty()) return;
  ui::TBitmap bitmap;
  AssignPng(bitmap, Picture, true);
  DrawHighQuality(Canvas, Rect, bitmap, Opacity, HighQuality);
}

void StretchDraw(ui::TCanvas& Canvas, const TRect& Rect, const ui::TBitmap* Graphic, std::uint8_t Opacity) {
  if (Graphic) DrawHighQuality(Canvas, Rect, *Graphic, Opacity, true);
}

void StretchDraw(ui::TCanvas& Canvas, const TRect& Rect, const ui::TPicture* Graphic, std::uint8_t Opacity) {
  if (!Graphic) return;
  if (Opacity == 255) {
    StretchDraw(Canvas, Rect, &Graphic->Bitmap(), Opacity);
    return;
  }
  ui::TBitmap bitmap;
  AssignPng(bitmap, *Graphic, true);
  StretchDraw(Canvas, Rect, &bitmap, Opacity);
}

void AssignPng(ui::TBitmap& Bitmap, const ui::TPicture& Png, bool Premultiplied) {
  if (Png.BitDepth() != 8 || !PartialTransparency(Png) || !Png.Samples(0)) {
    Bitmap = Png.Bitmap();
    return;
  }
  Bitmap.SetSize(Png.Width(), Png.Height());
  Bitmap.SetAlphaFormat(Premultiplied ? ui::TAlphaFormat::Premultiplied : ui::TAlphaFormat::Straight);
  const std::vector<ui::TAlphaColor>& palette = Png.Palette();
  const std::vector<std::uint8_t>& transparency = Png.Transparency();
  for (std::int32_t y = 0; y < Png.Height(); ++y) {
    const std::uint8_t* s = Png.Samples(y);
    for (std::int32_t x = 0; x < Png.Width(); ++x) {
      std::uint32_t r, g, b, a;
      switch (Png.ColorType()) {
        case ui::TPngColorType::Palette: {
          const std::uint8_t index = s[x];
          const ui::TAlphaColor entry = index < palette.size() ? palette[index] : 0;
          r = ui::RedOf(entry), g = ui::GreenOf(entry), b = ui::BlueOf(entry);
          a = index < transparency.size() ? transparency[index] : 255;
          break;
        }
        case ui::TPngColorType::GreyAlpha:
          r = g = b = s[2 * x];
          a = s[2 * x + 1];
          break;
        default:
          r = s[4 * x], g = s[4 * x + 1], b = s[4 * x + 2], a = s[4 * x + 3];
          break;
      }
      if (Premultiplied) {
        r = r * a / 255;
        g = g * a / 255;
        b = b * a / 255;
      }
      Bitmap.SetPixel(x, y, (a << 24) | (r << 16) | (g << 8) | b);
    }
  }
}

}  // namespace vel
