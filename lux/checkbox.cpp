// The selection controls' shared layout, colours and input, and the check box's states and check-mark animation.
#include "lux/checkbox.h"

#include <utility>

#include "lux/forms.h"
#include "lux/graphics.h"
#include "lux/shapes.h"
#include "lux/theme_manager.h"
#include "ui/canvas.h"
#include "ui/forms.h"

namespace lux {

namespace {

constexpr const char* BoxGlyph = "\uE003";
constexpr const char* CheckedBoxGlyph = "\uE005";
constexpr const char* BoxFillGlyph = "\uE73B";
constexpr const char* DashGlyph = "\uE73C";

constexpr TColor DisabledGlyph = 0x808080;

// Layout must work before the control has a buffer of its own size.
ui::TSize Measure(const ui::TFont& Font, const std::string& Text) {
  ui::TBitmap scratch(1, 1);
  ui::TCanvas canvas(scratch);
  canvas.Font = Font;
  return canvas.TextExtent(Text);
}

FXPen MarkPen(TColor Color) { return FXPen{MakeARGB(Color, 255), 1.8}; }

}  // namespace

FXSelectionControl::FXSelectionControl(ui::TComponent* AOwner, const std::string& AText, double IconPoints,
                                       bool GrayDisabledText)
    : FXWindowsControl(AOwner),
      FIconFont(std::make_unique<ui::TFont>()),
      FCustomColors(std::make_unique<FXColorSets>(this)),
      FIconAccentColors(std::make_unique<FXSingleColorStateSet>(0, 0, 0)),
      FDrawColors(std::make_unique<FXCompleteColorSet>()),
      FImage(std::make_unique<FXIconSelect>(this)),
      FText(AText),
      FGrayDisabledText(GrayDisabledText) {
  FIconFont->SetName(ThemeManager().IconFont());
  FIconFont->SetSize(IconPoints);
  FAutoFocusLine = true;
  FBufferedComponent = true;
  SetBounds(Left(), Top(), 180, 30);
  UpdateRects();
  UpdateColors();
}

FXSelectionControl::~FXSelectionControl() = default;

void FXSelectionControl::SetIconFont(const ui::TFont& Value) {
  if (Value == *FIconFont) return;
  *FIconFont = Value;
  UpdateRects();
  Invalidate();
}

void FXSelectionControl::SetTextSpacing(std::int32_t Value) {
  if (Value == FTextSpacing) return;
  FTextSpacing = Value;
  UpdateRects();
  Invalidate();
}

void FXSelectionControl::SetText(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  Invalidate();
}

void FXSelectionControl::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  Invalidate();
}

void FXSelectionControl::SetImage(const FXIconSelect& Value) {
  if (&Value == FImage.get()) return;
  FImage->Assign(Value);
  UpdateRects();
  Invalidate();
}

void FXSelectionControl::SetImageScale(float Value) {
  if (Value == FImageScale) return;
  FImageScale = Value;
  UpdateRects();
  Invalidate();
}

void FXSelectionControl::SetLayout(FXDrawLayout Value) {
  if (Value == FLayout) return;
  FLayout = Value;
  UpdateRects();
  Invalidate();
}

void FXSelectionControl::UpdateTheme(bool) {
  UpdateColors();
  UpdateRects();
  Invalidate();
}

void FXSelectionControl::UpdateColors() {
  FDrawColors->Assign(*ThemeManager().SystemColor);
  if (!Enabled()) {
    FIconAccentColors->LoadColors(DisabledGlyph, ChangeColorLight(DisabledGlyph, 25),
                                  ChangeColorLight(DisabledGlyph, -25));
    if (FGrayDisabledText) FDrawColors->SetForeGround(DisabledGlyph);
    return;
  }
  TColor accent;
  if (FCustomColors->Enabled()) {
    const bool dark = ThemeManager().DarkTheme();
    accent = FCustomColors->Accent();
    FDrawColors->SetForeGround(dark ? FCustomColors->DarkForeGround() : FCustomColors->LightForeGround());
    FDrawColors->SetBackGround(dark ? FCustomColors->DarkBackGround() : FCustomColors->LightBackGround());
  } else {
    accent = ThemeManager().AccentColor();
    FDrawColors->SetBackGround(GetParentBackgroundColor(FDrawColors->BackGround()));
  }
  FIconAccentColors->LoadColors(accent, ChangeColorLight(accent, 25), ChangeColorLight(accent, -25));
}

