// The button's colours per kind and state, its layout, painting, state animation, clicks and timers.
#include "lux/button.h"

#include <algorithm>
#include <cmath>

#include "lux/animations.h"
#include "lux/graphics.h"
#include "lux/shapes.h"
#include "lux/theme_manager.h"
#include "ui/canvas.h"
#include "vel/processes.h"

namespace lux {

namespace {

constexpr const char* kChevronDown = "\xEE\x9C\x8D";  // U+E70D of the icon font

TRect Shrunk(const TRect& R, std::int32_t By) { return TRect{R.Left + By, R.Top + By, R.Right - By, R.Bottom - By}; }

// Measures on a scratch canvas: the control's own canvas exists only while the form paints it.
ui::TSize MeasureText(const ui::TFont& Font, const std::string& Text) {
  ui::TBitmap scratch(1, 1);
  ui::TCanvas canvas(scratch);
  canvas.Font = Font;
  return canvas.TextExtent(Text);
}

bool IsClickKey(int Key) { return Key == platform::keys::Return || Key == platform::keys::Space; }

}  // namespace

FXButton::FXButton(ui::TComponent* aOwner)
    : FXWindowsControl(aOwner),
      FSelf(std::make_shared<FXButton*>(this)),
      FCustomColors(std::make_unique<FXCompleteColorSets>(this)),
      FCustomButtonColors(std::make_unique<FXColorStateSets>(this)),
      FImage(std::make_unique<FXIconSelect>(this)),
      FStateImage(std::make_unique<FXIconSelect>(this)),
      FDrawColors(std::make_unique<FXCompleteColorSet>(this)),
      FButtonColors(std::make_unique<FXColorStateSet>(this)),
      FAutoStopState(std::make_unique<ui::TTimer>()),
      FAutoRepeat(std::make_unique<ui::TTimer>()) {
  FAutoStopState->SetEnabled(false);
  FAutoStopState->SetInterval(1000);
  FAutoStopState->OnTimer = [this] { AutoStopStateTimer(); };
  FAutoRepeat->SetEnabled(false);
  FAutoRepeat->OnTimer = [this] { AutoRepeatTimer(); };

  FAutoFocusLine = true;
  FBufferedComponent = true;
  SetBounds(Left(), Top(), 140, 35);
  UpdateRects();
  UpdateColors();
}

FXButton::~FXButton() {
  // Animation frames still on their way find the cell empty and leave the button alone.
  *FSelf = nullptr;
}

std::int32_t FXButton::GetCheckedTag() const {
  if (ui::TWinControl* parent = Parent())
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (auto* button = dynamic_cast<const FXButton*>(parent->Controls(i)); button && button->Checked())
        return static_cast<std::int32_t>(button->Tag());
  return static_cast<std::int32_t>(Tag());
}

void FXButton::UpdateTheme(bool) {
  UpdateColors();
  UpdateRects();
  Invalidate();
}

void FXButton::Invalidate() {
  // A control gets its parent without a notification of its own; the first repaint under a new parent
  // is where its background colour and its room become known.
  if (Parent() && Parent() != FLaidOutParent) {
    FLaidOutParent = Parent();
    UpdateColors();
    UpdateRects();
  }
  FXWindowsControl::Invalidate();
}

// Setters

void FXButton::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  UpdateColors();
  Invalidate();
}

void FXButton::SetShowText(bool Value) {
  if (Value == FShowText) return;
  FShowText = Value;
  UpdateRects();
  Invalidate();
}

void FXButton::SetText(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  UpdateRects();
  Invalidate();
}

void FXButton::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  UpdateRects();
  Invalidate();
}

void FXButton::SetImage(const FXIconSelect& Value) {
  if (&Value == FImage.get()) return;
  FImage->Assign(Value);
  UpdateRects();
  Invalidate();
}

void FXButton::SetImageScale(double Value) {
  if (Value == FImageScale) return;
  FImageScale = Value;
  UpdateRects();
  Invalidate();
}

void FXButton::SetImageLayout(FXDrawLayout Value) {
  if (Value == FImageLayout) return;
  FImageLayout = Value;
  UpdateRects();
  Invalidate();
}

void FXButton::SetLayoutHorizontal(FXLayout Value) {
  if (Value == FHorizontalLayout) return;
  FHorizontalLayout = Value;
  UpdateRects();
  Invalidate();
}

void FXButton::SetLayoutVertical(FXLayout Value) {
  if (Value == FVerticalLayout) return;
  FVerticalLayout = Value;
  UpdateRects();
  Invalidate();
}

