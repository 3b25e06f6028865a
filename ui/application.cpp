// The application loop, its timers and the calls handed over by worker threads.
#include "ui/application.h"

#include <algorithm>
#include <iostream>
#include <stdexcept>

#include "platform/termination.h"
#include "platform/window.h"
#include "ui/forms.h"
#include "ui/hints.h"
#include "ui/timer.h"

namespace ui {

struct TApplication::THandedCall {
  std::function<void()> Call;
  bool Waited = false;  // a Synchronize: the worker waits for Done and takes Error
  bool Done = false;
  std::exception_ptr Error;
};

TApplication::TApplication() : uiThread_(std::this_thread::get_id()) {
  // Workers rouse the window backend until they are gone, and they go in our destructor: so the
  // backend is made first and outlives us.
  platform::CurrentWindowBackend();
}

TApplication::~TApplication() {
  released_.clear();
  // The hint controller's timers belong to this loop: they go while it still stands.
  hints_.reset();
  // No loop runs any more: every call handed over now or later is refused, so a worker waiting in
  // Synchronize wakes and stops, and we wait until none of them touches us any longer.
  std::unique_lock lock(mutex_);
  closing_ = true;
  for (const std::shared_ptr<THandedCall>& call : calls_) {
    call->Error = std::make_exception_ptr(EApplicationClosing());
    call->Done = true;
  }
  calls_.clear();
  changed_.notify_all();
  changed_.wait(lock, [&] { return workers_ == 0; });
}

bool TApplication::AddWorker() {
  std::lock_guard lock(mutex_);
  if (closing_) return false;
  ++workers_;
  return true;
}

void TApplication::RemoveWorker() {
  std::lock_guard lock(mutex_);
  --workers_;
  changed_.notify_all();
  // A loop waiting for workers to end asks its condition again.
  if (closing_) return;
  roused_ = true;
  WakeWindows();
}

int TApplication::WorkerCount() const {
  std::lock_guard lock(mutex_);
  return workers_;
}

bool TApplication::WorkerSleep(std::chrono::milliseconds Duration) {
  std::unique_lock lock(mutex_);
  if (Duration.count() > 0) changed_.wait_for(lock, Duration, [&] { return closing_.load(); });
  return !closing_;
}

void TApplication::Run() { RunUntil(nullptr); }

bool TApplication::RunUntil(const std::function<bool()>& Done, std::chrono::milliseconds Limit) {
  const bool limited = Limit != NoLimit;
  const Clock::time_point deadline = limited ? Clock::now() + Limit : Clock::time_point::max();
  struct TDepth {
    TApplication& app;
    explicit TDepth(TApplication& a) : app(a) { ++app.loopDepth_; }
    ~TDepth() {
      if (--app.loopDepth_ == 0) app.terminated_ = false;
    }
  } depth(*this);
  // With the system's windows, the system asking the program to end ends the outermost loop, as
  // closing the main window does; headless loops (tests) leave the signals to their defaults.
  std::unique_ptr<platform::TerminationRequests> signals;
  if (loopDepth_ == 1 && platform::CurrentWindowBackend().Pumps())
    signals = std::make_unique<platform::TerminationRequests>([this] { Terminate(); });

  for (;;) {
    if (Done && Done()) return true;
    if (terminated_ || (limited && Clock::now() >= deadline)) return Done && Done();
    // Handed calls first: a worker waiting in Synchronize should not wait for a whole tick more.
    if (RunHandedCalls() || RunDueTimer(Now())) continue;

    // Before sleeping, the screen catches up with what ticks and handed calls changed.
    if (IsUiThread()) UpdateForms();
    if (Done && Done()) return true;

    const Clock::time_point* until = limited ? &deadline : nullptr;
    // A moved clock does not pass while the loop sleeps, so only the real one wakes it for a timer.
    Clock::time_point next = Clock::time_point::max();
    if (!clock_)
      for (const auto& [id, timer] : timers_)
        if (timer->Armed() && !timer->running_ && timer->due_ < next) next = timer->due_;
    if (next != Clock::time_point::max() && (!until || next < *until)) until = &next;
    Sleep(until);
  }
}

void TApplication::Terminate() {
  terminated_ = true;
  Wake();
}

void TApplication::Synchronize(std::function<void()> Call) {
  if (IsUiThread()) {
    Call();
    return;
  }
  auto handed = std::make_shared<THandedCall>();
  handed->Call = std::move(Call);
  handed->Waited = true;
  std::unique_lock lock(mutex_);
  if (closing_) throw EApplicationClosing();
  calls_.push_back(handed);
  changed_.notify_all();
  WakeWindows();
  changed_.wait(lock, [&] { return handed->Done; });
  if (handed->Error) std::rethrow_exception(handed->Error);
}

void TApplication::Queue(std::function<void()> Call) {
  auto handed = std::make_shared<THandedCall>();
  handed->Call = std::move(Call);
  std::lock_guard lock(mutex_);
  if (closing_) return;
  calls_.push_back(std::move(handed));
  changed_.notify_all();
  WakeWindows();
}

bool TApplication::CheckSynchronize() { return RunHandedCalls(); }

void TApplication::WaitFor(const std::function<bool()>& Finished) {
  while (!Finished()) {
    if (RunHandedCalls()) continue;
    // A worker that ends without handing anything over does not rouse us, so look again soon.
    const Clock::time_point soon = Clock::now() + std::chrono::milliseconds(5);
    Sleep(&soon);
  }
}

void TApplication::Wake() {
  std::lock_guard lock(mutex_);
  if (closing_) return;
  roused_ = true;
  changed_.notify_all();
  WakeWindows();
}

void TApplication::WakeWindows() {
  platform::WindowBackend& windows = platform::CurrentWindowBackend();
  if (windows.Pumps()) windows.Wake();
}

bool TApplication::ProcessMessages() {
  // A tick schedules its timer's next one after `by`, so every timer ticks at most once here.
  const Clock::time_point by = Now();
  bool ran = false;
  while (RunHandedCalls() || RunDueTimer(by)) ran = true;
  if (IsUiThread()) UpdateForms();
  return ran;
}

void TApplication::SetClock(TClock Now) {
  clock_ = std::move(Now);
  for (const auto& [id, timer] : timers_) timer->Restart();
}

std::uint64_t TApplication::AddTimer(TTimer* timer) {
  std::uint64_t id = nextTimerId_++;
  timers_.emplace(id, timer);
  return id;
}

void TApplication::RemoveTimer(std::uint64_t id) { timers_.erase(id); }

bool TApplication::RunDueTimer(Clock::time_point by) {
  const Clock::time_point start = Now();
  TTimer* due = nullptr;
  for (const auto& [id, timer] : timers_)
    if (timer->Armed() && !timer->running_ && timer->due_ <= by && (!due || timer->due_ < due->due_)) due = timer;
  if (!due) return false;

  // The tick may free its own timer or restart it; afterwards the timer is found again by its number.
  const std::uint64_t id = due->id_;
  const Clock::time_point scheduled = due->due_;
  std::function<void()> tick = due->OnTimer;
  due->running_ = true;
  struct TAfterTick {
    TApplication& app;
    std::uint64_t id;
    Clock::time_point scheduled, started;
    ~TAfterTick() {
      auto found = app.timers_.find(id);
      if (found == app.timers_.end()) return;
      TTimer& timer = *found->second;
      timer.running_ = false;
      if (timer.due_ != scheduled) return;  // restarted by its tick
      // The interval counts from the start of a tick, so ticks are never closer than that. Missed
      // ticks are not made up: one that overran is followed by a single tick straight away.
      const Clock::time_point now = app.Now();
      timer.due_ = started + std::chrono::milliseconds(timer.interval_);
      if (timer.due_ < now) timer.due_ = now;
    }
  } after{*this, id, scheduled, start};
  try {
    if (tick) tick();
  } catch (const std::exception& error) {
    HandleException(error);
  }
  return true;
}

bool TApplication::RunHandedCalls() {
  // Only the calls handed over so far: a call that hands over another must not keep the loop here.
  std::size_t count;
  {
    std::lock_guard lock(mutex_);
    count = calls_.size();
  }
  for (std::size_t i = 0; i < count; ++i) {
    std::shared_ptr<THandedCall> handed;
    {
      std::lock_guard lock(mutex_);
      handed = std::move(calls_.front());
      calls_.pop_front();
    }
    auto finish = [&](std::exception_ptr error) {
      if (!handed->Waited) return;
      std::lock_guard lock(mutex_);
      handed->Error = error;
      handed->Done = true;
      changed_.notify_all();
    };
    try {
      handed->Call();
    } catch (const std::exception& e) {
      if (!handed->Waited) HandleException(e);
      finish(std::current_exception());
      continue;
    } catch (...) {
      // Anything else ends the loop (the end of the process); the waiting worker is released first.
      finish(std::make_exception_ptr(std::runtime_error("The application is ending")));
      throw;
    }
    finish(nullptr);
  }
  return count > 0;
}

void TApplication::HandleException(const std::exception& error) {
  if (OnException)
    OnException(error);
  else
    std::cerr << error.what() << std::endl;
}

void TApplication::Sleep(const Clock::time_point* until) {
  platform::WindowBackend& windows = platform::CurrentWindowBackend();
  if (windows.Pumps() && IsUiThread()) {
    // Input only arrives through the backend, so wait there; handing over a call or Wake rouses it.
    {
      std::lock_guard lock(mutex_);
      if (roused_ || !calls_.empty() || terminated_) {
        roused_ = false;
        return;
      }
    }
    int timeout = -1;
    if (until) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now()).count();
      timeout = static_cast<int>(std::clamp<long long>(left, 0, 0x7FFFFFFF));
    }
    windows.PumpEvents(timeout);
    std::lock_guard lock(mutex_);
    roused_ = false;
    return;
  }
  std::unique_lock lock(mutex_);
  auto ready = [&] { return roused_ || !calls_.empty() || terminated_; };
  if (until)
    changed_.wait_until(lock, *until, ready);
  else
    changed_.wait(lock, ready);
  roused_ = false;
}

