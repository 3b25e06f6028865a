// FXPanel: colours from the theme or its own set, the accent line, and the theme passed to its children.
#include "lux/panels.h"

#include "lux/shapes.h"
#include "lux/theme_manager.h"

namespace lux {

FXPanel::FXPanel(ui::TComponent* AOwner)
    : FXPanelBase(AOwner),
      FCustomColors(std::make_unique<FXCompleteColorSets>(this)),
      FDrawColors(std::make_unique<FXCompleteColorSet>(*ThemeManager().SystemColorSet, ThemeManager().DarkTheme())) {
  SetParentColor(true);
  FFont.SetName(ThemeManager().FormFont());
  UpdateColors();
}

FXPanel::~FXPanel() = default;

void FXPanel::SetBackgroundColor(FXBackgroundColor Value) {
  if (Value == FBackground) return;
  FBackground = Value;
  Invalidate();
  SetParentColor(false);
  UpdateColors();
}

void FXPanel::SetAccentLine(bool Value) {
  FAccentLine = Value;
  Invalidate();
  DrawAccentLine();
}

void FXPanel::SetAccentLineWidth(std::int32_t Value) {
  FLineWidth = Value;
  Invalidate();
}

TColor FXPanel::Background() {
  return FBackground == FXBackgroundColor::Content ? FDrawColors->BackGroundInterior() : FDrawColors->BackGround();
}

void FXPanel::UpdateColors() {
  if (FCustomColors->Enabled()) FDrawColors->LoadFrom(*FCustomColors, ThemeManager().DarkTheme());
  else FDrawColors->Assign(*ThemeManager().SystemColor);
  FFont.SetColor(MakeARGB(FDrawColors->ForeGround(), 255));
  // Setting the colour stops following the parent's: from the first update on the panel has its own.
  SetColor(MakeARGB(Background(), 255));
}

void FXPanel::UpdateTheme(bool UpdateChildren) {
  UpdateColors();
  Invalidate();
  if (!UpdateChildren) return;
  // Controls of other kinds (a plain panel among them) are not walked into: the window reaches the
  // framework controls inside them through its own components.
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* control = dynamic_cast<FXControl*>(Controls(i))) control->UpdateTheme(UpdateChildren);
}

void FXPanel::Paint() {
  FXPanelBase::Paint();
  DrawAccentLine();
}

void FXPanel::DrawAccentLine() {
  if (!FAccentLine) return;
  ui::TCanvas* canvas = Canvas();
  if (!canvas) {
    Invalidate();
    return;
  }
  const FXBrush brush{MakeARGB(FDrawColors->Accent(), 255)};
  GDIRoundRect(*canvas, FXRoundRect(Rect(10, 10, 10 + FLineWidth, Height() - 10), 8), &brush, nullptr);
}

}  // namespace lux
