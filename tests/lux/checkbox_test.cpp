// Check box and radio button on headless forms: states, animation, exclusivity, layout, colours, input.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lux/checkbox.h"
#include "lux/colors.h"
#include "lux/radio_button.h"
#include "lux/theme_manager.h"
#include "platform/headless_window.h"
#include "screen.h"
#include "ui/canvas.h"
#include "ui/forms.h"

namespace {

using namespace lux;
using B = platform::MouseButton;
using S = FXCheckBoxState;

using testsupport::Screen;

class SelectionTest : public testing::Test {
 protected:
  void SetUp() override { ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight); }
  void TearDown() override { ThemeManager().SetDarkThemeMode(FXDarkSetting::Auto); }

  // A shown form with a check box at (10, 10), 180 x 30.
  FXCheckBox& AddCheckBox(ui::TWinControl* parent = nullptr, int top = 10) {
    auto* box = new FXCheckBox(&form);
    box->SetBounds(10, top, 180, 30);
    box->SetParent(parent ? parent : &form);
    return *box;
  }
  FXRadioButton& AddRadio(ui::TWinControl* parent, int top, std::intptr_t tag) {
    auto* radio = new FXRadioButton(&form);
    radio->SetBounds(10, top, 180, 30);
    radio->SetTag(tag);
    radio->SetParent(parent);
    return *radio;
  }
  // The pointer position on the form of a point in the control's client area.
  static ui::TPoint OnForm(const ui::TControl& c, int x, int y) {
    const ui::TPoint o = c.OriginOnForm();
    return {o.X + x, o.Y + y};
  }
  void ClickAt(const ui::TControl& c, int x, int y) {
    const ui::TPoint p = OnForm(c, x, y);
    Screen(form).Click(p.X, p.Y);
  }

  ui::TForm form{nullptr};
};

// The one effect of an input on the state: a click released on the box, Enter or Space.
enum class Input { Click, Enter, Space };

struct CycleCase {
  bool allowGrayed;
  Input input;
  std::vector<S> states;  // after each of three inputs, from Unchecked
};

class CheckBoxCycle : public SelectionTest, public testing::WithParamInterface<CycleCase> {};

TEST_P(CheckBoxCycle, EachInputMovesToTheNextStateAndFiresOnChange) {
  const CycleCase& c = GetParam();
  FXCheckBox& box = AddCheckBox();
  box.SetAllowGrayed(c.allowGrayed);
  std::vector<S> seen;
  box.OnChange = [&](FXCheckBox& sender) { seen.push_back(sender.State()); };
  form.Show();
  form.SetActiveControl(&box);
  for (int i = 0; i < 3; ++i) {
    switch (c.input) {
      case Input::Click: ClickAt(box, 100, 15); break;
      case Input::Enter: Screen(form).Type("\r"); break;
      case Input::Space: Screen(form).Type(" "); break;
    }
  }
  EXPECT_EQ(seen, c.states);
  EXPECT_EQ(box.State(), c.states.back());
}

INSTANTIATE_TEST_SUITE_P(
    States, CheckBoxCycle,
    testing::Values(CycleCase{false, Input::Click, {S::Checked, S::Unchecked, S::Checked}},
                    CycleCase{true, Input::Click, {S::Checked, S::Grayed, S::Unchecked}},
                    CycleCase{true, Input::Enter, {S::Checked, S::Grayed, S::Unchecked}},
                    CycleCase{false, Input::Space, {S::Checked, S::Unchecked, S::Checked}}));

TEST_F(SelectionTest, GrayedReadsCheckedAndLeavesWithoutAnimation) {
  FXCheckBox& box = AddCheckBox();
  int changes = 0;
  box.OnChange = [&](FXCheckBox&) { ++changes; };
  EXPECT_EQ(box.State(), S::Unchecked);
  EXPECT_FALSE(box.Checked());

  box.SetState(S::Grayed);
  EXPECT_TRUE(box.Checked());
  EXPECT_FALSE(box.AnimateTimer().Enabled());
  box.SetChecked(true);  // from Grayed: no mark to draw stroke by stroke
  EXPECT_EQ(box.State(), S::Checked);
  EXPECT_EQ(box.AnimationStatus(), 100);
  EXPECT_FALSE(box.AnimateTimer().Enabled());
  box.SetChecked(true);
  EXPECT_EQ(changes, 2);

  // Without AllowGrayed a Grayed box falls back to Unchecked silently.
  box.SetAllowGrayed(true);
  box.SetState(S::Grayed);
  box.SetAllowGrayed(false);
  EXPECT_EQ(box.State(), S::Unchecked);
  EXPECT_EQ(changes, 3);
  // A Checked box keeps its state when AllowGrayed goes.
  box.SetAllowGrayed(true);
  box.SetChecked(true);
  box.SetAllowGrayed(false);
  EXPECT_EQ(box.State(), S::Checked);
}

