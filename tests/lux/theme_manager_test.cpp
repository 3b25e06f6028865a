// The theme manager: registry-driven dark setting and accent, the monitor, and window notification.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "lux/theme_manager.h"
#include "ui/application.h"
#include "vel/registry.h"
#include "loop_clock.h"

namespace {

using namespace lux;
using namespace std::chrono_literals;

constexpr const char* kPersonalize =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize\\";
constexpr const char* kDwm = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\DWM\\";

class FakeWindow : public FXControl {
 public:
  bool IsContainer() override { return true; }
  void UpdateTheme(bool UpdateChildren) override {
    ++updates;
    EXPECT_TRUE(UpdateChildren);
  }
  TColor Background() override { return 0; }
  int updates = 0;
};

class ThemeManagerTest : public testing::Test {
 protected:
  void SetUp() override {
    ui::Application();
    Clear();
  }
  void TearDown() override { Clear(); }
  void Clear() {
    registry.SetErrorKind(vel::TRegistryErrorKind::Disabled);
    registry.DeleteValue(kPersonalize, "AppsUseLightTheme");
    registry.DeleteValue(kDwm, "AccentColor");
  }
  void SetSystemLight(bool light) {
    registry.CreateKey(kPersonalize);
    registry.WriteIntValue(kPersonalize, "AppsUseLightTheme", light ? 1 : 0);
  }
  void SetAccent(std::uint32_t value) {
    registry.CreateKey(kDwm);
    registry.WriteIntValue(kDwm, "AccentColor", static_cast<std::int32_t>(value));
  }
  // One interval of the 100 ms monitor: one tick.
  void Tick() { clock.Pass(100ms); }

