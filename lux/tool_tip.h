// The framework's tooltip windows: a flat hint window in the theme's tooltip colours with a rounded border.
#pragma once

#include <cstdint>
#include <string>

#include "lux/types.h"
#include "ui/canvas.h"
#include "ui/font.h"
#include "ui/hints.h"

namespace lux {

// Showing, hiding and placing the window near the pointer are the toolkit's; the application makes
// its hint windows of whichever of the two classes the theme last chose.
class FXCustomTooltip : public ui::THintWindow {
 public:
  static constexpr std::int32_t TextMarginX = 7;
  static constexpr std::int32_t TextMarginY = 5;

  explicit FXCustomTooltip(ui::TComponent* aOwner);

  bool ShowShadow = true;
  std::uint8_t BorderThickness = 2;
  TColor BorderColor = 0;
  TColor BackColor = 0;

  // The window's rectangle for AHint wrapped within MaxWidth, borders and margins included.
  TRect CalcHintRect(std::int32_t MaxWidth, const std::string& AHint, const void* AData = nullptr) override;
  // Paints the window's client area on `canvas`, as the window itself would be painted.
  void PaintTo(ui::TCanvas& canvas) { PaintSelf(canvas); }

 protected:
  // No system frame; no drop shadow either when ShowShadow is off.
  void CreateParams(ui::TCreateParams& Params) override;
  void Paint() override;
};

class FXLightTooltip : public FXCustomTooltip {
 public:
  explicit FXLightTooltip(ui::TComponent* aOwner);
  void ApplyColor();
};

class FXDarkTooltip : public FXCustomTooltip {
 public:
  explicit FXDarkTooltip(ui::TComponent* aOwner);
  void ApplyColor();
};

}  // namespace lux
