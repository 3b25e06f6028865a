// The framework's control base classes: buffered windowed and windowless controls with interaction state.
#pragma once

#include <cstdint>
#include <memory>

#include "lux/classes.h"
#include "lux/control_interface.h"
#include "lux/types.h"
#include "ui/bitmap.h"
#include "ui/controls.h"
#include "ui/font.h"

namespace lux {

// What a right-button release on a control opens at the pointer: the popup menu fills it in, so the
// base classes never depend on the menu they open.
class FXContextMenu {
 public:
  // Opens at a point in screen pixels.
  virtual void PopupAtPoint(TPoint Point) = 0;

 protected:
  ~FXContextMenu() = default;
};

// A point in the control's client coordinates on the screen: its form's position plus its place on the form.
TPoint ClientToScreen(const ui::TControl& Control, TPoint P);

class FXCustomControl : public ui::TCustomControl {
 public:
  using ui::TCustomControl::TCustomControl;
};

// A windowed control painted from an off-screen buffer that is repainted only on Invalidate; it keeps
// the interaction state, the keyboard focus line, padding, transparency over lower framework siblings
// and opacity. A derived control paints its look in PaintBuffer and implements FXControl.
class FXWindowsControl : public FXCustomControl {
 public:
  explicit FXWindowsControl(ui::TComponent* AOwner);
  ~FXWindowsControl() override;

  const ui::TBitmap& Buffer() const { return FBuffer; }
  ui::TBitmap& Buffer() { return FBuffer; }
  const ui::TBitmap& BackgroundBitmap() const { return FBackground; }

  // The colour the buffer and background are cleared to (0x00BBGGRR).
  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  std::uint8_t Opacity() const { return FOpacity; }
  void SetOpacity(std::uint8_t Value);
  const ui::TFont& Font() const { return *FTextFont; }
  void SetFont(const ui::TFont& Value);
  FXPadding& PaddingFill() { return *FPadding; }
  const FXPadding& PaddingFill() const { return *FPadding; }
  FXFocusFlags FocusFlags() const { return FFocusFlags; }
  void SetFocusFlags(FXFocusFlags Value) { FFocusFlags = Value; }
  FXControlState InteractionState() const { return FInteraction; }
  FXControlState PreviousInteractionState() const { return FPreviousInteraction; }
  bool HasEnteredTab() const { return FHasEnteredTab; }
  TRect FocusRect() const { return FFocusRect; }
  // The control's rectangle less the padding.
  TRect ClientRect() const { return FPadding->ApplyTo(ui::TControl::ClientRect()); }

  FXControlOnPaint OnPaint;
  FXControlOnPaint OnPaintBuffer;
  // The menu a right-button release opens; not owned.
  FXContextMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(FXContextMenu* Value) { FPopupMenu = Value; }

  TColor GetParentBackgroundColor(TColor Default) const;
  void Invalidate() override;
  void InvalidateControlsAbove();
  // Rescales by Multiplier / Divider, as a change of screen resolution does.
  void ChangeScale(int Multiplier, int Divider);

  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  bool WantsKey(int Key, ui::TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;

 protected:
  virtual void PaintBuffer();
  virtual void DrawBackground(ui::TBitmap& Background);
  virtual void ComponentCreated() {}
  virtual void UpdateFocusRect();
  virtual void FontUpdate();
  virtual void OpenPopupMenu(int X, int Y);
  virtual void ScaleChanged(float Scaling);
  virtual void HandleKeyDown(bool& CanHandle, std::uint16_t Key, ui::TShiftState Shift);
  virtual void InteractionStateChanged(FXControlState AState);

  void Paint() override;
  void BoundsChanged(int OldWidth, int OldHeight) override;
  void EnabledChanged() override;

  void PaintBackground();
  void SetState(FXControlState AState) { SetInteractionState(AState, false, true); }
  void SetInteractionState(FXControlState AState, bool Forced, bool UpdatePrevious);
  bool IsDestroying() const { return Destroying(); }
  bool Destroyed() const { return IsDestroying() || !Parent(); }
  bool Creating() const { return !FCreated; }

  bool FBufferedComponent = true;
  bool FAutoFocusLine = false;

 public:
  // Paints a buffer whose painting was held back while its window was being laid out.
  void RefreshStaleBuffer();

 private:
  friend class FXBufferGraphicControl;
  // Resizes and repaints the buffer without asking for a screen paint; while the window is being laid
  // out it only notes that the buffer is out of date.
  void RefreshBuffer();

  ui::TBitmap FBuffer;
  bool FBufferStale = false;
  TRect FFocusRect;
  bool FHasEnteredTab = false;
  FXControlState FInteraction = FXControlState::None;
  FXControlState FPreviousInteraction = FXControlState::None;
  bool FCreated = false;
  bool FTransparent = true;
  std::uint8_t FOpacity = 255;
  ui::TBitmap FBackground;
  std::unique_ptr<FXPadding> FPadding;
  std::unique_ptr<ui::TFont> FTextFont;
  FXFocusFlags FFocusFlags;
  TColor FColor = 0x00FFFFFF;
  FXContextMenu* FPopupMenu = nullptr;
};

// A windowless control painted on its parent's surface from its own buffer.
class FXBufferGraphicControl : public ui::TGraphicControl {
 public:
  explicit FXBufferGraphicControl(ui::TComponent* AOwner) : ui::TGraphicControl(AOwner) {}

  const ui::TBitmap& Buffer() const { return FBuffer; }
  ui::TBitmap& Buffer() { return FBuffer; }
  ui::TCanvas* GetCanvas() const { return Canvas(); }
  FXControlState InteractionState() const { return FInteraction; }
  FXControlState PreviousInteractionState() const { return FPreviousInteraction; }

  FXControlOnPaint OnPaint;
  FXControlOnPaint OnPaintBuffer;
  // The menu a right-button release opens; not owned.
  FXContextMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(FXContextMenu* Value) { FPopupMenu = Value; }

  void Invalidate() override;
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;

 protected:
  virtual void PaintBuffer();
  virtual void ComponentCreated() {}
  virtual void InteractionStateChanged(FXControlState) {}
  virtual void OpenPopupMenu(int X, int Y);

  void Paint() override;
  void BoundsChanged(int OldWidth, int OldHeight) override;
  void SetState(FXControlState AState);

 private:
  ui::TBitmap FBuffer;
  FXControlState FInteraction = FXControlState::None;
  FXControlState FPreviousInteraction = FXControlState::None;
  FXContextMenu* FPopupMenu = nullptr;
};

}  // namespace lux
