// The framework's button on headless forms: colours, layout, clicks of every kind, timers, keys, animation, paint.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lux/button.h"
#include "lux/forms.h"
#include "lux/popup_menu.h"
#include "lux/theme_manager.h"
#include "platform/headless_window.h"
#include "screen.h"
#include "ui/application.h"
#include "ui/forms.h"

namespace {

using namespace lux;
using namespace std::chrono_literals;
using B = platform::MouseButton;
using S = FXControlState;

using testsupport::Screen;

bool Loop(const std::function<bool()>& done) { return ui::Application().RunUntil(done, 10s); }

// Known text sizes, so the layout can be checked to the pixel on every system: every line is 20 high
// and every character 8 wide.
struct TSizedButton : FXButton {
  using FXButton::FXButton;
  std::int32_t GetTextHeight() const override { return 20; }
  std::int32_t GetTextWidth() const override {
    if (!ShowText()) return 0;
    return 8 * static_cast<std::int32_t>((StateEnabled() ? StateText() : Text()).size());
  }
};

class ButtonTest : public testing::Test {
 protected:
  void SetUp() override { ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight); }
  void TearDown() override {
    ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
    ThemeManager().SetDarkThemeMode(FXDarkSetting::Auto);
  }

  // A shown 300 x 200 form, so the button's window exists and pointer input reaches it.
  static std::unique_ptr<ui::TForm> ShownForm() {
    auto form = std::make_unique<ui::TForm>(nullptr);
    form->SetClientSize(300, 200);
    form->Show();
    return form;
  }
  template <typename T = FXButton>
  static T* Place(ui::TForm& form, int left, int top) {
    auto* button = new T(&form);
    button->SetBounds(left, top, 140, 35);
    button->SetParent(&form);
    return button;
  }
};

// Light: accent (0, 120, 212), background 240, text 32, interior 245. Dark: background 32, text 255, interior 43.
void UseKnownColors(FXButton& button) {
  FXCompleteColorSets& c = button.CustomColors();
  c.SetAccent(0xD47800);
  c.SetLightBackGround(0xF0F0F0);
  c.SetLightForeGround(0x202020);
  c.SetLightBackGroundInterior(0xF5F5F5);
  c.SetDarkBackGround(0x202020);
  c.SetDarkForeGround(0xFFFFFF);
  c.SetDarkBackGroundInterior(0x2B2B2B);
  c.SetEnabled(true);
}

TEST_F(ButtonTest, ColoursFollowKindCheckAndTheme) {
  struct Case {
    FXButtonKind Kind;
    bool Checked;
    bool Dark;
    TColor BackNone, BackHover, BackPress, ForeNone, ForePress;
    double Border;
    ui::TCursor Cursor;
  };
  using K = FXButtonKind;
  const ui::TCursor arrow = ui::TCursor::Arrow, hand = ui::TCursor::Hand;
  const Case cases[] = {
      {K::Normal, false, false, 0xFAFAFA, 0xF0F0F0, 0xFFFFFF, 0x202020, 0x757575, 1.0, arrow},
      {K::Dropdown, false, false, 0xFAFAFA, 0xF0F0F0, 0xFFFFFF, 0x202020, 0x757575, 1.0, arrow},
      {K::Toggle, false, false, 0xFAFAFA, 0xF0F0F0, 0xFFFFFF, 0x202020, 0x757575, 1.0, arrow},
      {K::Toggle, true, false, 0xD47800, 0xDE820A, 0xE3870F, 0xF0F0F0, 0xE6C192, 1.0, arrow},
      {K::Accent, false, false, 0xD47800, 0xDE820A, 0xE3870F, 0xF0F0F0, 0xE6C192, 1.0, arrow},
      {K::Link, false, false, 0xF0F0F0, 0xE6E6E6, 0xF5F5F5, 0xD47800, 0xDE820A, 0.0, hand},
      {K::Flat, false, false, 0xF0F0F0, 0xE6E6E6, 0xFFFFFF, 0x202020, 0x717171, 0.0, arrow},
      {K::Normal, false, true, 0x262626, 0x303030, 0x212121, 0xFFFFFF, 0xAAAAAA, 1.0, arrow},
      {K::Accent, false, true, 0xD47800, 0xCA6E00, 0xC56900, 0x202020, 0x664214, 1.0, arrow},
  };
  ui::TForm form(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << int(c.Kind) << " checked " << c.Checked << " dark " << c.Dark);
    ThemeManager().SetDarkThemeMode(c.Dark ? FXDarkSetting::ForceDark : FXDarkSetting::ForceLight);
    FXButton* button = Place(form, 0, 0);
    UseKnownColors(*button);
    button->SetButtonKind(c.Kind);
    button->SetChecked(c.Checked);
    button->UpdateTheme(false);
    const FXColorStateSet& colors = button->ButtonColors();
    EXPECT_EQ(colors.BackgroundNone(), c.BackNone);
    EXPECT_EQ(colors.BackgroundHover(), c.BackHover);
    EXPECT_EQ(colors.BackgroundPress(), c.BackPress);
    EXPECT_EQ(colors.ForeGroundNone(), c.ForeNone);
    EXPECT_EQ(colors.ForeGroundHover(), c.ForeNone);
    EXPECT_EQ(colors.ForeGroundPress(), c.ForePress);
    EXPECT_EQ(button->BorderWidth(), c.Border);
    EXPECT_EQ(button->Cursor(), c.Cursor);
    delete button;
  }
}

