// The scroll bar and the scroll box on headless forms: range and position, the slider's layout, the
// buttons and the drag, the minimised look and its fade, colours, and the box's bars and wheel glide.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "lux/panels.h"
#include "lux/scroll_box.h"
#include "lux/scrollbar.h"
#include "lux/theme_manager.h"
#include "platform/headless_window.h"
#include "screen.h"
#include "ui/forms.h"

namespace {

using namespace lux;
using B = platform::MouseButton;

using testsupport::Screen;

class ScrollTest : public testing::Test {
 protected:
  void SetUp() override {
    ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
    form = std::make_unique<ui::TForm>(nullptr);
    form->SetClientSize(400, 400);
    form->Show();
  }
  void TearDown() override {
    form.reset();
    ThemeManager().SetDarkThemeMode(FXDarkSetting::Auto);
  }
  // A vertical 12 x 225 bar at (10, 10) on the shown form.
  template <typename T = FXScrollbar>
  T* Place(int left = 10, int top = 10) {
    auto* bar = new T(form.get());
    bar->SetLeft(left);
    bar->SetTop(top);
    bar->SetParent(form.get());
    bar->UpdateTheme(false);
    return bar;
  }
  platform::HeadlessWindow& screen() { return Screen(*form); }

  std::unique_ptr<ui::TForm> form;
};

TColor At(const FXScrollbar& bar, int x, int y) { return ColorFromARGB(bar.Buffer().Color(x, y)); }

TEST_F(ScrollTest, BarStartsVerticalAndMinimisedAtItsFirstLayout) {
  FXScrollbar* bar = Place();
  EXPECT_EQ(bar->Width(), 12);
  EXPECT_EQ(bar->Height(), 225);
  EXPECT_EQ(bar->Orientation(), FXOrientation::Vertical);
  EXPECT_EQ(bar->Min(), 0);
  EXPECT_EQ(bar->Max(), 100);
  EXPECT_EQ(bar->Position(), 0);
  EXPECT_TRUE(bar->Minimised());
  // Minimised straight away, without a fade nobody asked for.
  EXPECT_FALSE(bar->FadeTimer().Enabled());

  bar->SetOrientation(FXOrientation::Horizontal);
  EXPECT_EQ(bar->Width(), 225);
  EXPECT_EQ(bar->Height(), 12);
}

TEST_F(ScrollTest, PercentageOfAPosition) {
  FXScrollbar bar(nullptr);
  const struct {
    std::int64_t Min, Max, Value;
    double Expected;
  } cases[] = {
      {0, 100, 0, 0},    {0, 100, 50, 0.5}, {0, 100, 100, 1}, {20, 120, 70, 0.5},
      {50, 50, 50, 0},   // an empty range answers 0 instead of dividing by zero
      {10, 30, 0, 0},    // below Min: both sides grow by the shortfall
      {0, 100, 150, 1.5},
  };
  for (const auto& c : cases) {
    bar.SetMin(c.Min);
    bar.SetMax(c.Max);
    EXPECT_DOUBLE_EQ(bar.GetPercentageCustom(c.Value), c.Expected) << c.Min << ".." << c.Max << " @" << c.Value;
  }
}

TEST_F(ScrollTest, PositionStaysWithinMinAndMax) {
  FXScrollbar bar(nullptr);
  std::vector<std::int64_t> changes;
  bar.OnChange = [&](FXScrollbar& sender) { changes.push_back(sender.Position()); };

  bar.SetPosition(150);  // beyond Max: Max is stored, and the change is told
  bar.SetPosition(150);  // back to Max by the clamp is still a change that is told
  bar.SetPosition(100);  // unchanged: silent
  bar.SetPosition(-5);
  EXPECT_EQ(changes, (std::vector<std::int64_t>{100, 100, 0}));

  // Moving the ends carries the position along without an event.
  changes.clear();
  bar.SetPosition(80);
  bar.SetMax(60);
  EXPECT_EQ(bar.Position(), 60);
  bar.SetMin(70);
  EXPECT_EQ(bar.Max(), 70);
  EXPECT_EQ(bar.Position(), 70);
  EXPECT_EQ(changes, (std::vector<std::int64_t>{80}));

  // A Max below Min would give a range that ends before it starts: it stops at Min.
  bar.SetMax(10);
  EXPECT_EQ(bar.Max(), 70);
  EXPECT_EQ(bar.Position(), 70);
  bar.SetPosition(0);
  EXPECT_EQ(bar.Position(), 70);
  EXPECT_DOUBLE_EQ(bar.GetPercentage(), 0);

  bar.SetSmallChange(0);
  bar.SetSmallChange(-3);
  EXPECT_EQ(bar.SmallChange(), 1);
}

// On a 12 x 225 vertical bar with buttons the slider runs from 15 (3 of spacing and half the 24
// pixels of buttons) over a track of 225 - 6 - 6 - 24 = 189 pixels.
TEST_F(ScrollTest, SliderLengthAndPlace) {
  const struct {
    std::int64_t Min, Max, Position;
    std::int32_t PageSize, Custom;
    bool Buttons;
    int Length, Top;
  } cases[] = {
      {0, 100, 0, 1, 0, true, 40, 15},
      {0, 100, 100, 1, 0, true, 40, 15 + 149},
      {0, 100, 50, 1, 0, true, 40, 15 + 74},
      {0, 100, 0, 50, 0, true, 94, 15},            // half the track
      {0, 1000, 0, 5, 0, true, 20, 15},            // never shorter than 20
      {0, 100, 100, 1, 60, true, 60, 15 + 129},    // a custom length
      {30, 30, 30, 1, 0, true, 40, 15},            // an empty range sits at the start
      {0, 100, 100, 1, 0, false, 40, 3 + 173},     // no buttons: 213 of track
  };
  for (const auto& c : cases) {
    FXScrollbar bar(nullptr);
    bar.SetEnableButtons(c.Buttons);
    bar.SetMax(c.Max);
    bar.SetMin(c.Min);
    bar.SetPageSize(c.PageSize);
    bar.SetCustomScrollbarSize(c.Custom);
    bar.SetPosition(c.Position);
    EXPECT_EQ(bar.SliderLength(), c.Length) << c.Position << " page " << c.PageSize;
    EXPECT_EQ(bar.SliderRect().Top, c.Top) << c.Position << " page " << c.PageSize;
    EXPECT_EQ(bar.SliderRect().Height(), c.Length);
    EXPECT_EQ(bar.SliderRect().Left, 3);
    EXPECT_EQ(bar.SliderRect().Right, 9);
  }
  FXScrollbar bar(nullptr);
  EXPECT_EQ(bar.Button1(), Rect(0, 0, 12, 12));
  EXPECT_EQ(bar.Button2(), Rect(0, 213, 12, 225));
}

TEST_F(ScrollTest, CustomSliderLengthMustBeShorterThanTheHeight) {
  FXScrollbar bar(nullptr);
  bar.SetOrientation(FXOrientation::Horizontal);  // 12 high
  bar.SetCustomScrollbarSize(12);
  EXPECT_EQ(bar.CustomScrollbarSize(), 0);
  bar.SetCustomScrollbarSize(30);
  EXPECT_EQ(bar.CustomScrollbarSize(), 0);
  bar.SetCustomScrollbarSize(11);
  EXPECT_EQ(bar.CustomScrollbarSize(), 11);
  EXPECT_EQ(bar.SliderLength(), 11);
  EXPECT_EQ(bar.SliderRect().Width(), 11);
}

TEST_F(ScrollTest, ButtonsStepAndRepeatWhileHeld) {
  FXScrollbar* bar = Place();
  bar->SetSmallChange(5);
  bar->SetPosition(50);
  int changes = 0;
  bar->OnChange = [&](FXScrollbar&) { ++changes; };

  // Down button (bottom square): one step at the press, then the repeat timer.
  screen().MoveTo(16, 10 + 220);
  screen().Press(B::Left, 16, 10 + 220);
  EXPECT_EQ(bar->Position(), 55);
  EXPECT_FALSE(bar->Dragging());
  EXPECT_TRUE(bar->RepeatTimer().Enabled());
  EXPECT_EQ(bar->RepeatTimer().Interval(), 500);
  bar->RepeatTimer().OnTimer();
  EXPECT_EQ(bar->RepeatTimer().Interval(), 50);
  bar->RepeatTimer().OnTimer();
  EXPECT_EQ(bar->Position(), 65);
  screen().Release(B::Left, 16, 10 + 220);
  EXPECT_FALSE(bar->RepeatTimer().Enabled());
  EXPECT_EQ(changes, 3);

  // Up button; at Min further steps do nothing.
  bar->SetPosition(3);
  screen().MoveTo(16, 14);
  screen().Press(B::Left, 16, 14);
  EXPECT_EQ(bar->Position(), 0);
  bar->RepeatTimer().OnTimer();
  EXPECT_EQ(bar->Position(), 0);
  screen().Release(B::Left, 16, 14);

  // '+' and '-' step too.
  bar->KeyPress("+");
  bar->KeyPress("+");
  bar->KeyPress("-");
  EXPECT_EQ(bar->Position(), 5);
}

TEST_F(ScrollTest, PressOnTheTrackDragsTheSlider) {
  FXScrollbar* bar = Place();
  const int x = 16, top = 10;
  screen().MoveTo(x, top + 100);
  screen().Press(B::Left, x, top + 100);
  EXPECT_TRUE(bar->Dragging());
  EXPECT_EQ(bar->Position(), 0);  // the press alone moves nothing
  EXPECT_FALSE(bar->RepeatTimer().Enabled());

  // The slider's middle follows the pointer over the 225 - 40 pixels it can travel.
  const struct {
    int Y;
    std::int64_t Position;
  } moves[] = {{20 + 185 / 2, 50}, {20, 0}, {205, 100}, {-50, 0}, {400, 100}};
  for (const auto& m : moves) {
    screen().MoveTo(x, top + m.Y);
    EXPECT_EQ(bar->Position(), m.Position) << m.Y;
  }
  screen().Release(B::Left, x, top + 400);
  EXPECT_FALSE(bar->Dragging());
  screen().MoveTo(x, top + 20);
  EXPECT_EQ(bar->Position(), 100);

  // Without buttons a press starts no drag.
  bar->SetEnableButtons(false);
  screen().MoveTo(x, top + 100);
  screen().Press(B::Left, x, top + 100);
  EXPECT_FALSE(bar->Dragging());
  screen().MoveTo(x, top + 20);
  EXPECT_EQ(bar->Position(), 100);
  screen().Release(B::Left, x, top + 20);
}

// A slider as long as the bar has no room to travel, and an empty range has nowhere to go: a drag
// keeps such a bar at Min instead of dividing by zero.
TEST_F(ScrollTest, DragWithoutRoomToTravelStaysAtMin) {
  const struct {
    int Height;
    std::int64_t Min, Max;
  } cases[] = {{40, -100, 100}, {225, 20, 20}};
  for (const auto& c : cases) {
    FXScrollbar* bar = Place(100, 10);
    bar->SetHeight(c.Height);
    bar->SetMax(c.Max);
    bar->SetMin(c.Min);
    bar->SetPosition(c.Max);
    screen().MoveTo(106, 10 + c.Height / 2);
    screen().Press(B::Left, 106, 10 + c.Height / 2);
    ASSERT_TRUE(bar->Dragging());
    screen().MoveTo(106, 10 + c.Height - 1);
    EXPECT_EQ(bar->Position(), c.Min) << c.Height;
    screen().Release(B::Left, 106, 10 + c.Height - 1);
    delete bar;
  }
}

TEST_F(ScrollTest, HoverExpandsAndLeavingMinimisesWithAFade) {
  FXScrollbar* bar = Place();
  const TColor background = bar->DrawColors().BackGround();
  const TColor interior = bar->DrawColors().BackGroundInterior();
  ASSERT_NE(background, interior);
  EXPECT_EQ(bar->TrackColor(), background);

  screen().MoveTo(16, 100);
  EXPECT_FALSE(bar->Minimised());
  ASSERT_TRUE(bar->FadeTimer().Enabled());
  EXPECT_EQ(bar->FadeTimer().Interval(), 10);
  int ticks = 0;
  while (bar->FadeTimer().Enabled() && ticks < 100) {
    bar->FadeTimer().OnTimer();
    ++ticks;
    if (ticks == 8) {
      EXPECT_EQ(bar->TrackColor(), ColorBlend(background, interior, 120));
    }
  }
  EXPECT_EQ(ticks, 17);
  EXPECT_EQ(bar->TrackColor(), interior);

  screen().MoveTo(300, 300);
  EXPECT_TRUE(bar->Minimised());
  ticks = 0;
  while (bar->FadeTimer().Enabled() && ticks < 100) {
    bar->FadeTimer().OnTimer();
    ++ticks;
  }
  EXPECT_EQ(ticks, 17);
  EXPECT_EQ(bar->TrackColor(), background);

  // Without the animation the colour changes at once.
  bar->SetAnimation(false);
  screen().MoveTo(16, 100);
  EXPECT_FALSE(bar->FadeTimer().Enabled());
  EXPECT_EQ(bar->TrackColor(), interior);

  // Without AutoMinimise the bar stays as the pointer left it.
  bar->SetAutoMinimise(false);
  screen().MoveTo(300, 300);
  EXPECT_FALSE(bar->Minimised());
}

TEST_F(ScrollTest, ColoursFollowTheThemeTheParentAndCustomSets) {
  auto* panel = new FXPanel(form.get());
  panel->SetBounds(0, 0, 300, 300);
  panel->SetParent(form.get());
  panel->SetBackgroundColor(FXBackgroundColor::Content);
  auto* bar = new FXScrollbar(form.get());
  bar->SetParent(panel);

  for (const bool dark : {false, true}) {
    ThemeManager().SetDarkThemeMode(dark ? FXDarkSetting::ForceDark : FXDarkSetting::ForceLight);
    panel->UpdateTheme(true);
    const FXCompleteColorSet& system = *ThemeManager().SystemColor;
    EXPECT_EQ(bar->Background(), panel->Background()) << dark;
    EXPECT_EQ(bar->DrawColors().BackGroundInterior(), system.BackGroundInterior());
    EXPECT_EQ(bar->DrawColors().ForeGround(), ChangeColorLight(system.BackGroundInterior(), dark ? 75 : -75));
  }
  ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);

