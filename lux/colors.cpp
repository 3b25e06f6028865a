// Colour sets, assignment by property name, and the colour arithmetic behind hover and press shades.
#include "lux/colors.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

#include "ui/forms.h"

namespace lux {

namespace {

std::int32_t Red(TColor c) { return c & 0xFF; }
std::int32_t Green(TColor c) { return (c >> 8) & 0xFF; }
std::int32_t Blue(TColor c) { return (c >> 16) & 0xFF; }
std::int32_t Clamp(std::int32_t v) { return std::clamp(v, 0, 255); }
TColor RGB(std::int32_t r, std::int32_t g, std::int32_t b) {
  return TColor(Clamp(r)) | (TColor(Clamp(g)) << 8) | (TColor(Clamp(b)) << 16);
}

bool NameLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

template <typename C, TColor (C::*Get)() const, void (C::*Set)(TColor)>
FXColorProperty Color(const char* Name) {
  return {Name, [](const FXPersistentColor& o) -> std::uint32_t { return (static_cast<const C&>(o).*Get)(); },
          [](FXPersistentColor& o, std::uint32_t v) { (static_cast<C&>(o).*Set)(v); }};
}

const FXColorProperty kEnabled{
    "Enabled", [](const FXPersistentColor& o) -> std::uint32_t { return o.Enabled() ? 1 : 0; },
    [](FXPersistentColor& o, std::uint32_t v) { o.SetEnabled(v != 0); }};

FXColorProperties Sorted(FXColorProperties list) {
  std::sort(list.begin(), list.end(), [](const FXColorProperty& a, const FXColorProperty& b) { return NameLess(a.Name, b.Name); });
  return list;
}

// The default light values of the Windows system colours, by their index in the low byte.
constexpr std::array<TColor, 31> kSystemColors = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0,
};

}  // namespace

void TPersistent::Assign(const TPersistent& Source) {
  throw EConvertError(std::string("Cannot assign a ") + Source.ClassName() + " to a " + ClassName());
}

void FXPersistentColor::SetEnabled(bool Value) {
  if (FEnable == Value) return;
  FEnable = Value;
  NotifyOwner();
}

void FXPersistentColor::NotifyOwner() {
  if (!NotifiesOwner() || FOwner == nullptr || FOwner->IsLoading()) return;
  FOwner->UpdateTheme(true);
}

void FXPersistentColor::Assign(const TPersistent& Source) {
  const auto* from = dynamic_cast<const FXPersistentColor*>(&Source);
  if (from == nullptr) return TPersistent::Assign(Source);
  const FXColorProperties& mine = Properties();
  for (const FXColorProperty& property : from->Properties()) {
    auto target = std::find_if(mine.begin(), mine.end(),
                               [&](const FXColorProperty& p) { return std::string_view(p.Name) == property.Name; });
    if (target != mine.end()) target->Set(*this, property.Get(*from));
  }
}

FXColorSets::FXColorSets(FXControl* AOwner, bool FocusControl)
    : FXPersistentColor(AOwner),
      FAccent(13924352),
      FLightBackGround(FocusControl ? 16514043 : 15987699),
      FLightForeGround(1776410),
      FDarkBackGround(FocusControl ? 2829099 : 2105376),
      FDarkForeGround(16777215) {}

const FXColorProperties& FXColorSets::Properties() const {
  using C = FXColorSets;
  static const FXColorProperties list = Sorted({
      kEnabled,
      Color<C, &C::Accent, &C::SetAccent>("Accent"),
      Color<C, &C::LightBackGround, &C::SetLightBackGround>("LightBackGround"),
      Color<C, &C::LightForeGround, &C::SetLightForeGround>("LightForeGround"),
      Color<C, &C::DarkBackGround, &C::SetDarkBackGround>("DarkBackGround"),
      Color<C, &C::DarkForeGround, &C::SetDarkForeGround>("DarkForeGround"),
  });
  return list;
}

FXCompleteColorSets::FXCompleteColorSets(FXControl* AOwner) : FXColorSets(AOwner, false) {}

