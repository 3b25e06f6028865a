// Components and the control tree.
#include "ui/controls.h"

#include <algorithm>

#include "ui/forms.h"

namespace ui {

// ---- TComponent

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  DestroyComponents();
  if (owner_) std::erase(owner_->components_, this);
}

void TComponent::DestroyComponents() {
  destroying_ = true;
  // Each component takes itself off the list as it goes.
  while (!components_.empty()) delete components_.back();
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  for (TComponent* c : components_)
    if (c->name_ == name) return c;
  return nullptr;
}

// ---- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() {
  if (TForm* form = ParentForm()) form->ControlGoing(this);
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* value) {
  if (value == parent_) return;
  if (TForm* form = ParentForm()) form->ControlGoing(this);
  if (parent_) {
    parent_->RemoveControl(this);
    parent_->Invalidate();
  }
  parent_ = value;
  if (parent_) {
    parent_->InsertControl(this);
    RequestRealign();
    Invalidate();
  }
}

TForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return const_cast<TForm*>(dynamic_cast<const TForm*>(c));
}

void TControl::SetBounds(int left, int top, int width, int height) {
  const TSizeConstraints& c = constraints_;
  if (c.MaxWidth > 0) width = std::min(width, c.MaxWidth);
  if (c.MaxHeight > 0) height = std::min(height, c.MaxHeight);
  width = std::max({width, c.MinWidth, 0});
  height = std::max({height, c.MinHeight, 0});
  const TRect next = Bounds(left, top, width, height);
  if (next == bounds_) return;
  const int oldWidth = Width(), oldHeight = Height();
  if (parent_) parent_->Invalidate();
  bounds_ = next;
  BoundsChanged(oldWidth, oldHeight);
  RequestRealign();
  Invalidate();
}

void TControl::BoundsChanged(int oldWidth, int oldHeight) {
  if ((oldWidth != Width() || oldHeight != Height()) && OnResize) OnResize(*this);
}

void TControl::SetAlign(TAlign value) {
  if (value == align_) return;
  align_ = value;
  RequestRealign();
}

void TControl::SetMargins(const TMargins& value) {
  if (value == margins_) return;
  margins_ = value;
  if (alignWithMargins_) RequestRealign();
}

void TControl::SetAlignWithMargins(bool value) {
  if (value == alignWithMargins_) return;
  alignWithMargins_ = value;
  RequestRealign();
}

void TControl::SetConstraints(const TSizeConstraints& value) {
  if (value == constraints_) return;
  constraints_ = value;
  // The current bounds pass through the new limits.
  SetBounds(Left(), Top(), Width(), Height());
  ConstraintsChanged();
}

void TControl::RequestRealign() {
  if (parent_ && align_ != TAlign::alNone) parent_->Realign();
}

void TControl::SetVisible(bool value) {
  if (value == visible_) return;
  // A hidden form keeps its active control for when it shows again.
  if (TForm* form = ParentForm(); !value && form && form != this) form->ControlGoing(this);
  visible_ = value;
  if (parent_) {
    if (align_ != TAlign::alNone) parent_->Realign();
    parent_->Invalidate();
  }
  VisibleChanged();
}

void TControl::SetEnabled(bool value) {
  if (value == enabled_) return;
  if (TForm* form = ParentForm(); !value && form && form != this) form->ControlGoing(this);
  enabled_ = value;
  EnabledChanged();
}

void TControl::EnabledChanged() { Invalidate(); }

bool TControl::Showing() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

bool TControl::EnabledInTree() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->enabled_) return false;
  return true;
}

TPoint TControl::OriginOnForm() const {
  TPoint p;
  // The form's own position is on the screen, not on itself.
  for (const TControl* c = this; c->parent_; c = c->parent_) {
    p.X += c->Left();
    p.Y += c->Top();
  }
  return p;
}

TPoint TControl::FormToClient(TPoint p) const {
  const TPoint origin = OriginOnForm();
  return {p.X - origin.X, p.Y - origin.Y};
}

void TControl::Invalidate() {
  if (TForm* form = ParentForm()) form->InvalidateForm();
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}
bool TControl::MouseWheel(TShiftState shift, int delta, int x, int y) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(*this, shift, delta, x, y, handled);
  return handled;
}
void TControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(*this);
}
void TControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(*this);
}
void TControl::Click() {
  if (OnClick) OnClick(*this);
}

void TControl::PaintControl(TCanvas&) {}

void TControl::Notify(unsigned) {}

void TControl::BringToFront() {
  if (!parent_) return;
  // Only the painting order changes; the tab order stays.
  std::vector<TControl*>& siblings = parent_->controls_;
  std::erase(siblings, this);
  siblings.push_back(this);
  Invalidate();
}