  FXCompleteColorSets& own = bar->CustomColors();
  own.SetLightBackGround(0x102030);
  own.SetLightBackGroundInterior(0x405060);
  own.SetAccent(0x0000FF);
  own.SetEnabled(true);
  bar->UpdateTheme(false);
  EXPECT_EQ(bar->DrawColors().BackGround(), 0x102030u);
  EXPECT_EQ(bar->DrawColors().BackGroundInterior(), 0x405060u);
  EXPECT_EQ(bar->DrawColors().Accent(), 0x0000FFu);
  EXPECT_EQ(bar->TrackColor(), 0x102030u);

  bar->SetEnabled(false);
  EXPECT_EQ(bar->DrawColors().BackGround(), ChangeColorLight(0x102030, 20));
  EXPECT_EQ(bar->DrawColors().Accent(), ChangeColorLight(0x102030, 20));
}

TEST_F(ScrollTest, PaintsTheTrackAndSliderOnFlatAreas) {
  FXScrollbar* bar = Place();
  bar->SetPosition(0);
  const TColor fore = bar->DrawColors().ForeGround();
  const TColor background = bar->DrawColors().BackGround();
  const int y = 15 + 20;  // the middle of the slider

  // Minimised: a 3-pixel slider at the right (6..9), the rest of the track in the surrounding colour.
  EXPECT_EQ(At(*bar, 7, y), fore);
  EXPECT_EQ(At(*bar, 4, y), background);
  EXPECT_EQ(At(*bar, 4, 150), background);
  bar->SetPreferLeftSide(true);
  bar->Invalidate();
  EXPECT_EQ(At(*bar, 4, y), fore);
  EXPECT_EQ(At(*bar, 7, y), background);

  // Expanded: the whole slider width, the track in the interior colour.
  bar->SetAnimation(false);
  screen().MoveTo(16, 200);
  ASSERT_FALSE(bar->Minimised());
  EXPECT_EQ(At(*bar, 4, y), fore);
  EXPECT_EQ(At(*bar, 7, y), fore);
  EXPECT_EQ(At(*bar, 6, 150), bar->DrawColors().BackGroundInterior());
  // The up arrow's body, in the slider colour.
  EXPECT_EQ(At(*bar, 6, 8), fore);
}

