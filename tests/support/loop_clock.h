// A clock for an application loop that stands still until the test moves it, for as long as it lives.
#pragma once

#include <atomic>
#include <chrono>

#include "ui/application.h"

namespace testsupport {

class TLoopClock {
 public:
  using time_point = std::chrono::steady_clock::time_point;

  // Armed timers of `app` start a full interval from the clock's first reading.
  explicit TLoopClock(ui::TApplication& app = ui::Application()) : app_(app) {
    app_.SetClock([this] { return now_.load(); });
  }
  ~TLoopClock() { app_.SetClock(nullptr); }
  TLoopClock(const TLoopClock&) = delete;
  TLoopClock& operator=(const TLoopClock&) = delete;

  time_point Now() const { return now_.load(); }
  void Advance(std::chrono::milliseconds by) { now_ = now_.load() + by; }
  // Moves the clock and runs what came due, as the loop would; answers whether anything ran.
  bool Pass(std::chrono::milliseconds by) {
    Advance(by);
    return app_.ProcessMessages();
  }

 private:
  ui::TApplication& app_;
  // Far from zero, so that nothing mistakes it for an unset time.
  std::atomic<time_point> now_{time_point{std::chrono::hours(1)}};
};

}  // namespace testsupport
