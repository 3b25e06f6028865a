// CImage: destination rectangles, the picture drawn into them, the off-screen copy and automatic size.
#include "vel/visual_image.h"

#include <utility>

#include "ui/forms.h"

namespace vel {

void CImageGif::Assign(const CImageGif& Source) {
  FEnable = Source.FEnable;
  FSpeed = Source.FSpeed;
}

CImage::CImage(ui::TComponent* AOwner) : ui::TGraphicControl(AOwner), FGifSettings(std::make_unique<CImageGif>(this)) {
  SetBounds(Left(), Top(), 150, 100);
}

// The canvases go before the bitmaps they paint on.
CImage::~CImage() {
  FBitmapCanvas.reset();
  FCachedCanvas.reset();
}

void CImage::SetPicture(const ui::TPicture& Value) {
  FBitmapCanvas.reset();
  FBitmap.reset();
  FPicture = Value;
  FPictureBitmap.reset();
  PictureChanged();
}

void CImage::SetDrawMode(TDrawMode Value) {
  FDrawMode = Value;
  InvalidateControl();
}

void CImage::SetFlipX(bool Value) {
  FFlipX = Value;
  Invalidate();
}

void CImage::SetFlipY(bool Value) {
  FFlipY = Value;
  Invalidate();
}

void CImage::SetInflationValue(std::int32_t Value) {
  FInflationValue = Value;
  InvalidateControl();
}

void CImage::SetOpacity(std::uint8_t Value) {
  FOpacity = Value;
  InvalidateControl();
}

void CImage::SetSmooth(bool Value) {
  FSmoothPicure = Value;
  Invalidate();
}

void CImage::SetRotationAngle(std::int32_t Value) {
  FRotationValue = Value;
  InvalidateControl();
}

void CImage::SetDrawCache(bool Value) {
  if (Value == FDrawCache) return;
  FDrawCache = Value;
  UpdateCache();
}

void CImage::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  PictureChanged();
}

void CImage::SetTransparentGraphic(bool Value) {
  FTransparentGraphic = Value;
  PictureChanged();
}

void CImage::SetGifSettings(const CImageGif& Value) {
  FGifSettings->Assign(Value);
  ApplyGifSettings();
}

void CImage::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  AdjustToPicture();
}

void CImage::AdjustToPicture() {
  if (!FAutoSize || GraphicWidth() <= 0 || GraphicHeight() <= 0) return;
  // Aligned sides belong to the parent's layout.
  const ui::TAlign a = Align();
  const bool width = a == ui::TAlign::alNone || a == ui::TAlign::alLeft || a == ui::TAlign::alRight;
  const bool height = a == ui::TAlign::alNone || a == ui::TAlign::alTop || a == ui::TAlign::alBottom;
  SetBounds(Left(), Top(), width ? GraphicWidth() : Width(), height ? GraphicHeight() : Height());
}

ui::TCanvas& CImage::Canvas() {
  if (!HasGraphic()) {
    FBitmap = std::make_unique<ui::TBitmap>(Width(), Height());
    PictureChanged();
  } else if (!FBitmap) {
    throw EInvalidOperation("Can only modify an image if it contains a bitmap");
  }
  if (!FBitmapCanvas) FBitmapCanvas = std::make_unique<ui::TCanvas>(*FBitmap);
  return *FBitmapCanvas;
}

ui::TCanvas& CImage::CachedCanvas() {
  if (!FCached) return Canvas();
  if (!FCachedCanvas) FCachedCanvas = std::make_unique<ui::TCanvas>(*FCached);
  return *FCachedCanvas;
}

std::vector<ui::TRect> CImage::DestRects() const {
  const ui::TRect whole{0, 0, Width(), Height()};
  if (!HasGraphic() || GraphicWidth() <= 0 || GraphicHeight() <= 0) return {whole};
  std::vector<ui::TRect> rects = GetDrawModeRects(whole, GraphicWidth(), GraphicHeight(), FDrawMode, 0);
  if (rects.empty()) return {whole};
  return rects;
}

