// The progress bar on headless forms: colours, layout, painting, the value glide, the indeterminate
// loop, and freeing bars (or ending the process) while their worker threads run.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "lux/forms.h"
#include "lux/progress.h"
#include "lux/theme_manager.h"
#include "platform/environment.h"
#include "platform/process.h"
#include "ui/application.h"

namespace {

using namespace lux;
using namespace std::chrono_literals;

// What one painted frame showed.
struct TFrame {
  double Shown;
  int Offset, InterSize, LengthState;
};

class ProgressTest : public testing::Test {
 protected:
  void SetUp() override {
    ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
    Form = std::make_unique<FXForm>(nullptr);
    Form->AllowThemeChangeAnimation = false;
    Form->SetClientSize(400, 200);
  }
  void TearDown() override {
    Form.reset();
    ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
    ThemeManager().SetDarkThemeMode(FXDarkSetting::Auto);
    // Nothing a test started may still run into the next one.
    EXPECT_TRUE(Loop([] { return ui::Application().WorkerCount() == 0; }));
  }

  // A bar on the form whose every painted frame is logged.
  FXProgress* Make(int width, int height = 20) {
    auto* bar = new FXProgress(Form.get());
    bar->SetParent(Form.get());
    bar->SetBounds(10, 50, width, height);
    bar->UpdateTheme(false);
    bar->OnPaintBuffer = [this, bar](FXControl*) {
      Frames.push_back({bar->ShownValue(), bar->Offset(), bar->InterSize(), bar->LengthState()});
    };
    Frames.clear();
    return bar;
  }
  // Runs the loop until `done`, with a limit only a hung worker would reach.
  static bool Loop(const std::function<bool()>& done) { return ui::Application().RunUntil(done, 60s); }
  bool LoopFrames(std::size_t count) {
    return Loop([&] { return Frames.size() >= count; });
  }

  std::unique_ptr<FXForm> Form;
  std::vector<TFrame> Frames;
};

TColor At(const FXProgress& bar, int x, int y) { return ColorFromARGB(bar.Buffer().Color(x, y)); }
int Middle(const TRect& r) { return (r.Left + r.Right) / 2; }

TEST_F(ProgressTest, StartsAsAThinNormalBarWithoutTabStop) {
  FXProgress bar(nullptr);
  EXPECT_EQ(bar.Width(), 200);
  EXPECT_EQ(bar.Height(), 20);
  EXPECT_FALSE(bar.TabStop());
  EXPECT_EQ(bar.Value(), 0.0f);
  EXPECT_TRUE(bar.Animations());
  EXPECT_EQ(bar.ProgressKind(), FXProgressKind::Normal);
  EXPECT_EQ(bar.ProgressHeight(), 4);
  EXPECT_EQ(bar.ProgressLineHeight(), 2);
  EXPECT_FALSE(bar.IsContainer());
  EXPECT_EQ(bar.LineRect(), (TRect{0, 9, 199, 11}));
}

TEST_F(ProgressTest, KindsPaintInTheThemesAndCustomColours) {
  // The form's own background, so that taking the parent's colour shows.
  Form->CustomColors().SetLightBackGround(0x00E0F0D0);
  Form->CustomColors().SetDarkBackGround(0x00302010);
  Form->CustomColors().SetEnabled(true);
  struct TCase {
    bool Dark, Custom;
    TColor Accent, Back, Track, Error, Paused;
  };
  const TColor system = ThemeManager().SystemColorSet->Accent();
  const TCase cases[] = {
      {false, false, system, 0x00E0F0D0, 0x2B2B2B, 0x1C2BC4, 0x005D9D},
      {true, false, system, 0x00302010, 0xFBFBFB, 0xA499FF, 0x00E1FC},
      {false, true, 0x112233, 0x010203, 0x0A0B0C, 0x3344AA, 0x55AA66},
      {true, true, 0x112233, 0x040506, 0x0D0E0F, 0x4455BB, 0x66BB77},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Dark ? "dark" : "light") + (c.Custom ? " custom" : " default"));
    ThemeManager().SetDarkThemeMode(c.Dark ? FXDarkSetting::ForceDark : FXDarkSetting::ForceLight);
    FXProgress* bar = Make(200);
    bar->SetAnimations(false);
    bar->SetValue(50);
    if (c.Custom) {
      FXCompleteColorSets& own = bar->CustomColors();
      own.SetAccent(0x112233);
      own.SetLightBackGround(0x010203);
      own.SetDarkBackGround(0x040506);
      own.SetLightBackGroundInterior(0x0A0B0C);
      own.SetDarkBackGroundInterior(0x0D0E0F);
      own.SetEnabled(true);
      FXColorSets& other = bar->CustomOtherColors();
      other.SetLightBackGround(0x3344AA);
      other.SetDarkBackGround(0x4455BB);
      other.SetLightForeGround(0x55AA66);
      other.SetDarkForeGround(0x66BB77);
      other.SetEnabled(true);
    }
    EXPECT_EQ(bar->DrawColors().Accent(), c.Accent);
    EXPECT_EQ(bar->Background(), c.Back);
    EXPECT_EQ(bar->DrawColors().BackGroundInterior(), c.Track);
    EXPECT_EQ(bar->ErrorColor(), c.Error);
    EXPECT_EQ(bar->PausedColor(), c.Paused);

