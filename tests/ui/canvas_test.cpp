// Painting on bitmaps through the canvas: shapes, antialiasing, clipping, images, text, fonts, PNG.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "drawing.h"
#include "platform/canvas.h"
#include "png_writer.h"
#include "ui/canvas.h"
#include "ui/picture.h"

namespace {

using ui::TBitmap;
using ui::TCanvas;

class Canvas : public testing::Test {};

int CountPixels(const TBitmap& b, const std::function<bool(ui::TAlphaColor)>& match) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) n += match(b.Color(x, y));
  return n;
}

TEST_F(Canvas, FillRectCoversExactlyItsPixels) {
  TBitmap bitmap(10, 10);
  {
    TCanvas canvas(bitmap);
    canvas.BrushColor = 0xFF336699;
    canvas.FillRect({2, 3, 7, 8});
  }
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 7 && y >= 3 && y < 8;
      EXPECT_EQ(bitmap.Color(x, y), inside ? 0xFF336699u : 0u) << x << "," << y;
    }
}

// A group's outline is one pixel on each edge of its box, the right and bottom ones too, and inside
// a clip as tight as the box (a control paints its own client rectangle).
TEST_F(Canvas, FrameRectDrawsEveryEdgePixelOfItsBox) {
  for (const bool clipped : {false, true}) {
    TBitmap bitmap(12, 10);
    {
      TCanvas canvas(bitmap);
      canvas.Pen.Color = 0xFF336699;
      if (clipped) canvas.ClipRect({2, 3, 9, 8});
      canvas.FrameRect({2, 3, 9, 8});
    }
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 12; ++x) {
        const bool inside = x >= 2 && x < 9 && y >= 3 && y < 8;
        const bool edge = inside && (x == 2 || x == 8 || y == 3 || y == 7);
        EXPECT_EQ(bitmap.Color(x, y), edge ? 0xFF336699u : 0u) << x << "," << y << (clipped ? " clipped" : "");
      }
  }
}

TEST_F(Canvas, TranslucentBrushIsPremultipliedInTheBuffer) {
  TBitmap bitmap(2, 2);
  TCanvas canvas(bitmap);
  canvas.BrushColor = 0x80FF0000;
  canvas.FillRect({0, 0, 2, 2});
  EXPECT_NEAR(int(bitmap.Pixel(0, 0) >> 24), 0x80, 1);
  EXPECT_NEAR(int((bitmap.Pixel(0, 0) >> 16) & 0xFF), 0x80, 1);
}

TEST_F(Canvas, EllipseEdgesAreAntialiasedAndCentreIsSolid) {
  for (bool antialias : {true, false}) {
    TBitmap bitmap(40, 40);
    TCanvas canvas(bitmap);
    canvas.BrushColor = 0xFF000000;
    canvas.Pen.Width = 0;
    canvas.Painter().SetAntialias(antialias);
    canvas.Ellipse(0, 0, 40, 40);
    EXPECT_EQ(bitmap.Color(20, 20), 0xFF000000u);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0u);  // the corner lies outside the circle
    double covered = 0;
    CountPixels(bitmap, [&](ui::TAlphaColor c) { return covered += (c >> 24) / 255.0, false; });
    // A circle, not a box or a lens; hard edges may come out up to half a pixel smaller.
    EXPECT_NEAR(covered, 3.14159 * 20 * 20, 70) << "antialias " << antialias;
    const int partial = CountPixels(bitmap, [](ui::TAlphaColor c) { return (c >> 24) > 0 && (c >> 24) < 255; });
    if (!antialias) {
      EXPECT_EQ(partial, 0);  // hard edges when asked for
    } else if (testsupport::ShapesAntialiased()) {
      EXPECT_GT(partial, 40);  // the rim is made of partly covered pixels
    }
  }
}

TEST_F(Canvas, RoundRectCornersAreCutByTheirRadius) {
  TBitmap bitmap(30, 20);
  TCanvas canvas(bitmap);
  canvas.BrushColor = 0xFFFFFFFF;
  canvas.Pen.Width = 0;
  canvas.RoundRect(0, 0, 30, 20, 8, 8);
  EXPECT_EQ(bitmap.Pixel(0, 0), 0u);
  EXPECT_EQ(bitmap.Pixel(29, 19), 0u);
  EXPECT_EQ(bitmap.Color(15, 0), 0xFFFFFFFFu);  // the straight top edge is full
  EXPECT_EQ(bitmap.Color(0, 10), 0xFFFFFFFFu);
}

