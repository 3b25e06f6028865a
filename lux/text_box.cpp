// FXTextBox: colours, text flags, layout, painting and automatic size.
#include "lux/text_box.h"

#include "lux/graphics.h"
#include "lux/theme_manager.h"

namespace lux {

FXTextBox::FXTextBox(ui::TComponent* AOwner)
    : FXWindowsControl(AOwner),
      FCustomColors(std::make_unique<FXColorSets>(this)),
      FDrawColors(std::make_unique<FXCompleteColorSet>()) {
  SetTabStop(false);
  SetBounds(Left(), Top(), 180, 30);
  FAutoFocusLine = true;
  FBufferedComponent = true;
  PaddingFill().OnChange = [this](FXPadding&) {
    UpdateRects();
    if (FAutoSize) UpdateAutoSize();
  };
  UpdateRects();
  UpdateColors();
}

FXTextBox::~FXTextBox() = default;

void FXTextBox::SetText(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  UpdateRects();
  if (FAutoSize) UpdateAutoSize();
  Invalidate();
}

void FXTextBox::SetLayoutHorizontal(FXLayout Value) {
  if (Value == FHorzLayout) return;
  FHorzLayout = Value;
  UpdateRects();
  Invalidate();
}

void FXTextBox::SetLayoutVertical(FXLayout Value) {
  if (Value == FVertLayout) return;
  FVertLayout = Value;
  UpdateRects();
  Invalidate();
}

void FXTextBox::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  if (Value) UpdateAutoSize();
  else Invalidate();
}

void FXTextBox::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  if (FAutoSize) UpdateAutoSize();
  UpdateRects();
  Invalidate();
}

void FXTextBox::SetElipsis(bool Value) {
  if (Value == FElipsis) return;
  FElipsis = Value;
  Invalidate();
}

FXTextFlags FXTextBox::TextFlags() const {
  FXTextFlags flags;
  if (FWordWrap) flags = {FXTextFlag::WordWrap, FXTextFlag::NoClip};
  static constexpr FXTextFlag horizontal[] = {FXTextFlag::Left, FXTextFlag::Center, FXTextFlag::Right};
  static constexpr FXTextFlag vertical[] = {FXTextFlag::Top, FXTextFlag::VerticalCenter, FXTextFlag::Bottom};
  flags.Include(horizontal[static_cast<int>(FHorzLayout)]);
  flags.Include(vertical[static_cast<int>(FVertLayout)]);
  return flags;
}

void FXTextBox::UpdateAutoSize() {
  ui::TBitmap scratch(1, 1);
  ui::TCanvas canvas(scratch);
  canvas.Font = Font();
  const FXPadding& pad = PaddingFill();
  if (!FWordWrap) {
    const ui::TSize size = canvas.TextExtent(FText);
    SetBounds(Left(), Top(), size.cx + pad.PadWidth(), size.cy + pad.PadHeight());
    return;
  }
  const TRect laid = GetTextRect(canvas, FTextRect, FText, TextFlags(), FInnerMargin);
  SetBounds(Left(), Top(), Width(), laid.Height() + pad.PadHeight());
}

void FXTextBox::UpdateColors() {
  FDrawColors->Assign(*ThemeManager().SystemColor);
  const bool dark = ThemeManager().DarkTheme();
  if (FCustomColors->Enabled()) {
    FDrawColors->LoadFrom(*FCustomColors, dark);
    return;
  }
  FDrawColors->LoadFrom(*ThemeManager().SystemColorSet, dark);
  // A label sits on its container: it takes that background, not the theme's.
  if (auto* parent = dynamic_cast<FXControl*>(Parent())) FDrawColors->SetBackGround(parent->Background());
}

void FXTextBox::UpdateRects() { FTextRect = ClientRect(); }

void FXTextBox::UpdateTheme(bool) {
  UpdateColors();
  UpdateRects();
  Invalidate();
}

void FXTextBox::PaintBuffer() {
  SetColor(FDrawColors->BackGround());
  PaintBackground();
  ui::TCanvas canvas(Buffer());
  canvas.Font = Font();
  canvas.Font.SetColor(MakeARGB(FDrawColors->ForeGround(), 255));
  DrawTextRect(canvas, FTextRect, FText, TextFlags(), FInnerMargin);
  FXWindowsControl::PaintBuffer();
}

void FXTextBox::FontUpdate() {
  if (FAutoSize) UpdateAutoSize();
  UpdateRects();
  Invalidate();
}

void FXTextBox::ComponentCreated() {
  FXWindowsControl::ComponentCreated();
  if (FAutoSize) UpdateAutoSize();
}

void FXTextBox::ScaleChanged(float Scaling) {
  FXWindowsControl::ScaleChanged(Scaling);
  UpdateRects();
}

// Both the resize and the size notification end here: the toolkit sends one for both. Before the
// window exists a resize is the constructor's own sizing, which automatic size waits with.
void FXTextBox::BoundsChanged(int OldWidth, int OldHeight) {
  FXWindowsControl::BoundsChanged(OldWidth, OldHeight);
  UpdateRects();
  if (FAutoSize && !Creating()) UpdateAutoSize();
  Invalidate();
}

}  // namespace lux
