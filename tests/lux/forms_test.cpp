// The framework window: theme colours and their fade, the title bar, the smoke overlay, full screen
// and the notifications to its controls, on headless windows.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <vector>

#include "lux/forms.h"
#include "lux/theme_manager.h"
#include "lux/tool_tip.h"
#include "platform/headless_window.h"
#include "screen.h"
#include "ui/application.h"
#include "ui/hints.h"
#include "vel/registry.h"

namespace {

using namespace lux;
using namespace std::chrono_literals;

using testsupport::Screen;

class FormTest : public testing::Test {
 protected:
  void SetUp() override { ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight); }
  void TearDown() override {
    ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
    ThemeManager().SetDarkThemeMode(FXDarkSetting::Auto);
  }
  static bool Loop(const std::function<bool()>& done) { return ui::Application().RunUntil(done, 5s); }
  static TColor Light() { return ThemeManager().SystemColorSet->LightBackGround(); }
  static TColor Dark() { return ThemeManager().SystemColorSet->DarkBackGround(); }
};

struct TThemeLog {
  std::vector<FXThemeType> Changes;
  std::vector<bool> Dark;
  void Attach(FXForm& form) {
    form.OnThemeChange = [this](FXControl*, FXThemeType change, bool dark, TColor) {
      Changes.push_back(change);
      Dark.push_back(dark);
    };
  }
};

TEST_F(FormTest, StartsInTheThemeWithATitleBarPanelAndTranslucency) {
  FXForm form(nullptr);
  EXPECT_EQ(form.Color(), MakeARGB(Light(), 255));
  EXPECT_EQ(form.Font.Name(), ThemeManager().FormFont());
  EXPECT_EQ(form.Font.Color(), MakeARGB(ThemeManager().SystemColor->ForeGround(), 255));
  ASSERT_NE(form.TitlebarControl(), nullptr);
  EXPECT_EQ(form.CustomTitleBar().Control(), form.TitlebarControl());
  EXPECT_EQ(form.GetTitlebarHeight(), form.TitlebarControl()->Height());
  EXPECT_TRUE(form.MicaEffect());
  EXPECT_EQ(Screen(form).Alpha(), 251);
  EXPECT_FALSE(form.SmokeOverlay().Visible());
  EXPECT_TRUE(form.IsResizable());
  EXPECT_EQ(typeid(ui::Application().HintWindowClass().Make(nullptr)), typeid(ui::THintWindow*));
  EXPECT_EQ(*ui::Application().HintWindowClass().Type, typeid(FXLightTooltip));
  EXPECT_EQ(ui::Application().WindowUpdateLocked(), nullptr);

  form.SetMicaEffect(false);
  EXPECT_EQ(Screen(form).Alpha(), 255);
  EXPECT_FALSE(form.CustomTitleBar().Enabled()) << "the title bar waits for the first showing";
  form.Show();
  EXPECT_TRUE(form.CustomTitleBar().Enabled());
  EXPECT_FALSE(form.CustomTitleBar().SystemButtons);
  EXPECT_FALSE(Screen(form).Decorated());
  EXPECT_EQ(form.CustomTitleBar().BackgroundColor, MakeARGB(Light(), 255));
}

TEST_F(FormTest, LayoutStepFindsTheWindowsOwnTitleBarPanel) {
  struct TWindow : FXForm {
    TWindow()
        : FXForm(nullptr, [](FXForm& self) {
            auto* bar = new ui::TTitleBarPanel(&self);
            bar->SetName("TitleBarPanel1");
            bar->SetParent(&self);
            bar->SetHeight(22);
          }) {}
  } window;
  EXPECT_EQ(window.TitlebarControl(), window.FindComponent("TitleBarPanel1"));
  EXPECT_EQ(window.GetTitlebarHeight(), 22);
  window.Show();
  EXPECT_EQ(window.CustomTitleBar().Height(), 22);
}

TEST_F(FormTest, HiddenThemeChangeSetsColoursAtOnceAndReportsWhetherTheBackgroundChanged) {
  FXForm form(nullptr);
  TThemeLog log;
  log.Attach(form);
  ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceDark);  // tells every open window
  EXPECT_EQ(form.Color(), MakeARGB(Dark(), 255));
  EXPECT_EQ(ui::Application().WindowUpdateLocked(), nullptr) << "no lock left behind";
  EXPECT_EQ(*ui::Application().HintWindowClass().Type, typeid(FXDarkTooltip));
  form.UpdateTheme(true);
  EXPECT_EQ(log.Changes, (std::vector<FXThemeType>{FXThemeType::AppTheme, FXThemeType::Redraw}));
  EXPECT_EQ(log.Dark, (std::vector<bool>{true, true}));

  // Custom colours, once enabled, decide the background for the current theme.
  form.CustomColors().SetDarkBackGround(0x123456);
  form.CustomColors().SetLightBackGround(0x654321);
  form.CustomColors().SetEnabled(true);
  EXPECT_EQ(form.Background(), 0x123456u);
  EXPECT_EQ(form.Color(), MakeARGB(0x123456, 255));
  ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
  EXPECT_EQ(form.Color(), MakeARGB(0x654321, 255));
}

