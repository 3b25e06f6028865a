// Hint windows and the application's hint timing: the pause before a hint shows, how long it stays,
// and the class each new hint window is made of.
#include "ui/hints.h"

#include <algorithm>

#include "ui/application.h"
#include "ui/timer.h"

namespace ui {

// ---- THintWindow

THintWindow::THintWindow(TComponent* owner) : TForm(owner, false) {
  Window().SetPopup(true);
  SetBorderStyle(TFormBorderStyle::bsNone);
  SetColor(0xFFFFFFE1);
  Font.SetSize(8);
}

THintWindow::~THintWindow() {
  if (gone_) gone_();
}

void THintWindow::CreateParams(TCreateParams&) {}

TRect THintWindow::CalcHintRect(int maxWidth, const std::string& hint, const void*) {
  TBitmap scratch(1, 1);
  TCanvas canvas(scratch);
  canvas.Font = Font;
  const TSize size = canvas.TextExtent(hint);
  return {0, 0, std::min(size.cx, std::max(maxWidth, 0)) + 6, size.cy + 4};
}

void THintWindow::ActivateHint(const TRect& rect, const std::string& hint) {
  if (!created_) {
    created_ = true;
    params_ = TCreateParams{};
    CreateParams(params_);
    Window().SetShadow(params_.DropShadow);
  }
  SetCaption(hint);
  SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
  Invalidate();
  // Shown without Activate: the form under the pointer keeps the focus.
  SetVisible(true);
  Window().SetVisible(true);
  Repaint();
}

void THintWindow::ReleaseHint() {
  if (!Visible()) return;
  SetVisible(false);
  Window().SetVisible(false);
}

void THintWindow::Paint() {
  TCanvas& canvas = *canvas_;
  canvas.BrushColor = Color();
  canvas.FillRect(ClientRect());
  if (params_.Border) {
    canvas.Pen = {0xFF767676, 1};
    canvas.FrameRect(ClientRect());
  }
  canvas.Font = Font;
  canvas.TextOut(3, 2, Caption());
}

void THintWindow::PaintSelf(TCanvas& canvas) {
  TPaintingCanvas painting(canvas_, canvas);
  TCanvasState state(canvas);
  Paint();
}

// ---- the application's hints

THintController::THintController(TApplication& app) : app_(app), pause_(app), hide_(app) {
  pause_.SetEnabled(false);
  hide_.SetEnabled(false);
  pause_.OnTimer = [this] {
    pause_.SetEnabled(false);
    Show();
  };
  hide_.OnTimer = [this] {
    hide_.SetEnabled(false);
    Hide();
  };
}

THintController::~THintController() { delete window_; }

void THintController::MouseMove(TControl* control, TPoint screen) {
  pointer_ = screen;
  // Controls without a hint of their own show their parent's, as far up as one has one.
  while (control && control->Hint().empty()) control = control->Parent();
  if (control == control_) return;
  const bool wasShowing = window_ && window_->Visible();
  Hide();
  control_ = control;
  if (!control || !app_.ShowHint) return;
  // Moving from one hint to the next shows the next one almost at once.
  pause_.SetInterval(wasShowing ? app_.HintShortPause : app_.HintPause);
  pause_.SetEnabled(true);
}

void THintController::Cancel() {
  Hide();
  control_ = nullptr;
}

void THintController::Show() {
  if (!control_ || !control_->Showing() || !app_.ShowHint) return;
  TForm* form = control_->ParentForm();
  if (!form) return;
  // A window of another class, or one belonging to another form, is made anew.
  if (window_ && (typeid(*window_) != *class_.Type || window_->Owner() != form)) {
    delete window_;
    window_ = nullptr;
  }
  if (!window_) {
    window_ = class_.Make(form);
    window_->gone_ = [this] { window_ = nullptr; };
  }
  const TRect monitor = form->MonitorBounds();
  TRect rect = window_->CalcHintRect(monitor.Width(), control_->Hint(), nullptr);
  // Below the pointer's arrow, kept on the monitor.
  int left = pointer_.X, top = pointer_.Y + 20;
  left = std::max(monitor.Left, std::min(left, monitor.Right - rect.Width()));
  if (top + rect.Height() > monitor.Bottom) top = pointer_.Y - rect.Height() - 4;
  window_->ActivateHint(Bounds(left, top, rect.Width(), rect.Height()), control_->Hint());
  hide_.SetInterval(app_.HintHidePause);
  hide_.SetEnabled(true);
}

void THintController::Hide() {
  pause_.SetEnabled(false);
  hide_.SetEnabled(false);
  if (window_) window_->ReleaseHint();
}

void THintController::Going(TControl* going) {
  for (TControl* c = control_; c; c = c->Parent())
    if (c == going) {
      Cancel();
      return;
    }
}

THintWindow* THintController::Visible() const { return window_ && window_->Visible() ? window_ : nullptr; }

namespace {
THintController& Hints(TApplication& app, std::unique_ptr<THintController>& hints) {
  if (!hints) hints = std::make_unique<THintController>(app);
  return *hints;
}
}  // namespace

const THintWindowClass& TApplication::HintWindowClass() const {
  static const THintWindowClass standard;
  return hints_ ? hints_->class_ : standard;
}

void TApplication::SetHintWindowClass(const THintWindowClass& value) { Hints(*this, hints_).class_ = value; }

THintWindow* TApplication::HintWindow() const { return hints_ ? hints_->Visible() : nullptr; }

void TApplication::HintMouseMove(TControl* control, TPoint screen) {
  if (control || hints_) Hints(*this, hints_).MouseMove(control, screen);
}

void TApplication::CancelHint() {
  if (hints_) hints_->Cancel();
}

void TApplication::ActivateHint() {
  if (hints_) hints_->Show();
}

void TApplication::ControlGoing(TControl* control) {
  if (hints_) hints_->Going(control);
}

}  // namespace ui
