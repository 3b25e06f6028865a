// FXScrollBox: a scrolling container with the framework's own bars and a smooth wheel glide.
#pragma once

#include <cstdint>
#include <memory>

#include "lux/colors.h"
#include "lux/control_interface.h"
#include "lux/scrollbar.h"
#include "lux/types.h"
#include "ui/scroll_box.h"
#include "ui/timer.h"

namespace lux {

// A bar that works out its own range from the children of the scroll box it sits on.
class FXScrollBoxScrollBar : public FXScrollbar {
 public:
  using FXScrollbar::FXScrollbar;
  // Nothing unless the parent is an FXScrollBox.
  void CalcAutoRange();
};

class FXScrollBox : public ui::TScrollBox, public FXControl {
 public:
  // Pixels the wheel glide moves per tick.
  static constexpr std::int32_t WheelGlideStep = 20;

  explicit FXScrollBox(ui::TComponent* AOwner);
  ~FXScrollBox() override;

  FXCompleteColorSets& CustomColors() { return *FCustomColors; }
  FXBackgroundColor BackgroundColor() const { return FBackground; }
  void SetBackgroundColor(FXBackgroundColor Value);
  std::int32_t ScrollExtendX() const { return FExtendX; }
  void SetScrollExtendX(std::int32_t Value);
  std::int32_t ScrollExtendY() const { return FExtendY; }
  void SetScrollExtendY(std::int32_t Value);
  bool ScrollbarEnableVertical() const { return FEnableVertical; }
  void SetScrollbarEnableVertical(bool Value);
  bool ScrollbarEnableHorizontal() const { return FEnableHorizontal; }
  void SetScrollbarEnableHorizontal(bool Value);
  std::int32_t ScrollSpeed() const { return FScrollSpeed; }
  void SetScrollSpeed(std::int32_t Value) { FScrollSpeed = Value; }
  bool Animation() const { return FAnimation; }
  void SetAnimation(bool Value) { FAnimation = Value; }
  FXScrollBoxScrollBar& ScrollBarVert() { return *FVertScroll; }
  FXScrollBoxScrollBar& ScrollBarHorz() { return *FHorzScroll; }

  // Removes and frees every child but the two bars, last first.
  void DestroyAll();
  // Works both ranges out from the children again and places the bars. The toolkit tells a container
  // nothing when an unaligned child moves or arrives, so whoever changes the content calls this; the
  // box also does so itself on a resize, on a wheel turn and on a theme change.
  void UpdateScrollRanges();

  bool IsContainer() override { return true; }
  void UpdateTheme(bool UpdateChildren) override;
  TColor Background() override;

  const FXCompleteColorSet& DrawColors() const { return *FDrawColors; }
  // The wheel glide, reachable so that it can be ticked by hand.
  ui::TTimer& WheelTimer() { return *FAnim; }
  std::int32_t RemainingX() const { return FAnimX; }
  std::int32_t RemainingY() const { return FAnimY; }

  bool MouseWheel(ui::TShiftState Shift, int Delta, int X, int Y) override;

 protected:
  void BoundsChanged(int OldWidth, int OldHeight) override;
  TRect AlignArea() const override;

 private:
  void UpdateColors();
  void PositionScrollBars();
  void ScrollContent(int DX, int DY);
  void BarChanged(FXScrollbar& Sender);
  void WheelTick();

  std::unique_ptr<FXCompleteColorSets> FCustomColors;
  std::unique_ptr<FXCompleteColorSet> FDrawColors;
  std::int32_t FScrollSpeed = 25;
  FXBackgroundColor FBackground = FXBackgroundColor::Background;
  FXScrollBoxScrollBar* FVertScroll = nullptr;  // owned by the box as a component
  FXScrollBoxScrollBar* FHorzScroll = nullptr;
  bool FEnableVertical = true;
  bool FEnableHorizontal = true;
  std::int32_t FPosX = 0;
  std::int32_t FPosY = 0;
  std::int32_t FExtendX = 0;
  std::int32_t FExtendY = 100;
  std::unique_ptr<ui::TTimer> FAnim;
  std::int32_t FAnimX = 0;
  std::int32_t FAnimY = 0;
  bool FAnimation = true;
  bool FUpdatingRanges = false;
};

}  // namespace lux