    const struct {
      FXProgressKind Kind;
      TColor Bar;
    } kinds[] = {{FXProgressKind::Normal, c.Accent}, {FXProgressKind::Paused, c.Paused}, {FXProgressKind::Error, c.Error}};
    for (const auto& k : kinds) {
      bar->SetProgressKind(k.Kind);
      EXPECT_EQ(At(*bar, 50, 9), k.Bar) << int(k.Kind);
      EXPECT_EQ(At(*bar, 150, 10), c.Track) << int(k.Kind);
      EXPECT_EQ(At(*bar, 150, 3), c.Back) << int(k.Kind);
    }
    // The moving bar hides the track.
    Frames.clear();
    bar->SetProgressKind(FXProgressKind::Intermediate);
    ASSERT_TRUE(LoopFrames(2));  // the setter's repaint and the loop's first frame
    const TRect moving = bar->FilledRect();
    ASSERT_GT(moving.Width(), 10);
    EXPECT_EQ(At(*bar, Middle(moving), 10), c.Accent);
    EXPECT_EQ(At(*bar, moving.Right + 20, 10), c.Back);
    delete bar;
  }

  // Under a parent that is no framework control the theme's own background stays.
  ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
  ui::TForm plain(nullptr);
  FXProgress loose(&plain);
  loose.SetParent(&plain);
  loose.UpdateTheme(false);
  EXPECT_EQ(loose.Background(), ThemeManager().SystemColorSet->LightBackGround());
}

TEST_F(ProgressTest, DisabledBarIgnoresCustomAndParentColoursUntilEnabled) {
  Form->CustomColors().SetLightBackGround(0x00E0F0D0);
  Form->CustomColors().SetEnabled(true);
  FXProgress* bar = Make(200);
  bar->SetEnabled(false);
  const FXCompleteColorSet& system = *ThemeManager().SystemColor;
  bar->CustomColors().SetAccent(0x112233);
  bar->CustomColors().SetEnabled(true);
  bar->CustomOtherColors().SetLightBackGround(0x3344AA);
  bar->CustomOtherColors().SetEnabled(true);
  EXPECT_EQ(bar->DrawColors().Accent(), system.Accent());
  EXPECT_EQ(bar->Background(), system.BackGround());
  EXPECT_EQ(bar->DrawColors().BackGroundInterior(), system.BackGroundInterior());
  EXPECT_EQ(bar->ErrorColor(), 0x1C2BC4u);

  bar->SetEnabled(true);
  EXPECT_EQ(bar->DrawColors().Accent(), 0x112233u);
  EXPECT_EQ(bar->ErrorColor(), 0x3344AAu);
  bar->CustomColors().SetEnabled(false);
  EXPECT_EQ(bar->Background(), 0x00E0F0D0u);
}