void CImage::Inflate(std::int32_t up, std::int32_t right, std::int32_t down, std::int32_t lft) {
  SetBounds(Left(), Top() - up, Width(), Height() + up);
  SetBounds(Left(), Top(), Width() + right, Height());
  SetBounds(Left(), Top(), Width(), Height() + down);
  SetBounds(Left() - lft, Top(), Width() + lft, Height());
}

void CImage::InvalidateControl() {
  Invalidate();
  if (ui::TForm* form = ParentForm()) form->Update();
}

void CImage::Paint() {
  ui::TCanvas* canvas = ui::TGraphicControl::Canvas();
  if (!canvas) return;
  {
    // A picture that changes while it is being drawn must not ask for another paint.
    const bool previous = FDrawing;
    FDrawing = true;
    struct TRestore {
      bool& Flag;
      bool Value;
      ~TRestore() { Flag = Value; }
    } restore{FDrawing, previous};
    DrawPicture(*canvas, FOpacity);
  }
  ui::TGraphicControl::Paint();
}

void CImage::DrawPicture(ui::TCanvas& Target, std::uint8_t AOpacity) {
  std::vector<ui::TRect> rects = DestRects();
  for (ui::TRect& r : rects) {
    r = {r.Left - FInflationValue, r.Top - FInflationValue, r.Right + FInflationValue, r.Bottom + FInflationValue};
    // Swapped edges make the drawing mirror the picture.
    if (FFlipX) std::swap(r.Left, r.Right);
    if (FFlipY) std::swap(r.Top, r.Bottom);
  }
  if (!HasGraphic()) return;
  auto highQuality = [&](ui::TCanvas& canvas, const ui::TRect& r) {
    if (FBitmap) {
      DrawHighQuality(canvas, r, *FBitmap, AOpacity, !FSmoothPicure);
      return;
    }
    // Decoded samples become a drawable bitmap once per picture, not on every paint.
    if (!FPictureBitmap) {
      FPictureBitmap = std::make_unique<ui::TBitmap>();
      AssignPng(*FPictureBitmap, FPicture, true);
    }
    DrawHighQuality(canvas, r, *FPictureBitmap, AOpacity, !FSmoothPicure);
  };
  for (const ui::TRect& r : rects) {
    if (!FGifSettings->Enable()) highQuality(Target, r);
    else if (FBitmap) StretchDraw(Target, r, FBitmap.get(), AOpacity);
    else StretchDraw(Target, r, &FPicture, AOpacity);
  }
  if (FDrawCache && FCached)
    for (const ui::TRect& r : rects) highQuality(CachedCanvas(), r);
}

void CImage::PictureChanged() {
  if (FAutoSize) AdjustToPicture();
  FOpaque = false;
  if (HasGraphic()) {
    // The graphic's transparency follows TransparentGraphic; only an opaque graphic that covers the
    // whole control hides what lies beneath it.
    const ui::TRect d = DestRects().front();
    FOpaque = !FTransparentGraphic && d.Left <= 0 && d.Top <= 0 && d.Right >= Width() && d.Bottom >= Height();
  }
  if (!FDrawing) Invalidate();
  ApplyGifSettings();
}

// The toolkit's pictures are still images: none takes animation settings.
void CImage::ApplyGifSettings() {}

void CImage::UpdateCache() {
  // A canvas holds on to its bitmap's size, so it goes before the bitmap changes.
  FCachedCanvas.reset();
  if (!FDrawCache) {
    FCached.reset();
    return;
  }
  if (!FCached) FCached = std::make_unique<ui::TBitmap>();
  if (FCached->Width() != Width() || FCached->Height() != Height()) FCached->SetSize(Width(), Height());
}

void CImage::BoundsChanged(int OldWidth, int OldHeight) {
  ui::TGraphicControl::BoundsChanged(OldWidth, OldHeight);
  if (FDrawCache) UpdateCache();
}

}  // namespace vel