void FXSelectionControl::UpdateRects() {
  DrawRect = ClientRect();
  const TRect& D = DrawRect;
  const std::int32_t G = FTextSpacing;
  const std::int32_t S = Measure(*FIconFont, BoxGlyph).cx;
  const std::int32_t P = FImage->Enabled() ? RoundEven(Measure(Font(), "ABC...").cy * FImageScale) : 0;
  const std::int32_t centred = D.Left + (D.Width() - S) / 2;
  switch (FLayout) {
    case FXDrawLayout::Left:
      IconRect = {D.Left, D.Top, D.Left + S + 2 * G, D.Bottom};
      TextRect = {IconRect.Right + G, D.Top, D.Right, D.Bottom};
      FTextLayout = FXLayout::Beginning;
      break;
    case FXDrawLayout::Right:
      IconRect = {D.Right - S - G, D.Top, D.Right, D.Bottom};
      TextRect = {D.Left, D.Top, IconRect.Left - 2 * G, D.Bottom};
      FTextLayout = FXLayout::Beginning;
      break;
    case FXDrawLayout::Top:
      IconRect = {centred, D.Top, centred + S, D.Top + S};
      TextRect = {D.Left, D.Top + S + 2 * G + G, D.Right, D.Bottom};
      FTextLayout = FXLayout::Center;
      break;
    case FXDrawLayout::Bottom:
      IconRect = {centred, D.Bottom - S, centred + S, D.Bottom};
      // The box area starts at D.Bottom - S - 2G; the text keeps a gap of G above it, as Top does below.
      TextRect = {D.Left, D.Top, D.Right, D.Bottom - S - 2 * G - G};
      FTextLayout = FXLayout::Center;
      break;
  }
  ImageRect = {};
  if (!FImage->Enabled()) return;
  if (FLayout == FXDrawLayout::Left || FLayout == FXDrawLayout::Right) {
    ImageRect = {TextRect.Left, D.Top, TextRect.Left + P, D.Bottom};
    TextRect.Left = ImageRect.Right + G;
  } else {
    ImageRect = {D.Left, TextRect.Top, D.Right, TextRect.Top + P};
    TextRect.Top = ImageRect.Bottom + G;
  }
}

void FXSelectionControl::PaintBuffer() {
  SetColor(FDrawColors->BackGround());
  PaintBackground();
  ui::TCanvas canvas(Buffer());
  FXTextFlags flags{FXTextFlag::VerticalCenter};
  switch (FTextLayout) {
    case FXLayout::Beginning: flags.Include(FXTextFlag::Left); break;
    case FXLayout::Center: flags.Include(FXTextFlag::Center); break;
    case FXLayout::Ending: flags.Include(FXTextFlag::Right); break;
  }
  if (FWordWrap) flags.Include(FXTextFlag::WordWrap);
  canvas.Font = Font();
  canvas.Font.SetColor(MakeARGB(FDrawColors->ForeGround(), 255));
  DrawTextRect(canvas, TextRect, FText, flags, 0);

  canvas.Font = *FIconFont;
  canvas.Font.SetColor(MakeARGB(GlyphColor(), 255));
  // A glyph image is drawn in the canvas font's colour, so it follows the accent like the box.
  if (FImage->Enabled()) FImage->DrawIcon(canvas, ImageRect);
  PaintGlyphs(canvas);
  FXWindowsControl::PaintBuffer();
}

void FXSelectionControl::DrawGlyph(ui::TCanvas& Canvas, const char* Glyph, TColor Color) {
  Canvas.Font.SetColor(MakeARGB(Color, 255));
  DrawTextRect(Canvas, IconRect, Glyph, {FXTextFlag::Center, FXTextFlag::VerticalCenter}, 0);
}

void FXSelectionControl::GrowFont(ui::TCanvas& Canvas, double Points) {
  Canvas.Font.SetHeight(Canvas.Font.Height() + Points * 96.0 / 72.0);
}

void FXSelectionControl::InteractionStateChanged(FXControlState AState) {
  FXWindowsControl::InteractionStateChanged(AState);
  Invalidate();
}

void FXSelectionControl::ScaleChanged(float Scaling) {
  FIconFont->SetHeight(RoundEven(FIconFont->Height() * Scaling));
  FTextSpacing = RoundEven(FTextSpacing * Scaling);
  FImageScale *= Scaling;
  FXWindowsControl::ScaleChanged(Scaling);
  UpdateRects();
}

void FXSelectionControl::BoundsChanged(int OldWidth, int OldHeight) {
  // The rectangles first, so that the repaint the base asks for already uses them.
  UpdateRects();
  FXWindowsControl::BoundsChanged(OldWidth, OldHeight);
}

void FXSelectionControl::Notify(unsigned Message) {
  FXWindowsControl::Notify(Message);
  if (Message == FormResizedMessage) {
    UpdateRects();
    Invalidate();
  }
}

void FXSelectionControl::MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  FXWindowsControl::MouseDown(Button, Shift, X, Y);
  if (Button == ui::TMouseButton::Left) FPressedHere = true;
}

void FXSelectionControl::MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  if (!Enabled()) return;
  if (Button == ui::TMouseButton::Left) {
    // A press that began elsewhere, or one dragged off the control before its release, changes nothing.
    const bool pressedHere = std::exchange(FPressedHere, false);
    if (pressedHere && ui::TControl::ClientRect().Contains({X, Y})) Toggle();
  }
  FXWindowsControl::MouseUp(Button, Shift, X, Y);
}

void FXSelectionControl::MouseMove(ui::TShiftState Shift, int X, int Y) {
  FXWindowsControl::MouseMove(Shift, X, Y);
  if (!FAutomaticCursorPointer) return;
  const ui::TCursor cursor = IconRect.Contains({X, Y}) ? ui::TCursor::Hand : ui::TCursor::Arrow;
  if (cursor == Cursor()) return;
  SetCursor(cursor);
  // The form chose the window's pointer before this move reached the control.
  if (ui::TForm* form = ParentForm()) form->Window().SetCursor(cursor);
}