TEST_F(ProgressTest, LayoutCentresTheBarAndRoundsHalvesToEven) {
  struct TCase {
    int Width, Height, PadLeft, PadRight;
    float Value;
    TRect Filled, Line;
  };
  const TCase cases[] = {
      {200, 20, 0, 0, 0, {0, 8, 0, 12}, {0, 9, 199, 11}},
      {201, 20, 0, 0, 0.25f, {0, 8, 0, 12}, {0, 9, 200, 11}},   // 0.5 rounds down to even
      {201, 20, 0, 0, 0.75f, {0, 8, 2, 12}, {0, 9, 200, 11}},   // 1.5 up to even
      {201, 20, 0, 0, 1.25f, {0, 8, 2, 12}, {0, 9, 200, 11}},   // 2.5 down to even
      {200, 20, 0, 0, 50, {0, 8, 100, 12}, {0, 9, 199, 11}},    // 99.5 up to even
      {200, 20, 0, 0, 150, {0, 8, 298, 12}, {0, 9, 199, 11}},   // past the track: 298.5
      {200, 21, 0, 0, 100, {0, 8, 199, 12}, {0, 9, 199, 11}},   // odd heights truncate
      {200, 21, 10, 10, 100, {10, 8, 189, 12}, {10, 9, 189, 11}},
      {200, 20, 0, 0, -10, {0, 8, -20, 12}, {0, 9, 199, 11}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Width << "x" << c.Height << " pad " << c.PadLeft << " value " << c.Value);
    FXProgress* bar = Make(c.Width, c.Height);
    bar->PaddingFill().SetLeft(c.PadLeft);
    bar->PaddingFill().SetRight(c.PadRight);
    bar->SetAnimations(false);
    bar->SetValue(c.Value);
    EXPECT_EQ(bar->FilledRect(), c.Filled);
    EXPECT_EQ(bar->LineRect(), c.Line);
    delete bar;
  }

  FXProgress* bar = Make(200);
  bar->SetAnimations(false);
  bar->SetValue(150);
  bar->SetProgressHeight(6);
  bar->SetProgressLineHeight(3);
  EXPECT_EQ(bar->FilledRect(), (TRect{0, 7, 298, 13}));
  EXPECT_EQ(bar->LineRect(), (TRect{0, 8, 199, 11}));
  const TColor accent = bar->DrawColors().Accent();
  EXPECT_EQ(At(*bar, 199, 8), accent);
  EXPECT_EQ(At(*bar, 199, 11), accent);
  bar->SetWidth(101);  // a resize lays out again before it repaints
  EXPECT_EQ(bar->LineRect(), (TRect{0, 8, 100, 11}));
  EXPECT_EQ(bar->FilledRect().Right, 150);
  EXPECT_EQ(At(*bar, 99, 9), bar->DrawColors().Accent());

  bar->SetValue(-10);  // a negative bar draws nothing: the whole track shows
  EXPECT_EQ(At(*bar, 2, 9), bar->DrawColors().BackGroundInterior());
}

TEST_F(ProgressTest, SameValueStartsNothingAndWithoutAnimationsTheBarJumps) {
  FXProgress* bar = Make(200);
  bar->SetValue(0);
  EXPECT_TRUE(Frames.empty());
  EXPECT_FALSE(bar->Gliding());

  bar->SetAnimations(false);
  bar->SetValue(40);
  EXPECT_FALSE(bar->Gliding());
  ASSERT_EQ(Frames.size(), 1u);
  EXPECT_EQ(Frames[0].Shown, 40);
  bar->SetValue(40);
  EXPECT_EQ(Frames.size(), 1u);
  EXPECT_EQ(ui::Application().WorkerCount(), 0);
}

TEST_F(ProgressTest, GlidePaintsTwentyFiveFramesFromTheShownValueAndALastOne) {
  FXProgress* bar = Make(200);
  bar->SetValue(50);
  EXPECT_TRUE(bar->Gliding());
  EXPECT_EQ(bar->Value(), 50);
  ASSERT_EQ(Frames.size(), 1u);  // the setter's own repaint still shows the old value
  EXPECT_EQ(Frames[0].Shown, 0);
  EXPECT_EQ(bar->FilledRect().Width(), 0);

  ASSERT_TRUE(Loop([&] { return !bar->Gliding(); }));
  ASSERT_EQ(Frames.size(), 1u + FXProgress::GlideFrames + 1);
  for (int i = 0; i < FXProgress::GlideFrames; ++i) EXPECT_NEAR(Frames[1 + i].Shown, 2.0 * i, 1e-4) << i;
  EXPECT_EQ(Frames.back().Shown, 50);
  EXPECT_EQ(bar->FilledRect().Width(), 100);

  // The worker is done with its last frame: nothing more arrives.
  ASSERT_TRUE(Loop([] { return ui::Application().WorkerCount() == 0; }));
  ui::Application().CheckSynchronize();
  EXPECT_EQ(Frames.size(), 27u);
}