TEST_F(ButtonTest, OwnStateColoursReplaceTheKindsAndTheParentsBackgroundIsTaken) {
  FXForm form(nullptr);
  FXButton* button = Place(form, 0, 0);
  EXPECT_EQ(button->Background(), form.Background());

  FXColorStateSets& own = button->CustomButtonColors();
  own.SetLightBackgroundNone(0x112233);
  own.SetLightForeGroundPress(0x445566);
  own.SetEnabled(true);
  button->SetButtonKind(FXButtonKind::Accent);
  EXPECT_EQ(button->ButtonColors().BackgroundNone(), 0x112233u);
  EXPECT_EQ(button->ButtonColors().ForeGroundPress(), 0x445566u);
}

TEST_F(ButtonTest, DisabledAccentTurnsGreyAndComesBack) {
  ui::TForm form(nullptr);
  FXButton* button = Place(form, 0, 0);
  UseKnownColors(*button);
  button->SetButtonKind(FXButtonKind::Accent);

  button->SetEnabled(false);
  // Grey of the accent is (0 + 120 + 212) / 3 = 110; the text lies 100/255 of the way to the grey 240.
  EXPECT_EQ(button->DrawColors().Accent(), 0x6E6E6Eu);
  EXPECT_EQ(button->ButtonColors().BackgroundNone(), 0x6E6E6Eu);
  EXPECT_EQ(button->ButtonColors().ForeGroundNone(), 0xA0A0A0u);
  EXPECT_EQ(button->ButtonColors().BackgroundHover(), 0xDE820Au);

  button->SetEnabled(true);
  EXPECT_EQ(button->DrawColors().Accent(), 0xD47800u);
  EXPECT_EQ(button->ButtonColors().BackgroundNone(), 0xD47800u);
  EXPECT_EQ(button->ButtonColors().ForeGroundNone(), 0xF0F0F0u);
}

