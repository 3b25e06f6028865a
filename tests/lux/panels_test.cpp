// The themed panel: colours, the accent line, the theme passed to its children, and panels that take
// their parent's colour through a framework window's theme change.
#include <gtest/gtest.h>

#include "lux/forms.h"
#include "lux/panels.h"
#include "lux/text_box.h"
#include "lux/theme_manager.h"
#include "ui/controls.h"
#include "vel/visual_panels.h"

namespace {

using namespace lux;

class PanelTest : public testing::Test {
 protected:
  void SetUp() override {
    ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
    form.AllowThemeChangeAnimation = false;
    form.SetMicaEffect(false);
    form.SetClientSize(300, 200);
  }
  void TearDown() override { ThemeManager().SetDarkThemeMode(FXDarkSetting::Auto); }
  static ui::TAlphaColor Opaque(TColor color) { return MakeARGB(color, 255); }
  FXForm form{nullptr};
};

// Counts the theme updates that reach it.
struct TThemeProbe : ui::TCustomControl, FXControl {
  TThemeProbe(ui::TComponent* owner, ui::TWinControl* parent) : ui::TCustomControl(owner) { SetParent(parent); }
  bool IsContainer() override { return false; }
  void UpdateTheme(bool) override { ++updates; }
  TColor Background() override { return 0; }
  int updates = 0;
};

TEST_F(PanelTest, AccentLineRunsDownTheLeftEdgeAndContentFillsWithTheInterior) {
  auto* panel = new FXPanel(&form);
  panel->SetParent(&form);
  panel->SetBounds(50, 60, 200, 100);
  panel->SetAccentLine(true);
  EXPECT_EQ(panel->AccentLineWidth(), 8);
  form.Show();
  auto at = [&](int x, int y) {
    form.Repaint();
    return form.Surface().Color(50 + x, 60 + y);
  };
  const ui::TAlphaColor accent = Opaque(ThemeManager().SystemColor->Accent());
  const ui::TAlphaColor background = Opaque(ThemeManager().SystemColor->BackGround());
  EXPECT_EQ(at(14, 50), accent);
  EXPECT_EQ(at(14, 12), accent);
  EXPECT_EQ(at(17, 50), accent);
  EXPECT_EQ(at(14, 88), accent);
  EXPECT_EQ(at(10, 10), background) << "the corners are rounded";
  EXPECT_EQ(at(9, 50), background);
  EXPECT_EQ(at(18, 50), background);
  EXPECT_EQ(at(14, 90), background);
  EXPECT_EQ(at(100, 50), background);

  panel->SetAccentLineWidth(20);
  EXPECT_EQ(at(25, 50), accent);
  panel->SetBackgroundColor(FXBackgroundColor::Content);
  EXPECT_EQ(at(100, 50), Opaque(16514043));
  panel->SetAccentLine(false);
  EXPECT_EQ(at(14, 50), Opaque(16514043));
}

TEST_F(PanelTest, ThemeReachesOnlyTheFrameworkControlsDirectlyInside) {
  FXPanel panel(nullptr);
  auto* direct = new TThemeProbe(&panel, &panel);
  auto* plain = new vel::CPanel(&panel);
  plain->SetParent(&panel);
  auto* nested = new TThemeProbe(&panel, plain);
  panel.UpdateTheme(false);
  EXPECT_EQ(direct->updates, 0);
  panel.UpdateTheme(true);
  EXPECT_EQ(direct->updates, 1);
  EXPECT_EQ(nested->updates, 0) << "a plain panel is not walked into";
}

TEST_F(PanelTest, OwnColoursApplyAtOnceAndChildrenPaintOnTheChosenBackground) {
  FXPanel panel(nullptr);
  EXPECT_FALSE(panel.ParentColor()) << "the first colour update gives the panel its own colour";
  EXPECT_EQ(panel.Color(), Opaque(ThemeManager().SystemColor->BackGround()));
  EXPECT_EQ(panel.Font().Color(), Opaque(ThemeManager().SystemColor->ForeGround()));

  panel.CustomColors().SetLightBackGround(0x00FF00);
  panel.CustomColors().SetLightBackGroundInterior(0xFF0000);
  EXPECT_EQ(panel.Color(), Opaque(ThemeManager().SystemColor->BackGround())) << "not used while disabled";
  panel.CustomColors().SetEnabled(true);
  EXPECT_EQ(panel.Color(), 0xFF00FF00u);

  panel.SetBackgroundColor(FXBackgroundColor::Content);
  EXPECT_EQ(panel.Background(), 0xFF0000u);
  EXPECT_EQ(panel.Color(), 0xFF0000FFu);
  auto* box = new FXTextBox(&panel);
  box->SetParent(&panel);
  box->UpdateTheme(false);
  EXPECT_EQ(box->Background(), 0xFF0000u);
}

TEST_F(PanelTest, DarkThemeReachesEveryPageThroughThePanelsParentColours) {
  auto* page = new vel::CPanel(&form);  // a page: follows the window
  page->SetParent(&form);
  auto* group = new FXPanel(&form);
  group->SetParent(page);
  group->SetBackgroundColor(FXBackgroundColor::Content);
  auto* inGroup = new vel::CPanel(&form);  // an option group: follows the themed panel
  inGroup->SetParent(group);

  auto check = [&](const char* theme) {
    const FXCompleteColorSet& colors = *ThemeManager().SystemColor;
    EXPECT_EQ(form.Color(), Opaque(colors.BackGround())) << theme;
    EXPECT_EQ(page->Color(), form.Color()) << theme;
    EXPECT_EQ(group->Color(), Opaque(colors.BackGroundInterior())) << theme;
    EXPECT_EQ(inGroup->Color(), group->Color()) << theme;
  };
  check("light");
  ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceDark);
  ASSERT_TRUE(ThemeManager().DarkTheme());
  check("dark");
  EXPECT_EQ(page->Color(), Opaque(2105376));
  EXPECT_EQ(group->Color(), Opaque(2829099));

  page->SetBounds(0, 40, 300, 160);
  group->SetBounds(100, 40, 100, 80);
  inGroup->SetBounds(10, 10, 20, 20);
  form.Show();
  form.Repaint();
  EXPECT_EQ(form.Surface().Color(50, 150), Opaque(2105376));
  EXPECT_EQ(form.Surface().Color(180, 150), Opaque(2829099));
  EXPECT_EQ(form.Surface().Color(115, 95), Opaque(2829099));
}

}  // namespace
