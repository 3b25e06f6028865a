// Message dialogs: the window built from a framework window, its text boxes and footer buttons, and
// its modal run over a darkened parent.
#include "lux/dialogs.h"

#include <algorithm>
#include <cmath>

#include "lux/button.h"
#include "lux/colors.h"
#include "lux/forms.h"
#include "lux/panels.h"
#include "lux/text_box.h"
#include "ui/application.h"
#include "ui/bitmap.h"
#include "ui/canvas.h"

namespace lux {
namespace {

struct TAnswer {
  const char* Caption;
  ui::TModalResult Result;
};

constexpr TAnswer kAnswers[] = {
    {"Yes", ui::mrYes},       {"No", ui::mrNo},         {"Ok", ui::mrOk},        {"Cancel", ui::mrCancel},
    {"Abort", ui::mrAbort},   {"Retry", ui::mrRetry},   {"Ignore", ui::mrIgnore}, {"All", 12},
    {"No to All", 13},        {"Yes to All", 14},       {"Help", 9},             {"Close", ui::mrClose},
};
constexpr int kAnswerCount = static_cast<int>(std::size(kAnswers));

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
  return static_cast<std::int32_t>(std::lround(static_cast<double>(a) * b / c));
}

// Measuring needs a canvas; the window has none outside painting, so a one-pixel bitmap lends one.
class TMeasure {
 public:
  explicit TMeasure(const ui::TFont& font) : bitmap_(1, 1), canvas_(bitmap_) { canvas_.Font = font; }
  ui::TCanvas& Canvas() { return canvas_; }

 private:
  ui::TBitmap bitmap_;
  ui::TCanvas canvas_;
};

// The average letter of the font: the 52 letters' width divided by 52 (remainder dropped), and their height.
TPoint MeasureAverageChar(const ui::TFont& font) {
  TMeasure measure(font);
  const ui::TSize size = measure.Canvas().TextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return {size.cx / 52, size.cy};
}

// The widest line of the text in the font, lines ending at CR, LF or CR LF.
int WidestLine(const ui::TFont& font, const std::string& text) {
  TMeasure measure(font);
  int widest = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (end > start) widest = std::max(widest, measure.Canvas().TextWidth(text.substr(start, end - start)));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return widest;
}

// The footer button width for a caption: its width plus 50, or 90 for short captions.
int ButtonWidthFor(const FXButton& design, const std::string& caption) {
  TMeasure measure(design.Font());
  const int w = measure.Canvas().TextWidth(caption);
  return w >= 40 ? w + 50 : 90;
}

// The look a footer button takes from the design button.
void CopyDesign(FXButton& button, FXButton& design) {
  button.CustomColors().Assign(design.CustomColors());
  button.CustomButtonColors().Assign(design.CustomButtonColors());
  button.SetFont(design.Font());
  button.SetWordWrap(design.WordWrap());
  button.SetImageLayout(design.ImageLayout());
  button.SetLayoutHorizontal(design.LayoutHorizontal());
  button.SetLayoutVertical(design.LayoutVertical());
  button.SetButtonKind(design.ButtonKind());
  button.SetRoundness(design.Roundness());
}

// Length of the text in characters, as the wrapping rule counts them.
int CharacterCount(const std::string& text) {
  int count = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++count;
  return count;
}

}  // namespace

std::string DialogButtonCaption(TMsgDlgBtn Button) {
  const int i = static_cast<int>(Button);
  return i >= 0 && i < kAnswerCount ? kAnswers[i].Caption : "";
}

ui::TModalResult DialogButtonResult(TMsgDlgBtn Button) {
  const int i = static_cast<int>(Button);
  return i >= 0 && i < kAnswerCount ? kAnswers[i].Result : ui::mrNone;
}

ui::TModalResult DialogCloseResult(TMsgDlgButtons Buttons) {
  if (Buttons.Contains(TMsgDlgBtn::Cancel)) return ui::mrCancel;
  if (Buttons.Contains(TMsgDlgBtn::No)) return ui::mrNo;
  for (int i = 0; i < kAnswerCount; ++i)
    if (Buttons.Contains(static_cast<TMsgDlgBtn>(i))) return kAnswers[i].Result;
  return ui::mrCancel;
}

// ---- FXDialogBox

