// FXProgress: the framework's thin progress bar, with a gliding value and an endless indeterminate motion.
#pragma once

#include <cstdint>
#include <memory>

#include "lux/colors.h"
#include "lux/control_interface.h"
#include "lux/controls.h"
#include "lux/types.h"

namespace lux {

struct FXProgressWorker;

// A 2-pixel track with a 4-pixel rounded bar over it, centred vertically. Value changes glide over 25
// frames; the Intermediate kind slides a bar across endlessly. Both motions are paced by worker threads
// of their own that only hand frames to the user-interface thread: every field the control paints from
// is written there, and a freed control's pending frames find it gone and do nothing.
class FXProgress : public FXWindowsControl, public FXControl {
 public:
  static constexpr std::int32_t GlideFrames = 25;

  explicit FXProgress(ui::TComponent* aOwner);
  // Stops both motions; waits a little for the indeterminate worker but never depends on it ending.
  ~FXProgress() override;

  FXCompleteColorSets& CustomColors() { return *FCustomColors; }
  // Its background entries are the Error colour, its foreground entries the Paused colour.
  FXColorSets& CustomOtherColors() { return *FCustomOtherColors; }
  // Percent; not limited to 0..100.
  float Value() const { return FValue; }
  void SetValue(float AValue);
  bool Animations() const { return FAnimations; }
  void SetAnimations(bool AValue) { FAnimations = AValue; }
  FXProgressKind ProgressKind() const { return FProgressKind; }
  void SetProgressKind(FXProgressKind AValue);
  std::int32_t ProgressHeight() const { return FProgressHeight; }
  void SetProgressHeight(std::int32_t AValue);
  std::int32_t ProgressLineHeight() const { return FProgressLineHeight; }
  void SetProgressLineHeight(std::int32_t AValue);

  bool IsContainer() override { return false; }
  void UpdateTheme(bool UpdateChildren) override;
  TColor Background() override { return FDrawColors->BackGround(); }

  // What the control shows now, as its last layout worked it out.
  const TRect& DrawRect() const { return FDrawRect; }
  const TRect& FilledRect() const { return FFilledRect; }
  const TRect& LineRect() const { return FLineRect; }
  const FXCompleteColorSet& DrawColors() const { return *FDrawColors; }
  TColor ErrorColor() const { return FOtherColors->BackGround(); }
  TColor PausedColor() const { return FOtherColors->ForeGround(); }
  // The value the bar shows: the target less what the glide still has to travel.
  double ShownValue() const { return double(FValue) + double(FValueAdd); }
  bool Gliding() const { return FProgressThread != nullptr; }
  std::int32_t ProgressPos() const { return FProgressPos; }
  bool IndeterminateActive() const { return FThreadActive; }
  std::int32_t Offset() const { return FOffset; }
  std::int32_t InterSize() const { return FInterSize; }
  std::int32_t LengthState() const { return FLengthState; }

 protected:
  void PaintBuffer() override;
  void InteractionStateChanged(FXControlState AState) override;
  void ScaleChanged(float Scaling) override;
  void BoundsChanged(int OldWidth, int OldHeight) override;

 private:
  void UpdateColors();
  void UpdateRects();
  void AnimateTo(float AValue);
  void SetAnimationThread(bool AValue);
  // One frame of each motion, run on the user-interface thread.
  void GlideFrame(std::int32_t Position);
  void GlideEnd();
  void IndeterminateFrame();

  TRect FDrawRect{};
  TRect FFilledRect{};
  TRect FLineRect{};
  std::unique_ptr<FXCompleteColorSet> FDrawColors;
  std::unique_ptr<FXCompleteColorSets> FCustomColors;
  std::unique_ptr<FXColorSet> FOtherColors;
  std::unique_ptr<FXColorSets> FCustomOtherColors;
  bool FAnimations = true;
  std::int32_t FOffset = 0;
  std::int32_t FInterSize = 0;
  std::int32_t FLengthState = 0;
  std::shared_ptr<FXProgressWorker> FProgressThread;
  std::int32_t FProgressPos = 0;
  std::shared_ptr<FXProgressWorker> FAnimateThread;
  bool FThreadActive = false;
  float FValue = 0;
  float FValueAdd = 0;
  float FValueAddMax = 0;
  FXProgressKind FProgressKind = FXProgressKind::Normal;
  std::int32_t FProgressHeight = 4;
  std::int32_t FProgressLineHeight = 2;
};

}  // namespace lux
