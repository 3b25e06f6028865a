// Animations: easing curves, frame values and callback counts, and waiting for a running animation.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "lux/anim_collection.h"
#include "lux/animations.h"
#include "child_process.h"
#include "ui/application.h"

namespace {

using namespace lux;
using namespace std::chrono_literals;
using C = TIntAniCollection;

// What an animation hands the user-interface thread, in order.
struct Recorder {
  std::vector<std::int32_t> values;
  int done = 0;
  bool offThread = false;
  std::size_t valuesAtDone = 0;

  TAniSyncProc Sync() {
    return [this](std::int32_t v) {
      offThread |= !ui::Application().IsUiThread();
      values.push_back(v);
    };
  }
  TAniDoneProc Done() {
    return [this] {
      offThread |= !ui::Application().IsUiThread();
      valuesAtDone = values.size();
      ++done;
    };
  }
};

bool RunUntilDone(const Recorder& r) { return ui::Application().RunUntil([&] { return r.done > 0; }, 10s); }

TEST(AnimCurvesTest, EveryCurveRunsFromZeroToOne) {
  const TAniFunctionKind kinds[] = {TAniFunctionKind::afkLinear, TAniFunctionKind::afkQuadratic,
                                    TAniFunctionKind::afkCubic,  TAniFunctionKind::afkQuartic,
                                    TAniFunctionKind::afkQuintic, TAniFunctionKind::afkBack,
                                    TAniFunctionKind::afkBounce, TAniFunctionKind::afkSine,
                                    TAniFunctionKind::afkCircle};
  for (TAniFunctionKind kind : kinds) {
    for (TAniKind ak : {TAniKind::akIn, TAniKind::akOut, TAniKind::akInOut}) {
      TAniFunction f = AniFunctionFor(ak, kind);
      ASSERT_NE(f, nullptr);
      EXPECT_NEAR(f(0), 0, 1e-6) << int(kind) << "/" << int(ak);
      EXPECT_NEAR(f(1), 1, 1e-6) << int(kind) << "/" << int(ak);
    }
  }
  EXPECT_EQ(AniFunctionFor(static_cast<TAniKind>(3), TAniFunctionKind::afkLinear), nullptr);
  EXPECT_EQ(AniFunctionFor(TAniKind::akIn, static_cast<TAniFunctionKind>(10)), nullptr);
  EXPECT_EQ(AniFunctionFor(TAniKind::akOut, TAniFunctionKind::afkBounce), &C::Bounce_Out);
}

TEST(AnimCurvesTest, ShapesAndSpecialPoints) {
  EXPECT_FLOAT_EQ(C::Quartic_InOut(0.5f), 0.5f);
  EXPECT_FLOAT_EQ(C::Quartic_InOut(std::nextafter(0.5f, 0.0f)), 0.5f);
  EXPECT_FLOAT_EQ(C::Expo_InOut(0.5f), 0.5f);
  EXPECT_NEAR(C::Expo_InOut(std::nextafter(0.5f, 0.0f)), 0.5f, 1e-6);
  // The Expo curves are not clamped at their ends.
  EXPECT_FLOAT_EQ(C::Expo_In(0), 1.0f / 1024);
  EXPECT_FLOAT_EQ(C::Expo_Out(1), 1 - 1.0f / 1024);
  EXPECT_NEAR(C::Bounce_Out(0.73f), 0.9963f, 1e-4);
  EXPECT_FLOAT_EQ(C::Bounce_Out(2 / 2.75f), 1.0f);
  EXPECT_FLOAT_EQ(C::Bounce_Out(std::nextafter(2 / 2.75f, 0.0f)), 1.0f);
  for (int i = 0; i <= 1000; ++i) EXPECT_LE(C::Bounce_Out(i / 1000.0f), 1.0f + 1e-6f) << i;
  EXPECT_GT(C::Back_Out(0.8f), 1.0f);
  EXPECT_LT(C::Back_In(0.2f), 0.0f);
  EXPECT_FLOAT_EQ(C::Quadratic_InOut(0.25f), 0.125f);
  EXPECT_FLOAT_EQ(C::Cubic_Out(0.5f), 0.875f);
  EXPECT_FLOAT_EQ(C::Sine_InOut(0.5f), 0.5f);
  EXPECT_FLOAT_EQ(C::Circle_InOut(0.5f), 0.5f);
}

TEST(IntAniTest, LinearFrames400msIn25Steps) {
  Recorder r;
  TIntAni ani(false, TAniKind::akIn, TAniFunctionKind::afkLinear, 0, 100, r.Sync(), r.Done());
  EXPECT_EQ(ani.Step(), 25);
  EXPECT_EQ(ani.Duration(), 400u);
  ani.Start();
  ASSERT_TRUE(RunUntilDone(r));
  std::vector<std::int32_t> expected;
  for (int v = 4; v <= 100; v += 4) expected.push_back(v);
  expected.push_back(100);
  EXPECT_EQ(r.values, expected);  // 26 calls: every frame, then the last once more
  EXPECT_EQ(r.valuesAtDone, 26u);
  EXPECT_EQ(r.done, 1);
  EXPECT_FALSE(r.offThread);
  ani.WaitFor();
  EXPECT_FALSE(ani.Running());
  EXPECT_DOUBLE_EQ(ani.Percent(), 1.0);
}

TEST(IntAniTest, DurationNotAMultipleOfTheStepStopsShort) {
  Recorder r;
  TIntAni ani;
  ani.SetDuration(200);
  ani.SetStep(6);
  ani.SetStartValue(25);
  ani.SetDeltaValue(100);
  ani.SetOnSync(r.Sync());
  ani.SetOnDone(r.Done());
  ani.Start();
  ASSERT_TRUE(RunUntilDone(r));
  // The frame interval rounds to 33 ms, so the progress runs 0.165, 0.33, ... 0.99.
  EXPECT_EQ(r.values, (std::vector<std::int32_t>{42, 58, 75, 91, 107, 124, 124}));
  ani.WaitFor();
  EXPECT_DOUBLE_EQ(ani.Percent(), 0.99);
}

TEST(IntAniTest, SettingsWrittenBeforeTheStartAreHonoured) {
  Recorder r;
  TIntAni ani(false, TAniKind::akOut, TAniFunctionKind::afkLinear, 10, 0, r.Sync(), r.Done());
  ani.SetAniKind(TAniKind::akIn);
  ani.SetAniFunctionKind(TAniFunctionKind::afkQuadratic);
  ani.SetEndValue(110);
  EXPECT_EQ(ani.DeltaValue(), 100);
  ani.SetDuration(40);
  ani.SetStep(4);
  ani.Start();
  ASSERT_TRUE(RunUntilDone(r));
  EXPECT_EQ(r.values, (std::vector<std::int32_t>{16, 35, 66, 110, 110}));
}

TEST(IntAniTest, OvershootingCurvePassesTheEndValue) {
  Recorder r;
  TIntAni ani(false, TAniKind::akOut, TAniFunctionKind::afkBack, 0, 1000, r.Sync(), r.Done());
  ani.SetDuration(50);
  ani.SetStep(5);
  ani.Start();
  ASSERT_TRUE(RunUntilDone(r));
  EXPECT_GT(r.values.at(3), 1000);  // progress 0.8
  EXPECT_EQ(r.values.back(), 1000);
}

TEST(IntAniTest, ZeroStepsOnlyFinishes) {
  Recorder r;
  TIntAni ani(false, TAniKind::akIn, TAniFunctionKind::afkLinear, 5, 100, r.Sync(), r.Done());
  ani.SetStep(0);
  ani.Start();
  ASSERT_TRUE(RunUntilDone(r));
  EXPECT_EQ(r.values, std::vector<std::int32_t>{0});
  EXPECT_EQ(r.done, 1);
}

TEST(IntAniTest, InvalidKindEndsWithoutCallbacks) {
  Recorder r;
  TIntAni ani(false, TAniKind::akIn, static_cast<TAniFunctionKind>(42), 0, 100, r.Sync(), r.Done());
  ani.Start();
  ani.WaitFor();
  EXPECT_TRUE(r.values.empty());
  EXPECT_EQ(r.done, 0);
}

TEST(IntAniTest, TerminateAndWaitReturnsAfterTheLastCallback) {
  Recorder r;
  TIntAni ani(false, TAniKind::akIn, TAniFunctionKind::afkLinear, 0, 60, r.Sync(), r.Done());
  ani.SetDuration(120);
  ani.SetStep(6);
  ani.Start();
  EXPECT_TRUE(ani.Running());
  ani.Terminate();
  // Waiting on the user-interface thread still serves the animation's callbacks.
  ani.WaitFor();
  EXPECT_TRUE(ani.Terminated());
  EXPECT_EQ(r.done, 1);
  EXPECT_EQ(r.values.size(), 7u);
  EXPECT_EQ(r.values.back(), 60);
  EXPECT_FALSE(ani.Running());
}

TEST(IntAniTest, DestroyingARunningAnimationWaitsForIt) {
  Recorder r;
  {
    auto ani = std::make_unique<TIntAni>(false, TAniKind::akIn, TAniFunctionKind::afkLinear, 0, 10, r.Sync(), r.Done());
    ani->SetDuration(30);
    ani->SetStep(3);
    ani->Start();
  }
  EXPECT_EQ(r.done, 1);
  EXPECT_EQ(r.values.size(), 4u);
}

TEST(IntAniTest, LaunchedAnimationFreesItself) {
  Recorder r;
  auto ani = std::make_unique<TIntAni>(true, TAniKind::akInOut, TAniFunctionKind::afkSine, 0, 10, r.Sync(), r.Done());
  ani->SetDuration(20);
  ani->SetStep(2);
  TIntAni::Launch(std::move(ani));
  ASSERT_TRUE(RunUntilDone(r));
  EXPECT_EQ(r.values, (std::vector<std::int32_t>{5, 10, 10}));
}

// Many self-freeing animations end before the call that started them has returned (no callbacks to
// wait for); owned ones are freed the moment they start. Every one must end and let go.
TEST(IntAniTest, ThousandsOfShortLivedAnimationsAllEndAndFreeThemselves) {
  ui::TApplication& app = ui::Application();
  constexpr int kWaves = 40, kPerWave = 100;
  int done = 0;
  for (int wave = 0; wave < kWaves; ++wave) {
    for (int i = 0; i < kPerWave; ++i) {
      auto ani = std::make_unique<TIntAni>();
      ani->SetStep(i % 8 == 0 ? 1 : 0);
      ani->SetDuration(1);
      if (i % 4 == 0) ani->SetOnDone([&done] { ++done; });
      TIntAni::Launch(std::move(ani));
    }
    {
      TIntAni owned;
      owned.SetStep(0);
      owned.Start();
    }
    ASSERT_TRUE(app.RunUntil([&] { return app.WorkerCount() == 0; }, 60s)) << "wave " << wave;
  }
  EXPECT_EQ(done, kWaves * kPerWave / 4);
}

// A program that returns from main while a theme fade and other animations still run (waiting for
// the loop, or asleep between frames) ends normally, every time.
TEST(IntAniTest, ProgramEndingMidAnimationExitsCleanly) {
  const std::string probe = testsupport::HelperProgram("lux-exit-probe");
  for (int run = 0; run < 8; ++run) {
    testsupport::Child child(probe, {});
    const bool ended = testsupport::WaitFor([&] { return !child.Running(); });
    if (!ended) child.Kill();
    ASSERT_TRUE(ended) << "run " << run << ": the program hung and was killed";
    EXPECT_EQ(child.Wait(), 0) << "run " << run;
  }
}

}  // namespace
