// The application loop: timer rhythm, overrunning ticks, nesting, calls handed over by workers.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "ui/application.h"
#include "ui/timer.h"
#include "loop_clock.h"

namespace {

using namespace std::chrono_literals;
using testsupport::TLoopClock;

TEST(ApplicationTest, TimerTicksOnTheLoopThreadAtItsInterval) {
  ui::TApplication app;
  TLoopClock clock(app);
  ui::TTimer timer(app);
  timer.SetEnabled(false);
  timer.SetInterval(40);
  std::vector<TLoopClock::time_point> ticks;
  timer.OnTimer = [&] {
    EXPECT_TRUE(app.IsUiThread());
    ticks.push_back(clock.Now());
  };
  const TLoopClock::time_point enabled = clock.Now();
  timer.SetEnabled(true);
  EXPECT_FALSE(clock.Pass(39ms));
  for (int i = 1; i <= 3; ++i) {
    EXPECT_TRUE(clock.Pass(1ms));
    EXPECT_FALSE(clock.Pass(39ms));
  }
  EXPECT_EQ(ticks, (std::vector<TLoopClock::time_point>{enabled + 40ms, enabled + 80ms, enabled + 120ms}));

  // Off from inside its own tick: no more ticks; on again: a full interval from then.
  timer.OnTimer = [&] {
    ticks.push_back(clock.Now());
    timer.SetEnabled(false);
  };
  EXPECT_TRUE(clock.Pass(1ms));
  EXPECT_FALSE(clock.Pass(1s));
  ASSERT_EQ(ticks.size(), 4u);
  const TLoopClock::time_point again = clock.Now();
  timer.SetEnabled(true);
  EXPECT_FALSE(clock.Pass(39ms));
  EXPECT_TRUE(clock.Pass(1ms));
  EXPECT_EQ(ticks.back(), again + 40ms);

  // A change of interval restarts the countdown.
  timer.SetEnabled(true);
  clock.Pass(30ms);
  timer.SetInterval(50);
  EXPECT_FALSE(clock.Pass(49ms));
  EXPECT_TRUE(clock.Pass(1ms));
  EXPECT_EQ(ticks.size(), 6u);
}

TEST(ApplicationTest, AnOverrunningTickDelaysTheNextAndMissedTicksAreNotMadeUp) {
  ui::TApplication app;
  TLoopClock clock(app);
  ui::TTimer timer(app);
  timer.SetInterval(30);
  int ticks = 0;
  timer.OnTimer = [&] {
    // The first tick takes ten intervals.
    if (++ticks == 1) clock.Advance(300ms);
  };
  clock.Pass(30ms);
  EXPECT_EQ(ticks, 1);
  // Straight after the long tick one more comes at once, not the nine it missed; then the rhythm is back.
  EXPECT_TRUE(app.ProcessMessages());
  EXPECT_FALSE(app.ProcessMessages());
  EXPECT_EQ(ticks, 2);
  EXPECT_FALSE(clock.Pass(29ms));
  EXPECT_TRUE(clock.Pass(1ms));
  EXPECT_EQ(ticks, 3);
  // A loop that was away for long (a moved clock) makes none up either.
  clock.Pass(10s);
  EXPECT_EQ(ticks, 4);
}

TEST(ApplicationTest, NestedLoopsAndTimersFreedInTheirOwnTick) {
  ui::TApplication app;
  TLoopClock clock(app);
  auto outer = std::make_unique<ui::TTimer>(app);
  ui::TTimer other(app);
  outer->SetInterval(20);
  other.SetInterval(20);
  int outerTicks = 0, otherTicks = 0;
  bool nestedDone = false;
  // Each tick of the other timer lets its interval pass, so the nested loop never waits.
  other.OnTimer = [&] {
    ++otherTicks;
    clock.Advance(20ms);
  };
  outer->OnTimer = [&] {
    ++outerTicks;
    // A modal loop inside the tick: other timers go on, this one waits for its tick to end.
    nestedDone = app.RunUntil([&] { return otherTicks >= 3; }, 60s);
    outer.reset();
  };
  clock.Pass(20ms);
  EXPECT_TRUE(nestedDone);
  EXPECT_EQ(otherTicks, 3);
  EXPECT_EQ(outerTicks, 1);
  EXPECT_EQ(outer, nullptr);
  clock.Pass(20ms);
  EXPECT_EQ(otherTicks, 4);
}

TEST(ApplicationTest, TerminateEndsRunAndIsForgottenAfterwards) {
  ui::TApplication app;
  TLoopClock clock(app);
  ui::TTimer timer(app);
  timer.SetInterval(10);
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 3) app.Terminate();
    clock.Advance(10ms);
  };
  clock.Advance(10ms);
  app.Run();
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(app.Terminated());
  EXPECT_TRUE(app.RunUntil([&] { return ticks == 5; }, 60s));
}

TEST(ApplicationTest, AnErrorInATickGoesToTheReportAndTheLoopGoesOn) {
  ui::TApplication app;
  TLoopClock clock(app);
  std::vector<std::string> reports;
  app.OnException = [&](const std::exception& e) { reports.push_back(e.what()); };
  ui::TTimer timer(app);
  timer.SetInterval(10);
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 1) throw std::runtime_error("step broke");
  };
  for (int i = 0; i < 3; ++i) clock.Pass(10ms);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(reports, std::vector<std::string>{"step broke"});
}

TEST(ApplicationTest, TheRealClockWakesTheLoopForItsTimers) {
  // Only the limit bounds this wait: the ticks themselves are what the loop waits for.
  ui::TApplication app;
  ui::TTimer timer(app);
  timer.SetInterval(1);
  int ticks = 0;
  timer.OnTimer = [&] { ++ticks; };
  EXPECT_TRUE(app.RunUntil([&] { return ticks == 3; }, 60s));
}

TEST(ApplicationTest, WorkersHandCallsToTheSleepingLoop) {
  ui::TApplication app;
  const std::thread::id uiThread = std::this_thread::get_id();
  std::vector<std::thread::id> ranOn;
  std::atomic<bool> asked{false}, synchronized{false}, finished{false};
  std::string workerSaw;

  // No timer: the loop sleeps until a call arrives, and a Synchronize returns only once it ran. The
  // worker starts handing over once the loop runs; a loop that were not roused would reach its limit
  // with the call still waiting.
  std::thread worker([&] {
    while (!asked) std::this_thread::yield();
    app.Queue([&] { ranOn.push_back(std::this_thread::get_id()); });
    app.Synchronize([&] { ranOn.push_back(std::this_thread::get_id()); });
    synchronized = true;
    try {
      app.Synchronize([] { throw std::runtime_error("refused on the UI thread"); });
    } catch (const std::runtime_error& e) {
      workerSaw = e.what();
    }
    finished = true;
  });
  EXPECT_TRUE(app.RunUntil([&] {
    asked = true;
    return synchronized.load();
  }, 60s));
  // The user-interface thread waits for the worker and serves its last call meanwhile.
  app.WaitFor([&] { return finished.load(); });
  worker.join();
  EXPECT_EQ(ranOn, (std::vector<std::thread::id>{uiThread, uiThread}));
  EXPECT_EQ(workerSaw, "refused on the UI thread");
}

}  // namespace