FXDialogBox::FXDialogBox()
    : FButtonDesign(std::make_unique<FXButton>(nullptr)), FAlive(std::make_shared<FXDialogBox*>(this)) {
  // Bold by the font's weight: a family named "... Bold" is not installed everywhere and would
  // fall back to a regular face.
  FTitleFont.SetName("Segoe UI");
  FTitleFont.SetSize(14);
  FTitleFont.SetStyle({.Bold = true});
  FTitleFont.SetColor(0xFF000000);
  FTextFont.SetName("Segoe UI");
  FTextFont.SetSize(11);
  FTextFont.SetColor(0xFF000000);
}

FXDialogBox::FXDialogBox(ui::TForm* Owner) : FXDialogBox() { FParent = Owner; }

FXDialogBox::~FXDialogBox() {
  *FAlive = nullptr;
  FreeWindow();
}

void FXDialogBox::FreeWindow() {
  MainPrompt = nullptr;
  Prompt = nullptr;
  ButtonFooter = nullptr;
  Form.reset();
}

void FXDialogBox::ExecuteInherited() {
  FreeWindow();
  Form = std::make_unique<FXForm>(nullptr, 0);
  FXForm& form = *Form;
  form.SetConstraints({.MinWidth = 300});
  form.SetPosition(ui::TPosition::poScreenCenter);
  form.SetBorderStyle(ui::TFormBorderStyle::bsSizeable);
  form.SetBorderIcons({.SystemMenu = false, .Minimize = false, .Maximize = false, .Help = false});
  form.SetCaption("");

  FFormColor = ColorFromARGB(form.Color());
  const ui::TAlphaColor textColor = ColorBrightness(FFormColor) > 155 ? 0xFF000000 : 0xFFFFFFFF;
  FTextFont.SetColor(textColor);
  FTitleFont.SetColor(textColor);
  form.Font = FTextFont;

  DialogUnits = MeasureAverageChar(FTextFont);
  FTitlebarHeight = form.GetTitlebarHeight();
  form.SetClientSize(0, FTitlebarHeight);

  if (PromptCreation) {
    MainPrompt = new FXTextBox(&form);
    MainPrompt->SetParent(&form);
    MainPrompt->SetLayoutVertical(FXLayout::Beginning);
    MainPrompt->SetFont(FTitleFont);
    MainPrompt->SetWordWrap(false);
    MainPrompt->SetText(FTitle);
    MainPrompt->SetLeft(MulDiv(6, DialogUnits.X, 2));
    MainPrompt->SetTop(MulDiv(2, DialogUnits.Y, 1));

    Prompt = new FXTextBox(&form);
    Prompt->SetParent(&form);
    Prompt->SetLayoutVertical(FXLayout::Beginning);
    Prompt->SetFont(FTextFont);
    Prompt->SetLeft(MainPrompt->Left());
    Prompt->SetTop(MulDiv(2, DialogUnits.Y, 1) + MainPrompt->Top() + FTitlebarHeight);
    const int characters = CharacterCount(FText);
    Prompt->SetConstraints({.MinWidth = MainPrompt->Width(),
                            .MaxWidth = MulDiv(characters <= 80 ? characters : 65, DialogUnits.X, 1)});
    // As wide as its longest line allows within those limits, wrapping on before the text comes (a
    // long message laid out on one line could be wider than any buffer); wrapping sets the height.
    Prompt->SetWordWrap(true);
    Prompt->SetWidth(WidestLine(FTextFont, FText));
    Prompt->SetText(FText);
    Prompt->UpdateAutoSize();
    if (FTitle.empty()) Prompt->SetTop(MainPrompt->Top());

    // A line's gap below the message, where a framed window would have had its border.
    form.SetClientSize(2 * Prompt->Left() + Prompt->Width(), Prompt->Top() + Prompt->Height() + DialogUnits.Y);
  }

  if (HasButtons) {
    {
      FXButton probe(nullptr);
      CopyDesign(probe, *FButtonDesign);
      FButtonHeight = static_cast<std::int32_t>(std::trunc(0.9 * probe.Height()));
    }
    FButtonOffset = MulDiv(1, DialogUnits.Y, 2);
    ButtonFooter = new FXPanel(&form);
    ButtonFooter->SetParent(&form);
    ButtonFooter->SetAnchors({.Left = true, .Top = false, .Right = false, .Bottom = true});
    ButtonFooter->SetColor(MakeARGB(ChangeColorLight(ColorFromARGB(form.Color()), -10), 255));
    const int footerHeight = 2 * FButtonOffset + FButtonHeight;
    // The whole footer lies below the message: this window's height is its client height.
    form.SetClientSize(form.ClientWidth(), form.ClientHeight() + footerHeight);
    ButtonFooter->SetBounds(0, form.ClientHeight() - footerHeight, form.ClientWidth(), footerHeight);
    ButtonFooter->SetVisible(true);
  }

  // Escape and the window manager's close answer as a close does; Enter answers the focused button,
  // or the default one.
  form.KeyPreview = true;
  form.OnKeyDown = [this](ui::TWinControl&, int& Key, ui::TShiftState) {
    if (!Form) return;
    if (Key == platform::keys::Escape) {
      Key = 0;
      Form->SetModalResult(CloseResult());
    } else if (Key == platform::keys::Return) {
      FXButton* button = dynamic_cast<FXButton*>(Form->ActiveControl());
      if (!button) button = DefaultButton();
      if (!button) return;
      Key = 0;
      button->Click();
    }
  };
  form.OnClose = [this](ui::TForm& Sender, ui::TCloseAction&) {
    if (Sender.ModalResult() == ui::mrNone) Sender.SetModalResult(CloseResult());
  };
}