void FXSelectionControl::KeyPress(const std::string& Character) {
  FXWindowsControl::KeyPress(Character);
  if ((Character == "\r" || Character == " ") && Enabled()) Toggle();
}

FXCheckBox::FXCheckBox(ui::TComponent* AOwner)
    : FXSelectionControl(AOwner, "Fluent Checkbox", 16, true), FAnimateTimer(std::make_unique<ui::TTimer>()) {
  FAnimateTimer->SetEnabled(false);
  FAnimateTimer->SetInterval(1);
  FAnimateTimer->OnTimer = [this] { AnimationTick(); };
}

FXCheckBox::~FXCheckBox() = default;

void FXCheckBox::SetAllowGrayed(bool Value) {
  if (Value == FAllowGrayed) return;
  FAllowGrayed = Value;
  if (!FAllowGrayed && FState == FXCheckBoxState::Grayed) {
    FState = FXCheckBoxState::Unchecked;
    Invalidate();
  }
}

void FXCheckBox::SetState(FXCheckBoxState Value) {
  if (Value == FState) return;
  if (AnimationEnabled && Value == FXCheckBoxState::Checked && FState == FXCheckBoxState::Unchecked) {
    FAnimationStatus = 0;
    FAnimateTimer->SetEnabled(true);
  } else {
    FAnimationStatus = 100;
    FAnimateTimer->SetEnabled(false);
  }
  FState = Value;
  if (OnChange) OnChange(*this);
  Invalidate();
}

void FXCheckBox::AnimationTick() {
  FAnimationStatus += 5;
  if (FAnimationStatus >= 100) {
    FAnimationStatus = 100;
    FAnimateTimer->SetEnabled(false);
  }
  Invalidate();
}

void FXCheckBox::Toggle() {
  switch (FState) {
    case FXCheckBoxState::Unchecked: SetState(FXCheckBoxState::Checked); break;
    case FXCheckBoxState::Checked: SetState(FAllowGrayed ? FXCheckBoxState::Grayed : FXCheckBoxState::Unchecked); break;
    case FXCheckBoxState::Grayed: SetState(FXCheckBoxState::Unchecked); break;
  }
}

void FXCheckBox::PaintGlyphs(ui::TCanvas& Canvas) {
  const TColor glyph = GlyphColor();
  switch (FState) {
    case FXCheckBoxState::Unchecked:
      DrawGlyph(Canvas, BoxGlyph, DrawColors().ForeGround());
      break;
    case FXCheckBoxState::Checked:
      if (!AnimationEnabled) {
        DrawGlyph(Canvas, CheckedBoxGlyph, glyph);
        break;
      }
      DrawGlyph(Canvas, BoxGlyph, glyph);
      // One point larger, the fill covers the frame's anti-aliased inner edge.
      GrowFont(Canvas, 1);
      DrawGlyph(Canvas, BoxFillGlyph, glyph);
      PaintCheckMark(Canvas);
      break;
    case FXCheckBoxState::Grayed:
      DrawGlyph(Canvas, BoxGlyph, glyph);
      DrawGlyph(Canvas, BoxFillGlyph, glyph);
      if (AnimationEnabled) {
        const std::int32_t inset = RoundEven(0.3 * IconRect.Width());
        const std::int32_t cy = (IconRect.Top + IconRect.Bottom) / 2;
        const FXPen pen = MarkPen(DrawColors().BackGround());
        GDILine(Canvas, FXLine({IconRect.Left + inset, cy}, {IconRect.Right - inset - 1, cy}), &pen);
      } else {
        DrawGlyph(Canvas, DashGlyph, DrawColors().BackGround());
      }
      break;
  }
}

void FXCheckBox::PaintCheckMark(ui::TCanvas& Canvas) {
  // The mark's proportions assume a square box, centred where the glyphs are.
  const std::int32_t shift = IconRect.Height() / 2 - IconRect.Width() / 2;
  IconRect = {IconRect.Left, IconRect.Top + shift, IconRect.Right, IconRect.Top + shift + IconRect.Width()};
  const std::int32_t W = IconRect.Width(), H = IconRect.Height();
  const TPoint c{(IconRect.Left + IconRect.Right) / 2, (IconRect.Top + IconRect.Bottom) / 2};
  FXLine first({c.X - W / 6, c.Y - H / 18}, {c.X - W / 12, c.Y + H / 10});
  FXLine second(first.Point2, {c.X + W / 6, c.Y - H / 7});
  const FXPen pen = MarkPen(DrawColors().BackGround());
  if (FAnimationStatus <= 50) {
    first.SizeByPercent(100.0 * FAnimationStatus / 50);
    GDILine(Canvas, first, &pen);
    return;
  }
  GDILine(Canvas, first, &pen);
  second.SizeByPercent(100.0 * (FAnimationStatus - 50) / 50);
  GDILine(Canvas, second, &pen);
}

}  // namespace lux
