// The scroll box: the scroll position offsets the children, and hit testing, alignment and painting follow.
#include <gtest/gtest.h>

#include "ui/scroll_box.h"

namespace {

using namespace ui;

template <class T>
T* Child(TWinControl& parent, const TRect& bounds, TAlign align = TAlign::alNone) {
  auto* c = new T(&parent);
  c->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  c->SetAlign(align);
  c->SetParent(&parent);
  return c;
}

// A box at (10, 10) of 100 x 80 inside a 200 x 200 root.
struct Scene {
  TWinControl root{nullptr};
  TScrollBox* box;
  Scene() {
    root.SetBounds(0, 0, 200, 200);
    box = Child<TScrollBox>(root, Bounds(10, 10, 100, 80));
  }
};

TEST(ScrollBox, ScrollByMovesEveryChildAndThePositionTheOtherWay) {
  Scene s;
  auto* label = Child<TGraphicControl>(*s.box, Bounds(5, 100, 20, 10));
  auto* panel = Child<TPanel>(*s.box, Bounds(40, 120, 30, 30));
  auto* inner = Child<TGraphicControl>(*panel, Bounds(2, 3, 5, 5));
  EXPECT_TRUE(s.box->AutoScroll());
  EXPECT_EQ(s.box->ScrollPosition(), (TPoint{0, 0}));

  s.box->ScrollBy(-4, -90);
  EXPECT_EQ(s.box->ScrollPosition(), (TPoint{4, 90}));
  EXPECT_EQ(label->BoundsRect(), Bounds(1, 10, 20, 10));
  EXPECT_EQ(panel->BoundsRect(), Bounds(36, 30, 30, 30));
  EXPECT_EQ(inner->BoundsRect(), Bounds(2, 3, 5, 5));  // grandchildren move with their parent only

  s.box->SetScrollPosition({0, 50});  // scrolls by the difference
  EXPECT_EQ(label->BoundsRect(), Bounds(5, 50, 20, 10));
  s.box->SetScrollPosition({0, 0});
  EXPECT_EQ(panel->BoundsRect(), Bounds(40, 120, 30, 30));
}

TEST(ScrollBox, HitTestingFollowsTheOffsetAndStopsAtTheBoxEdge) {
  Scene s;
  auto* label = Child<TGraphicControl>(*s.box, Bounds(5, 100, 20, 10));
  auto* panel = Child<TPanel>(*s.box, Bounds(40, 20, 30, 30));
  // The label lies below the visible part: the point where it would be is outside the box.
  EXPECT_EQ(s.root.ControlAtPos({20, 115}), &s.root);
  EXPECT_EQ(s.root.ControlAtPos({55, 35}), panel);

  s.box->ScrollBy(0, -60);
  EXPECT_EQ(s.root.ControlAtPos({20, 55}), label);   // box (10, 10) + label (5, 40)
  EXPECT_EQ(s.root.ControlAtPos({55, 35}), s.box);   // where the panel was
  EXPECT_EQ(s.root.ControlAtPos({55, 5}), &s.root);  // the panel, now above the box, is cut off
}

TEST(ScrollBox, AlignedChildrenStayInTheScrolledContentArea) {
  Scene s;
  auto* header = Child<TPanel>(*s.box, Bounds(0, 0, 10, 20), TAlign::alTop);
  auto* footer = Child<TPanel>(*s.box, Bounds(0, 0, 10, 15), TAlign::alBottom);
  auto* free = Child<TPanel>(*s.box, Bounds(10, 30, 10, 10));
  s.box->SetPadding({2, 0, 3, 0});
  EXPECT_EQ(header->BoundsRect(), (TRect{2, 0, 97, 20}));

  s.box->ScrollBy(-5, -30);
  EXPECT_EQ(header->BoundsRect(), (TRect{-3, -30, 92, -10}));
  EXPECT_EQ(footer->BoundsRect(), (TRect{-3, 35, 92, 50}));
  EXPECT_EQ(free->BoundsRect(), (TRect{5, 0, 15, 10}));

  // Whatever realigns them later keeps the offset: a resize, a child growing.
  s.box->SetBounds(10, 10, 120, 90);
  header->SetHeight(25);
  EXPECT_EQ(header->BoundsRect(), (TRect{-3, -30, 112, -5}));
  EXPECT_EQ(footer->BoundsRect(), (TRect{-3, 45, 112, 60}));

  s.box->SetScrollPosition({0, 0});
  EXPECT_EQ(header->BoundsRect(), (TRect{2, 0, 117, 25}));
  EXPECT_EQ(free->BoundsRect(), (TRect{10, 30, 20, 40}));
}

// Paints a control tree as a form would, for the painting test.
struct TPaintRoot : TWinControl {
  using TWinControl::TWinControl;
  using TWinControl::PaintControl;
};

TEST(ScrollBox, PaintingFollowsTheOffsetAndIsClippedToTheBox) {
  TPaintRoot root(nullptr);
  root.SetBounds(0, 0, 60, 60);
  auto* box = Child<TScrollBox>(root, Bounds(10, 10, 40, 40));
  box->SetColor(0xFFFFFFFF);
  auto* red = Child<TPanel>(*box, Bounds(0, 50, 40, 20));
  red->SetColor(0xFFFF0000);

  auto paint = [&] {
    TBitmap bitmap(60, 60);
    TCanvas canvas(bitmap);
    root.PaintControl(canvas);
    return bitmap;
  };
  TBitmap before = paint();
  EXPECT_EQ(before.Color(20, 45), 0xFFFFFFFFu);  // the red panel lies below the visible part
  box->ScrollBy(0, -45);
  TBitmap after = paint();
  EXPECT_EQ(after.Color(20, 15), 0xFFFF0000u);  // box top 10 + panel 5
  EXPECT_EQ(after.Color(20, 34), 0xFFFF0000u);
  EXPECT_EQ(after.Color(20, 35), 0xFFFFFFFFu);
  EXPECT_EQ(after.Color(20, 5), 0u);  // nothing spills above the box
}

}  // namespace
