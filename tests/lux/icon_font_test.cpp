// The icon font: the system's where installed, otherwise the framework's own, which then draws glyphs.
#include <gtest/gtest.h>

#include <vector>

#include "lux/icon_font.h"
#include "lux/theme_manager.h"
#include "platform/canvas.h"

TEST(IconFontTest, TheFrameworksOwnFontStandsInForTheSystemOnes) {
  if (platform::FontFamilyInstalled("Segoe Fluent Icons") || platform::FontFamilyInstalled("Segoe MDL2 Assets"))
    GTEST_SKIP() << "this system has an icon font of its own";
  EXPECT_EQ(lux::IconFontFamily(), lux::FrameworkIconFontFamily);
  EXPECT_EQ(lux::ThemeManager().IconFont(), lux::FrameworkIconFontFamily);
  EXPECT_TRUE(platform::FontFamilyInstalled(lux::FrameworkIconFontFamily));
}

TEST(IconFontTest, EveryGlyphTheFrameworkUsesIsDrawn) {
  platform::TextFont font;
  font.family = lux::IconFontFamily();
  font.size = 24;
  font.sizeInPixels = true;
  ASSERT_EQ(platform::ResolveFontFamily(font.family), font.family);
  // The navigation arrows, check box and radio parts, chevrons, page and menu icons.
  const char32_t glyphs[] = {0xE003, 0xE005, 0xE73B, 0xE73C, 0xE73E, 0xE915, 0xE91F, 0xECCA, 0xECCC, 0xE70D, 0xE76C,
                             0xE734, 0xE100, 0xE101, 0xE102, 0xE10A, 0xE107, 0xE118, 0xE16F, 0xE8C6, 0xE8C8, 0xE77F,
                             0xE7A7, 0xE8B3, 0xE97C, 0xE977, 0xF259, 0xEA39, 0xEA3A, 0xE8A6, 0xF0E3, 0xF167};
  for (char32_t glyph : glyphs) {
    std::string text;
    text += static_cast<char>(0xE0 | (glyph >> 12));
    text += static_cast<char>(0x80 | ((glyph >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (glyph & 0x3F));
    std::vector<std::uint8_t> pixels(32 * 32 * 4, 0);
    platform::PixelBuffer buffer{pixels.data(), 32, 32, 32 * 4};
    {
      std::unique_ptr<platform::Canvas> canvas = platform::CreateCanvas(buffer);
      canvas->DrawText(font, text, 2, 2, 0xFF000000u);
    }
    int inked = 0;
    for (std::size_t i = 3; i < pixels.size(); i += 4) inked += pixels[i] > 128;
    EXPECT_GT(inked, 10) << std::hex << static_cast<std::uint32_t>(glyph);
  }
}

// Measurements are remembered; a font that arrives afterwards must not be answered for by what was
// measured before it was there.
TEST(IconFontTest, TextMeasuredBeforeTheFontArrivesMeasuresAsTheFontOnceItHas) {
  if (platform::FontFamilyInstalled(lux::FrameworkIconFontFamily)) GTEST_SKIP() << "the font is already there";
  platform::TextFont font;
  font.family = lux::FrameworkIconFontFamily;
  font.size = 24;
  font.sizeInPixels = true;
  const std::string arrows = "\xEE\x80\x83\xEE\x80\x83\xEE\x80\x83";  // U+E003 three times: in no text font
  std::vector<std::uint8_t> pixels(4 * 4 * 4, 0);
  platform::PixelBuffer buffer{pixels.data(), 4, 4, 4 * 4};
  auto measure = [&] { return platform::CreateCanvas(buffer)->MeasureText(font, arrows).width; };
  const double before = measure();
  EXPECT_EQ(measure(), before);
  ASSERT_EQ(lux::IconFontFamily(), lux::FrameworkIconFontFamily);  // registers the framework's font
  const double after = measure();
  EXPECT_NE(after, before);
  // What a fresh layout says, measured on a canvas off the pixel grid, where nothing is remembered.
  std::unique_ptr<platform::Canvas> offGrid = platform::CreateCanvas(buffer);
  offGrid->Translate(0.5, 0);
  EXPECT_NEAR(offGrid->MeasureText(font, arrows).width, after, 1.0);
}
