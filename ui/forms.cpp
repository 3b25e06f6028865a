// Forms: the window behind them, painting and presenting, focus, input dispatch, modal runs.
#include "ui/forms.h"

#include <algorithm>

#include "ui/application.h"

namespace ui {

// ---- TTitleBar

void TTitleBar::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  form_.ApplyWindowStyle();
  Invalidate();
}

void TTitleBar::SetControl(TControl* value) {
  if (value == control_) return;
  control_ = value;
  Invalidate();
}

void TTitleBar::SetHeight(int value) {
  if (value == height_) return;
  height_ = value;
  if (control_) control_->SetHeight(value);
}

void TTitleBar::Invalidate() {
  if (control_) control_->Invalidate();
}

// ---- TTitleBarPanel

TTitleBarPanel::TTitleBarPanel(TComponent* owner) : TCustomControl(owner) {
  SetAlign(TAlign::alTop);
  SetBounds(0, 0, 200, 31);
}

const TTitleBar* TTitleBarPanel::Bar() const {
  TForm* form = ParentForm();
  if (!form) return nullptr;
  const TTitleBar& bar = form->CustomTitleBar();
  return bar.Enabled() && bar.Control() == this ? &bar : nullptr;
}

std::vector<TTitleBarPanel::TButton> TTitleBarPanel::Buttons() const {
  std::vector<TButton> buttons;
  const TTitleBar* bar = Bar();
  if (!bar || bar->SystemButtons) return buttons;
  const TForm& form = *ParentForm();
  const TBorderIcons& icons = form.BorderIcons();
  if (!icons.SystemMenu) return buttons;
  // Right to left, as they stand at the end of a caption.
  buttons.push_back(TButton::Close);
  const bool sizes = form.BorderStyle() == TFormBorderStyle::bsSizeable || form.BorderStyle() == TFormBorderStyle::bsSingle;
  if (sizes && (icons.Maximize || icons.Minimize)) {
    buttons.push_back(TButton::Maximize);
    buttons.push_back(TButton::Minimize);
  }
  return buttons;
}

TRect TTitleBarPanel::ButtonRect(int index) const {
  const int right = Width() - index * ButtonWidth;
  return {right - ButtonWidth, 0, right, Height()};
}

TTitleBarPanel::TButton TTitleBarPanel::ButtonAt(int x, int y) const {
  const std::vector<TButton> buttons = Buttons();
  for (int i = 0; i < static_cast<int>(buttons.size()); ++i)
    if (ButtonRect(i).Contains({x, y})) return buttons[i];
  return TButton::None;
}

