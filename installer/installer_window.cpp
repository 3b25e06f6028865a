// The installer window: its layout, its creation, the theme's text colour and the page slide.
#include "installer/installer_window.h"

#include <optional>
#include <span>
#include <vector>

#include "installer/descriptor.h"
#include "installer/package_info.h"
#include "installer/state.h"
#include "installer/window_parts.h"
#include "lux/animations.h"
#include "lux/button.h"
#include "lux/checkbox.h"
#include "lux/edit.h"
#include "lux/icon_view.h"
#include "lux/panels.h"
#include "lux/progress.h"
#include "lux/radio_button.h"
#include "lux/scroll_box.h"
#include "lux/text_box.h"
#include "lux/text_view.h"
#include "lux/theme_manager.h"
#include "platform/resources.h"
#include "ui/application.h"
#include "ui/canvas.h"
#include "vel/text.h"
#include "vel/visual_image.h"
#include "vel/visual_panels.h"

namespace installer {
namespace {

using lux::FXButton;
using lux::FXButtonKind;
using lux::FXTextBox;
using vel::CPanel;

constexpr int kClientWidth = 734, kClientHeight = 461;
constexpr int kSlideDuration = 100, kSlideSteps = 20;

// Glyphs of the icon font.
constexpr const char* kGlyphInfo = "\uF167";
constexpr const char* kGlyphPrevious = "\uE100";
constexpr const char* kGlyphNext = "\uE101";
constexpr const char* kGlyphInstall = "\uE102";
constexpr const char* kGlyphClose = "\uE10A";
constexpr const char* kGlyphPeople = "\uE97C";
constexpr const char* kGlyphPerson = "\uE977";
constexpr const char* kGlyphProcesses = "\uF259";
constexpr const char* kGlyphTerminate = "\uEA39";
constexpr const char* kGlyphDocument = "\uE8A6";
constexpr const char* kGlyphDone = "\uEA3A\uE73E";
constexpr const char* kGlyphDownload = "\uE118";
constexpr const char* kGlyphError = "\uEA39";
constexpr const char* kGlyphDelete = "\uE107";

// A picture the program carries; none when this program carries no such data.
std::optional<ui::TPicture> Carried(const char* Name) {
  std::optional<std::span<const std::uint8_t>> data = platform::FindEmbeddedData(Name);
  if (!data) return std::nullopt;
  ui::TPicture picture;
  picture.LoadFromMemory(data->data(), data->size());
  return picture;
}

// Controls lay out and paint as soon as they have a parent, so the parent comes before the bounds.
template <class T>
T* Add(ui::TComponent& Owner, ui::TWinControl* Parent, const std::string& Name, int X, int Y, int W, int H) {
  T* control = new T(&Owner);
  if (!Name.empty()) control->SetName(Name);
  control->SetParent(Parent);
  control->SetBounds(X, Y, W, H);
  return control;
}

// Top-aligned controls stack in the order of their places: one that arrives below all the others
// goes under them.
void ToTop(ui::TControl* Control, const ui::TMargins& Margins) {
  Control->SetTop(1 << 20);
  Control->SetMargins(Margins);
  Control->SetAlignWithMargins(true);
  Control->SetAlign(ui::TAlign::alTop);
}

template <class T>
T* AddTop(ui::TComponent& Owner, ui::TWinControl* Parent, const std::string& Name, int Height,
          const ui::TMargins& Margins) {
  T* control = Add<T>(Owner, Parent, Name, 0, 0, Parent->Width(), Height);
  ToTop(control, Margins);
  return control;
}

FXTextBox* Text(ui::TComponent& Owner, ui::TWinControl* Parent, const std::string& Name, const std::string& Caption,
                double FontPixels) {
  auto* text = Add<FXTextBox>(Owner, Parent, Name, 0, 0, 100, 30);
  text->SetFont(Sized(text->Font(), FontPixels));
  text->SetWordWrap(true);
  text->SetText(Caption);
  return text;
}

// A body text: 408 wide below whatever the page has above it, as high as its wrapped lines.
FXTextBox* Body(ui::TComponent& Owner, ui::TWinControl* Page, const std::string& Name, const std::string& Caption) {
  auto* text = Text(Owner, Page, Name, Caption, 24);
  ToTop(text, {20, 10, Page->Width() - 20 - 408, 0});
  text->SetAutoSize(true);
  return text;
}

FXButton* Button(ui::TComponent& Owner, ui::TWinControl* Parent, const std::string& Name, const std::string& Caption,
                 const char* GlyphText, int X, int Y, int W, int H, int Tag) {
  auto* button = Add<FXButton>(Owner, Parent, Name, X, Y, W, H);
  button->SetFont(Sized(button->Font(), 21));
  button->SetText(Caption);
  button->SetImage(Glyph(GlyphText));
  button->SetTag(Tag);
  return button;
}

// The largest size up to Pixels (not below Smallest) at which Text is no wider than Width.
double FittingSize(const ui::TFont& Font, const std::string& Text, int Width, double Pixels, double Smallest) {
  ui::TBitmap scratch(1, 1);
  ui::TCanvas canvas(scratch);
  canvas.Font = Sized(Font, Pixels);
  while (Pixels > Smallest && canvas.TextExtent(Text).cx > Width) canvas.Font = Sized(Font, --Pixels);
  return Pixels;
}

// The band at the top of most pages: an icon and the page's title.
void Header(ui::TComponent& Owner, ui::TWinControl* Page, const char* GlyphText, const std::string& Title) {
  auto* band = AddTop<CPanel>(Owner, Page, "", 50, {10, 20, 10, 5});
  auto* icon = Add<lux::FXIconView>(Owner, band, "", 0, 0, 45, 50);
  icon->SetAlign(ui::TAlign::alLeft);
  icon->SetImage(Glyph(GlyphText));
  auto* title = Text(Owner, band, "", Title, 24);
  title->SetWordWrap(false);
  // A title wider than the band (where the system's text font runs wider) takes a smaller size rather
  // than being cut off.
  title->SetFont(Sized(title->Font(), FittingSize(title->Font(), Title, band->Width() - 45 - 8, 24, 16)));
  title->SetLayoutVertical(lux::FXLayout::Center);
  title->SetAlign(ui::TAlign::alClient);
}

// A settings group: a panel with a thin border in the theme's colours around a heading and its boxes.
class TGroupPanel : public CPanel {
 public:
  using CPanel::CPanel;