TEST_F(ButtonTest, LayoutPlacesImageAndText) {
  using L = FXLayout;
  using D = FXDrawLayout;
  using F = FXTextFlag;
  struct Case {
    const char* Name;
    int Width;
    FXButtonKind Kind;
    bool Image;
    D ImageLayout;
    L Horizontal, Vertical;
    std::string Text;
    bool ShowText, WordWrap;
    TRect ImageRect, TextRect;
    FXTextFlags Flags;
  };
  // 200 x 100 unless said otherwise: the caption area is (8, 8, 192, 92), 184 x 84; the image is 25.
  const std::string wide(30, 'w'), longer(50, 'w');
  const Case cases[] = {
      {"left, centred", 200, FXButtonKind::Normal, true, D::Left, L::Center, L::Center, "Hello", true, true,
       {68, 37, 93, 62}, {98, 8, 138, 92}, {F::WordWrap, F::Left, F::VerticalCenter}},
      {"right, at the end and top", 200, FXButtonKind::Normal, true, D::Right, L::Ending, L::Beginning, "Hello", true, true,
       {172, 8, 197, 33}, {127, 8, 167, 92}, {F::WordWrap, F::Left, F::Top}},
      {"left without text", 200, FXButtonKind::Normal, true, D::Left, L::Center, L::Center, "", true, true,
       {88, 37, 113, 62}, {118, 8, 118, 92}, {F::WordWrap, F::Left, F::VerticalCenter}},
      {"text wider than the area", 200, FXButtonKind::Normal, true, D::Left, L::Ending, L::Ending, wide, true, true,
       {8, 67, 33, 92}, {38, 8, 197, 92}, {F::WordWrap, F::Left, F::Bottom}},
      {"above, no text shown", 200, FXButtonKind::Normal, true, D::Top, L::Center, L::Center, "Hello", false, true,
       {87, 37, 112, 62}, {8, 67, 192, 67}, {F::WordWrap, F::Top, F::Center}},
      {"below, one line, at the start and end", 200, FXButtonKind::Normal, true, D::Bottom, L::Beginning, L::Ending, "Hello",
       true, true, {8, 72, 33, 97}, {8, 47, 192, 67}, {F::WordWrap, F::Bottom, F::Left}},
      {"above, lines taller than the room", 200, FXButtonKind::Normal, true, D::Top, L::Center, L::Center, longer, true,
       false, {87, 8, 112, 33}, {8, 38, 192, 97}, {F::Top, F::Center}},
      {"text alone always wraps", 200, FXButtonKind::Normal, false, D::Left, L::Ending, L::Beginning, "Hello", true, false,
       {0, 0, 0, 0}, {8, 8, 192, 92}, {F::WordWrap, F::VerticalCenter, F::Right}},
      {"drop-down keeps room for its chevron", 200, FXButtonKind::Dropdown, false, D::Left, L::Center, L::Center, "Hello",
       true, true, {0, 0, 0, 0}, {8, 8, 157, 92}, {F::WordWrap, F::VerticalCenter, F::Center}},
      // The caption area of a 16 wide button has no width: no line of text fits, and nothing divides by it.
      {"above in a caption without width", 16, FXButtonKind::Normal, true, D::Top, L::Center, L::Center, "Hi", true, true,
       {-4, 37, 21, 62}, {8, 67, 8, 67}, {F::WordWrap, F::Top, F::Center}},
      // 14 wide beside a 25 wide icon: the text gets no width rather than a negative one.
      {"beside an icon wider than the area", 30, FXButtonKind::Normal, true, D::Left, L::Center, L::Center, "Hello", true,
       true, {8, 37, 33, 62}, {38, 8, 38, 92}, {F::WordWrap, F::Left, F::VerticalCenter}},
  };
  ui::TForm form(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* button = new TSizedButton(&form);
    button->SetBounds(0, 0, c.Width, 100);
    button->SetParent(&form);
    button->SetButtonKind(c.Kind);
    button->Image().SetEnabled(c.Image);
    button->SetImageLayout(c.ImageLayout);
    button->SetLayoutHorizontal(c.Horizontal);
    button->SetLayoutVertical(c.Vertical);
    button->SetText(c.Text);
    button->SetShowText(c.ShowText);
    button->SetWordWrap(c.WordWrap);
    button->UpdateTheme(false);
    if (c.Image) {
      EXPECT_EQ(button->ImageRect(), c.ImageRect);
    }
    EXPECT_EQ(button->TheTextRect(), c.TextRect);
    EXPECT_GE(button->TheTextRect().Width(), 0);
    EXPECT_GE(button->TheTextRect().Height(), 0);
    EXPECT_EQ(button->TextDrawFlags().Bits(), c.Flags.Bits());
    if (c.Kind == FXButtonKind::Dropdown) {
      EXPECT_EQ(button->IndicatorRect(), (TRect{162, 8, 192, 92}));
    }
    delete button;
  }
}

