// The blur material on the headless screen: what it copies from the shared images, the tint, and when they are rebuilt.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "lux/blur_material.h"
#include "lux/forms.h"
#include "lux/theme_manager.h"
#include "platform/headless_window.h"
#include "screen.h"
#include "ui/application.h"
#include "ui/forms.h"

namespace {

using namespace lux;
using namespace std::chrono_literals;

constexpr std::uint32_t Desk = 0xFF3060A0;

platform::ScreenImage Flat(std::uint32_t color, int width = 1024, int height = 768) {
  platform::ScreenImage image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<std::size_t>(width) * height, color);
  return image;
}

class BlurMaterial : public testing::Test {
 protected:
  void SetUp() override {
    ui::Application();
    ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
    // A small screen: every build captures and blurs all of it.
    platform::SetHeadlessMonitor({0, 0, 1024, 768});
    platform::SetHeadlessScreen(Flat(Desk));
    SetBlurClock([this] { return now; });
    ForgetBlurImages();
    form = std::make_unique<ui::TForm>(nullptr);
    form->SetBounds(100, 100, 400, 300);
  }
  void TearDown() override {
    form.reset();
    platform::SetHeadlessScreen({});
    SetBlurClock({});
    ForgetBlurImages();
    ThemeManager().SetDarkThemeMode(FXDarkSetting::Auto);
  }
  FXBlurMaterial& Material(FXBlurVersion version) {
    auto* m = new FXBlurMaterial(form.get());
    m->SetVersion(version);
    m->SetParent(form.get());
    m->SetAlign(ui::TAlign::alClient);
    return *m;
  }
  std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
  std::unique_ptr<ui::TForm> form;
};

TEST_F(BlurMaterial, VersionNoneShowsThePlainTintAndStillLetsOnPaintBufferDraw) {
  FXBlurMaterial& m = Material(FXBlurVersion::None);
  int painted = 0;
  m.OnPaintBuffer = [&](FXControl*) {
    ++painted;
    m.Buffer().FillRect({0, 0, 5, 5}, 0xFFFF0000);
  };
  m.ReDraw();
  EXPECT_GE(painted, 1);
  EXPECT_EQ(m.Buffer().Color(50, 50), 0xFFFFFFFFu);
  EXPECT_EQ(m.Buffer().Color(2, 2), 0xFFFF0000u);

  ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceDark);
  m.UpdateTheme(false);
  m.ReDraw();
  EXPECT_EQ(m.Buffer().Color(50, 50), 0xFF000000u);

  FXColorSets custom;
  custom.SetEnabled(true);
  custom.SetDarkBackGround(0x00123456);
  m.SetCustomColors(custom);
  m.ReDraw();
  EXPECT_EQ(m.Buffer().Color(50, 50), MakeARGB(0x00123456, 255));
  EXPECT_EQ(m.Background(), 0x00123456u);
}

// The tint's alpha clamps to 0..255 instead of wrapping at 256 (300 would otherwise be a faint 44).
TEST_F(BlurMaterial, CopiesTheScreenBehindItUnderAClampedTint) {
  FXBlurMaterial& m = Material(FXBlurVersion::Screenshot);
  m.SyncroniseImage();
  ASSERT_TRUE(BlurImageAvailable(FXBlurVersion::Screenshot));
  struct {
    bool tint;
    std::int32_t opacity;
    std::uint32_t want;
  } cases[] = {{false, 200, Desk}, {true, 0, Desk}, {true, 255, 0xFFFFFFFF}, {true, 300, 0xFFFFFFFF}, {true, -20, Desk}};
  for (const auto& c : cases) {
    m.SetEnableTinting(c.tint);
    m.SetWhiteTintOpacity(c.opacity);
    m.ReDraw();
    EXPECT_EQ(m.Buffer().Color(200, 150), c.want) << "tint " << c.tint << " opacity " << c.opacity;
  }
  m.SetWhiteTintOpacity(128);
  m.ReDraw();
  const ui::TAlphaColor half = m.Buffer().Color(200, 150);
  EXPECT_NEAR(ui::RedOf(half), (0x30 + 0xFF) / 2, 2);
  EXPECT_NEAR(ui::BlueOf(half), (0xA0 + 0xFF) / 2, 2);
}

// A material reaching past the desktop copies only what the image has; the rest shows the tint colour.
TEST_F(BlurMaterial, TheCopyIsClippedToTheSharedImage) {
  platform::SetHeadlessMonitor({0, 0, 300, 200});
  platform::SetHeadlessScreen(Flat(Desk, 300, 200));
  form->SetBounds(-100, 150, 400, 300);
  FXBlurMaterial& m = Material(FXBlurVersion::Screenshot);
  m.SetEnableTinting(false);
  m.SyncroniseImage();
  EXPECT_EQ(m.Buffer().Color(150, 20), Desk);    // on the desktop
  EXPECT_EQ(m.Buffer().Color(20, 20), 0xFFFFFFFFu);   // left of it
  EXPECT_EQ(m.Buffer().Color(150, 150), 0xFFFFFFFFu);  // below it
}

TEST_F(BlurMaterial, MaterialsShareOneScreenshotForASecond) {
  FXBlurMaterial& a = Material(FXBlurVersion::Screenshot);
  FXBlurMaterial& b = Material(FXBlurVersion::Screenshot);
  const int start = platform::HeadlessCaptureCount();
  a.SyncroniseImage();
  EXPECT_EQ(platform::HeadlessCaptureCount(), start + 1);
  now += 999ms;
  b.SyncroniseImage();
  a.SyncroniseImage();
  EXPECT_EQ(platform::HeadlessCaptureCount(), start + 1);
  now += 1ms;
  b.SyncroniseImage();
  EXPECT_EQ(platform::HeadlessCaptureCount(), start + 2);
}

