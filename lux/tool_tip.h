// The framework's tooltip windows: a flat hint window in the theme's tooltip colours with a rounded border.
#pragma once

#include <cstdint>
#include <string>

#include "lux/types.h"
#include "ui/canvas.h"
#include "ui/controls.h"
#include "ui/font.h"

namespace lux {

// The toolkit has no hint window of its own yet, so the tooltip stands on a custom control; showing,
// hiding and placing it near the pointer stay with whoever creates it.
class FXCustomTooltip : public ui::TCustomControl {
 public:
  static constexpr std::int32_t TextMarginX = 7;
  static constexpr std::int32_t TextMarginY = 5;

  explicit FXCustomTooltip(ui::TComponent* aOwner);

  bool ShowShadow = true;
  std::uint8_t BorderThickness = 2;
  TColor BorderColor = 0;
  TColor BackColor = 0;

  ui::TFont& Font() { return font_; }
  // The window's rectangle for AHint wrapped within MaxWidth, borders and margins included.
  TRect CalcHintRect(std::int32_t MaxWidth, const std::string& AHint, const void* AData = nullptr);
  // Paints the window's client area on `canvas`, as the window itself would be painted.
  void PaintTo(ui::TCanvas& canvas) { PaintSelf(canvas); }

 protected:
  void Paint() override;

 private:
  ui::TFont font_;
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