TEST_F(ButtonTest, MarginPaddingAndScalingShrinkTheCaptionArea) {
  ui::TForm form(nullptr);
  auto* button = new TSizedButton(&form);
  button->SetBounds(0, 0, 200, 100);
  button->SetParent(&form);
  button->PaddingFill().SetLeft(10);
  button->SetMargin(4);
  EXPECT_EQ(button->DrawRect(), (TRect{10, 0, 200, 100}));
  EXPECT_EQ(button->CaptionRect(), (TRect{22, 12, 188, 88}));

  button->ChangeScale(3, 2);  // 300 x 150; margin 6, line width 4.5 (rounds to 4), padding 15
  EXPECT_EQ(button->Margin(), 6);
  EXPECT_DOUBLE_EQ(button->LineWidth(), 4.5);
  EXPECT_DOUBLE_EQ(button->ImageScale(), 1.875);
  EXPECT_EQ(button->CaptionRect(), (TRect{15 + 15, 15, 300 - 15, 150 - 15}));

  button->SetBounds(0, 0, 100, 60);  // a resize lays it out again
  EXPECT_EQ(button->CaptionRect(), (TRect{30, 15, 85, 45}));
}

TEST_F(ButtonTest, ToggleChecksBeforeItsClickWithTheNewColoursInPlace) {
  auto form = ShownForm();
  FXButton* button = Place(*form, 10, 10);
  button->Animation = false;
  UseKnownColors(*button);
  button->SetButtonKind(FXButtonKind::Toggle);
  std::vector<std::string> events;
  button->OnCheck = [&](ui::TComponent* sender) {
    EXPECT_EQ(sender, button);
    events.push_back(std::string("check ") + (button->Checked() ? "on " : "off ") +
                     (button->ButtonColors().BackgroundNone() == 0xD47800 ? "accent" : "normal"));
  };
  button->OnClick = [&](ui::TControl&) { events.push_back("click"); };

  Screen(*form).Click(20, 20);
  Screen(*form).Click(20, 20);
  EXPECT_EQ(events, (std::vector<std::string>{"check on accent", "click", "check off normal", "click"}));
}

TEST_F(ButtonTest, CheckedTagReadsAGroupOfToggles) {
  ui::TForm form(nullptr);
  ui::TPanel group(nullptr);
  group.SetParent(&form);
  FXButton* first = Place(form, 0, 0);
  FXButton* second = Place(form, 0, 40);
  first->SetParent(&group);
  second->SetParent(&group);
  first->SetTag(1);
  second->SetTag(2);
  EXPECT_EQ(first->GetCheckedTag(), 1);  // none checked: its own
  second->SetChecked(true);
  EXPECT_EQ(first->GetCheckedTag(), 2);
  first->SetChecked(true);
  EXPECT_EQ(second->GetCheckedTag(), 1);  // the first in the parent's order

  FXButton loose(nullptr);
  loose.SetTag(std::intptr_t(0x100000007));  // only the low 32 bits are an Integer
  loose.SetChecked(true);
  EXPECT_EQ(loose.GetCheckedTag(), 7);
}