void FXButton::SetButtonKind(FXButtonKind Value) {
  if (Value == FButtonKind) return;
  FButtonKind = Value;
  UpdateColors();
  UpdateRects();
  Invalidate();
}

void FXButton::SetRoundness(std::int32_t Value) {
  if (Value == FRoundness) return;
  FRoundness = Value;
  Invalidate();
}

void FXButton::SetMargin(std::int32_t Value) {
  if (Value == FMargin) return;
  FMargin = Value;
  UpdateRects();
  Invalidate();
}

void FXButton::SetDetail(FXDetailType Value) {
  if (Value == FDetail) return;
  FDetail = Value;
  Invalidate();
}

void FXButton::SetLineWidth(double Value) {
  if (Value == FLineWidth) return;
  FLineWidth = Value;
  UpdateRects();
  Invalidate();
}

void FXButton::SetStateText(const std::string& Value) {
  if (Value == FStateText) return;
  FStateText = Value;
  if (!FStateEnabled) return;
  UpdateRects();
  Invalidate();
}

void FXButton::SetStateImage(const FXIconSelect& Value) {
  if (&Value == FStateImage.get()) return;
  FStateImage->Assign(Value);
  if (!FStateEnabled) return;
  UpdateRects();
  Invalidate();
}

void FXButton::SetStateEnabled(bool Value) {
  if (Value == FStateEnabled) {
    // Another click during the display: it lasts StateDuration from this one.
    if (Value && FAutoStopState->Enabled()) ResetTimer(*FAutoStopState);
    return;
  }
  FStateEnabled = Value;
  FAutoStopState->SetEnabled(false);
  if (Value && FStateDuration != 0) FAutoStopState->SetEnabled(true);
  UpdateRects();
  Invalidate();
}

void FXButton::SetStateDuration(std::int32_t Value) {
  if (Value == FStateDuration) return;
  FStateDuration = Value;
  FAutoStopState->SetInterval(Value);
}

// Colours and layout

void FXButton::UpdateColors() {
  const bool dark = ThemeManager().DarkTheme();
  if (FCustomColors->Enabled())
    FDrawColors->LoadFrom(*FCustomColors, dark);
  else
    ThemeManager().LoadColorSet(*FDrawColors);
  FDrawColors->SetBackGround(GetParentBackgroundColor(FDrawColors->BackGround()));

  FXColorStateSet& c = *FButtonColors;
  if (FCustomButtonColors->Enabled()) {
    c.LoadFrom(*FCustomButtonColors, dark);
  } else {
    FXButtonKind kind = FButtonKind;
    if (kind == FXButtonKind::Toggle) kind = FChecked ? FXButtonKind::Accent : FXButtonKind::Normal;
    const std::int32_t L = dark ? 10 : -10, S = dark ? 5 : -5;
    const TColor A = FDrawColors->Accent(), B = FDrawColors->BackGround(), F = FDrawColors->ForeGround(),
                 I = FDrawColors->BackGroundInterior();
    ui::TCursor cursor = ui::TCursor::Arrow;
    switch (kind) {
      case FXButtonKind::Accent:
        FBorderWidth = 1.0;
        c.SetBackgroundNone(A);
        c.SetBackgroundHover(ChangeColorLight(A, -L));
        c.SetBackgroundPress(ChangeColorLight(A, -(S + L)));
        c.SetForeGroundNone(B);
        c.SetForeGroundHover(B);
        c.SetForeGroundPress(ColorBlend(B, A, 100));
        break;
      case FXButtonKind::Link:
        cursor = ui::TCursor::Hand;
        FBorderWidth = 0.0;
        c.SetBackgroundNone(B);
        c.SetBackgroundHover(ChangeColorLight(B, L));
        c.SetBackgroundPress(ChangeColorLight(B, -S));
        c.SetForeGroundNone(A);
        c.SetForeGroundHover(A);
        c.SetForeGroundPress(ChangeColorLight(A, -L));
        break;
      case FXButtonKind::Flat:
        FBorderWidth = 0.0;
        c.SetBackgroundNone(B);
        c.SetBackgroundHover(ChangeColorLight(B, L));
        c.SetBackgroundPress(ChangeColorLight(I, -L));
        c.SetForeGroundNone(F);
        c.SetForeGroundHover(F);
        c.SetForeGroundPress(ColorBlend(F, B, 100));
        break;
      default:  // Normal, Dropdown, and Toggle when not checked
        FBorderWidth = 1.0;
        c.SetBackgroundNone(ChangeColorLight(I, -S));
        c.SetBackgroundHover(ChangeColorLight(c.BackgroundNone(), L));
        c.SetBackgroundPress(ChangeColorLight(I, -L));
        c.SetForeGroundNone(F);
        c.SetForeGroundHover(F);
        c.SetForeGroundPress(ColorBlend(F, c.BackgroundNone(), 100));
        break;
    }
    if (AutomaticCursorPointer) SetCursor(cursor);
  }

  if (!Enabled()) {
    FDrawColors->SetAccent(ColorToGrayscale(FDrawColors->Accent()));
    c.SetBackgroundNone(ColorToGrayscale(c.BackgroundNone()));
    c.SetForeGroundNone(ColorBlend(c.BackgroundNone(), ColorToGrayscale(c.ForeGroundNone()), 100));
  }
}