void TTitleBarPanel::MouseMove(TShiftState shift, int x, int y) {
  const TButton hot = ButtonAt(x, y);
  if (hot != hot_) {
    hot_ = hot;
    Invalidate();
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TTitleBarPanel::MouseLeave() {
  if (hot_ != TButton::None) {
    hot_ = TButton::None;
    Invalidate();
  }
  TCustomControl::MouseLeave();
}

void TTitleBarPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::Left) {
    pressed_ = ButtonAt(x, y);
    if (pressed_ != TButton::None) Invalidate();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TTitleBarPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const TButton pressed = pressed_;
  pressed_ = TButton::None;
  TCustomControl::MouseUp(button, shift, x, y);
  if (button != TMouseButton::Left || pressed == TButton::None) return;
  Invalidate();
  if (ButtonAt(x, y) != pressed) return;
  TForm* form = ParentForm();
  switch (pressed) {
    case TButton::Close: form->Close(); break;
    case TButton::Maximize:
      form->SetWindowState(form->WindowState() == TWindowState::wsMaximized ? TWindowState::wsNormal : TWindowState::wsMaximized);
      break;
    case TButton::Minimize: form->SetWindowState(TWindowState::wsMinimized); break;
    case TButton::None: break;
  }
}

void TTitleBarPanel::Paint() {
  TCanvas& canvas = *Canvas();
  const TTitleBar* bar = Bar();
  if (!bar) {
    // Outside an enabled title bar the panel is a plain strip of the form's colour.
    if (TForm* form = ParentForm()) canvas.BrushColor = form->Color();
    canvas.FillRect(ClientRect());
    return;
  }
  const bool active = ParentForm()->Active();
  canvas.BrushColor = active ? bar->BackgroundColor : bar->InactiveBackgroundColor;
  canvas.FillRect(ClientRect());
  const std::vector<TButton> buttons = Buttons();
  canvas.Font.SetColor(active ? bar->ForegroundColor : bar->InactiveForegroundColor);
  const std::string& caption = ParentForm()->Caption();
  canvas.TextOut(10, (Height() - canvas.TextHeight(caption)) / 2, caption);
  for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
    const TButton b = buttons[i];
    const TRect r = ButtonRect(i);
    TAlphaColor back = active ? bar->ButtonBackgroundColor : bar->ButtonInactiveBackgroundColor;
    TAlphaColor fore = active ? bar->ButtonForegroundColor : bar->ButtonInactiveForegroundColor;
    if (b == pressed_ && b == hot_) {
      back = bar->ButtonPressedBackgroundColor;
      fore = bar->ButtonPressedForegroundColor;
    } else if (b == hot_) {
      back = bar->ButtonHoverBackgroundColor;
      fore = bar->ButtonHoverForegroundColor;
    }
    canvas.BrushColor = back;
    canvas.FillRect(r);
    // Ten-pixel glyphs drawn as strokes, so the buttons need no icon font.
    const double cx = (r.Left + r.Right) / 2.0, cy = (r.Top + r.Bottom) / 2.0, g = 5;
    canvas.Pen = {fore, 1};
    switch (b) {
      case TButton::Close:
        canvas.Line(cx - g, cy - g, cx + g, cy + g);
        canvas.Line(cx - g, cy + g, cx + g, cy - g);
        break;
      case TButton::Maximize: canvas.RoundRect(cx - g + 0.5, cy - g + 0.5, 2 * g - 1, 2 * g - 1, 0, 0, false, true); break;
      case TButton::Minimize: canvas.Line(cx - g, cy + 0.5, cx + g, cy + 0.5); break;
      case TButton::None: break;
    }
  }
}

// ---- TForm

TForm::TForm(TComponent* owner) : TForm(owner, true) {}

TForm::TForm(TComponent* owner, bool listed)
    : TWinControl(owner), window_(platform::CurrentWindowBackend().MakeWindow(*this)) {
  SetVisible(false);
  SetBounds(0, 0, 320, 240);
  ApplyWindowStyle();
  Application().AddForm(this, listed);
}

TForm::~TForm() {
  *alive_ = false;
  Application().RemoveForm(this);
  // Children go while the form can still answer for them; the window goes last.
  DestroyComponents();
  active_ = nullptr;
  capture_ = pressed_ = hover_ = nullptr;
}

void TForm::SetCaption(const std::string& value) {
  if (value == caption_) return;
  caption_ = value;
  window_->SetCaption(value);
}

void TForm::SetClientSize(int width, int height) { SetBounds(Left(), Top(), width, height); }

void TForm::SetColor(TAlphaColor value) {
  if (value == color_) return;
  color_ = value;
  Invalidate();
}

void TForm::SetAlphaBlend(bool value) {
  if (value == alphaBlend_) return;
  alphaBlend_ = value;
  window_->SetAlpha(alphaBlend_ ? alpha_ : 255);
  if (Embedded()) Invalidate();
}

void TForm::SetAlphaBlendValue(std::uint8_t value) {
  if (value == alpha_) return;
  alpha_ = value;
  if (alphaBlend_) window_->SetAlpha(value);
  if (Embedded()) Invalidate();
}

void TForm::SetBorderStyle(TFormBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  ApplyWindowStyle();
  titleBar_.Invalidate();
}

void TForm::SetBorderIcons(const TBorderIcons& value) {
  if (value == borderIcons_) return;
  borderIcons_ = value;
  titleBar_.Invalidate();
}

void TForm::SetWindowState(TWindowState value) {
  if (value == windowState_) return;
  windowState_ = value;
  // A top-level window's state is the system's; only a maximised one is sized here, to its monitor.
  if (value == TWindowState::wsMaximized && !Embedded()) {
    const TRect m = MonitorBounds();
    SetBounds(m.Left, m.Top, m.Width(), m.Height());
  }
  FitEmbedded();
}

void TForm::FitEmbedded() {
  if (!Embedded() || windowState_ != TWindowState::wsMaximized) return;
  // Over the whole client area, title bar included, and anchored on every side so it follows the
  // parent's resizes.
  SetAnchors({.Left = true, .Top = true, .Right = true, .Bottom = true});
  SetBounds(0, 0, Parent()->Width(), Parent()->Height());
}