TEST_F(ButtonTest, DropDownOpensItsMenuBelowTheButtonOnTheScreen) {
  auto form = ShownForm();
  form->SetBounds(100, 50, form->Width(), form->Height());
  FXButton* button = Place(*form, 10, 20);
  button->Animation = false;
  button->SetButtonKind(FXButtonKind::Dropdown);
  int dropped = 0, popups = 0;
  button->OnDropDown = [&](ui::TComponent*) { ++dropped; };

  Screen(*form).Click(20, 30);  // no menu: the event alone
  EXPECT_EQ(dropped, 1);

  FXPopupMenu menu(nullptr);
  menu.OnPopup = [&](ui::TComponent*) { ++popups; };
  button->DropDown = &menu;
  Screen(*form).Click(20, 30);
  EXPECT_EQ(menu.DropPoint(), (TPoint{100 + 10, 50 + 20 + 35 + 5}));
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(dropped, 2);

  // The menu's handler may move it or keep it shut.
  menu.OnBeforePopup = [](ui::TComponent*, bool&, TPoint& at) { at = {1, 2}; };
  menu.Popup(7, 8);
  EXPECT_EQ(menu.DropPoint(), (TPoint{1, 2}));
  menu.OnBeforePopup = [](ui::TComponent*, bool& can, TPoint&) { can = false; };
  Screen(*form).Click(20, 30);
  EXPECT_EQ(popups, 2);
  EXPECT_EQ(dropped, 3);
  button->DropDown = nullptr;
}

TEST_F(ButtonTest, LinkWithoutAnAddressStillReportsTheClick) {
  ui::TForm form(nullptr);
  FXButton* button = Place(form, 0, 0);
  button->SetButtonKind(FXButtonKind::Link);
  int opened = 0;
  button->OnOpenLink = [&](ui::TComponent*) { ++opened; };
  button->Click();
  EXPECT_EQ(opened, 1);
}

TEST_F(ButtonTest, StateDisplayShowsItsOwnTextUntilItsTimerTicks) {
  ui::TForm form(nullptr);
  auto* button = new TSizedButton(&form);
  button->SetBounds(0, 0, 200, 100);
  button->SetParent(&form);
  button->Image().SetEnabled(true);
  button->StateImage().SetEnabled(true);  // while shown, the state image is the one laid out
  button->SetText("Copy");
  button->SetStateText("Copied!");
  button->AutoStateToggle = true;
  button->SetStateDuration(1500);
  EXPECT_EQ(button->TheTextRect().Width(), 32);
  EXPECT_FALSE(button->StateTimer().Enabled());

  button->Click();
  EXPECT_TRUE(button->StateEnabled());
  EXPECT_TRUE(button->StateTimer().Enabled());
  EXPECT_EQ(button->StateTimer().Interval(), 1500);
  EXPECT_EQ(button->TheTextRect().Width(), 56);  // the state text is measured while shown
  button->Click();  // a second click keeps it shown
  EXPECT_TRUE(button->StateEnabled());
  EXPECT_TRUE(button->StateTimer().Enabled());

  button->StateTimer().OnTimer();
  EXPECT_FALSE(button->StateEnabled());
  EXPECT_FALSE(button->StateTimer().Enabled());
  EXPECT_EQ(button->TheTextRect().Width(), 32);

  // Without a duration every click flips it and nothing turns it back.
  button->SetStateDuration(0);
  button->Click();
  EXPECT_TRUE(button->StateEnabled());
  EXPECT_FALSE(button->StateTimer().Enabled());
  button->Click();
  EXPECT_FALSE(button->StateEnabled());
}

TEST_F(ButtonTest, HeldButtonRepeatsItsClickOnTheTimer) {
  auto form = ShownForm();
  FXButton* button = Place(*form, 10, 10);
  button->Animation = false;
  button->RepeatWhenPressed = true;
  int clicks = 0;
  button->OnClick = [&](ui::TControl&) { ++clicks; };
  platform::HeadlessWindow& screen = Screen(*form);

  screen.MoveTo(20, 20);
  screen.Press(B::Left, 20, 20);
  EXPECT_TRUE(button->RepeatTimer().Enabled());
  EXPECT_EQ(button->RepeatTimer().Interval(), 500);
  button->RepeatTimer().OnTimer();
  button->RepeatTimer().OnTimer();
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(button->RepeatTimer().Interval(), 50);
  EXPECT_TRUE(button->RepeatTimer().Enabled());
  screen.Release(B::Left, 20, 20);
  EXPECT_FALSE(button->RepeatTimer().Enabled());
  EXPECT_EQ(clicks, 3);  // the release over the button is a click of its own

  // Switched off while held, the next tick is the last.
  screen.Press(B::Left, 20, 20);
  button->RepeatWhenPressed = false;
  button->RepeatTimer().OnTimer();
  EXPECT_FALSE(button->RepeatTimer().Enabled());
  EXPECT_EQ(clicks, 4);
  screen.Release(B::Left, 20, 20);
}

