// FXCheckBox and the selection-control base it shares with the radio button (glyph box, layout, colours, input).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "lux/classes.h"
#include "lux/colors.h"
#include "lux/controls.h"
#include "lux/types.h"
#include "ui/font.h"
#include "ui/timer.h"

namespace lux {

// A box or circle drawn from icon-font glyphs beside a text and an optional image. Derived controls
// draw their glyphs and say what a click or Enter/Space does.
class FXSelectionControl : public FXWindowsControl, public FXControl {
 public:
  ~FXSelectionControl() override;

  FXColorSets& CustomColors() { return *FCustomColors; }
  const ui::TFont& IconFont() const { return *FIconFont; }
  void SetIconFont(const ui::TFont& Value);
  std::int32_t TextSpacing() const { return FTextSpacing; }
  void SetTextSpacing(std::int32_t Value);
  bool AutomaticCursorPointer() const { return FAutomaticCursorPointer; }
  void SetAutomaticCursorPointer(bool Value) { FAutomaticCursorPointer = Value; }
  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  FXIconSelect& Image() { return *FImage; }
  void SetImage(const FXIconSelect& Value);
  float ImageScale() const { return FImageScale; }
  void SetImageScale(float Value);
  FXDrawLayout Layout() const { return FLayout; }
  void SetLayout(FXDrawLayout Value);

  // The layout of the last UpdateRects (the box rectangle squared once a check mark was drawn).
  TRect GetIconRect() const { return IconRect; }
  TRect GetTextRect() const { return TextRect; }
  TRect GetImageRect() const { return ImageRect; }
  FXLayout TextLayout() const { return FTextLayout; }
  const FXCompleteColorSet& DrawColors() const { return *FDrawColors; }
  const FXSingleColorStateSet& IconAccentColors() const { return *FIconAccentColors; }

  bool IsContainer() override { return false; }
  void UpdateTheme(bool UpdateChildren) override;
  TColor Background() override { return FDrawColors->BackGround(); }

  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void KeyPress(const std::string& Character) override;
  void Notify(unsigned Message) override;

 protected:
  // GrayDisabledText: whether a disabled control also greys its text, not only its glyphs.
  FXSelectionControl(ui::TComponent* AOwner, const std::string& AText, double IconPoints, bool GrayDisabledText);

  void UpdateColors();
  void UpdateRects();
  void PaintBuffer() override;
  void InteractionStateChanged(FXControlState AState) override;
  void ScaleChanged(float Scaling) override;
  void BoundsChanged(int OldWidth, int OldHeight) override;

  // The user asked for the next state (a click released on the control, Enter or Space).
  virtual void Toggle() = 0;
  // Draws the box or circle; the canvas font is IconFont in the current glyph colour.
  virtual void PaintGlyphs(ui::TCanvas& Canvas) = 0;

  TColor GlyphColor() const { return FIconAccentColors->GetColor(InteractionState()); }
  // One glyph centred in IconRect on a single line, in Color.
  void DrawGlyph(ui::TCanvas& Canvas, const char* Glyph, TColor Color);
  static void GrowFont(ui::TCanvas& Canvas, double Points);

  TRect DrawRect, IconRect, TextRect, ImageRect;

 private:
  std::unique_ptr<ui::TFont> FIconFont;
  std::unique_ptr<FXColorSets> FCustomColors;
  std::unique_ptr<FXSingleColorStateSet> FIconAccentColors;
  std::unique_ptr<FXCompleteColorSet> FDrawColors;
  std::unique_ptr<FXIconSelect> FImage;
  FXLayout FTextLayout = FXLayout::Beginning;
  std::int32_t FTextSpacing = 6;
  bool FAutomaticCursorPointer = false;
  std::string FText;
  bool FWordWrap = true;
  float FImageScale = 1.5f;
  FXDrawLayout FLayout = FXDrawLayout::Left;
  bool FGrayDisabledText;
  // Set by a left press on the control, so that only a release ending that press toggles it.
  bool FPressedHere = false;
};

class FXCheckBox : public FXSelectionControl {
 public:
  explicit FXCheckBox(ui::TComponent* AOwner);
  ~FXCheckBox() override;

  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value);
  FXCheckBoxState State() const { return FState; }
  void SetState(FXCheckBoxState Value);
  bool Checked() const { return FState != FXCheckBoxState::Unchecked; }
  void SetChecked(bool Value) { SetState(Value ? FXCheckBoxState::Checked : FXCheckBoxState::Unchecked); }
  bool AnimationEnabled = true;
  std::function<void(FXCheckBox& Sender)> OnChange;

  // 0..100: how much of the check mark is drawn.
  std::int32_t AnimationStatus() const { return FAnimationStatus; }
  // The check mark's drawing timer; reachable so that its ticks can be driven by hand.
  ui::TTimer& AnimateTimer() { return *FAnimateTimer; }

 protected:
  void Toggle() override;
  void PaintGlyphs(ui::TCanvas& Canvas) override;

 private:
  void AnimationTick();
  void PaintCheckMark(ui::TCanvas& Canvas);

  bool FAllowGrayed = false;
  FXCheckBoxState FState = FXCheckBoxState::Unchecked;
  std::int32_t FAnimationStatus = 100;
  std::unique_ptr<ui::TTimer> FAnimateTimer;
};

}  // namespace lux