void TForm::ApplyWindowStyle() {
  const bool resizable = borderStyle_ == TFormBorderStyle::bsSizeable || borderStyle_ == TFormBorderStyle::bsSizeToolWin;
  window_->SetDecorated(borderStyle_ != TFormBorderStyle::bsNone && !titleBar_.Enabled());
  window_->SetResizable(resizable);
  UpdateSizeLimits();
}

TSizeConstraints TForm::WindowSizeLimits() const { return Constraints(); }

void TForm::UpdateSizeLimits() {
  const TSizeConstraints limits = WindowSizeLimits();
  window_->SetSizeLimits(limits.MinWidth, limits.MinHeight, limits.MaxWidth, limits.MaxHeight);
}

TRect TForm::MonitorBounds() const {
  const platform::WindowRect r = window_->MonitorBounds();
  return Bounds(r.x, r.y, r.width, r.height);
}

bool TForm::UpdatesLocked() const { return Application().WindowUpdateLocked() == this; }

bool TForm::WantsKey(int key, TShiftState shift) { return Embedded() || TWinControl::WantsKey(key, shift); }

bool TForm::SetTransparentColor(bool value) {
  if (value == transparentColor_) return true;
  const bool done = window_->SetTransparentColor(value, Premultiply(transparentColorValue_ | 0xFF000000u));
  if (done) transparentColor_ = value;
  return done;
}

void TForm::SetTransparentColorValue(TAlphaColor value) {
  if (value == transparentColorValue_) return;
  transparentColorValue_ = value;
  if (transparentColor_) window_->SetTransparentColor(true, Premultiply(value | 0xFF000000u));
}

void TForm::SetMenuWindow(bool value) {
  if (value == menuWindow_) return;
  menuWindow_ = value;
  window_->SetMenu(value);
}

void TForm::SetStayOnTop(bool value) {
  if (value == stayOnTop_) return;
  stayOnTop_ = value;
  window_->SetStayOnTop(value);
}

void TForm::BoundsChanged(int oldWidth, int oldHeight) {
  if (Embedded()) {
    TWinControl::BoundsChanged(oldWidth, oldHeight);
    return;
  }
  const platform::WindowRect bounds{Left(), Top(), Width(), Height()};
  // A hidden form gets its picture's memory when it is first painted, at the size it has then: a
  // form is placed and sized several times while it is made, and some are never shown at all.
  if (Visible()) surface_.SetSize(Width(), Height());
  dirty_ = true;
  TWinControl::BoundsChanged(oldWidth, oldHeight);
  // The window reports the move and the new size back through InputMoved and InputResize, which find
  // the form already there; the form's own notifications go out here, once, for either cause.
  const bool moved = Left() != placed_.X || Top() != placed_.Y;
  placed_ = {Left(), Top()};
  if (!(window_->Bounds() == bounds)) window_->SetBounds(bounds);
  if (moved) Moved();
  if (oldWidth != Width() || oldHeight != Height()) Resized();
}

void TForm::Moved() {}
void TForm::Resized() {}

void TForm::Activated(bool active) {
  if (active && OnActivate) OnActivate(*this);
  if (!active && OnDeactivate) OnDeactivate(*this);
}

void TForm::Show() {
  if (Embedded()) {
    // An embedded form is part of its parent's picture, above the parent's other children.
    FitEmbedded();
    BringToFront();
    SetVisible(true);
    Invalidate();
    DoShow();
    return;
  }
  PlaceByPosition();
  SetVisible(true);
  window_->SetVisible(true);
  if (!active_)
    if (TWinControl* first = FindNextControl(nullptr, true)) SetActiveControl(first);
  Repaint();
  window_->Activate();
  DoShow();
}

void TForm::PlaceByPosition() {
  // Placed once, the first time it shows; later the window stays where the user put it.
  if (positioned_) return;
  positioned_ = true;
  const TForm* over = nullptr;
  switch (position_) {
    case TPosition::poScreenCenter:
    case TPosition::poDesktopCenter: break;
    case TPosition::poMainFormCenter: over = Application().MainForm(); break;
    case TPosition::poOwnerFormCenter: over = dynamic_cast<const TForm*>(Owner()); break;
    default: return;
  }
  if (over == this || (over && !over->Visible())) over = nullptr;
  const TRect area = over ? over->BoundsRect() : MonitorBounds();
  SetBounds(area.Left + (area.Width() - Width()) / 2, area.Top + (area.Height() - Height()) / 2, Width(), Height());
}

