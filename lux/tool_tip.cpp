// The tooltip windows' measurement, painting and theme colours.
#include "lux/tool_tip.h"

#include <algorithm>
#include <vector>

#include "lux/colors.h"
#include "lux/graphics.h"
#include "lux/shapes.h"
#include "lux/theme_manager.h"
#include "ui/bitmap.h"

namespace lux {

FXCustomTooltip::FXCustomTooltip(ui::TComponent* aOwner) : ui::THintWindow(aOwner) {
  Font.SetName("Segoe UI");
  Font.SetSize(8);
}

void FXCustomTooltip::CreateParams(ui::TCreateParams& Params) {
  ui::THintWindow::CreateParams(Params);
  Params.Border = false;
  if (!ShowShadow) Params.DropShadow = false;
}

TRect FXCustomTooltip::CalcHintRect(std::int32_t MaxWidth, const std::string& AHint, const void*) {
  // Measuring needs a canvas even when the window has none yet; a one-pixel scratch bitmap serves.
  ui::TBitmap scratch(1, 1);
  ui::TCanvas canvas(scratch);
  canvas.Font = Font;
  TRect measured{0, 0, 0, 0};
  if (!AHint.empty()) {
    // Like a calculate-only measurement: as wide as the widest wrapped line, as high as all lines.
    const std::vector<std::string> lines = WrapTextLines(canvas, AHint, TRect{0, 0, MaxWidth, 0});
    for (const std::string& line : lines) {
      measured.Right = std::max(measured.Right, canvas.TextWidth(line));
      measured.Bottom += LineHeight(canvas, line);
    }
  }
  measured.Right += 2 * (TextMarginX + BorderThickness);
  measured.Bottom += 2 * (TextMarginY + BorderThickness);
  return measured;
}

void FXCustomTooltip::Paint() {
  ui::TCanvas& canvas = *Canvas();
  const std::int32_t w = Width(), h = Height(), t = BorderThickness;
  canvas.BrushColor = MakeARGB(BackColor, 255);
  canvas.FillRect(TRect{0, 0, w, h});
  DrawBorder(canvas, TRect{0, 0, w, h}, BorderColor, BorderThickness, 5);
  canvas.Font = Font;
  canvas.Font.SetColor(MakeARGB(ContrastTextColor(BackColor), 255));
  DrawTextRect(canvas, TRect{TextMarginX + t, TextMarginY + t, w - TextMarginX - t, h - TextMarginY - t}, Caption(),
               {FXTextFlag::WordWrap, FXTextFlag::VerticalCenter, FXTextFlag::TrimDots, FXTextFlag::HotkeyChars});
}

FXLightTooltip::FXLightTooltip(ui::TComponent* aOwner) : FXCustomTooltip(aOwner) { ApplyColor(); }

void FXLightTooltip::ApplyColor() {
  const FXCompleteColorSets& colors = *ThemeManager().FSystemToolTip;
  BackColor = colors.LightBackGround();
  BorderColor = colors.LightBackGroundInterior();
}

FXDarkTooltip::FXDarkTooltip(ui::TComponent* aOwner) : FXCustomTooltip(aOwner) { ApplyColor(); }

void FXDarkTooltip::ApplyColor() {
  const FXCompleteColorSets& colors = *ThemeManager().FSystemToolTip;
  BackColor = colors.DarkBackGround();
  BorderColor = colors.DarkBackGroundInterior();
}

}  // namespace lux
