// Forms: the window behind them, painting and presenting, focus, input dispatch, modal runs.
#include "ui/forms.h"

#include "ui/application.h"

namespace ui {

TForm::TForm(TComponent* owner) : TWinControl(owner), window_(platform::CurrentWindowBackend().MakeWindow(*this)) {
  SetVisible(false);
  SetBounds(0, 0, 320, 240);
}

TForm::~TForm() {
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

void TForm::SetAlphaBlendValue(std::uint8_t value) {
  if (value == alpha_) return;
  alpha_ = value;
  window_->SetAlpha(value);
}

void TForm::SetStayOnTop(bool value) {
  if (value == stayOnTop_) return;
  stayOnTop_ = value;
  window_->SetStayOnTop(value);
}

void TForm::BoundsChanged(int oldWidth, int oldHeight) {
  const platform::WindowRect bounds{Left(), Top(), Width(), Height()};
  // The window reports a new size back through InputResize, which finds the form already there.
  if (!(window_->Bounds() == bounds)) window_->SetBounds(bounds);
  surface_.SetSize(Width(), Height());
  dirty_ = true;
  TWinControl::BoundsChanged(oldWidth, oldHeight);
}

void TForm::Show() {
  SetVisible(true);
  window_->SetVisible(true);
  if (!active_)
    if (TWinControl* first = FindNextControl(nullptr, true)) SetActiveControl(first);
  Repaint();
  window_->Activate();
  if (OnShow) OnShow(*this);
}

TModalResult TForm::ShowModal() {
  modalResult_ = mrNone;
  modal_ = true;
  Show();
  Application().RunUntil([&] {
    Update();
    return modalResult_ != mrNone || !Visible();
  });
  modal_ = false;
  if (modalResult_ == mrNone) modalResult_ = mrCancel;
  if (Visible()) {
    SetVisible(false);
    window_->SetVisible(false);
    if (OnHide) OnHide(*this);
  }
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
  window_->SetVisible(false);
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
}

void TForm::Update() {
  if (dirty_) Repaint();
}

void TForm::Repaint() {
  dirty_ = false;
  if (surface_.Empty()) return;
  if (platform::CanvasSupported()) {
    TCanvas canvas(surface_);
    canvas.Font = Font;
    PaintControl(canvas);
  } else {
    // Without a drawing backend the form shows its colour, so windows still appear.
    surface_.Fill(color_);
  }
  window_->Present({surface_.Bits(), surface_.Width(), surface_.Height(), surface_.Stride()});
}

void TForm::PaintSelf(TCanvas& canvas) {
  canvas.Painter().Clear(color_);
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

void TForm::InputPointerMoved(int x, int y, unsigned shift) {
  TControl* target = TargetAt(x, y);
  // While captured, hovering follows the pointer but enter and leave wait for the release.
  TControl* under = capture_ ? capture_ : target;
  if (under != hover_) {
    if (hover_) hover_->MouseLeave();
    hover_ = under;
    if (hover_) hover_->MouseEnter();
  }
  window_->SetCursor(target->Cursor());
  const TPoint local = target->FormToClient({x, y});
  target->MouseMove(shift, local.X, local.Y);
  Update();
}

void TForm::InputPointerLeft() {
  if (capture_) return;
  if (hover_) hover_->MouseLeave();
  hover_ = nullptr;
  Update();
}

void TForm::InputButton(platform::MouseButton button, bool down, int x, int y, unsigned shift) {
  if (down) {
    TControl* target = TargetAt(x, y);
    if (!target->EnabledInTree()) return;
    // A press focuses the nearest windowed control that takes the focus.
    for (TControl* c = target; c; c = c->Parent())
      if (auto* w = dynamic_cast<TWinControl*>(c); w && w->TabStop() && w->CanFocus()) {
        SetActiveControl(w);
        break;
      }
    if (buttonsDown_++ == 0) {
      capture_ = target;
      window_->SetCapture(true);
    }
    if (button == platform::MouseButton::Left) pressed_ = target;
    const TPoint local = target->FormToClient({x, y});
    target->MouseDown(button, shift, local.X, local.Y);
  } else {
    if (buttonsDown_ == 0) return;  // the press went to another window
    TControl* target = TargetAt(x, y);
    if (--buttonsDown_ == 0) ReleaseCapture();
    const TPoint local = target->FormToClient({x, y});
    target->MouseUp(button, shift, local.X, local.Y);
    if (button == platform::MouseButton::Left && pressed_ == target && target->ClientRect().Contains(local)) {
      pressed_ = nullptr;
      target->Click();
    }
    // The pointer may have left the captured control meanwhile: hovering catches up now.
    if (!capture_) {
      TControl* under = TargetAt(x, y);
      if (under != hover_) {
        if (hover_) hover_->MouseLeave();
        hover_ = under;
        hover_->MouseEnter();
      }
    }
  }
  Update();
}

void TForm::InputWheel(int delta, int x, int y, unsigned shift) {
  for (TControl* c = TargetAt(x, y); c; c = c->Parent()) {
    if (!c->EnabledInTree()) break;
    const TPoint local = c->FormToClient({x, y});
    if (c->MouseWheel(shift, delta, local.X, local.Y)) break;
  }
  Update();
}

void TForm::InputKey(int key, bool down, unsigned shift) {
  TWinControl* target = active_ ? active_ : this;
  if (down) {
    if (!target->WantsKey(key, shift) && key == platform::keys::Tab && !(shift & (platform::CtrlKey | platform::AltKey))) {
      SelectNext(!(shift & platform::ShiftKey));
    } else {
      target->KeyDown(key, shift);
    }
  } else {
    target->KeyUp(key, shift);
  }
  Update();
}

void TForm::InputCharacter(const std::string& utf8) {
  (active_ ? active_ : static_cast<TWinControl*>(this))->KeyPress(utf8);
  Update();
}

void TForm::InputFocus(bool focused) {
  if (focused == activeWindow_) return;
  activeWindow_ = focused;
  if (focused && OnActivate) OnActivate(*this);
  if (!focused && OnDeactivate) OnDeactivate(*this);
}

void TForm::InputResize(int width, int height) { SetClientSize(width, height); }

void TForm::InputCloseRequest() { Close(); }

}  // namespace ui