// Pixels in the middle of the box brighter than the accent fill: the check mark drawn in the background colour.
int MarkPixels(const FXCheckBox& box) {
  const TRect r = box.GetIconRect();
  const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2, half = r.Width() / 6;
  int count = 0;
  for (int y = cy - half; y <= cy + half; ++y)
    for (int x = cx - half; x <= cx + half; ++x)
      count += ColorBrightness(ColorFromARGB(box.Buffer().Pixel(x, y))) > 200;
  return count;
}

TEST_F(SelectionTest, CheckingDrawsTheMarkInTwentyTicks) {
  FXCheckBox& box = AddCheckBox();
  int paints = 0;
  box.OnPaintBuffer = [&](FXControl*) { ++paints; };
  box.SetChecked(true);
  ui::TTimer& timer = box.AnimateTimer();
  EXPECT_EQ(box.AnimationStatus(), 0);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1);
  const int marked = MarkPixels(box);

  paints = 0;
  for (int tick = 1; tick < 20; ++tick) timer.OnTimer();
  EXPECT_EQ(box.AnimationStatus(), 95);
  EXPECT_TRUE(timer.Enabled());
  timer.OnTimer();
  EXPECT_EQ(box.AnimationStatus(), 100);
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(paints, 20);
  EXPECT_EQ(marked, 0);
  EXPECT_GT(MarkPixels(box), 3);
}

TEST_F(SelectionTest, WithoutAnimationTheCheckedGlyphShowsAtOnce) {
  FXCheckBox& box = AddCheckBox();
  box.AnimationEnabled = false;
  box.SetChecked(true);
  EXPECT_EQ(box.AnimationStatus(), 100);
  EXPECT_FALSE(box.AnimateTimer().Enabled());
  // The filled checked-box glyph alone, in the accent colour.
  ui::TBitmap expected(box.Width(), box.Height());
  expected.Fill(MakeARGB(box.DrawColors().BackGround(), 255));
  {
    ui::TCanvas canvas(expected);
    canvas.Font = box.IconFont();
    canvas.Font.SetColor(MakeARGB(ThemeManager().AccentColor(), 255));
    const ui::TSize size = canvas.TextExtent("\uE005");
    const TRect r = box.GetIconRect();
    canvas.TextOut(r.Left + (r.Width() - size.cx) / 2, r.Top + (r.Height() - size.cy) / 2, "\uE005");
  }
  const TRect r = box.GetIconRect();
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) ASSERT_EQ(box.Buffer().Pixel(x, y), expected.Pixel(x, y)) << x << "," << y;
}