// ---- TGraphicControl

void TGraphicControl::Paint() {
  if (OnPaint) OnPaint(*this);
}

void TGraphicControl::PaintControl(TCanvas& canvas) {
  TPaintingCanvas painting(canvas_, canvas);
  Paint();
}

// ---- TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  // Owned children go first, while this part of them can still take them off its lists; children
  // owned elsewhere are only let go.
  DestroyComponents();
  while (!controls_.empty()) controls_.back()->SetParent(nullptr);
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) tabList_.push_back(windowed);
}

void TWinControl::RemoveControl(TControl* control) {
  std::erase(controls_, control);
  std::erase(tabList_, static_cast<TControl*>(control));
}

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  const auto& list = Parent()->tabList_;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (!Parent()) return;
  auto& list = Parent()->tabList_;
  value = std::clamp(value, 0, static_cast<int>(list.size()) - 1);
  if (value == TabOrder()) return;
  std::erase(list, this);
  list.insert(list.begin() + value, this);
}

bool TWinControl::CanFocus() const { return Showing() && EnabledInTree() && ParentForm(); }

bool TWinControl::Focused() const {
  TForm* form = ParentForm();
  return form && form->ActiveControl() == this;
}

void TWinControl::SetFocus() {
  if (TForm* form = ParentForm()) form->SetActiveControl(this);
}

TControl* TWinControl::ControlAtPos(TPoint p) {
  auto search = [&](bool windowed) -> TControl* {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
      TControl* c = *it;
      if (c->IsWindowed() != windowed || !c->Visible() || !c->BoundsRect().Contains(p)) continue;
      const TPoint local{p.X - c->Left(), p.Y - c->Top()};
      if (auto* w = dynamic_cast<TWinControl*>(c)) {
        if (TControl* found = w->ControlAtPos(local)) return found;
      } else if (c->HitTest()) {
        return c;
      }
    }
    return nullptr;
  };
  if (TControl* found = search(true)) return found;
  if (TControl* found = search(false)) return found;
  return HitTest() ? this : nullptr;
}

void TWinControl::CollectTabStops(std::vector<TWinControl*>& out) const {
  for (TWinControl* c : tabList_) {
    if (!c->Visible() || !c->Enabled()) continue;
    if (c->tabStop_) out.push_back(c);
    c->CollectTabStops(out);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward) const {
  std::vector<TWinControl*> stops;
  CollectTabStops(stops);
  if (stops.empty()) return nullptr;
  auto at = std::find(stops.begin(), stops.end(), current);
  if (at == stops.end()) return forward ? stops.front() : stops.back();
  const std::size_t i = at - stops.begin(), n = stops.size();
  return stops[forward ? (i + 1) % n : (i + n - 1) % n];
}

void TWinControl::SetPadding(const TPadding& value) {
  if (value == padding_) return;
  padding_ = value;
  AlignControls();
}

void TWinControl::Realign() { AlignControls(); }

void TWinControl::AlignControls() {
  if (aligning_) return;
  aligning_ = true;
  struct TDone {
    bool& flag;
    ~TDone() { flag = false; }
  } done{aligning_};

  const TRect area = AlignArea();
  TRect rest{area.Left + padding_.Left, area.Top + padding_.Top, area.Right - padding_.Right,
             area.Bottom - padding_.Bottom};
  // Controls of one alignment stack in the order of their current position, so moving one past
  // another reorders them, and in list order when they are level.
  auto take = [&](TAlign align, auto key) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->Align() == align && c->Visible()) list.push_back(c);
    std::stable_sort(list.begin(), list.end(), [&](TControl* a, TControl* b) { return key(a) < key(b); });
    return list;
  };
  auto margins = [](TControl* c) { return c->AlignWithMargins() ? c->Margins() : TMargins{0, 0, 0, 0}; };

  for (TControl* c : take(TAlign::alTop, [](TControl* c) { return c->Top(); })) {
    const TMargins m = margins(c);
    c->SetBounds(rest.Left + m.Left, rest.Top + m.Top, rest.Width() - m.Left - m.Right, c->Height());
    rest.Top += m.Top + c->Height() + m.Bottom;
  }
  for (TControl* c : take(TAlign::alBottom, [](TControl* c) { return -c->BoundsRect().Bottom; })) {
    const TMargins m = margins(c);
    c->SetBounds(rest.Left + m.Left, rest.Bottom - m.Bottom - c->Height(), rest.Width() - m.Left - m.Right, c->Height());
    rest.Bottom -= m.Top + c->Height() + m.Bottom;
  }
  for (TControl* c : take(TAlign::alLeft, [](TControl* c) { return c->Left(); })) {
    const TMargins m = margins(c);
    c->SetBounds(rest.Left + m.Left, rest.Top + m.Top, c->Width(), rest.Height() - m.Top - m.Bottom);
    rest.Left += m.Left + c->Width() + m.Right;
  }
  for (TControl* c : take(TAlign::alRight, [](TControl* c) { return -c->BoundsRect().Right; })) {
    const TMargins m = margins(c);
    c->SetBounds(rest.Right - m.Right - c->Width(), rest.Top + m.Top, c->Width(), rest.Height() - m.Top - m.Bottom);
    rest.Right -= m.Left + c->Width() + m.Right;
  }
  for (TControl* c : take(TAlign::alClient, [](TControl*) { return 0; })) {
    const TMargins m = margins(c);
    c->SetBounds(rest.Left + m.Left, rest.Top + m.Top, rest.Width() - m.Left - m.Right, rest.Height() - m.Top - m.Bottom);
  }
}

