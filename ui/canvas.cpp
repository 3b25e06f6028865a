// The toolkit's canvas over the seam's painter.
#include "ui/canvas.h"

#include <algorithm>
#include <cmath>

namespace ui {
namespace {

platform::PixelBuffer BufferOf(const TBitmap& bitmap) {
  // The seam reads images through the same structure it writes through; it never writes to a source.
  return {const_cast<std::uint8_t*>(bitmap.Bits()), bitmap.Width(), bitmap.Height(), bitmap.Stride()};
}

}  // namespace

TCanvas::TCanvas(TBitmap& target) : target_(target), painter_(platform::CreateCanvas(BufferOf(target))) {}

TCanvas::~TCanvas() = default;

void TCanvas::FillRect(const TRect& rect) {
  if (rect.IsEmpty()) return;
  painter_->Save();
  painter_->SetAntialias(false);
  painter_->Rectangle(rect.Left, rect.Top, rect.Width(), rect.Height());
  painter_->FillPath(BrushColor);
  painter_->Restore();
}

void TCanvas::FrameRect(const TRect& rect) {
  if (rect.IsEmpty()) return;
  painter_->Save();
  painter_->SetAntialias(false);
  // Half-pixel offsets put a one-pixel line exactly on the edge pixels.
  painter_->Rectangle(rect.Left + 0.5, rect.Top + 0.5, rect.Width() - 1, rect.Height() - 1);
  painter_->StrokePath(Pen.Color, 1);
  painter_->Restore();
}

void TCanvas::RoundRect(double x, double y, double w, double h, double rx, double ry, bool fill, bool outline) {
  if (w <= 0 || h <= 0) return;
  rx = std::clamp(rx, 0.0, w / 2);
  ry = std::clamp(ry, 0.0, h / 2);
  auto path = [&] {
    if (rx <= 0 || ry <= 0) {
      painter_->Rectangle(x, y, w, h);
      return;
    }
    painter_->ArcTo(x + w - 2 * rx, y, 2 * rx, 2 * ry, -90, 90);
    painter_->ArcTo(x + w - 2 * rx, y + h - 2 * ry, 2 * rx, 2 * ry, 0, 90);
    painter_->ArcTo(x, y + h - 2 * ry, 2 * rx, 2 * ry, 90, 90);
    painter_->ArcTo(x, y, 2 * rx, 2 * ry, 180, 90);
    painter_->ClosePath();
  };
  if (fill) {
    path();
    painter_->FillPath(BrushColor);
  }
  if (outline && Pen.Width > 0) {
    path();
    painter_->StrokePath(Pen.Color, Pen.Width);
  }
}

void TCanvas::Ellipse(double x, double y, double w, double h, bool fill, bool outline) {
  RoundRect(x, y, w, h, w / 2, h / 2, fill, outline);
}

void TCanvas::Line(double x1, double y1, double x2, double y2) {
  painter_->MoveTo(x1, y1);
  painter_->LineTo(x2, y2);
  painter_->StrokePath(Pen.Color, Pen.Width);
}

void TCanvas::Draw(int x, int y, const TBitmap& image, double opacity) {
  StretchDraw(Bounds(x, y, image.Width(), image.Height()), image, opacity);
}

void TCanvas::StretchDraw(const TRect& rect, const TBitmap& image, double opacity) {
  if (image.AlphaFormat() == TAlphaFormat::Straight) {
    StretchDraw(rect, image.Premultiplied(), opacity);
    return;
  }
  painter_->DrawImage(BufferOf(image), rect.Left, rect.Top, rect.Width(), rect.Height(), opacity);
}

TSize TCanvas::TextExtent(const std::string& text) {
  platform::TextExtent extent = painter_->MeasureText(Font.Request(), text);
  return {static_cast<int>(std::ceil(extent.width)), static_cast<int>(std::ceil(extent.height))};
}

void TCanvas::TextOut(int x, int y, const std::string& text) { painter_->DrawText(Font.Request(), text, x, y, Font.Color()); }

bool TCanvas::HasGlyphs(const std::string& text) { return painter_->HasGlyphs(Font.Request(), text); }

void TCanvas::ClipRect(const TRect& rect) { painter_->ClipRect(rect.Left, rect.Top, rect.Width(), rect.Height()); }

TCanvasState::TCanvasState(TCanvas& canvas)
    : canvas_(canvas), font_(canvas.Font), brush_(canvas.BrushColor), pen_(canvas.Pen) {
  canvas_.painter_->Save();
}

TCanvasState::~TCanvasState() {
  canvas_.painter_->Restore();
  canvas_.Font = font_;
  canvas_.BrushColor = brush_;
  canvas_.Pen = pen_;
}

}  // namespace ui
