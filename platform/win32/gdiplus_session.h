// The process's GDI+ session and the font families text is drawn with, shared by the Windows canvas files.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <string>

#include "platform/canvas.h"

namespace platform::win32 {

// Starts GDI+ on first use; it shuts down when the process ends, after every font the fonts module holds.
void StartGdiplus();

// The family text in `family` is drawn with: a privately registered one first, then an installed one,
// else the fallback for a missing face. Never null while GDI+ has any font at all; owned by the fonts
// module for the life of the process.
const Gdiplus::FontFamily* DrawingFamily(const std::string& family);

// The GDI+ style bits of a font request (weight and slant; the canvas draws the lines itself) and its
// em height in pixels.
int FontStyleOf(const TextFont& font);
double EmPixels(const TextFont& font);

// Where the lines of underlined and struck-out text go, in pixels below the baseline (negative above),
// and how thick they are, from the font's own metrics.
struct Decorations {
  double underline = 0, underlineSize = 1, strikeout = 0, strikeoutSize = 1;
};
Decorations DecorationsOf(const Gdiplus::FontFamily& family, const TextFont& font);

// Whether every character of the UTF-16 text has a glyph in `family` or in a face the fallback would take.
bool FamilyHasGlyphs(const Gdiplus::FontFamily& family, const TextFont& font, const std::wstring& text);

}  // namespace platform::win32