TEST_F(Canvas, PenOutlineIsCentredOnTheEdge) {
  TBitmap bitmap(20, 20);
  TCanvas canvas(bitmap);
  canvas.Pen = {0xFF00FF00, 2};
  canvas.RoundRect(4, 4, 12, 12, 0, 0, /*fill=*/false);
  EXPECT_EQ(bitmap.Color(3, 10), 0xFF00FF00u);  // one pixel outside
  EXPECT_EQ(bitmap.Color(4, 10), 0xFF00FF00u);  // one pixel inside
  EXPECT_EQ(bitmap.Pixel(2, 10), 0u);
  EXPECT_EQ(bitmap.Pixel(10, 10), 0u);  // not filled
}

TEST_F(Canvas, ClipAndStateGuardRestoreTheWholeCanvas) {
  TBitmap bitmap(10, 10);
  TCanvas canvas(bitmap);
  canvas.BrushColor = 0xFF0000FF;
  {
    ui::TCanvasState state(canvas);
    canvas.ClipRect({0, 0, 5, 10});
    canvas.BrushColor = 0xFFFF0000;
    canvas.FillRect({0, 0, 10, 10});
  }
  EXPECT_EQ(canvas.BrushColor, 0xFF0000FFu);
  EXPECT_EQ(bitmap.Color(4, 4), 0xFFFF0000u);
  EXPECT_EQ(bitmap.Pixel(5, 4), 0u);
  canvas.FillRect({5, 0, 10, 10});  // the clip is gone again
  EXPECT_EQ(bitmap.Color(9, 9), 0xFF0000FFu);
}

TEST_F(Canvas, ShrunkImagesAverageWhatEachPixelCovers) {
  TBitmap stripes(4, 2);  // red and blue columns in turn
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) stripes.ScanLine(y)[x] = x % 2 ? 0xFF0000FF : 0xFFFF0000;
  TBitmap bitmap(2, 1);
  TCanvas canvas(bitmap);
  canvas.StretchDraw({0, 0, 2, 1}, stripes);
  for (int x : {0, 1}) {  // each target pixel covers one red and one blue column, not just one of them
    EXPECT_NEAR(int(ui::RedOf(bitmap.Color(x, 0))), 128, 24) << x;
    EXPECT_NEAR(int(ui::BlueOf(bitmap.Color(x, 0))), 128, 24) << x;
  }
}

TEST_F(Canvas, ImagesDrawScaledAndWithOpacity) {
  TBitmap image(2, 2);
  image.Fill(0xFFFF0000);
  TBitmap bitmap(10, 10);
  bitmap.Fill(0xFF0000FF);
  TCanvas canvas(bitmap);
  canvas.StretchDraw({0, 0, 6, 6}, image);
  canvas.Draw(8, 8, image, 0.5);
  EXPECT_EQ(bitmap.Color(5, 5), 0xFFFF0000u);
  EXPECT_EQ(bitmap.Color(6, 6), 0xFF0000FFu);
  const ui::TAlphaColor mixed = bitmap.Color(9, 9);
  EXPECT_NEAR(int(ui::RedOf(mixed)), 128, 2);
  EXPECT_NEAR(int(ui::BlueOf(mixed)), 127, 2);
}

TEST_F(Canvas, TextDrawsInItsColourAndMeasuresByLength) {
  TBitmap bitmap(200, 40);
  TCanvas canvas(bitmap);
  canvas.Font.SetSize(12);
  canvas.Font.SetColor(0xFFFF0000);
  const ui::TSize shortText = canvas.TextExtent("Hi");
  const ui::TSize longText = canvas.TextExtent("Hi there, installer");
  EXPECT_GT(shortText.cx, 0);
  EXPECT_GT(longText.cx, shortText.cx * 3);
  EXPECT_EQ(longText.cy, shortText.cy);
  EXPECT_GE(shortText.cy, 16);  // 12 pt is 16 px of em, the line a little more

  canvas.TextOut(4, 4, "Hi there");
  const int red = CountPixels(bitmap, [](ui::TAlphaColor c) { return c == 0xFFFF0000; });
  const int other = CountPixels(bitmap, [](ui::TAlphaColor c) {
    return (c >> 24) != 0 && (ui::GreenOf(c) > 8 || ui::BlueOf(c) > 8);
  });
  EXPECT_GT(red, 20);
  EXPECT_EQ(other, 0);  // antialiased text keeps its hue; only coverage varies
}

TEST_F(Canvas, BoldTextIsWiderThanRegular) {
  TBitmap bitmap(1, 1);
  TCanvas canvas(bitmap);
  const int regular = canvas.TextWidth("Installation");
  canvas.Font.SetStyle({.Bold = true});
  EXPECT_GT(canvas.TextWidth("Installation"), regular);
  canvas.Font.SetStyle({});
  canvas.Font.SetHeight(24);
  EXPECT_GT(canvas.TextWidth("Installation"), regular);
}

