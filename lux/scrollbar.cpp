// The scroll bar's colours, layout, painting, dragging, button repeat and the fade of its track.
#include "lux/scrollbar.h"

#include <algorithm>
#include <cmath>

#include "lux/shapes.h"
#include "lux/theme_manager.h"
#include "platform/canvas.h"

namespace lux {

namespace {

constexpr std::int32_t kFadeStep = 15;
constexpr std::int32_t kFadeEnd = 255;
constexpr std::int32_t kRepeatDelay = 500;
constexpr std::int32_t kRepeatInterval = 50;

bool Inside(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

}  // namespace

FXScrollbar::FXScrollbar(ui::TComponent* AOwner)
    : FXWindowsControl(AOwner),
      FRepeater(std::make_unique<ui::TTimer>()),
      FAnim(std::make_unique<ui::TTimer>()),
      FCustomColors(std::make_unique<FXCompleteColorSets>(this)),
      FDrawColors(std::make_unique<FXCompleteColorSet>(*ThemeManager().SystemColorSet, ThemeManager().DarkTheme())) {
  FRepeater->SetEnabled(false);
  FRepeater->SetInterval(kRepeatDelay);
  FRepeater->OnTimer = [this] { RepeatTick(); };
  FAnim->SetEnabled(false);
  FAnim->SetInterval(10);
  FAnim->OnTimer = [this] { FadeTick(); };
  FAutoFocusLine = true;
  SetBounds(Left(), Top(), 12, 225);
  UpdateRects();
  UpdateColors();
}

FXScrollbar::~FXScrollbar() = default;

double FXScrollbar::GetPercentageCustom(std::int64_t Value) const {
  std::int64_t a = Value - FMin, b = FMax - FMin;
  if (a < 0) {
    b -= a;
    a = 0;
  }
  return b == 0 ? 0 : double(a) / double(b);
}

void FXScrollbar::UpdateTheme(bool) {
  UpdateColors();
  UpdateRects();
  Invalidate();
}

void FXScrollbar::UpdateColors() {
  const bool dark = ThemeManager().DarkTheme();
  if (FCustomColors->Enabled()) {
    FDrawColors->SetBackGround(GetThemeColor(*FCustomColors, 2));
    FDrawColors->SetBackGroundInterior(GetThemeColor(*FCustomColors, 3));
    FDrawColors->SetAccent(GetThemeColor(*FCustomColors, 1));
    // Custom sets carry no slider colour; it is derived from their track as the system one is, so
    // the slider always stands out from the track it runs in.
    FDrawColors->SetForeGround(ChangeColorLight(FDrawColors->BackGroundInterior(), dark ? 75 : -75));
  } else {
    FDrawColors->Assign(*ThemeManager().SystemColor);
    FDrawColors->SetForeGround(ChangeColorLight(FDrawColors->BackGroundInterior(), dark ? 75 : -75));
    FDrawColors->SetBackGround(GetParentBackgroundColor(FDrawColors->BackGround()));
  }
  SetMinimised(FMinimised);
  if (!Enabled()) {
    FDrawColors->SetAccent(ChangeColorLight(FDrawColors->BackGround(), 20));
    FDrawColors->SetBackGround(ChangeColorLight(FDrawColors->BackGround(), 20));
  }
}

void FXScrollbar::SetMinimised(bool Value) {
  if (Value != FMinimised && FAnimation) {
    FAnimPos = 0;
    FAnim->SetEnabled(true);
  }
  FMinimised = Value;
  FSliderSize = (Vertical() ? FSliderRect.Width() : FSliderRect.Height()) / 2;
  FBackgroundColor = Value ? FDrawColors->BackGround() : FDrawColors->BackGroundInterior();
}

void FXScrollbar::FadeTick() {
  FAnimPos = std::min(FAnimPos + kFadeStep, kFadeEnd);
  FBackgroundColor = FMinimised ? ColorBlend(FDrawColors->BackGroundInterior(), FDrawColors->BackGround(), FAnimPos)
                                : ColorBlend(FDrawColors->BackGround(), FDrawColors->BackGroundInterior(), FAnimPos);
  Invalidate();
  if (FAnimPos >= kFadeEnd) FAnim->SetEnabled(false);
}

void FXScrollbar::UpdateRects() {
  FDrawRect = ClientRect();
  FSliderRect = FDrawRect;
  const int thickness = Vertical() ? FDrawRect.Width() : FDrawRect.Height();
  FButton1 = Rect(FDrawRect.Left, FDrawRect.Top, FDrawRect.Left + thickness, FDrawRect.Top + thickness);
  FButton2 = Vertical() ? FButton1.Offset(0, FDrawRect.Height() - thickness)
                        : FButton1.Offset(FDrawRect.Width() - thickness, 0);

  const int buttons = FEnableButtons ? 2 * thickness : 0;
  FSliderRect = Rect(FSliderRect.Left + FSliderSpacing, FSliderRect.Top + FSliderSpacing,
                     FSliderRect.Right - FSliderSpacing, FSliderRect.Bottom - FSliderSpacing);
  const int fullLength = Vertical() ? FSliderRect.Height() : FSliderRect.Width();
  const int track = fullLength - 2 * FSliderSpacing - buttons;

  if (FCustomScrollBarHeight > 0)
    FScrollBarHeight = FCustomScrollBarHeight;
  else if (FPageSize >= 2)
    FScrollBarHeight = std::max(static_cast<std::int32_t>(std::trunc(GetPercentageCustom(FPageSize) * track)), 20);
  else
    FScrollBarHeight = 40;

  const int offset = buttons / 2 + static_cast<int>(std::trunc(GetPercentage() * (track - FScrollBarHeight)));
  if (Vertical()) {
    FSliderRect.Top += offset;
    FSliderRect.Bottom = FSliderRect.Top + FScrollBarHeight;
  } else {
    FSliderRect.Left += offset;
    FSliderRect.Right = FSliderRect.Left + FScrollBarHeight;
  }
  FRoundness = thickness / 2;

  if (FAutoMinimise && InteractionState() == FXControlState::None && !FMinimised)
    FMinimised = true;
  SetMinimised(FMinimised);
}

void FXScrollbar::PaintBuffer() {
  SetColor(FDrawColors->BackGround());
  PaintBackground();
  ui::TCanvas canvas(Buffer());
  const FXBrush track{MakeARGB(FBackgroundColor, 255)};
  GDIRoundRect(canvas, FXRoundRect(FDrawRect, 2 * FRoundness), &track, nullptr);

  TRect slider = FSliderRect;
  if (FMinimised) {
    // The thin slider hugs the outer edge, where it covers the least of the content.
    if (Vertical()) {
      slider.Right = slider.Left + FSliderSize;
      if (!FPreferLeftSide) slider = slider.Offset(FSliderSize, 0);
    } else {
      slider.Bottom = slider.Top + FSliderSize;
      if (!FPreferLeftSide) slider = slider.Offset(0, FSliderSize);
    }
  }
  const FXBrush fore{MakeARGB(FDrawColors->ForeGround(), 255)};
  GDIRoundRect(canvas, FXRoundRect(slider, FRoundness), &fore, nullptr);

  if (FEnableButtons && !FMinimised) {
    const int a = FSliderSpacing;
    int i1 = static_cast<int>(std::lround(a / 2.0)), i2 = i1;
    if (InteractionState() == FXControlState::Press) {
      if (Contains1) i1 = a;
      if (Contains2) i2 = a;
    }
    auto shrink = [](TRect R, int By) { return Rect(R.Left + By, R.Top + By, R.Right - By, R.Bottom - By); };
    platform::Canvas& painter = canvas.Painter();
    auto triangle = [&](double X1, double Y1, double X2, double Y2, double X3, double Y3) {
      painter.MoveTo(X1, Y1);
      painter.LineTo(X2, Y2);
      painter.LineTo(X3, Y3);
      painter.ClosePath();
      painter.FillPath(MakeARGB(FDrawColors->ForeGround(), 255));
    };
    if (Vertical()) {
      TRect r = FButton1;
      r.Top += a;
      r = shrink(r, i1);
      triangle((r.Left + r.Right) / 2.0, r.Top, r.Right, r.Bottom, r.Left, r.Bottom);
      r = FButton2;
      r.Bottom -= a;
      r = shrink(r, i2);
      triangle((r.Left + r.Right) / 2.0, r.Bottom, r.Right, r.Top, r.Left, r.Top);
    } else {
      TRect r = FButton1;
      r.Left += a;
      r = shrink(r, i1);
      triangle(r.Left, (r.Top + r.Bottom) / 2.0, r.Right, r.Top, r.Right, r.Bottom);
      r = FButton2;
      r.Right -= a;
      r = shrink(r, i2);
      triangle(r.Right, (r.Top + r.Bottom) / 2.0, r.Left, r.Top, r.Left, r.Bottom);
    }
  }
  FXWindowsControl::PaintBuffer();
}

void FXScrollbar::InteractionStateChanged(FXControlState AState) {
  FXWindowsControl::InteractionStateChanged(AState);
  if (FAutoMinimise) {
    if (AState != FXControlState::None && FMinimised) SetMinimised(false);
    else if (AState == FXControlState::None && !FMinimised) SetMinimised(true);
  }
  UpdateRects();
  Invalidate();
}

void FXScrollbar::MouseMove(ui::TShiftState Shift, int X, int Y) {
  FXWindowsControl::MouseMove(Shift, X, Y);
  Contains1 = Contains2 = false;
  if (FEnableButtons && !FPressInitiated) {
    Contains1 = Inside(FButton1, X, Y);
    Contains2 = Inside(FButton2, X, Y);
  }
  if (!FPressInitiated) return;
  const int along = (Vertical() ? Y - FDrawRect.Top : X - FDrawRect.Left);
  const int length = Vertical() ? FDrawRect.Height() : FDrawRect.Width();
  const double travel = double(length) - FScrollBarHeight;
  // A slider as long as the bar (or longer) has nowhere to travel: every point means the start.
  if (FMin == FMax || travel <= 0) {
    SetPosition(FMin);
    return;
  }
  const double value = std::nearbyint((along - FScrollBarHeight / 2.0) / travel * double(FMax - FMin));
  SetPosition(FMin + static_cast<std::int64_t>(value));
}

void FXScrollbar::MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  FXWindowsControl::MouseDown(Button, Shift, X, Y);
  if (Button != ui::TMouseButton::Left) return;
  MouseMove(Shift, X, Y);
  if (!FEnableButtons) return;
  if (!Contains1 && !Contains2) {
    FPressInitiated = true;
    return;
  }
  RepeatTick();
  FRepeater->SetInterval(kRepeatDelay);
  FRepeater->SetEnabled(true);
}

void FXScrollbar::RepeatTick() {
  FRepeater->SetInterval(kRepeatInterval);
  if (Contains1) ChangePosition(-FSmallChange);
  if (Contains2) ChangePosition(FSmallChange);
}

void FXScrollbar::MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  FXWindowsControl::MouseUp(Button, Shift, X, Y);
  FPressInitiated = false;
  if (FEnableButtons) Invalidate();
  FRepeater->SetEnabled(false);
}

