// The tooltip windows: theme colours, size from the hint text, and what their painting puts on screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "lux/graphics.h"
#include "lux/theme_manager.h"
#include "lux/tool_tip.h"
#include "platform/headless_window.h"
#include "screen.h"
#include "ui/application.h"
#include "ui/bitmap.h"
#include "ui/canvas.h"

namespace {

using namespace lux;

class ToolTip : public testing::Test {
 protected:
  void SetUp() override { ui::Application(); }
};

class ToolTipDrawing : public ToolTip {};

std::uint8_t Luma(ui::TAlphaColor c) { return static_cast<std::uint8_t>((ui::RedOf(c) + ui::GreenOf(c) + ui::BlueOf(c)) / 3); }

TEST_F(ToolTip, ClassesTakeTheThemeTooltipColoursAndTheirOwnDefaults) {
  FXLightTooltip light(nullptr);
  EXPECT_EQ(light.BackColor, 0xF3F3F3u);
  EXPECT_EQ(light.BorderColor, 0xFBFBFBu);
  EXPECT_TRUE(light.ShowShadow);
  EXPECT_EQ(light.BorderThickness, 2);
  EXPECT_EQ(light.Font.Name(), "Segoe UI");
  EXPECT_EQ(light.Font.Size(), 8);

  FXDarkTooltip dark(nullptr);
  EXPECT_EQ(dark.BackColor, 0x202020u);
  EXPECT_EQ(dark.BorderColor, 0x2B2B2Bu);

  // ApplyColor reads the manager's tooltip set each time, not a copy taken once.
  FXCompleteColorSets& colors = *ThemeManager().FSystemToolTip;
  const TColor oldBack = colors.DarkBackGround(), oldBorder = colors.DarkBackGroundInterior();
  colors.SetDarkBackGround(0x102030);
  colors.SetDarkBackGroundInterior(0x405060);
  dark.ApplyColor();
  light.ApplyColor();
  colors.SetDarkBackGround(oldBack);
  colors.SetDarkBackGroundInterior(oldBorder);
  EXPECT_EQ(dark.BackColor, 0x102030u);
  EXPECT_EQ(dark.BorderColor, 0x405060u);
  EXPECT_EQ(light.BackColor, 0xF3F3F3u);
}

TEST_F(ToolTipDrawing, HintRectIsTheTextGrownByMarginsAndBorder) {
  FXLightTooltip tip(nullptr);
  ui::TBitmap scratch(1, 1);
  ui::TCanvas canvas(scratch);
  canvas.Font = tip.Font;
  const std::string word = "Install";
  const TRect one = tip.CalcHintRect(300, word);
  EXPECT_EQ(one.Left, 0);
  EXPECT_EQ(one.Top, 0);
  EXPECT_EQ(one.Width(), canvas.TextWidth(word) + 18);
  EXPECT_EQ(one.Height(), LineHeight(canvas, word) + 14);

  tip.BorderThickness = 5;
  const TRect thick = tip.CalcHintRect(300, word);
  EXPECT_EQ(thick.Width(), one.Width() + 6);
  EXPECT_EQ(thick.Height(), one.Height() + 6);
  tip.BorderThickness = 2;

  // A long hint wraps within the maximum width and grows downwards instead.
  const std::string sentence = "Choose the folder where the application and its files will be installed";
  const TRect wrapped = tip.CalcHintRect(120, sentence);
  EXPECT_LE(wrapped.Width(), 120 + 18);
  EXPECT_GE(wrapped.Height(), 2 * LineHeight(canvas, word) + 14);
}

TEST_F(ToolTipDrawing, PaintsFillBorderAndContrastingText) {
  struct Case {
    bool dark;
    ui::TAlphaColor fill, border, text;
  };
  for (const Case& c : {Case{false, 0xFFF3F3F3, 0xFFFBFBFB, 0xFF202020}, Case{true, 0xFF202020, 0xFF2B2B2B, 0xFFF3F3F3}}) {
    SCOPED_TRACE(c.dark ? "dark" : "light");
    std::unique_ptr<FXCustomTooltip> tip;
    if (c.dark)
      tip = std::make_unique<FXDarkTooltip>(nullptr);
    else
      tip = std::make_unique<FXLightTooltip>(nullptr);
    tip->SetCaption("Hint");
    const TRect r = tip->CalcHintRect(300, "Hint");
    tip->SetBounds(0, 0, r.Width(), r.Height());
    ui::TBitmap target(r.Width(), r.Height());
    ui::TCanvas canvas(target);
    tip->PaintTo(canvas);

    const int midY = r.Height() / 2;
    EXPECT_EQ(target.Color(0, midY), c.border);
    EXPECT_EQ(target.Color(1, midY), c.border);
    EXPECT_EQ(target.Color(r.Width() - 1, midY), c.border);
    EXPECT_EQ(target.Color(r.Width() / 2, 1), c.border);
    EXPECT_EQ(target.Color(4, midY), c.fill);
    EXPECT_EQ(target.Color(r.Width() - 5, midY), c.fill);

    // The strongest ink inside the text margins reaches the contrasting text colour.
    ui::TAlphaColor ink = c.fill;
    for (int y = 7; y < r.Height() - 7; ++y)
      for (int x = 9; x < r.Width() - 9; ++x) {
        const ui::TAlphaColor p = target.Color(x, y);
        if (std::abs(Luma(p) - Luma(c.fill)) > std::abs(Luma(ink) - Luma(c.fill))) ink = p;
      }
    EXPECT_NEAR(Luma(ink), Luma(c.text), 8);
  }
}

TEST_F(ToolTipDrawing, WindowHasNoFrameAndCastsAShadowOnlyWhenAskedTo) {
  for (bool shadow : {true, false}) {
    FXLightTooltip tip(nullptr);
    tip.ShowShadow = shadow;
    tip.ActivateHint(tip.CalcHintRect(300, "Hint"), "Hint");
    auto& window = testsupport::Screen(tip);
    EXPECT_FALSE(tip.Params().Border);
    EXPECT_EQ(window.Shadow(), shadow);
    EXPECT_TRUE(window.Visible());
    EXPECT_FALSE(window.Decorated());
  }
}

}  // namespace
