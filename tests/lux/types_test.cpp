// The framework's value types: flag sets, rounded rectangles, lines and the ARGB packing.
#include <gtest/gtest.h>

#include "lux/types.h"

namespace {

using namespace lux;

TEST(LuxTypesTest, FlagSetsHoldEachValueOnce) {
  FXTextFlags flags{FXTextFlag::WordWrap, FXTextFlag::TrimPath};
  EXPECT_TRUE(flags.Contains(FXTextFlag::TrimPath));
  EXPECT_FALSE(flags.Contains(FXTextFlag::Center));
  flags.Include(FXTextFlag::WordWrap).Exclude(FXTextFlag::TrimPath);
  EXPECT_EQ(flags, FXTextFlags{FXTextFlag::WordWrap});
  EXPECT_EQ(FXFocusFlags{FXFocusFlag::CatchTab} + FXFocusFlags{FXFocusFlag::CatchDown} - FXFocusFlags{FXFocusFlag::CatchTab},
            FXFocusFlags{FXFocusFlag::CatchDown});
  EXPECT_TRUE(FXFocusFlags{}.Empty());
}

TEST(LuxTypesTest, RoundRectCornersAndGeometry) {
  FXRoundRect one(Rect(10, 20, 110, 70), 8);
  EXPECT_EQ(one.RoundTL, 8);
  EXPECT_EQ(one.RoundBR, 8);
  EXPECT_EQ(one.Reserved, 0);
  EXPECT_EQ(one.Width(), 100);
  EXPECT_EQ(one.Height(), 50);
  // Two sizes make one corner size from their integer mean.
  FXRoundRect two(Rect(0, 0, 10, 10), 5, 8);
  EXPECT_EQ(two.RoundTR, 6);
  EXPECT_EQ(two.RoundBL, 6);
  two.Offset(3, -2);
  EXPECT_EQ(two.Rect, Rect(3, -2, 13, 8));
  EXPECT_EQ(two.Left(), 3);
  EXPECT_EQ(two.Top(), -2);
}

TEST(LuxTypesTest, LineMeasuresAndShortens) {
  FXLine line({30, 5}, {10, 25});
  EXPECT_EQ(line.Width(), 20);
  EXPECT_EQ(line.Height(), 20);
  EXPECT_EQ(line.Rect(), Rect(10, 5, 30, 25));
  line.OffsetBy(1, 1);
  EXPECT_EQ(line.Point1, (TPoint{31, 6}));

  // Halves go to the even neighbour: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
  struct Case { TPoint p2; double percent; TPoint expected; };
  for (const Case& c : {Case{{5, 7}, 50, {2, 4}}, Case{{-5, 10}, 50, {-2, 5}}, Case{{10, 10}, 25, {2, 2}},
                        Case{{10, 10}, 0, {0, 0}}, Case{{10, 10}, 100, {10, 10}}}) {
    FXLine l({0, 0}, c.p2);
    l.SizeByPercent(c.percent);
    EXPECT_EQ(l.Point2, c.expected) << c.percent << "% of " << c.p2.X << "," << c.p2.Y;
    EXPECT_EQ(l.Point1, (TPoint{0, 0}));
  }
}

TEST(LuxTypesTest, MakeARGBSwapsRedAndBlueAndDropsTheTopByte) {
  // #0078D4 stored as 0x00D47800, with a system-colour marker that must vanish.
  EXPECT_EQ(MakeARGB(0xFFD47800u, 0x80), 0x800078D4u);
  EXPECT_EQ(MakeARGB(0x000000FFu, 0xFF), 0xFFFF0000u);
}

}  // namespace
