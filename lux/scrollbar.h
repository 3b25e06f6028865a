// FXScrollbar: the framework's rounded scroll bar that shrinks to a thin line while the pointer is away.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "lux/colors.h"
#include "lux/control_interface.h"
#include "lux/controls.h"
#include "lux/types.h"
#include "ui/timer.h"

namespace lux {

class FXScrollbar : public FXWindowsControl, public FXControl {
 public:
  explicit FXScrollbar(ui::TComponent* AOwner);
  ~FXScrollbar() override;

  FXCompleteColorSets& CustomColors() { return *FCustomColors; }
  FXOrientation Orientation() const { return FOrientation; }
  void SetOrientation(FXOrientation Value);
  std::int64_t Position() const { return FPosition; }
  void SetPosition(std::int64_t Value);
  std::int32_t SmallChange() const { return FSmallChange; }
  void SetSmallChange(std::int32_t Value) {
    if (Value > 0) FSmallChange = Value;
  }
  std::int64_t Min() const { return FMin; }
  void SetMin(std::int64_t Value);
  std::int64_t Max() const { return FMax; }
  void SetMax(std::int64_t Value);
  bool Animation() const { return FAnimation; }
  void SetAnimation(bool Value) { FAnimation = Value; }
  // A plain flag: the next layout applies it.
  bool Minimised() const { return FMinimised; }
  void SetMinimisedFlag(bool Value) { FMinimised = Value; }
  std::int32_t CustomScrollbarSize() const { return FCustomScrollBarHeight; }
  void SetCustomScrollbarSize(std::int32_t Value);
  std::int32_t PageSize() const { return FPageSize; }
  void SetPageSize(std::int32_t Value);
  bool EnableButtons() const { return FEnableButtons; }
  void SetEnableButtons(bool Value);
  bool AutoMinimise() const { return FAutoMinimise; }
  void SetAutoMinimise(bool Value) { FAutoMinimise = Value; }
  bool PreferLeftSide() const { return FPreferLeftSide; }
  void SetPreferLeftSide(bool Value) { FPreferLeftSide = Value; }

  std::function<void(FXScrollbar& Sender)> OnChange;

  double GetPercentage() const { return GetPercentageCustom(FPosition); }
  double GetPercentageCustom(std::int64_t Value) const;

  bool IsContainer() override { return false; }
  void UpdateTheme(bool UpdateChildren) override;
  TColor Background() override { return FDrawColors->BackGround(); }

  // The last layout and colours, and the timers, so that callers (and tests) can drive them by hand.
  const TRect& DrawRect() const { return FDrawRect; }
  const TRect& SliderRect() const { return FSliderRect; }
  const TRect& Button1() const { return FButton1; }
  const TRect& Button2() const { return FButton2; }
  std::int32_t SliderLength() const { return FScrollBarHeight; }
  std::int32_t MinimisedSliderSize() const { return FSliderSize; }
  TColor TrackColor() const { return FBackgroundColor; }
  const FXCompleteColorSet& DrawColors() const { return *FDrawColors; }
  bool Dragging() const { return FPressInitiated; }
  ui::TTimer& RepeatTimer() { return *FRepeater; }
  ui::TTimer& FadeTimer() { return *FAnim; }
  std::int32_t FadePosition() const { return FAnimPos; }

  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void KeyPress(const std::string& Character) override;

 protected:
  void PaintBuffer() override;
  void InteractionStateChanged(FXControlState AState) override;
  void ScaleChanged(float Scaling) override;
  void BoundsChanged(int OldWidth, int OldHeight) override;
  bool Vertical() const { return FOrientation == FXOrientation::Vertical; }

 private:
  void UpdateColors();
  void UpdateRects();
  void SetMinimised(bool Value);
  void RepeatTick();
  void FadeTick();
  void ChangePosition(std::int64_t Delta) { SetPosition(FPosition + Delta); }

  TRect FDrawRect{};
  TRect FSliderRect{};
  TRect FButton1{};
  TRect FButton2{};
  FXOrientation FOrientation = FXOrientation::Vertical;
  std::int32_t FRoundness = 0;
  std::int64_t FPosition = 0;
  std::int64_t FMin = 0;
  std::int64_t FMax = 100;
  std::int32_t FSmallChange = 1;
  std::int32_t FScrollBarHeight = 90;
  std::int32_t FCustomScrollBarHeight = 0;
  std::int32_t FPageSize = 1;
  std::int32_t FSliderSpacing = 3;
  bool FEnableButtons = true;
  std::unique_ptr<ui::TTimer> FRepeater;
  bool FAutoMinimise = true;
  TColor FBackgroundColor = 0;
  std::int32_t FSliderSize = 0;
  bool FMinimised = false;
  bool FPreferLeftSide = false;
  bool FAnimation = true;
  std::int32_t FAnimPos = 0;
  std::unique_ptr<ui::TTimer> FAnim;
  bool FPressInitiated = false;
  std::unique_ptr<FXCompleteColorSets> FCustomColors;
  std::unique_ptr<FXCompleteColorSet> FDrawColors;
  bool Contains1 = false;
  bool Contains2 = false;
};

}  // namespace lux
