// The anti-aliased shape primitives (rectangles, rounded rectangles, lines) drawn through a transparent layer.
#pragma once

#include <cstdint>

#include "lux/types.h"
#include "platform/canvas.h"
#include "ui/canvas.h"

namespace lux {

// A solid brush of one 0xAARRGGBB colour.
struct FXBrush {
  std::uint32_t Color = 0xFF000000;
};

// A solid pen of one 0xAARRGGBB colour and a width in pixels.
struct FXPen {
  std::uint32_t Color = 0xFF000000;
  double Width = 1;
};

// Where a shape's layer lies on the target: the shape's bounds grown by the pen width, truncated, on
// every side, so that the outline's outer half and its anti-aliased edge fit in.
TRect ShapeLayerBounds(const TRect& ShapeBounds, const FXPen* Pen);

// The closed path of a rectangle with elliptic corners; a corner size is the ellipse's width and height.
void AddRoundRectPath(platform::Canvas& Painter, const FXRoundRect& Shape);

// With UseLayer the shape is rendered into its own transparent layer and composited over the canvas,
// so its translucent edges blend with what is already there.
void FillRectangle(ui::TCanvas& Canvas, const TRect& Rect, std::uint32_t Color, bool UseLayer);
void DrawRectangle(ui::TCanvas& Canvas, const TRect& Rect, const FXBrush* Brush, const FXPen* Pen, bool UseLayer);
void DrawRoundRect(ui::TCanvas& Canvas, const FXRoundRect& Shape, const FXBrush* Brush, const FXPen* Pen, bool UseLayer);
void DrawLine(ui::TCanvas& Canvas, const FXLine& Line, const FXPen* Pen, bool UseLayer);

// The canvas operations: always through a layer.
void GDIFillRect(ui::TCanvas& Canvas, const TRect& Rect, TColor Color, std::uint8_t Alpha);
void GDIRectangle(ui::TCanvas& Canvas, const TRect& Rect, const FXBrush* Brush, const FXPen* Pen);
void GDIRoundRect(ui::TCanvas& Canvas, const FXRoundRect& Shape, const FXBrush* Brush, const FXPen* Pen);
void GDILine(ui::TCanvas& Canvas, const FXLine& Line, const FXPen* Pen);

// A frame from the canvas origin to Rect's size, with rounded corners when Roundness is above 0.
void DrawBorder(ui::TCanvas& Canvas, const TRect& Rect, TColor Color, std::uint8_t Thickness, std::int32_t Roundness);

}  // namespace lux