TEST_F(FormTest, VisibleThemeChangeFadesThroughBlendsAndHoldsTheLockUntilItsFramesRun) {
  FXForm form(nullptr);
  form.Show();  // showing runs a theme update of its own: let its fade end
  ASSERT_TRUE(Loop([] { return ui::Application().WorkerCount() == 0; }));
  ASSERT_EQ(form.Color(), MakeARGB(Light(), 255));
  std::vector<ui::TAlphaColor> seen;
  ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceDark);
  EXPECT_EQ(form.Color(), MakeARGB(Light(), 255)) << "the fade has not delivered a frame yet";
  const int presents = Screen(form).PresentCount();
  ASSERT_TRUE(Loop([&] {
    if (seen.empty() || seen.back() != form.Color()) seen.push_back(form.Color());
    return form.Color() == MakeARGB(Dark(), 255);
  }));
  // Blends of 25 up to 125 of 255 first, then the final colour.
  std::set<ui::TAlphaColor> blends;
  for (int v = 25; v <= 125; ++v) blends.insert(MakeARGB(ColorBlend(Light(), Dark(), v), 255));
  ASSERT_GE(seen.size(), 4u);
  for (std::size_t i = 1; i + 1 < seen.size(); ++i) EXPECT_TRUE(blends.count(seen[i])) << i;
  EXPECT_EQ(seen.back(), MakeARGB(Dark(), 255));
  EXPECT_GT(Screen(form).PresentCount(), presents + 2) << "every frame reaches the screen";
  ASSERT_TRUE(Loop([] { return ui::Application().WorkerCount() == 0; }));
  EXPECT_EQ(ui::Application().WindowUpdateLocked(), nullptr);
}

TEST_F(FormTest, SystemAccentChangeReachesEveryOpenWindowOnce) {
  constexpr const char* kDwm = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\DWM\\";
  vel::TWinRegistry registry;
  registry.SetErrorKind(vel::TRegistryErrorKind::Disabled);
  registry.CreateKey(kDwm);
  registry.WriteIntValue(kDwm, "AccentColor", static_cast<std::int32_t>(0xFF203040u));
  ThemeManager().MonitorTick();  // the monitor has seen this one

  FXForm first(nullptr), second(nullptr);
  std::vector<TColor> firstSeen, secondSeen;
  first.OnThemeChange = [&](FXControl*, FXThemeType, bool, TColor accent) { firstSeen.push_back(accent); };
  second.OnThemeChange = [&](FXControl*, FXThemeType, bool, TColor accent) { secondSeen.push_back(accent); };
  ThemeManager().MonitorTick();
  EXPECT_TRUE(firstSeen.empty()) << "nothing changed";

  // The stored alpha byte is no part of the colour.
  registry.WriteIntValue(kDwm, "AccentColor", static_cast<std::int32_t>(0x80102030u));
  ThemeManager().MonitorTick();
  const TColor expected = ChangeColorLight(0x102030, 50);
  EXPECT_EQ(ThemeManager().AccentColor(), expected);
  EXPECT_EQ(firstSeen, std::vector<TColor>{expected});
  EXPECT_EQ(secondSeen, std::vector<TColor>{expected});
  ThemeManager().MonitorTick();
  EXPECT_EQ(firstSeen.size(), 1u) << "a change is told once";

  registry.DeleteValue(kDwm, "AccentColor");
  ThemeManager().MonitorTick();
  EXPECT_EQ(secondSeen.size(), 2u);
}

TEST_F(FormTest, SmokeOverlayDarkensFreezesTheSizeAndFadesOutHidden) {
  FXForm form(nullptr);
  form.SetBounds(10, 10, 400, 300);
  form.Show();
  form.SetSmokeEffect(true);
  ui::TForm& smoke = form.SmokeOverlay();
  EXPECT_TRUE(smoke.Visible());
  EXPECT_EQ(smoke.AlphaBlendValue(), 150);
  EXPECT_EQ(smoke.Width(), 400);
  EXPECT_EQ(Screen(form).SizeLimits(), (platform::WindowRect{400, 300, 400, 300}));
  smoke.Close();
  EXPECT_TRUE(smoke.Visible()) << "the overlay refuses to close while on";

  // Activation hands the focus to the overlay, so keys do not reach the form's controls.
  ui::TForm dialog(nullptr);
  dialog.Show();
  EXPECT_FALSE(form.Active());
  Screen(form).Activate();
  EXPECT_EQ(form.ActiveControl(), &smoke);

  form.SetSmokeEffect(false);
  EXPECT_TRUE(smoke.Visible()) << "it fades out first";
  EXPECT_EQ(Screen(form).SizeLimits(), (platform::WindowRect{}));
  ASSERT_TRUE(Loop([&] { return !smoke.Visible(); }));
  EXPECT_EQ(smoke.AlphaBlendValue(), 0);
}