void FXScrollbar::KeyPress(const std::string& Character) {
  FXWindowsControl::KeyPress(Character);
  if (Character == "-") ChangePosition(-FSmallChange);
  else if (Character == "+") ChangePosition(FSmallChange);
}

void FXScrollbar::SetPosition(std::int64_t Value) {
  if (Value == FPosition) return;
  FPosition = std::clamp(Value, FMin, FMax);
  if (OnChange) OnChange(*this);
  UpdateRects();
  Invalidate();
}

void FXScrollbar::SetMin(std::int64_t Value) {
  if (Value == FMin) return;
  FMin = Value;
  FPosition = std::max(FPosition, FMin);
  FMax = std::max(FMax, FMin);
  UpdateRects();
  Invalidate();
}

void FXScrollbar::SetMax(std::int64_t Value) {
  if (Value == FMax) return;
  // A range ending before it starts would let the position leave it; the end stops at the start.
  FMax = std::max(Value, FMin);
  FPosition = std::min(FPosition, FMax);
  UpdateRects();
  Invalidate();
}

void FXScrollbar::SetOrientation(FXOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  SetBounds(Left(), Top(), Height(), Width());
  UpdateRects();
  Invalidate();
}

void FXScrollbar::SetCustomScrollbarSize(std::int32_t Value) {
  if (Value == FCustomScrollBarHeight || Value >= Height()) return;
  FCustomScrollBarHeight = Value;
  UpdateRects();
  Invalidate();
}

void FXScrollbar::SetPageSize(std::int32_t Value) {
  if (Value <= 0 || Value == FPageSize) return;
  FPageSize = Value;
  UpdateRects();
  Invalidate();
}

void FXScrollbar::SetEnableButtons(bool Value) {
  if (Value == FEnableButtons) return;
  FEnableButtons = Value;
  UpdateRects();
  Invalidate();
}

void FXScrollbar::ScaleChanged(float Scaling) {
  SetCustomScrollbarSize(static_cast<std::int32_t>(std::lround(FCustomScrollBarHeight * Scaling)));
  FXWindowsControl::ScaleChanged(Scaling);
}

void FXScrollbar::BoundsChanged(int OldWidth, int OldHeight) {
  // The layout first: the inherited step repaints the buffer at once, and it should show the new size.
  UpdateRects();
  FXWindowsControl::BoundsChanged(OldWidth, OldHeight);
}

}  // namespace lux