void TForm::DoShow() {
  if (OnShow) OnShow(*this);
}

TModalResult TForm::ShowModal() {
  TApplication& app = Application();
  // Every form there is now, but this one and those it owns or holds, waits until the run ends.
  TApplication::TModalRun run{this, {}, nullptr};
  for (TForm* form : app.windows_) {
    if (form == this) continue;
    bool ours = false;
    for (const TComponent* c = form; c && !ours; c = c->Owner()) ours = c == this;
    for (const TControl* c = form; c && !ours; c = c->Parent()) ours = c == this;
    if (ours) continue;
    if (form->activeWindow_ && form->Visible() && !run.Owner) run.Owner = form;
    run.ShutOut.push_back(form);
    form->CancelInput();
  }
  // With no visible window active (the active one was hidden), the focus goes back to the modal
  // form this run is nested in, or to the main form.
  if (!run.Owner) run.Owner = app.ModalForm() ? app.ModalForm() : app.MainForm();
  if (run.Owner == this) run.Owner = nullptr;
  app.modalRuns_.push_back(std::move(run));
  // Also when the loop is left by an exception: the shut-out forms take input again and the owner
  // gets the focus back.
  struct TEndRun {
    TForm& form;
    ~TEndRun() {
      TApplication& app = Application();
      TForm* owner = nullptr;
      for (auto r = app.modalRuns_.begin(); r != app.modalRuns_.end(); ++r)
        if (r->Form == &form) {
          owner = r->Owner;
          app.modalRuns_.erase(r);
          break;
        }
      form.modal_ = false;
      if (form.Visible()) {
        form.SetVisible(false);
        form.window_->SetVisible(false);
        if (form.OnHide) form.OnHide(form);
      }
      if (owner && owner->Visible() && !owner->Embedded()) owner->window_->Activate();
    }
  } end{*this};

  modalResult_ = mrNone;
  modal_ = true;
  Show();
  app.RunUntil([&] {
    Update();
    return modalResult_ != mrNone || !Visible();
  });
  if (modalResult_ == mrNone) modalResult_ = mrCancel;
  return modalResult_;
}

void TForm::SetModalResult(TModalResult value) {
  modalResult_ = value;
  if (modal_ && value != mrNone) Application().Wake();
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(*this, canClose);
  return canClose;
}

void TForm::Close() {
  if (!CloseQuery()) return;
  TCloseAction action = TCloseAction::caHide;
  if (OnClose) OnClose(*this, action);
  if (action == TCloseAction::caNone) return;
  if (modal_) {
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    Application().Wake();
    return;
  }
  SetVisible(false);
  if (!Embedded()) window_->SetVisible(false);
  if (OnHide) OnHide(*this);
}

void TForm::SetActiveControl(TWinControl* control) {
  if (control == active_) return;
  if (control && (control == this || control->ParentForm() != this || !control->CanFocus())) return;
  TWinControl* previous = active_;
  active_ = control;
  if (previous) previous->DoExit();
  if (active_ == control && control) control->DoEnter();
}

void TForm::SelectNext(bool forward) {
  if (TWinControl* next = FindNextControl(active_, forward)) SetActiveControl(next);
}

void TForm::ControlGoing(TControl* control) {
  auto within = [&](TControl* c) {
    for (; c; c = c->Parent())
      if (c == control) return true;
    return false;
  };
  if (within(active_)) active_ = nullptr;
  if (within(capture_)) ReleaseCapture();
  if (within(pressed_)) pressed_ = nullptr;
  if (within(hover_)) hover_ = nullptr;
  Application().ControlGoing(control);
}

void TForm::Update() {
  if (dirty_) Repaint();
}

void TForm::Repaint() {
  if (Embedded()) {
    if (TForm* top = ParentForm()) top->Repaint();
    return;
  }
  // A hidden form is painted when it shows: painting it now would be thrown away unseen.
  if (UpdatesLocked() || !Visible()) {
    dirty_ = true;
    return;
  }
  dirty_ = false;
  if (surface_.Width() != Width() || surface_.Height() != Height()) surface_.SetSize(Width(), Height());
  if (surface_.Empty()) return;
  TCanvas canvas(surface_);
  canvas.Font = Font;
  PaintControl(canvas);
  window_->Present({surface_.Bits(), surface_.Width(), surface_.Height(), surface_.Stride()});
}

