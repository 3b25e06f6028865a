// A timer of the application loop: it calls OnTimer on the loop's thread every Interval milliseconds
// while it is enabled.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace ui {

class TApplication;

class TTimer {
 public:
  // The timer belongs to `app`'s loop and must be destroyed before it; it starts enabled with an
  // interval of 1000 ms, as a freshly dropped timer does.
  explicit TTimer(TApplication& app);
  TTimer();  // on the process's application
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  std::int32_t Interval() const { return interval_; }
  // A change restarts the countdown; 0 or less stops the ticks.
  void SetInterval(std::int32_t value);
  bool Enabled() const { return enabled_; }
  // Switching on starts a full interval from now.
  void SetEnabled(bool value);

  std::function<void()> OnTimer;

 private:
  friend class TApplication;
  using Clock = std::chrono::steady_clock;

  bool Armed() const { return enabled_ && interval_ > 0; }
  void Restart();

  TApplication& app_;
  std::uint64_t id_;
  std::int32_t interval_ = 1000;
  bool enabled_ = true;
  bool running_ = false;  // inside its own OnTimer: a nested loop does not tick it again
  Clock::time_point due_;
};

}  // namespace ui