// The box: 200 x 150 with 12-pixel bars, so the vertical bar sees 150 - 12 = 138 pixels of content.
class ScrollBoxTest : public ScrollTest {
 protected:
  FXScrollBox* MakeBox() {
    auto* box = new FXScrollBox(form.get());
    box->SetParent(form.get());
    box->SetBounds(10, 10, 200, 150);
    return box;
  }
  ui::TControl* AddChild(FXScrollBox& box, int left, int top, int width, int height) {
    auto* child = new ui::TPanel(form.get());
    child->SetBounds(left, top, width, height);
    child->SetParent(&box);
    box.UpdateScrollRanges();
    return child;
  }
};

TEST_F(ScrollBoxTest, BarsAppearWhenTheContentOutgrowsTheBox) {
  FXScrollBox* box = MakeBox();
  AddChild(*box, 0, 0, 100, 30);  // 30 + 100 of extra room fit in 138
  EXPECT_FALSE(box->ScrollBarVert().Visible());
  EXPECT_FALSE(box->ScrollBarHorz().Visible());

  AddChild(*box, 0, 200, 50, 50);
  FXScrollBoxScrollBar& vert = box->ScrollBarVert();
  EXPECT_TRUE(vert.Visible());
  EXPECT_EQ(vert.Max(), 250 + 100 - 138);  // with 100 pixels of extra room
  EXPECT_EQ(vert.BoundsRect(), Rect(188, 0, 200, 150));
  EXPECT_FALSE(box->ScrollBarHorz().Visible());

  // Wide content brings the horizontal bar, which leaves the vertical one its corner.
  AddChild(*box, 0, 0, 400, 20);
  FXScrollBoxScrollBar& horz = box->ScrollBarHorz();
  EXPECT_TRUE(horz.Visible());
  EXPECT_EQ(horz.Max(), 400 - 188);
  EXPECT_EQ(horz.BoundsRect(), Rect(0, 138, 188, 150));

  box->SetScrollExtendY(0);
  EXPECT_EQ(vert.Max(), 250 - 138);
  box->SetScrollbarEnableVertical(false);
  EXPECT_FALSE(vert.Visible());
  EXPECT_EQ(horz.Width(), 200);

  box->DestroyAll();
  EXPECT_EQ(box->ControlCount(), 2);
  EXPECT_FALSE(horz.Visible());
  EXPECT_EQ(horz.Max(), 0);
}

