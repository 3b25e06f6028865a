// Pieces the installer's windows share.
#include "installer/window_parts.h"

#include "installer/state.h"

namespace installer {

ui::TFont Sized(ui::TFont Font, double Pixels) {
  Font.SetHeight(Pixels);
  return Font;
}

lux::FXIconSelect Glyph(const char* Text) {
  lux::FXIconSelect icon(nullptr);
  icon.SetIconType(lux::FXIconType::SegoeIcon);
  icon.SetSelectSegoe(Text);
  icon.SetEnabled(true);
  return icon;
}

void PaintInTextColor(lux::FXTextView& View, lux::TColor Background) {
  lux::FXColorSets& colors = View.CustomColors();
  colors.SetDarkForeGround(TextColor);
  colors.SetLightForeGround(TextColor);
  colors.SetDarkBackGround(Background);
  colors.SetLightBackGround(Background);
  colors.SetEnabled(true);
  View.UpdateTheme(false);
}

}  // namespace installer
