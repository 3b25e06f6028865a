// Colour sets (published per-theme sets and the resolved sets controls draw with) and colour arithmetic.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "lux/control_interface.h"
#include "lux/types.h"

namespace ui {
class TForm;
}

namespace lux {

class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The persistent-object base: something whose published properties can be stored and assigned.
class TPersistent {
 public:
  virtual ~TPersistent() = default;
  virtual const char* ClassName() const = 0;
  // Without a more specific rule, assigning fails with "Cannot assign a <source> to a <target>".
  virtual void Assign(const TPersistent& Source);
};

class FXPersistentColor;

// One published property of a colour set, read and written as a number (Enabled as 0 or 1).
struct FXColorProperty {
  const char* Name;
  std::uint32_t (*Get)(const FXPersistentColor&);
  void (*Set)(FXPersistentColor&, std::uint32_t);
};
using FXColorProperties = std::vector<FXColorProperty>;  // sorted by name, case-insensitively

class FXPersistentColor : public TPersistent {
 public:
  explicit FXPersistentColor(FXControl* AOwner = nullptr) : FOwner(AOwner) {}
  FXPersistentColor(const FXPersistentColor&) = delete;
  FXPersistentColor& operator=(const FXPersistentColor&) = delete;

  FXControl* Owner() const { return FOwner; }
  bool Enabled() const { return FEnable; }
  void SetEnabled(bool Value);

  // Copies every published property of a colour-set Source that this set also has, by name.
  void Assign(const TPersistent& Source) override;
  virtual const FXColorProperties& Properties() const = 0;

 protected:
  // Tells the owning control to re-resolve its colours, unless it is reading its stored layout.
  void NotifyOwner();
  // Resolved sets are plain values and tell nobody.
  virtual bool NotifiesOwner() const { return true; }

 private:
  FXControl* FOwner;
  bool FEnable = false;
};

// Published: one background and one foreground per theme.
class FXColorSets : public FXPersistentColor {
 public:
  // A focus control sits on a lighter (or, dark, a raised) surface.
  explicit FXColorSets(FXControl* AOwner = nullptr, bool FocusControl = false);
  const char* ClassName() const override { return "FXColorSets"; }
  const FXColorProperties& Properties() const override;

  TColor Accent() const { return FAccent; }
  TColor LightBackGround() const { return FLightBackGround; }
  TColor LightForeGround() const { return FLightForeGround; }
  TColor DarkBackGround() const { return FDarkBackGround; }
  TColor DarkForeGround() const { return FDarkForeGround; }
  void SetAccent(TColor Value) { Store(FAccent, Value); }
  void SetLightBackGround(TColor Value) { Store(FLightBackGround, Value); }
  void SetLightForeGround(TColor Value) { Store(FLightForeGround, Value); }
  void SetDarkBackGround(TColor Value) { Store(FDarkBackGround, Value); }
  void SetDarkForeGround(TColor Value) { Store(FDarkForeGround, Value); }

 protected:
  void Store(TColor& Field, TColor Value) {
    Field = Value;
    NotifyOwner();
  }

 private:
  TColor FAccent;
  TColor FLightBackGround;
  TColor FLightForeGround;
  TColor FDarkBackGround;
  TColor FDarkForeGround;
};

// Published: adds an inner (content) background per theme.
class FXCompleteColorSets : public FXColorSets {
 public:
  explicit FXCompleteColorSets(FXControl* AOwner = nullptr);
  const char* ClassName() const override { return "FXCompleteColorSets"; }
  const FXColorProperties& Properties() const override;

  TColor LightBackGroundInterior() const { return FLightBackGroundInterior; }
  TColor DarkBackGroundInterior() const { return FDarkBackGroundInterior; }
  void SetLightBackGroundInterior(TColor Value) { Store(FLightBackGroundInterior, Value); }
  void SetDarkBackGroundInterior(TColor Value) { Store(FDarkBackGroundInterior, Value); }

 private:
  TColor FLightBackGroundInterior = 16514043;
  TColor FDarkBackGroundInterior = 2829099;
};

// Published: background and foreground per theme and per interaction state.
class FXColorStateSets : public FXPersistentColor {
 public:
  FXColorStateSets();  // the grey defaults
  // A control's own state set starts all black: its stored layout holds those zeros.
  explicit FXColorStateSets(FXControl* AOwner);
  const char* ClassName() const override { return "FXColorStateSets"; }
  const FXColorProperties& Properties() const override;

  // Position (dark ? 6 : 0) + (foreground ? 3 : 0) + state in published order; 0 outside.
  TColor GetColor(bool DarkTheme, bool Foreground, FXControlState State) const;