void TApplication::Release(std::unique_ptr<TComponent> Component) {
  if (!Component || handlingInput_ == 0) return;
  if (auto* control = dynamic_cast<TControl*>(Component.get())) control->Hide();
  released_.push_back(std::move(Component));
}

void TApplication::InputEnds() {
  if (--handlingInput_ > 0) return;
  // A destructor may release more; those go too.
  while (!released_.empty()) {
    std::vector<std::unique_ptr<TComponent>> going;
    going.swap(released_);
  }
}

void TApplication::AddForm(TForm* form, bool listed) {
  windows_.push_back(form);
  if (!listed) return;
  forms_.push_back(form);
  if (!mainForm_) mainForm_ = form;
}

void TApplication::RemoveForm(TForm* form) {
  std::erase(windows_, form);
  std::erase(forms_, form);
  if (mainForm_ == form) mainForm_ = nullptr;
  if (updateLock_ == form) updateLock_ = nullptr;
  for (TModalRun& run : modalRuns_) {
    std::erase(run.ShutOut, form);
    if (run.Owner == form) run.Owner = nullptr;
  }
  ControlGoing(form);
}

bool TApplication::InputRefused(const TForm* form) const {
  // From the innermost run outwards: a modal form answers to the runs nested in its own only.
  for (auto run = modalRuns_.rbegin(); run != modalRuns_.rend(); ++run) {
    if (run->Form == form) return false;
    if (std::find(run->ShutOut.begin(), run->ShutOut.end(), form) != run->ShutOut.end()) return true;
  }
  return false;
}

