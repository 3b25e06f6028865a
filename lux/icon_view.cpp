// FXIconView: colours (grey while disabled), the square icon's placement and its painting.
#include "lux/icon_view.h"

#include <algorithm>

#include "lux/theme_manager.h"

namespace lux {

FXIconView::FXIconView(ui::TComponent* AOwner)
    : FXWindowsControl(AOwner),
      FCustomColors(std::make_unique<FXColorSets>(this)),
      FImage(std::make_unique<FXIconSelect>(this)),
      FDrawColors(std::make_unique<FXCompleteColorSet>()) {
  FImage->SetEnabled(true);
  FAutoFocusLine = true;
  FBufferedComponent = true;
  SetBounds(Left(), Top(), 60, 60);
  UpdateRects();
  UpdateColors();
}

FXIconView::~FXIconView() = default;

void FXIconView::SetImage(const FXIconSelect& Value) {
  if (&Value == FImage.get()) return;
  FImage->Assign(Value);
  Invalidate();
}

void FXIconView::SetScale(double Value) {
  if (Value == FScale) return;
  FScale = Value;
  UpdateRects();
  Invalidate();
}

void FXIconView::SetLayoutHorizontal(FXLayout Value) {
  if (Value == FHorzLayout) return;
  FHorzLayout = Value;
  UpdateRects();
  Invalidate();
}

void FXIconView::SetLayoutVertical(FXLayout Value) {
  if (Value == FVertLayout) return;
  FVertLayout = Value;
  UpdateRects();
  Invalidate();
}

void FXIconView::UpdateColors() {
  FDrawColors->Assign(*ThemeManager().SystemColor);
  if (!Enabled()) {
    FDrawColors->SetForeGround(0x808080);
    return;
  }
  const bool dark = ThemeManager().DarkTheme();
  if (FCustomColors->Enabled()) FDrawColors->LoadFrom(*FCustomColors, dark);
  else FDrawColors->LoadFrom(*ThemeManager().SystemColorSet, dark);
}

void FXIconView::UpdateRects() {
  FDrawRect = ClientRect();
  FIconRect = FDrawRect;
  const std::int32_t side = std::min(RoundEven(FDrawRect.Width() * FScale), RoundEven(FDrawRect.Height() * FScale));
  FIconRect.Right = FIconRect.Left + side;
  FIconRect.Bottom = FIconRect.Top + side;
  auto shift = [](FXLayout layout, std::int32_t room) {
    return layout == FXLayout::Center ? room / 2 : layout == FXLayout::Ending ? room : 0;
  };
  FIconRect = FIconRect.Offset(shift(FHorzLayout, FDrawRect.Width() - side), shift(FVertLayout, FDrawRect.Height() - side));
}

void FXIconView::UpdateTheme(bool) {
  UpdateColors();
  UpdateRects();
  Invalidate();
}

void FXIconView::PaintBuffer() {
  SetColor(FDrawColors->BackGround());
  PaintBackground();
  if (!Transparent()) Buffer().Fill(MakeARGB(FDrawColors->BackGround(), 255));
  ui::TCanvas canvas(Buffer());
  // A glyph takes the icon font and a size fitted to the square; only its colour comes from here.
  canvas.Font.SetColor(MakeARGB(FDrawColors->ForeGround(), 255));
  FImage->DrawIcon(canvas, FIconRect);
  FXWindowsControl::PaintBuffer();
}

void FXIconView::InteractionStateChanged(FXControlState AState) {
  FXWindowsControl::InteractionStateChanged(AState);
  Invalidate();
}

void FXIconView::BoundsChanged(int OldWidth, int OldHeight) {
  UpdateRects();
  FXWindowsControl::BoundsChanged(OldWidth, OldHeight);
}

}  // namespace lux