// The ink's bounds (alpha above one half) as left, top, right, bottom, inclusive; left > right when blank.
ui::TRect InkBounds(const TBitmap& b) {
  ui::TRect ink{b.Width(), b.Height(), -1, -1};
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if ((b.Pixel(x, y) >> 24) > 128) ink = {std::min(ink.Left, x), std::min(ink.Top, y), std::max(ink.Right, x), std::max(ink.Bottom, y)};
  return ink;
}

TEST_F(Canvas, TextInkSitsInItsMeasuredBoxOnTheBaseline) {
  platform::TextFont font;
  font.size = 20;
  font.sizeInPixels = true;
  const double x = 10, y = 8;
  TBitmap bitmap(160, 50);
  TCanvas canvas(bitmap);
  const platform::TextExtent box = canvas.Painter().MeasureText(font, "HHHH");
  EXPECT_GT(box.baseline, box.height / 2);
  EXPECT_LT(box.baseline, box.height);
  canvas.Painter().DrawText(font, "HHHH", x, y, 0xFF000000);
  const ui::TRect ink = InkBounds(bitmap);
  EXPECT_GE(ink.Left, x);
  EXPECT_LE(ink.Right, x + box.width);
  EXPECT_GE(ink.Top, y);
  EXPECT_NEAR(ink.Bottom + 1, y + box.baseline, 1);  // capitals stand on the baseline
  EXPECT_GT(ink.Right - ink.Left, box.width * 0.8);

  // Full stops ink only a dot on the baseline: what the lines add is the line alone, below the baseline
  // or well above it, about as long as the measured text.
  const std::string dots = "......";
  const platform::TextExtent dotted = canvas.Painter().MeasureText(font, dots);
  TBitmap plain(160, 50);
  {
    TCanvas plainCanvas(plain);
    plainCanvas.Painter().DrawText(font, dots, x, y, 0xFF000000);
  }
  for (bool underline : {true, false}) {
    bitmap.Fill(0);
    platform::TextFont lined = font;
    lined.underline = underline;
    lined.strikeout = !underline;
    canvas.Painter().DrawText(lined, dots, x, y, 0xFF000000);
    for (int py = 0; py < bitmap.Height(); ++py)
      for (int px = 0; px < bitmap.Width(); ++px)
        if ((plain.Pixel(px, py) >> 24) > 128) bitmap.SetPixel(px, py, 0);
    const ui::TRect rule = InkBounds(bitmap);
    ASSERT_LE(rule.Left, rule.Right) << "underline " << underline;
    EXPECT_GE(rule.Left, x - 1);
    EXPECT_LE(rule.Right, x + dotted.width + 1);
    EXPECT_GT(rule.Right - rule.Left, dotted.width * 0.7) << "underline " << underline;
    EXPECT_LE(rule.Bottom - rule.Top, 3);
    if (underline) {
      EXPECT_GE(rule.Top, y + dotted.baseline - 0.5);
    } else {
      EXPECT_LT(rule.Bottom, y + dotted.baseline - 2);
      EXPECT_GT(rule.Top, y + dotted.baseline - dotted.height * 0.6);
    }
  }
}