TEST_F(SelectionTest, RadioButtonsAreExclusiveAmongSiblingsOnly) {
  ui::TPanel group(&form), other(&form);
  group.SetBounds(0, 0, 200, 120);
  group.SetParent(&form);
  other.SetBounds(200, 0, 200, 120);
  other.SetParent(&form);
  FXCheckBox& box = AddCheckBox(&group, 90);
  FXRadioButton& a = AddRadio(&group, 0, 1);
  FXRadioButton& b = AddRadio(&group, 30, 2);
  FXRadioButton& c = AddRadio(&group, 60, 3);
  FXRadioButton& elsewhere = AddRadio(&other, 0, 9);
  std::vector<std::intptr_t> checks;
  for (FXRadioButton* r : {&a, &b, &c, &elsewhere}) r->OnCheck = [&](FXRadioButton& s) { checks.push_back(s.Tag()); };

  EXPECT_EQ(b.GetCheckedTag(), 2);  // none checked: its own tag
  elsewhere.SetChecked(true);
  b.SetChecked(true);
  box.SetChecked(true);
  EXPECT_EQ(a.GetCheckedTag(), 2);
  EXPECT_EQ(elsewhere.GetCheckedTag(), 9);

  form.Show();
  ClickAt(c, 100, 15);
  EXPECT_TRUE(c.Checked());
  EXPECT_FALSE(b.Checked());
  EXPECT_FALSE(a.Checked());
  EXPECT_TRUE(elsewhere.Checked());
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(a.GetCheckedTag(), 3);
  EXPECT_EQ(checks, (std::vector<std::intptr_t>{9, 2, 3}));

  // Clicking the checked one, or unchecking, fires nothing.
  ClickAt(c, 100, 15);
  Screen(form).Type(" ");
  EXPECT_TRUE(c.Checked());
  c.SetChecked(false);
  EXPECT_FALSE(c.Checked());
  EXPECT_EQ(checks.size(), 3u);
  EXPECT_EQ(a.GetCheckedTag(), 1);

  FXRadioButton loose(nullptr);
  loose.SetTag(5);
  loose.SetChecked(true);
  EXPECT_EQ(loose.GetCheckedTag(), 5);
}

TEST_F(SelectionTest, OnlyAReleaseOnTheControlEndingAPressOnItToggles) {
  FXCheckBox& box = AddCheckBox(nullptr, 10);
  FXRadioButton& radio = AddRadio(&form, 50, 1);
  form.SetClientSize(300, 200);
  form.Show();
  platform::HeadlessWindow& screen = Screen(form);
  for (ui::TControl* c : std::initializer_list<ui::TControl*>{&box, &radio}) {
    const ui::TPoint inside = OnForm(*c, 100, 15), outside = OnForm(*c, 100, 100);
    // Pressed on it, dragged off, released outside.
    screen.Press(B::Left, inside.X, inside.Y);
    screen.MoveTo(outside.X, outside.Y);
    screen.Release(B::Left, outside.X, outside.Y);
    // Pressed elsewhere, dragged onto it.
    screen.Press(B::Left, outside.X, outside.Y);
    screen.MoveTo(inside.X, inside.Y);
    screen.Release(B::Left, inside.X, inside.Y);
    // A release that no press on it began, delivered straight to it.
    c->MouseUp(B::Left, 0, 100, 15);
    // A right click.
    screen.Press(B::Right, inside.X, inside.Y);
    screen.Release(B::Right, inside.X, inside.Y);
  }
  EXPECT_FALSE(box.Checked());
  EXPECT_FALSE(radio.Checked());

  ClickAt(box, 100, 15);
  ClickAt(radio, 100, 15);
  EXPECT_TRUE(box.Checked());
  EXPECT_TRUE(radio.Checked());

  // Disabled: a press and release straight on the control change nothing.
  box.SetEnabled(false);
  box.MouseDown(B::Left, 0, 100, 15);
  box.MouseUp(B::Left, 0, 100, 15);
  EXPECT_TRUE(box.Checked());
}

struct LayoutCase {
  FXDrawLayout layout;
  bool image;
};

class SelectionLayout : public SelectionTest, public testing::WithParamInterface<LayoutCase> {};

