// Buffered painting, interaction state, focus line and transparency of the framework's control bases.
#include "lux/controls.h"

#include <algorithm>

#include "lux/forms.h"
#include "lux/shapes.h"
#include "lux/theme_manager.h"
#include "ui/forms.h"

namespace lux {

namespace {

bool Intersect(const TRect& A, const TRect& B, TRect& Out) {
  Out = TRect{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom)};
  return !Out.IsEmpty();
}

// Copies Source's pixels in From onto Target at To's top-left corner, cut to both bitmaps.
void CopyRect(ui::TBitmap& Target, TPoint To, const ui::TBitmap& Source, const TRect& From) {
  for (int y = 0; y < From.Height(); ++y) {
    const int sy = From.Top + y, ty = To.Y + y;
    if (sy < 0 || sy >= Source.Height() || ty < 0 || ty >= Target.Height()) continue;
    for (int x = 0; x < From.Width(); ++x) {
      const int sx = From.Left + x, tx = To.X + x;
      if (sx < 0 || sx >= Source.Width() || tx < 0 || tx >= Target.Width()) continue;
      Target.SetPixel(tx, ty, Source.Pixel(sx, sy));
    }
  }
}

ui::TAlphaColor Opaque(TColor Color) { return MakeARGB(Color, 255); }

const ui::TBitmap* FrameworkBuffer(const ui::TControl* Control) {
  if (auto* w = dynamic_cast<const FXWindowsControl*>(Control)) return &w->Buffer();
  if (auto* g = dynamic_cast<const FXBufferGraphicControl*>(Control)) return &g->Buffer();
  return nullptr;
}

FXControl* AsFXControl(ui::TControl* Control) { return dynamic_cast<FXControl*>(Control); }

}  // namespace

TPoint ClientToScreen(const ui::TControl& Control, TPoint P) {
  const TPoint origin = Control.OriginOnForm();
  P.X += origin.X;
  P.Y += origin.Y;
  // A form's own bounds are its place on the screen; a control off every form has only its own.
  if (const ui::TForm* form = Control.ParentForm()) {
    P.X += form->Left();
    P.Y += form->Top();
  }
  return P;
}

FXWindowsControl::FXWindowsControl(ui::TComponent* AOwner)
    : FXCustomControl(AOwner),
      FPadding(std::make_unique<FXPadding>(this)),
      FTextFont(std::make_unique<ui::TFont>()) {
  SetTabStop(true);
  FTextFont->SetName("Segoe UI");
  FTextFont->SetHeight(ThemeManager().FormFontHeight());
  FBuffer.SetSize(Width(), Height());
  FBackground.SetSize(Width(), Height());
}

FXWindowsControl::~FXWindowsControl() = default;

void FXWindowsControl::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Invalidate();
}

void FXWindowsControl::SetOpacity(std::uint8_t Value) {
  if (Value == FOpacity) return;
  FOpacity = Value;
  Invalidate();
}

void FXWindowsControl::SetFont(const ui::TFont& Value) {
  if (Value == *FTextFont) return;
  *FTextFont = Value;
  FontUpdate();
}

void FXWindowsControl::FontUpdate() { Invalidate(); }

TColor FXWindowsControl::GetParentBackgroundColor(TColor Default) const {
  if (auto* parent = dynamic_cast<FXControl*>(Parent())) return parent->Background();
  return Default;
}

void FXWindowsControl::RefreshBuffer() {
  if (!FBufferedComponent || !Parent()) return;
  // A control being set up property by property would repaint for each one; the window paints it once
  // when its layout is done.
  if (auto* form = dynamic_cast<FXForm*>(ParentForm()); form && form->LayingOut()) {
    FBufferStale = true;
    return;
  }
  FBufferStale = false;
  const int width = std::max(Width(), 0), height = std::max(Height(), 0);
  if (FBuffer.Width() != width || FBuffer.Height() != height) {
    FBuffer.SetSize(width, height);
    FBackground.SetSize(width, height);
  }
  FBuffer.Fill(Opaque(FColor));
  PaintBuffer();
}

void FXWindowsControl::RefreshStaleBuffer() {
  if (FBufferStale) RefreshBuffer();
}

void FXWindowsControl::Invalidate() {
  RefreshBuffer();
  FXCustomControl::Invalidate();
}

void FXWindowsControl::PaintBuffer() {
  if (OnPaintBuffer) OnPaintBuffer(dynamic_cast<FXControl*>(this));
}

void FXWindowsControl::PaintBackground() {
  DrawBackground(FBackground);
  FBuffer.CopyFrom(FBackground, 0, 0);
}