TEST_F(ProgressTest, ASecondValueWhileGlidingContinuesFromTheShownValue) {
  FXProgress* bar = Make(200);
  bar->SetValue(100);
  ASSERT_TRUE(LoopFrames(10));
  const double shown = bar->ShownValue();
  ASSERT_GT(shown, 0);
  ASSERT_LT(shown, 100);
  Frames.clear();

  bar->SetValue(20);
  EXPECT_NEAR(bar->ShownValue(), shown, 1e-4);
  ASSERT_TRUE(Loop([&] { return !bar->Gliding(); }));
  ASSERT_TRUE(Loop([] { return ui::Application().WorkerCount() == 0; }));
  ui::Application().CheckSynchronize();
  // Every frame lies on the new glide: the replaced one applied none after it was replaced.
  ASSERT_EQ(Frames.size(), 1u + FXProgress::GlideFrames + 1);
  EXPECT_NEAR(Frames[0].Shown, shown, 1e-4);
  for (int i = 0; i < FXProgress::GlideFrames; ++i)
    EXPECT_NEAR(Frames[1 + i].Shown, 20 + (25.0 - i) / 25 * (shown - 20), 1e-3) << i;
  EXPECT_EQ(Frames.back().Shown, 20);
}

TEST_F(ProgressTest, IndeterminateLoopAlternatesItsPassesUntilStopped) {
  FXProgress* bar = Make(300);
  bar->SetValue(30);  // stored and gliding underneath, never shown while the loop runs
  bar->SetProgressKind(FXProgressKind::Intermediate);
  EXPECT_TRUE(bar->IndeterminateActive());
  // Only the loop's frames: the glide's also repaint, so keep the ones where the loop moved.
  std::vector<TFrame> loop;
  auto collect = [&] {
    loop.clear();
    TFrame last{0, 0, 0, 0};
    for (const TFrame& f : Frames)
      if (f.Offset != last.Offset || f.LengthState != last.LengthState) loop.push_back(last = f);
    return loop.size() >= 61;
  };
  ASSERT_TRUE(Loop(collect));
  auto expect = [&](std::size_t i, int offset, int size, int state) {
    EXPECT_EQ(loop[i].Offset, offset) << i;
    EXPECT_EQ(loop[i].InterSize, size) << i;
    EXPECT_EQ(loop[i].LengthState, state) << i;
  };
  expect(0, 10, 100, 0);  // the first pass starts at the track's left edge, a third long, W/30 a frame
  expect(28, 290, 100, 0);
  expect(29, -137, 137, 1);  // the long pass enters from the left, W/20 a frame
  expect(30, -122, 137, 1);
  expect(58, 298, 137, 1);
  expect(59, -100, 100, 0);  // and the short one again
  expect(60, -90, 100, 0);
  EXPECT_EQ(bar->FilledRect().Left, bar->Offset());
  EXPECT_EQ(bar->FilledRect().Width(), bar->InterSize());

  bar->SetProgressKind(FXProgressKind::Normal);
  EXPECT_FALSE(bar->IndeterminateActive());
  ASSERT_TRUE(Loop([] { return ui::Application().WorkerCount() == 0; }));
  const std::size_t stopped = Frames.size();
  ui::Application().CheckSynchronize();
  EXPECT_EQ(Frames.size(), stopped);
  EXPECT_EQ(bar->FilledRect(), (TRect{0, 8, 90, 12}));  // the determinate bar again, at its value
}

TEST_F(ProgressTest, A29PixelBarNeverEndsItsFirstPass) {
  FXProgress* bar = Make(29);
  bar->SetProgressKind(FXProgressKind::Intermediate);
  Frames.clear();  // the setter's repaint, before the loop sized the bar
  ASSERT_TRUE(LoopFrames(40));
  for (const TFrame& f : Frames) {
    EXPECT_EQ(f.Offset, 0);
    EXPECT_EQ(f.InterSize, 10);
    EXPECT_EQ(f.LengthState, 0);
  }
  bar->SetProgressKind(FXProgressKind::Paused);
  ASSERT_TRUE(Loop([] { return ui::Application().WorkerCount() == 0; }));
  const std::size_t stopped = Frames.size();
  ui::Application().CheckSynchronize();
  EXPECT_EQ(Frames.size(), stopped);
}

