// The framework's drawing helpers: text in a rectangle with its own wrapping, glyph sizing, draw-mode placement, blurs.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lux/types.h"
#include "ui/bitmap.h"
#include "ui/canvas.h"
#include "ui/picture.h"
#include "ui/timer.h"
#include "vel/graphics.h"

namespace lux {

// Placement and picture drawing live with the utility library's image control, which sits beneath the
// framework; the framework draws with the same ones.
using vel::AssignPng;
using vel::DrawHighQuality;
using vel::GetDrawModeRects;
using vel::StretchDraw;
using vel::TDrawMode;

void DrawGraphicInRect(ui::TCanvas& Canvas, const TRect& Rect, const ui::TBitmap& Graphic, TDrawMode Mode,
                       std::int32_t Inset);

// Blue, green, red bytes per pixel, rows packed top-down: the blur works on colour without alpha.
struct FXBitmap24 {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<std::uint8_t> Bits;

  FXBitmap24() = default;
  FXBitmap24(std::int32_t AWidth, std::int32_t AHeight)
      : Width(AWidth), Height(AHeight), Bits(static_cast<std::size_t>(AWidth) * AHeight * 3) {}
  std::uint8_t* Pixel(std::int32_t X, std::int32_t Y) { return Bits.data() + (static_cast<std::size_t>(Y) * Width + X) * 3; }
  const std::uint8_t* Pixel(std::int32_t X, std::int32_t Y) const {
    return Bits.data() + (static_cast<std::size_t>(Y) * Width + X) * 3;
  }
};

// Every pixel of Rect on the target becomes itself XOR the bitmap's pixel at the same offset from the
// bitmap's top-left, as a caret or selection is drawn and then erased by drawing it again. Only the
// colour is inverted: the target keeps its alpha, so a caret on an opaque field stays opaque.
void DrawInvert(const ui::TBitmap& Bitmap, ui::TBitmap& Target, const TRect& Rect);
void DrawInvert(const ui::TBitmap& Bitmap, ui::TCanvas& Canvas, const TRect& Rect);

// A 24-bit bitmap draws opaque.
void DrawHighQuality(ui::TCanvas& Canvas, const TRect& Rect, const FXBitmap24& Bitmap, std::uint8_t Opacity,
                     bool HighQuality);
// Disables the timer, then enables it, so that a full interval starts again.
void ResetTimer(ui::TTimer& Timer);

std::vector<std::string> SplitBySeparators(const std::string& Text, const std::vector<std::string>& Separators);

// Measures a text's width in pixels; lets the wrapping rules run on any measure, a canvas's or a fixed one.
using FXTextWidth = std::function<std::int32_t(const std::string&)>;
std::vector<std::string> WrapTextLines(const FXTextWidth& TextWidth, const std::string& Text, const TRect& Rect);
std::vector<std::string> WrapTextLines(ui::TCanvas& Canvas, const std::string& Text, const TRect& Rect);

std::int32_t LineHeight(ui::TCanvas& Canvas, const std::string& Text);
void DrawTextRect(ui::TCanvas& Canvas, TRect Rect, const std::string& Text, FXTextFlags Flags, std::int32_t Margin = 0);
TRect GetTextRect(ui::TCanvas& Canvas, TRect Rect, const std::string& Text, FXTextFlags Flags, std::int32_t Margin = 0);

// The font height (negative: em height in pixels) at which Text just fits the box; the canvas's font
// keeps it. 0, with the font untouched, for an empty text.
std::int32_t GetMaxFontHeight(ui::TCanvas& Canvas, const std::string& Text, std::int32_t MaxWidth,
                              std::int32_t MaxHeight);

struct FXGaussianKernel {
  std::int32_t Size = 0;  // 1..50; only Weights[50 - Size .. 50 + Size] are used
  std::array<float, 101> Weights{};
  float Weight(std::int32_t Offset) const { return Weights[50 + Offset]; }
};

FXGaussianKernel MakeGaussianKernel(double Radius, double MaxData = 255, double DataGranularity = 1);
// Blurs Count pixels of three bytes each, Step bytes apart, in place.
void BlurRow(const FXGaussianKernel& Kernel, std::uint8_t* Pixels, std::int32_t Count, std::int32_t Step = 3);
void GaussianBlur(FXBitmap24& Bitmap, double Radius);
// The toolkit's bitmaps carry alpha, which the blur cannot keep: always throws std::invalid_argument.
void GaussianBlur(ui::TBitmap& Bitmap, double Radius);
// The size of the copy FastBlur blurs.
ui::TSize FastBlurCopySize(std::int32_t Width, std::int32_t Height, std::int32_t Downscale);
// Blurs a copy shrunk by Downscale (at least 4 x 4) and scales it back over the whole bitmap, opaque.
void FastBlur(ui::TBitmap& Bitmap, double Radius, std::int32_t Downscale, bool HighQuality);

}  // namespace lux