  TColor Accent() const { return FAccent; }
  void SetAccent(TColor Value) { FAccent = Value; }
  TColor LightBackgroundNone() const { return FColors[0]; }
  TColor LightBackgroundHover() const { return FColors[1]; }
  TColor LightBackgroundPress() const { return FColors[2]; }
  TColor LightForeGroundNone() const { return FColors[3]; }
  TColor LightForeGroundHover() const { return FColors[4]; }
  TColor LightForeGroundPress() const { return FColors[5]; }
  TColor DarkBackGroundNone() const { return FColors[6]; }
  TColor DarkBackGroundHover() const { return FColors[7]; }
  TColor DarkBackGroundPress() const { return FColors[8]; }
  TColor DarkForeGroundNone() const { return FColors[9]; }
  TColor DarkForeGroundHover() const { return FColors[10]; }
  TColor DarkForeGroundPress() const { return FColors[11]; }
  void SetLightBackgroundNone(TColor Value) { Store(0, Value); }
  void SetLightBackgroundHover(TColor Value) { Store(1, Value); }
  void SetLightBackgroundPress(TColor Value) { Store(2, Value); }
  void SetLightForeGroundNone(TColor Value) { Store(3, Value); }
  void SetLightForeGroundHover(TColor Value) { Store(4, Value); }
  void SetLightForeGroundPress(TColor Value) { Store(5, Value); }
  void SetDarkBackGroundNone(TColor Value) { Store(6, Value); }
  void SetDarkBackGroundHover(TColor Value) { Store(7, Value); }
  void SetDarkBackGroundPress(TColor Value) { Store(8, Value); }
  void SetDarkForeGroundNone(TColor Value) { Store(9, Value); }
  void SetDarkForeGroundHover(TColor Value) { Store(10, Value); }
  void SetDarkForeGroundPress(TColor Value) { Store(11, Value); }

 private:
  void Store(std::size_t Index, TColor Value) {
    FColors[Index] = Value;
    NotifyOwner();
  }
  TColor FAccent = 0;
  std::array<TColor, 12> FColors{};
};

// Published: one colour per theme and state.
class FXSingleColorStateSets : public FXPersistentColor {
 public:
  FXSingleColorStateSets();  // the grey defaults
  explicit FXSingleColorStateSets(FXControl* AOwner);  // all black, as a control's own set starts
  const char* ClassName() const override { return "FXSingleColorStateSets"; }
  const FXColorProperties& Properties() const override;

  // Position (dark ? 3 : 0) + state of LightNone .. DarkPress; 0 outside.
  TColor GetColor(bool DarkTheme, FXControlState State) const;
  void SetLightColor(TColor None, TColor Hover, TColor Press);
  void SetDarkColor(TColor None, TColor Hover, TColor Press);

  TColor Accent() const { return FAccent; }
  void SetAccent(TColor Value) { FAccent = Value; }
  TColor LightNone() const { return FColors[0]; }
  TColor LightHover() const { return FColors[1]; }
  TColor LightPress() const { return FColors[2]; }
  TColor DarkNone() const { return FColors[3]; }
  TColor DarkHover() const { return FColors[4]; }
  TColor DarkPress() const { return FColors[5]; }
  void SetLightNone(TColor Value) { Store(0, Value); }
  void SetLightHover(TColor Value) { Store(1, Value); }
  void SetLightPress(TColor Value) { Store(2, Value); }
  void SetDarkNone(TColor Value) { Store(3, Value); }
  void SetDarkHover(TColor Value) { Store(4, Value); }
  void SetDarkPress(TColor Value) { Store(5, Value); }

 private:
  void Store(std::size_t Index, TColor Value) {
    FColors[Index] = Value;
    NotifyOwner();
  }
  TColor FAccent = 0;
  std::array<TColor, 6> FColors{};
};

// Resolved: the colours one control draws with in the current theme.
class FXColorSet : public FXPersistentColor {
 public:
  explicit FXColorSet(FXControl* AOwner = nullptr) : FXPersistentColor(AOwner) {}
  FXColorSet(const FXColorSets& Colors, bool DarkColor) { LoadFrom(Colors, DarkColor); }
  FXColorSet(FXControl* AOwner, const FXColorSets& Colors, bool DarkColor) : FXPersistentColor(AOwner) {
    LoadFrom(Colors, DarkColor);
  }
  const char* ClassName() const override { return "FXColorSet"; }
  const FXColorProperties& Properties() const override;

  void LoadFrom(const FXColorSets& Colors, bool DarkColor);

  TColor Accent() const { return FAccent; }
  TColor BackGround() const { return FBackGround; }
  TColor ForeGround() const { return FForeGround; }
  void SetAccent(TColor Value) { FAccent = Value; }
  void SetBackGround(TColor Value) { FBackGround = Value; }
  void SetForeGround(TColor Value) { FForeGround = Value; }

 protected:
  bool NotifiesOwner() const override { return false; }

 private:
  TColor FAccent = 13924352;
  TColor FBackGround = 0;
  TColor FForeGround = 0;
};

class FXCompleteColorSet : public FXColorSet {
 public:
  explicit FXCompleteColorSet(FXControl* AOwner = nullptr) : FXColorSet(AOwner) {}
  FXCompleteColorSet(const FXCompleteColorSets& Colors, bool DarkColor) { LoadFrom(Colors, DarkColor); }
  const char* ClassName() const override { return "FXCompleteColorSet"; }
  const FXColorProperties& Properties() const override;