TEST_F(ScrollBoxTest, BarsScrollTheChildrenAndStayInPlace) {
  FXScrollBox* box = MakeBox();
  ui::TControl* low = AddChild(*box, 10, 200, 50, 50);
  auto* top = new ui::TPanel(form.get());
  top->SetAlign(ui::TAlign::alTop);
  top->SetHeight(30);
  top->SetParent(box);
  box->UpdateScrollRanges();

  box->ScrollBarVert().SetPosition(60);
  EXPECT_EQ(low->Top(), 140);
  EXPECT_EQ(top->Top(), -60);
  EXPECT_EQ(box->ScrollBarVert().BoundsRect(), Rect(188, 0, 200, 150));
  box->ScrollBarVert().SetPosition(0);
  EXPECT_EQ(low->Top(), 200);
  EXPECT_EQ(top->Top(), 0);
}

TEST_F(ScrollBoxTest, RangeShrinksWithTheContent) {
  FXScrollBox* box = MakeBox();
  ui::TControl* child = AddChild(*box, 0, 0, 50, 400);
  FXScrollBoxScrollBar& vert = box->ScrollBarVert();
  ASSERT_EQ(vert.Max(), 400 + 100 - 138);
  vert.SetPosition(vert.Max());
  EXPECT_EQ(child->Top(), -362);

  // Half the content goes: the range and the scrolled-to place come back with it, and the child
  // moves back by as much as the position did.
  child->SetHeight(200);
  box->UpdateScrollRanges();
  EXPECT_EQ(vert.Max(), 200 + 100 - 138);
  EXPECT_EQ(vert.Position(), vert.Max());
  EXPECT_EQ(child->Top(), -vert.Position());

  child->SetHeight(10);
  box->UpdateScrollRanges();
  EXPECT_EQ(vert.Max(), 0);
  EXPECT_FALSE(vert.Visible());
  EXPECT_EQ(child->Top(), 0);
}