// The timer mode refreshes no faster than the picture may change, and its ticks within one second
// capture once: it never keeps the user-interface thread busy.
TEST_F(BlurMaterial, TimerRefreshIsNotBusy) {
  FXBlurMaterial& m = Material(FXBlurVersion::Screenshot);
  m.SetRefreshMode(FXGlassRefreshMode::Timer);
  EXPECT_TRUE(m.RefreshTimer().Enabled());
  EXPECT_GE(m.RefreshTimer().Interval(), 1000);
  const int start = platform::HeadlessCaptureCount();
  for (int i = 0; i < 50; ++i) {
    m.RefreshTimer().OnTimer();
    now += 10ms;
  }
  EXPECT_EQ(platform::HeadlessCaptureCount(), start + 1);
  m.SetRefreshMode(FXGlassRefreshMode::Manual);
  EXPECT_FALSE(m.RefreshTimer().Enabled());
}

// Without a screen to capture (Wayland, the headless backend without a picture) the material falls
// back to its tint, and does not ask again before a second has passed.
TEST_F(BlurMaterial, WithoutACaptureTheTintShowsAndTheSystemIsNotAskedOnEveryPaint) {
  platform::SetHeadlessScreen({});
  FXBlurMaterial& m = Material(FXBlurVersion::Screenshot);
  int painted = 0;
  m.OnPaintBuffer = [&](FXControl*) { ++painted; };
  m.SyncroniseImage();
  EXPECT_FALSE(BlurImageAvailable(FXBlurVersion::Screenshot));
  EXPECT_EQ(m.Buffer().Color(50, 50), 0xFFFFFFFFu);
  EXPECT_GE(painted, 1);
  const int builds = BlurImageBuildCount();
  m.SyncroniseImage();
  EXPECT_EQ(BlurImageBuildCount(), builds);
}

// The screenshot leaves out the material's own window: where it covers the screen, the previous
// capture's pixels stand in, not the window's own (tinted) picture.
TEST_F(BlurMaterial, TheScreenshotLeavesOutTheMaterialsOwnWindow) {
  FXBlurMaterial& m = Material(FXBlurVersion::Screenshot);
  m.SetWhiteTintOpacity(200);
  m.SyncroniseImage();
  form->Show();
  form->Repaint();
  auto& window = testsupport::Screen(*form);
  ASSERT_NE(window.ScreenPixel(200, 150) | 0xFF000000u, Desk);  // the window shows its tint over the desktop
  constexpr std::uint32_t Later = 0xFF20A040;
  platform::SetHeadlessScreen(Flat(Later));
  now += 2s;
  m.SyncroniseImage();
  m.SetEnableTinting(false);
  m.ReDraw();
  EXPECT_EQ(m.Buffer().Color(200, 150), Desk);
  // Away from the window the new capture shows.
  form->SetBounds(600, 400, 400, 300);
  m.ReDraw();
  EXPECT_EQ(m.Buffer().Color(200, 150), Later);
}

// A framework window that moves tells its material, which shows the part of the desktop now behind it.
TEST_F(BlurMaterial, MovingTheWindowKeepsThePictureAligned) {
  platform::ScreenImage halves = Flat(Desk);
  for (int y = 0; y < halves.height; ++y)
    for (int x = 512; x < halves.width; ++x) halves.pixels[static_cast<std::size_t>(y) * halves.width + x] = 0xFFE0E000;
  platform::SetHeadlessScreen(halves);
  FXForm window(nullptr, 0);
  window.SetBounds(100, 100, 300, 200);
  auto* m = new FXBlurMaterial(&window);
  m->SetParent(&window);
  m->SetBounds(0, 0, 300, 200);
  m->SetVersion(FXBlurVersion::Screenshot);
  m->SetEnableTinting(false);
  m->SyncroniseImage();
  EXPECT_EQ(m->Buffer().Color(150, 100), Desk);
  window.SetBounds(700, 100, 300, 200);
  EXPECT_EQ(m->Buffer().Color(150, 100), 0xFFE0E000u);
}

// The wallpaper pictures are built again only when the wallpaper file changes its size (a missing
// file counts as size -1, compared like any other).
TEST_F(BlurMaterial, WallpaperIsRebuiltWhenItsFileChangesSize) {
  std::int64_t size = 10;
  SetWallpaperSizeSource([&] { return size; });
  FXBlurMaterial& m = Material(FXBlurVersion::WallpaperBlurred);
  m.SyncroniseImage();
  EXPECT_TRUE(BlurImageAvailable(FXBlurVersion::WallpaperBlurred));
  EXPECT_TRUE(BlurImageAvailable(FXBlurVersion::Wallpaper));
  const int builds = BlurImageBuildCount();
  now += 5s;
  m.SyncroniseImage();
  EXPECT_EQ(BlurImageBuildCount(), builds);
  for (std::int64_t next : {20, -1, -1}) {
    const bool changed = next != size;
    size = next;
    const int before = BlurImageBuildCount();
    m.SyncroniseImage();
    EXPECT_EQ(BlurImageBuildCount(), before + (changed ? 1 : 0)) << next;
  }
  SetWallpaperSizeSource({});
}

TEST_F(BlurMaterial, InflateGrowsEachSide) {
  FXBlurMaterial m(nullptr);
  EXPECT_EQ(m.Width(), 150);
  EXPECT_EQ(m.Height(), 200);
  m.SetBounds(50, 60, 150, 200);
  m.Inflate(1, 2, 3, 4);
  EXPECT_EQ(m.BoundsRect(), (TRect{46, 59, 46 + 156, 59 + 204}));
}

}  // namespace
