// The theme manager: system settings, resolved colour sets, the 100 ms monitor and window notification.
#include "lux/theme_manager.h"

#include <algorithm>

#include "lux/forms.h"
#include "lux/icon_font.h"

#include "ui/application.h"
#include "ui/timer.h"
#include "vel/registry.h"

namespace lux {

namespace {

constexpr std::string_view kPersonalizeKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize\\";
constexpr std::string_view kDwmKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\DWM\\";
constexpr TColor kDefaultAccent = 14120960;  // #0078D7

// The one-second rule counts by the clock the monitor ticks by, so a test moves both at once.
FXThemeManager::Clock::time_point Now() { return ui::Application().Now(); }

}  // namespace

FXThemeManager::FXThemeManager() {
  FDarkTheme = SystemDarkSetting();
  FDarkThemeMode = FXDarkSetting::Auto;
  FAutoAccentColor = true;
  FLastUpdate = Now();
  LoadFontSettings();
  SystemColorSet = std::make_unique<FXCompleteColorSets>();
  SystemColor = std::make_unique<FXCompleteColorSet>(*SystemColorSet, FDarkTheme);
  SystemGrayControl = std::make_unique<FXSingleColorStateSets>();
  SystemAccentInteractStates = std::make_unique<FXSingleColorStateSet>(*SystemGrayControl, FDarkTheme);
  UpdateColors();
  FSystemToolTip = std::make_unique<FXCompleteColorSets>();
  FSeenSystemAccent = SystemAccentColor();
  FRegistryMonitor = std::make_unique<ui::TTimer>(ui::Application());
  FRegistryMonitor->SetInterval(100);
  FRegistryMonitor->OnTimer = [this] { MonitorTick(); };
  FRegistryMonitor->SetEnabled(true);
}

FXThemeManager::~FXThemeManager() = default;

void FXThemeManager::SetDarkTheme(bool Value) {
  if (FDarkTheme == Value) return;
  FDarkTheme = Value;
  UpdateSettings();
}

void FXThemeManager::SetDarkThemeMode(FXDarkSetting Value) {
  FDarkThemeMode = Value;
  bool wanted = FDarkTheme;
  if (Value == FXDarkSetting::ForceDark) wanted = true;
  if (Value == FXDarkSetting::ForceLight) wanted = false;
  SetDarkTheme(wanted);
}

void FXThemeManager::SetAccentColor(TColor Value) {
  FAutoAccentColor = false;
  FAccentColor = Value;
  UpdateSettings();
}

void FXThemeManager::SetAutoAccentColor(bool Value) {
  FAutoAccentColor = Value;
  if (Value) UpdateSettings();
}

void FXThemeManager::LoadColorSet(FXColorSet& ColorSet) const { ColorSet.Assign(*SystemColor); }
void FXThemeManager::LoadColorSet(FXCompleteColorSet& ColorSet) const { ColorSet.Assign(*SystemColor); }
void FXThemeManager::LoadColorSet(FXColorSets& ColorSet) const { ColorSet.Assign(*SystemColorSet); }
void FXThemeManager::LoadColorSet(FXCompleteColorSets& ColorSet) const { ColorSet.Assign(*SystemColorSet); }

TColor FXThemeManager::GetThemePrimaryColor() const { return FDarkTheme ? 0 : 16777215; }

void FXThemeManager::LoadFontSettings() {
  FIconFont = IconFontFamily();
  FFormFont = "Segoe UI";
  FFormFontHeight = 22;
  FLargeFontHeight = -20;
}

void FXThemeManager::UpdateColors() {
  SystemColor = std::make_unique<FXCompleteColorSet>(*SystemColorSet, FDarkTheme);
  if (FAutoAccentColor) FAccentColor = SystemAccentColor();
  SystemColor->SetAccent(FAccentColor);
  SystemColorSet->SetAccent(FAccentColor);
  SystemGrayControl->SetAccent(FAccentColor);
  SystemAccentInteractStates = std::make_unique<FXSingleColorStateSet>(
      FAccentColor, ChangeColorLight(FAccentColor, 25), ChangeColorLight(FAccentColor, -25));
}

void FXThemeManager::UpdateSettings() {
  FLastUpdate = Now();
  LoadFontSettings();
  UpdateColors();
  NotifyUpdate();
}

void FXThemeManager::NotifyUpdate() {
  // A window may close (and unregister) while it updates, so walk a snapshot and skip the departed.
  const std::vector<FXControl*> windows = FWindows;
  for (FXControl* window : windows)
    if (std::find(FWindows.begin(), FWindows.end(), window) != FWindows.end()) window->UpdateTheme(true);
}

void FXThemeManager::MeasuredUpdateSettings() {
  if (Now() - FLastUpdate >= std::chrono::seconds(1)) UpdateSettings();
}

void FXThemeManager::MonitorTick() {
  if (FDarkThemeMode == FXDarkSetting::Auto) UpdateThemeInformation();
  // The system tells every window when its accent changes; here the poll is what notices.
  const TColor accent = SystemAccentColor();
  if (accent == FSeenSystemAccent) return;
  FSeenSystemAccent = accent;
  ColorizationChanged();
}

void FXThemeManager::ColorizationChanged() {
  // The colours are made current first: the windows' own measured update would skip a change that
  // comes within a second of the last one, and the new accent would be lost until the next.
  FLastUpdate = Now();
  LoadFontSettings();
  UpdateColors();
  const std::vector<FXControl*> windows = FWindows;
  for (FXControl* window : windows) {
    if (std::find(FWindows.begin(), FWindows.end(), window) == FWindows.end()) continue;
    if (auto* form = dynamic_cast<FXForm*>(window))
      form->ColorizationChanged();
    else
      window->UpdateTheme(true);
  }
}

void FXThemeManager::UpdateThemeInformation() {
  const bool dark = SystemDarkSetting();
  if (dark != FDarkTheme) SetDarkTheme(dark);
}

std::optional<std::uint32_t> FXThemeManager::ReadThemeValue(std::string_view KeyLocation,
                                                            std::string_view ValueName) const {
  vel::TWinRegistry registry;
  // A missing key or value is the normal case on a fresh system, never an error to show.
  registry.SetErrorKind(vel::TRegistryErrorKind::Disabled);
  if (registry.GetValueExists(KeyLocation, ValueName)) {
    // A value that is not a 32-bit number counts as absent.
    if (registry.GetValueType(KeyLocation, ValueName) != vel::TRegDataType::rdInteger) return std::nullopt;
    const std::int32_t value = registry.GetIntValue(KeyLocation, ValueName);
    if (registry.LastError() != vel::TRegistryError::None) return std::nullopt;
    return static_cast<std::uint32_t>(value);
  }
  return std::nullopt;
}

bool FXThemeManager::SystemDarkSetting() const {
  const std::optional<std::uint32_t> light = ReadThemeValue(kPersonalizeKey, "AppsUseLightTheme");
  return light && *light != 1;
}

TColor FXThemeManager::SystemAccentColor() const {
  TColor accent = kDefaultAccent;
  if (const std::optional<std::uint32_t> value = ReadThemeValue(kDwmKey, "AccentColor"))
    // Stored alpha-blue-green-red: the alpha byte is no part of a colour, whatever it holds.
    accent = *value & 0x00FFFFFFu;
  return ChangeColorLight(accent, 50);
}

void FXThemeManager::RegisterWindow(FXControl* Window) {
  if (std::find(FWindows.begin(), FWindows.end(), Window) == FWindows.end()) FWindows.push_back(Window);
}

void FXThemeManager::UnregisterWindow(FXControl* Window) { std::erase(FWindows, Window); }

FXThemeManager& ThemeManager() {
  // Made after the application it ticks on, so it is gone before the application's loop is.
  static const std::unique_ptr<FXThemeManager> instance = [] {
    ui::Application();
    return std::make_unique<FXThemeManager>();
  }();
  return *instance;
}

TColor GetThemeColor(const FXColorSets& Colors, std::int32_t Kind) {
  const bool dark = ThemeManager().DarkTheme();
  switch (Kind) {
    case 0: return dark ? Colors.DarkForeGround() : Colors.LightForeGround();
    case 1: return Colors.Accent();
    case 2: return dark ? Colors.DarkBackGround() : Colors.LightBackGround();
    case 3:
      if (const auto* complete = dynamic_cast<const FXCompleteColorSets*>(&Colors))
        return dark ? complete->DarkBackGroundInterior() : complete->LightBackGroundInterior();
      return 0;
    default: return 0;
  }
}

}  // namespace lux
