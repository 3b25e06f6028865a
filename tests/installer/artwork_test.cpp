// The window's pictures carried in the program: present, decodable, of their sizes and not blank.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "lux/graphics.h"
#include "platform/resources.h"
#include "ui/bitmap.h"
#include "ui/picture.h"

namespace {

std::uint8_t Red(ui::TAlphaColor c) { return (c >> 16) & 0xFF; }
std::uint8_t Green(ui::TAlphaColor c) { return (c >> 8) & 0xFF; }
std::uint8_t Blue(ui::TAlphaColor c) { return c & 0xFF; }
std::uint8_t Alpha(ui::TAlphaColor c) { return c >> 24; }

// Decodes an embedded picture the way the window assigns it; an empty bitmap where nothing decodes.
ui::TBitmap Load(const std::string& Name) {
  const auto data = platform::FindEmbeddedData(Name);
  ui::TBitmap bitmap;
  if (!data) return bitmap;
  ui::TPicture picture;
  picture.LoadFromMemory(data->data(), data->size());
  lux::AssignPng(bitmap, picture, false);
  return bitmap;
}

TEST(Artwork, EveryPictureIsEmbedded) {
  for (const char* name : {"COVER", "AGREE", "DISAGREE"}) {
    const auto data = platform::FindEmbeddedData(name);
    ASSERT_TRUE(data) << name;
    // The PNG signature: the data went in as written, whatever the system's resource format.
    ASSERT_GT(data->size(), 8u) << name;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data->data()) + 1, 3), "PNG") << name;
  }
}

TEST(Artwork, CoverFillsTheStripWithTheBrandGradient) {
  const ui::TBitmap cover = Load("COVER");
  ASSERT_EQ(cover.Width(), 225);
  ASSERT_EQ(cover.Height(), 436);
  // Two flat points of the middle column: opaque blue, lighter above than below.
  const ui::TAlphaColor upper = cover.Color(112, 100), lower = cover.Color(112, 270);
  for (ui::TAlphaColor c : {upper, lower}) {
    EXPECT_EQ(Alpha(c), 255);
    EXPECT_GT(Blue(c), std::max(Red(c), Green(c)) + 40);
  }
  EXPECT_GT(Blue(upper) + Green(upper), Blue(lower) + Green(lower));
}

TEST(Artwork, RadioPicturesAreMarksOnTransparentCorners) {
  const ui::TBitmap agree = Load("AGREE"), disagree = Load("DISAGREE");
  for (const ui::TBitmap* mark : {&agree, &disagree}) {
    ASSERT_EQ(mark->Width(), 32);
    ASSERT_EQ(mark->Height(), 32);
    EXPECT_EQ(Alpha(mark->Color(0, 0)), 0);
    EXPECT_EQ(Alpha(mark->Color(31, 31)), 0);
    EXPECT_EQ(Alpha(mark->Color(16, 5)), 255);
  }
  // Told apart by colour as well as by shape: green for agreeing, red for refusing.
  EXPECT_GT(Green(agree.Color(16, 5)), Red(agree.Color(16, 5)));
  EXPECT_GT(Red(disagree.Color(16, 5)), Green(disagree.Color(16, 5)));
  // The marks themselves are white where their strokes cross the middle.
  EXPECT_EQ(disagree.Color(16, 16), 0xFFFFFFFFu);
}

}  // namespace
