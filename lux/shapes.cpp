// Shapes rendered anti-aliased into a layer of their own size, then composited over the target.
#include "lux/shapes.h"

#include <algorithm>

namespace lux {
namespace {

std::int32_t LayerPad(const FXPen* Pen) { return Pen ? static_cast<std::int32_t>(Pen->Width) : 0; }

// Renders `paint` (given a canvas and the offset that moves the shape into it) directly or through a layer.
template <typename Paint>
void ThroughLayer(ui::TCanvas& Canvas, const TRect& Bounds, const FXPen* Pen, bool UseLayer, Paint paint) {
  if (!UseLayer) {
    ui::TCanvasState state(Canvas);
    Canvas.Painter().SetAntialias(true);
    paint(Canvas.Painter(), 0, 0);
    return;
  }
  const TRect at = ShapeLayerBounds(Bounds, Pen);
  if (at.IsEmpty()) return;  // an empty layer would change nothing
  ui::TBitmap layer(at.Width(), at.Height());
  {
    ui::TCanvas painter(layer);
    painter.Painter().SetAntialias(true);
    paint(painter.Painter(), -at.Left, -at.Top);
  }
  Canvas.Draw(at.Left, at.Top, layer);
}

void FillAndStroke(platform::Canvas& P, const FXBrush* Brush, const FXPen* Pen, const auto& path) {
  if (Brush) {
    path();
    P.FillPath(Brush->Color);
  }
  if (Pen) {
    path();
    P.StrokePath(Pen->Color, Pen->Width);
  }
}

}  // namespace

TRect ShapeLayerBounds(const TRect& ShapeBounds, const FXPen* Pen) {
  const std::int32_t p = LayerPad(Pen);
  const std::int32_t w = std::max(ShapeBounds.Width() + 2 * p, 0);
  const std::int32_t h = std::max(ShapeBounds.Height() + 2 * p, 0);
  return ui::Bounds(ShapeBounds.Left - p, ShapeBounds.Top - p, w, h);
}

void AddRoundRectPath(platform::Canvas& Painter, const FXRoundRect& Shape) {
  const double L = Shape.Left(), T = Shape.Top(), W = Shape.Width(), H = Shape.Height();
  // A zero corner is a square one: the path just passes through the corner point.
  auto corner = [&](double x, double y, double size, double start, double cornerX, double cornerY) {
    if (size > 0)
      Painter.ArcTo(x, y, size, size, start, 90);
    else
      Painter.LineTo(cornerX, cornerY);
  };
  Painter.MoveTo(L, T + Shape.RoundTL / 2.0);
  corner(L, T, Shape.RoundTL, 180, L, T);
  corner(L + W - Shape.RoundTR, T, Shape.RoundTR, 270, L + W, T);
  corner(L + W - Shape.RoundBR, T + H - Shape.RoundBR, Shape.RoundBR, 0, L + W, T + H);
  corner(L, T + H - Shape.RoundBL, Shape.RoundBL, 90, L, T + H);
  Painter.ClosePath();
}

void FillRectangle(ui::TCanvas& Canvas, const TRect& Rect, std::uint32_t Color, bool UseLayer) {
  const FXBrush brush{Color};
  DrawRectangle(Canvas, Rect, &brush, nullptr, UseLayer);
}

void DrawRectangle(ui::TCanvas& Canvas, const TRect& Rect, const FXBrush* Brush, const FXPen* Pen, bool UseLayer) {
  ThroughLayer(Canvas, Rect, Pen, UseLayer, [&](platform::Canvas& P, double dx, double dy) {
    FillAndStroke(P, Brush, Pen, [&] { P.Rectangle(Rect.Left + dx, Rect.Top + dy, Rect.Width(), Rect.Height()); });
  });
}

void DrawRoundRect(ui::TCanvas& Canvas, const FXRoundRect& Shape, const FXBrush* Brush, const FXPen* Pen, bool UseLayer) {
  ThroughLayer(Canvas, Shape.Rect, Pen, UseLayer, [&](platform::Canvas& P, double dx, double dy) {
    FXRoundRect moved = Shape;
    moved.Offset(static_cast<std::int32_t>(dx), static_cast<std::int32_t>(dy));
    FillAndStroke(P, Brush, Pen, [&] { AddRoundRectPath(P, moved); });
  });
}

void DrawLine(ui::TCanvas& Canvas, const FXLine& Line, const FXPen* Pen, bool UseLayer) {
  if (!Pen) return;
  ThroughLayer(Canvas, Line.Rect(), Pen, UseLayer, [&](platform::Canvas& P, double dx, double dy) {
    P.MoveTo(Line.Point1.X + dx, Line.Point1.Y + dy);
    P.LineTo(Line.Point2.X + dx, Line.Point2.Y + dy);
    P.StrokePath(Pen->Color, Pen->Width);
  });
}

void GDIFillRect(ui::TCanvas& Canvas, const TRect& Rect, TColor Color, std::uint8_t Alpha) {
  FillRectangle(Canvas, Rect, MakeARGB(Color, Alpha), true);
}

void GDIRectangle(ui::TCanvas& Canvas, const TRect& Rect, const FXBrush* Brush, const FXPen* Pen) {
  DrawRectangle(Canvas, Rect, Brush, Pen, true);
}

void GDIRoundRect(ui::TCanvas& Canvas, const FXRoundRect& Shape, const FXBrush* Brush, const FXPen* Pen) {
  DrawRoundRect(Canvas, Shape, Brush, Pen, true);
}

void GDILine(ui::TCanvas& Canvas, const FXLine& Line, const FXPen* Pen) { DrawLine(Canvas, Line, Pen, true); }

void DrawBorder(ui::TCanvas& Canvas, const TRect& Rect, TColor Color, std::uint8_t Thickness, std::int32_t Roundness) {
  if (Thickness == 0) return;
  const std::int32_t d = Thickness / 2;
  const std::int32_t e = Thickness % 2 == 0 ? Thickness / 2 - 1 : Thickness / 2;
  const TRect frame{d, d, Rect.Width() - e, Rect.Height() - e};
  ui::TCanvasState state(Canvas);
  Canvas.Pen = {MakeARGB(Color, 255), static_cast<double>(Thickness)};
  const double radius = Roundness > 0 ? Roundness / 2.0 : 0;
  Canvas.RoundRect(frame.Left, frame.Top, frame.Width(), frame.Height(), radius, radius, /*fill=*/false);
}

}  // namespace lux