const FXColorProperties& FXCompleteColorSets::Properties() const {
  using C = FXCompleteColorSets;
  static const FXColorProperties list = [] {
    FXColorProperties all = FXColorSets(nullptr).Properties();
    all.push_back(Color<C, &C::LightBackGroundInterior, &C::SetLightBackGroundInterior>("LightBackGroundInterior"));
    all.push_back(Color<C, &C::DarkBackGroundInterior, &C::SetDarkBackGroundInterior>("DarkBackGroundInterior"));
    return Sorted(std::move(all));
  }();
  return list;
}

FXColorStateSets::FXColorStateSets()
    : FAccent(13924352),
      FColors{9145227, 10461087, 7697781, 1776411, 1776411, 8882055,
              10657693, 12039603, 9275783, 16777215, 16777215, 13553358} {}

FXColorStateSets::FXColorStateSets(FXControl* AOwner) : FXPersistentColor(AOwner) {}

TColor FXColorStateSets::GetColor(bool DarkTheme, bool Foreground, FXControlState State) const {
  const int index = (DarkTheme ? 6 : 0) + (Foreground ? 3 : 0) + static_cast<int>(State);
  return index >= 0 && index < 12 ? FColors[index] : 0;
}

const FXColorProperties& FXColorStateSets::Properties() const {
  using C = FXColorStateSets;
  static const FXColorProperties list = Sorted({
      kEnabled,
      Color<C, &C::Accent, &C::SetAccent>("Accent"),
      Color<C, &C::LightBackgroundNone, &C::SetLightBackgroundNone>("LightBackgroundNone"),
      Color<C, &C::LightBackgroundHover, &C::SetLightBackgroundHover>("LightBackgroundHover"),
      Color<C, &C::LightBackgroundPress, &C::SetLightBackgroundPress>("LightBackgroundPress"),
      Color<C, &C::LightForeGroundNone, &C::SetLightForeGroundNone>("LightForeGroundNone"),
      Color<C, &C::LightForeGroundHover, &C::SetLightForeGroundHover>("LightForeGroundHover"),
      Color<C, &C::LightForeGroundPress, &C::SetLightForeGroundPress>("LightForeGroundPress"),
      Color<C, &C::DarkBackGroundNone, &C::SetDarkBackGroundNone>("DarkBackGroundNone"),
      Color<C, &C::DarkBackGroundHover, &C::SetDarkBackGroundHover>("DarkBackGroundHover"),
      Color<C, &C::DarkBackGroundPress, &C::SetDarkBackGroundPress>("DarkBackGroundPress"),
      Color<C, &C::DarkForeGroundNone, &C::SetDarkForeGroundNone>("DarkForeGroundNone"),
      Color<C, &C::DarkForeGroundHover, &C::SetDarkForeGroundHover>("DarkForeGroundHover"),
      Color<C, &C::DarkForeGroundPress, &C::SetDarkForeGroundPress>("DarkForeGroundPress"),
  });
  return list;
}

FXSingleColorStateSets::FXSingleColorStateSets()
    : FAccent(13924352), FColors{9145227, 10461087, 7697781, 10657693, 12039603, 9275783} {}

FXSingleColorStateSets::FXSingleColorStateSets(FXControl* AOwner) : FXPersistentColor(AOwner) {}

TColor FXSingleColorStateSets::GetColor(bool DarkTheme, FXControlState State) const {
  const int index = (DarkTheme ? 3 : 0) + static_cast<int>(State);
  return index >= 0 && index < 6 ? FColors[index] : 0;
}

void FXSingleColorStateSets::SetLightColor(TColor None, TColor Hover, TColor Press) {
  FColors[0] = None;
  FColors[1] = Hover;
  FColors[2] = Press;
  NotifyOwner();
}

void FXSingleColorStateSets::SetDarkColor(TColor None, TColor Hover, TColor Press) {
  FColors[3] = None;
  FColors[4] = Hover;
  FColors[5] = Press;
  NotifyOwner();
}

const FXColorProperties& FXSingleColorStateSets::Properties() const {
  using C = FXSingleColorStateSets;
  static const FXColorProperties list = Sorted({
      kEnabled,
      Color<C, &C::Accent, &C::SetAccent>("Accent"),
      Color<C, &C::LightNone, &C::SetLightNone>("LightNone"),
      Color<C, &C::LightHover, &C::SetLightHover>("LightHover"),
      Color<C, &C::LightPress, &C::SetLightPress>("LightPress"),
      Color<C, &C::DarkNone, &C::SetDarkNone>("DarkNone"),
      Color<C, &C::DarkHover, &C::SetDarkHover>("DarkHover"),
      Color<C, &C::DarkPress, &C::SetDarkPress>("DarkPress"),
  });
  return list;
}