void FXDialogBox::HighlightDefaultButton() {
  if (!ButtonFooter) return;
  for (int i = 0; i < ButtonFooter->ControlCount(); ++i)
    if (auto* button = dynamic_cast<FXButton*>(ButtonFooter->Controls(i)); button && button->Default)
      button->SetButtonKind(FXButtonKind::Accent);
}

void FXDialogBox::Place() {
  FXForm& form = *Form;
  int left = form.Left(), top = form.Top();
  if (!FScreenCenter) {
    form.SetPosition(ui::TPosition::poDesigned);
    ui::TForm* over = FParent;
    if (!over) {
      // The dialog may itself be the first form made, and so the main one: that is no window to centre on.
      ui::TForm* main = ui::Application().MainForm();
      if (main && main != &form && main->Visible()) over = main;
    }
    if (over) {
      left = over->Left() + over->Width() / 2 - form.Width() / 2;
      top = over->Top() + over->Height() / 2 - form.Height() / 2;
    } else {
      const TRect screen = form.MonitorBounds();
      left = screen.Left + screen.Width() / 2 - form.Width() / 2;
      top = screen.Top + screen.Height() / 2 - form.Height() / 2;
    }
  }
  // Kept on the monitor, so the buttons stay reachable beside a parent near the screen's edge and
  // under a message taller than the screen (the footer is anchored to the bottom and stays in view).
  const TRect monitor = FParent ? FParent->MonitorBounds() : form.MonitorBounds();
  const int width = std::min(form.Width(), monitor.Width());
  const int height = std::min(form.Height(), monitor.Height());
  left = std::clamp(left, monitor.Left, monitor.Right - width);
  top = std::clamp(top, monitor.Top, monitor.Bottom - height);
  form.SetConstraints({});
  if (FScreenCenter)
    form.SetBounds(form.Left(), form.Top(), width, height);
  else
    form.SetBounds(left, top, width, height);
  form.SetConstraints({.MinWidth = width, .MinHeight = height, .MaxWidth = width, .MaxHeight = height});
}

ui::TModalResult FXDialogBox::ModalExecution(bool FreeForm) {
  if (!Form) ExecuteInherited();
  Place();
  FXForm* smoky = dynamic_cast<FXForm*>(FParent);
  if (smoky) smoky->SetSmokeEffect(true);
  struct TAfter {
    FXDialogBox& dialog;
    FXForm* smoky;
    bool free;
    ~TAfter() {
      if (smoky) smoky->SetSmokeEffect(false);
      if (free) dialog.FreeWindow();
    }
  } after{*this, smoky, FreeForm};
  // The window shows in the colours it already has: a fade there would change nothing and only
  // leave a worker running after a quick answer (and the process may end right after one). Later
  // theme changes fade as usual.
  Form->AllowThemeChangeAnimation = false;
  ui::Application().Queue([alive = std::weak_ptr<FXDialogBox*>(FAlive), form = Form.get()] {
    const std::shared_ptr<FXDialogBox*> cell = alive.lock();
    if (cell && *cell && (*cell)->Form.get() == form) form->AllowThemeChangeAnimation = true;
  });
  if (OnShown) {
    ui::Application().Queue([alive = std::weak_ptr<FXDialogBox*>(FAlive), form = Form.get()] {
      const std::shared_ptr<FXDialogBox*> cell = alive.lock();
      FXDialogBox* self = cell ? *cell : nullptr;
      if (self && self->Form.get() == form && form->Visible() && self->OnShown) self->OnShown(*self);
    });
  }
  return Form->ShowModal();
}