  vel::TWinRegistry registry;
  testsupport::TLoopClock clock;
};

TEST_F(ThemeManagerTest, StartsFromTheSystemSettingWithoutTellingWindows) {
  SetSystemLight(false);
  FXThemeManager manager;
  EXPECT_TRUE(manager.DarkTheme());
  EXPECT_EQ(manager.DarkThemeMode(), FXDarkSetting::Auto);
  EXPECT_TRUE(manager.AutoAccentColor());
  EXPECT_EQ(manager.SystemColor->BackGround(), 2105376u);
  EXPECT_EQ(manager.SystemColor->ForeGround(), 16777215u);
  EXPECT_EQ(manager.SystemColor->BackGroundInterior(), 2829099u);
  EXPECT_EQ(manager.GetThemePrimaryColor(), 0u);
  EXPECT_EQ(manager.FormFont(), "Segoe UI");
  EXPECT_EQ(manager.FormFontHeight(), 22);
  EXPECT_EQ(manager.LargeFontHeight(), -20);
  EXPECT_EQ(manager.FSystemToolTip->LightBackGround(), 15987699u);
  EXPECT_EQ(manager.FSystemToolTip->Accent(), 13924352u);
}

TEST_F(ThemeManagerTest, MonitorFlipsTheThemeAndTellsEachWindowOnce) {
  SetSystemLight(false);
  FXThemeManager manager;
  FakeWindow first, second, closed;
  manager.RegisterWindow(&first);
  manager.RegisterWindow(&second);
  manager.RegisterWindow(&closed);
  manager.UnregisterWindow(&closed);

  SetSystemLight(true);
  clock.Pass(99ms);
  EXPECT_TRUE(manager.DarkTheme());
  Tick();
  EXPECT_FALSE(manager.DarkTheme());
  EXPECT_EQ(manager.SystemColor->BackGround(), 15987699u);
  EXPECT_EQ(manager.GetThemePrimaryColor(), 16777215u);
  for (int i = 0; i < 5; ++i) Tick();  // later ticks find nothing new
  EXPECT_EQ(first.updates, 1);
  EXPECT_EQ(second.updates, 1);
  EXPECT_EQ(closed.updates, 0);
}

TEST_F(ThemeManagerTest, ForcedModeHoldsAgainstTheSystemUntilAutoAgain) {
  SetSystemLight(false);
  FXThemeManager manager;
  FakeWindow window;
  manager.RegisterWindow(&window);

  manager.SetDarkThemeMode(FXDarkSetting::ForceLight);
  EXPECT_FALSE(manager.DarkTheme());
  EXPECT_EQ(window.updates, 1);
  for (int i = 0; i < 5; ++i) Tick();
  EXPECT_FALSE(manager.DarkTheme());
  EXPECT_EQ(window.updates, 1);

  // Auto keeps the current darkness until the next tick reads the system.
  manager.SetDarkThemeMode(FXDarkSetting::Auto);
  EXPECT_FALSE(manager.DarkTheme());
  Tick();
  EXPECT_TRUE(manager.DarkTheme());
  EXPECT_EQ(window.updates, 2);

  // A darkness written by code is overturned by the monitor in Auto mode.
  manager.SetDarkTheme(false);
  Tick();
  EXPECT_TRUE(manager.DarkTheme());
}

TEST_F(ThemeManagerTest, AccentComesFromTheSystemLightened) {
  struct Case {
    std::optional<std::uint32_t> stored;
    TColor expected;
  };
  for (const Case& c : {Case{std::nullopt, 16755250}, Case{0xFFD77800u, 16755250}, Case{0xFF000000u, 0x323232},
                        Case{0x01000010u, 0x323242}, Case{0x80D77800u, 16755250}}) {
    if (c.stored)
      SetAccent(*c.stored);
    else
      registry.DeleteValue(kDwm, "AccentColor");
    FXThemeManager manager;
    // The stored top byte is alpha, never part of the colour.
    EXPECT_EQ(manager.AccentColor(), c.expected & 0xFFFFFF) << std::hex << c.stored.value_or(0);
    EXPECT_EQ(manager.SystemColor->Accent(), manager.AccentColor());
    EXPECT_EQ(manager.SystemColorSet->Accent(), manager.AccentColor());
    EXPECT_EQ(manager.SystemGrayControl->Accent(), manager.AccentColor());
  }

  SetAccent(0xFFD77800u);
  FXThemeManager manager;
  EXPECT_EQ(manager.SystemAccentInteractStates->None(), 16755250u);
  EXPECT_EQ(manager.SystemAccentInteractStates->Hover(), 16761675u);
  EXPECT_EQ(manager.SystemAccentInteractStates->Press(), 15110425u);
  EXPECT_EQ(manager.SystemAccentInteractStates->Accent(), 0u);
}

TEST_F(ThemeManagerTest, WritingTheAccentStopsFollowingTheSystemAndAlwaysUpdates) {
  FXThemeManager manager;
  FakeWindow window;
  manager.RegisterWindow(&window);
  const TColor current = manager.AccentColor();
  manager.SetAccentColor(current);
  EXPECT_FALSE(manager.AutoAccentColor());
  EXPECT_EQ(window.updates, 1);

  manager.SetAccentColor(0x112233);
  EXPECT_EQ(manager.SystemColor->Accent(), 0x112233u);
  EXPECT_EQ(manager.SystemAccentInteractStates->Hover(), ChangeColorLight(0x112233, 25));
  EXPECT_EQ(window.updates, 2);

  manager.SetAutoAccentColor(false);
  EXPECT_EQ(window.updates, 2);
  manager.SetAutoAccentColor(true);
  EXPECT_EQ(manager.AccentColor(), 16755250u);
  EXPECT_EQ(window.updates, 3);
}

TEST_F(ThemeManagerTest, MeasuredUpdateWaitsAWholeSecond) {
  FXThemeManager manager;
  FakeWindow window;
  manager.RegisterWindow(&window);
  manager.SetAccentColor(1);
  manager.MeasuredUpdateSettings();
  manager.MeasuredUpdateSettings();
  EXPECT_EQ(window.updates, 1);
  clock.Advance(999ms);
  manager.MeasuredUpdateSettings();
  EXPECT_EQ(window.updates, 1);
  clock.Advance(1ms);
  manager.MeasuredUpdateSettings();
  EXPECT_EQ(window.updates, 2);
  manager.MeasuredUpdateSettings();
  EXPECT_EQ(window.updates, 2);
}

TEST_F(ThemeManagerTest, FontWritesLastUntilTheNextUpdate) {
  FXThemeManager manager;
  manager.SetFormFont("Other");
  manager.SetFormFontHeight(9);
  EXPECT_EQ(manager.FormFont(), "Other");
  manager.SetAccentColor(1);
  EXPECT_EQ(manager.FormFont(), "Segoe UI");
  EXPECT_EQ(manager.FormFontHeight(), 22);
}

TEST_F(ThemeManagerTest, ColourSetsLoadFromTheSystemColours) {
  FXThemeManager manager;
  manager.SetDarkThemeMode(FXDarkSetting::ForceDark);
  FXCompleteColorSet resolved;
  manager.LoadColorSet(resolved);
  EXPECT_EQ(resolved.BackGround(), 2105376u);
  EXPECT_EQ(resolved.BackGroundInterior(), 2829099u);
  EXPECT_EQ(resolved.Accent(), manager.AccentColor());
  FXColorSets sets;
  manager.LoadColorSet(sets);
  EXPECT_EQ(sets.Accent(), manager.AccentColor());
  EXPECT_EQ(sets.DarkBackGround(), 2105376u);
}

TEST_F(ThemeManagerTest, GetThemeColorReadsTheProcessTheme) {
  ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceDark);
  FXCompleteColorSets complete;
  FXColorSets plain;
  EXPECT_EQ(GetThemeColor(complete, 0), 16777215u);
  EXPECT_EQ(GetThemeColor(complete, 1), 13924352u);
  EXPECT_EQ(GetThemeColor(complete, 2), 2105376u);
  EXPECT_EQ(GetThemeColor(complete, 3), 2829099u);
  EXPECT_EQ(GetThemeColor(plain, 3), 0u);
  EXPECT_EQ(GetThemeColor(plain, 4), 0u);
  ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
  EXPECT_EQ(GetThemeColor(complete, 3), 16514043u);
}

}  // namespace
