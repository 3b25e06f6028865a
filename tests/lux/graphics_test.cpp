// The drawing helpers: draw-mode placement, wrapping rules, text layout, glyph sizing, layered shapes, blurs.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "lux/graphics.h"
#include "lux/shapes.h"
#include "loop_clock.h"
#include "png_writer.h"
#include "ui/application.h"

namespace {

using lux::FXTextFlag;
using lux::FXTextFlags;
using lux::TDrawMode;
using lux::TRect;
using ui::TBitmap;
using ui::TCanvas;
using Lines = std::vector<std::string>;

class Drawing : public testing::Test {};

std::uint8_t Alpha(const TBitmap& b, int x, int y) { return b.Pixel(x, y) >> 24; }

// The rows that hold any ink, as [first, last]; {-1, -1} when none does.
std::pair<int, int> InkRows(const TBitmap& b) {
  int first = -1, last = -1;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Pixel(x, y) >> 24) {
        if (first < 0) first = y;
        last = y;
        break;
      }
  return {first, last};
}

std::pair<int, int> InkColumns(const TBitmap& b) {
  int first = -1, last = -1;
  for (int x = 0; x < b.Width(); ++x)
    for (int y = 0; y < b.Height(); ++y)
      if (b.Pixel(x, y) >> 24) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

TEST(DrawModeRects, EachModePlacesTheGraphicAsTabled) {
  struct Case {
    TDrawMode mode;
    TRect rect;
    int gw, gh, inset;
    std::vector<TRect> expected;
  };
  const std::vector<Case> cases = {
      {TDrawMode::Fill, {0, 0, 40, 40}, 100, 50, 0, {{0, 0, 80, 40}}},
      {TDrawMode::Fill, {10, 20, 50, 60}, 50, 100, 0, {{10, 20, 50, 100}}},
      {TDrawMode::Fit, {0, 0, 40, 40}, 100, 50, 0, {{0, 0, 40, 20}}},
      {TDrawMode::Fit, {0, 0, 40, 40}, 30, 90, 0, {{0, 0, 13, 40}}},
      {TDrawMode::Stretch, {3, 4, 40, 40}, 100, 50, 0, {{3, 4, 40, 40}}},
      {TDrawMode::Center, {0, 0, 40, 40}, 15, 9, 0, {{13, 16, 27, 24}}},
      {TDrawMode::CenterFill, {0, 0, 40, 40}, 100, 50, 0, {{-20, 0, 60, 40}}},
      {TDrawMode::Center3Fill, {0, 0, 40, 40}, 100, 50, 0, {{-13, 0, 67, 40}}},
      {TDrawMode::CenterFit, {0, 0, 40, 40}, 100, 50, 0, {{0, 10, 40, 30}}},
      {TDrawMode::Normal, {5, 7, 50, 50}, 16, 16, 0, {{5, 7, 21, 23}}},
      {TDrawMode::Normal, {5, 7, 50, 50}, 16, 16, 2, {{7, 9, 19, 21}}},
      {TDrawMode::Tile,
       {0, 0, 40, 25},
       16,
       16,
       0,
       {{0, 0, 16, 16}, {16, 0, 32, 16}, {32, 0, 48, 16}, {0, 16, 16, 32}, {16, 16, 32, 32}, {32, 16, 48, 32}}},
      // The tiling bounds are the width and height, so an offset rectangle still gets its one tile.
      {TDrawMode::Tile, {30, 0, 40, 10}, 16, 16, 0, {{30, 0, 46, 16}}},
      {TDrawMode::Fill, {0, 0, 40, 40}, 0, 50, 0, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(lux::GetDrawModeRects(c.rect, c.gw, c.gh, c.mode, c.inset), c.expected)
        << "mode " << static_cast<int>(c.mode) << ", graphic " << c.gw << "x" << c.gh;
  EXPECT_TRUE(lux::GetDrawModeRects({0, 0, 9, 9}, TBitmap(), TDrawMode::Stretch, 0).empty());
}

TEST(DrawInvert, XorsTheColourKeepsTheTargetsAlphaAndUndoesItself) {
  TBitmap caret(2, 3);
  caret.Fill(0xFFFFFFFF);
  TBitmap target(6, 6);
  target.Fill(0xFF102030);
  lux::DrawInvert(caret, target, {4, 1, 10, 3});  // cut by the target's edge and the rectangle's bottom
  EXPECT_EQ(target.Pixel(4, 1), 0xFFEFDFCFu);
  EXPECT_EQ(target.Pixel(5, 2), 0xFFEFDFCFu);
  EXPECT_EQ(target.Pixel(4, 3), 0xFF102030u);
  EXPECT_EQ(target.Pixel(3, 1), 0xFF102030u);
  lux::DrawInvert(caret, target, {4, 1, 10, 3});
  EXPECT_EQ(target.Pixel(4, 1), 0xFF102030u);

  // A caret on a white field is black there, not a hole showing whatever lies beneath the field.
  TBitmap field(4, 4);
  field.Fill(0xFFFFFFFF);
  lux::DrawInvert(caret, field, {1, 0, 3, 3});
  EXPECT_EQ(field.Pixel(1, 1), 0xFF000000u);
  TBitmap shown(4, 4);
  shown.Fill(0xFF3366CC);  // the form beneath
  shown.Draw(field, 0, 0);
  EXPECT_EQ(shown.Pixel(1, 1), 0xFF000000u);
  EXPECT_EQ(shown.Pixel(0, 1), 0xFFFFFFFFu);

  // Over a translucent pixel the inverted colour stays within its alpha.
  TBitmap half(1, 1);
  half.SetPixel(0, 0, 0x80200000u);
  lux::DrawInvert(caret, half, {0, 0, 1, 1});
  EXPECT_EQ(half.Pixel(0, 0), 0x80808080u);
}

TEST(SplitBySeparators, KeepsEmptyPiecesAndTheTail) {
  const std::vector<std::pair<std::string, Lines>> cases = {
      {"a b", {"a", "b"}}, {"a  b", {"a", "", "b"}}, {" a ", {"", "a", ""}}, {"abc", {"abc"}}, {"", {""}},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(lux::SplitBySeparators(text, {" "}), expected) << text;
}

// Ten pixels a byte keeps the arithmetic of the wrapping rules readable.
std::int32_t TenPerChar(const std::string& s) { return static_cast<std::int32_t>(s.size()) * 10; }

TEST(WrapTextLines, FollowsTheFrameworksOwnRules) {
  struct Case {
    std::string text;
    int width;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {"aa bb cc", 45, {"aa ", "bb ", "cc"}},     // trailing spaces stay with their word
      {"aa bb cc", 60, {"aa bb ", "cc"}},         // a word fitting exactly stays on the line
      {"abcdefgh ij", 50, {"", "abcdefgh ", "ij"}},  // an over-wide first word leaves an empty first line
      {"ab\rcd", 100, {"ab", "cd"}},
      {"ab \r cd", 100, {"ab ", " cd"}},
      {"\r\r", 100, {"", "", ""}},
      {"a\nb", 100, {"a\nb"}},  // only the carriage return breaks lines
      {"a   b", 100, {"a   b"}},
      {"a   b", 25, {"a ", "  ", "b"}},
      {"", 100, {""}},
  };
  for (const Case& c : cases) EXPECT_EQ(lux::WrapTextLines(TenPerChar, c.text, {0, 0, c.width, 50}), c.expected) << c.text;
}

TEST(GaussianKernel, TruncatesWhereTheTailsWeighLessThanOneIn510) {
  const std::vector<std::pair<double, int>> sizes = {{0.5, 1}, {1, 2}, {3, 8}, {8, 24}, {20, 48}};
  for (const auto& [radius, size] : sizes) {
    const lux::FXGaussianKernel k = lux::MakeGaussianKernel(radius);
    EXPECT_EQ(k.Size, size) << radius;
    double sum = 0;
    for (int j = -k.Size; j <= k.Size; ++j) sum += k.Weight(j);
    EXPECT_NEAR(sum, 1.0, 1e-5) << radius;
    EXPECT_FLOAT_EQ(k.Weight(-1), k.Weight(1));
    EXPECT_GT(k.Weight(0), k.Weight(1));
  }
}

TEST(BlurRow, FlatRunsStayFlatUpToTheEdges) {
  const lux::FXGaussianKernel k = lux::MakeGaussianKernel(3);
  for (std::uint8_t value : {0, 100, 200, 255}) {
    std::vector<std::uint8_t> row(12 * 3, value);
    lux::BlurRow(k, row.data(), 12);
    for (std::size_t i = 0; i < row.size(); ++i) ASSERT_EQ(row[i], value) << int(value) << " at byte " << i;
  }
}

TEST(BlurRow, SpreadsOnlyWithinTheKernelAndUsesUnblurredNeighbours) {
  const lux::FXGaussianKernel k = lux::MakeGaussianKernel(1);  // Size 2
  std::vector<std::uint8_t> row(11 * 3, 0);
  row[5 * 3 + 2] = 255;  // one red pixel in the middle
  lux::BlurRow(k, row.data(), 11);
  EXPECT_EQ(row[4 * 3 + 2], row[6 * 3 + 2]);
  EXPECT_GT(row[4 * 3 + 2], row[3 * 3 + 2]);
  EXPECT_GT(row[3 * 3 + 2], 0);
  EXPECT_EQ(row[2 * 3 + 2], 0);  // beyond the kernel
  EXPECT_EQ(row[4 * 3 + 1], 0);  // channels stay apart
  // A value read back after being written would have spread further to the right than to the left.
  EXPECT_EQ(row[7 * 3 + 2], row[3 * 3 + 2]);
}

TEST(GaussianBlur, BlursRowsThenColumnsSymmetrically) {
  lux::FXBitmap24 b(9, 9);
  b.Pixel(4, 4)[0] = 255;
  lux::GaussianBlur(b, 1);
  const int centre = b.Pixel(4, 4)[0];
  EXPECT_LT(centre, 255);
  for (auto [x, y] : std::vector<std::pair<int, int>>{{3, 4}, {5, 4}, {4, 3}, {4, 5}})
    EXPECT_EQ(b.Pixel(x, y)[0], b.Pixel(3, 4)[0]) << x << "," << y;
  EXPECT_GT(b.Pixel(3, 4)[0], b.Pixel(3, 3)[0]);
  EXPECT_GT(b.Pixel(3, 3)[0], 0);
  EXPECT_EQ(b.Pixel(0, 0)[0], 0);
}

TEST(GaussianBlur, RefusesBitmapsWithAlpha) {
  TBitmap b(4, 4);
  b.Fill(0xFF808080);
  try {
    lux::GaussianBlur(b, 2);
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "GaussianBlur only works for 24-bit bitmaps");
  }
  EXPECT_EQ(b.Color(0, 0), 0xFF808080u);
}

TEST(FastBlur, WorksOnACopyShrunkByTheDownscaleButNotBelowFourPixels) {
  EXPECT_EQ(lux::FastBlurCopySize(30, 30, 10), (ui::TSize{4, 4}));
  EXPECT_EQ(lux::FastBlurCopySize(200, 100, 8), (ui::TSize{25, 12}));
  EXPECT_EQ(lux::FastBlurCopySize(7, 50, 0), (ui::TSize{7, 50}));
}

TEST(FastBlur, LeavesNoFringeAtTheBordersAndSoftensEdges) {
  for (bool highQuality : {false, true}) {
    TBitmap flat(37, 23);
    flat.Fill(0xFF0AC85A);
    lux::FastBlur(flat, 3, 4, highQuality);
    for (int y = 0; y < flat.Height(); ++y)
      for (int x = 0; x < flat.Width(); ++x) ASSERT_EQ(flat.Color(x, y), 0xFF0AC85Au) << x << "," << y;

    TBitmap step(40, 8);
    step.Fill(0xFF000000);
    step.FillRect({20, 0, 40, 8}, 0xFFFFFFFF);
    lux::FastBlur(step, 1, 2, highQuality);
    const int left = ui::RedOf(step.Color(0, 4)), before = ui::RedOf(step.Color(19, 4));
    const int after = ui::RedOf(step.Color(20, 4)), right = ui::RedOf(step.Color(39, 4));
    EXPECT_LT(left, 10);
    EXPECT_GT(right, 245);
    EXPECT_GT(before, left);   // the edge has softened on both sides
    EXPECT_LT(after, right);
    EXPECT_EQ(ui::AlphaOf(step.Color(0, 0)), 255);
  }
}

TEST(ShapeLayer, IsTheShapeGrownByTheTruncatedPenWidth) {
  const lux::FXPen pen2{0xFF000000, 2}, pen27{0xFF000000, 2.7};
  EXPECT_EQ(lux::ShapeLayerBounds({10, 10, 50, 30}, &pen2), ui::Bounds(8, 8, 44, 24));
  EXPECT_EQ(lux::ShapeLayerBounds({10, 10, 50, 30}, &pen27), ui::Bounds(8, 8, 44, 24));
  EXPECT_EQ(lux::ShapeLayerBounds({10, 10, 50, 30}, nullptr), (TRect{10, 10, 50, 30}));
  EXPECT_EQ(lux::ShapeLayerBounds({10, 10, 5, 5}, &pen2), ui::Bounds(8, 8, 0, 0));
}

TEST_F(Drawing, PenTwoOutlineFallsInsideItsLayerAndBlendsOverTheTarget) {
  TBitmap target(60, 40);
  target.Fill(0xFF0000FF);
  TCanvas canvas(target);
  const lux::FXPen pen{0xFFFF0000, 2};
  lux::GDIRectangle(canvas, {10, 10, 50, 30}, nullptr, &pen);
  EXPECT_EQ(target.Color(9, 20), 0xFFFF0000u);  // the pen's outer half
  EXPECT_EQ(target.Color(10, 20), 0xFFFF0000u);
  EXPECT_EQ(target.Color(49, 20), 0xFFFF0000u);
  EXPECT_EQ(target.Color(50, 20), 0xFFFF0000u);
  EXPECT_EQ(target.Color(8, 20), 0xFF0000FFu);
  EXPECT_EQ(target.Color(30, 20), 0xFF0000FFu);  // no brush, no fill

  lux::GDIFillRect(canvas, {20, 15, 30, 25}, 0x0000FF /* red as a TColor */, 128);
  const ui::TAlphaColor mixed = target.Color(25, 20);
  EXPECT_EQ(ui::AlphaOf(mixed), 255);
  EXPECT_NEAR(int(ui::RedOf(mixed)), 128, 2);
  EXPECT_NEAR(int(ui::BlueOf(mixed)), 127, 2);
  EXPECT_EQ(target.Color(19, 20), 0xFF0000FFu);
}

TEST_F(Drawing, LayersHonourTheCanvasClip) {
  TBitmap target(20, 20);
  TCanvas canvas(target);
  ui::TCanvasState state(canvas);
  canvas.ClipRect({0, 0, 10, 20});
  lux::GDIFillRect(canvas, {0, 0, 20, 20}, 0x00FF00, 255);
  EXPECT_EQ(target.Color(5, 5), 0xFF00FF00u);
  EXPECT_EQ(target.Pixel(15, 5), 0u);
}

TEST_F(Drawing, RoundRectCornerSizeIsTheEllipseDiameter) {
  const lux::FXBrush white{0xFFFFFFFF};
  TBitmap round(20, 20);
  {
    TCanvas canvas(round);
    lux::GDIRoundRect(canvas, lux::FXRoundRect({0, 0, 20, 20}, 8), &white, nullptr);
  }
  EXPECT_EQ(Alpha(round, 0, 0), 0);
  EXPECT_GT(Alpha(round, 1, 1), 128);  // a radius of 8 instead of 4 would leave this pixel empty
  EXPECT_EQ(Alpha(round, 19, 19), 0);
  EXPECT_EQ(Alpha(round, 10, 0), 255);
  EXPECT_EQ(Alpha(round, 0, 10), 255);

  lux::FXRoundRect mixed({0, 0, 20, 20}, 0);
  mixed.RoundBR = 8;
  TBitmap square(20, 20);
  {
    TCanvas canvas(square);
    lux::GDIRoundRect(canvas, mixed, &white, nullptr);
  }
  EXPECT_EQ(Alpha(square, 0, 0), 255);
  EXPECT_EQ(Alpha(square, 19, 0), 255);
  EXPECT_EQ(Alpha(square, 0, 19), 255);
  EXPECT_EQ(Alpha(square, 19, 19), 0);
}

TEST_F(Drawing, LineIsDrawnByThePenAcrossItsLayer) {
  TBitmap target(30, 20);
  TCanvas canvas(target);
  const lux::FXPen pen{0xFF00FF00, 2};
  lux::GDILine(canvas, {{5, 10}, {25, 10}}, &pen);
  EXPECT_EQ(target.Color(15, 9), 0xFF00FF00u);
  EXPECT_EQ(target.Color(15, 10), 0xFF00FF00u);
  EXPECT_EQ(target.Pixel(15, 12), 0u);
  EXPECT_EQ(target.Pixel(15, 7), 0u);
  lux::GDILine(canvas, {{5, 15}, {25, 15}}, nullptr);  // no pen, nothing drawn
  EXPECT_EQ(target.Pixel(15, 15), 0u);
}

TEST_F(Drawing, BorderStartsAtTheCanvasOriginWhateverTheRectangle) {
  TBitmap target(30, 20);
  TCanvas canvas(target);
  lux::DrawBorder(canvas, {5, 5, 25, 15}, 0x0000FF, 2, 0);
  EXPECT_EQ(target.Color(0, 5), 0xFFFF0000u);  // frame (1, 1, 20, 10), pen centred on it
  EXPECT_EQ(target.Color(19, 5), 0xFFFF0000u);
  EXPECT_EQ(target.Pixel(10, 5), 0u);
  EXPECT_EQ(target.Pixel(25, 5), 0u);
  TBitmap none(10, 10);
  TCanvas other(none);
  lux::DrawBorder(other, {0, 0, 10, 10}, 0x0000FF, 0, 0);
  EXPECT_EQ(InkRows(none).first, -1);
}

TEST_F(Drawing, GraphicInRectFollowsTheDrawMode) {
  TBitmap image(4, 2);
  image.Fill(0xFFFF0000);
  TBitmap target(40, 40);
  TCanvas canvas(target);
  lux::DrawGraphicInRect(canvas, {0, 0, 40, 40}, image, TDrawMode::CenterFit, 0);
  EXPECT_EQ(target.Pixel(20, 9), 0u);
  EXPECT_EQ(target.Color(20, 10), 0xFFFF0000u);
  EXPECT_EQ(target.Color(20, 29), 0xFFFF0000u);
  EXPECT_EQ(target.Pixel(20, 30), 0u);
}

TEST_F(Drawing, HighQualityDrawingScalesWithOpacityAndTwentyFourBitIsOpaque) {
  TBitmap target(20, 10);
  target.Fill(0xFF0000FF);
  TCanvas canvas(target);
  TBitmap red(2, 2);
  red.Fill(0xFFFF0000);
  lux::DrawHighQuality(canvas, {0, 0, 10, 10}, red, 128, true);
  const ui::TAlphaColor mixed = target.Color(5, 5);
  EXPECT_NEAR(int(ui::RedOf(mixed)), 128, 2);
  EXPECT_NEAR(int(ui::BlueOf(mixed)), 127, 2);

  lux::FXBitmap24 green(1, 1);
  green.Pixel(0, 0)[1] = 255;
  lux::DrawHighQuality(canvas, {10, 0, 20, 10}, green, 255, false);
  EXPECT_EQ(target.Color(15, 5), 0xFF00FF00u);
  lux::StretchDraw(canvas, {0, 0, 20, 10}, static_cast<const TBitmap*>(nullptr), 255);
  EXPECT_EQ(target.Color(15, 5), 0xFF00FF00u);
}

ui::TPicture LoadPng(const testsupport::TPngFile& file) {
  const std::vector<std::uint8_t> data = testsupport::WritePng(file);
  ui::TPicture picture;
  picture.LoadFromMemory(data.data(), data.size());
  return picture;
}

// One pixel per case where truncating and rounding differ (130 * 100 / 255 = 50.98), so a conversion
// that took the decoder's rounded pixels instead of the file's samples shows.
TEST_F(Drawing, AssignPngFollowsTheColourTypeAndPremultipliesByTruncating) {
  const std::vector<std::uint8_t> palette{10, 20, 30, 130, 7, 255, 1, 2, 3};
  struct Case {
    const char* name;
    testsupport::TPngFile file;
    ui::TPixel premultiplied, straight;  // 0 straight: the picture comes as decoded either way
  } cases[] = {
      {"RGBA", {1, 1, 6, 8, false, {130, 7, 255, 100}, {}, {}}, 0x64320264, 0x648207FF},
      {"RGBA interlaced", {1, 1, 6, 8, true, {130, 7, 255, 100}, {}, {}}, 0x64320264, 0x648207FF},
      {"grey + alpha", {1, 1, 4, 8, false, {130, 100}, {}, {}}, 0x64323232, 0x64828282},
      {"palette, translucent entry", {1, 1, 3, 8, false, {1}, palette, {0, 100}}, 0x64320264, 0x648207FF},
      {"palette, clear entry", {1, 1, 3, 8, false, {0}, palette, {0, 100}}, 0x00000000, 0x000A141E},
      {"palette, entry past tRNS", {1, 1, 3, 8, false, {2}, palette, {0, 100}}, 0xFF010203, 0xFF010203},
      {"palette, on/off alpha only", {1, 1, 3, 8, false, {1}, palette, {0, 255}}, 0xFF8207FF, 0},
      {"RGB", {1, 1, 2, 8, false, {130, 7, 255}, {}, {}}, 0xFF8207FF, 0},
      {"RGBA 16-bit", {1, 1, 6, 16, false, {130, 0, 7, 0, 255, 0, 100, 0}, {}, {}}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ui::TPicture png = LoadPng(c.file);
    for (bool premultiplied : {true, false}) {
      TBitmap bitmap(5, 5);
      lux::AssignPng(bitmap, png, premultiplied);
      ASSERT_EQ(bitmap.Width(), 1);
      ASSERT_EQ(bitmap.Height(), 1);
      const bool asDecoded = premultiplied ? c.premultiplied == 0 : c.straight == 0;
      const ui::TPixel expected = asDecoded ? png.Bitmap().Pixel(0, 0) : premultiplied ? c.premultiplied : c.straight;
      EXPECT_EQ(bitmap.Pixel(0, 0), expected) << std::hex << bitmap.Pixel(0, 0) << " premultiplied " << premultiplied;
      EXPECT_EQ(bitmap.AlphaFormat(), premultiplied || asDecoded ? ui::TAlphaFormat::Premultiplied : ui::TAlphaFormat::Straight);
    }
  }

  TBitmap bitmap(5, 5);
  lux::AssignPng(bitmap, ui::TPicture{}, true);
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_EQ(bitmap.Height(), 0);
}

TEST_F(Drawing, StretchDrawOfAPictureScalesAndFadesIt) {
  testsupport::TPngFile file{2, 1, 6, 8, false, {255, 0, 0, 255, 0, 0, 255, 128}, {}, {}};  // red, half-clear blue
  const ui::TPicture png = LoadPng(file);
  struct Case {
    std::uint8_t opacity;
    ui::TAlphaColor left, right;  // over white, at the middle of each half of a 40 x 10 stretch
  } cases[] = {
      {255, 0xFFFF0000, 0xFF7F7FFF},
      {128, 0xFFFF7F7F, 0xFFBFBFFF},
      {0, 0xFFFFFFFF, 0xFFFFFFFF},
  };
  for (const Case& c : cases) {
    TBitmap target(40, 10);
    target.Fill(0xFFFFFFFF);
    TCanvas canvas(target);
    lux::StretchDraw(canvas, {0, 0, 40, 10}, &png, c.opacity);
    for (auto [x, expected] : {std::pair{5, c.left}, std::pair{35, c.right}}) {
      const ui::TAlphaColor got = target.Color(x, 5);
      for (int shift : {16, 8, 0})
        EXPECT_NEAR(int((got >> shift) & 0xFF), int((expected >> shift) & 0xFF), 3)
            << std::hex << got << " at " << std::dec << x << " opacity " << int(c.opacity);
    }
  }
  TBitmap target(4, 4);
  TCanvas canvas(target);
  lux::StretchDraw(canvas, {0, 0, 4, 4}, static_cast<const ui::TPicture*>(nullptr), 128);
  EXPECT_EQ(target.Pixel(1, 1), 0u);
}

// The loop never ticks a timer before its interval has passed since it was (re)started, so the
// first tick after a reset lies a full interval after it; without the reset it would come sooner.
TEST(ResetTimer, StartsAFullIntervalAgainAndEnablesTheTimer) {
  using namespace std::chrono_literals;
  ui::TApplication app;
  testsupport::TLoopClock clock(app);
  ui::TTimer timer(app);
  timer.SetInterval(150);
  int ticks = 0;
  timer.OnTimer = [&] { ++ticks; };
  clock.Advance(100ms);
  lux::ResetTimer(timer);
  EXPECT_FALSE(clock.Pass(149ms));
  EXPECT_TRUE(clock.Pass(1ms));
  EXPECT_EQ(ticks, 1);

  timer.SetEnabled(false);
  lux::ResetTimer(timer);
  EXPECT_TRUE(timer.Enabled());
}

class Text : public Drawing {
 protected:
  void SetUp() override {
    Drawing::SetUp();
    if (IsSkipped()) return;
    bitmap_.SetSize(200, 120);
    canvas_ = std::make_unique<TCanvas>(bitmap_);
    canvas_->Font.SetHeight(14);
    canvas_->Font.SetColor(0xFF000000);
    lineHeight_ = lux::LineHeight(*canvas_, "Mg");
  }
  // Room for the widest word of "one two six" but not for two of them.
  TRect Narrow() {
    const int widest = std::max({canvas_->TextWidth("one "), canvas_->TextWidth("two "), canvas_->TextWidth("six")});
    return {0, 0, widest + 1, 120};
  }
  TBitmap bitmap_;
  std::unique_ptr<TCanvas> canvas_;
  int lineHeight_ = 0;
};

TEST_F(Text, WrappingKeepsTrailingSpacesAndBreaksOnCarriageReturns) {
  EXPECT_EQ(lux::WrapTextLines(*canvas_, "one two six", Narrow()), (Lines{"one ", "two ", "six"}));
  EXPECT_EQ(lux::WrapTextLines(*canvas_, "one\rtwo", {0, 0, 200, 100}), (Lines{"one", "two"}));
}

TEST_F(Text, EmptyLineHeightIsThatOfABar) {
  EXPECT_EQ(lux::LineHeight(*canvas_, ""), canvas_->TextHeight("|"));
  EXPECT_GT(lux::LineHeight(*canvas_, ""), 0);
}

TEST_F(Text, WordWrapStacksLinesWhileSingleLineStaysOnOne) {
  lux::DrawTextRect(*canvas_, Narrow(), "one two six", {FXTextFlag::WordWrap});
  const auto wrapped = InkRows(bitmap_);
  EXPECT_GT(wrapped.second - wrapped.first, 2 * lineHeight_);  // three lines

  bitmap_.Fill(0);
  lux::DrawTextRect(*canvas_, {0, 0, 200, 120}, "one\rtwo", {});
  const auto single = InkRows(bitmap_);
  EXPECT_LT(single.second - single.first, lineHeight_);

  bitmap_.Fill(0);
  lux::DrawTextRect(*canvas_, {0, 0, 200, 120}, "one\rtwo", {FXTextFlag::WordWrap});
  const auto broken = InkRows(bitmap_);
  EXPECT_GT(broken.second - broken.first, lineHeight_);
}

TEST_F(Text, AutoWrapsOnlyWhatDoesNotFit) {
  // Fitting text stays a single line, so vertical centring applies.
  lux::DrawTextRect(*canvas_, {0, 0, 200, 120}, "fits", {FXTextFlag::Auto, FXTextFlag::VerticalCenter});
  const auto centred = InkRows(bitmap_);
  EXPECT_NEAR((centred.first + centred.second) / 2.0, 60, lineHeight_ / 2.0);

  bitmap_.Fill(0);
  lux::DrawTextRect(*canvas_, Narrow(), "one two six", {FXTextFlag::Auto});
  const auto wrapped = InkRows(bitmap_);
  EXPECT_GT(wrapped.second - wrapped.first, 2 * lineHeight_);
}

TEST_F(Text, PlacementFlagsAndMargin) {
  lux::DrawTextRect(*canvas_, {0, 0, 200, 120}, "right", {FXTextFlag::Right}, 10);
  const auto columns = InkColumns(bitmap_);
  EXPECT_GT(columns.second, 180);
  EXPECT_LE(columns.second, 190);
  EXPECT_GE(InkRows(bitmap_).first, 10);

  bitmap_.Fill(0);
  lux::DrawTextRect(*canvas_, {0, 0, 200, 120}, "a b", {FXTextFlag::WordWrap, FXTextFlag::Bottom});
  const auto bottom = InkRows(bitmap_);
  EXPECT_GT(bottom.second, 120 - lineHeight_);

  bitmap_.Fill(0);
  lux::DrawTextRect(*canvas_, {0, 0, 200, 120}, "mid", {FXTextFlag::Center});
  const auto centre = InkColumns(bitmap_);
  EXPECT_NEAR((centre.first + centre.second) / 2.0, 100, 3);
}

TEST_F(Text, MnemonicMarkersAreNotDrawn) {
  lux::DrawTextRect(*canvas_, {0, 0, 200, 120}, "&&", {});
  const auto both = InkColumns(bitmap_);
  bitmap_.Fill(0);
  lux::DrawTextRect(*canvas_, {0, 0, 200, 120}, "&", {});
  EXPECT_EQ(InkColumns(bitmap_).first, -1);
  EXPECT_NE(both.first, -1);
}

TEST_F(Text, TextRectCoversTheWrappedLines) {
  const TRect r{10, 10, 110, 110};
  EXPECT_EQ(lux::GetTextRect(*canvas_, r, "", {FXTextFlag::WordWrap}, 5), (TRect{15, 15, 105, 105}));
  EXPECT_EQ(lux::GetTextRect(*canvas_, r, "one", {}, 0), r);

  const TRect narrow = Narrow();
  const int h = canvas_->TextHeight("one ");
  const TRect wrapped = lux::GetTextRect(*canvas_, narrow, "one two six", {FXTextFlag::WordWrap});
  EXPECT_EQ(wrapped.Top, 0);
  EXPECT_EQ(wrapped.Height(), 3 * h);
  const TRect centred = lux::GetTextRect(*canvas_, narrow, "one two six", {FXTextFlag::WordWrap, FXTextFlag::VerticalCenter});
  EXPECT_EQ(centred.Top, lux::RoundEven(60 - 3 * h / 2.0));
  EXPECT_EQ(centred.Height(), 3 * h);
}

TEST_F(Text, MaxFontHeightFillsTheBoxWithoutOverflowing) {
  EXPECT_EQ(lux::GetMaxFontHeight(*canvas_, "", 40, 40), 0);
  EXPECT_EQ(canvas_->Font.Height(), 14);  // untouched

  // The answer is the largest height that fits, whether it lies above the first height tried or
  // below it, near or far, and whichever side of the box binds.
  const struct {
    const char* text;
    int width, height;
  } boxes[] = {{"M", 40, 40}, {"M", 8, 8}, {"M", 12, 30}, {"WWW", 300, 20}, {"i", 200, 200}, {"M", 1000, 900}};
  for (const auto& box : boxes) {
    SCOPED_TRACE(std::string(box.text) + " in " + std::to_string(box.width) + "x" + std::to_string(box.height));
    const int height = lux::GetMaxFontHeight(*canvas_, box.text, box.width, box.height);
    ASSERT_LT(height, 0);
    EXPECT_EQ(canvas_->Font.Height(), -height);
    const ui::TSize fits = canvas_->TextExtent(box.text);
    EXPECT_LE(fits.cx, box.width);
    EXPECT_LE(fits.cy, box.height);
    canvas_->Font.SetHeight(-height + 1);
    const ui::TSize bigger = canvas_->TextExtent(box.text);
    EXPECT_TRUE(bigger.cx > box.width || bigger.cy > box.height) << -height + 1 << " fits too";
  }
  EXPECT_LT(lux::GetMaxFontHeight(*canvas_, "M", 40, 40), -10);

  EXPECT_EQ(lux::GetMaxFontHeight(*canvas_, "M", 1, 1), 1);
}

}  // namespace
