// Colour sets (defaults, owner notification, assignment by name) and the colour arithmetic.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lux/colors.h"

namespace {

using namespace lux;

class FakeControl : public FXControl {
 public:
  bool IsContainer() override { return false; }
  void UpdateTheme(bool UpdateChildren) override {
    ++updates;
    lastChildren = UpdateChildren;
  }
  TColor Background() override { return 0; }
  bool IsLoading() override { return loading; }

  int updates = 0;
  bool lastChildren = false;
  bool loading = false;
};

class TFontLike : public TPersistent {
 public:
  const char* ClassName() const override { return "TFont"; }
};

TEST(ColorSetsTest, DefaultsDependOnOwnerAndFocus) {
  FakeControl owner;
  FXColorSets plain;
  EXPECT_EQ(plain.Accent(), 13924352u);
  EXPECT_EQ(plain.LightBackGround(), 15987699u);
  EXPECT_EQ(plain.LightForeGround(), 1776410u);
  EXPECT_EQ(plain.DarkBackGround(), 2105376u);
  EXPECT_EQ(plain.DarkForeGround(), 16777215u);
  EXPECT_FALSE(plain.Enabled());
  FXColorSets focus(nullptr, true);
  EXPECT_EQ(focus.LightBackGround(), 16514043u);
  EXPECT_EQ(focus.DarkBackGround(), 2829099u);
  FXColorSets owned(&owner);
  EXPECT_EQ(owned.LightBackGround(), 15987699u);

  FXCompleteColorSets complete(&owner);
  EXPECT_EQ(complete.LightBackGround(), 15987699u);
  EXPECT_EQ(complete.LightBackGroundInterior(), 16514043u);
  EXPECT_EQ(complete.DarkBackGroundInterior(), 2829099u);

  FXColorStateSets states;
  EXPECT_EQ(states.Accent(), 13924352u);
  EXPECT_EQ(states.LightBackgroundNone(), 9145227u);
  EXPECT_EQ(states.LightForeGroundNone(), 1776411u);
  EXPECT_EQ(states.DarkForeGroundPress(), 13553358u);
  FXSingleColorStateSets single;
  EXPECT_EQ(single.LightPress(), 7697781u);
  EXPECT_EQ(single.DarkNone(), 10657693u);

  // A control's own state sets start black, accent included, as its stored layout holds them.
  FXColorStateSets ownedStates(&owner);
  FXSingleColorStateSets ownedSingle(&owner);
  EXPECT_EQ(ownedStates.Accent(), 0u);
  for (FXControlState s : {FXControlState::None, FXControlState::Hover, FXControlState::Press}) {
    for (bool dark : {false, true}) {
      EXPECT_EQ(ownedStates.GetColor(dark, false, s), 0u);
      EXPECT_EQ(ownedStates.GetColor(dark, true, s), 0u);
      EXPECT_EQ(ownedSingle.GetColor(dark, s), 0u);
    }
  }
  EXPECT_EQ(ownedSingle.Accent(), 0u);
  EXPECT_FALSE(ownedStates.Enabled());
  EXPECT_EQ(owner.updates, 0);

  FXColorSet empty;
  EXPECT_EQ(empty.Accent(), 13924352u);
  EXPECT_EQ(empty.BackGround(), 0u);
}

TEST(ColorSetsTest, StateLookupFollowsPublishedOrder) {
  FXColorStateSets states;
  EXPECT_EQ(states.GetColor(true, true, FXControlState::Press), 13553358u);
  EXPECT_EQ(states.GetColor(false, false, FXControlState::Hover), 10461087u);
  EXPECT_EQ(states.GetColor(true, false, FXControlState::None), 10657693u);
  EXPECT_EQ(states.GetColor(false, true, FXControlState::Press), 8882055u);
  EXPECT_EQ(states.GetColor(true, true, static_cast<FXControlState>(3)), 0u);

  FXSingleColorStateSets single;
  EXPECT_EQ(single.GetColor(false, FXControlState::Hover), single.LightHover());
  EXPECT_EQ(single.GetColor(true, FXControlState::Press), single.DarkPress());
  EXPECT_EQ(single.GetColor(true, static_cast<FXControlState>(3)), 0u);
}

TEST(ColorSetsTest, ResolvedSetsLoadTheChosenTheme) {
  FXCompleteColorSets sets;
  sets.SetAccent(123);
  FXCompleteColorSet dark(sets, true);
  EXPECT_EQ(dark.Accent(), 123u);
  EXPECT_EQ(dark.BackGround(), 2105376u);
  EXPECT_EQ(dark.ForeGround(), 16777215u);
  EXPECT_EQ(dark.BackGroundInterior(), 2829099u);
  dark.LoadFrom(sets, false);
  EXPECT_EQ(dark.BackGround(), 15987699u);
  EXPECT_EQ(dark.BackGroundInterior(), 16514043u);

  FXColorStateSets stateSets;
  FXColorStateSet light(stateSets, false);
  EXPECT_EQ(light.BackgroundPress(), 7697781u);
  EXPECT_EQ(light.ForeGroundPress(), 8882055u);
  EXPECT_EQ(light.GetColor(true, FXControlState::Hover), 1776411u);
  light.LoadFrom(stateSets, true);
  EXPECT_EQ(light.GetColor(false, FXControlState::None), 10657693u);

  FXSingleColorStateSets singles;
  FXSingleColorStateSet resolved(singles, true);
  EXPECT_EQ(resolved.Accent(), 0u);
  EXPECT_EQ(resolved.Hover(), 12039603u);
  resolved.SetAccent(7);
  resolved.LoadColors(singles, false);
  EXPECT_EQ(resolved.Accent(), 7u);
  EXPECT_EQ(resolved.None(), 9145227u);
  FXSingleColorStateSet copy(1, 2, 3);
  copy.CopyFrom(resolved);
  EXPECT_EQ(copy.Accent(), 7u);
  EXPECT_EQ(copy.GetColor(FXControlState::Press), 7697781u);
}

TEST(ColorSetsTest, PublishedSettersNotifyTheOwner) {
  FakeControl owner;
  FXColorSets custom(&owner);
  custom.SetAccent(custom.Accent());  // even an unchanged colour notifies
  EXPECT_EQ(owner.updates, 1);
  EXPECT_TRUE(owner.lastChildren);
  custom.SetEnabled(false);  // unchanged: no notification
  EXPECT_EQ(owner.updates, 1);
  custom.SetEnabled(true);
  EXPECT_EQ(owner.updates, 2);

  FXCompleteColorSets complete(&owner);
  complete.SetDarkBackGroundInterior(1);
  EXPECT_EQ(owner.updates, 3);

  // The accent of the state sets is not a drawing colour and tells nobody.
  FXColorStateSets states(&owner);
  states.SetAccent(5);
  EXPECT_EQ(owner.updates, 3);
  states.SetDarkForeGroundPress(5);
  EXPECT_EQ(owner.updates, 4);
  FXSingleColorStateSets single(&owner);
  single.SetAccent(5);
  EXPECT_EQ(owner.updates, 4);
  single.SetLightHover(5);
  single.SetDarkColor(1, 2, 3);
  EXPECT_EQ(owner.updates, 6);
  EXPECT_EQ(single.DarkPress(), 3u);

  // Resolved sets are plain values.
  FXColorSet resolved(&owner);
  resolved.SetBackGround(9);
  resolved.SetEnabled(true);
  EXPECT_EQ(owner.updates, 6);

  // Nor is an owner told anything while it reads its stored layout.
  owner.loading = true;
  custom.SetLightBackGround(1);
  custom.SetEnabled(false);
  EXPECT_EQ(owner.updates, 6);
  EXPECT_EQ(custom.LightBackGround(), 1u);
}

TEST(ColorSetsTest, PublishedPropertiesAreListedAlphabetically) {
  std::vector<std::string> names;
  for (const FXColorProperty& p : FXCompleteColorSets().Properties()) names.push_back(p.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"Accent", "DarkBackGround", "DarkBackGroundInterior", "DarkForeGround",
                                             "Enabled", "LightBackGround", "LightBackGroundInterior",
                                             "LightForeGround"}));
}