void TForm::PaintSelf(TCanvas& canvas) {
  canvas.Painter().Clear(color_);
}

void TForm::PaintControl(TCanvas& canvas) {
  if (!Embedded() || !alphaBlend_ || alpha_ == 255) {
    TWinControl::PaintControl(canvas);
    return;
  }
  // A translucent embedded form is painted apart and laid over its parent's picture.
  TBitmap layer(Width(), Height());
  {
    TCanvas own(layer);
    own.Font = canvas.Font;
    TWinControl::PaintControl(own);
  }
  canvas.Draw(0, 0, layer, alpha_ / 255.0);
}

TControl* TForm::TargetAt(int x, int y) {
  if (capture_) return capture_;
  TControl* found = ControlAtPos({x, y});
  return found ? found : this;
}

void TForm::ReleaseCapture() {
  capture_ = nullptr;
  buttonsDown_ = 0;
  window_->SetCapture(false);
}

void TForm::CancelInput() {
  if (capture_) ReleaseCapture();
  buttonsDown_ = 0;
  pressed_ = nullptr;
  if (hover_) {
    TControl* left = hover_;
    hover_ = nullptr;
    left->MouseLeave();
  }
  Application().CancelHint();
}

bool TForm::InputShutOut(bool pressed) {
  TApplication& app = Application();
  if (!app.InputRefused(this)) return false;
  if (pressed)
    if (TForm* modal = app.ModalForm(); modal && modal->Visible()) modal->window_->Activate();
  return true;
}

struct TForm::TInputScope {
  TInputScope() { Application().InputBegins(); }
  ~TInputScope() { Application().InputEnds(); }
  TInputScope(const TInputScope&) = delete;
  TInputScope& operator=(const TInputScope&) = delete;
};

void TForm::InputPointerMoved(int x, int y, unsigned shift) {
  if (InputShutOut()) return;
  const TInputScope scope;
  const std::shared_ptr<bool> alive = alive_;
  TControl* target = TargetAt(x, y);
  // While captured, hovering follows the pointer but enter and leave wait for the release.
  TControl* under = capture_ ? capture_ : target;
  if (under != hover_) {
    if (hover_) hover_->MouseLeave();
    if (!*alive) return;
    hover_ = under;
    if (hover_) hover_->MouseEnter();
    if (!*alive) return;
  }
  window_->SetCursor(target->Cursor());
  if (!capture_) Application().HintMouseMove(target, {Left() + x, Top() + y});
  const TPoint local = target->FormToClient({x, y});
  target->MouseMove(shift, local.X, local.Y);
  if (*alive) Update();
}

void TForm::InputPointerLeft() {
  if (capture_) return;
  const TInputScope scope;
  const std::shared_ptr<bool> alive = alive_;
  if (hover_) hover_->MouseLeave();
  if (!*alive) return;
  hover_ = nullptr;
  Application().HintMouseMove(nullptr, {});
  Update();
}

void TForm::InputButton(platform::MouseButton button, bool down, int x, int y, unsigned shift) {
  if (InputShutOut(down)) return;
  const TInputScope scope;
  // A handler may free the form; then nothing here touches it again.
  const std::shared_ptr<bool> alive = alive_;
  if (down) {
    Application().PressOn(*this);
    if (!*alive) return;
    Application().CancelHint();
    TControl* target = TargetAt(x, y);
    if (!target->EnabledInTree()) return;
    // A press focuses the nearest windowed control that takes the focus.
    for (TControl* c = target; c; c = c->Parent())
      if (auto* w = dynamic_cast<TWinControl*>(c); w && w->TabStop() && w->CanFocus()) {
        SetActiveControl(w);
        break;
      }
    if (!*alive) return;
    if (buttonsDown_++ == 0) {
      capture_ = target;
      window_->SetCapture(true);
    }
    if (button == platform::MouseButton::Left) pressed_ = target;
    const TPoint local = target->FormToClient({x, y});
    target->MouseDown(button, shift, local.X, local.Y);
    if (!*alive) return;
  } else {
    if (buttonsDown_ == 0) return;  // the press went to another window
    TControl* target = TargetAt(x, y);
    if (--buttonsDown_ == 0) ReleaseCapture();
    const TPoint local = target->FormToClient({x, y});
    target->MouseUp(button, shift, local.X, local.Y);
    if (!*alive) return;
    // A target freed by its own handler has already left pressed_.
    if (button == platform::MouseButton::Left && pressed_ == target && target->ClientRect().Contains(local)) {
      pressed_ = nullptr;
      target->Click();
      if (!*alive) return;
    }
    // The pointer may have left the captured control meanwhile: hovering catches up now.
    if (!capture_) {
      TControl* under = TargetAt(x, y);
      if (under != hover_) {
        if (hover_) hover_->MouseLeave();
        if (!*alive) return;
        hover_ = under;
        hover_->MouseEnter();
        if (!*alive) return;
      }
    }
  }
  Update();
}