std::int32_t FXButton::GetTextHeight() const { return MeasureText(Font(), "ABC...").cy; }

std::int32_t FXButton::GetTextWidth() const {
  if (!FShowText) return 0;
  const std::string& text = CurrentText();
  return text.empty() ? 0 : MeasureText(Font(), text).cx;
}

void FXButton::UpdateRects() {
  if (!Parent()) return;
  FDrawRect = PaddingFill().ApplyTo(TRect{0, 0, Width(), Height()});
  const std::int32_t H = GetTextHeight();
  std::int32_t W = GetTextWidth();
  const std::int32_t M = FMargin + RoundEven(FLineWidth) + 5;

  FCaptionRect = Shrunk(FDrawRect, M);
  if (FButtonKind == FXButtonKind::Dropdown) {
    FIndicatorRect = FCaptionRect;
    FCaptionRect.Right -= std::max(H, 30) + 5;
    FIndicatorRect.Left = FCaptionRect.Right + 5;
  }

  auto Horizontal = [](FXLayout Layout) {
    return Layout == FXLayout::Beginning ? FXTextFlag::Left : Layout == FXLayout::Center ? FXTextFlag::Center : FXTextFlag::Right;
  };

  if (!CurrentImage().Enabled()) {
    FTheTextRect = FCaptionRect;
    // Text alone always wraps: it has the whole caption area to itself.
    FTextDrawFlags = FXTextFlags{FXTextFlag::WordWrap, FXTextFlag::VerticalCenter, Horizontal(FHorizontalLayout)};
    return;
  }

  FTextDrawFlags = FWordWrap ? FXTextFlags{FXTextFlag::WordWrap} : FXTextFlags{};
  const std::int32_t P = RoundEven(H * FImageScale);
  const TRect& C = FCaptionRect;
  const std::int32_t CW = C.Width(), CH = C.Height();
  FImageRect = C;
  FTheTextRect = C;

  if (FImageLayout == FXDrawLayout::Left || FImageLayout == FXDrawLayout::Right) {
    FTextDrawFlags.Include(FXTextFlag::Left);
    std::int32_t X = C.Left;
    if (W > CW - P) {
      // What does not fit is cut; when the icon alone is wider than the area, no text is left.
      W = std::max(CW - P, 0);
    } else if (FHorizontalLayout == FXLayout::Center) {
      X = C.Left + RoundEven((CW - W - P) / 2.0);
    } else if (FHorizontalLayout == FXLayout::Ending) {
      X = C.Left + CW - W - P;
    }
    if (FImageLayout == FXDrawLayout::Left) {
      FImageRect.Left = X;
      FTheTextRect.Left = X + P + 5;
    } else {
      FTheTextRect.Left = X;
      FImageRect.Left = X + W + 5;
    }
    FImageRect.Right = FImageRect.Left + P;
    FTheTextRect.Right = FTheTextRect.Left + W;
    switch (FVerticalLayout) {
      case FXLayout::Beginning: FTextDrawFlags.Include(FXTextFlag::Top); break;
      case FXLayout::Center:
        FTextDrawFlags.Include(FXTextFlag::VerticalCenter);
        FImageRect.Top += (CH - P) / 2;
        break;
      case FXLayout::Ending:
        FTextDrawFlags.Include(FXTextFlag::Bottom);
        FImageRect.Top += CH - P;
        break;
    }
    FImageRect.Bottom = FImageRect.Top + P;
    return;
  }

  // Image above or below: the text is as many lines high as its width needs in the caption's width.
  // A caption area without width holds no text line at all.
  const std::int32_t lines = (W == 0 || CW <= 0) ? 0 : static_cast<std::int32_t>(std::ceil(double(W) / CW));
  std::int32_t T = H * lines;
  std::int32_t Y = C.Top;
  if (T > CH - P) {
    T = std::max(CH - P, 0);
  } else if (FVerticalLayout == FXLayout::Center) {
    Y = C.Top + (CH - T - P) / 2;
  } else if (FVerticalLayout == FXLayout::Ending) {
    Y = C.Top + CH - T - P;
  }
  if (FImageLayout == FXDrawLayout::Top) {
    FTextDrawFlags.Include(FXTextFlag::Top);
    FImageRect.Top = Y;
    FTheTextRect.Top = Y + P + 5;
  } else {
    FTextDrawFlags.Include(FXTextFlag::Bottom);
    FTheTextRect.Top = Y;
    FImageRect.Top = Y + T + 5;
  }
  FImageRect.Bottom = FImageRect.Top + P;
  FTheTextRect.Bottom = FTheTextRect.Top + T;
  FTextDrawFlags.Include(Horizontal(FHorizontalLayout));
  switch (FHorizontalLayout) {
    case FXLayout::Beginning: break;
    case FXLayout::Center: FImageRect.Left += (CW - P) / 2; break;
    case FXLayout::Ending: FImageRect.Left += CW - P; break;
  }
  FImageRect.Right = FImageRect.Left + P;
}

