// The scroll box's bars and ranges, the scrolling of its children and the wheel glide.
#include "lux/scroll_box.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "lux/theme_manager.h"
#include "platform/window.h"

namespace lux {

namespace {

int Sign(std::int64_t V) { return V > 0 ? 1 : V < 0 ? -1 : 0; }

}  // namespace

void FXScrollBoxScrollBar::CalcAutoRange() {
  auto* box = dynamic_cast<FXScrollBox*>(Parent());
  if (!box) return;
  const bool vertical = Vertical();
  const std::int64_t extent = vertical ? box->Height() - Width() : box->Width() - Height();
  std::int64_t reach = 0, aligned = 0;
  for (int i = 0; i < box->ControlCount(); ++i) {
    ui::TControl* c = box->Controls(i);
    if (c == &box->ScrollBarVert() || c == &box->ScrollBarHorz() || !c->Visible()) continue;
    const ui::TAnchors& anchors = c->Anchors();
    if (vertical) {
      if (c->Align() == ui::TAlign::alTop ||
          (c->Align() == ui::TAlign::alNone && anchors.Top && !anchors.Bottom))
        reach = std::max<std::int64_t>(reach, Position() + c->Top() + c->Height() + box->ScrollExtendY());
      else if (c->Align() == ui::TAlign::alBottom)
        aligned += c->Height();
    } else {
      if (c->Align() == ui::TAlign::alLeft ||
          (c->Align() == ui::TAlign::alNone && anchors.Left && !anchors.Right))
        reach = std::max<std::int64_t>(reach, Position() + c->Left() + c->Width() + box->ScrollExtendX());
      else if (c->Align() == ui::TAlign::alRight)
        aligned += c->Width();
    }
  }
  const std::int64_t range =
      Position() == 0 && extent >= reach ? 0 : std::max<std::int64_t>(reach + aligned - extent, 0);
  // Content that shrank below the scrolled-to place scrolls back first (through the event, so the
  // children follow), then the range shrinks with it rather than keeping room for what is gone.
  if (range < Position()) SetPosition(range);
  SetMax(range);
  const bool enabled = vertical ? box->ScrollbarEnableVertical() : box->ScrollbarEnableHorizontal();
  SetVisible(Max() > 0 && enabled);
}

FXScrollBox::FXScrollBox(ui::TComponent* AOwner)
    : ui::TScrollBox(AOwner),
      FCustomColors(std::make_unique<FXCompleteColorSets>(this)),
      FDrawColors(std::make_unique<FXCompleteColorSet>(*ThemeManager().SystemColorSet, ThemeManager().DarkTheme())),
      FAnim(std::make_unique<ui::TTimer>()) {
  SetBounds(Left(), Top(), 200, 150);
  FAnim->SetEnabled(false);
  FAnim->SetInterval(1);
  FAnim->OnTimer = [this] { WheelTick(); };
  FVertScroll = new FXScrollBoxScrollBar(this);
  FVertScroll->SetTag(0);
  FVertScroll->SetParent(this);
  FVertScroll->SetMax(0);
  FVertScroll->OnChange = [this](FXScrollbar& Sender) { BarChanged(Sender); };
  FHorzScroll = new FXScrollBoxScrollBar(this);
  FHorzScroll->SetTag(1);
  FHorzScroll->SetOrientation(FXOrientation::Horizontal);
  FHorzScroll->SetParent(this);
  FHorzScroll->SetMax(0);
  FHorzScroll->OnChange = [this](FXScrollbar& Sender) { BarChanged(Sender); };
  UpdateTheme(false);
  UpdateScrollRanges();
}

FXScrollBox::~FXScrollBox() {
  FAnim->SetEnabled(false);
  // The bars go while the box is still whole, and the box stops looking at them first: what their
  // leaving sets off (a realign, a repaint) must not reach a half-freed bar.
  FVertScroll = FHorzScroll = nullptr;
  DestroyComponents();
}

void FXScrollBox::DestroyAll() {
  for (int i = ControlCount() - 1; i >= 0; --i) {
    ui::TControl* c = Controls(i);
    if (c != FVertScroll && c != FHorzScroll) delete c;
  }
  UpdateScrollRanges();
}

void FXScrollBox::SetBackgroundColor(FXBackgroundColor Value) {
  if (Value == FBackground) return;
  FBackground = Value;
  UpdateColors();
  Invalidate();
  FVertScroll->UpdateTheme(false);
  FHorzScroll->UpdateTheme(false);
}

void FXScrollBox::SetScrollExtendX(std::int32_t Value) {
  if (Value == FExtendX) return;
  FExtendX = Value;
  UpdateScrollRanges();
}

void FXScrollBox::SetScrollExtendY(std::int32_t Value) {
  if (Value == FExtendY) return;
  FExtendY = Value;
  UpdateScrollRanges();
}

void FXScrollBox::SetScrollbarEnableVertical(bool Value) {
  if (Value == FEnableVertical) return;
  FEnableVertical = Value;
  UpdateScrollRanges();
}

void FXScrollBox::SetScrollbarEnableHorizontal(bool Value) {
  if (Value == FEnableHorizontal) return;
  FEnableHorizontal = Value;
  UpdateScrollRanges();
}

TColor FXScrollBox::Background() {
  return FBackground == FXBackgroundColor::Content ? FDrawColors->BackGroundInterior() : FDrawColors->BackGround();
}

void FXScrollBox::UpdateColors() {
  if (FCustomColors->Enabled()) FDrawColors->LoadFrom(*FCustomColors, ThemeManager().DarkTheme());
  else ThemeManager().LoadColorSet(*FDrawColors);
  SetColor(MakeARGB(Background(), 255));
}

void FXScrollBox::UpdateTheme(bool UpdateChildren) {
  UpdateColors();
  PositionScrollBars();
  FVertScroll->UpdateTheme(false);
  FHorzScroll->UpdateTheme(false);
  if (UpdateChildren)
    for (int i = 0; i < ControlCount(); ++i)
      if (ui::TControl* c = Controls(i); c != FVertScroll && c != FHorzScroll)
        if (auto* control = dynamic_cast<FXControl*>(c)) control->UpdateTheme(UpdateChildren);
  Invalidate();
}

void FXScrollBox::UpdateScrollRanges() {
  // Scrolling back inside a range calculation realigns the children, which must not start another.
  if (FUpdatingRanges || !FVertScroll || !FHorzScroll) return;
  FUpdatingRanges = true;
  struct TDone {
    bool& Flag;
    ~TDone() { Flag = false; }
  } done{FUpdatingRanges};
  FVertScroll->CalcAutoRange();
  FHorzScroll->CalcAutoRange();
  PositionScrollBars();
  // Children added after the bars would cover them.
  FVertScroll->BringToFront();
  FHorzScroll->BringToFront();
}

void FXScrollBox::PositionScrollBars() {
  if (!FVertScroll || !FHorzScroll) return;
  FVertScroll->SetBounds(Width() - FVertScroll->Width(), 0, FVertScroll->Width(), Height());
  const int room = Width() - (FVertScroll->Visible() ? FVertScroll->Width() : 0);
  FHorzScroll->SetBounds(0, Height() - FHorzScroll->Height(), room, FHorzScroll->Height());
  if (FVertScroll->Visible() && !FEnableVertical) FVertScroll->Hide();
  if (FHorzScroll->Visible() && !FEnableHorizontal) FHorzScroll->Hide();
}

TRect FXScrollBox::AlignArea() const {
  if (!FVertScroll || !FHorzScroll) return ui::TScrollBox::AlignArea();
  const std::int64_t width = std::max<std::int64_t>(ClientWidth(), FHorzScroll->Max()) -
                             (FVertScroll->Visible() ? FVertScroll->Width() : 0);
  const std::int64_t height = std::max<std::int64_t>(ClientHeight(), FVertScroll->Max()) -
                              (FHorzScroll->Visible() ? FHorzScroll->Height() : 0);
  const int left = -static_cast<int>(FHorzScroll->Position()), top = -static_cast<int>(FVertScroll->Position());
  return Rect(left, top, left + static_cast<int>(width), top + static_cast<int>(height));
}

void FXScrollBox::BarChanged(FXScrollbar& Sender) {
  if (Sender.Tag() == 0) {
    const int position = static_cast<int>(Sender.Position());
    ScrollContent(0, FPosY - position);
    FPosY = position;
  } else {
    const int position = static_cast<int>(Sender.Position());
    ScrollContent(FPosX - position, 0);
    FPosX = position;
  }
  PositionScrollBars();
}

void FXScrollBox::ScrollContent(int DX, int DY) {
  // The toolkit's scroll moves every unaligned child, the bars too; they are put back in place
  // right after, by whoever scrolled.
  ScrollBy(DX, DY);
}

bool FXScrollBox::MouseWheel(ui::TShiftState Shift, int Delta, int X, int Y) {
  if (IsLoading() || !AutoScroll()) return ui::TScrollBox::MouseWheel(Shift, Delta, X, Y);
  UpdateScrollRanges();
  enum class TAxis { None, Vertical, Horizontal } axis = TAxis::None;
  if (Shift == 0) axis = TAxis::Vertical;
  else if (Shift == platform::ShiftKey) axis = TAxis::Horizontal;
  if (axis == TAxis::Vertical && !FVertScroll->Visible())
    axis = FHorzScroll->Visible() ? TAxis::Horizontal : TAxis::None;
  else if (axis == TAxis::Horizontal && !FHorzScroll->Visible())
    axis = FVertScroll->Visible() ? TAxis::Vertical : TAxis::None;

  const int s = Sign(Delta);
  if (axis != TAxis::None) {
    FXScrollbar& bar = axis == TAxis::Vertical ? *FVertScroll : *FHorzScroll;
    if (FAnimation) {
      (axis == TAxis::Vertical ? FAnimY : FAnimX) += -s * FScrollSpeed;
      FAnim->SetEnabled(true);
    } else {
      bar.SetPosition(bar.Position() - std::int64_t(s) * FScrollSpeed);
    }
  }
  ui::TScrollBox::MouseWheel(Shift, Delta, X, Y);
  // A box that scrolls keeps the turn, so that an outer scroll box does not scroll as well.
  return axis != TAxis::None;
}

void FXScrollBox::WheelTick() {
  // The last stretch, in either direction, is whatever remains: so a glide up ends where it should
  // instead of passing it and jumping back.
  if (std::abs(FAnimX) <= WheelGlideStep && std::abs(FAnimY) <= WheelGlideStep) {
    FAnim->SetEnabled(false);
    const std::int32_t x = FAnimX, y = FAnimY;
    FAnimX = FAnimY = 0;
    if (y != 0) FVertScroll->SetPosition(FVertScroll->Position() + y);
    if (x != 0) FHorzScroll->SetPosition(FHorzScroll->Position() + x);
    return;
  }
  const int sx = Sign(FAnimX), sy = Sign(FAnimY);
  FAnimX -= WheelGlideStep * sx;
  FAnimY -= WheelGlideStep * sy;
  FVertScroll->SetPosition(FVertScroll->Position() + WheelGlideStep * sy);
  FHorzScroll->SetPosition(FHorzScroll->Position() + WheelGlideStep * sx);
  Invalidate();
  // At an end there is nothing left to glide towards.
  if (FVertScroll->Position() == 0 || FVertScroll->Position() == FVertScroll->Max()) FAnimY = 0;
  if (FHorzScroll->Position() == 0 || FHorzScroll->Position() == FHorzScroll->Max()) FAnimX = 0;
}

void FXScrollBox::BoundsChanged(int OldWidth, int OldHeight) {
  ui::TScrollBox::BoundsChanged(OldWidth, OldHeight);
  UpdateScrollRanges();
}

}  // namespace lux
