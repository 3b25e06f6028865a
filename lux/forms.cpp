// The framework window: theme colours and their fade, the title bar, the smoke overlay, full screen
// and the move and size notifications.
#include "lux/forms.h"

#include "lux/controls.h"
#include "lux/theme_manager.h"
#include "lux/tool_tip.h"
#include "ui/application.h"
#include "ui/hints.h"

namespace lux {

FXForm::FXForm(ui::TComponent* AOwner) : FXForm(AOwner, std::function<void(FXForm&)>{}) {}

FXForm::FXForm(ui::TComponent* AOwner, int) : FXForm(AOwner, std::function<void(FXForm&)>{}) {}

FXForm::FXForm(ui::TComponent* AOwner, const std::function<void(FXForm&)>& ReadLayout)
    : ui::TForm(AOwner), FSelf(std::make_shared<FXForm*>(this)) {
  InitializeNewForm();
  if (ReadLayout) ReadLayout(*this);
  InitForm();
  ThemeManager().RegisterWindow(this);
}

FXForm::~FXForm() {
  ThemeManager().UnregisterWindow(this);
  *FSelf = nullptr;
  // A fade-out still running touches the overlay: it ends first.
  if (SmokeAnimation) {
    SmokeAnimation->Terminate();
    SmokeAnimation->WaitFor();
    SmokeAnimation.reset();
  }
  Smoke.reset();
  // The controls go while the window is still a framework window they can ask for its colours.
  DestroyComponents();
}

void FXForm::InitializeNewForm() {
  FCustomColors = std::make_unique<FXColorSets>(this, false);
  FDrawColors = std::make_unique<FXColorSet>(*ThemeManager().SystemColorSet, ThemeManager().DarkTheme());
}

void FXForm::InitForm() {
  Font.SetName(ThemeManager().FormFont());
  Font.SetHeight(ThemeManager().FormFontHeight());
  SetMicaEffect(true);

  Smoke = std::make_unique<ui::TForm>(nullptr);
  ui::TForm& smoke = *Smoke;
  smoke.SetParent(this);
  smoke.SetWindowState(ui::TWindowState::wsMaximized);
  smoke.SetBorderStyle(ui::TFormBorderStyle::bsNone);
  smoke.SetCaption("");
  smoke.SetBorderIcons({.SystemMenu = false, .Minimize = false, .Maximize = false, .Help = false});
  smoke.SetAlphaBlend(true);
  smoke.SetAlphaBlendValue(150);
  smoke.SetColor(0xFF000000);
  smoke.SetVisible(false);
  smoke.OnCloseQuery = [this](ui::TForm&, bool& CanClose) { CanClose = !FSmokeEffect; };

  AllowThemeChangeAnimation = true;
  FTitlebarInitialized = false;
  // Every system this toolkit runs on has the custom title bar facility.
  FEnableTitlebar = true;
  if (!FEnableTitlebar) {
    FTitlebarInitialized = true;
  } else {
    TTlCtrl = nullptr;
    for (int i = 0; i < ControlCount() && !TTlCtrl; ++i) TTlCtrl = dynamic_cast<ui::TTitleBarPanel*>(Controls(i));
    if (!TTlCtrl) {
      TTlCtrl = new ui::TTitleBarPanel(this);
      TTlCtrl->SetParent(this);
    }
    if (!CustomTitleBar().Control()) CustomTitleBar().SetControl(TTlCtrl);
  }
  UpdateTheme(true);
}

bool FXForm::IsResizable() const {
  return BorderStyle() == ui::TFormBorderStyle::bsSizeable || BorderStyle() == ui::TFormBorderStyle::bsSizeToolWin;
}

std::int32_t FXForm::GetTitlebarHeight() const {
  std::int32_t height = 0;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* panel = dynamic_cast<ui::TTitleBarPanel*>(Controls(i))) height = panel->Height();
  return height;
}

void FXForm::DoShow() {
  ui::TForm::DoShow();
  if (FTitlebarInitialized) return;
  ui::TTitleBar& bar = CustomTitleBar();
  bar.SystemButtons = false;
  bar.SystemColors = false;
  bar.SystemHeight = false;
  bar.SetEnabled(true);
  if (TTlCtrl) bar.SetHeight(TTlCtrl->Height());
  bar.SetControl(TTlCtrl);
  FTitlebarInitialized = true;
  UpdateTheme(false);
}

void FXForm::SetFormColor(TColor Value) { SetColor(MakeARGB(Value, 255)); }

