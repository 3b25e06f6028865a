// TInstaller: the installer's main window, the nine wizard pages beside the cover picture and the row
// of navigation buttons, and the page slide. The page logic is the wizard's; this window shows it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "installer/wizard.h"
#include "lux/forms.h"

namespace lux {
class FXButton;
class FXCheckBox;
class FXEdit;
class FXPanel;
class FXProgress;
class FXRadioButton;
class FXScrollBox;
class FXTextBox;
class FXTextView;
}  // namespace lux
namespace vel {
class CImage;
class CPanel;
}  // namespace vel

namespace installer {

class TInstaller : public lux::FXForm, public TWizardView {
 public:
  // Builds the window and runs FormCreate: the window is on its first page when this returns, hidden.
  explicit TInstaller(ui::TComponent* AOwner);
  ~TInstaller() override;

  vel::CImage* Cover_Image = nullptr;
  lux::FXPanel* Panels_Container = nullptr;
  lux::FXButton* Navigation_Info = nullptr;
  lux::FXButton* Navigation_Previous = nullptr;
  lux::FXButton* Navigation_Next = nullptr;
  lux::FXButton* Navigation_Install = nullptr;
  lux::FXButton* Navigation_Close = nullptr;
  lux::FXButton* Navigation_Run = nullptr;
  lux::FXButton* Navigation_Terminate = nullptr;
  lux::FXButton* Navigation_DeleteFiles = nullptr;
  lux::FXButton* InstallType_AllUser = nullptr;
  lux::FXButton* InstallType_ThisUser = nullptr;
  vel::CImage* Installer_Logo = nullptr;
  lux::FXTextBox* Program_Title = nullptr;
  lux::FXTextBox* Program_Install_Description = nullptr;
  lux::FXTextBox* Process_Name = nullptr;
  lux::FXTextView* EULA = nullptr;
  lux::FXRadioButton* License_Agree = nullptr;
  lux::FXRadioButton* License_Disagree = nullptr;
  lux::FXScrollBox* Settings_Box = nullptr;
  vel::CPanel* Option_Path = nullptr;
  vel::CPanel* Option_Extensions = nullptr;
  vel::CPanel* Option_Options = nullptr;
  vel::CPanel* Option_ShortCut = nullptr;
  lux::FXEdit* Option_SetPath = nullptr;
  lux::FXProgress* Install_Progress = nullptr;

  TWizard& Wizard() { return *wizard_; }
  // The page panel of a page number (1 to 9); none for any other.
  vel::CPanel* PagePanel(TPage Page) const;

  void FormCreate();
  void ThemeChange(bool DarkTheme);
  // Slides Panel in from the right over PrevPanel (which may be none), hidden when the slide ends.
  void StartAnimation(ui::TWinControl* Panel, ui::TWinControl* PrevPanel);
  void NavClicker(ui::TControl& Sender);
  void Navigation_InfoClick();

  // The frames of page slides this window has been given, and whether a slide is still running.
  std::int32_t SlideFrames() const { return slideFrames_; }
  bool Sliding() const { return sliding_; }

  // TWizardView
  void ShowPage(TPage Page, TPage Previous) override;
  void SetButtonVisible(const std::string& Button, bool Visible) override;
  bool Checked(const std::string& Control) const override;
  void SetChecked(const std::string& Control, bool Value) override;
  std::string PathText() const override;
  void SetPathText(const std::string& Text) override;
  void SetProcessName(const std::string& Text) override;
  void SetProgress(int Value) override;
  void FreezeDrawing() override;
  void UnfreezeDrawing() override;
  bool Visible() const override { return ui::TControl::Visible(); }
  void Close() override { ui::TForm::Close(); }
  ui::TForm* DialogParent() override { return this; }

 protected:
  void DoShow() override;

 private:
  void FocusWayForward();
  void HidePagesButCurrent();
  void ApplyTextColor();

  std::unique_ptr<TWizard> wizard_;
  // Frames of a slide reach the window only through this cell, emptied by the destructor.
  std::shared_ptr<TInstaller*> self_;
  // Only the latest slide moves its page and ends the slide; an earlier one that is still running
  // has been overtaken and lets its frames go.
  std::uint32_t slideGeneration_ = 0;
  std::int32_t slideFrames_ = 0;
  bool sliding_ = false;
  int frozen_ = 0;
  // Set while the wizard sets a control, so the control's change is not reported back as a click.
  bool settingChecks_ = false;
};

}  // namespace installer