TEST_P(SelectionLayout, RectanglesFollowTheLayout) {
  const LayoutCase& c = GetParam();
  FXCheckBox& box = AddCheckBox();
  box.SetBounds(10, 10, 200, 120);
  box.PaddingFill().SetLeft(4);
  box.PaddingFill().SetTop(3);
  box.PaddingFill().SetRight(5);
  box.PaddingFill().SetBottom(2);
  box.SetTextSpacing(7);
  box.Image().SetEnabled(c.image);
  box.SetImageScale(2);
  box.SetLayout(c.layout);

  ui::TBitmap scratch(1, 1);
  ui::TCanvas canvas(scratch);
  canvas.Font = box.IconFont();
  const int s = canvas.TextWidth("\uE003");
  canvas.Font = box.Font();
  const int p = c.image ? 2 * canvas.TextHeight("ABC...") : 0;
  ASSERT_GT(s, 8);
  const TRect d{4, 3, 195, 118};
  const int g = 7, mid = d.Left + (d.Width() - s) / 2;

  TRect icon, text;
  FXLayout align = FXLayout::Beginning;
  switch (c.layout) {
    case FXDrawLayout::Left:
      icon = {d.Left, d.Top, d.Left + s + 2 * g, d.Bottom};
      text = {icon.Right + g, d.Top, d.Right, d.Bottom};
      break;
    case FXDrawLayout::Right:
      icon = {d.Right - s - g, d.Top, d.Right, d.Bottom};
      text = {d.Left, d.Top, icon.Left - 2 * g, d.Bottom};
      break;
    case FXDrawLayout::Top:
      icon = {mid, d.Top, mid + s, d.Top + s};
      text = {d.Left, d.Top + s + 3 * g, d.Right, d.Bottom};
      align = FXLayout::Center;
      break;
    case FXDrawLayout::Bottom:
      icon = {mid, d.Bottom - s, mid + s, d.Bottom};
      // The text ends a spacing above the box's area, which starts 2 spacings above the glyph.
      text = {d.Left, d.Top, d.Right, d.Bottom - s - 3 * g};
      align = FXLayout::Center;
      break;
  }
  TRect image{};
  if (c.image) {
    const bool beside = c.layout == FXDrawLayout::Left || c.layout == FXDrawLayout::Right;
    image = beside ? TRect{text.Left, d.Top, text.Left + p, d.Bottom} : TRect{d.Left, text.Top, d.Right, text.Top + p};
    (beside ? text.Left : text.Top) = (beside ? image.Right : image.Bottom) + g;
  }
  EXPECT_EQ(box.GetIconRect(), icon);
  EXPECT_EQ(box.GetTextRect(), text);
  EXPECT_EQ(box.GetImageRect(), image);
  EXPECT_EQ(box.TextLayout(), align);
  if (c.layout == FXDrawLayout::Bottom) { EXPECT_LE(box.GetTextRect().Bottom, d.Bottom - s - 2 * g); }

  // The radio button lays out by the same rules.
  FXRadioButton radio(nullptr);
  radio.SetLayout(c.layout);
  radio.SetIconFont(box.IconFont());
  radio.SetTextSpacing(7);
  radio.PaddingFill().Assign(box.PaddingFill());
  radio.Image().SetEnabled(c.image);
  radio.SetImageScale(2);
  radio.SetBounds(0, 0, 200, 120);
  EXPECT_EQ(radio.GetIconRect(), icon);
  EXPECT_EQ(radio.GetTextRect(), text);

  // A resize lays the control out again.
  box.SetBounds(10, 10, 260, 120);
  EXPECT_EQ(box.GetIconRect().Right - icon.Right, c.layout == FXDrawLayout::Left ? 0 : c.layout == FXDrawLayout::Right ? 60 : 30);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SelectionLayout,
                         testing::Values(LayoutCase{FXDrawLayout::Left, false}, LayoutCase{FXDrawLayout::Right, false},
                                         LayoutCase{FXDrawLayout::Top, false}, LayoutCase{FXDrawLayout::Bottom, false},
                                         LayoutCase{FXDrawLayout::Left, true}, LayoutCase{FXDrawLayout::Right, true},
                                         LayoutCase{FXDrawLayout::Top, true}, LayoutCase{FXDrawLayout::Bottom, true}));

