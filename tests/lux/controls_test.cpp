// The framework's control bases on headless forms: state machine, focus line, transparency, opacity, scaling.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "lux/classes.h"
#include "lux/controls.h"
#include "platform/headless_window.h"
#include "screen.h"
#include "ui/forms.h"

namespace {

using namespace lux;
using ui::TForm;

using testsupport::Screen;

// A control painting a solid square of its colour, logging what the base asks of it.
struct TProbe : FXWindowsControl, FXControl {
  TProbe(TForm& form, int left, int top, TColor color, ui::TWinControl* parent = nullptr) : FXWindowsControl(&form) {
    FAutoFocusLine = true;
    SetColor(color);
    SetBounds(left, top, 20, 20);
    SetParent(parent ? parent : &form);
  }
  bool IsContainer() override { return false; }
  void UpdateTheme(bool) override { ++themes; }
  TColor Background() override { return Color(); }
  void PaintBuffer() override {
    ++paints;
    PaintBackground();
    Buffer().FillRect({5, 5, 15, 15}, MakeARGB(Color(), 255));
    FXWindowsControl::PaintBuffer();
  }
  void InteractionStateChanged(FXControlState state) override {
    states.push_back(state);
    FXWindowsControl::InteractionStateChanged(state);
  }
  void OpenPopupMenu(int x, int y) override { popups.push_back({x, y}); }
  void KeyDown(int& key, ui::TShiftState shift) override {
    keys.push_back(key);
    FXWindowsControl::KeyDown(key, shift);
  }
  using FXWindowsControl::SetInteractionState;

  int paints = 0, themes = 0;
  std::vector<FXControlState> states;
  std::vector<ui::TPoint> popups;
  std::vector<int> keys;
};

constexpr TColor kRed = 0x0000FF, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

TEST(Padding, SettersNotifyTheOwnerAndScalingTruncatesSilently) {
  TForm form(nullptr);
  TProbe probe(form, 0, 0, kWhite);
  FXPadding& padding = probe.PaddingFill();
  int changes = 0;
  padding.OnChange = [&](FXPadding&) { ++changes; };
  const int themes = probe.themes;
  padding.SetLeft(5);
  padding.SetTop(2);
  padding.SetRight(3);
  padding.SetBottom(4);
  EXPECT_EQ(probe.themes - themes, 4);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(padding.PadWidth(), 8);
  EXPECT_EQ(padding.PadHeight(), 6);
  EXPECT_EQ(padding.ApplyTo({10, 10, 50, 40}), (TRect{15, 12, 47, 36}));
  EXPECT_EQ(probe.ClientRect(), (TRect{5, 2, 17, 16}));

  padding.ScaleChanged(1.5f);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(padding.ApplyTo({0, 0, 100, 100}), (TRect{7, 3, 96, 94}));

  FXPadding copy(nullptr);
  copy.Assign(padding);
  EXPECT_EQ(copy.ApplyTo({0, 0, 100, 100}), (TRect{7, 3, 96, 94}));
}

TEST(IconSelect, OnlyTheShownKindRepaintsTheOwnerAndAssignCopiesEverything) {
  TForm form(nullptr);
  TProbe probe(form, 0, 0, kWhite);
  FXIconSelect icon(&probe);
  EXPECT_FALSE(icon.Enabled());
  EXPECT_EQ(icon.IconType(), FXIconType::SegoeIcon);
  EXPECT_EQ(icon.SelectSegoe(), "\xEE\x9C\xB4");

  const int paints = probe.paints;
  icon.SetSelectBitmap(ui::TBitmap(4, 3));
  EXPECT_EQ(probe.paints, paints);
  EXPECT_EQ(icon.SelectBitmap().Width(), 4);
  icon.SetSelectSegoe("\xEE\x9C\x80");
  EXPECT_EQ(probe.paints, paints + 1);

  icon.SetEnabled(true);
  icon.SetSelectImageIndex(7);
  icon.SetIconType(FXIconType::BitMap);
  FXIconSelect copy(nullptr);
  copy.Assign(icon);
  EXPECT_TRUE(copy.Enabled());
  EXPECT_EQ(copy.IconType(), FXIconType::BitMap);
  EXPECT_EQ(copy.SelectBitmap().Height(), 3);
  EXPECT_EQ(copy.SelectSegoe(), "\xEE\x9C\x80");
  EXPECT_EQ(copy.SelectImageIndex(), 7);
}

// Inked pixels (alpha above half) of the selected glyphs drawn into a 32 x 32 box.
std::vector<bool> InkOf(const std::string& glyphs) {
  ui::TBitmap target(32, 32);
  ui::TCanvas canvas(target);
  canvas.Font.SetName("Sans");
  FXIconSelect icon(nullptr);
  icon.SetSelectSegoe(glyphs);
  icon.DrawIcon(canvas, {0, 0, 32, 32});
  EXPECT_EQ(canvas.Font.Name(), "Sans");
  std::vector<bool> ink;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) ink.push_back(ui::AlphaOf(target.Color(x, y)) > 128);
  return ink;
}

