// The radio button's exclusive checking and its circle glyphs.
#include "lux/radio_button.h"

#include "ui/canvas.h"

namespace lux {

FXRadioButton::FXRadioButton(ui::TComponent* AOwner) : FXSelectionControl(AOwner, "Fluent Radio Button", 14, false) {}

void FXRadioButton::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  if (FChecked) {
    if (ui::TWinControl* parent = Parent())
      for (int i = 0; i < parent->ControlCount(); ++i)
        if (auto* sibling = dynamic_cast<FXRadioButton*>(parent->Controls(i)); sibling && sibling != this)
          sibling->SetChecked(false);
    if (OnCheck) OnCheck(*this);
  }
  Invalidate();
}

std::intptr_t FXRadioButton::GetCheckedTag() const {
  if (ui::TWinControl* parent = Parent())
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (auto* radio = dynamic_cast<FXRadioButton*>(parent->Controls(i)); radio && radio->Checked()) return radio->Tag();
  return Tag();
}

void FXRadioButton::Toggle() {
  if (!FChecked) SetChecked(true);
}

void FXRadioButton::PaintGlyphs(ui::TCanvas& Canvas) {
  if (!FChecked) {
    DrawGlyph(Canvas, "\uECCA", DrawColors().ForeGround());
    return;
  }
  DrawGlyph(Canvas, "\uE91F", GlyphColor());
  // The dot swells under the pointer and shrinks while pressed.
  if (InteractionState() == FXControlState::Hover) GrowFont(Canvas, 2);
  else if (InteractionState() == FXControlState::Press) GrowFont(Canvas, -1);
  DrawGlyph(Canvas, "\uECCC", DrawColors().BackGround());
}

}  // namespace lux
