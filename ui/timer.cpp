// Timers of the application loop.
#include "ui/timer.h"

#include "ui/application.h"

namespace ui {

TTimer::TTimer(TApplication& app) : app_(app), id_(app.AddTimer(this)) { Restart(); }

TTimer::TTimer() : TTimer(Application()) {}

TTimer::~TTimer() { app_.RemoveTimer(id_); }

void TTimer::SetInterval(std::int32_t value) {
  if (value == interval_) return;
  interval_ = value;
  Restart();
}

void TTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Restart();
}

void TTimer::Restart() {
  due_ = app_.Now() + std::chrono::milliseconds(interval_ > 0 ? interval_ : 0);
}

}  // namespace ui
