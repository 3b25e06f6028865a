// The premultiplied pixel buffer: premultiplication round trips, filling, copying and blending.
#include <gtest/gtest.h>

#include "ui/bitmap.h"

namespace {

using ui::TBitmap;

TEST(Bitmap, PremultiplicationScalesChannelsByAlphaAndRoundTrips) {
  struct Case {
    ui::TAlphaColor straight;
    ui::TPixel premultiplied;
  } cases[] = {
      {0xFFFF8000, 0xFFFF8000},  // opaque stays as it is
      {0x80FF8000, 0x80804000},  // half alpha halves the channels, rounded
      {0x00FFFFFF, 0x00000000},  // fully transparent loses its colour
      {0x40204060, 0x40081018},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ui::Premultiply(c.straight), c.premultiplied) << std::hex << c.straight;
    if (c.straight >> 24 == 0xFF || c.straight >> 24 == 0x80) {
      EXPECT_EQ(ui::Unpremultiply(c.premultiplied), c.straight) << std::hex << c.straight;
    }
  }
  EXPECT_EQ(ui::Unpremultiply(0), 0u);
}

TEST(Bitmap, LayoutIsPackedBgraRowsStartingTransparent) {
  TBitmap bitmap(3, 2);
  EXPECT_EQ(bitmap.Stride(), 12);
  EXPECT_EQ(bitmap.Pixel(2, 1), 0u);
  bitmap.SetPixel(1, 1, ui::Premultiply(0xFF112233));
  const std::uint8_t* bytes = bitmap.Bits() + 1 * bitmap.Stride() + 1 * 4;
  EXPECT_EQ(bytes[0], 0x33);  // blue first in memory
  EXPECT_EQ(bytes[1], 0x22);
  EXPECT_EQ(bytes[2], 0x11);
  EXPECT_EQ(bytes[3], 0xFF);
  bitmap.SetSize(4, 4);
  EXPECT_EQ(bitmap.Pixel(1, 1), 0u);
}

TEST(Bitmap, FillRectIsClippedToTheBitmap) {
  TBitmap bitmap(4, 4);
  bitmap.FillRect({-2, 2, 2, 9}, 0xFF0000FF);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(bitmap.Pixel(x, y), (x < 2 && y >= 2) ? 0xFF0000FFu : 0u) << x << "," << y;
}

TEST(Bitmap, CopyReplacesAlphaAndCutsOffWhatFallsOutside) {
  TBitmap target(4, 4), source(3, 3);
  target.Fill(0xFFFFFFFF);
  source.Fill(0x00000000);
  source.SetPixel(0, 0, ui::Premultiply(0x80FF0000));
  target.CopyFrom(source, 2, 2);
  EXPECT_EQ(target.Pixel(1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(target.Pixel(2, 2), 0x80800000u);
  EXPECT_EQ(target.Pixel(3, 3), 0u);
  target.CopyFrom(source, -3, 0);  // entirely outside: nothing changes
  EXPECT_EQ(target.Pixel(0, 0), 0xFFFFFFFFu);
}

TEST(Bitmap, DrawBlendsSourceOverWithOpacity) {
  struct Case {
    ui::TAlphaColor under, over;
    std::uint8_t opacity;
    ui::TAlphaColor expected;  // straight
  } cases[] = {
      {0xFFFFFFFF, 0xFF000000, 255, 0xFF000000},  // opaque covers
      {0xFFFFFFFF, 0xFF000000, 0, 0xFFFFFFFF},    // invisible leaves alone
      {0xFFFFFFFF, 0xFF000000, 128, 0xFF7F7F7F},  // half way
      {0xFF0000FF, 0x80FF0000, 255, 0xFF7F0080},  // translucent red over blue
      {0x00000000, 0x80FF0000, 255, 0x80FF0000},  // over nothing keeps the source's alpha
      {0x80FF0000, 0x800000FF, 255, 0xC05500AA},  // translucent over translucent adds coverage
  };
  for (const auto& c : cases) {
    TBitmap target(1, 1), source(1, 1);
    target.Fill(c.under);
    source.Fill(c.over);
    target.Draw(source, 0, 0, c.opacity);
    const ui::TAlphaColor got = target.Color(0, 0);
    for (int shift : {24, 16, 8, 0})
      EXPECT_NEAR(int((got >> shift) & 0xFF), int((c.expected >> shift) & 0xFF), 2)
          << std::hex << c.under << " under " << c.over << " at " << int(c.opacity) << " got " << got;
  }
}

TEST(Bitmap, StraightBitmapReadsAndBlendsAsItsPremultipliedCopy) {
  TBitmap straight(1, 1);
  straight.SetAlphaFormat(ui::TAlphaFormat::Straight);
  straight.SetPixel(0, 0, 0x80FF8000);
  EXPECT_EQ(straight.Color(0, 0), 0x80FF8000u);
  const TBitmap copy = straight.Premultiplied();
  EXPECT_EQ(copy.AlphaFormat(), ui::TAlphaFormat::Premultiplied);
  EXPECT_EQ(copy.Pixel(0, 0), 0x80804000u);
  TBitmap target(1, 1);
  target.Fill(0xFF000000);
  target.Draw(straight, 0, 0);
  EXPECT_EQ(target.Pixel(0, 0), 0xFF804000u);
}

}  // namespace
