// The text view on headless framework windows: wrapping, scroll range, wheel, keys, bar input, theme colours.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "lux/forms.h"
#include "lux/text_view.h"
#include "lux/theme_manager.h"
#include "platform/headless_window.h"
#include "platform/window.h"
#include "screen.h"
#include "ui/bitmap.h"
#include "ui/canvas.h"

namespace {

using namespace lux;
using B = platform::MouseButton;
namespace keys = platform::keys;

using testsupport::Screen;

std::vector<FXTextLine> Numbered(int count) {
  std::vector<FXTextLine> lines;
  for (int i = 0; i < count; ++i) lines.push_back({"Line " + std::to_string(i), false});
  return lines;
}

class TextViewTest : public testing::Test {
 protected:
  void SetUp() override {
    ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
    form.AllowThemeChangeAnimation = false;
    form.SetClientSize(400, 320);
    view = new FXTextView(&form);
    view->SetParent(&form);
    view->SetBounds(20, 60, 200, 120);
  }
  void TearDown() override {
    ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
    ThemeManager().SetDarkThemeMode(FXDarkSetting::Auto);
  }

  // A point of the view in the window's pixels, where the input arrives.
  ui::TPoint At(int x, int y) const {
    const ui::TPoint origin = view->OriginOnForm();
    return {origin.X + x, origin.Y + y};
  }
  void Press(int x, int y) { Screen(form).Press(B::Left, At(x, y).X, At(x, y).Y); }
  void Move(int x, int y) { Screen(form).MoveTo(At(x, y).X, At(x, y).Y); }
  void Release(int x, int y) { Screen(form).Release(B::Left, At(x, y).X, At(x, y).Y); }
  void Wheel(int delta) { Screen(form).Wheel(delta, At(50, 50).X, At(50, 50).Y); }
  int Page() const { return view->TextRect().Height() - view->LineStep(); }

