// The utility library's visual classes: the accent service, the accent panel and the image control.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "png_writer.h"
#include "ui/forms.h"
#include "ui/picture.h"
#include "vel/components.h"
#include "vel/graphics.h"
#include "vel/registry.h"
#include "vel/visual_image.h"
#include "vel/visual_panels.h"

namespace {

using namespace vel;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kDwm = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\DWM\\";

// The accent as the system stores it, read through a clock the test moves by hand.
class AccentTest : public testing::Test {
 protected:
  void SetUp() override {
    SetAccentClock([this] { return now; });
    ForgetAccentColor();
  }
  void TearDown() override {
    TWinRegistry reg;
    reg.SetErrorKind(TRegistryErrorKind::Disabled);
    reg.DeleteValue(kDwm, "AccentColor");
    SetAccentClock(nullptr);
    ForgetAccentColor();
  }
  void Store(std::uint32_t abgr) {
    TWinRegistry reg;
    reg.CreateKey(kDwm);  // a fresh Windows profile has none yet
    reg.WriteIntValue(kDwm, "AccentColor", static_cast<std::int32_t>(abgr));
    ASSERT_EQ(reg.LastError(), TRegistryError::None);
  }
  Clock::time_point now = Clock::time_point{} + 1000h;
};

constexpr TColor RGB(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r | g << 8 | b << 16; }

TEST_F(AccentTest, ReadsTheStoredColourWhateverItsAlphaAndAdjustsItsBrightness) {
  struct Case {
    std::uint32_t stored;
    TColor accent, adjusted;
  };
  const std::vector<Case> cases = {
      {0xFF280000, RGB(0, 0, 40), RGB(97, 97, 137)},        // mean 13: lifted by 97
      {0xFFFFFFFF, RGB(255, 255, 255), RGB(155, 155, 155)},  // mean 255: lowered by 100
      {0xFFD77800, 14120960, 14120960},                      // mean 111: inside the band
      {0x80D77800, 14120960, 14120960},                      // a translucent value is the same colour
      {0x00708090, RGB(0x90, 0x80, 0x70), RGB(0x90, 0x80, 0x70)},  // mean 128, alpha 0
  };
  for (const Case& c : cases) {
    Store(c.stored);
    RefreshAccentColor();
    EXPECT_EQ(GetAccentColor(CAccentColor::Accent), c.accent) << std::hex << c.stored;
    EXPECT_EQ(GetAccentColor(CAccentColor::AccentAdjust), c.adjusted) << std::hex << c.stored;
  }
  EXPECT_EQ(GetAccentColor(CAccentColor::AccentCustom), 12940567u);
}

TEST_F(AccentTest, AValueThatIsNoNumberLeavesTheDefaultAccent) {
  TWinRegistry reg;
  reg.CreateKey(kDwm);
  reg.WriteStringValue(kDwm, "AccentColor", "blue");
  EXPECT_EQ(GetAccentColor(CAccentColor::Accent), 14120960u);
  EXPECT_EQ(GetAccentColor(CAccentColor::AccentAdjust), 14120960u);
}

TEST_F(AccentTest, KeepsWhatItReadForThirtyWholeSeconds) {
  Store(0xFF280000);
  EXPECT_EQ(GetAccentColor(CAccentColor::Accent), RGB(0, 0, 40));
  Store(0xFF002800);
  now += 30s + 999ms;
  EXPECT_EQ(GetAccentColor(CAccentColor::Accent), RGB(0, 0, 40));
  now += 1ms;
  EXPECT_EQ(GetAccentColor(CAccentColor::Accent), RGB(0, 40, 0));
}

TEST_F(AccentTest, PanelTakesTheAccentAtEveryInvalidationAndKeepsItAfterwards) {
  Store(0xFF280000);
  ui::TForm form(nullptr);
  form.SetColor(0xFF112233);
  auto* panel = new CPanel(&form);
  panel->SetParent(&form);
  EXPECT_TRUE(panel->ParentColor());
  EXPECT_EQ(panel->Color(), 0xFF112233u) << "without an accent the panel follows its parent";
  form.SetColor(0xFF445566);
  EXPECT_EQ(panel->Color(), 0xFF445566u);

  panel->SetUseAccentColor(CAccentColor::AccentAdjust);
  EXPECT_FALSE(panel->ParentColor());
  EXPECT_EQ(panel->Color(), ColorToAlphaColor(RGB(97, 97, 137)));

  // A changed system accent shows at the first invalidation after the service has read it anew.
  Store(0xFF002800);
  panel->Invalidate();
  EXPECT_EQ(panel->Color(), ColorToAlphaColor(RGB(97, 97, 137)));
  now += 31s;
  panel->Invalidate();
  EXPECT_EQ(panel->Color(), ColorToAlphaColor(RGB(97, 137, 97)));

  panel->SetUseAccentColor(CAccentColor::None);
  form.SetColor(0xFF778899);
  EXPECT_FALSE(panel->ParentColor());
  EXPECT_EQ(panel->Color(), ColorToAlphaColor(RGB(97, 137, 97)));
}

TEST(Panel, FollowsAParentPanelUntilItsOwnColourIsSet) {
  ui::TForm form(nullptr);
  auto* outer = new ui::TPanel(&form);
  outer->SetParent(&form);
  outer->SetColor(0xFF010203);
  auto* inner = new CPanel(&form);
  inner->SetParent(outer);
  EXPECT_EQ(inner->Color(), 0xFF010203u);
  outer->SetColor(0xFF040506);
  EXPECT_EQ(inner->Color(), 0xFF040506u);
  inner->SetColor(0xFF040506);  // the same value still turns following off
  EXPECT_FALSE(inner->ParentColor());
  outer->SetColor(0xFF070809);
  EXPECT_EQ(inner->Color(), 0xFF040506u);
}

// ---- the image control

constexpr ui::TAlphaColor kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kYellow = 0xFFFFFF00;
constexpr ui::TAlphaColor kWhite = 0xFFFFFFFF;

// Quadrants red, green (top right), blue (bottom left) and yellow, so mirroring and tiling show.
ui::TPicture Quadrants(int width, int height) {
  testsupport::TPngFile file;
  file.width = width;
  file.height = height;
  file.colorType = 2;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const ui::TAlphaColor c = y < height / 2 ? (x < width / 2 ? kRed : kGreen) : (x < width / 2 ? kBlue : kYellow);
      file.samples.insert(file.samples.end(), {ui::RedOf(c), ui::GreenOf(c), ui::BlueOf(c)});
    }
  const std::vector<std::uint8_t> png = testsupport::WritePng(file);
  ui::TPicture picture;
  picture.LoadFromMemory(png.data(), png.size());
  return picture;
}

