// FXBlurMaterial: a windowless control that shows the blurred desktop behind it under a translucent tint.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "lux/colors.h"
#include "lux/control_interface.h"
#include "lux/controls.h"
#include "lux/types.h"
#include "ui/timer.h"

namespace lux {

class FXBlurMaterial : public FXBufferGraphicControl, public FXControl {
 public:
  explicit FXBlurMaterial(ui::TComponent* AOwner);
  ~FXBlurMaterial() override;

  FXGlassRefreshMode RefreshMode() const { return FRefreshMode; }
  void SetRefreshMode(FXGlassRefreshMode Value);
  // Repaints once more after each synchronisation, for controls painted above the material.
  bool InvalidateAbove() const { return FInvalidateAbove; }
  void SetInvalidateAbove(bool Value) { FInvalidateAbove = Value; }
  FXBlurVersion Version() const { return FVersion; }
  void SetVersion(FXBlurVersion Value);
  bool EnableTinting() const { return FEnableTinting; }
  void SetEnableTinting(bool Value);
  // Tint alphas; values outside 0..255 count as the nearest end.
  std::int32_t DarkTintOpacity() const { return FDarkTintOpacity; }
  void SetDarkTintOpacity(std::int32_t Value);
  std::int32_t WhiteTintOpacity() const { return FWhiteTintOpacity; }
  void SetWhiteTintOpacity(std::int32_t Value);
  FXColorSets& CustomColors() { return *FCustomColors; }
  void SetCustomColors(const FXColorSets& Value);
  const FXColorSet& DrawColors() const { return *FDrawColors; }
  // The refresh timer of RefreshMode Timer.
  ui::TTimer& RefreshTimer() { return *Tick; }
  // Whether the buffer is being painted now (for OnPaintBuffer handlers that ask).
  bool Drawing() const { return FDrawing; }

  void Inflate(std::int32_t up, std::int32_t right, std::int32_t down, std::int32_t lft);
  void FormMoveSync() { SyncroniseImage(); }
  // Repaints, first rebuilding the shared image of Version when it is out of date.
  void SyncroniseImage();
  // Rebuilds the shared image of Version now.
  void RebuildImage();
  void ReDraw() { Invalidate(); }

  bool IsContainer() override { return false; }
  void UpdateTheme(bool UpdateChildren) override;
  TColor Background() override { return FDrawColors->BackGround(); }

  void Notify(unsigned Message) override;

 protected:
  void PaintBuffer() override;
  void VisibleChanged() override;

 private:
  void Changed();
  void ResolveColors();

  FXGlassRefreshMode FRefreshMode = FXGlassRefreshMode::Automatic;
  std::unique_ptr<ui::TTimer> Tick;
  bool FDrawing = false;
  bool FInvalidateAbove = false;
  FXBlurVersion FVersion = FXBlurVersion::WallpaperBlurred;
  std::int32_t FDarkTintOpacity = 75;
  std::int32_t FWhiteTintOpacity = 200;
  std::unique_ptr<FXColorSets> FCustomColors;
  std::unique_ptr<FXColorSet> FDrawColors;
  bool FEnableTinting = true;
};

// The shared images are process-wide: one blurred wallpaper, wallpaper and screenshot for every material.
// Whether the image of a version is there to paint from.
bool BlurImageAvailable(FXBlurVersion Version);
// The clock the one-second age limit reads; tests move it by hand. An empty function restores the real one.
using TBlurClock = std::function<std::chrono::steady_clock::time_point()>;
void SetBlurClock(TBlurClock Now);
// Drops the shared images, so the next synchronisation builds them anew.
void ForgetBlurImages();
// How many times the shared images were built (a capture of the screen each).
int BlurImageBuildCount();
// The size of the system's wallpaper file, -1 when there is none.
std::int64_t WallpaperFileSize();
// Where the change test reads the wallpaper's size; tests give their own instead of touching the
// user's wallpaper. An empty function restores WallpaperFileSize.
using TWallpaperSize = std::function<std::int64_t()>;
void SetWallpaperSizeSource(TWallpaperSize Source);

}  // namespace lux