void TWinControl::BoundsChanged(int oldWidth, int oldHeight) {
  const int dw = Width() - oldWidth, dh = Height() - oldHeight;
  if (dw != 0 || dh != 0) {
    // Anchors keep a child's distance to the anchored edges; a side anchored to neither edge keeps the
    // child centred where it was.
    for (TControl* c : std::vector<TControl*>(controls_)) {
      if (c->Align() != TAlign::alNone) continue;
      const TAnchors& a = c->Anchors();
      TRect r = c->BoundsRect();
      if (a.Right) {
        r.Right += dw;
        if (!a.Left) r.Left += dw;
      } else if (!a.Left) {
        r = r.Offset(dw / 2, 0);
      }
      if (a.Bottom) {
        r.Bottom += dh;
        if (!a.Top) r.Top += dh;
      } else if (!a.Top) {
        r = r.Offset(0, dh / 2);
      }
      c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    }
    AlignControls();
  }
  TControl::BoundsChanged(oldWidth, oldHeight);
}

bool TWinControl::WantsKey(int, TShiftState) { return false; }

void TWinControl::KeyDown(int& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(*this, key, shift);
}
void TWinControl::KeyUp(int& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(*this, key, shift);
}
void TWinControl::KeyPress(const std::string& character) {
  if (OnKeyPress) OnKeyPress(*this, character);
}
void TWinControl::DoEnter() {
  Invalidate();
  if (OnEnter) OnEnter(*this);
}
void TWinControl::DoExit() {
  Invalidate();
  if (OnExit) OnExit(*this);
}

void TWinControl::PaintSelf(TCanvas&) {}

void TWinControl::PaintControl(TCanvas& canvas) {
  PaintSelf(canvas);
  // Graphic children lie on this control's surface, beneath every windowed child.
  for (bool windowed : {false, true})
    for (TControl* c : controls_) {
      if (c->IsWindowed() != windowed || !c->Visible() || c->BoundsRect().IsEmpty()) continue;
      TCanvasState state(canvas);
      canvas.ClipRect(c->BoundsRect());
      canvas.Painter().Translate(c->Left(), c->Top());
      c->PaintControl(canvas);
    }
}

void TWinControl::Broadcast(unsigned message) {
  // A receiver may add or remove children: walk a copy.
  const std::vector<TControl*> children = controls_;
  for (TControl* c : children) {
    c->Notify(message);
    if (auto* windowed = dynamic_cast<TWinControl*>(c)) windowed->Broadcast(message);
  }
}

// ---- TCustomControl

void TCustomControl::Paint() {
  if (OnPaint) OnPaint(*this);
}

void TCustomControl::PaintSelf(TCanvas& canvas) {
  TPaintingCanvas painting(canvas_, canvas);
  TCanvasState state(canvas);
  Paint();
}

// ---- TPanel

TAlphaColor TPanel::Color() const {
  if (parentColor_) {
    if (auto* panel = dynamic_cast<const TPanel*>(Parent())) return panel->Color();
    if (auto* form = dynamic_cast<const TForm*>(Parent())) return form->Color();
  }
  return color_;
}

void TPanel::SetColor(TAlphaColor value) {
  if (value == color_ && !parentColor_) return;
  color_ = value;
  parentColor_ = false;
  Invalidate();
}

void TPanel::SetParentColor(bool value) {
  if (value == parentColor_) return;
  parentColor_ = value;
  Invalidate();
}

void TPanel::Paint() {
  Canvas()->BrushColor = Color();
  Canvas()->FillRect(ClientRect());
  TCustomControl::Paint();
}

}  // namespace ui