TEST_F(Canvas, HasGlyphsAnswersForTheFontWithItsFallbacks) {
  TBitmap bitmap(1, 1);
  TCanvas canvas(bitmap);
  // U+0378 is unassigned: no font draws it, so any text holding it has a missing glyph.
  const struct {
    std::string text;
    bool drawn;
  } cases[] = {{"Install", true}, {"", true}, {"\xCD\xB8", false}, {"Install \xCD\xB8 now", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(canvas.HasGlyphs(c.text), c.drawn) << c.text;
    canvas.Font.SetStyle({.Bold = true});
    EXPECT_EQ(canvas.HasGlyphs(c.text), c.drawn) << "bold " << c.text;
    canvas.Font.SetStyle({});
  }
}

TEST_F(Canvas, MissingFacesResolveToAnInstalledSansFamilyThatDraws) {
  for (const std::string wanted : {"Segoe UI", "No Such Face 1234"}) {
    const std::string family = platform::ResolveFontFamily(wanted);
    EXPECT_FALSE(family.empty()) << wanted;
    EXPECT_NE(family, wanted);
    EXPECT_EQ(family.find("Serif"), std::string::npos) << family;
    EXPECT_FALSE(platform::FontFamilyInstalled(wanted));
    EXPECT_TRUE(platform::FontFamilyInstalled(family)) << family;
    TBitmap bitmap(60, 30);
    TCanvas canvas(bitmap);
    canvas.Font.SetName(wanted);
    canvas.TextOut(2, 2, "Setup");
    EXPECT_GT(CountPixels(bitmap, [](ui::TAlphaColor c) { return (c >> 24) > 128; }), 20) << wanted;
  }
}

TEST_F(Canvas, AnEmptyBitmapMeasuresTextAndDrawsNowhere) {
  TBitmap bitmap(0, 0);
  TCanvas canvas(bitmap);
  EXPECT_GT(canvas.TextWidth("Install"), 10);
  canvas.FillRect({0, 0, 5, 5});
  canvas.TextOut(0, 0, "Install");
}

TEST_F(Canvas, ClearReplacesThePixelsInsideTheClipOnly) {
  TBitmap bitmap(10, 10);
  bitmap.Fill(0xFF00FF00);
  TCanvas canvas(bitmap);
  canvas.Painter().Translate(3, 3);  // the clip, not the offset, bounds a clear
  canvas.ClipRect({-3, -3, -1, 4});  // pixels 0 to 1 across, 0 to 6 down
  canvas.Painter().Clear(0x80FF0000);
  EXPECT_EQ(bitmap.Pixel(0, 0), ui::Premultiply(0x80FF0000));  // replaced, not blended over green
  EXPECT_EQ(bitmap.Pixel(1, 6), ui::Premultiply(0x80FF0000));
  EXPECT_EQ(bitmap.Color(2, 0), 0xFF00FF00u);
  EXPECT_EQ(bitmap.Color(0, 7), 0xFF00FF00u);
}

TEST_F(Canvas, PngLogoLoadsAsAPremultipliedBitmap) {
  ui::TPicture picture;
  picture.LoadFromFile(UI_TEST_LOGO);
  EXPECT_EQ(picture.Width(), 96);
  EXPECT_EQ(picture.Height(), 96);
  int visible = 0;
  bool premultiplied = true;
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 96; ++x) {
      const ui::TPixel p = picture.Bitmap().Pixel(x, y);
      visible += (p >> 24) != 0;
      for (int shift : {16, 8, 0}) premultiplied &= ((p >> shift) & 0xFF) <= (p >> 24);
    }
  EXPECT_GT(visible, 96 * 96 / 10);
  EXPECT_TRUE(premultiplied);
}

TEST_F(Canvas, PngSamplesAreUnfilteredAndDeinterlacedAsTheFileHoldsThem) {
  testsupport::TPngFile file;
  file.width = 11;  // every interlace pass holds pixels, and rows outgrow one filter cycle
  file.height = 10;
  for (int i = 0; i < file.width * file.height * 4; ++i) file.samples.push_back(static_cast<std::uint8_t>(i * 37 + i / 7));
  for (bool interlaced : {false, true}) {
    file.interlaced = interlaced;
    const std::vector<std::uint8_t> png = testsupport::WritePng(file);
    ui::TPicture picture;
    picture.LoadFromMemory(png.data(), png.size());
    EXPECT_EQ(picture.ColorType(), ui::TPngColorType::TrueColorAlpha);
    EXPECT_EQ(picture.BitDepth(), 8);
    for (int y = 0; y < file.height; ++y) {
      ASSERT_NE(picture.Samples(y), nullptr);
      const std::uint8_t* expected = file.samples.data() + y * file.width * 4;
      EXPECT_TRUE(std::equal(expected, expected + file.width * 4, picture.Samples(y))) << "row " << y << " interlaced " << interlaced;
      for (int x = 0; x < file.width; ++x) {  // the decoded bitmap agrees
        const std::uint8_t* p = expected + x * 4;
        EXPECT_EQ(picture.Bitmap().Pixel(x, y), ui::Premultiply(ui::MakeColor(p[0], p[1], p[2], p[3])));
      }
    }
  }

  file = {};  // other depths are decoded but keep no samples
  file.bitDepth = 16;
  file.samples.assign(8, 0xFF);
  const std::vector<std::uint8_t> deep = testsupport::WritePng(file);
  ui::TPicture picture;
  picture.LoadFromMemory(deep.data(), deep.size());
  EXPECT_EQ(picture.BitDepth(), 16);
  EXPECT_EQ(picture.Samples(0), nullptr);
  EXPECT_EQ(picture.Bitmap().Pixel(0, 0), 0xFFFFFFFFu);
}

TEST_F(Canvas, PngOfOtherDataIsRejected) {
  ui::TPicture picture;
  try {
    picture.LoadFromMemory("GIF89a....", 10);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Not a PNG picture");
  }
}

}  // namespace