TEST_F(FormTest, QuickSmokeChangesStopTheRunningFadeAndEndAsTheLastOneSays) {
  FXForm form(nullptr);
  form.Show();
  ui::TForm& smoke = form.SmokeOverlay();
  form.SetSmokeEffect(true);
  form.SetSmokeEffect(false);
  form.SetSmokeEffect(true);  // waits for the fade-out, then shows the overlay again
  EXPECT_TRUE(smoke.Visible());
  EXPECT_EQ(smoke.AlphaBlendValue(), 150);
  form.SetSmokeEffect(false);
  form.SetSmokeEffect(false);
  ASSERT_TRUE(Loop([&] { return !smoke.Visible(); }));
  // Nothing left running shows it again: every animation ends and its last frames are delivered.
  ASSERT_TRUE(Loop([] { return ui::Application().WorkerCount() == 0; }));
  ui::Application().ProcessMessages();
  EXPECT_FALSE(smoke.Visible());
}

TEST_F(FormTest, FullScreenTwiceThenOffRestoresTheFirstBoundsAndBorder) {
  platform::SetHeadlessMonitor({0, 0, 1280, 720});
  FXForm form(nullptr);
  form.SetBorderStyle(ui::TFormBorderStyle::bsSingle);
  form.SetBounds(100, 50, 734, 461);
  form.Show();
  form.SetFullScreen(true);
  EXPECT_EQ(form.BoundsRect(), (TRect{0, 0, 1280, 720}));
  EXPECT_EQ(form.BorderStyle(), ui::TFormBorderStyle::bsNone);
  EXPECT_FALSE(form.CustomTitleBar().Enabled());
  form.SetFullScreen(true);
  form.SetFullScreen(false);
  EXPECT_EQ(form.BoundsRect(), (TRect{100, 50, 834, 511}));
  EXPECT_EQ(form.BorderStyle(), ui::TFormBorderStyle::bsSingle);
  EXPECT_TRUE(form.CustomTitleBar().Enabled());
  platform::SetHeadlessMonitor({0, 0, 1920, 1080});
}

struct TListener : ui::TPanel {
  using TPanel::TPanel;
  std::vector<unsigned> Seen;
  void Notify(unsigned message) override { Seen.push_back(message); }
};

TEST_F(FormTest, MovesAndResizesReachOnMoveAndTheChildControls) {
  FXForm form(nullptr);
  auto* panel = new ui::TPanel(&form);
  panel->SetParent(&form);
  auto* listener = new TListener(&form);
  listener->SetParent(panel);
  int moves = 0;
  form.OnMove = [&](FXForm* sender) {
    EXPECT_EQ(sender, &form);
    ++moves;
  };
  Screen(form).MoveWindow(40, 40);
  form.SetBounds(40, 40, 500, 400);
  EXPECT_EQ(moves, 1);
  EXPECT_EQ(listener->Seen, (std::vector<unsigned>{FormMovedMessage, FormResizedMessage}));
  EXPECT_EQ(FormMovedMessage, 1537u);
}

TEST_F(FormTest, WindowUpdateLockFollowsTheProperty) {
  FXForm form(nullptr);
  form.SetWindowUpdateLocked(true);
  EXPECT_EQ(ui::Application().WindowUpdateLocked(), &form);
  form.UpdateTheme(true);
  EXPECT_EQ(ui::Application().WindowUpdateLocked(), nullptr) << "the theme update takes and gives the one lock";
  form.SetWindowUpdateLocked(false);
}

TEST_F(FormTest, TitleBarTakesTheThemeColoursWhenShown) {
  FXForm form(nullptr);
  form.SetMicaEffect(false);
  form.SetClientSize(300, 200);
  form.Show();
  const FXTitlebarColors expected = TitlebarColors(Light(), ThemeManager().SystemColor->ForeGround());
  EXPECT_EQ(form.CustomTitleBar().ButtonHoverBackgroundColor, MakeARGB(expected.ButtonHoverBackgroundColor, 255));
  EXPECT_EQ(ui::Unpremultiply(Screen(form).ScreenPixel(150, 2)), MakeARGB(Light(), 255));
}

}  // namespace