// The colour at the centre of the box (the accent fill of a checked box before its mark is drawn).
TColor BoxCentre(const FXSelectionControl& c) {
  const TRect r = c.GetIconRect();
  return ColorFromARGB(c.Buffer().Pixel((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
}

// The darkest text pixel: the text colour where a stroke covers whole pixels.
int DarkestText(const FXSelectionControl& c) {
  const TRect r = c.GetTextRect();
  int darkest = 255;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < std::min(r.Right, c.Width()); ++x)
      darkest = std::min(darkest, ColorBrightness(ColorFromARGB(c.Buffer().Pixel(x, y))));
  return darkest;
}

TEST_F(SelectionTest, ColoursFollowAccentStateAndEnabled) {
  FXCheckBox& box = AddCheckBox();
  FXRadioButton& radio = AddRadio(&form, 50, 1);
  const TColor accent = ThemeManager().AccentColor(), fore = ThemeManager().SystemColor->ForeGround();
  EXPECT_EQ(box.IconAccentColors().None(), accent);
  EXPECT_EQ(box.IconAccentColors().Hover(), ChangeColorLight(accent, 25));
  EXPECT_EQ(box.IconAccentColors().Press(), ChangeColorLight(accent, -25));
  EXPECT_EQ(box.DrawColors().ForeGround(), fore);
  box.SetChecked(true);
  radio.SetChecked(true);
  EXPECT_EQ(BoxCentre(box), accent);
  EXPECT_LT(DarkestText(box), 0x60);

  box.SetEnabled(false);
  radio.SetEnabled(false);
  for (const FXSelectionControl* c : {static_cast<FXSelectionControl*>(&box), static_cast<FXSelectionControl*>(&radio)}) {
    EXPECT_EQ(c->IconAccentColors().None(), 0x808080u);
    EXPECT_EQ(c->IconAccentColors().Hover(), 0x999999u);
    EXPECT_EQ(c->IconAccentColors().Press(), 0x676767u);
  }
  EXPECT_EQ(box.DrawColors().ForeGround(), 0x808080u);
  EXPECT_EQ(radio.DrawColors().ForeGround(), fore);
  EXPECT_EQ(BoxCentre(box), 0x808080u);
  EXPECT_GE(DarkestText(box), 0x70);
  EXPECT_LT(DarkestText(radio), 0x60);
  // The radio's filled circle, between its rim and its dot, is grey.
  const TRect r = radio.GetIconRect();
  const int cy = (r.Top + r.Bottom) / 2;
  bool grey = false;
  for (int x = r.Left; x < r.Right; ++x) grey = grey || ColorFromARGB(radio.Buffer().Pixel(x, cy)) == 0x808080u;
  EXPECT_TRUE(grey);

  // An own colour set replaces the accent and the theme's colours once enabled.
  box.SetEnabled(true);
  box.CustomColors().SetAccent(0x0000C0);
  box.CustomColors().SetLightBackGround(0x00E0F0);
  box.CustomColors().SetLightForeGround(0x400000);
  box.CustomColors().SetEnabled(true);
  EXPECT_EQ(box.IconAccentColors().None(), 0x0000C0u);
  EXPECT_EQ(box.DrawColors().BackGround(), 0x00E0F0u);
  EXPECT_EQ(box.DrawColors().ForeGround(), 0x400000u);
  EXPECT_EQ(BoxCentre(box), 0x0000C0u);
}

TEST_F(SelectionTest, PointerGlyphColourAndScalingFollowTheMouseAndScreen) {
  FXCheckBox& box = AddCheckBox();
  box.SetAutomaticCursorPointer(true);
  form.Show();
  platform::HeadlessWindow& screen = Screen(form);
  const TRect icon = box.GetIconRect();
  const ui::TPoint over = OnForm(box, (icon.Left + icon.Right) / 2, 15), beside = OnForm(box, icon.Right + 30, 15);
  screen.MoveTo(over.X, over.Y);
  EXPECT_EQ(screen.CurrentCursor(), platform::Cursor::Hand);
  screen.MoveTo(beside.X, beside.Y);
  EXPECT_EQ(screen.CurrentCursor(), platform::Cursor::Arrow);
  // Before its first tick the checked box is a plain accent fill, in the colour of the press.
  box.SetChecked(true);
  screen.Press(B::Left, beside.X, beside.Y);
  EXPECT_EQ(box.InteractionState(), FXControlState::Press);
  EXPECT_EQ(BoxCentre(box), ChangeColorLight(ThemeManager().AccentColor(), -25));
  screen.Release(B::Left, beside.X, beside.Y);
  EXPECT_EQ(box.State(), S::Unchecked);

  FXRadioButton radio(nullptr);
  const double height = radio.IconFont().Height();
  radio.ChangeScale(3, 2);
  EXPECT_EQ(radio.TextSpacing(), 9);
  EXPECT_FLOAT_EQ(radio.ImageScale(), 2.25f);
  EXPECT_EQ(radio.IconFont().Height(), RoundEven(height * 1.5));
  EXPECT_EQ(radio.Width(), 270);
}

}  // namespace