 protected:
  void Paint() override {
    CPanel::Paint();
    const bool dark = lux::ThemeManager().DarkTheme();
    Canvas()->Pen.Color = dark ? 0xFF3C3C3C : 0xFFD8D8D8;
    Canvas()->FrameRect(ClientRect());
  }
};

CPanel* Group(ui::TComponent& Owner, ui::TWinControl* Box, const std::string& Name, const std::string& Heading) {
  auto* group = AddTop<TGroupPanel>(Owner, Box, Name, 60, {4, 4, 19, 4});
  group->SetParentColor(true);
  auto* heading = Text(Owner, group, "", Heading, 24);
  heading->SetHeight(32);
  ToTop(heading, {8, 8, 8, 8});
  // A heading wider than the group wraps rather than being cut off.
  heading->SetAutoSize(true);
  return group;
}

lux::FXCheckBox* Check(ui::TComponent& Owner, ui::TWinControl* Group, const std::string& Name, const std::string& Caption,
                       int Width) {
  auto* box = Add<lux::FXCheckBox>(Owner, Group, Name, 12, 0, Width, 30);
  box->SetFont(Sized(box->Font(), 21));
  box->SetText(Caption);
  return box;
}

// Stacks the boxes of a group under its heading (Desktop and Start Menu side by side) and makes the
// group as high as what it shows.
void FitGroup(ui::TWinControl* Group) {
  for (int i = 0; i < Group->ControlCount(); ++i)
    if (auto* text = dynamic_cast<FXTextBox*>(Group->Controls(i))) text->UpdateAutoSize();
  Group->Realign();
  int bottom = 0, x = 12, rowTop = 0;
  for (int i = 0; i < Group->ControlCount(); ++i) {
    ui::TControl* control = Group->Controls(i);
    if (!control->Visible()) continue;
    if (control->Align() == ui::TAlign::alTop) {
      bottom = control->Top() + control->Height() + control->Margins().Bottom;
      rowTop = bottom;
      x = 12;
      continue;
    }
    if (x + control->Width() > Group->Width() - 8) {
      rowTop = bottom;
      x = 12;
    }
    control->SetBounds(x, rowTop, control->Width(), control->Height());
    x += control->Width() + 8;
    bottom = std::max(bottom, control->Top() + control->Height() + 2);
  }
  Group->SetHeight(bottom + 8);
}

}  // namespace

TInstaller::TInstaller(ui::TComponent* AOwner)
    : lux::FXForm(AOwner,
                  [](lux::FXForm& form) {
                    // The window draws its own title bar; placed first, it stays above everything.
                    auto* bar = new ui::TTitleBarPanel(&form);
                    bar->SetName("TitleBarPanel1");
                    bar->SetParent(&form);
                    bar->SetBounds(0, 0, kClientWidth, 22);
                    bar->SetAlign(ui::TAlign::alTop);
                  }),
      self_(std::make_shared<TInstaller*>(this)) {
  // Eighty controls set up one property at a time: each is painted once, when FormCreate is done.
  BeginLayout();
  SetBorderStyle(ui::TFormBorderStyle::bsSingle);
  SetBorderIcons({.SystemMenu = true, .Minimize = false, .Maximize = false});
  SetPosition(ui::TPosition::poScreenCenter);
  SetClientSize(kClientWidth, kClientHeight);
  Font.SetName("Segoe UI");
  SetCaption("%S Installer");

  TInstaller& o = *this;
  Cover_Image = Add<vel::CImage>(o, this, "Cover_Image", 8, 25, 225, kClientHeight - 25);
  Cover_Image->SetDrawMode(vel::TDrawMode::Fill);
  if (std::optional<ui::TPicture> cover = Carried("COVER")) Cover_Image->SetPicture(*cover);

  Panels_Container = Add<lux::FXPanel>(o, this, "Panels_Container", 248, 40, 478, 350);
  const int W = Panels_Container->Width(), H = Panels_Container->Height();
  std::vector<CPanel*> pages;
  const char* names[] = {"Page_InstallPick", "Page_Welcome", "Page_Processes", "Page_License", "Page_Settings",
                         "Page_Ready",       "Page_Installing", "Page_Success", "Page_Error"};
  for (int tag = 1; tag <= 9; ++tag) {
    auto* page = Add<CPanel>(o, Panels_Container, names[tag - 1], 0, 0, W, H);
    page->SetParentColor(true);
    page->SetTag(tag);
    page->SetVisible(false);
    page->SetMargins({0, 0, 0, 0});
    page->SetAlignWithMargins(true);
    page->SetAlign(ui::TAlign::alClient);
    pages.push_back(page);
  }

  const auto nav = [this](ui::TControl& Sender) { NavClicker(Sender); };

  // 1: the install type.
  CPanel* page = pages[0];
  Header(o, page, kGlyphPeople, "Please choose your installation type");
  Body(o, page, "", "This installer allows two install types. Please select one fron the menu below.");
  InstallType_AllUser = Button(o, page, "InstallType_AllUser", "All users installation", kGlyphPerson, 50, 185, 175, 145, 5);
  InstallType_ThisUser = Button(o, page, "InstallType_ThisUser", "Only for this user", kGlyphPerson, 253, 185, 175, 145, 5);
  for (FXButton* toggle : {InstallType_AllUser, InstallType_ThisUser}) {
    toggle->SetButtonKind(FXButtonKind::Toggle);
    toggle->SetImageLayout(lux::FXDrawLayout::Top);
    toggle->SetImageScale(2.5);
    toggle->SetWordWrap(true);
    toggle->OnCheck = [this](ui::TComponent* Sender) {
      if (!settingChecks_) wizard_->InstallType_AllUserCheck(Sender->Name());
    };
  }

  // 2: welcome.
  page = pages[1];
  Installer_Logo = Add<vel::CImage>(o, page, "Installer_Logo", 20, 24, 80, 75);
  Program_Title = Text(o, page, "Program_Title", "Welcome to the %S installer", 24);
  Program_Title->SetBounds(112, 24, 344, 68);
  Program_Title->SetLayoutVertical(lux::FXLayout::Center);
  Program_Install_Description =
      Text(o, page, "Program_Install_Description",
           "This application will help you install %S and extract any files required automatically for you. To "
           "begin, press next.",
           24);
  Program_Install_Description->SetBounds(20, 120, 408, 150);
  Program_Install_Description->SetAutoSize(true);

  // 3: a running copy of the application.
  page = pages[2];
  Header(o, page, kGlyphProcesses, "The following processes need to be closed");
  Body(o, page, "",
       "The following processes are interrupting the installation. Please save any work you may have, and close the "
       "applications.");
  Process_Name = AddTop<FXTextBox>(o, page, "Process_Name", 23, {20, 10, W - 20 - 373, 0});
  Process_Name->SetText("application.exe");
  Navigation_Terminate = Button(o, page, "Navigation_Terminate", "Terminate All", kGlyphTerminate, 0, 0, 211, 35, 5);
  ToTop(Navigation_Terminate, {20, 15, W - 20 - 211, 0});
  Navigation_Terminate->OnClick = [this](ui::TControl&) { wizard_->Navigation_TerminateClick(); };

  // 4: the licence.
  page = pages[3];
  Header(o, page, kGlyphDocument, "License agreement");
  EULA = AddTop<lux::FXTextView>(o, page, "EULA", 210, {20, 5, W - 20 - 433, 0});
  EULA->SetFont(Sized(EULA->Font(), 17));
  {
    std::vector<lux::FXTextLine> lines;
    for (const char* line : descriptor::LicenseText) lines.push_back({line, false});
    EULA->SetLines(std::move(lines));
  }
  License_Agree = Add<lux::FXRadioButton>(o, page, "License_Agree", 20, 300, 180, 34);
  License_Disagree = Add<lux::FXRadioButton>(o, page, "License_Disagree", 220, 300, 180, 34);
  for (auto [radio, caption, art] : {std::tuple{License_Agree, "Agree", "AGREE"},
                                     std::tuple{License_Disagree, "Disagree", "DISAGREE"}}) {
    radio->SetFont(Sized(radio->Font(), 21));
    radio->SetText(caption);
    if (std::optional<ui::TPicture> picture = Carried(art)) {
      lux::FXIconSelect image(nullptr);
      image.SetIconType(lux::FXIconType::Image);
      image.SetSelectPicture(*picture);
      image.SetEnabled(true);
      radio->SetImage(image);
    }
  }

  // 5: the settings.
  page = pages[4];
  auto* adjust = AddTop<FXTextBox>(o, page, "", 36, {20, 10, 20, 6});
  adjust->SetFont(Sized(adjust->Font(), 24));
  adjust->SetText("Please adjust the following");
  Settings_Box = AddTop<lux::FXScrollBox>(o, page, "Settings_Box", 288, {20, 0, W - 20 - 441, 0});
  Settings_Box->SetScrollSpeed(25);
  Option_Path = Group(o, Settings_Box, "Option_Path", "Installation path");
  Option_SetPath = AddTop<lux::FXEdit>(o, Option_Path, "Option_SetPath", 33, {12, 2, 418 - 12 - 393, 8});
  Option_SetPath->SetFont(Sized(Option_SetPath->Font(), 19));
  Option_SetPath->SetText("C:\\Program Files\\Program Name");
  Option_Extensions = Group(o, Settings_Box, "Option_Extensions", "Additional Extensions");
  for (const char* name : {"Extension_1", "Extension_2", "Extension_3"}) Check(o, Option_Extensions, name, "Extension", 350);
  Option_Options = Group(o, Settings_Box, "Option_Options", "Additional Options");
  for (const char* name : {"Option_1", "Option_2", "Option_3"}) Check(o, Option_Options, name, "Option", 350);
  Option_ShortCut = Group(o, Settings_Box, "Option_ShortCut", "Create Shortcuts for the program in:");
  Check(o, Option_ShortCut, "Create_Desktop", "Desktop", 180);
  Check(o, Option_ShortCut, "Create_StartMenu", "Start Menu", 180);

  // 6: ready.
  page = pages[5];
  Header(o, page, kGlyphDone, "All ready?");
  Body(o, page, "", "Press Install to start installing this program.");

  // 7: installing.
  page = pages[6];
  auto* band = AddTop<FXTextBox>(o, page, "", 50, {20, 20, 10, 5});
  band->SetFont(Sized(band->Font(), 24));
  band->SetLayoutVertical(lux::FXLayout::Center);
  band->SetText("Installing....");
  auto* download = Add<lux::FXIconView>(o, page, "", (W - 72) / 2, 105, 72, 60);
  download->SetImage(Glyph(kGlyphDownload));
  download->SetScale(2);
  int x = 27;
  for (const char* step : {"| Prepare", "| Export", "| Extract", "| Write", "| Verify"}) {
    auto* label = Add<FXTextBox>(o, page, "", x, 200, 84, 18);
    label->SetFont(Sized(label->Font(), 13));
    label->SetText(step);
    x += 84;
  }
  Install_Progress = Add<lux::FXProgress>(o, page, "Install_Progress", (W - 423) / 2, 225, 423, 20);
  Install_Progress->SetAnimations(true);

  // 8: success.
  page = pages[7];
  Header(o, page, kGlyphDone, "The installation was successfull");
  Body(o, page, "", "The installation has completed successfully! You may now open the application.");
  Navigation_Run = Button(o, page, "Navigation_Run", "Open application", kGlyphInstall, 0, 0, 233, 35, NavTag::Run);
  ToTop(Navigation_Run, {20, 20, W - 20 - 233, 0});
  Navigation_Run->OnClick = nav;

  // 9: error.
  page = pages[8];
  Header(o, page, kGlyphError, "The installation has failed");
  Body(o, page, "",
       "The installation process was interrupted and the application could not be properly installed. We are sorry "
       "about this, please try again.");
  Navigation_DeleteFiles =
      Button(o, page, "Navigation_DeleteFiles", "Delete temporary files", kGlyphDelete, 0, 0, 233, 35, NavTag::DeleteFiles);
  // Wrapped, the caption breaks into two lines that the button's height cuts off where the system's
  // text font is wider than the one it was made for: it stays on one line, a little smaller.
  Navigation_DeleteFiles->SetWordWrap(false);
  Navigation_DeleteFiles->SetFont(Sized(Navigation_DeleteFiles->Font(), 17));
  ToTop(Navigation_DeleteFiles, {20, 20, W - 20 - 233, 0});
  Navigation_DeleteFiles->OnClick = nav;

  // The navigation row.
  Navigation_Info = Button(o, this, "Navigation_Info", "Package Info", kGlyphInfo, 248, 410, 159, 35, 6);
  Navigation_Info->SetButtonKind(FXButtonKind::Link);
  Navigation_Info->SetWordWrap(false);
  // The link's text stays whole where the system's text font is wider than the one it was made for.
  Navigation_Info->SetFont(Sized(Navigation_Info->Font(), 17));
  Navigation_Info->SetCursor(ui::TCursor::Hand);
  Navigation_Info->SetAnchors({.Left = true, .Top = false, .Right = false, .Bottom = true});
  Navigation_Info->OnClick = [this](ui::TControl&) { Navigation_InfoClick(); };
  Navigation_Previous = Button(o, this, "Navigation_Previous", "Previous", kGlyphPrevious, 433, 410, 140, 35, NavTag::Previous);
  Navigation_Next = Button(o, this, "Navigation_Next", "Next", kGlyphNext, 586, 410, 140, 35, NavTag::Next);
  Navigation_Install = Button(o, this, "Navigation_Install", "Install", kGlyphInstall, 586, 410, 140, 35, NavTag::Next);
  Navigation_Close = Button(o, this, "Navigation_Close", "Close", kGlyphClose, 586, 410, 140, 35, NavTag::Close);
  for (FXButton* button : {Navigation_Previous, Navigation_Next, Navigation_Install, Navigation_Close}) {
    button->SetAnchors({.Left = false, .Top = false, .Right = true, .Bottom = true});
    button->SetVisible(false);
    button->OnClick = nav;
  }
  for (FXButton* button : {Navigation_Next, Navigation_Install, Navigation_Close})
    button->SetButtonKind(FXButtonKind::Accent);

  OnCloseQuery = [this](ui::TForm&, bool& CanClose) { CanClose = wizard_->FormCloseQuery(); };

  wizard_ = std::make_unique<TWizard>(*this);
  FormCreate();
}

TInstaller::~TInstaller() {
  *self_ = nullptr;
  // The wizard lets go of the process-wide window before the controls it reaches go.
  wizard_.reset();
}

vel::CPanel* TInstaller::PagePanel(TPage Page) const {
  if (Page < 1 || Page > 9) return nullptr;
  for (int i = 0; i < Panels_Container->ControlCount(); ++i)
    if (auto* panel = dynamic_cast<vel::CPanel*>(Panels_Container->Controls(i)); panel && panel->Tag() == Page)
      return panel;
  return nullptr;
}

void TInstaller::FormCreate() {
  const char* boxes[] = {"Option_1", "Option_2", "Option_3", "Extension_1", "Extension_2", "Extension_3"};
  for (const char* name : boxes) dynamic_cast<lux::FXCheckBox*>(FindComponent(name))->SetText("");

  SetCaption(vel::ReplaceText(Caption(), "%S", AppOptions.AppFullName) + CaptionSuffix);
  Program_Title->SetCaption(vel::ReplaceText(Program_Title->Text(), "%S", AppOptions.AppName));
  Program_Install_Description->SetCaption(vel::ReplaceText(Program_Install_Description->Text(), "%S", AppOptions.AppName));

  const TInstallOptions& options = InstallOptions;
  Option_ShortCut->SetVisible(options.AllowCreateShortcut && options.CanBeRun);
  Option_Path->SetVisible(options.AllowCustomPath);
  Option_Options->SetVisible(options.AllowOptions);
  Option_Extensions->SetVisible(options.AllowExtensions);
  for (const char* name : boxes) {
    auto* box = dynamic_cast<lux::FXCheckBox*>(FindComponent(name));
    box->SetVisible(!box->Text().empty());
  }
  if (Option_ShortCut->Visible()) {
    SetChecked("Create_Desktop", true);
    SetChecked("Create_StartMenu", true);
  }
  Navigation_Run->SetVisible(options.CanBeRun);
  // The wizard makes the temporary folder as it starts, below.
  OnThemeChange = [this](lux::FXControl*, lux::FXThemeType, bool DarkTheme, lux::TColor) { ThemeChange(DarkTheme); };
  if (std::optional<ui::TPicture> logo = Carried("APPLOGO")) Installer_Logo->SetPicture(*logo);

  // The controls take their parents' colours from the theme pass that follows their placing.
  UpdateTheme(true);
  // The groups' headings have their final fonts and wrapped heights only now.
  for (vel::CPanel* group : {Option_Path, Option_Extensions, Option_Options, Option_ShortCut}) FitGroup(group);
  Settings_Box->UpdateScrollRanges();
  EndLayout();
  wizard_->Start();
}

void TInstaller::ThemeChange(bool DarkTheme) {
  TextColor = DarkTheme ? 0xFFFFFF : 0x000000;
  ApplyTextColor();
}

void TInstaller::ApplyTextColor() {
  PaintInTextColor(*EULA, DrawColors().BackGround());
}

void TInstaller::StartAnimation(ui::TWinControl* Panel, ui::TWinControl* PrevPanel) {
  const int W = Panels_Container->Width();
  Panel->BringToFront();
  ui::TSizeConstraints limits = Panel->Constraints();
  limits.MinWidth = W;
  Panel->SetConstraints(limits);
  Panel->SetVisible(true);
  ui::TMargins margins = Panel->Margins();
  margins.Left = W;
  Panel->SetMargins(margins);

  const std::uint32_t generation = ++slideGeneration_;
  sliding_ = true;
  std::weak_ptr<TInstaller*> self = self_;
  auto slide = std::make_unique<lux::TIntAni>(
      true, lux::TAniKind::akIn, lux::TAniFunctionKind::afkSine, W, -W,
      [self, generation, Panel](std::int32_t Value) {
        auto window = self.lock();
        if (!window || !*window || (*window)->slideGeneration_ != generation) return;
        ++(*window)->slideFrames_;
        ui::TMargins m = Panel->Margins();
        m.Left = Value;
        Panel->SetMargins(m);
      },
      [self, generation, Panel, PrevPanel] {
        auto window = self.lock();
        if (!window || !*window || (*window)->slideGeneration_ != generation) return;
        TInstaller& w = **window;
        ui::TMargins m = Panel->Margins();
        m.Left = 0;
        Panel->SetMargins(m);
        if (PrevPanel && PrevPanel != Panel) PrevPanel->SetVisible(false);
        // A slide that overtook another leaves the pages of both beneath: only the current one stays.
        w.HidePagesButCurrent();
        w.sliding_ = false;
      });
  slide->SetDuration(kSlideDuration);
  slide->SetStep(kSlideSteps);
  lux::TIntAni::Launch(std::move(slide));
}

void TInstaller::HidePagesButCurrent() {
  for (TPage page = 1; page <= 9; ++page)
    if (page != CurrentPage) PagePanel(page)->SetVisible(false);
}

void TInstaller::NavClicker(ui::TControl& Sender) { wizard_->NavClicker(static_cast<int>(Sender.Tag())); }

void TInstaller::Navigation_InfoClick() { ShowPackageInfo(this); }

void TInstaller::ShowPage(TPage Page, TPage Previous) {
  vel::CPanel* panel = PagePanel(Page);
  if (!panel) return;
  StartAnimation(panel, PagePanel(Previous));
  FocusWayForward();
}

void TInstaller::FocusWayForward() {
  // Enter goes to the page's way forward.
  for (FXButton* button : {Navigation_Next, Navigation_Install, Navigation_Close})
    if (button->Visible()) SetActiveControl(button);
}

void TInstaller::DoShow() {
  lux::FXForm::DoShow();
  FocusWayForward();
}

void TInstaller::SetButtonVisible(const std::string& Button, bool Visible) {
  if (auto* control = dynamic_cast<ui::TControl*>(FindComponent(Button))) control->SetVisible(Visible);
}

bool TInstaller::Checked(const std::string& Control) const {
  ui::TComponent* component = FindComponent(Control);
  if (auto* box = dynamic_cast<lux::FXCheckBox*>(component)) return box->Checked();
  if (auto* radio = dynamic_cast<lux::FXRadioButton*>(component)) return radio->Checked();
  if (auto* button = dynamic_cast<FXButton*>(component)) return button->Checked();
  return false;
}

void TInstaller::SetChecked(const std::string& Control, bool Value) {
  settingChecks_ = true;
  ui::TComponent* component = FindComponent(Control);
  if (auto* box = dynamic_cast<lux::FXCheckBox*>(component)) box->SetChecked(Value);
  if (auto* radio = dynamic_cast<lux::FXRadioButton*>(component)) radio->SetChecked(Value);
  if (auto* button = dynamic_cast<FXButton*>(component)) button->SetChecked(Value);
  settingChecks_ = false;
}

std::string TInstaller::PathText() const { return Option_SetPath->Text(); }

void TInstaller::SetPathText(const std::string& Text) { Option_SetPath->SetText(Text); }

void TInstaller::SetProcessName(const std::string& Text) { Process_Name->SetText(Text); }

void TInstaller::SetProgress(int Value) { Install_Progress->SetValue(static_cast<float>(Value)); }

void TInstaller::FreezeDrawing() {
  if (frozen_++ == 0) SetWindowUpdateLocked(true);
}

void TInstaller::UnfreezeDrawing() {
  if (frozen_ > 0 && --frozen_ == 0) SetWindowUpdateLocked(false);
}

}  // namespace installer
