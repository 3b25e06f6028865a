// TPackageInfo: the modal dialog that reports what the installer carries and what it is about to do.
#pragma once

#include <string>
#include <vector>

#include "lux/forms.h"
#include "lux/text_view.h"

namespace lux {
class FXButton;
class FXIconView;
class FXPanel;
class FXTextBox;
}  // namespace lux

namespace installer {

class TPackageInfo : public lux::FXForm {
 public:
  explicit TPackageInfo(ui::TComponent* AOwner);

  lux::FXPanel* TopPanel = nullptr;
  lux::FXIconView* TitleIcon = nullptr;
  lux::FXTextBox* Title = nullptr;
  lux::FXTextView* DataSheet = nullptr;
  lux::FXPanel* BottomPanel = nullptr;
  lux::FXButton* Navigation_Close = nullptr;
  lux::FXButton* Navigation_Copy = nullptr;

  // Puts the whole report on the clipboard as plain text.
  void Navigation_ExportClick();
  // Makes the line just added bold and paints the report in TextColor.
  void BoldLastLine();
  // Fills the report from the install state as it stands now.
  void FillReport();

 private:
  void ApplyTextColor();
};

// The report's lines as the dialog shows them, read from the install state.
std::vector<lux::FXTextLine> PackageReport();

// The dialog variable while a report is open; null otherwise.
extern TPackageInfo* PackageInfo;

// Opens the report over Owner (centred on it) and waits until it is closed; answers its modal result.
ui::TModalResult ShowPackageInfo(ui::TForm* Owner);

}  // namespace installer