  FXForm form{nullptr};
  FXTextView* view = nullptr;
};

// A canvas measuring in the view's font, as the view itself does.
struct TMeasure {
  explicit TMeasure(const ui::TFont& font) : canvas(scratch) { canvas.Font = font; }
  int Width(const std::string& text, bool bold) {
    ui::TFontStyles style;
    style.Bold = bold;
    canvas.Font.SetStyle(style);
    return canvas.TextWidth(text);
  }
  ui::TBitmap scratch{1, 1};  // before the canvas, which paints on it
  ui::TCanvas canvas;
};

TEST_F(TextViewTest, TextSplitsOnEveryLineBreakAndJoinsWithNewlines) {
  view->SetText("first\r\nsecond\n\nfourth\rfifth");
  ASSERT_EQ(view->Lines().size(), 5u);
  EXPECT_EQ(view->Lines()[2], (FXTextLine{"", false}));
  EXPECT_EQ(view->Text(), "first\nsecond\n\nfourth\nfifth");

  view->AddLine("\xF0\x9F\xA2\x82 Heading", true);
  view->SetLineBold(0, true);
  view->SetLineBold(99, true);  // out of range: ignored
  EXPECT_TRUE(view->Lines()[0].Bold);
  EXPECT_TRUE(view->Lines()[5].Bold);
  EXPECT_EQ(view->Text(), "first\nsecond\n\nfourth\nfifth\n\xF0\x9F\xA2\x82 Heading");

  view->Clear();
  EXPECT_EQ(view->Text(), "");
  EXPECT_TRUE(view->Rows().empty());
  EXPECT_EQ(view->ContentHeight(), 0);
}

TEST_F(TextViewTest, RowsWrapWithinTheWidthStackWithoutGapsAndEmptyLinesKeepTheirHeight) {
  const std::string paragraph =
      "You may install and use any number of copies of the software on your devices, provided that every copy "
      "carries this notice unchanged.";
  const std::string link = "https://example.invalid/" + std::string(60, 'x') + "\xC3\xA9\xC3\xA9\xC3\xA9" + std::string(30, 'y');
  view->SetHeight(2000);  // no bar: the whole width is the text's
  view->SetLines({{paragraph, false}, {"", false}, {link, false}, {"", true}});
  ASSERT_FALSE(view->ScrollbarVisible());
  TMeasure measure(view->Font());
  const int width = view->TextRect().Width();

  std::string words, cut;
  int top = 0;
  for (const FXTextRow& row : view->Rows()) {
    EXPECT_EQ(row.Top, top);
    EXPECT_GT(row.Height, 0) << "line " << row.Line;
    EXPECT_LE(measure.Width(row.Text, row.Bold), width) << row.Text;
    if (!row.Text.empty()) {
      EXPECT_FALSE((static_cast<unsigned char>(row.Text[0]) & 0xC0) == 0x80) << "cut inside a character";
    }
    if (row.Line == 0) words += (words.empty() ? "" : " ") + row.Text;
    if (row.Line == 2) cut += row.Text;
    top += row.Height;
  }
  EXPECT_EQ(view->ContentHeight(), top);
  EXPECT_EQ(words, paragraph);
  EXPECT_EQ(cut, link);

  const auto& rows = view->Rows();
  int paragraphRows = 0;
  for (const FXTextRow& row : rows) paragraphRows += row.Line == 0;
  EXPECT_GT(paragraphRows, 2);
  // The empty lines are one row each, as high as a row of text in their weight.
  for (std::size_t line : {1u, 3u}) {
    int count = 0;
    for (const FXTextRow& row : rows)
      if (row.Line == line) {
        ++count;
        EXPECT_EQ(row.Text, "");
      }
    EXPECT_EQ(count, 1);
  }
  EXPECT_EQ(rows[paragraphRows].Height, rows[0].Height);
}

TEST_F(TextViewTest, BoldLinesAreMeasuredInBold) {
  const std::string text = "Installation options and settings";
  TMeasure measure(view->Font());
  const int normal = measure.Width(text, false), bold = measure.Width(text, true);
  ASSERT_GT(bold, normal + 2);
  view->SetHeight(2000);
  view->SetWidth(normal + 1);  // fits in regular weight only
  view->SetLines({{text, false}, {text, true}});
  int regularRows = 0, boldRows = 0;
  for (const FXTextRow& row : view->Rows()) (row.Bold ? boldRows : regularRows) += 1;
  EXPECT_EQ(regularRows, 1);
  EXPECT_EQ(boldRows, 2);
}

TEST_F(TextViewTest, ScrollPositionStaysWithinRangeAsTextAndSizeChange) {
  view->SetLines(Numbered(60));
  ASSERT_TRUE(view->ScrollbarVisible());
  EXPECT_EQ(view->TextRect().Right, view->ScrollbarRect().Left) << "the bar takes its room from the text";
  const int max = view->ContentHeight() - view->TextRect().Height();
  EXPECT_EQ(view->ScrollMax(), max);

  struct TCase {
    int set, expect;
  } cases[] = {{25, 25}, {-10, 0}, {max + 500, max}, {max, max}};
  for (const TCase& c : cases) {
    view->SetScrollPosition(c.set);
    EXPECT_EQ(view->ScrollPosition(), c.expect) << c.set;
  }

  int scrolls = 0;
  view->OnScroll = [&](FXTextView&) { ++scrolls; };
  view->SetHeight(200);  // a taller view has a smaller range: the position follows it down
  EXPECT_EQ(view->ScrollMax(), view->ContentHeight() - view->TextRect().Height());
  EXPECT_EQ(view->ScrollPosition(), view->ScrollMax());
  EXPECT_EQ(scrolls, 1);

  ui::TFont smaller = view->Font();  // smaller rows: a shorter content and range
  const int content = view->ContentHeight();
  smaller.SetHeight(smaller.Height() / 2);
  view->SetFont(smaller);
  EXPECT_LT(view->ContentHeight(), content);
  EXPECT_EQ(view->ScrollPosition(), view->ScrollMax());

  view->SetLines(Numbered(2));  // the text shrinks until everything fits
  EXPECT_FALSE(view->ScrollbarVisible());
  EXPECT_EQ(view->ScrollMax(), 0);
  EXPECT_EQ(view->ScrollPosition(), 0);
  EXPECT_EQ(view->TextRect().Right, view->ClientRect().Right);
  EXPECT_TRUE(view->ThumbRect().IsEmpty());

  // Nothing to scroll, nothing to divide by: empty text, a view with no height.
  view->Clear();
  view->SetScrollPosition(40);
  EXPECT_EQ(view->ScrollPosition(), 0);
  view->SetLines(Numbered(60));
  view->SetHeight(0);
  view->SetScrollPosition(40);
  EXPECT_EQ(view->ScrollPosition(), 0);
  EXPECT_TRUE(view->ThumbRect().IsEmpty());
}

TEST_F(TextViewTest, ThumbSpansTheTrackInProportionAndReachesBothEnds) {
  view->SetLines(Numbered(60));
  const ui::TRect bar = view->ScrollbarRect();
  const int track = bar.Height() - 2 * FXTextView::BarSpacing;
  ui::TRect thumb = view->ThumbRect();
  EXPECT_EQ(thumb.Top, bar.Top + FXTextView::BarSpacing);
  EXPECT_EQ(thumb.Height(), std::max(track * view->TextRect().Height() / view->ContentHeight(), FXTextView::MinThumbLength));
  view->SetScrollPosition(view->ScrollMax());
  EXPECT_EQ(view->ThumbRect().Bottom, bar.Bottom - FXTextView::BarSpacing);

  view->SetLines(Numbered(2000));  // a very long text still leaves a thumb one can grab
  EXPECT_EQ(view->ThumbRect().Height(), FXTextView::MinThumbLength);
}

TEST_F(TextViewTest, WheelScrollsAFewLinesANotchAndPassesOnWhenThereIsNothingToScroll) {
  form.Show();
  int formWheels = 0;
  form.OnMouseWheel = [&](ui::TControl&, ui::TShiftState, int, int, int, bool& handled) {
    ++formWheels;
    handled = true;
  };
  view->SetLines(Numbered(60));
  const int step = FXTextView::DefaultWheelLines * view->LineStep();
  Wheel(-120);
  EXPECT_EQ(view->ScrollPosition(), step);
  Wheel(-240);
  EXPECT_EQ(view->ScrollPosition(), 3 * step);
  Wheel(120 * 100);
  EXPECT_EQ(view->ScrollPosition(), 0);
  Wheel(-120 * 1000);
  EXPECT_EQ(view->ScrollPosition(), view->ScrollMax());
  EXPECT_EQ(formWheels, 0);

  view->SetLines(Numbered(2));
  Wheel(-120);
  EXPECT_EQ(view->ScrollPosition(), 0);
  EXPECT_EQ(formWheels, 1);
}

TEST_F(TextViewTest, KeysScrollWhenFocused) {
  form.Show();
  view->SetLines(Numbered(60));
  EXPECT_TRUE(view->TabStop());
  view->SetFocus();
  ASSERT_TRUE(view->Focused());
  const int line = view->LineStep(), max = view->ScrollMax();
  ASSERT_GT(Page(), line);

  struct TCase {
    int key, expect;
  } cases[] = {{keys::Down, line},         {keys::Down, 2 * line}, {keys::Next, 2 * line + Page()},
               {keys::Up, line + Page()},  {keys::Home, 0},        {keys::Up, 0},
               {keys::End, max},           {keys::Down, max},      {keys::Prior, max - Page()}};
  for (const TCase& c : cases) {
    Screen(form).TypeKey(c.key);
    EXPECT_EQ(view->ScrollPosition(), c.expect) << "key " << c.key;
  }

  int seen = -1;
  view->OnKeyDown = [&](ui::TWinControl&, int& key, ui::TShiftState) { seen = key; };
  Screen(form).TypeKey(keys::Left);  // not a scrolling key: reaches the handler, moves nothing
  EXPECT_EQ(seen, keys::Left);
  EXPECT_EQ(view->ScrollPosition(), max - Page());
}

TEST_F(TextViewTest, TrackClicksPageAndTheThumbFollowsTheDrag) {
  form.Show();
  view->SetLines(Numbered(80));
  const ui::TRect bar = view->ScrollbarRect();
  const int x = (bar.Left + bar.Right) / 2;

  Press(x, bar.Bottom - 5);  // below the thumb
  Release(x, bar.Bottom - 5);
  EXPECT_EQ(view->ScrollPosition(), Page());
  Press(x, bar.Top + 1);  // above it
  Release(x, bar.Top + 1);
  EXPECT_EQ(view->ScrollPosition(), 0);
  Press(x - bar.Width(), bar.Bottom - 5);  // on the text, not the bar
  Release(x - bar.Width(), bar.Bottom - 5);
  EXPECT_EQ(view->ScrollPosition(), 0);

  const ui::TRect thumb = view->ThumbRect();
  const int grab = thumb.Top + 5;
  Press(x, grab);
  EXPECT_TRUE(view->ScrollbarExpanded());
  Move(x, grab + 10);  // the thumb moves with the pointer
  EXPECT_NEAR(view->ThumbRect().Top, thumb.Top + 10, 1);
  EXPECT_GT(view->ScrollPosition(), 0);
  Move(x - 150, bar.Bottom + 400);  // off the view and below it: held at the end
  EXPECT_EQ(view->ScrollPosition(), view->ScrollMax());
  Move(x, -300);
  EXPECT_EQ(view->ScrollPosition(), 0);
  Move(x, grab + 20);
  const int dropped = view->ScrollPosition();
  Release(x, grab + 20);
  Move(x, grab + 60);  // after the release moving no longer drags
  EXPECT_EQ(view->ScrollPosition(), dropped);
  EXPECT_GT(dropped, 0);
}

TEST_F(TextViewTest, BarStaysHiddenWhileTheTextFits) {
  view->SetLines(Numbered(2));
  form.Show();
  EXPECT_FALSE(view->ScrollbarVisible());
  Move(view->Width() - 4, 20);
  EXPECT_FALSE(view->ScrollbarExpanded());
  const ui::TAlphaColor background = MakeARGB(form.Background(), 255);
  for (int y : {10, 60, 110}) EXPECT_EQ(view->Buffer().Color(view->Width() - 5, y), background) << y;
}

// The colour a band of rows is inked in: the pixel farthest from the background.
ui::TAlphaColor Ink(const ui::TBitmap& bitmap, const ui::TRect& band, ui::TAlphaColor background) {
  ui::TAlphaColor best = background;
  int distance = 0;
  for (int y = band.Top; y < band.Bottom; ++y)
    for (int x = band.Left; x < band.Right; ++x) {
      const ui::TAlphaColor c = bitmap.Color(x, y);
      const int d = std::abs(ui::RedOf(c) - ui::RedOf(background)) + std::abs(ui::GreenOf(c) - ui::GreenOf(background)) +
                    std::abs(ui::BlueOf(c) - ui::BlueOf(background));
      if (d > distance) distance = d, best = c;
    }
  return best;
}

bool Near(ui::TAlphaColor a, ui::TAlphaColor b, int tolerance) {
  return std::abs(ui::RedOf(a) - ui::RedOf(b)) <= tolerance && std::abs(ui::GreenOf(a) - ui::GreenOf(b)) <= tolerance &&
         std::abs(ui::BlueOf(a) - ui::BlueOf(b)) <= tolerance;
}

TEST_F(TextViewTest, ThemeColoursInLightAndDarkReachThePixels) {
  view->SetLines(Numbered(40));
  form.Show();
  for (FXDarkSetting mode : {FXDarkSetting::ForceLight, FXDarkSetting::ForceDark}) {
    ThemeManager().SetDarkThemeMode(mode);
    const bool dark = mode == FXDarkSetting::ForceDark;
    const FXCompleteColorSet& system = *ThemeManager().SystemColor;
    EXPECT_EQ(view->DrawColors().BackGround(), form.Background());
    EXPECT_EQ(view->DrawColors().ForeGround(), system.ForeGround());
    EXPECT_EQ(view->ThumbColor(), ChangeColorLight(system.BackGroundInterior(), dark ? 75 : -75));

    const ui::TBitmap& buffer = view->Buffer();
    const ui::TAlphaColor background = MakeARGB(form.Background(), 255);
    const ui::TRect bar = view->ScrollbarRect();
    const int trackX = (bar.Left + bar.Right) / 2;
    Move(20, 20);  // away from the bar: only the thin slider shows, at the bar's outer side
    ASSERT_FALSE(view->ScrollbarExpanded());
    ui::TRect thumb = view->ThumbRect();
    const int middle = (thumb.Top + thumb.Bottom) / 2;
    EXPECT_EQ(buffer.Color(thumb.Right - 2, middle), MakeARGB(view->ThumbColor(), 255));
    EXPECT_EQ(buffer.Color(thumb.Left + 1, middle), background);
    EXPECT_EQ(buffer.Color(trackX, bar.Bottom - 10), background);
    EXPECT_TRUE(Near(Ink(buffer, {0, 0, 60, view->Rows()[0].Height}, background),
                     MakeARGB(view->DrawColors().ForeGround(), 255), 60));

    Move(trackX, bar.Bottom - 10);  // over the bar: the track fills in and the slider widens
    ASSERT_TRUE(view->ScrollbarExpanded());
    EXPECT_EQ(buffer.Color(trackX, bar.Bottom - 10), MakeARGB(system.BackGroundInterior(), 255));
    EXPECT_EQ(buffer.Color(thumb.Left + 1, middle), MakeARGB(view->ThumbColor(), 255));
  }
  EXPECT_NE(view->DrawColors().ForeGround(), ThemeManager().SystemColorSet->LightForeGround());
}

TEST_F(TextViewTest, CustomColoursReplaceTheThemesAndPaddingNarrowsTheText) {
  view->SetLines(Numbered(3));
  view->CustomColors().SetLightForeGround(0x102030);
  view->CustomColors().SetLightBackGround(0x00F0E0);
  view->CustomColors().SetEnabled(true);
  EXPECT_EQ(view->DrawColors().ForeGround(), 0x102030u);
  EXPECT_EQ(view->Background(), 0x00F0E0u);

  const int width = view->TextRect().Width();
  view->PaddingFill().SetLeft(10);
  view->PaddingFill().SetRight(6);
  EXPECT_EQ(view->TextRect().Left, 10);
  EXPECT_EQ(view->TextRect().Width(), width - 16);
  form.Show();
  EXPECT_EQ(view->Buffer().Color(4, view->Height() - 4), MakeARGB(0x00F0E0, 255));
}

// U+0378 is unassigned, so no font has a glyph for it; U+E76C is the icon font's chevron.
const std::string kMissing = "\xCD\xB8";
const std::string kChevron = "\xEE\x9D\xAC";

TEST_F(TextViewTest, ACharacterNoFontHasIsPaintedAsTheIconGlyphWhileTheTextKeepsIt) {
  const std::string heading = kMissing + " Heading";
  // Kept from the focus and its frame, and away from the edges the frame would take.
  view->SetTabStop(false);
  view->PaddingFill().SetLeft(6);
  view->PaddingFill().SetTop(6);
  view->SetLines({{heading, true}, {"plain"}});
  form.Show();
  const ui::TBitmap boxed = view->Buffer();
  EXPECT_FALSE(view->SubstituteActive());

  view->SetGlyphSubstitute(kMissing, kChevron);
  ASSERT_TRUE(view->SubstituteActive());
  EXPECT_EQ(view->Text(), heading + "\nplain");
  const ui::TBitmap& painted = view->Buffer();

  // What the mark's place should hold: the chevron in the icon font, at the text's size and colour,
  // centred on the bold line.
  const ui::TAlphaColor background = MakeARGB(view->Background(), 255);
  ui::TBitmap expected(view->Width(), view->Height());
  expected.Fill(background);
  ui::TCanvas canvas(expected);
  canvas.Font = view->Font();
  ui::TFontStyles bold;
  bold.Bold = true;
  canvas.Font.SetStyle(bold);
  const int lineHeight = canvas.TextHeight("|");
  canvas.Font.SetStyle({});
  canvas.Font.SetName(ThemeManager().IconFont());
  canvas.Font.SetColor(MakeARGB(view->DrawColors().ForeGround(), 255));
  const ui::TSize glyph = canvas.TextExtent(kChevron);
  const ui::TRect text = view->TextRect();
  canvas.TextOut(text.Left, text.Top + (lineHeight - glyph.cy) / 2, kChevron);

  const ui::TRect mark{text.Left, text.Top, text.Left + glyph.cx, text.Top + view->Rows()[0].Height};
  int ink = 0, differentFromBox = 0;
  for (int y = mark.Top; y < mark.Bottom; ++y)
    for (int x = mark.Left; x < mark.Right; ++x) {
      ASSERT_TRUE(Near(painted.Color(x, y), expected.Color(x, y), 8)) << x << "," << y;
      if (!Near(painted.Color(x, y), background, 60)) ++ink;
      if (!Near(painted.Color(x, y), boxed.Color(x, y), 60)) ++differentFromBox;
    }
  EXPECT_GT(ink, 4);
  EXPECT_GT(differentFromBox, 4);
}

TEST_F(TextViewTest, ACharacterTheFontHasIsLeftToTheFont) {
  view->SetTabStop(false);
  view->SetLines({{"Heading", true}, {"plain"}});
  form.Show();
  const ui::TBitmap before = view->Buffer();
  const std::vector<FXTextRow> rows = view->Rows();

  view->SetGlyphSubstitute("H", kChevron);
  EXPECT_FALSE(view->SubstituteActive());
  ASSERT_EQ(view->Rows().size(), rows.size());
  for (int y = 0; y < view->Height(); ++y)
    for (int x = 0; x < view->Width(); ++x) ASSERT_EQ(view->Buffer().Pixel(x, y), before.Pixel(x, y)) << x << "," << y;
}

}  // namespace
