// Small pieces both installer windows build with: a font at a pixel size, an icon-font glyph, and a
// read-only text view painted in TextColor.
#pragma once

#include "lux/classes.h"
#include "lux/text_view.h"
#include "ui/font.h"

namespace installer {

ui::TFont Sized(ui::TFont Font, double Pixels);
// One or more characters of the icon font, drawn over each other.
lux::FXIconSelect Glyph(const char* Text);
// The view does not follow the theme by itself: its text takes TextColor on the given background (the
// window's), which custom colours would otherwise replace too.
void PaintInTextColor(lux::FXTextView& View, lux::TColor Background);

}  // namespace installer