void TApplication::UpdateForms() {
  // Painting may make or free forms (a hint window): walk a copy and skip the ones gone meanwhile.
  const std::vector<TForm*> forms = windows_;
  for (TForm* form : forms)
    if (std::find(windows_.begin(), windows_.end(), form) != windows_.end() && form->Visible() && !form->Embedded())
      form->Update();
}

bool TApplication::LockWindowUpdate(TForm* form) {
  if (!form) {
    TForm* held = updateLock_;
    updateLock_ = nullptr;
    if (held) held->Update();
    return false;
  }
  if (updateLock_ && updateLock_ != form) return false;
  updateLock_ = form;
  return true;
}

TApplication& Application() {
  static TApplication application;
  return application;
}

std::uint64_t TApplication::AddPressWatcher(std::function<void(TForm& form)> Watcher) {
  const std::uint64_t id = nextPressWatcher_++;
  pressWatchers_[id] = std::move(Watcher);
  return id;
}

void TApplication::RemovePressWatcher(std::uint64_t Id) { pressWatchers_.erase(Id); }

void TApplication::PressOn(TForm& form) {
  // A watcher may remove itself or others while it runs: go by a copy of the ids.
  std::vector<std::uint64_t> ids;
  for (const auto& [id, watcher] : pressWatchers_) ids.push_back(id);
  for (std::uint64_t id : ids) {
    auto found = pressWatchers_.find(id);
    if (found == pressWatchers_.end()) continue;
    auto watcher = found->second;
    watcher(form);
  }
}

}  // namespace ui