TEST_F(ButtonTest, EnterAndSpacePressAndClick) {
  auto form = ShownForm();
  FXButton* button = Place(*form, 10, 10);
  button->Animation = false;
  int clicks = 0;
  button->OnClick = [&](ui::TControl&) { ++clicks; };
  button->SetFocus();
  platform::HeadlessWindow& screen = Screen(*form);

  const struct {
    int Key;
    const char* Character;
  } keys[] = {{platform::keys::Return, "\r"}, {platform::keys::Space, " "}};
  for (const auto& k : keys) {
    SCOPED_TRACE(k.Key);
    const int before = clicks;
    screen.KeyDown(k.Key);
    EXPECT_EQ(button->InteractionState(), S::Press);
    screen.Type(k.Character);
    EXPECT_EQ(clicks, before + 1);
    screen.KeyUp(k.Key);
    EXPECT_EQ(button->InteractionState(), S::None);
  }
  screen.TypeKey('A');
  screen.Type("a");
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(button->InteractionState(), S::None);
}

// A button's own click handler may free it, whether the pointer or a key clicked it.
TEST_F(ButtonTest, AButtonFreedByItsOwnClickIsLeftAlone) {
  auto form = ShownForm();
  platform::HeadlessWindow& screen = Screen(*form);
  const int ways[] = {0, platform::keys::Return, platform::keys::Space};
  for (const int key : ways) {
    SCOPED_TRACE(key);
    FXButton* button = Place(*form, 10, 10);
    button->ModalResult = ui::mrOk;
    int clicks = 0;
    button->OnClick = [&](ui::TControl& sender) {
      ++clicks;
      delete &sender;
    };
    if (key == 0) {
      screen.MoveTo(50, 25);
      screen.Click(50, 25);
    } else {
      button->SetFocus();
      screen.KeyDown(key);
      screen.Type(key == platform::keys::Return ? "\r" : " ");
      screen.KeyUp(key);
    }
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(form->ControlCount(), 0);
    EXPECT_EQ(form->ModalResult(), ui::mrOk);
    form->SetModalResult(ui::mrNone);
    // The form takes input as before.
    screen.Click(50, 25);
  }
}

TEST_F(ButtonTest, ModalResultReachesTheFormUnlessCancelled) {
  auto form = ShownForm();
  FXButton* ok = Place(*form, 10, 10);
  FXButton* plain = Place(*form, 10, 60);
  ok->Animation = plain->Animation = false;
  ok->ModalResult = ui::mrOk;
  platform::HeadlessWindow& screen = Screen(*form);

  ui::Application().Queue([&] { screen.Click(20, 20); });
  EXPECT_EQ(form->ShowModal(), ui::mrOk);

  form->Show();
  form->SetModalResult(ui::mrYes);
  screen.Click(20, 70);  // a button without a result clears a pending one
  EXPECT_EQ(form->ModalResult(), ui::mrNone);

  int asked = 0;
  ok->OnBeforeModalResult = [&](ui::TComponent* sender, bool& send) {
    EXPECT_EQ(sender, ok);
    ++asked;
    send = false;
  };
  screen.Click(20, 20);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(form->ModalResult(), ui::mrNone);
}