void FXForm::UpdateTheme(bool UpdateChildren) {
  ui::TApplication& app = ui::Application();
  app.LockWindowUpdate(this);

  if (FCustomColors->Enabled()) {
    FDrawColors->SetBackGround(GetThemeColor(*FCustomColors, 2));
    FDrawColors->SetForeGround(GetThemeColor(*FCustomColors, 0));
  } else {
    FDrawColors->SetBackGround(ThemeManager().SystemColor->BackGround());
    FDrawColors->SetForeGround(ThemeManager().SystemColor->ForeGround());
  }
  const TColor background = FDrawColors->BackGround(), foreground = FDrawColors->ForeGround();

  const TColor PrevColor = ColorFromARGB(Color());
  const FXThemeType Change = PrevColor != background ? FXThemeType::AppTheme : FXThemeType::Redraw;

  bool fading = false;
  if (Visible() && AllowThemeChangeAnimation) {
    fading = true;
    std::weak_ptr<FXForm*> self = FSelf;
    auto fade = std::make_unique<TIntAni>(
        true, TAniKind::akIn, TAniFunctionKind::afkLinear, 25, 100,
        [self, PrevColor, background, foreground](std::int32_t V) {
          auto form = self.lock();
          if (!form || !*form) return;
          FXForm& f = **form;
          ui::Application().LockWindowUpdate(&f);
          f.SetFormColor(ColorBlend(PrevColor, background, V));
          if (f.FEnableTitlebar) ApplyTitlebarColors(f, ColorFromARGB(f.Color()), foreground);
          f.Invalidate();
          ui::Application().LockWindowUpdate(nullptr);
        },
        [self, background, foreground] {
          auto form = self.lock();
          if (!form || !*form) return;
          FXForm& f = **form;
          f.SetFormColor(background);
          if (f.FEnableTitlebar) ApplyTitlebarColors(f, background, foreground);
        });
    fade->SetDuration(200);
    fade->SetStep(6);
    TIntAni::Launch(std::move(fade));
  } else {
    SetFormColor(background);
    if (FEnableTitlebar) ApplyTitlebarColors(*this, background, foreground);
  }

  if (ThemeManager().DarkTheme())
    app.SetHintWindowClass(ui::THintWindowClass::Of<FXDarkTooltip>());
  else
    app.SetHintWindowClass(ui::THintWindowClass::Of<FXLightTooltip>());

  Font.SetColor(MakeARGB(foreground, 255));

  if (OnThemeChange) OnThemeChange(this, Change, ThemeManager().DarkTheme(), ThemeManager().AccentColor());

  if (UpdateChildren)
    for (int i = 0; i < ComponentCount(); ++i)
      if (auto* control = dynamic_cast<FXControl*>(Components(i))) control->UpdateTheme(UpdateChildren);

  if (!fading && app.WindowUpdateLocked() == this) app.LockWindowUpdate(nullptr);
}

void FXForm::ColorizationChanged() {
  ThemeManager().MeasuredUpdateSettings();
  UpdateTheme(true);
}

void FXForm::SetSmokeEffect(bool Value) {
  FSmokeEffect = Value;
  if (SmokeAnimation && SmokeAnimation->Running()) {
    SmokeAnimation->Terminate();
    SmokeAnimation->WaitFor();
  }
  if (Value) {
    Smoke->SetAlphaBlendValue(150);
    Smoke->Show();
  } else {
    SmokeAnimation.reset();
    const std::int32_t A = Smoke->AlphaBlendValue();
    ui::TForm* smoke = Smoke.get();
    SmokeAnimation = std::make_unique<TIntAni>(
        false, TAniKind::akIn, TAniFunctionKind::afkLinear, A, -A,
        [smoke](std::int32_t V) { smoke->SetAlphaBlendValue(static_cast<std::uint8_t>(std::clamp(V, 0, 255))); },
        [smoke] { smoke->Hide(); });
    SmokeAnimation->SetDuration(100);
    SmokeAnimation->Start();
  }
  UpdateSizeLimits();
}

ui::TSizeConstraints FXForm::WindowSizeLimits() const {
  if (!FSmokeEffect) return ui::TForm::WindowSizeLimits();
  return {Width(), Height(), Width(), Height()};
}

void FXForm::SetMicaEffect(bool Value) {
  FMicaEffect = Value;
  if (Value) {
    SetAlphaBlend(true);
    SetAlphaBlendValue(251);
  } else {
    SetAlphaBlend(false);
  }
}

void FXForm::SetFullScreen(bool Value) {
  if (Value == FFullScreen) return;
  FFullScreen = Value;
  if (Value) {
    FRestoredPosition = BoundsRect();
    FRestoredBorder = BorderStyle();
    CustomTitleBar().SetEnabled(false);
    SetBorderStyle(ui::TFormBorderStyle::bsNone);
    SetBoundsRect(MonitorBounds());
  } else {
    CustomTitleBar().SetEnabled(true);
    SetBorderStyle(FRestoredBorder);
    SetBoundsRect(FRestoredPosition);
  }
}

void FXForm::SetWindowUpdateLocked(bool Value) {
  if (Value == FWindowUpdateLock) return;
  FWindowUpdateLock = Value;
  ui::Application().LockWindowUpdate(Value ? this : nullptr);
}

void FXForm::Activated(bool Active) {
  ui::TForm::Activated(Active);
  if (Active && Smoke && Smoke->Visible()) SetActiveControl(Smoke.get());
}

void FXForm::Moved() {
  ui::TForm::Moved();
  if (OnMove) OnMove(this);
  Broadcast(FormMovedMessage);
}

void FXForm::Resized() {
  ui::TForm::Resized();
  Broadcast(FormResizedMessage);
}

namespace {

// Controls out of sight (on a hidden page, say) wait for their first paint.
void RefreshStaleBuffers(ui::TWinControl& Parent) {
  for (int i = 0; i < Parent.ControlCount(); ++i) {
    ui::TControl* child = Parent.Controls(i);
    if (!child->Visible()) continue;
    if (auto* control = dynamic_cast<FXWindowsControl*>(child)) control->RefreshStaleBuffer();
    if (auto* container = dynamic_cast<ui::TWinControl*>(child)) RefreshStaleBuffers(*container);
  }
}

}  // namespace

void FXForm::EndLayout() {
  if (FLayingOut == 0 || --FLayingOut > 0) return;
  RefreshStaleBuffers(*this);
  Invalidate();
}

}  // namespace lux