// Each tick moves 20 pixels and the last one what remains, in either direction.
TEST_F(ScrollBoxTest, WheelGlidesByHandTicks) {
  const struct {
    std::int64_t Start;
    int Delta, Turns;
    std::vector<std::int64_t> Positions;
  } cases[] = {
      {0, -120, 1, {20, 25}},
      {100, 120, 1, {80, 75}},             // up: never past 75 and back
      {0, -120, 2, {20, 40, 50}},
      {30, 120, 2, {10, 0}},               // stops at the top: the rest is dropped
  };
  for (const auto& c : cases) {
    FXScrollBox* box = MakeBox();
    AddChild(*box, 0, 0, 50, 400);
    FXScrollBoxScrollBar& vert = box->ScrollBarVert();
    vert.SetPosition(c.Start);
    for (int i = 0; i < c.Turns; ++i) screen().Wheel(c.Delta, 50, 50);
    ASSERT_TRUE(box->WheelTimer().Enabled());
    std::vector<std::int64_t> seen;
    for (int ticks = 0; box->WheelTimer().Enabled() && ticks < 50; ++ticks) {
      box->WheelTimer().OnTimer();
      if (seen.empty() || seen.back() != vert.Position()) seen.push_back(vert.Position());
    }
    EXPECT_EQ(seen, c.Positions) << c.Start << " " << c.Delta;
    EXPECT_EQ(box->RemainingY(), 0);
    delete box;
  }
}