// Painting

void FXButton::PaintBuffer() {
  SetColor(FDrawColors->BackGround());
  PaintBackground();

  const FXControlState state = InteractionState();
  TColor fill = FButtonColors->GetColor(false, state), text = FButtonColors->GetColor(true, state);
  if (FAnimationRunning) {
    const FXControlState previous = PreviousInteractionState();
    fill = ColorBlend(FButtonColors->GetColor(false, previous), fill, FAnimPos);
    text = ColorBlend(FButtonColors->GetColor(true, previous), text, FAnimPos);
  }

  ui::TCanvas canvas(Buffer());
  TRect R = FDrawRect;
  R.Right -= 1;
  R.Bottom -= 1;

  FXPen pen;
  bool hasPen = false;
  std::int32_t inset = 0;
  switch (FDetail) {
    case FXDetailType::None:
      if (FBorderWidth != 0) {
        pen = FXPen{MakeARGB(FDrawColors->BackGroundInterior(), 255), FBorderWidth};
        hasPen = true;
      }
      inset = static_cast<std::int32_t>(std::trunc(FBorderWidth));
      break;
    case FXDetailType::Underline: {
      const FXBrush accent{MakeARGB(FDrawColors->Accent(), 255)};
      GDIRoundRect(canvas, FXRoundRect(R, FRoundness), &accent, nullptr);
      R.Bottom = RoundEven(R.Bottom - FLineWidth);
      break;
    }
    case FXDetailType::Outline:
      pen = FXPen{MakeARGB(FDrawColors->BackGroundInterior(), 255), FLineWidth};
      hasPen = true;
      inset = RoundEven(FLineWidth);
      break;
  }

  R = Shrunk(R, inset);
  if (R.Width() > 0) {
    const FXBrush brush{MakeARGB(fill, 255)};
    GDIRoundRect(canvas, FXRoundRect(R, FRoundness), &brush, hasPen ? &pen : nullptr);
  }

  ui::TFont textFont = Font();
  textFont.SetColor(MakeARGB(text, 255));
  if (FShowText) {
    canvas.Font = textFont;
    DrawTextRect(canvas, FTheTextRect, CurrentText(), FTextDrawFlags, 0);
  }

  if (FButtonKind == FXButtonKind::Dropdown) {
    canvas.Font = textFont;
    canvas.Font.SetName(ThemeManager().IconFont());
    canvas.Font.SetHeight(ThemeManager().FormFontHeight());
    TRect indicator = FIndicatorRect;
    indicator.Top += FArrowOffset;
    indicator.Bottom += FArrowOffset;
    DrawTextRect(canvas, indicator, kChevronDown, FXTextFlags{FXTextFlag::Center, FXTextFlag::VerticalCenter}, 0);
  }

  if (CurrentImage().Enabled()) {
    // A glyph takes the canvas font's colour, so the image follows the text.
    canvas.Font = textFont;
    CurrentImage().DrawIcon(canvas, FImageRect);
  }

  FXWindowsControl::PaintBuffer();
}

// Interaction

void FXButton::InteractionStateChanged(FXControlState AState) {
  FXWindowsControl::InteractionStateChanged(AState);
  Invalidate();
  // A running animation blends on between whatever the states are now; a second one would fight it.
  if (Animation && !Creating() && !IsDestroying() && Parent() && !FAnimationRunning) StartAnimation();
}