// A white form holding one image control at its top-left corner.
class ImageTest : public testing::Test {
 protected:
  void SetUp() override {
    form.SetClientSize(300, 200);
    form.SetColor(kWhite);
    image = new CImage(&form);
    image->SetParent(&form);
    form.Show();
  }
  ui::TAlphaColor At(int x, int y) {
    form.Repaint();
    return form.Surface().Color(x, y);
  }
  ui::TForm form{nullptr};
  CImage* image = nullptr;
};

TEST_F(ImageTest, DrawModesPlaceThePictureAndTileRepeatsIt) {
  image->SetBounds(0, 0, 250, 150);
  image->SetPicture(Quadrants(100, 100));
  image->SetDrawMode(TDrawMode::Tile);
  EXPECT_EQ(image->DestRects().size(), 6u);
  EXPECT_EQ(At(10, 10), kRed);
  EXPECT_EQ(At(190, 90), kYellow);   // the second tile of the first row
  EXPECT_EQ(At(230, 130), kRed);     // the third tile of the second row
  EXPECT_EQ(At(270, 130), kWhite);   // the control ends at 250
  EXPECT_EQ(At(230, 170), kWhite);

  image->SetDrawMode(TDrawMode::Normal);
  EXPECT_EQ(image->DestRects(), (std::vector<ui::TRect>{{0, 0, 100, 100}}));
  EXPECT_EQ(At(75, 75), kYellow);
  EXPECT_EQ(At(150, 50), kWhite);

  image->SetDrawMode(TDrawMode::CenterFit);  // the initial mode: a square in the middle of 250 x 150
  EXPECT_EQ(image->DestRects(), (std::vector<ui::TRect>{{50, 0, 200, 150}}));
  EXPECT_EQ(At(60, 10), kRed);
  EXPECT_EQ(At(190, 140), kYellow);
  EXPECT_EQ(At(40, 75), kWhite);
}

TEST_F(ImageTest, InflationShrinksEveryRectangleAndFlippingMirrorsIt) {
  image->SetBounds(0, 0, 100, 100);
  image->SetPicture(Quadrants(20, 20));
  image->SetDrawMode(TDrawMode::Stretch);
  image->SetInflationValue(-5);
  EXPECT_EQ(At(2, 50), kWhite);
  EXPECT_EQ(At(8, 8), kRed);
  EXPECT_EQ(At(92, 92), kYellow);
  EXPECT_EQ(At(97, 50), kWhite);

  image->SetFlipX(true);
  EXPECT_EQ(At(8, 8), kGreen);
  EXPECT_EQ(At(92, 8), kRed);
  EXPECT_EQ(At(2, 50), kWhite);
  image->SetFlipY(true);
  EXPECT_EQ(At(8, 8), kYellow);
  EXPECT_EQ(At(92, 92), kRed);

  // Animated drawing takes the other path to the canvas; it places and mirrors the same way.
  CImageGif gif(nullptr);
  gif.SetEnable(true);
  gif.SetAnimationSpeed(150);
  image->SetGifSettings(gif);
  EXPECT_EQ(image->GifSettings().AnimationSpeed(), 150);
  EXPECT_EQ(At(8, 8), kYellow);
  EXPECT_EQ(At(2, 50), kWhite);
}