TEST_F(ScrollBoxTest, WheelAxisAndDirectScrolling) {
  FXScrollBox* box = MakeBox();
  box->SetAnimation(false);
  AddChild(*box, 0, 0, 400, 400);
  FXScrollBoxScrollBar& vert = box->ScrollBarVert();
  FXScrollBoxScrollBar& horz = box->ScrollBarHorz();

  screen().Wheel(-120, 50, 50);
  EXPECT_EQ(vert.Position(), 25);
  screen().Wheel(-120, 50, 50, platform::ShiftKey);
  EXPECT_EQ(horz.Position(), 25);
  screen().Wheel(120, 50, 50, platform::CtrlKey);  // other modifiers scroll nothing
  EXPECT_EQ(vert.Position(), 25);
  EXPECT_EQ(horz.Position(), 25);

  // Without a vertical bar the plain wheel scrolls sideways.
  box->SetScrollbarEnableVertical(false);
  screen().Wheel(-120, 50, 50);
  EXPECT_EQ(horz.Position(), 50);
  EXPECT_FALSE(box->WheelTimer().Enabled());
}

TEST_F(ScrollBoxTest, ThemeReachesTheBarsAndChildren) {
  FXScrollBox* box = MakeBox();
  auto* panel = new FXPanel(form.get());
  panel->SetParent(box);
  EXPECT_EQ(box->Background(), box->DrawColors().BackGround());

  box->SetBackgroundColor(FXBackgroundColor::Content);
  EXPECT_EQ(box->Background(), box->DrawColors().BackGroundInterior());
  EXPECT_EQ(box->Color(), MakeARGB(box->DrawColors().BackGroundInterior(), 255));
  EXPECT_EQ(box->ScrollBarVert().Background(), box->Background());

  ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceDark);
  box->UpdateTheme(true);
  EXPECT_EQ(box->DrawColors().BackGroundInterior(), ThemeManager().SystemColor->BackGroundInterior());
  EXPECT_EQ(box->ScrollBarHorz().Background(), box->Background());
  EXPECT_EQ(panel->DrawColors().BackGround(), ThemeManager().SystemColor->BackGround());
}

}  // namespace
