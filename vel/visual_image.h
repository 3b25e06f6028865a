// CImage: a windowless picture control with draw modes, inflation, mirroring, opacity and an off-screen copy.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include "ui/bitmap.h"
#include "ui/canvas.h"
#include "ui/controls.h"
#include "ui/picture.h"
#include "vel/components.h"
#include "vel/graphics.h"

namespace vel {

// An operation the object's current state does not allow.
class EInvalidOperation : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Animation settings for pictures that can animate. The toolkit's pictures are still images: the
// settings choose how a picture is scaled (Enable) and are kept for the image control's callers.
class CImageGif : public TMPersistent {
 public:
  explicit CImageGif(ui::TComponent* AOwner) : TMPersistent(AOwner) {}

  bool Enable() const { return FEnable; }
  void SetEnable(bool Value) { FEnable = Value; }
  // 100 is the normal speed.
  std::int32_t AnimationSpeed() const { return FSpeed; }
  void SetAnimationSpeed(std::int32_t Value) { FSpeed = Value; }
  void Assign(const CImageGif& Source);

 private:
  bool FEnable = false;
  std::int32_t FSpeed = 100;
};

class CImage : public ui::TGraphicControl {
 public:
  explicit CImage(ui::TComponent* AOwner);
  ~CImage() override;

  // The picture is copied into the control's own; it replaces a bitmap made through Canvas.
  const ui::TPicture& Picture() const { return FPicture; }
  void SetPicture(const ui::TPicture& Value);
  // Whether there is a graphic at all (a loaded picture or a bitmap made through Canvas), and its size.
  bool HasGraphic() const { return FBitmap || !FPicture.Empty(); }
  std::int32_t GraphicWidth() const { return FBitmap ? FBitmap->Width() : FPicture.Width(); }
  std::int32_t GraphicHeight() const { return FBitmap ? FBitmap->Height() : FPicture.Height(); }

  TDrawMode DrawMode() const { return FDrawMode; }
  void SetDrawMode(TDrawMode Value);
  bool FlipX() const { return FFlipX; }
  void SetFlipX(bool Value);
  bool FlipY() const { return FFlipY; }
  void SetFlipY(bool Value);
  // Added on every side of each destination rectangle; negative shrinks.
  std::int32_t InflationValue() const { return FInflationValue; }
  void SetInflationValue(std::int32_t Value);
  std::uint8_t Opacity() const { return FOpacity; }
  void SetOpacity(std::uint8_t Value);
  // Chooses the scaling filter; the toolkit's canvas has one smooth filter for both.
  bool Smooth() const { return FSmoothPicure; }
  void SetSmooth(bool Value);
  // Kept with the control; the drawing does not rotate.
  std::int32_t RotationAngle() const { return FRotationValue; }
  void SetRotationAngle(std::int32_t Value);
  bool DrawCache() const { return FDrawCache; }
  void SetDrawCache(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool TransparentGraphic() const { return FTransparentGraphic; }
  void SetTransparentGraphic(bool Value);
  CImageGif& GifSettings() { return *FGifSettings; }
  const CImageGif& GifSettings() const { return *FGifSettings; }
  void SetGifSettings(const CImageGif& Value);
  bool IncrementalDisplay() const { return FIncrementalDisplay; }
  void SetIncrementalDisplay(bool Value) { FIncrementalDisplay = Value; }
  // Sizes the control to its picture: the width unless aligned to the top or bottom (or the whole
  // area), the height unless aligned to the left or right (or the whole area).
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);

  // The canvas of the bitmap the image holds; an image without a graphic first gets a bitmap of the
  // control's size. Throws EInvalidOperation when the image holds a picture of another kind.
  ui::TCanvas& Canvas();
  // The off-screen copy's canvas while there is one, else Canvas().
  ui::TCanvas& CachedCanvas();
  // The off-screen copy, null while DrawCache is off.
  const ui::TBitmap* Cache() const { return FCached.get(); }
  // Whether the control covers everything beneath it, so nothing there needs painting.
  bool Opaque() const { return FOpaque; }

  // Where the picture goes in the control, before inflation and mirroring: the draw mode's
  // rectangles, or the whole control without a graphic.
  std::vector<ui::TRect> DestRects() const;
  // Moves the edges outward by the given amounts (inward for negative ones).
  void Inflate(std::int32_t up, std::int32_t right, std::int32_t down, std::int32_t lft);
  // Invalidates and paints at once.
  void InvalidateControl();

 protected:
  void Paint() override;
  void BoundsChanged(int OldWidth, int OldHeight) override;

 private:
  void DrawPicture(ui::TCanvas& Target, std::uint8_t AOpacity);
  void PictureChanged();
  void ApplyGifSettings();
  void UpdateCache();
  void AdjustToPicture();

  ui::TPicture FPicture;
  std::unique_ptr<ui::TBitmap> FBitmap;  // the graphic, when it was made through Canvas
  std::unique_ptr<ui::TBitmap> FPictureBitmap;  // FPicture ready to draw, made at its first drawing
  std::unique_ptr<ui::TCanvas> FBitmapCanvas;
  bool FIncrementalDisplay = false;
  bool FTransparent = true;
  bool FDrawing = false;
  TDrawMode FDrawMode = TDrawMode::CenterFit;
  std::unique_ptr<CImageGif> FGifSettings;
  std::uint8_t FOpacity = 255;
  bool FSmoothPicure = true;
  bool FTransparentGraphic = false;
  std::int32_t FInflationValue = 0;
  std::int32_t FRotationValue = 0;
  bool FDrawCache = false;
  std::unique_ptr<ui::TBitmap> FCached;
  std::unique_ptr<ui::TCanvas> FCachedCanvas;
  bool FFlipX = false;
  bool FFlipY = false;
  bool FAutoSize = false;
  bool FOpaque = false;
};

}  // namespace vel