TEST(IconSelect, LayeredGlyphsAreDrawnOverEachOther) {
  const std::string box = "\xEE\x80\x83", check = "\xEE\x9C\xBE";  // U+E003, U+E73E
  const std::vector<bool> first = InkOf(box), second = InkOf(check), both = InkOf(box + check);
  int extra = 0;
  for (std::size_t i = 0; i < both.size(); ++i) {
    EXPECT_TRUE(both[i] || !first[i]) << i;
    extra += both[i] && !first[i];
  }
  EXPECT_GT(extra, 5);
  EXPECT_GT(std::count(second.begin(), second.end(), true), 5);
}

TEST(WindowsControl, WithoutAParentInvalidatePaintsNothing) {
  TForm form(nullptr);
  auto* loose = new TProbe(form, 0, 0, kRed, nullptr);
  loose->SetParent(nullptr);
  loose->paints = 0;
  loose->Invalidate();
  EXPECT_EQ(loose->paints, 0);
}

TEST(WindowsControl, StateFollowsEitherButtonAndTheRightReleaseOpensThePopup) {
  TForm form(nullptr);
  form.SetClientSize(100, 100);
  auto* probe = new TProbe(form, 10, 10, kRed);
  form.Show();
  platform::HeadlessWindow& screen = Screen(form);
  using B = platform::MouseButton;
  using S = FXControlState;

  screen.MoveTo(15, 15);
  EXPECT_EQ(probe->InteractionState(), S::Hover);
  screen.Press(B::Right, 15, 15);
  EXPECT_EQ(probe->InteractionState(), S::Hover);
  screen.Release(B::Right, 16, 17);
  ASSERT_EQ(probe->popups.size(), 1u);
  EXPECT_EQ(probe->popups[0], (ui::TPoint{6, 7}));

  screen.Press(B::Left, 15, 15);
  EXPECT_EQ(probe->InteractionState(), S::Press);
  EXPECT_EQ(probe->PreviousInteractionState(), S::Hover);
  EXPECT_TRUE(probe->Focused());
  screen.MoveTo(60, 60);  // captured: the release outside still reaches it, then the leave follows
  screen.Release(B::Left, 60, 60);
  EXPECT_EQ(probe->InteractionState(), S::None);
  EXPECT_EQ(probe->states, (std::vector<S>{S::Hover, S::Press, S::Hover, S::None}));
  EXPECT_EQ(probe->popups.size(), 1u);

  probe->SetInteractionState(S::None, false, true);
  EXPECT_EQ(probe->states.size(), 4u);
  probe->SetInteractionState(S::None, true, false);
  EXPECT_EQ(probe->states.size(), 5u);
  EXPECT_EQ(probe->PreviousInteractionState(), S::Hover);
}