// ---- FXDialog

FXDialog::FXDialog() = default;

FXDialog::FXDialog(ui::TForm* Owner) : FXDialogBox(Owner) {}

FXDialog::~FXDialog() = default;

FXButton* FXDialog::Button(TMsgDlgBtn Kind) const {
  if (!ButtonFooter) return nullptr;
  const std::string name = "Button_" + std::to_string(static_cast<int>(Kind));
  for (int i = 0; i < ButtonFooter->ControlCount(); ++i)
    if (ButtonFooter->Controls(i)->Name() == name) return dynamic_cast<FXButton*>(ButtonFooter->Controls(i));
  return nullptr;
}

FXButton* FXDialog::DefaultButton() const {
  if (!ButtonFooter) return nullptr;
  // The last default set is the one Enter stands for (with {Yes, No} both rules pick Yes).
  FXButton* found = nullptr;
  for (int i = 0; i < kAnswerCount; ++i)
    if (FXButton* button = Button(static_cast<TMsgDlgBtn>(i)); button && button->Default) found = button;
  return found;
}

ui::TModalResult FXDialog::Execute() {
  ExecuteInherited();
  FXForm& form = *Form;
  form.SetConstraints({.MinWidth = 300, .MinHeight = form.ClientHeight()});
  form.SetClientSize(form.ClientWidth() + FButtonOffset, form.ClientHeight());
  if (ButtonFooter) {
    ButtonFooter->SetWidth(form.ClientWidth());
    ButtonFooter->SetTop(form.ClientHeight() - ButtonFooter->Height());

    int x = form.Width() - 2 * FButtonOffset;
    FXButton* lowest = nullptr;
    for (int i = 0; i < kAnswerCount; ++i) {
      const auto kind = static_cast<TMsgDlgBtn>(i);
      if (!FButtons.Contains(kind)) continue;
      auto* button = new FXButton(&form);
      button->SetName("Button_" + std::to_string(i));
      button->SetParent(ButtonFooter);
      button->Animation = false;
      button->SetAnchors({.Left = false, .Top = false, .Right = true, .Bottom = true});
      const int width = ButtonWidthFor(*FButtonDesign, kAnswers[i].Caption);
      button->SetBounds(x - width - FButtonOffset, (FButtonHeight - FButtonOffset) / 2, width, FButtonHeight);
      button->ModalResult = kAnswers[i].Result;
      button->SetText(kAnswers[i].Caption);
      CopyDesign(*button, *FButtonDesign);
      x -= width + FButtonOffset;
      if (!lowest) lowest = button;
    }
    if (x < 0) {
      form.SetConstraints({});
      form.SetClientSize(form.ClientWidth() - x + FButtonOffset, form.ClientHeight());
      form.SetConstraints({.MinWidth = 300, .MinHeight = form.ClientHeight()});
      ButtonFooter->SetWidth(form.ClientWidth());
    }

    if (FButtons.Contains(TMsgDlgBtn::Cancel)) Button(TMsgDlgBtn::Cancel)->Cancel = true;
    if (FButtons.Contains(TMsgDlgBtn::OK))
      Button(TMsgDlgBtn::OK)->Default = true;
    else if (FButtons.Contains(TMsgDlgBtn::Yes))
      Button(TMsgDlgBtn::Yes)->Default = true;
    FXButton* further = FButtons.Contains(TMsgDlgBtn::All)        ? Button(TMsgDlgBtn::All)
                        : FButtons.Contains(TMsgDlgBtn::YesToAll) ? Button(TMsgDlgBtn::YesToAll)
                                                                  : lowest;
    if (further) {
      further->Default = true;
      // First in the tab order, the window opens with the focus on it, so Enter answers it.
      further->SetTabOrder(0);
    }
  }
  HighlightDefaultButton();
  return ModalExecution(true);
}

}  // namespace lux