  using FXColorSet::LoadFrom;
  void LoadFrom(const FXCompleteColorSets& Colors, bool DarkColor);

  TColor BackGroundInterior() const { return FBackGroundInterior; }
  void SetBackGroundInterior(TColor Value) { FBackGroundInterior = Value; }

 private:
  TColor FBackGroundInterior = 0;
};

class FXColorStateSet : public FXPersistentColor {
 public:
  explicit FXColorStateSet(FXControl* AOwner = nullptr) : FXPersistentColor(AOwner) {}
  FXColorStateSet(const FXColorStateSets& AFrom, bool DarkColor) { LoadFrom(AFrom, DarkColor); }
  const char* ClassName() const override { return "FXColorStateSet"; }
  const FXColorProperties& Properties() const override;

  void LoadFrom(const FXColorStateSets& AFrom, bool DarkColor);
  TColor GetColor(bool Foreground, FXControlState State) const;

  TColor Accent() const { return FAccent; }
  TColor BackgroundNone() const { return FColors[0]; }
  TColor BackgroundHover() const { return FColors[1]; }
  TColor BackgroundPress() const { return FColors[2]; }
  TColor ForeGroundNone() const { return FColors[3]; }
  TColor ForeGroundHover() const { return FColors[4]; }
  TColor ForeGroundPress() const { return FColors[5]; }
  void SetAccent(TColor Value) { FAccent = Value; }
  void SetBackgroundNone(TColor Value) { FColors[0] = Value; }
  void SetBackgroundHover(TColor Value) { FColors[1] = Value; }
  void SetBackgroundPress(TColor Value) { FColors[2] = Value; }
  void SetForeGroundNone(TColor Value) { FColors[3] = Value; }
  void SetForeGroundHover(TColor Value) { FColors[4] = Value; }
  void SetForeGroundPress(TColor Value) { FColors[5] = Value; }

 protected:
  bool NotifiesOwner() const override { return false; }

 private:
  TColor FAccent = 0;
  std::array<TColor, 6> FColors{};
};

class FXSingleColorStateSet : public FXPersistentColor {
 public:
  FXSingleColorStateSet(TColor ANone, TColor AHover, TColor APress) { LoadColors(ANone, AHover, APress); }
  FXSingleColorStateSet(const FXSingleColorStateSets& Colors, bool DarkTheme) { LoadColors(Colors, DarkTheme); }
  const char* ClassName() const override { return "FXSingleColorStateSet"; }
  const FXColorProperties& Properties() const override;

  TColor GetColor(FXControlState AState) const;
  void LoadColors(TColor ANone, TColor AHover, TColor APress);
  // Takes the three state colours of one theme; Accent stays as it is.
  void LoadColors(const FXSingleColorStateSets& Colors, bool DarkTheme);
  void CopyFrom(const FXSingleColorStateSet& FromSet);

  TColor Accent() const { return FAccent; }
  TColor None() const { return FNone; }
  TColor Hover() const { return FHover; }
  TColor Press() const { return FPress; }
  void SetAccent(TColor Value) { FAccent = Value; }
  void SetNone(TColor Value) { FNone = Value; }
  void SetHover(TColor Value) { FHover = Value; }
  void SetPress(TColor Value) { FPress = Value; }

 protected:
  bool NotifiesOwner() const override { return false; }

 private:
  TColor FAccent = 0;
  TColor FNone = 0;
  TColor FHover = 0;
  TColor FPress = 0;
};

// A system colour (top byte 0xFF) becomes its current value; other colours are returned unchanged.
TColor ResolveColor(TColor Color);

TColor ChangeColorLight(TColor Color, std::int32_t Amount);
// The mean of the three channels of the raw value, 0..255.
std::int32_t ColorBrightness(TColor Color);
TColor ColorToGrayscale(TColor Color);
TColor ContrastTextColor(TColor Background);
// Amount 0 gives Color1, 255 gives Color2.
TColor ColorBlend(TColor Color1, TColor Color2, std::int32_t Amount);

// The colours of a window's custom title bar, derived from its background and foreground.
struct FXTitlebarColors {
  TColor BackgroundColor;
  TColor InactiveBackgroundColor;
  TColor ButtonBackgroundColor;
  TColor ButtonInactiveBackgroundColor;
  TColor ButtonHoverBackgroundColor;
  TColor ButtonPressedBackgroundColor;
  TColor ForegroundColor;
  TColor ButtonForegroundColor;
  TColor ButtonHoverForegroundColor;
  TColor InactiveForegroundColor;
  TColor ButtonInactiveForegroundColor;
  TColor ButtonPressedForegroundColor;
};
FXTitlebarColors TitlebarColors(TColor Background, TColor Foreground);
// Gives the form's custom title bar the colours TitlebarColors derives.
void ApplyTitlebarColors(ui::TForm& Form, TColor Background, TColor Foreground);

}  // namespace lux
