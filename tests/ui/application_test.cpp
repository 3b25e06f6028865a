// The application loop: timer rhythm, overrunning ticks, nesting, calls handed over by workers.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "ui/application.h"
#include "ui/timer.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Sleeps of the loop may end a little early by the clock's grain; no tick may come sooner than that.
constexpr auto kGrain = 5ms;

std::vector<Clock::duration> Gaps(const std::vector<Clock::time_point>& times) {
  std::vector<Clock::duration> gaps;
  for (std::size_t i = 1; i < times.size(); ++i) gaps.push_back(times[i] - times[i - 1]);
  return gaps;
}

TEST(ApplicationTest, TimerTicksOnTheLoopThreadAtItsInterval) {
  ui::TApplication app;
  ui::TTimer timer(app);
  timer.SetEnabled(false);
  timer.SetInterval(40);
  std::vector<Clock::time_point> ticks;
  timer.OnTimer = [&] {
    EXPECT_TRUE(app.IsUiThread());
    ticks.push_back(Clock::now());
  };
  const Clock::time_point enabled = Clock::now();
  timer.SetEnabled(true);
  ASSERT_TRUE(app.RunUntil([&] { return ticks.size() == 5; }, 3s));
  EXPECT_GE(ticks[0] - enabled, 40ms - kGrain);
  for (Clock::duration gap : Gaps(ticks)) EXPECT_GE(gap, 40ms - kGrain);

  // Off from inside its own tick: no more ticks; on again: a full interval from then.
  timer.OnTimer = [&] {
    ticks.push_back(Clock::now());
    timer.SetEnabled(false);
  };
  ASSERT_TRUE(app.RunUntil([&] { return ticks.size() == 6; }, 3s));
  EXPECT_FALSE(app.RunUntil([&] { return ticks.size() > 6; }, 150ms));
  const Clock::time_point again = Clock::now();
  timer.SetEnabled(true);
  ASSERT_TRUE(app.RunUntil([&] { return ticks.size() == 7; }, 3s));
  EXPECT_GE(ticks[6] - again, 40ms - kGrain);
}

TEST(ApplicationTest, AnOverrunningTickDelaysTheNextAndMissedTicksAreNotMadeUp) {
  ui::TApplication app;
  ui::TTimer timer(app);
  timer.SetInterval(30);
  std::vector<Clock::time_point> starts, ends;
  timer.OnTimer = [&] {
    starts.push_back(Clock::now());
    // The first tick takes ten intervals.
    if (starts.size() == 1) std::this_thread::sleep_for(300ms);
    ends.push_back(Clock::now());
  };
  ASSERT_TRUE(app.RunUntil([&] { return starts.size() == 5; }, 3s));
  // Straight after the long tick at most one more comes at once; then the rhythm is back.
  EXPECT_GE(starts[1], ends[0]);
  EXPECT_GE(starts[2] - starts[1], 30ms - kGrain);
  EXPECT_GE(starts[3] - starts[2], 30ms - kGrain);
  EXPECT_GE(starts[4] - starts[3], 30ms - kGrain);
}

TEST(ApplicationTest, NestedLoopsAndTimersFreedInTheirOwnTick) {
  ui::TApplication app;
  auto outer = std::make_unique<ui::TTimer>(app);
  ui::TTimer other(app);
  outer->SetInterval(20);
  other.SetInterval(20);
  int outerTicks = 0, otherTicks = 0;
  bool nestedDone = false;
  other.OnTimer = [&] { ++otherTicks; };
  outer->OnTimer = [&] {
    ++outerTicks;
    // A modal loop inside the tick: other timers go on, this one waits for its tick to end.
    nestedDone = app.RunUntil([&] { return otherTicks >= 3; }, 2s);
    outer.reset();
  };
  EXPECT_FALSE(app.RunUntil([] { return false; }, 300ms));
  EXPECT_TRUE(nestedDone);
  EXPECT_EQ(outerTicks, 1);
  EXPECT_EQ(outer, nullptr);
}

TEST(ApplicationTest, TerminateEndsRunAndIsForgottenAfterwards) {
  ui::TApplication app;
  ui::TTimer timer(app);
  timer.SetInterval(10);
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 3) app.Terminate();
  };
  app.Run();
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(app.Terminated());
  EXPECT_TRUE(app.RunUntil([&] { return ticks == 5; }, 2s));
}

TEST(ApplicationTest, AnErrorInATickGoesToTheReportAndTheLoopGoesOn) {
  ui::TApplication app;
  std::vector<std::string> reports;
  app.OnException = [&](const std::exception& e) { reports.push_back(e.what()); };
  ui::TTimer timer(app);
  timer.SetInterval(10);
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 1) throw std::runtime_error("step broke");
  };
  EXPECT_TRUE(app.RunUntil([&] { return ticks == 3; }, 2s));
  EXPECT_EQ(reports, std::vector<std::string>{"step broke"});
}

TEST(ApplicationTest, WorkersHandCallsToTheSleepingLoop) {
  ui::TApplication app;
  const std::thread::id uiThread = std::this_thread::get_id();
  std::vector<std::thread::id> ranOn;
  std::atomic<bool> synchronized{false}, finished{false};
  std::string workerSaw;

  // No timer: the loop sleeps until a call arrives, and a Synchronize returns only once it ran.
  std::thread worker([&] {
    std::this_thread::sleep_for(50ms);
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
  const Clock::time_point start = Clock::now();
  EXPECT_TRUE(app.RunUntil([&] { return synchronized.load(); }, 5s));
  EXPECT_LT(Clock::now() - start, 2s);
  // The user-interface thread waits for the worker and serves its last call meanwhile.
  app.WaitFor([&] { return finished.load(); });
  worker.join();
  EXPECT_EQ(ranOn, (std::vector<std::thread::id>{uiThread, uiThread}));
  EXPECT_EQ(workerSaw, "refused on the UI thread");
}

}  // namespace