void FXWindowsControl::DrawBackground(ui::TBitmap& Background) {
  Background.Fill(Opaque(FColor));
  if (!FTransparent || !Parent()) return;
  const TRect own = BoundsRect();
  const int index = ComponentIndex();
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    ui::TControl* sibling = Parent()->Controls(i);
    TRect overlap;
    if (sibling == this || !sibling->Visible() || !Intersect(own, sibling->BoundsRect(), overlap)) continue;
    const ui::TBitmap* buffer = FrameworkBuffer(sibling);
    if (!buffer || sibling->ComponentIndex() >= index) continue;
    const TRect from = overlap.Offset(-sibling->Left(), -sibling->Top());
    CopyRect(Background, {overlap.Left - own.Left, overlap.Top - own.Top}, *buffer, from);
  }
}

void FXWindowsControl::Paint() {
  ui::TCanvas* canvas = Canvas();
  // Outside the toolkit's paint pass there is no window surface: ask for a pass instead.
  if (!canvas) {
    FXCustomControl::Invalidate();
    return;
  }
  if (!FCreated) {
    FCreated = true;
    ComponentCreated();
  }
  // A control that was out of sight when its window's layout was done paints at its first showing.
  if (FBufferStale) RefreshBuffer();
  if (FBufferedComponent) {
    if (FOpacity == 255) {
      canvas->Draw(0, 0, FBuffer);
    } else {
      ui::TBitmap composed(Width(), Height());
      composed.CopyFrom(FBackground, 0, 0);
      composed.Draw(FBuffer, 0, 0, FOpacity);
      canvas->Draw(0, 0, composed);
    }
  }
  if (FAutoFocusLine && Focused() && FHasEnteredTab) {
    UpdateFocusRect();
    const FXPen pen{MakeARGB(ThemeManager().SystemColor->ForeGround(), 255), 2.0};
    GDIRoundRect(*canvas, FXRoundRect(FFocusRect, 8, 8), nullptr, &pen);
  }
  InvalidateControlsAbove();
  if (OnPaint) OnPaint(dynamic_cast<FXControl*>(this));
}

void FXWindowsControl::UpdateFocusRect() {
  FFocusRect = ClientRect();
  FFocusRect.Right -= 2;
  FFocusRect.Bottom -= 2;
}

void FXWindowsControl::InvalidateControlsAbove() {
  if (!Parent()) return;
  const int index = ComponentIndex();
  // Within a paint pass the siblings above paint after this one anyway; asking for another pass would
  // make every pass ask for the next.
  const bool painting = Canvas() != nullptr;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    auto* sibling = dynamic_cast<FXWindowsControl*>(Parent()->Controls(i));
    TRect overlap;
    if (!sibling || sibling == this || sibling->ComponentIndex() <= index || !sibling->FTransparent ||
        !Intersect(BoundsRect(), sibling->BoundsRect(), overlap))
      continue;
    if (painting) sibling->RefreshBuffer();
    else sibling->Invalidate();
  }
}

void FXWindowsControl::SetInteractionState(FXControlState AState, bool Forced, bool UpdatePrevious) {
  if (AState == FInteraction && !Forced) return;
  if (UpdatePrevious) FPreviousInteraction = FInteraction;
  FInteraction = AState;
  InteractionStateChanged(AState);
}

void FXWindowsControl::InteractionStateChanged(FXControlState) { Paint(); }

void FXWindowsControl::MouseEnter() {
  SetState(FXControlState::Hover);
  FXCustomControl::MouseEnter();
}

void FXWindowsControl::MouseLeave() {
  SetState(FXControlState::None);
  FXCustomControl::MouseLeave();
}

void FXWindowsControl::MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  FXCustomControl::MouseDown(Button, Shift, X, Y);
  if (FInteraction == FXControlState::Hover && Button == ui::TMouseButton::Left) SetState(FXControlState::Press);
  if (FInteraction == FXControlState::Press && !Focused()) SetFocus();
  // The toolkit focuses a pressed control before the press arrives, which looks like keyboard focus.
  if (FHasEnteredTab) {
    FHasEnteredTab = false;
    if (FAutoFocusLine) Paint();
  }
}

void FXWindowsControl::MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  FXCustomControl::MouseUp(Button, Shift, X, Y);
  SetState(FXControlState::Hover);
  if (Button == ui::TMouseButton::Right) OpenPopupMenu(X, Y);
}

void FXWindowsControl::OpenPopupMenu(int X, int Y) {
  if (FPopupMenu) FPopupMenu->PopupAtPoint(ClientToScreen(*this, {X, Y}));
}

void FXWindowsControl::DoEnter() {
  FXCustomControl::DoEnter();
  if (FAutoFocusLine && FInteraction != FXControlState::Press) {
    FHasEnteredTab = true;
    Paint();
  }
}

