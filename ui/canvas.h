// A canvas painting on a TBitmap: brush, pen and font, rectangles, rounded shapes, lines, images, text.
#pragma once

#include <memory>
#include <string>

#include "platform/canvas.h"
#include "ui/bitmap.h"
#include "ui/font.h"
#include "ui/types.h"

namespace ui {

struct TPen {
  TAlphaColor Color = 0xFF000000;
  double Width = 1;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

class TCanvas {
 public:
  // Paints on `target`, which must outlive the canvas and keep its size meanwhile.
  explicit TCanvas(TBitmap& target);
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TBitmap& Target() { return target_; }
  TFont Font;
  TAlphaColor BrushColor = 0xFFFFFFFF;
  TPen Pen;

  // Integer rectangles cover whole pixels, without antialiasing at their edges.
  void FillRect(const TRect& rect);
  // A one-pixel frame just inside the rectangle in the pen's colour.
  void FrameRect(const TRect& rect);
  // A rectangle with corners of the given radii (pixels), filled with the brush, then outlined by the
  // pen when its width is above zero, the outline centred on the shape's edge.
  void RoundRect(double x, double y, double w, double h, double rx, double ry, bool fill = true, bool outline = true);
  void Ellipse(double x, double y, double w, double h, bool fill = true, bool outline = true);
  void Line(double x1, double y1, double x2, double y2);
  void Draw(int x, int y, const TBitmap& image, double opacity = 1);
  void StretchDraw(const TRect& rect, const TBitmap& image, double opacity = 1);

  TSize TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  // Draws the line with its top-left corner at (x, y) in the font's colour.
  void TextOut(int x, int y, const std::string& text);
  // Whether the font, with the system's fallbacks, has a glyph for every character of the text.
  bool HasGlyphs(const std::string& text);

  // The path calls and clipping of the seam, for shapes the helpers above do not cover.
  platform::Canvas& Painter() { return *painter_; }
  void ClipRect(const TRect& rect);

 private:
  friend class TCanvasState;
  TBitmap& target_;
  std::unique_ptr<platform::Canvas> painter_;
};

// Saves the canvas's clip, offset and pens on construction and restores them on destruction.
class TCanvasState {
 public:
  explicit TCanvasState(TCanvas& canvas);
  ~TCanvasState();
  TCanvasState(const TCanvasState&) = delete;
  TCanvasState& operator=(const TCanvasState&) = delete;

 private:
  TCanvas& canvas_;
  TFont font_;
  TAlphaColor brush_;
  TPen pen_;
};

// Points a control's canvas slot at the canvas for the length of one paint call; outside painting the
// slot is null, so a control cannot draw where no surface is.
class TPaintingCanvas {
 public:
  TPaintingCanvas(TCanvas*& slot, TCanvas& canvas) : slot_(slot) { slot_ = &canvas; }
  ~TPaintingCanvas() { slot_ = nullptr; }
  TPaintingCanvas(const TPaintingCanvas&) = delete;
  TPaintingCanvas& operator=(const TPaintingCanvas&) = delete;

 private:
  TCanvas*& slot_;
};

}  // namespace ui