TEST(WindowsControl, FocusLineFollowsKeyboardFocusOnly) {
  TForm form(nullptr);
  form.SetClientSize(100, 60);
  form.SetColor(0xFFFFFFFF);
  auto* a = new TProbe(form, 0, 0, kWhite);
  auto* b = new TProbe(form, 30, 0, kWhite);
  form.Show();
  platform::HeadlessWindow& screen = Screen(form);
  auto lineShown = [&](int left) { return ui::Unpremultiply(screen.ScreenPixel(left, 10)) != 0xFFFFFFFF; };

  screen.Click(35, 5);  // focus by a press never shows the line
  EXPECT_TRUE(b->Focused());
  EXPECT_FALSE(b->HasEnteredTab());
  EXPECT_FALSE(lineShown(30));

  screen.TypeKey(platform::keys::Tab);
  EXPECT_TRUE(a->Focused());
  EXPECT_TRUE(a->HasEnteredTab());
  EXPECT_EQ(a->FocusRect(), (TRect{0, 0, 18, 18}));
  EXPECT_TRUE(lineShown(0));

  screen.Click(5, 5);  // a later press takes it away until the next keyboard focus
  EXPECT_FALSE(a->HasEnteredTab());
  EXPECT_FALSE(lineShown(0));
}

TEST(WindowsControl, FocusFlagsKeepTheirKeysFromNavigation) {
  TForm form(nullptr);
  form.SetClientSize(100, 60);
  auto* a = new TProbe(form, 0, 0, kWhite);
  auto* b = new TProbe(form, 30, 0, kWhite);
  form.Show();
  a->SetFocus();
  EXPECT_FALSE(a->WantsKey(platform::keys::Left, 0));
  a->SetFocusFlags({FXFocusFlag::CatchLeft, FXFocusFlag::CatchRight});
  EXPECT_TRUE(a->WantsKey(platform::keys::Left, 0));
  EXPECT_TRUE(a->WantsKey(platform::keys::Right, 0));
  EXPECT_FALSE(a->WantsKey(platform::keys::Up, 0));
  Screen(form).TypeKey(platform::keys::Left);
  EXPECT_EQ(a->keys, (std::vector<int>{platform::keys::Left}));
  Screen(form).TypeKey(platform::keys::Tab);
  EXPECT_TRUE(b->Focused());

  b->SetFocusFlags({FXFocusFlag::CatchTab});
  Screen(form).TypeKey(platform::keys::Tab);
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(b->keys, (std::vector<int>{platform::keys::Tab}));
}