void FXWindowsControl::DoExit() {
  FXCustomControl::DoExit();
  if (FAutoFocusLine) {
    FHasEnteredTab = false;
    Paint();
  }
}

bool FXWindowsControl::WantsKey(int Key, ui::TShiftState Shift) {
  bool canHandle = true;
  HandleKeyDown(canHandle, static_cast<std::uint16_t>(Key), Shift);
  return !canHandle || FXCustomControl::WantsKey(Key, Shift);
}

void FXWindowsControl::HandleKeyDown(bool& CanHandle, std::uint16_t Key, ui::TShiftState) {
  if (FFocusFlags.Empty()) return;
  struct TCatch {
    std::uint16_t Key;
    FXFocusFlag Flag;
  };
  static constexpr TCatch catches[] = {{9, FXFocusFlag::CatchTab},
                                       {37, FXFocusFlag::CatchLeft},
                                       {38, FXFocusFlag::CatchUp},
                                       {39, FXFocusFlag::CatchRight},
                                       {40, FXFocusFlag::CatchDown}};
  for (const TCatch& c : catches)
    if (Key == c.Key && FFocusFlags.Contains(c.Flag)) CanHandle = false;
}

void FXWindowsControl::ChangeScale(int Multiplier, int Divider) {
  if (Multiplier == Divider || Divider == 0) return;
  auto scale = [&](int v) { return v * Multiplier / Divider; };
  SetBounds(scale(Left()), scale(Top()), scale(Width()), scale(Height()));
  ScaleChanged(static_cast<float>(Multiplier) / static_cast<float>(Divider));
  Invalidate();
}

void FXWindowsControl::ScaleChanged(float Scaling) {
  FTextFont->SetHeight(RoundEven(FTextFont->Height() * Scaling));
  FPadding->ScaleChanged(Scaling);
}

void FXWindowsControl::BoundsChanged(int OldWidth, int OldHeight) {
  FXCustomControl::BoundsChanged(OldWidth, OldHeight);
  Invalidate();
}

void FXWindowsControl::EnabledChanged() {
  if (FXControl* control = AsFXControl(this); FBufferedComponent && control) {
    control->UpdateTheme(false);
    Invalidate();
  } else {
    FXCustomControl::EnabledChanged();
  }
}

void FXBufferGraphicControl::Invalidate() {
  ui::TGraphicControl::Invalidate();
  if (!Parent()) return;
  const int width = std::max(Width(), 0), height = std::max(Height(), 0);
  if (FBuffer.Width() != width || FBuffer.Height() != height) FBuffer.SetSize(width, height);
  PaintBuffer();
}

void FXBufferGraphicControl::PaintBuffer() {
  if (OnPaintBuffer) OnPaintBuffer(dynamic_cast<FXControl*>(this));
}

void FXBufferGraphicControl::Paint() {
  ui::TCanvas* canvas = Canvas();
  if (!canvas) {
    ui::TGraphicControl::Invalidate();
    return;
  }
  canvas->Draw(0, 0, FBuffer);
  // Windowed children paint after the graphic ones in the same pass, so their buffers only need redoing.
  if (Parent())
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
      auto* sibling = dynamic_cast<FXWindowsControl*>(Parent()->Controls(i));
      TRect overlap;
      if (sibling && sibling->Transparent() && Intersect(BoundsRect(), sibling->BoundsRect(), overlap))
        sibling->RefreshBuffer();
    }
  if (OnPaint) OnPaint(dynamic_cast<FXControl*>(this));
}

void FXBufferGraphicControl::OpenPopupMenu(int X, int Y) {
  if (FPopupMenu) FPopupMenu->PopupAtPoint(ClientToScreen(*this, {X, Y}));
}

void FXBufferGraphicControl::BoundsChanged(int OldWidth, int OldHeight) {
  ui::TGraphicControl::BoundsChanged(OldWidth, OldHeight);
  Invalidate();
}

void FXBufferGraphicControl::SetState(FXControlState AState) {
  FPreviousInteraction = FInteraction;
  FInteraction = AState;
  InteractionStateChanged(AState);
}

void FXBufferGraphicControl::MouseEnter() {
  SetState(FXControlState::Hover);
  ui::TGraphicControl::MouseEnter();
}

void FXBufferGraphicControl::MouseLeave() {
  SetState(FXControlState::None);
  ui::TGraphicControl::MouseLeave();
}

void FXBufferGraphicControl::MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  ui::TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (FInteraction == FXControlState::Hover && Button == ui::TMouseButton::Left) SetState(FXControlState::Press);
}

void FXBufferGraphicControl::MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  ui::TGraphicControl::MouseUp(Button, Shift, X, Y);
  SetState(FXControlState::Hover);
  if (Button == ui::TMouseButton::Right) OpenPopupMenu(X, Y);
}

}  // namespace lux