TEST(ColorSetsTest, AssignCopiesSharedPropertiesByName) {
  FXCompleteColorSets source;
  source.SetAccent(1);
  source.SetLightBackGround(2);
  source.SetLightForeGround(3);
  source.SetDarkBackGround(4);
  source.SetDarkForeGround(5);
  source.SetLightBackGroundInterior(6);
  source.SetEnabled(true);

  FakeControl owner;
  FXColorSets target(&owner);
  target.Assign(source);
  EXPECT_EQ(target.Accent(), 1u);
  EXPECT_EQ(target.LightBackGround(), 2u);
  EXPECT_EQ(target.LightForeGround(), 3u);
  EXPECT_EQ(target.DarkBackGround(), 4u);
  EXPECT_EQ(target.DarkForeGround(), 5u);
  EXPECT_TRUE(target.Enabled());
  EXPECT_EQ(owner.updates, 6);  // through the setters, one notification each

  // Only Accent and Enabled are shared with the state sets.
  FXColorStateSets states;
  states.Assign(source);
  EXPECT_EQ(states.Accent(), 1u);
  EXPECT_TRUE(states.Enabled());
  EXPECT_EQ(states.LightBackgroundNone(), 9145227u);

  FXCompleteColorSet resolved(source, true);
  FXCompleteColorSet other;
  other.Assign(resolved);
  EXPECT_EQ(other.Accent(), 1u);
  EXPECT_EQ(other.BackGround(), 4u);
  EXPECT_EQ(other.ForeGround(), 5u);
  EXPECT_EQ(other.BackGroundInterior(), 2829099u);

  // A resolved set shares only Accent with a published one.
  FXColorSets back;
  back.Assign(resolved);
  EXPECT_EQ(back.Accent(), 1u);
  EXPECT_EQ(back.LightBackGround(), 15987699u);
}