TEST_F(ButtonTest, HoverBlendRunsItsFramesToTheEnd) {
  auto form = ShownForm();
  FXButton* button = Place(*form, 10, 10);
  form->Update();
  std::vector<std::int32_t> frames;
  button->OnPaintBuffer = [&](FXControl*) {
    if (button->AnimationRunning()) frames.push_back(button->AnimationPosition());
  };
  platform::HeadlessWindow& screen = Screen(*form);

  for (S target : {S::Hover, S::None}) {
    SCOPED_TRACE(int(target));
    frames.clear();
    if (target == S::Hover)
      screen.MoveTo(20, 20);
    else
      screen.MoveTo(250, 150);
    EXPECT_EQ(button->InteractionState(), target);
    EXPECT_TRUE(button->AnimationRunning());
    ASSERT_TRUE(Loop([&] { return !button->AnimationRunning(); }));
    // Ten steps and the closing frame, rising to the full blend.
    ASSERT_EQ(frames.size(), 11u);
    EXPECT_TRUE(std::is_sorted(frames.begin(), frames.end()));
    EXPECT_GT(frames.front(), 0);
    EXPECT_EQ(frames.back(), 255);
  }
}

TEST_F(ButtonTest, DropDownChevronSinksWhilePressedAndComesBack) {
  auto form = ShownForm();
  auto* button = Place<TSizedButton>(*form, 10, 10);  // text 20 high: the chevron sinks 20 / 8, rounded to 2
  button->SetButtonKind(FXButtonKind::Dropdown);
  form->Update();
  platform::HeadlessWindow& screen = Screen(*form);
  auto settle = [&] { return Loop([&] { return !button->AnimationRunning(); }); };

  screen.MoveTo(20, 20);
  ASSERT_TRUE(settle());
  screen.Press(B::Left, 20, 20);
  ASSERT_TRUE(settle());
  EXPECT_EQ(button->ArrowOffset(), 2);
  screen.Release(B::Left, 20, 20);
  ASSERT_TRUE(settle());
  EXPECT_EQ(button->ArrowOffset(), 0);
}

// A button whose storage is kept, filled with a pattern, after it is freed: anything that still writes
// to it afterwards shows as a changed byte, and anything that calls through it finds no valid object.
struct TGraveButton : FXButton {
  using FXButton::FXButton;
  static constexpr unsigned char Pattern = 0xA5;
  struct TGrave {
    unsigned char* Storage;
    std::size_t Size;
  };
  static std::vector<TGrave>& Graves() {
    static std::vector<TGrave> graves;
    return graves;
  }
  static void operator delete(void* storage, std::size_t size) {
    std::memset(storage, Pattern, size);
    Graves().push_back({static_cast<unsigned char*>(storage), size});
  }
};

TEST_F(ButtonTest, ButtonsFreedWhileTheirAnimationRunsAreLeftAlone) {
  auto form = ShownForm();
  platform::HeadlessWindow& screen = Screen(*form);
  std::vector<std::weak_ptr<FXButton*>> tokens;
  for (int round = 0; round < 60; ++round) {
    auto* button = Place<TGraveButton>(*form, 10, 10);
    form->Update();
    screen.MoveTo(250, 150);
    screen.MoveTo(20, 20);
    ASSERT_TRUE(button->AnimationRunning());
    tokens.push_back(button->AnimationToken());
    // Freed at once, after some frames, or between two of them.
    if (round % 3 == 1) ui::Application().RunUntil([&] { return button->AnimationPosition() > 0; }, 10s);
    if (round % 3 == 2) {
      bool deleted = false;
      button->OnPaintBuffer = [&deleted, button, queued = false](FXControl*) mutable {
        if (queued || button->AnimationPosition() == 0) return;
        queued = true;
        ui::Application().Queue([button, &deleted] {
          delete button;
          deleted = true;
        });
      };
      ASSERT_TRUE(Loop([&] { return deleted; }));
      continue;
    }
    delete button;
  }
  // Every animation ends and lets go of its cell.
  auto allGone = [&] {
    for (const auto& t : tokens)
      if (!t.expired()) return false;
    return true;
  };
  for (int i = 0; i < 1000 && !allGone(); ++i) ui::Application().RunUntil(allGone, 10ms);
  EXPECT_TRUE(allGone());

  // None of them touched its freed button meanwhile.
  std::vector<TGraveButton::TGrave> graves;
  graves.swap(TGraveButton::Graves());
  ASSERT_EQ(graves.size(), 60u);
  for (const TGraveButton::TGrave& grave : graves) {
    const std::size_t touched = static_cast<std::size_t>(std::count_if(
        grave.Storage, grave.Storage + grave.Size, [](unsigned char b) { return b != TGraveButton::Pattern; }));
    EXPECT_EQ(touched, 0u);
    ::operator delete(grave.Storage);
  }
}

