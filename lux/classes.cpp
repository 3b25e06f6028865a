// Padding, icon selector and the persistent bases controls expose as sub-properties.
#include "lux/classes.h"

#include <cmath>
#include <stdexcept>
#include <vector>

#include "lux/control_interface.h"
#include "lux/graphics.h"
#include "lux/theme_manager.h"

namespace lux {

namespace {

// One UTF-8 sequence per entry, so layered glyphs are drawn one code point at a time.
std::vector<std::string> SplitCharacters(const std::string& Text) {
  std::vector<std::string> result;
  for (std::size_t i = 0; i < Text.size();) {
    std::size_t n = 1;
    const auto lead = static_cast<unsigned char>(Text[i]);
    if (lead >= 0xF0) n = 4;
    else if (lead >= 0xE0) n = 3;
    else if (lead >= 0xC0) n = 2;
    result.push_back(Text.substr(i, n));
    i += n;
  }
  return result;
}

}  // namespace

void FXPadding::SetLeft(std::int32_t Value) { FLeft = Value; Changed(); }
void FXPadding::SetTop(std::int32_t Value) { FTop = Value; Changed(); }
void FXPadding::SetRight(std::int32_t Value) { FRight = Value; Changed(); }
void FXPadding::SetBottom(std::int32_t Value) { FBottom = Value; Changed(); }

void FXPadding::Changed() {
  if (auto* control = dynamic_cast<FXControl*>(Owner()); control && !control->IsLoading()) control->UpdateTheme(true);
  if (OnChange) OnChange(*this);
}

TRect FXPadding::ApplyTo(const TRect& ARect) const {
  return TRect{ARect.Left + FLeft, ARect.Top + FTop, ARect.Right - FRight, ARect.Bottom - FBottom};
}

void FXPadding::ScaleChanged(float Scaling) {
  for (std::int32_t* v : {&FLeft, &FTop, &FRight, &FBottom}) *v = static_cast<std::int32_t>(std::trunc(*v * Scaling));
}

void FXPadding::Assign(const TAssignPersistent& Source) {
  const auto* source = dynamic_cast<const FXPadding*>(&Source);
  if (!source) throw std::invalid_argument("Cannot assign to FXPadding");
  // Property by property in name order, each notifying as a written property does.
  SetBottom(source->FBottom);
  SetLeft(source->FLeft);
  SetRight(source->FRight);
  SetTop(source->FTop);
}

FXIconSelect::FXIconSelect(ui::TComponent* AOwner)
    : TMPersistent(AOwner), FPicture(std::make_unique<ui::TPicture>()), FBitMap(std::make_unique<ui::TBitmap>()) {}

void FXIconSelect::SetSelectPicture(const ui::TPicture& Value) {
  if (!FPicture) FPicture = std::make_unique<ui::TPicture>();
  *FPicture = Value;
  Changed(FXIconType::Image);
}

void FXIconSelect::SetSelectBitmap(const ui::TBitmap& Value) {
  if (!FBitMap) FBitMap = std::make_unique<ui::TBitmap>();
  *FBitMap = Value;
  Changed(FXIconType::BitMap);
}

void FXIconSelect::SetSelectSegoe(const std::string& Value) {
  FSegoeText = Value;
  Changed(FXIconType::SegoeIcon);
}

void FXIconSelect::SetSelectImageIndex(std::int32_t Value) {
  FImageIndex = Value;
  Changed(FXIconType::ImageList);
}

void FXIconSelect::Changed(FXIconType Kind) {
  if (Kind != FType) return;
  if (auto* control = dynamic_cast<ui::TControl*>(Owner())) control->Invalidate();
}

void FXIconSelect::Assign(const FXIconSelect& Source) {
  FEnabled = Source.FEnabled;
  FType = Source.FType;
  *FPicture = *Source.FPicture;
  *FBitMap = *Source.FBitMap;
  FSegoeText = Source.FSegoeText;
  FImageIndex = Source.FImageIndex;
}

void FXIconSelect::DrawIcon(ui::TCanvas& Canvas, const TRect& ARectangle) const {
  switch (FType) {
    case FXIconType::Image:
      DrawGraphicInRect(Canvas, ARectangle, FPicture->Bitmap(), TDrawMode::CenterFit, 0);
      break;
    case FXIconType::BitMap:
      DrawGraphicInRect(Canvas, ARectangle, *FBitMap, TDrawMode::CenterFit, 0);
      break;
    case FXIconType::SegoeIcon: {
      const std::vector<std::string> glyphs = SplitCharacters(FSegoeText);
      if (glyphs.empty()) break;
      const ui::TFont saved = Canvas.Font;
      Canvas.Font.SetName(ThemeManager().IconFont());
      GetMaxFontHeight(Canvas, glyphs.front(), ARectangle.Width(), ARectangle.Height());
      for (const std::string& glyph : glyphs) {
        const ui::TSize size = Canvas.TextExtent(glyph);
        Canvas.TextOut(ARectangle.Left + (ARectangle.Width() - size.cx) / 2,
                       ARectangle.Top + (ARectangle.Height() - size.cy) / 2, glyph);
      }
      Canvas.Font = saved;
      break;
    }
    case FXIconType::ImageList:
      break;
  }
}

}  // namespace lux