void FXColorSet::LoadFrom(const FXColorSets& Colors, bool DarkColor) {
  FAccent = Colors.Accent();
  FBackGround = DarkColor ? Colors.DarkBackGround() : Colors.LightBackGround();
  FForeGround = DarkColor ? Colors.DarkForeGround() : Colors.LightForeGround();
}

const FXColorProperties& FXColorSet::Properties() const {
  using C = FXColorSet;
  static const FXColorProperties list = Sorted({
      Color<C, &C::Accent, &C::SetAccent>("Accent"),
      Color<C, &C::BackGround, &C::SetBackGround>("BackGround"),
      Color<C, &C::ForeGround, &C::SetForeGround>("ForeGround"),
  });
  return list;
}

void FXCompleteColorSet::LoadFrom(const FXCompleteColorSets& Colors, bool DarkColor) {
  FXColorSet::LoadFrom(Colors, DarkColor);
  FBackGroundInterior = DarkColor ? Colors.DarkBackGroundInterior() : Colors.LightBackGroundInterior();
}

const FXColorProperties& FXCompleteColorSet::Properties() const {
  using C = FXCompleteColorSet;
  static const FXColorProperties list = [] {
    FXColorProperties all = FXColorSet().Properties();
    all.push_back(Color<C, &C::BackGroundInterior, &C::SetBackGroundInterior>("BackGroundInterior"));
    return Sorted(std::move(all));
  }();
  return list;
}

void FXColorStateSet::LoadFrom(const FXColorStateSets& AFrom, bool DarkColor) {
  FAccent = AFrom.Accent();
  for (int i = 0; i < 6; ++i)
    FColors[i] = AFrom.GetColor(DarkColor, i >= 3, static_cast<FXControlState>(i % 3));
}

TColor FXColorStateSet::GetColor(bool Foreground, FXControlState State) const {
  const int index = (Foreground ? 3 : 0) + static_cast<int>(State);
  return index >= 0 && index < 6 ? FColors[index] : 0;
}

const FXColorProperties& FXColorStateSet::Properties() const {
  using C = FXColorStateSet;
  static const FXColorProperties list = Sorted({
      Color<C, &C::Accent, &C::SetAccent>("Accent"),
      Color<C, &C::BackgroundNone, &C::SetBackgroundNone>("BackgroundNone"),
      Color<C, &C::BackgroundHover, &C::SetBackgroundHover>("BackgroundHover"),
      Color<C, &C::BackgroundPress, &C::SetBackgroundPress>("BackgroundPress"),
      Color<C, &C::ForeGroundNone, &C::SetForeGroundNone>("ForeGroundNone"),
      Color<C, &C::ForeGroundHover, &C::SetForeGroundHover>("ForeGroundHover"),
      Color<C, &C::ForeGroundPress, &C::SetForeGroundPress>("ForeGroundPress"),
  });
  return list;
}

TColor FXSingleColorStateSet::GetColor(FXControlState AState) const {
  switch (AState) {
    case FXControlState::None: return FNone;
    case FXControlState::Hover: return FHover;
    case FXControlState::Press: return FPress;
  }
  return 0;
}

void FXSingleColorStateSet::LoadColors(TColor ANone, TColor AHover, TColor APress) {
  FNone = ANone;
  FHover = AHover;
  FPress = APress;
}

void FXSingleColorStateSet::LoadColors(const FXSingleColorStateSets& Colors, bool DarkTheme) {
  LoadColors(Colors.GetColor(DarkTheme, FXControlState::None), Colors.GetColor(DarkTheme, FXControlState::Hover),
             Colors.GetColor(DarkTheme, FXControlState::Press));
}

void FXSingleColorStateSet::CopyFrom(const FXSingleColorStateSet& FromSet) {
  FAccent = FromSet.FAccent;
  LoadColors(FromSet.FNone, FromSet.FHover, FromSet.FPress);
}

