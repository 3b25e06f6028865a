// The gallery's controls window: every framework control in every kind, each event reported on one line.
#pragma once

#include <string>

#include "lux/forms.h"

namespace lux {
class FXButton;
class FXProgress;
class FXRadioButton;
class FXTextBox;
}  // namespace lux

namespace gallery {

// Keys: T switches the theme, Esc closes the window (and quits when it is the program's only window).
class TControlsWindow : public lux::FXForm {
 public:
  explicit TControlsWindow(bool QuitOnClose);

 private:
  void BuildButtons();
  void BuildDialogButtons();
  void BuildProgress();
  void BuildChecks();
  void BuildRadios();
  void BuildTexts();
  void BuildPanelsAndImages();
  void ShowDialog(const std::string& Name);
  // "radio: <name> groups 010 10": which radio button of each group is checked, left to right.
  void ReportRadios(const lux::FXRadioButton& Checked);

  lux::FXProgress* FGlide = nullptr;
  lux::FXProgress* FEndless = nullptr;
  lux::FXTextBox* FRepeatCount = nullptr;
  int FRepeats = 0;
  ui::TWinControl* FGroupA = nullptr;
  ui::TWinControl* FGroupB = nullptr;
};

}  // namespace gallery
