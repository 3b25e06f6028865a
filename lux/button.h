// FXButton: the framework's owner-drawn push button in six kinds, with image, state display and animated states.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "lux/classes.h"
#include "lux/colors.h"
#include "lux/control_interface.h"
#include "lux/controls.h"
#include "lux/popup_menu.h"
#include "lux/types.h"
#include "ui/forms.h"
#include "ui/timer.h"

namespace lux {

// SendModal starts true; a handler clears it to keep the button's ModalResult from the form.
using FXBeforeModalResult = std::function<void(ui::TComponent* Sender, bool& SendModal)>;

class FXButton : public FXWindowsControl, public FXControl {
 public:
  explicit FXButton(ui::TComponent* aOwner);
  ~FXButton() override;

  // The Tag of the first checked FXButton among the parent's controls; the own Tag without one.
  std::int32_t GetCheckedTag() const;

  bool IsContainer() override { return false; }
  void UpdateTheme(bool UpdateChildren) override;
  TColor Background() override { return FDrawColors->BackGround(); }

  FXCompleteColorSets& CustomColors() { return *FCustomColors; }
  FXColorStateSets& CustomButtonColors() { return *FCustomButtonColors; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool ShowText() const { return FShowText; }
  void SetShowText(bool Value);
  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // Assigning copies the given selection into the button's own object.
  FXIconSelect& Image() { return *FImage; }
  void SetImage(const FXIconSelect& Value);
  double ImageScale() const { return FImageScale; }
  void SetImageScale(double Value);
  FXDrawLayout ImageLayout() const { return FImageLayout; }
  void SetImageLayout(FXDrawLayout Value);
  FXLayout LayoutHorizontal() const { return FHorizontalLayout; }
  void SetLayoutHorizontal(FXLayout Value);
  FXLayout LayoutVertical() const { return FVerticalLayout; }
  void SetLayoutVertical(FXLayout Value);
  FXButtonKind ButtonKind() const { return FButtonKind; }
  void SetButtonKind(FXButtonKind Value);
  bool AutomaticCursorPointer = true;
  std::int32_t Roundness() const { return FRoundness; }
  void SetRoundness(std::int32_t Value);
  std::string HyperLinkURL;
  // Not owned: whoever made the menu frees it, and clears this first.
  FXPopupMenu* DropDown = nullptr;
  std::int32_t Margin() const { return FMargin; }
  void SetMargin(std::int32_t Value);
  bool RepeatWhenPressed = false;
  bool Animation = true;
  FXDetailType Detail() const { return FDetail; }
  void SetDetail(FXDetailType Value);
  double LineWidth() const { return FLineWidth; }
  void SetLineWidth(double Value);
  const std::string& StateText() const { return FStateText; }
  void SetStateText(const std::string& Value);
  FXIconSelect& StateImage() { return *FStateImage; }
  void SetStateImage(const FXIconSelect& Value);
  bool StateEnabled() const { return FStateEnabled; }
  void SetStateEnabled(bool Value);
  // Milliseconds the state display lasts; 0 keeps it until it is turned off.
  std::int32_t StateDuration() const { return FStateDuration; }
  void SetStateDuration(std::int32_t Value);
  bool AutoStateToggle = false;
  // Read by the message dialogs, which make their default buttons accent-coloured.
  bool Default = false;
  bool Cancel = false;
  ui::TModalResult ModalResult = ui::mrNone;

  TNotifyEvent OnCheck;
  TNotifyEvent OnOpenLink;
  TNotifyEvent OnDropDown;
  FXBeforeModalResult OnBeforeModalResult;

  // The layout and resolved colours, for whoever paints over the button or checks it.
  TRect DrawRect() const { return FDrawRect; }
  TRect CaptionRect() const { return FCaptionRect; }
  TRect IndicatorRect() const { return FIndicatorRect; }
  TRect ImageRect() const { return FImageRect; }
  TRect TheTextRect() const { return FTheTextRect; }
  FXTextFlags TextDrawFlags() const { return FTextDrawFlags; }
  const FXCompleteColorSet& DrawColors() const { return *FDrawColors; }
  const FXColorStateSet& ButtonColors() const { return *FButtonColors; }
  double BorderWidth() const { return FBorderWidth; }
  bool AnimationRunning() const { return FAnimationRunning; }
  std::int32_t AnimationPosition() const { return FAnimPos; }
  std::int32_t ArrowOffset() const { return FArrowOffset; }
  // The timers, so that their ticks can be driven by hand.
  const ui::TTimer& StateTimer() const { return *FAutoStopState; }
  const ui::TTimer& RepeatTimer() const { return *FAutoRepeat; }
  // Lives as long as the button or one of its animations; the animations find it empty once the
  // button has gone.
  std::weak_ptr<FXButton*> AnimationToken() const { return FSelf; }

  void Click() override;
  void KeyDown(int& Key, ui::TShiftState Shift) override;
  void KeyUp(int& Key, ui::TShiftState Shift) override;
  void KeyPress(const std::string& Character) override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void Invalidate() override;

 protected:
  void PaintBuffer() override;
  void InteractionStateChanged(FXControlState AState) override;
  void ScaleChanged(float Scaling) override;
  void BoundsChanged(int OldWidth, int OldHeight) override;
  void FontUpdate() override;

  // Measured in Font; virtual so that the layout can be checked against known text sizes.
  virtual std::int32_t GetTextHeight() const;
  virtual std::int32_t GetTextWidth() const;

 private:
  void UpdateColors();
  void UpdateRects();
  const std::string& CurrentText() const { return FStateEnabled ? FStateText : FText; }
  const FXIconSelect& CurrentImage() const { return FStateEnabled ? *FStateImage : *FImage; }
  void StartAnimation();
  void AutoStopStateTimer();
  void AutoRepeatTimer();

  // Frames of a running animation reach the button only through this cell, emptied by the destructor.
  std::shared_ptr<FXButton*> FSelf;

  std::unique_ptr<FXCompleteColorSets> FCustomColors;
  std::unique_ptr<FXColorStateSets> FCustomButtonColors;
  bool FChecked = false;
  bool FShowText = true;
  std::string FText = "Button";
  bool FWordWrap = true;
  std::unique_ptr<FXIconSelect> FImage;
  double FImageScale = 1.25;
  FXDrawLayout FImageLayout = FXDrawLayout::Left;
  FXLayout FHorizontalLayout = FXLayout::Center;
  FXLayout FVerticalLayout = FXLayout::Center;
  FXButtonKind FButtonKind = FXButtonKind::Normal;
  std::int32_t FRoundness = 10;
  std::int32_t FMargin = 0;
  FXDetailType FDetail = FXDetailType::None;
  double FLineWidth = 3.0;
  std::string FStateText;
  std::unique_ptr<FXIconSelect> FStateImage;
  bool FStateEnabled = false;
  std::int32_t FStateDuration = 1000;

  TRect FDrawRect{}, FCaptionRect{}, FIndicatorRect{}, FImageRect{}, FTheTextRect{};
  std::unique_ptr<FXCompleteColorSet> FDrawColors;
  std::unique_ptr<FXColorStateSet> FButtonColors;
  FXTextFlags FTextDrawFlags;
  double FBorderWidth = 1.0;
  std::unique_ptr<ui::TTimer> FAutoStopState;
  std::unique_ptr<ui::TTimer> FAutoRepeat;
  bool FAnimationRunning = false;
  std::int32_t FAnimPos = 0;
  std::int32_t FArrowOffset = 0;
  // The parent the layout was last computed under; a new one brings its background and room.
  ui::TWinControl* FLaidOutParent = nullptr;
};

}  // namespace lux