// Bars are freed at every stage of their motions: before a worker has handed anything over, while a
// frame waits to be run, between frames and after. A frame reaching a freed bar would paint it, so
// every paint checks that its bar still stands; at the end every worker has ended.
TEST_F(ProgressTest, FreeingBarsWhileTheyMoveIsSafe) {
  std::set<const FXProgress*> alive;
  int strays = 0;
  for (int round = 0; round < 25; ++round) {
    std::vector<FXProgress*> bars;
    for (int i = 0; i < 8; ++i) {
      auto* bar = new FXProgress(Form.get());
      bar->SetParent(Form.get());
      bar->SetBounds(0, 20 * i, 120 + i, 20);
      alive.insert(bar);
      bar->OnPaintBuffer = [&alive, &strays, bar](FXControl*) { strays += alive.count(bar) == 0; };
      bar->SetValue(float(10 * (i + round % 5)));
      if (i % 2 == 0) bar->SetProgressKind(FXProgressKind::Intermediate);
      if (i % 3 == 0) bar->SetValue(float(90 - i));  // replaces the running glide
      bars.push_back(bar);
    }
    // Some bars go before the loop has run any of their frames, after the workers had time to queue one.
    std::this_thread::sleep_for(std::chrono::milliseconds(round % 3));
    for (int i = 0; i < 8; i += 4) {
      alive.erase(bars[i]);
      delete bars[i];
    }
    std::size_t ran = 0;
    Loop([&] { return ++ran > std::size_t(round % 7) * 5; });
    for (int i = 1; i < 8; ++i) {
      if (i == 4) continue;
      alive.erase(bars[i]);
      delete bars[i];
      // Between frees the loop runs on, so frames of freed bars meet the living ones.
      ui::Application().CheckSynchronize();
    }
  }
  ASSERT_TRUE(Loop([] { return ui::Application().WorkerCount() == 0; }));
  ui::Application().CheckSynchronize();
  EXPECT_EQ(strays, 0);

  // A form freed with moving bars on it takes them along the same way.
  for (int i = 0; i < 6; ++i) {
    auto* bar = new FXProgress(Form.get());
    bar->SetParent(Form.get());
    bar->SetValue(60);
    bar->SetProgressKind(i % 2 ? FXProgressKind::Intermediate : FXProgressKind::Error);
  }
  std::size_t ran = 0;
  Loop([&] { return ++ran > 20; });
  Form.reset();
  ASSERT_TRUE(Loop([] { return ui::Application().WorkerCount() == 0; }));
  ui::Application().CheckSynchronize();
}

// The child half of the next test: leaves a bar moving and lets the process end.
constexpr const char* kChildMarker = "LUX_PROGRESS_EXIT_CHILD";

TEST(ProgressExitChild, EndsTheProcessWithBarsMoving) {
  if (platform::GetEnv(kChildMarker).empty()) GTEST_SKIP() << "runs only as the child of ProgressExit";
  auto* form = new FXForm(nullptr);  // never freed: its bars' workers run until the process ends
  form->AllowThemeChangeAnimation = false;
  int frames = 0;
  for (int i = 0; i < 3; ++i) {
    auto* bar = new FXProgress(form);
    bar->SetParent(form);
    bar->OnPaintBuffer = [&frames](FXControl*) { ++frames; };
    bar->SetProgressKind(FXProgressKind::Intermediate);
    bar->SetValue(80);
  }
  ASSERT_TRUE(ui::Application().RunUntil([&] { return frames >= 10; }, 60s));
  EXPECT_GT(ui::Application().WorkerCount(), 0);
}

TEST(ProgressExit, TheProcessEndsWhileABarsThreadsRun) {
  platform::SetEnv(kChildMarker, "1");
  testsupport::Child child(platform::ExecutablePath(), {"--gtest_filter=ProgressExitChild.*"});
  platform::SetEnv(kChildMarker, "");
  // A hang is the failure to catch; the bound is only there so a hung child is ended, never a timing.
  const auto limit = std::chrono::steady_clock::now() + 90s;
  while (child.Running() && std::chrono::steady_clock::now() < limit) std::this_thread::sleep_for(20ms);
  if (child.Running()) {
    child.Kill();
    FAIL() << "the process did not end";
  }
  EXPECT_EQ(child.Wait(), 0);
}

}  // namespace
