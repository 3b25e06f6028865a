// The accent colour service: the system accent, its brightness-adjusted twin and the custom accent.
#include "vel/components.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "vel/registry.h"

namespace vel {
namespace {

using Clock = std::chrono::steady_clock;

constexpr TColor kDefaultAccent = 14120960;  // #0078D7
constexpr TColor kCustomAccent = 12940567;
constexpr std::string_view kDwmKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\DWM\\";

// Process-wide and unlocked: only the user-interface thread asks.
struct TAccentState {
  bool Read = false;
  Clock::time_point LastRead{};
  TColor System = kDefaultAccent;
  TColor Adjusted = kDefaultAccent;
  TAccentClock Now;
};

TAccentState& State() {
  static TAccentState state;
  return state;
}

Clock::time_point Now() {
  const TAccentState& s = State();
  return s.Now ? s.Now() : Clock::now();
}

std::int32_t Channel(TColor Color, int Index) { return static_cast<std::int32_t>((Color >> (8 * Index)) & 0xFF); }

// Each of red, green and blue moved by Amount and held within 0..255. An accent is always a plain
// colour, never a named system one, so there is nothing to resolve first.
TColor ShiftChannels(TColor Color, std::int32_t Amount) {
  TColor out = 0;
  for (int i = 0; i < 3; ++i) out |= static_cast<TColor>(std::clamp(Channel(Color, i) + Amount, 0, 255)) << (8 * i);
  return out;
}

std::optional<std::uint32_t> ReadSystemAccent() {
  TWinRegistry registry;
  // A fresh system has no such value; that is no error to show anyone.
  registry.SetErrorKind(TRegistryErrorKind::Disabled);
  if (!registry.GetValueExists(kDwmKey, "AccentColor")) return std::nullopt;
  if (registry.GetValueType(kDwmKey, "AccentColor") != TRegDataType::rdInteger) return std::nullopt;
  const std::int32_t value = registry.GetIntValue(kDwmKey, "AccentColor");
  if (registry.LastError() != TRegistryError::None) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

}  // namespace

void RefreshAccentColor() {
  TAccentState& s = State();
  s.Read = true;
  s.LastRead = Now();
  s.System = kDefaultAccent;
  // Stored alpha-blue-green-red: the colour is the low three bytes, whatever the alpha byte holds.
  if (const std::optional<std::uint32_t> value = ReadSystemAccent()) s.System = *value & 0x00FFFFFFu;
  s.Adjusted = s.System;
  const std::int32_t b = (Channel(s.System, 0) + Channel(s.System, 1) + Channel(s.System, 2)) / 3;
  // Brought toward the middle band, so text on the accent stays readable in either theme.
  if (b < 110) s.Adjusted = ShiftChannels(s.System, 110 - b);
  if (b > 155) s.Adjusted = ShiftChannels(s.System, 155 - b);
}

TColor GetAccentColor(CAccentColor Kind) {
  const TAccentState& s = State();
  if (!s.Read || std::chrono::duration_cast<std::chrono::seconds>(Now() - s.LastRead).count() > 30) RefreshAccentColor();
  switch (Kind) {
    case CAccentColor::AccentAdjust: return s.Adjusted;
    case CAccentColor::AccentCustom: return kCustomAccent;
    case CAccentColor::None:
    case CAccentColor::Accent: break;
  }
  return s.System;
}

void SetAccentClock(TAccentClock Now) { State().Now = std::move(Now); }

void ForgetAccentColor() { State().Read = false; }

}  // namespace vel
