// The text box and the icon view: text flags, automatic size, painting, and the icon's square.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "lux/forms.h"
#include "lux/graphics.h"
#include "lux/icon_view.h"
#include "lux/text_box.h"
#include "lux/theme_manager.h"

namespace {

using namespace lux;

// A light framework window, without the fade, holding the controls under test.
class TextBoxWindow : public testing::Test {
 protected:
  void SetUp() override {
    ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
    form.AllowThemeChangeAnimation = false;
    form.SetMicaEffect(false);
    form.SetClientSize(400, 300);
  }
  void TearDown() override { ThemeManager().SetDarkThemeMode(FXDarkSetting::Auto); }
  template <typename T>
  T* Add() {
    auto* control = new T(&form);
    control->SetParent(&form);
    return control;
  }
  FXForm form{nullptr};
};

class TextBoxDrawing : public TextBoxWindow {
 protected:
  // What the text box measures with.
  static ui::TSize Extent(const FXTextBox& box, const std::string& text) {
    ui::TBitmap scratch(1, 1);
    ui::TCanvas canvas(scratch);
    canvas.Font = box.Font();
    return canvas.TextExtent(text);
  }
};

int Distance(ui::TAlphaColor a, ui::TAlphaColor b) {
  return std::abs(ui::RedOf(a) - ui::RedOf(b)) + std::abs(ui::GreenOf(a) - ui::GreenOf(b)) +
         std::abs(ui::BlueOf(a) - ui::BlueOf(b));
}

// The buffer's pixel nearest to the colour, by the summed channel distance.
int Nearest(const ui::TBitmap& buffer, ui::TAlphaColor color) {
  int best = 3 * 255;
  for (int y = 0; y < buffer.Height(); ++y)
    for (int x = 0; x < buffer.Width(); ++x) best = std::min(best, Distance(buffer.Color(x, y), color));
  return best;
}

TEST_F(TextBoxWindow, TextFlagsFollowTheLayoutsAndWrapping) {
  auto* box = Add<FXTextBox>();
  EXPECT_EQ(box->Text(), "Hello World");
  EXPECT_FALSE(box->TabStop());
  using F = FXTextFlag;
  struct Case {
    FXLayout horizontal, vertical;
    bool wrap;
    FXTextFlags expected;
  };
  const std::vector<Case> cases = {
      {FXLayout::Beginning, FXLayout::Center, false, {F::Left, F::VerticalCenter}},
      {FXLayout::Center, FXLayout::Beginning, false, {F::Center, F::Top}},
      {FXLayout::Ending, FXLayout::Ending, true, {F::WordWrap, F::NoClip, F::Right, F::Bottom}},
  };
  box->SetAutoSize(false);
  for (const Case& c : cases) {
    box->SetLayoutHorizontal(c.horizontal);
    box->SetLayoutVertical(c.vertical);
    box->SetWordWrap(c.wrap);
    EXPECT_EQ(box->TextFlags(), c.expected) << static_cast<int>(c.horizontal) << static_cast<int>(c.vertical);
  }
  box->PaddingFill().SetLeft(4);
  box->PaddingFill().SetBottom(6);
  EXPECT_EQ(box->TextRect(), (TRect{4, 0, box->Width(), box->Height() - 6}));
  box->SetCaption("Ready");
  EXPECT_EQ(box->Text(), "Ready");
}

TEST_F(TextBoxDrawing, TextBoxTakesItsTextsSizeOnceItsWindowExists) {
  auto* box = Add<FXTextBox>();
  box->SetLeft(20);
  EXPECT_EQ(box->Width(), 180);
  EXPECT_EQ(box->Height(), 30);
  form.Show();
  form.Update();
  const ui::TSize text = Extent(*box, "Hello World");
  EXPECT_EQ(box->BoundsRect(), (TRect{20, 0, 20 + text.cx, text.cy}));

  box->PaddingFill().SetLeft(3);
  box->PaddingFill().SetRight(4);
  box->PaddingFill().SetTop(1);
  box->SetText("");
  EXPECT_EQ(box->Width(), 7) << "an empty caption leaves the padding alone";

  box->SetAutoSize(false);
  box->SetText("A much longer caption than before");
  EXPECT_EQ(box->Width(), 7);
  box->SetAutoSize(true);
  EXPECT_EQ(box->Width(), Extent(*box, "A much longer caption than before").cx + 7);
}

TEST_F(TextBoxDrawing, WrappedTextBoxKeepsItsWidthAndGrowsWithItsLines) {
  auto* box = Add<FXTextBox>();
  box->SetAutoSize(false);
  box->SetWidth(120);
  box->SetText("Hi");
  box->SetWordWrap(true);
  box->PaddingFill().SetTop(2);
  box->PaddingFill().SetBottom(3);
  box->SetAutoSize(true);
  const int line = Extent(*box, "Hi").cy;
  EXPECT_EQ(box->Width(), 120);
  EXPECT_EQ(box->Height(), line + 5);

  const std::string text = "words and words and words and more words";
  box->SetText(text);
  ui::TBitmap scratch(1, 1);
  ui::TCanvas canvas(scratch);
  canvas.Font = box->Font();
  const std::size_t lines = WrapTextLines(canvas, text, box->TextRect()).size();
  ASSERT_GT(lines, 2u);
  EXPECT_EQ(box->Width(), 120);
  EXPECT_EQ(box->Height(), static_cast<int>(lines) * line + 5);

  box->SetText("Hi");
  EXPECT_EQ(box->Height(), line + 5);
}

TEST_F(TextBoxDrawing, TextBoxPaintsItsTextOnItsParentsBackground) {
  auto* box = Add<FXTextBox>();
  box->SetText("HHHH");
  const TColor background = form.Background();
  EXPECT_EQ(box->Background(), background);
  EXPECT_EQ(box->Buffer().Color(0, 0), MakeARGB(background, 255));
  const ui::TAlphaColor ink = MakeARGB(ThemeManager().SystemColor->ForeGround(), 255);
  EXPECT_LT(Nearest(box->Buffer(), ink), 40) << "the text is drawn in the theme's text colour";

  // Disabling changes nothing of a text box's look.
  const std::vector<std::uint8_t> before(box->Buffer().Bits(), box->Buffer().Bits() + box->Width() * box->Height() * 4);
  box->SetEnabled(false);
  EXPECT_EQ(std::vector<std::uint8_t>(box->Buffer().Bits(), box->Buffer().Bits() + before.size()), before);

  box->CustomColors().SetLightForeGround(0x0000FF);  // red
  box->CustomColors().SetLightBackGround(0xFFFFFF);
  box->CustomColors().SetEnabled(true);
  EXPECT_EQ(box->Buffer().Color(0, 0), 0xFFFFFFFFu);
  EXPECT_LT(Nearest(box->Buffer(), 0xFFFF0000), 40);
}

TEST_F(TextBoxDrawing, InnerMarginWaitsForTheNextPaintAndElipsisDrawsNothingElse) {
  auto* box = Add<FXTextBox>();
  box->SetAutoSize(false);
  box->SetBounds(0, 0, 200, 40);
  box->SetLayoutVertical(FXLayout::Beginning);
  int paints = 0;
  box->OnPaintBuffer = [&](FXControl*) { ++paints; };
  auto snapshot = [&] { return std::vector<std::uint8_t>(box->Buffer().Bits(), box->Buffer().Bits() + 200 * 40 * 4); };
  const std::vector<std::uint8_t> plain = snapshot();

  box->SetInnerMargin(10);
  EXPECT_EQ(paints, 0);
  EXPECT_EQ(snapshot(), plain);
  box->Invalidate();
  EXPECT_EQ(paints, 1);
  const std::vector<std::uint8_t> margined = snapshot();
  EXPECT_NE(margined, plain);

  box->SetElipsis(true);
  EXPECT_EQ(paints, 2);
  EXPECT_EQ(snapshot(), margined);
}

TEST_F(TextBoxWindow, IconSquareFollowsScaleLayoutsAndPadding) {
  auto* view = Add<FXIconView>();
  EXPECT_EQ(view->Width(), 60);
  EXPECT_EQ(view->IconRect(), (TRect{0, 0, 60, 60}));
  EXPECT_TRUE(view->Image().Enabled());
  struct Case {
    int width, height;
    double scale;
    FXLayout horizontal, vertical;
    int padLeft;
    TRect expected;
  };
  const FXLayout B = FXLayout::Beginning, C = FXLayout::Center, E = FXLayout::Ending;
  const std::vector<Case> cases = {
      {100, 40, 1.0, C, C, 0, {30, 0, 70, 40}},
      {60, 60, 0.5, C, C, 0, {15, 15, 45, 45}},
      {100, 40, 1.0, B, E, 0, {0, 0, 40, 40}},
      {100, 40, 1.0, E, B, 0, {60, 0, 100, 40}},
      {40, 100, 1.0, C, E, 0, {0, 60, 40, 100}},
      {45, 45, 0.5, C, C, 0, {11, 11, 33, 33}},  // 22.5 rounds to the even 22
      {100, 40, 1.0, C, C, 10, {35, 0, 75, 40}},
  };
  for (const Case& c : cases) {
    view->PaddingFill().SetLeft(c.padLeft);
    view->SetBounds(0, 0, c.width, c.height);
    view->SetScale(c.scale);
    view->SetLayoutHorizontal(c.horizontal);
    view->SetLayoutVertical(c.vertical);
    EXPECT_EQ(view->IconRect(), c.expected) << c.width << "x" << c.height << " at " << c.scale;
  }
}

TEST_F(TextBoxDrawing, DisabledIconViewDrawsItsGlyphGrey) {
  auto* view = Add<FXIconView>();
  view->SetTransparent(false);
  const ui::TAlphaColor ink = MakeARGB(ThemeManager().SystemColor->ForeGround(), 255);
  EXPECT_EQ(Nearest(view->Buffer(), ink), 0);
  view->SetEnabled(false);
  EXPECT_EQ(view->DrawColors().ForeGround(), 0x808080u);
  EXPECT_EQ(Nearest(view->Buffer(), 0xFF808080), 0);
  EXPECT_GT(Nearest(view->Buffer(), ink), 40);
  view->SetEnabled(true);
  EXPECT_EQ(Nearest(view->Buffer(), ink), 0);
}

}  // namespace