const FXColorProperties& FXSingleColorStateSet::Properties() const {
  using C = FXSingleColorStateSet;
  static const FXColorProperties list = Sorted({
      Color<C, &C::Accent, &C::SetAccent>("Accent"),
      Color<C, &C::None, &C::SetNone>("None"),
      Color<C, &C::Hover, &C::SetHover>("Hover"),
      Color<C, &C::Press, &C::SetPress>("Press"),
  });
  return list;
}

TColor ResolveColor(TColor Color) {
  if ((Color >> 24) != 0xFF) return Color;
  const std::size_t index = Color & 0xFF;
  return index < kSystemColors.size() ? kSystemColors[index] : 0;
}

TColor ChangeColorLight(TColor Color, std::int32_t Amount) {
  const TColor c = ResolveColor(Color);
  return RGB(Red(c) + Amount, Green(c) + Amount, Blue(c) + Amount);
}

std::int32_t ColorBrightness(TColor Color) { return (Red(Color) + Green(Color) + Blue(Color)) / 3; }

TColor ColorToGrayscale(TColor Color) {
  const TColor c = ResolveColor(Color);
  return TColor((Red(c) + Green(c) + Blue(c)) / 3) * 65793u;
}

TColor ContrastTextColor(TColor Background) { return ColorBrightness(Background) <= 150 ? 15987699 : 2105376; }

TColor ColorBlend(TColor Color1, TColor Color2, std::int32_t Amount) {
  auto mix = [Amount](std::int32_t a, std::int32_t b) { return a + (b - a) * Amount / 255; };
  return RGB(mix(Red(Color1), Red(Color2)), mix(Green(Color1), Green(Color2)), mix(Blue(Color1), Blue(Color2)));
}

FXTitlebarColors TitlebarColors(TColor Background, TColor Foreground) {
  // Lighten on dark colours and darken on light ones, so the shades always stand out.
  const std::int32_t back = ColorBrightness(Background) >= 100 ? -30 : 30;
  const std::int32_t fore = ColorBrightness(Foreground) >= 100 ? -30 : 30;
  const std::int32_t hover = fore / 2;
  FXTitlebarColors c{};
  c.BackgroundColor = c.InactiveBackgroundColor = Background;
  c.ButtonBackgroundColor = c.ButtonInactiveBackgroundColor = Background;
  c.ButtonHoverBackgroundColor = ChangeColorLight(Background, hover);
  c.ButtonPressedBackgroundColor = ChangeColorLight(Background, back);
  c.ForegroundColor = c.ButtonForegroundColor = Foreground;
  c.ButtonHoverForegroundColor = ChangeColorLight(Foreground, hover);
  c.InactiveForegroundColor = c.ButtonInactiveForegroundColor = c.ButtonPressedForegroundColor =
      ChangeColorLight(Foreground, fore);
  return c;
}

void ApplyTitlebarColors(ui::TForm& Form, TColor Background, TColor Foreground) {
  const FXTitlebarColors c = TitlebarColors(Background, Foreground);
  ui::TTitleBar& bar = Form.CustomTitleBar();
  using F = FXTitlebarColors;
  using B = ui::TTitleBar;
  static constexpr std::pair<TColor F::*, ui::TAlphaColor B::*> kColors[] = {
      {&F::BackgroundColor, &B::BackgroundColor},
      {&F::InactiveBackgroundColor, &B::InactiveBackgroundColor},
      {&F::ButtonBackgroundColor, &B::ButtonBackgroundColor},
      {&F::ButtonInactiveBackgroundColor, &B::ButtonInactiveBackgroundColor},
      {&F::ButtonHoverBackgroundColor, &B::ButtonHoverBackgroundColor},
      {&F::ButtonPressedBackgroundColor, &B::ButtonPressedBackgroundColor},
      {&F::ForegroundColor, &B::ForegroundColor},
      {&F::ButtonForegroundColor, &B::ButtonForegroundColor},
      {&F::ButtonHoverForegroundColor, &B::ButtonHoverForegroundColor},
      {&F::InactiveForegroundColor, &B::InactiveForegroundColor},
      {&F::ButtonInactiveForegroundColor, &B::ButtonInactiveForegroundColor},
      {&F::ButtonPressedForegroundColor, &B::ButtonPressedForegroundColor}};
  for (const auto& [from, to] : kColors) bar.*to = MakeARGB(c.*from, 255);
  bar.Invalidate();
}

}  // namespace lux