TEST_F(ButtonTest, PaintedAccentButtonFillsWithItsStateColour) {
  auto form = ShownForm();
  FXButton* button = Place(*form, 10, 10);
  button->Animation = false;
  button->SetButtonKind(FXButtonKind::Accent);
  button->SetText("");
  form->Update();
  const TColor accent = button->DrawColors().Accent();
  const TColor background = button->DrawColors().BackGround();
  platform::HeadlessWindow& screen = Screen(*form);
  auto at = [&](int x, int y) { return ui::Unpremultiply(button->Buffer().Pixel(x, y)); };

  // A flat spot inside the fill, away from the border; the corner lies outside the rounded shape.
  EXPECT_EQ(at(40, 17), MakeARGB(accent, 255));
  EXPECT_EQ(at(0, 0), MakeARGB(background, 255));
  EXPECT_EQ(screen.ScreenPixel(10 + 40, 10 + 17), MakeARGB(accent, 255));

  screen.MoveTo(50, 27);
  EXPECT_EQ(at(40, 17), MakeARGB(button->ButtonColors().BackgroundHover(), 255));
  screen.Press(B::Left, 50, 27);
  EXPECT_EQ(at(40, 17), MakeARGB(button->ButtonColors().BackgroundPress(), 255));
  EXPECT_EQ(screen.ScreenPixel(10 + 40, 10 + 17), MakeARGB(button->ButtonColors().BackgroundPress(), 255));
  screen.Release(B::Left, 50, 27);
}

TEST_F(ButtonTest, UnderlineAndOutlineFrameTheFill) {
  auto form = ShownForm();
  FXButton* button = Place(*form, 10, 10);
  button->Animation = false;
  button->SetText("");
  auto at = [&](int x, int y) { return ui::Unpremultiply(button->Buffer().Pixel(x, y)); };
  const TColor fill = button->ButtonColors().BackgroundNone();

  // The accent shows below the fill, in the line's width of 3 (rows 31 to 33).
  button->SetDetail(FXDetailType::Underline);
  EXPECT_EQ(at(40, 32), MakeARGB(button->DrawColors().Accent(), 255));
  EXPECT_EQ(at(40, 17), MakeARGB(fill, 255));

  // A 3 wide outline centred on the fill's edge, inset by its width: rows 1.5 to 4.5.
  button->SetDetail(FXDetailType::Outline);
  EXPECT_EQ(at(40, 0), MakeARGB(button->DrawColors().BackGround(), 255));
  EXPECT_EQ(at(40, 2), MakeARGB(button->DrawColors().BackGroundInterior(), 255));
  EXPECT_EQ(at(40, 17), MakeARGB(fill, 255));
}

TEST_F(ButtonTest, AFontChangeLaysTheTextOutAgain) {
  ui::TForm form(nullptr);
  FXButton* button = Place(form, 0, 0);
  button->SetBounds(0, 0, 400, 100);
  button->Image().SetEnabled(true);
  button->UpdateTheme(false);
  const int before = button->TheTextRect().Width();
  ui::TFont larger = button->Font();
  larger.SetHeight(larger.Height() * 2);
  button->SetFont(larger);
  EXPECT_GT(button->TheTextRect().Width(), before);
}

}  // namespace
