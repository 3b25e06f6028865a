// FXRadioButton: a selection control exclusive among the radio buttons of its parent.
#pragma once

#include <cstdint>
#include <functional>

#include "lux/checkbox.h"

namespace lux {

class FXRadioButton : public FXSelectionControl {
 public:
  explicit FXRadioButton(ui::TComponent* AOwner);

  bool Checked() const { return FChecked; }
  // Checking one unchecks the other radio buttons of the same parent, silently.
  void SetChecked(bool Value);
  std::function<void(FXRadioButton& Sender)> OnCheck;

  // The Tag of the parent's first checked radio button; the own Tag without a parent or a checked one.
  std::intptr_t GetCheckedTag() const;

 protected:
  void Toggle() override;
  void PaintGlyphs(ui::TCanvas& Canvas) override;

 private:
  bool FChecked = false;
};

}  // namespace lux
