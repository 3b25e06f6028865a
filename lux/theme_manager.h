// The process-wide theme: dark or light, the accent, the fonts and the system colour sets, kept in
// step with the system's app-theme and accent settings.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lux/colors.h"
#include "lux/control_interface.h"
#include "lux/types.h"

namespace ui {
class TTimer;
}

namespace lux {

class FXThemeManager {
 public:
  using Clock = std::chrono::steady_clock;
  // Reads the system setting and resolves the colour sets; tells no window anything.
  FXThemeManager();
  ~FXThemeManager();
  FXThemeManager(const FXThemeManager&) = delete;
  FXThemeManager& operator=(const FXThemeManager&) = delete;

  bool DarkTheme() const { return FDarkTheme; }
  void SetDarkTheme(bool Value);
  FXDarkSetting DarkThemeMode() const { return FDarkThemeMode; }
  void SetDarkThemeMode(FXDarkSetting Value);
  const std::string& FormFont() const { return FFormFont; }
  void SetFormFont(const std::string& Value) { FFormFont = Value; }
  std::int32_t FormFontHeight() const { return FFormFontHeight; }
  void SetFormFontHeight(std::int32_t Value) { FFormFontHeight = Value; }
  std::int32_t LargeFontHeight() const { return FLargeFontHeight; }
  void SetLargeFontHeight(std::int32_t Value) { FLargeFontHeight = Value; }
  const std::string& IconFont() const { return FIconFont; }
  void SetIconFont(const std::string& Value) { FIconFont = Value; }
  TColor AccentColor() const { return FAccentColor; }
  void SetAccentColor(TColor Value);
  bool AutoAccentColor() const { return FAutoAccentColor; }
  void SetAutoAccentColor(bool Value);
  Clock::time_point LastUpdate() const { return FLastUpdate; }

  void LoadColorSet(FXColorSet& ColorSet) const;
  void LoadColorSet(FXCompleteColorSet& ColorSet) const;
  void LoadColorSet(FXColorSets& ColorSet) const;
  void LoadColorSet(FXCompleteColorSets& ColorSet) const;
  TColor GetThemePrimaryColor() const;

  void LoadFontSettings();
  void UpdateColors();
  void UpdateSettings();
  void NotifyUpdate();
  // For the system's colourisation notifications, which come in bursts: at most one update a second.
  void MeasuredUpdateSettings();
  void UpdateThemeInformation();
  // What the 100 ms monitor does: follows the system's dark setting (in Auto mode) and, when the
  // system's accent changed, tells every window its colourisation changed.
  void MonitorTick();
  // Makes the colours current and runs every open window's colourisation handling once.
  void ColorizationChanged();

  // The system's app-theme and accent, read with the accent's adjustment.
  bool SystemDarkSetting() const;
  TColor SystemAccentColor() const;

  // Open framework windows register here so that a theme change reaches them, in registration order.
  void RegisterWindow(FXControl* Window);
  void UnregisterWindow(FXControl* Window);

  std::unique_ptr<FXCompleteColorSets> SystemColorSet;
  std::unique_ptr<FXCompleteColorSet> SystemColor;
  std::unique_ptr<FXSingleColorStateSets> SystemGrayControl;
  std::unique_ptr<FXSingleColorStateSet> SystemAccentInteractStates;
  std::unique_ptr<FXCompleteColorSets> FSystemToolTip;

 private:
  std::optional<std::uint32_t> ReadThemeValue(std::string_view KeyLocation, std::string_view ValueName) const;

  std::unique_ptr<ui::TTimer> FRegistryMonitor;
  bool FDarkTheme = false;
  FXDarkSetting FDarkThemeMode = FXDarkSetting::Auto;
  std::string FFormFont;
  std::string FIconFont;
  std::int32_t FFormFontHeight = 0;
  std::int32_t FLargeFontHeight = 0;
  TColor FAccentColor = 0;
  bool FAutoAccentColor = true;
  Clock::time_point FLastUpdate;
  TColor FSeenSystemAccent = 0;  // the system accent the monitor last saw
  std::vector<FXControl*> FWindows;
};

// The process's theme manager, made on first use on the user-interface thread.
FXThemeManager& ThemeManager();

// For the window and its controls: 0 foreground, 1 accent, 2 background, 3 interior (complete sets
// only) of the current theme; 0 for anything else.
TColor GetThemeColor(const FXColorSets& Colors, std::int32_t Kind);

}  // namespace lux