TEST_F(ImageTest, OpacityBlendsWithWhatLiesBeneath) {
  image->SetBounds(0, 0, 100, 100);
  image->SetPicture(Quadrants(20, 20));
  image->SetDrawMode(TDrawMode::Stretch);
  image->SetOpacity(128);
  const ui::TAlphaColor half = At(20, 20);
  EXPECT_EQ(ui::RedOf(half), 255);
  EXPECT_NEAR(ui::GreenOf(half), 127, 2);
  EXPECT_NEAR(ui::BlueOf(half), 127, 2);
  image->SetOpacity(255);
  EXPECT_EQ(At(20, 20), kRed);
}

TEST_F(ImageTest, WithoutAPictureNothingIsDrawn) {
  image->SetBounds(0, 0, 100, 100);
  EXPECT_FALSE(image->HasGraphic());
  EXPECT_EQ(image->DestRects(), (std::vector<ui::TRect>{{0, 0, 100, 100}}));
  for (auto [x, y] : {std::pair{1, 1}, {50, 50}, {98, 98}}) EXPECT_EQ(At(x, y), kWhite);
  EXPECT_FALSE(image->Opaque());
}

TEST_F(ImageTest, CanvasMakesABitmapOfTheControlsSizeButRefusesAPicture) {
  image->SetBounds(0, 0, 40, 30);
  ui::TCanvas& canvas = image->Canvas();
  EXPECT_EQ(image->GraphicWidth(), 40);
  EXPECT_EQ(image->GraphicHeight(), 30);
  canvas.BrushColor = kBlue;
  canvas.FillRect({0, 0, 40, 30});
  image->InvalidateControl();
  EXPECT_EQ(At(20, 15), kBlue);
  EXPECT_EQ(&image->CachedCanvas(), &canvas) << "without a cache the cached canvas is the picture's";

  image->SetPicture(Quadrants(4, 4));
  try {
    image->Canvas();
    ADD_FAILURE() << "a PNG picture gave a canvas";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Can only modify an image if it contains a bitmap");
  }
}

TEST_F(ImageTest, CacheFollowsTheSwitchAndTheSize) {
  image->SetBounds(0, 0, 60, 40);
  image->SetPicture(Quadrants(20, 20));
  image->SetDrawMode(TDrawMode::Stretch);
  EXPECT_EQ(image->Cache(), nullptr);
  image->SetDrawCache(true);
  ASSERT_NE(image->Cache(), nullptr);
  At(0, 0);
  EXPECT_EQ(image->Cache()->Color(5, 5), kRed) << "the paint drew into the copy too";

  image->SetBounds(0, 0, 80, 50);
  EXPECT_EQ(image->Cache()->Width(), 80);
  EXPECT_EQ(image->Cache()->Height(), 50);
  image->SetDrawCache(false);
  EXPECT_EQ(image->Cache(), nullptr);
  image->SetDrawCache(true);
  ASSERT_NE(image->Cache(), nullptr);
  EXPECT_EQ(image->Cache()->Width(), 80);
  EXPECT_EQ(image->Cache()->Pixel(5, 5), 0u) << "a fresh copy holds nothing yet";
}

TEST_F(ImageTest, AutoSizeTakesOnlyTheSidesItsAlignmentLeavesFree) {
  image->SetBounds(10, 10, 150, 100);
  image->SetAutoSize(true);
  image->SetPicture(Quadrants(64, 32));
  EXPECT_EQ(image->BoundsRect(), (ui::TRect{10, 10, 74, 42}));

  image->SetAutoSize(false);
  image->SetAlign(ui::TAlign::alLeft);
  image->SetAutoSize(true);
  EXPECT_EQ(image->Width(), 64);
  EXPECT_EQ(image->Height(), 200);

  image->SetAutoSize(false);
  image->SetAlign(ui::TAlign::alClient);
  image->SetAutoSize(true);
  image->SetPicture(Quadrants(10, 10));
  EXPECT_EQ(image->Width(), 300);
  EXPECT_EQ(image->Height(), 200);
}

TEST_F(ImageTest, OpaqueOnlyWhenAnOpaqueGraphicCoversTheControl) {
  image->SetBounds(0, 0, 100, 50);
  image->SetPicture(Quadrants(20, 20));
  EXPECT_FALSE(image->Opaque()) << "centred and fitted, it leaves bands free";
  image->SetDrawMode(TDrawMode::Stretch);
  image->SetPicture(image->Picture());
  EXPECT_TRUE(image->Opaque());
  image->SetTransparentGraphic(true);
  EXPECT_FALSE(image->Opaque());
}

TEST(Image, InflateMovesEachEdgeAndGifSettingsStartAtNormalSpeed) {
  ui::TForm form(nullptr);
  CImage image(&form);
  EXPECT_EQ(image.Width(), 150);
  EXPECT_EQ(image.Height(), 100);
  EXPECT_EQ(image.DrawMode(), TDrawMode::CenterFit);
  EXPECT_FALSE(image.GifSettings().Enable());
  EXPECT_EQ(image.GifSettings().AnimationSpeed(), 100);
  EXPECT_EQ(image.GifSettings().Owner(), &image);
  image.SetBounds(10, 20, 150, 100);
  image.Inflate(1, 2, 3, 4);
  EXPECT_EQ(image.BoundsRect(), (ui::TRect{6, 19, 162, 123}));
}

}  // namespace
