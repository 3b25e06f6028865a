// The package information dialog: its layout, its report and the routine that opens it.
#include "installer/package_info.h"

#include <memory>

#include "installer/state.h"
#include "installer/window_parts.h"
#include "lux/button.h"
#include "lux/classes.h"
#include "lux/icon_view.h"
#include "lux/panels.h"
#include "lux/text_box.h"
#include "platform/window.h"
#include "vel/processes.h"
#include "vel/types.h"

namespace installer {

TPackageInfo* PackageInfo = nullptr;

namespace {

// U+1F882, the arrow that marks a heading. Few text fonts have it; where none does, the sheet paints
// the icon font's chevron (U+E76C) in its place while the copied text keeps the arrow.
const std::string kArrow = "\xF0\x9F\xA2\x82";
const std::string kHeadingMark = kArrow + " ";
const char* const kArrowGlyph = "\xEE\x9D\xAC";  // U+E76C
const char* const kTitleGlyph = "\xEF\x83\xA3";  // U+F0E3
const char* const kCloseGlyph = "\xEE\x84\x8A";  // U+E10A
const char* const kCopyGlyph = "\xEE\x85\xAF";   // U+E16F

template <class T>
T* Place(lux::FXForm& Form, ui::TWinControl* Parent, const char* Name, ui::TAlign Align) {
  auto* control = new T(&Form);
  control->SetName(Name);
  control->SetParent(Parent);
  control->SetAlign(Align);
  return control;
}

lux::FXButton* MakeButton(lux::FXForm& Form, ui::TWinControl* Parent, const char* Name, const std::string& Text,
                          const char* GlyphText) {
  auto* button = Place<lux::FXButton>(Form, Parent, Name, ui::TAlign::alRight);
  button->SetAlignWithMargins(true);
  button->SetMargins({5, 5, 5, 5});
  button->SetWidth(110);
  button->SetText(Text);
  button->SetImage(Glyph(GlyphText));
  return button;
}

// The controls, named so the dialog can find them once it is fully made.
void Build(lux::FXForm& Form) {
  // The window draws its own title bar over its client area; placed first, it stays above the top panel.
  Place<ui::TTitleBarPanel>(Form, &Form, "TitleBarPanel", ui::TAlign::alTop);
  auto* top = Place<lux::FXPanel>(Form, &Form, "TopPanel", ui::TAlign::alTop);
  top->SetHeight(40);
  auto* icon = Place<lux::FXIconView>(Form, top, "TitleIcon", ui::TAlign::alLeft);
  icon->SetWidth(40);
  icon->SetImage(Glyph(kTitleGlyph));
  auto* title = Place<lux::FXTextBox>(Form, top, "Title", ui::TAlign::alClient);
  title->SetFont(Sized(title->Font(), 16));
  title->SetText("Installer Package");

  // The bottom panel goes in before the sheet so the sheet fills what the two panels leave.
  auto* bottom = Place<lux::FXPanel>(Form, &Form, "BottomPanel", ui::TAlign::alBottom);
  bottom->SetHeight(41);
  MakeButton(Form, bottom, "Navigation_Close", "Close", kCloseGlyph)->ModalResult = ui::mrClose;
  MakeButton(Form, bottom, "Navigation_Copy", "Copy", kCopyGlyph)->AutoStateToggle = true;

  auto* sheet = Place<lux::FXTextView>(Form, &Form, "DataSheet", ui::TAlign::alClient);
  sheet->SetFont(Sized(sheet->Font(), 17));
  sheet->SetGlyphSubstitute(kArrow, kArrowGlyph);
}

template <class T>
T* Find(lux::FXForm& Form, const char* Name) {
  return dynamic_cast<T*>(Form.FindComponent(Name));
}

std::string Flag(bool Value) { return vel::BoolToText(Value); }
std::string Number(auto Value) { return std::to_string(static_cast<int>(Value)); }

}  // namespace

TPackageInfo::TPackageInfo(ui::TComponent* AOwner)
    : lux::FXForm(AOwner, Build),
      TopPanel(Find<lux::FXPanel>(*this, "TopPanel")),
      TitleIcon(Find<lux::FXIconView>(*this, "TitleIcon")),
      Title(Find<lux::FXTextBox>(*this, "Title")),
      DataSheet(Find<lux::FXTextView>(*this, "DataSheet")),
      BottomPanel(Find<lux::FXPanel>(*this, "BottomPanel")),
      Navigation_Close(Find<lux::FXButton>(*this, "Navigation_Close")),
      Navigation_Copy(Find<lux::FXButton>(*this, "Navigation_Copy")) {
  // The window's own settings come after the form's initialisation, which would put its defaults back.
  SetCaption("Installer Package Information");
  SetBorderStyle(ui::TFormBorderStyle::bsSizeToolWin);
  Font.SetHeight(21);
  SetClientSize(534, 361);
  SetConstraints({.MinWidth = 450, .MaxWidth = 600, .MaxHeight = 500});
  Navigation_Copy->OnClick = [this](ui::TControl&) { Navigation_ExportClick(); };
}

void TPackageInfo::Navigation_ExportClick() { platform::CurrentWindowBackend().SetClipboardText(DataSheet->Text()); }

void TPackageInfo::BoldLastLine() {
  if (!DataSheet->Lines().empty()) DataSheet->SetLineBold(DataSheet->Lines().size() - 1, true);
  ApplyTextColor();
}

void TPackageInfo::ApplyTextColor() {
  PaintInTextColor(*DataSheet, DrawColors().BackGround());
}

std::vector<lux::FXTextLine> PackageReport() {
  std::vector<lux::FXTextLine> lines;
  auto heading = [&](const std::string& Text) { lines.push_back({kHeadingMark + Text, true}); };
  auto line = [&](const std::string& Text) { lines.push_back({Text, false}); };

  heading("Program information");
  line("Program name: " + AppOptions.AppName);
  line("Complete name: " + AppOptions.AppFullName);
  line("Install path: " + InstallOptions.InstallPath);
  line("Version: " + AppOptions.ProgramVersion.ToString(true));
  line("");
  heading("Publisher information");
  line("Publisher: " + AppOptions.Publisher);
  line("Help link: " + AppOptions.HelpLink);
  line("Support link: " + AppOptions.SupportLink);
  line("Update link: " + AppOptions.UpdateLink);
  line("");
  heading("Executable information");
  line("AppData directory: " + AppOptions.AppDataPath);
  line("Executable name: " + AppOptions.ExeOfPath);
  line("Executable location: " + ExecutablePath(AppOptions));
  line("");
  heading("Installation options");
  line("Add uninstaller: " + Flag(InstallOptions.EnableUninstaller));
  line("Add registry record: " + Flag(InstallOptions.AddRecordToRegistry));
  line("");
  heading("Additional options");
  line("Desktop shortcut: " + Flag(InstallOptions.CreateDesktop));
  line("Start menu shortcut: " + Flag(InstallOptions.CreateStartMenu));
  line("Has EULA: " + Flag(InstallOptions.HasEULA));
  if (PreviousInstall.Exists) {
    line("");
    heading("Previous installation [UPDATE]");
    line("Install location: " + PreviousInstall.InstallPath);
    line("Install version: " + PreviousInstall.Version.ToString(false));
    line("Install kind: " + Number(PreviousInstall.Kind));
    line("Override install: yes");
  }
  line("");
  heading("User settings");
  line("Allow shortcuts: " + Flag(InstallOptions.AllowCreateShortcut));
  line("Allow custom Path: " + Flag(InstallOptions.AllowCustomPath));
  line("Allow extensions: " + Flag(InstallOptions.AllowExtensions));
  line("Allow options: " + Flag(InstallOptions.AllowOptions));
  line("");
  heading("Installation settings");
  line("Install Support: " + Number(InstallOptions.InstallSupport));
  line("Install Pick: " + Number(InstallOptions.InstallPick));
  line("");
  heading("Installer Information");
  line("Installer: Tarns Installer");
  line("Version: " + InstallerVersion.ToString(false));
  line("Publisher: Velnor Software");
  line("");
  line("This installer package was built and is published by Velnor Software.");
  return lines;
}

void TPackageInfo::FillReport() {
  ApplyTextColor();
  DataSheet->Clear();
  for (const lux::FXTextLine& line : PackageReport()) {
    DataSheet->AddLine(line.Text);
    if (line.Bold) BoldLastLine();
  }
  DataSheet->SetScrollPosition(0);
}

ui::TModalResult ShowPackageInfo(ui::TForm* Owner) {
  auto dialog = std::make_unique<TPackageInfo>(nullptr);
  // The variable must not outlive the dialog, even when the modal run ends by an exception.
  struct TForget {
    ~TForget() { PackageInfo = nullptr; }
  } forget;
  PackageInfo = dialog.get();
  if (Owner) vel::CenterFormOn(*dialog, *Owner, false);
  dialog->FillReport();
  return dialog->ShowModal();
}

}  // namespace installer