TEST(WindowsControl, WithoutHitTestAClickReachesTheControlBeneath) {
  TForm form(nullptr);
  form.SetClientSize(100, 60);
  auto* beneath = new TProbe(form, 0, 0, kWhite);
  auto* above = new TProbe(form, 0, 0, kRed);
  int clicks = 0;
  beneath->OnClick = [&](ui::TControl&) { ++clicks; };
  above->SetHitTest(false);
  form.Show();
  Screen(form).Click(5, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(beneath->Focused());
}

TEST(WindowsControl, TransparencyCopiesOnlyLowerFrameworkSiblings) {
  TForm form(nullptr);
  form.SetClientSize(100, 100);
  auto* panel = new ui::TPanel(&form);  // not a framework control: never reproduced
  panel->SetColor(0xFF00FF00);
  panel->SetBounds(0, 20, 40, 20);
  panel->SetParent(&form);
  auto* lower = new TProbe(form, 0, 0, kRed);
  auto* upper = new TProbe(form, 10, 10, kBlue);
  upper->Invalidate();
  lower->Invalidate();

  const ui::TBitmap& behind = upper->BackgroundBitmap();
  EXPECT_EQ(behind.Color(5, 5), 0xFFFF0000u);  // lower's red square at (15, 15)
  EXPECT_EQ(behind.Color(8, 2), 0xFFFF0000u);
  EXPECT_EQ(behind.Color(15, 2), 0xFF0000FFu);  // beyond lower: upper's own colour
  EXPECT_EQ(behind.Color(5, 15), 0xFF0000FFu);  // over the panel: upper's own colour
  EXPECT_EQ(lower->BackgroundBitmap().Color(15, 15), 0xFFFF0000u);  // nothing of upper beneath lower

  upper->SetTransparent(false);
  EXPECT_EQ(upper->BackgroundBitmap().Color(5, 5), 0xFF0000FFu);
  upper->SetTransparent(true);

  auto* opaque = new TProbe(form, 12, 12, kWhite);
  opaque->SetTransparent(false);
  auto* apart = new TProbe(form, 60, 60, kWhite);
  upper->paints = lower->paints = opaque->paints = apart->paints = 0;
  lower->InvalidateControlsAbove();
  EXPECT_EQ(upper->paints, 1);
  EXPECT_EQ(opaque->paints, 0);
  EXPECT_EQ(apart->paints, 0);
  upper->InvalidateControlsAbove();
  EXPECT_EQ(lower->paints, 0);
}

TEST(WindowsControl, OpacityShowsTheBackgroundHalfThrough) {
  TForm form(nullptr);
  form.SetClientSize(100, 100);
  new TProbe(form, 0, 0, kRed);
  auto* upper = new TProbe(form, 10, 10, kBlue);
  upper->SetOpacity(128);
  form.Show();
  form.Repaint();
  const ui::TAlphaColor mixed = ui::Unpremultiply(Screen(form).ScreenPixel(16, 16));  // blue square over lower's red
  EXPECT_NEAR(ui::RedOf(mixed), 127, 2);
  EXPECT_NEAR(ui::BlueOf(mixed), 128, 2);
  const ui::TAlphaColor own = ui::Unpremultiply(Screen(form).ScreenPixel(28, 28));  // blue over blue
  EXPECT_EQ(ui::BlueOf(own), 255);
}

TEST(WindowsControl, DisablingReResolvesTheColoursOnce) {
  TForm form(nullptr);
  auto* probe = new TProbe(form, 0, 0, kRed);
  probe->themes = probe->paints = 0;
  probe->SetEnabled(false);
  EXPECT_EQ(probe->themes, 1);
  EXPECT_EQ(probe->paints, 1);
}

TEST(WindowsControl, RescalingScalesFontAndPadding) {
  TForm form(nullptr);
  auto* probe = new TProbe(form, 0, 0, kRed);
  ui::TFont font = probe->Font();
  font.SetHeight(16);
  probe->SetFont(font);
  probe->PaddingFill().SetLeft(5);
  probe->paints = 0;
  probe->ChangeScale(3, 2);
  EXPECT_EQ(probe->Font().Height(), 24);
  EXPECT_EQ(probe->PaddingFill().Left(), 7);
  EXPECT_EQ(probe->Width(), 30);
  EXPECT_GE(probe->paints, 1);
}

struct TGraphicProbe : FXBufferGraphicControl {
  using FXBufferGraphicControl::FXBufferGraphicControl;
  void InteractionStateChanged(FXControlState state) override { states.push_back(state); }
  std::vector<FXControlState> states;
};

TEST(BufferGraphicControl, StatesAndEventsFollowThePointer) {
  TForm form(nullptr);
  form.SetClientSize(100, 100);
  auto* probe = new TGraphicProbe(&form);
  probe->SetBounds(10, 10, 20, 20);
  probe->SetParent(&form);
  EXPECT_EQ(probe->Buffer().Width(), 20);
  std::vector<std::string> events;
  probe->OnMouseEnter = [&](ui::TControl&) { events.push_back("enter"); };
  probe->OnMouseLeave = [&](ui::TControl&) { events.push_back("leave"); };
  form.Show();
  platform::HeadlessWindow& screen = Screen(form);
  using S = FXControlState;
  screen.MoveTo(15, 15);
  screen.Press(platform::MouseButton::Left, 15, 15);
  screen.Release(platform::MouseButton::Left, 15, 15);
  events.clear();
  screen.MoveTo(60, 60);
  EXPECT_EQ(events, (std::vector<std::string>{"leave"}));
  EXPECT_EQ(probe->states, (std::vector<S>{S::Hover, S::Press, S::Hover, S::None}));
}

}  // namespace