void TForm::InputWheel(int delta, int x, int y, unsigned shift) {
  if (InputShutOut()) return;
  const TInputScope scope;
  const std::shared_ptr<bool> alive = alive_;
  for (TControl* c = TargetAt(x, y); c; c = c->Parent()) {
    if (!c->EnabledInTree()) break;
    const TPoint local = c->FormToClient({x, y});
    if (c->MouseWheel(shift, delta, local.X, local.Y)) break;
    if (!*alive) return;
  }
  if (*alive) Update();
}

void TForm::InputKey(int key, bool down, unsigned shift) {
  if (InputShutOut()) return;
  const TInputScope scope;
  const std::shared_ptr<bool> alive = alive_;
  TWinControl* target = active_ ? active_ : this;
  if (down && KeyPreview && target != this && OnKeyDown) {
    OnKeyDown(*this, key, shift);
    if (!*alive) return;
    if (key == 0) {
      Update();
      return;
    }
  }
  if (down) {
    Application().CancelHint();
    if (!target->WantsKey(key, shift) && key == platform::keys::Tab && !(shift & (platform::CtrlKey | platform::AltKey))) {
      SelectNext(!(shift & platform::ShiftKey));
    } else {
      target->KeyDown(key, shift);
    }
  } else {
    target->KeyUp(key, shift);
  }
  if (*alive) Update();
}

void TForm::InputCharacter(const std::string& utf8) {
  if (InputShutOut()) return;
  const TInputScope scope;
  const std::shared_ptr<bool> alive = alive_;
  if (KeyPreview && active_ && active_ != this && OnKeyPress) OnKeyPress(*this, utf8);
  if (!*alive) return;
  (active_ ? active_ : static_cast<TWinControl*>(this))->KeyPress(utf8);
  if (*alive) Update();
}

void TForm::InputFocus(bool focused) {
  if (focused == activeWindow_) return;
  const TInputScope scope;
  const std::shared_ptr<bool> alive = alive_;
  activeWindow_ = focused;
  if (!focused) Application().CancelHint();
  titleBar_.Invalidate();
  Activated(focused);
  if (*alive) Update();
}

void TForm::InputResize(int width, int height) { SetClientSize(width, height); }

void TForm::InputCloseRequest() {
  // A window behind a modal one cannot be closed by the user either.
  if (InputShutOut()) return;
  const TInputScope scope;
  Close();
}

void TForm::InputExposed() {
  if (Embedded() || !Visible()) return;
  // The picture is still in the surface unless something changed since; then it is painted anew.
  if (dirty_ || surface_.Empty() || surface_.Width() != Width() || surface_.Height() != Height())
    Repaint();
  else
    window_->Present({surface_.Bits(), surface_.Width(), surface_.Height(), surface_.Stride()});
}

void TForm::InputMoved(int x, int y) {
  if (x != Left() || y != Top()) SetBounds(x, y, Width(), Height());
}

bool TForm::InputIsCaption(int x, int y) {
  TControl* bar = titleBar_.Enabled() ? titleBar_.Control() : nullptr;
  if (!bar || !bar->Showing()) return false;
  const TPoint local = bar->FormToClient({x, y});
  // The caption buttons, and any control placed on the title bar, take their own clicks.
  if (auto* panel = dynamic_cast<TTitleBarPanel*>(bar); panel && panel->ButtonAt(local.X, local.Y) != TTitleBarPanel::TButton::None)
    return false;
  return ControlAtPos({x, y}) == bar;
}

}  // namespace ui