void FXButton::StartAnimation() {
  auto ani = std::make_unique<TIntAni>(true, TAniKind::akIn, TAniFunctionKind::afkLinear, 0, 255, nullptr, nullptr);
  ani->SetDuration(10);
  ani->SetStep(10);
  const double MaxArrowOffset = GetTextHeight() / 8.0;
  TIntAni* self_ani = ani.get();
  // The frames run on this thread while the worker waits for them, so the animation is alive in them;
  // the button may not be, hence the cell.
  ani->SetOnSync([cell = FSelf, self_ani, MaxArrowOffset](std::int32_t) {
    FXButton* button = *cell;
    if (!button) {
      self_ani->Terminate();
      return;
    }
    const double percent = self_ani->Percent();
    button->FAnimPos = std::clamp(static_cast<std::int32_t>(std::trunc(percent * 255)), 0, 255);
    if (button->FButtonKind == FXButtonKind::Dropdown) {
      const FXControlState previous = button->PreviousInteractionState(), current = button->InteractionState();
      if (previous == FXControlState::Hover && current == FXControlState::Press)
        button->FArrowOffset = RoundEven(percent * MaxArrowOffset);
      if (previous == FXControlState::Press) button->FArrowOffset = RoundEven(MaxArrowOffset - percent * MaxArrowOffset);
      if (previous == FXControlState::None) button->FArrowOffset = 0;
    }
    if (button->IsDestroying() || !button->Parent())
      self_ani->Terminate();
    else
      button->Invalidate();
  });
  ani->SetOnDone([cell = FSelf] {
    if (FXButton* button = *cell) button->FAnimationRunning = false;
  });
  FAnimationRunning = true;
  TIntAni::Launch(std::move(ani));
}

void FXButton::Click() {
  switch (FButtonKind) {
    case FXButtonKind::Toggle:
      FChecked = !FChecked;
      UpdateColors();
      Invalidate();
      if (OnCheck) OnCheck(this);
      break;
    case FXButtonKind::Dropdown:
      if (DropDown) DropDown->PopupAtPoint(ClientToScreen(*this, {0, Height() + 5}));
      if (OnDropDown) OnDropDown(this);
      break;
    case FXButtonKind::Link:
      if (!HyperLinkURL.empty()) vel::ShellRun(HyperLinkURL, true, "", false, "");
      if (OnOpenLink) OnOpenLink(this);
      break;
    default:
      break;
  }

  if (AutoStateToggle) SetStateEnabled(FStateDuration != 0 ? true : !FStateEnabled);

  if (ui::TForm* form = ParentForm()) {
    bool SendModal = true;
    if (OnBeforeModalResult) OnBeforeModalResult(this, SendModal);
    // Also 0: a button without a result clears one still pending on the form.
    if (SendModal) form->SetModalResult(ModalResult);
  }

  FXWindowsControl::Click();
}

void FXButton::KeyDown(int& Key, ui::TShiftState Shift) {
  FXWindowsControl::KeyDown(Key, Shift);
  if (IsClickKey(Key)) SetInteractionState(FXControlState::Press, false, false);
}

void FXButton::KeyUp(int& Key, ui::TShiftState Shift) {
  FXWindowsControl::KeyUp(Key, Shift);
  if (IsClickKey(Key)) SetInteractionState(FXControlState::None, true, false);
}

void FXButton::KeyPress(const std::string& Character) {
  FXWindowsControl::KeyPress(Character);
  if (Character == "\r" || Character == " ") Click();
}

void FXButton::MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  FXWindowsControl::MouseDown(Button, Shift, X, Y);
  if (RepeatWhenPressed) {
    FAutoRepeat->SetInterval(500);
    FAutoRepeat->SetEnabled(true);
  }
}

void FXButton::MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  FAutoRepeat->SetEnabled(false);
  FXWindowsControl::MouseUp(Button, Shift, X, Y);
}

void FXButton::AutoRepeatTimer() {
  Click();
  FAutoRepeat->SetInterval(50);
  if (!RepeatWhenPressed || InteractionState() != FXControlState::Press) FAutoRepeat->SetEnabled(false);
  Invalidate();
}

void FXButton::AutoStopStateTimer() { SetStateEnabled(false); }

// Size and scale

void FXButton::ScaleChanged(float Scaling) {
  FXWindowsControl::ScaleChanged(Scaling);
  FImageScale *= Scaling;
  FLineWidth *= Scaling;
  FBorderWidth *= Scaling;
  FMargin = RoundEven(FMargin * Scaling);
  UpdateRects();
}

void FXButton::BoundsChanged(int OldWidth, int OldHeight) {
  // Laid out before the inherited handling repaints, so the new size never shows the old layout.
  UpdateRects();
  FXWindowsControl::BoundsChanged(OldWidth, OldHeight);
}

void FXButton::FontUpdate() {
  // The text's size is the layout's measure.
  UpdateRects();
  FXWindowsControl::FontUpdate();
}

}  // namespace lux
