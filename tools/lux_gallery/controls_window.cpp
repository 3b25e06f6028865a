// The gallery's controls window: buttons of the six kinds and their states, progress bars of the four
// kinds, check boxes and two radio groups, text boxes, icon views, a text view, panels, images and the
// message dialogs. Every event a test needs is printed as one line (see Say).
#include "controls_window.h"

#include <cstdint>
#include <string>
#include <vector>

#include "events.h"
#include "lux/button.h"
#include "lux/checkbox.h"
#include "lux/colors.h"
#include "lux/dialogs.h"
#include "lux/icon_view.h"
#include "lux/panels.h"
#include "lux/progress.h"
#include "lux/radio_button.h"
#include "lux/text_box.h"
#include "lux/text_view.h"
#include "lux/theme_manager.h"
#include "platform/window.h"
#include "ui/application.h"
#include "ui/canvas.h"
#include "vel/visual_image.h"
#include "vel/visual_panels.h"

namespace gallery {
namespace {

using namespace lux;

constexpr const char* kCaption = "Lux Controls";
constexpr int kWidth = 1190, kHeight = 650;

// Glyphs of the icon font the framework draws with.
constexpr const char* kGlyphCopy = "\uE8C8";
constexpr const char* kGlyphCheck = "\uE73E";
constexpr const char* kGlyphDownload = "\uE118";
constexpr const char* kGlyphDocument = "\uE8A6";
constexpr const char* kGlyphPeople = "\uE97C";
constexpr const char* kGlyphStar = "\uE734";
constexpr const char* kGlyphError = "\uEA39";

// Controls lay out and paint as soon as they have a parent, so the parent comes before the bounds.
template <class T>
T* Add(ui::TComponent& Owner, ui::TWinControl& Parent, const std::string& Name, const TRect& Bounds) {
  T* control = new T(&Owner);
  control->SetName(Name);
  control->SetParent(&Parent);
  control->SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
  return control;
}

// A section title: a text box in the larger bold form font, sized to its text.
FXTextBox* Heading(ui::TComponent& Owner, ui::TWinControl& Parent, const std::string& Text, int X, int Y) {
  auto* heading = Add<FXTextBox>(Owner, Parent, "", Rect(X, Y, X + 200, Y + 24));
  ui::TFont font = heading->Font();
  font.SetHeight(ThemeManager().LargeFontHeight() > 0 ? ThemeManager().LargeFontHeight() : 18);
  font.SetStyle({.Bold = true});
  heading->SetFont(font);
  heading->SetText(Text);
  return heading;
}

const char* StateName(FXCheckBoxState State) {
  switch (State) {
    case FXCheckBoxState::Checked: return "checked";
    case FXCheckBoxState::Unchecked: return "unchecked";
    case FXCheckBoxState::Grayed: return "grayed";
  }
  return "?";
}

// The image controls' picture is drawn here rather than read from a file: a sky, a sun and hills,
// 96 x 64 with a transparent corner, so every draw mode shows its own placement.
constexpr int kPictureWidth = 96, kPictureHeight = 64;
void DrawLandscape(ui::TCanvas& Canvas) {
  for (int y = 0; y < 40; ++y) {
    Canvas.BrushColor = 0xFF000000u | std::uint32_t(0x40 + y * 2) << 16 | std::uint32_t(0x90 + y * 2) << 8 | 0xE0u;
    Canvas.FillRect(TRect{0, y, kPictureWidth, y + 1});
  }
  Canvas.Pen.Width = 0;
  Canvas.BrushColor = 0xFFFFC83C;
  Canvas.Ellipse(62, 8, 22, 22);
  Canvas.BrushColor = 0xFF3C9A46;
  Canvas.Ellipse(-30, 30, 90, 60);
  Canvas.BrushColor = 0xFF2E7D32;
  Canvas.Ellipse(30, 36, 100, 60);
  Canvas.Target().FillRect(TRect{0, 0, 8, 8}, 0x00000000);
}

}  // namespace

TControlsWindow::TControlsWindow(bool QuitOnClose) : FXForm(nullptr) {
  SetCaption(kCaption);
  SetBorderStyle(ui::TFormBorderStyle::bsSingle);
  SetBorderIcons({.SystemMenu = true, .Minimize = false, .Maximize = false});
  SetClientSize(kWidth, kHeight);

  BuildButtons();
  BuildDialogButtons();
  BuildProgress();
  BuildChecks();
  BuildRadios();
  BuildTexts();
  BuildPanelsAndImages();
  // Controls resolve their colours when made, before they have a parent; the ones inside panels take
  // their panel's colour only at a theme update, so every control gets one now that all are placed.
  UpdateTheme(true);

  KeyPreview = true;
  OnKeyPress = [](ui::TWinControl&, const std::string& key) {
    if (key == "t" || key == "T") ToggleTheme();
  };
  OnKeyDown = [this](ui::TWinControl&, int& key, ui::TShiftState) {
    if (key == platform::keys::Escape) Close();
  };
  // The endless bar's worker runs only while the window is on the screen: a hidden window has no use
  // for its frames, and a worker still waking the loop while the program ends its windows is a race
  // the window system can lose.
  OnShow = [this](ui::TForm&) {
    FEndless->SetProgressKind(FXProgressKind::Intermediate);
    Say("controls: shown");
  };
  OnClose = [this, QuitOnClose](ui::TForm&, ui::TCloseAction&) {
    FEndless->SetProgressKind(FXProgressKind::Normal);
    Say("controls: closed");
    if (QuitOnClose) ui::Application().Terminate();
  };
}

void TControlsWindow::BuildButtons() {
  Heading(*this, *this, "Buttons", 20, 44);
  struct TKind {
    const char* Name;
    const char* Text;
    FXButtonKind Kind;
    int X, Y;
  };
  const TKind kinds[] = {
      {"normal", "Normal", FXButtonKind::Normal, 20, 80},  {"accent", "Accent", FXButtonKind::Accent, 190, 80},
      {"toggle", "Toggle", FXButtonKind::Toggle, 20, 125}, {"dropdown", "Menu", FXButtonKind::Dropdown, 190, 125},
      {"link", "Hyperlink", FXButtonKind::Link, 20, 170},  {"flat", "Flat", FXButtonKind::Flat, 190, 170},
      {"disabled", "Disabled", FXButtonKind::Accent, 20, 215},
  };
  for (const TKind& kind : kinds) {
    auto* button = Add<FXButton>(*this, *this, kind.Name, Rect(kind.X, kind.Y, kind.X + 160, kind.Y + 35));
    button->SetText(kind.Text);
    button->SetButtonKind(kind.Kind);
    const std::string name = kind.Name;
    button->OnClick = [name](auto&&...) { Say("click: " + name); };
  }
  auto* toggle = static_cast<FXButton*>(FindComponent("toggle"));
  toggle->OnCheck = [toggle](auto&&...) { Say(std::string("toggle: checked ") + (toggle->Checked() ? "1" : "0")); };
  auto* dropdown = static_cast<FXButton*>(FindComponent("dropdown"));
  dropdown->OnDropDown = [](auto&&...) { Say("dropdown: open"); };
  // No address: a click in a test must not start a browser; the event still fires.
  auto* link = static_cast<FXButton*>(FindComponent("link"));
  link->OnOpenLink = [](auto&&...) { Say("link: open"); };
  static_cast<FXButton*>(FindComponent("disabled"))->SetEnabled(false);

  auto* above = Add<FXButton>(*this, *this, "above", Rect(190, 215, 350, 284));
  above->SetText("Icon above");
  above->SetImageLayout(FXDrawLayout::Top);
  above->Image().SetSelectSegoe(kGlyphDownload);
  above->Image().SetEnabled(true);
  above->OnClick = [](auto&&...) { Say("click: above"); };

  auto* state = Add<FXButton>(*this, *this, "state", Rect(20, 260, 180, 295));
  state->SetText("Copy");
  state->Image().SetSelectSegoe(kGlyphCopy);
  state->Image().SetEnabled(true);
  state->SetStateText("Copied");
  state->StateImage().SetSelectSegoe(kGlyphCheck);
  state->StateImage().SetEnabled(true);
  state->SetStateDuration(1500);
  state->AutoStateToggle = true;
  state->OnClick = [](auto&&...) { Say("click: state"); };

  auto* repeat = Add<FXButton>(*this, *this, "repeat", Rect(20, 305, 180, 340));
  repeat->SetText("Repeat");
  repeat->RepeatWhenPressed = true;
  FRepeatCount = Add<FXTextBox>(*this, *this, "repeats", Rect(190, 305, 350, 340));
  FRepeatCount->SetAutoSize(false);
  FRepeatCount->SetText("Repeats: 0");
  repeat->OnClick = [this](auto&&...) {
    FRepeatCount->SetText("Repeats: " + std::to_string(++FRepeats));
    Say("repeat: " + std::to_string(FRepeats));
  };
}

void TControlsWindow::BuildDialogButtons() {
  Heading(*this, *this, "Dialogs", 20, 360);
  const char* const dialogs[][2] = {{"ok", "Ok"},          {"yesno", "Yes, No"},          {"okcancel", "Ok, Cancel"},
                                    {"yesnocancel", "Yes, No, Cancel"}, {"long", "A long message"}};
  int index = 0;
  for (const auto& [name, text] : dialogs) {
    const int y = 396 + index * 45;
    auto* button = Add<FXButton>(*this, *this, std::string("dialog-") + name, Rect(20, y, 220, y + 35));
    button->SetText(text);
    const std::string kind = name;
    button->OnClick = [this, kind](auto&&...) { ShowDialog(kind); };
    ++index;
  }
}

void TControlsWindow::ShowDialog(const std::string& Name) {
  FXDialog dialog(this);
  using B = TMsgDlgBtn;
  if (Name == "ok") {
    dialog.SetTitle("Information");
    dialog.SetText("The gallery shows a dialog with one button.");
    dialog.SetButtons({B::OK});
  } else if (Name == "yesno") {
    dialog.SetTitle("A question");
    dialog.SetText("Do you want to go on?");
    dialog.SetButtons({B::Yes, B::No});
  } else if (Name == "okcancel") {
    dialog.SetTitle("Confirm");
    dialog.SetText("Press Ok to go on or Cancel to stop.");
    dialog.SetButtons({B::OK, B::Cancel});
  } else if (Name == "yesnocancel") {
    dialog.SetTitle("Unsaved changes");
    dialog.SetText("Save the changes before closing?");
    dialog.SetButtons({B::Yes, B::No, B::Cancel});
  } else {
    dialog.SetTitle("A long message");
    dialog.SetText(
        "This message is longer than eighty characters, so the dialog wraps it at sixty-five average "
        "character widths and grows in height to hold every line of it, while the title above stays on "
        "one line. The buttons keep to the footer at the bottom.");
    dialog.SetButtons({B::OK});
  }
  Say("dialog-open: " + Name);
  const ui::TModalResult result = dialog.Execute();
  Say("dialog: " + std::to_string(result));
}

void TControlsWindow::BuildProgress() {
  Heading(*this, *this, "Progress bars", 370, 44);
  struct TBar {
    const char* Name;
    FXProgressKind Kind;
    float Value;
  };
  const TBar bars[] = {{"Normal", FXProgressKind::Normal, 30},
                       {"Intermediate", FXProgressKind::Intermediate, 0},
                       {"Paused", FXProgressKind::Paused, 50},
                       {"Error", FXProgressKind::Error, 75}};
  int y = 80;
  for (const TBar& bar : bars) {
    auto* progress = Add<FXProgress>(*this, *this, std::string("progress-") + bar.Name, Rect(370, y, 530, y + 20));
    progress->SetAnimations(false);
    progress->SetValue(bar.Value);
    progress->SetAnimations(true);
    if (bar.Kind == FXProgressKind::Intermediate)
      FEndless = progress;  // set going when the window shows
    else
      progress->SetProgressKind(bar.Kind);
    auto* label = Add<FXTextBox>(*this, *this, "", Rect(540, y, 680, y + 20));
    label->SetText(bar.Name);
    if (!FGlide) FGlide = progress;
    y += 32;
  }
  const std::pair<const char*, float> targets[] = {{"60", 60}, {"0", 0}};
  int x = 370;
  for (const auto& [text, value] : targets) {
    auto* button = Add<FXButton>(*this, *this, std::string("progress-to-") + text, Rect(x, 210, x + 95, 245));
    button->SetText(std::string("To ") + text);
    const float target = value;
    button->OnClick = [this, target](auto&&...) {
      FGlide->SetValue(target);
      Say("progress: " + std::to_string(static_cast<int>(target)));
    };
    x += 105;
  }
}

void TControlsWindow::BuildChecks() {
  Heading(*this, *this, "Check boxes", 370, 266);
  struct TCheck {
    const char* Name;
    const char* Text;
    bool AllowGrayed, Enabled, Checked;
  };
  const TCheck checks[] = {{"check", "Check box", false, true, false},
                           {"three", "Three states", true, true, false},
                           {"check-disabled", "Disabled", false, false, true}};
  int y = 300;
  for (const TCheck& check : checks) {
    auto* box = Add<FXCheckBox>(*this, *this, check.Name, Rect(370, y, 590, y + 30));
    box->SetText(check.Text);
    box->SetAllowGrayed(check.AllowGrayed);
    box->SetChecked(check.Checked);
    box->SetEnabled(check.Enabled);
    const std::string name = check.Name;
    box->OnChange = [box, name](auto&&...) { Say("check: " + name + " " + StateName(box->State())); };
    y += 32;
  }
}

void TControlsWindow::BuildRadios() {
  Heading(*this, *this, "Radio buttons", 370, 406);
  // Each group sits in a panel of its own, so checking one excludes only its own siblings.
  auto group = [this](const std::string& Name, int X, const std::vector<std::string>& Items) {
    auto* panel = Add<FXPanel>(*this, *this, Name, Rect(X, 440, X + 150, 440 + 12 + 32 * int(Items.size())));
    panel->SetBackgroundColor(FXBackgroundColor::Content);
    int y = 6;
    for (const std::string& item : Items) {
      auto* radio = Add<FXRadioButton>(*this, *panel, Name + "-" + item, Rect(8, y, 142, y + 30));
      radio->SetText(Name == "a" ? "Option " + item : "Choice " + item);
      radio->OnCheck = [this, radio](auto&&...) { ReportRadios(*radio); };
      y += 32;
    }
    return panel;
  };
  FGroupA = group("a", 370, {"1", "2", "3"});
  FGroupB = group("b", 530, {"1", "2"});
  static_cast<FXRadioButton*>(FindComponent("a-1"))->SetChecked(true);
  static_cast<FXRadioButton*>(FindComponent("b-2"))->SetChecked(true);
}

void TControlsWindow::ReportRadios(const FXRadioButton& Checked) {
  std::string line = "radio: " + Checked.Name() + " groups ";
  for (ui::TWinControl* group : {FGroupA, FGroupB}) {
    if (!group) return;  // still being built
    for (int i = 0; i < group->ControlCount(); ++i)
      if (auto* radio = dynamic_cast<FXRadioButton*>(group->Controls(i))) line += radio->Checked() ? '1' : '0';
    if (group == FGroupA) line += ' ';
  }
  Say(line);
}

void TControlsWindow::BuildTexts() {
  Heading(*this, *this, "Text boxes", 700, 44);
  auto* sized = Add<FXTextBox>(*this, *this, "text-sized", Rect(700, 80, 920, 100));
  sized->SetText("Sized to its text");

  auto* wrapped = Add<FXTextBox>(*this, *this, "text-wrapped", Rect(700, 108, 920, 128));
  wrapped->SetWordWrap(true);
  wrapped->SetText("Wrapped: the box keeps its width and grows in height.");

  struct TAligned {
    const char* Name;
    const char* Text;
    FXLayout Horizontal, Vertical;
  };
  const TAligned aligned[] = {{"text-centre", "Centred both ways", FXLayout::Center, FXLayout::Center},
                              {"text-end", "Bottom right", FXLayout::Ending, FXLayout::Ending}};
  int y = 230;
  for (const TAligned& box : aligned) {
    // On an interior panel, so that the box's own area shows where its text sits.
    auto* frame = Add<FXPanel>(*this, *this, std::string(box.Name) + "-panel", Rect(700, y, 920, y + 44));
    frame->SetBackgroundColor(FXBackgroundColor::Content);
    auto* text = Add<FXTextBox>(*this, *frame, box.Name, Rect(0, 0, 220, 44));
    text->SetAutoSize(false);
    text->SetLayoutHorizontal(box.Horizontal);
    text->SetLayoutVertical(box.Vertical);
    text->PaddingFill().SetLeft(6);
    text->PaddingFill().SetTop(4);
    text->PaddingFill().SetRight(6);
    text->PaddingFill().SetBottom(4);
    text->SetText(box.Text);
    y += 52;
  }

  Heading(*this, *this, "Icon views", 700, 340);
  struct TIcon {
    const char* Glyph;
    double Scale;
    FXLayout Horizontal;
    bool Enabled;
  };
  const TIcon icons[] = {{kGlyphDocument, 1.0, FXLayout::Center, true},
                         {kGlyphPeople, 0.6, FXLayout::Center, true},
                         {kGlyphStar, 0.6, FXLayout::Beginning, true},
                         {kGlyphError, 1.0, FXLayout::Center, false}};
  int x = 700;
  for (const TIcon& icon : icons) {
    auto* view = Add<FXIconView>(*this, *this, "", Rect(x, 374, x + 50, 424));
    view->Image().SetSelectSegoe(icon.Glyph);
    view->SetScale(icon.Scale);
    view->SetLayoutHorizontal(icon.Horizontal);
    view->SetEnabled(icon.Enabled);
    x += 56;
  }

  Heading(*this, *this, "Text view", 700, 440);
  auto* view = Add<FXTextView>(*this, *this, "textview", Rect(700, 474, 920, 634));
  std::vector<FXTextLine> lines = {{"A read-only text view", true},
                                   {"It wraps long lines at its width and scrolls with the wheel, the keys "
                                    "and its own thin scroll bar.",
                                    false},
                                   {"", false},
                                   {"Bold lines", true},
                                   {"Headings are bold; empty lines keep their height.", false}};
  for (int i = 1; i <= 12; ++i) lines.push_back({"Line " + std::to_string(i) + " of the filler text.", false});
  view->SetLines(lines);
}

void TControlsWindow::BuildPanelsAndImages() {
  Heading(*this, *this, "Panels", 950, 44);
  auto* accent = Add<FXPanel>(*this, *this, "panel-accent", Rect(950, 80, 1170, 150));
  accent->SetAccentLine(true);
  Add<FXTextBox>(*this, *accent, "", Rect(30, 24, 200, 44))->SetText("Accent line");

  auto* content = Add<FXPanel>(*this, *this, "panel-content", Rect(950, 160, 1170, 230));
  content->SetBackgroundColor(FXBackgroundColor::Content);
  Add<FXTextBox>(*this, *content, "", Rect(12, 24, 200, 44))->SetText("Content colour");

  auto* accentPanel = Add<vel::CPanel>(*this, *this, "cpanel-accent", Rect(950, 240, 1170, 280));
  accentPanel->SetUseAccentColor(vel::CAccentColor::Accent);
  auto* adjusted = Add<vel::CPanel>(*this, *this, "cpanel-adjusted", Rect(950, 286, 1170, 306));
  adjusted->SetUseAccentColor(vel::CAccentColor::AccentAdjust);

  Heading(*this, *this, "Images", 950, 320);
  struct TMode {
    const char* Name;
    vel::TDrawMode Mode;
  };
  const TMode modes[] = {{"Stretch", vel::TDrawMode::Stretch}, {"Center fit", vel::TDrawMode::CenterFit},
                         {"Tile", vel::TDrawMode::Tile},       {"Center", vel::TDrawMode::Center}};
  int index = 0;
  for (const TMode& mode : modes) {
    const int x = 950 + (index % 2) * 114, y = 354 + (index / 2) * 120;
    // An image without a graphic gives a bitmap of its own size to draw on: the picture's size first,
    // then the size the draw mode places it in.
    auto* image = Add<vel::CImage>(*this, *this, "", Rect(x, y, x + kPictureWidth, y + kPictureHeight));
    DrawLandscape(image->Canvas());
    image->SetBounds(x, y, 106, 86);
    image->SetDrawMode(mode.Mode);
    Add<FXTextBox>(*this, *this, "", Rect(x, y + 88, x + 106, y + 108))->SetText(mode.Name);
    ++index;
  }
}

}  // namespace gallery