TEST(ColorSetsTest, AssignFromAnotherKindOfObjectFails) {
  FXColorSets target;
  try {
    target.Assign(TFontLike());
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TFont to a FXColorSets");
  }
}

TEST(ColorHelpersTest, ArithmeticTable) {
  constexpr TColor grey240 = 240 * 65793u;
  EXPECT_EQ(ChangeColorLight(grey240, 30), 0xFFFFFFu);
  EXPECT_EQ(ChangeColorLight(grey240, -300), 0u);
  EXPECT_EQ(ChangeColorLight(0x102030, 16), 0x203040u);
  // System colours resolve first: the highlight is #0078D7.
  EXPECT_EQ(ChangeColorLight(0xFF00000Du, 0), 0xD77800u);
  EXPECT_EQ(ResolveColor(0xFF000008u), 0u);
  EXPECT_EQ(ResolveColor(0x123456u), 0x123456u);

  EXPECT_EQ(ColorBlend(0, 16777215, 128), 8421504u);
  EXPECT_EQ(ColorBlend(16777215, 0, 128), 8355711u);
  EXPECT_EQ(ColorBlend(0x0000FF, 0xFF0000, 0), 0x0000FFu);
  EXPECT_EQ(ColorBlend(0x0000FF, 0xFF0000, 255), 0xFF0000u);

  EXPECT_EQ(ColorBrightness(0x030201), 2);
  EXPECT_EQ(ColorBrightness(0xFFFFFFFFu), 255);  // raw, not resolved
  EXPECT_EQ(ContrastTextColor(150 * 65793u), 15987699u);
  EXPECT_EQ(ContrastTextColor(151 * 65793u), 2105376u);
  EXPECT_EQ(ColorToGrayscale(0x0000FF), 85 * 65793u);
  EXPECT_EQ(ColorToGrayscale(0xFF00000Fu), 0xF0F0F0u);  // the button face's default
}

TEST(ColorHelpersTest, TitlebarShadesMoveAwayFromEachColour) {
  // Light background, dark text: the background darkens on press, the text lightens.
  FXTitlebarColors light = TitlebarColors(15987699, 1776410);
  EXPECT_EQ(light.BackgroundColor, 15987699u);
  EXPECT_EQ(light.ButtonInactiveBackgroundColor, 15987699u);
  EXPECT_EQ(light.ButtonHoverBackgroundColor, ChangeColorLight(15987699, 15));
  EXPECT_EQ(light.ButtonPressedBackgroundColor, ChangeColorLight(15987699, -30));
  EXPECT_EQ(light.ButtonForegroundColor, 1776410u);
  EXPECT_EQ(light.ButtonHoverForegroundColor, ChangeColorLight(1776410, 15));
  EXPECT_EQ(light.InactiveForegroundColor, ChangeColorLight(1776410, 30));
  EXPECT_EQ(light.ButtonPressedForegroundColor, ChangeColorLight(1776410, 30));

  FXTitlebarColors dark = TitlebarColors(2105376, 16777215);
  EXPECT_EQ(dark.ButtonHoverBackgroundColor, ChangeColorLight(2105376, -15));
  EXPECT_EQ(dark.ButtonPressedBackgroundColor, ChangeColorLight(2105376, 30));
  EXPECT_EQ(dark.ButtonInactiveForegroundColor, ChangeColorLight(16777215, -30));
}

}  // namespace
