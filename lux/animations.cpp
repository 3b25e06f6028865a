// The animation thread: frame pacing, easing and the hand-over of frames to the user-interface thread.
#include "lux/animations.h"

#include <array>
#include <chrono>
#include <exception>

#include "lux/anim_collection.h"
#include "lux/types.h"
#include "ui/application.h"

namespace lux {

namespace {

using C = TIntAniCollection;
constexpr std::array<std::array<TAniFunction, 3>, 10> kCurves = {{
    {C::Linear, C::Linear, C::Linear},
    {C::Quadratic_In, C::Quadratic_Out, C::Quadratic_InOut},
    {C::Cubic_In, C::Cubic_Out, C::Cubic_InOut},
    {C::Quartic_In, C::Quartic_Out, C::Quartic_InOut},
    {C::Quintic_In, C::Quintic_Out, C::Quintic_InOut},
    {C::Back_In, C::Back_Out, C::Back_InOut},
    {C::Bounce_In, C::Bounce_Out, C::Bounce_InOut},
    {C::Expo_In, C::Expo_Out, C::Expo_InOut},
    {C::Sine_In, C::Sine_Out, C::Sine_InOut},
    {C::Circle_In, C::Circle_Out, C::Circle_InOut},
}};

}  // namespace

TAniFunction AniFunctionFor(TAniKind Kind, TAniFunctionKind FunctionKind) {
  const auto kind = static_cast<std::size_t>(Kind);
  const auto curve = static_cast<std::size_t>(FunctionKind);
  if (kind >= 3 || curve >= kCurves.size()) return nullptr;
  return kCurves[curve][kind];
}

TIntAni::TIntAni() { AniFunction = AniFunctionFor(FAniKind, FAniFunctionKind); }

TIntAni::TIntAni(bool FreeOnFinish, TAniKind aAniKind, TAniFunctionKind aAniFunctionKind, std::int32_t aStartValue,
                 std::int32_t aDeltaValue, TAniSyncProc aSyncProc, TAniDoneProc aDoneProc)
    : FOnSync(std::move(aSyncProc)),
      FOnDone(std::move(aDoneProc)),
      FAniKind(aAniKind),
      FAniFunctionKind(aAniFunctionKind),
      FStartValue(aStartValue),
      FDeltaValue(aDeltaValue),
      FFreeOnTerminate(FreeOnFinish) {
  AniFunction = AniFunctionFor(FAniKind, FAniFunctionKind);
}

TIntAni::~TIntAni() {
  if (FThread.joinable()) WaitFor();
}

void TIntAni::Launch(std::unique_ptr<TIntAni> Ani) {
  Ani->FFreeOnTerminate = true;
  Ani.release()->Start();
}

void TIntAni::Start() {
  if (FStarted) return;
  FStarted = true;
  ui::TApplication* app = &ui::Application();
  FApplication = app;
  FOwnsItself = FFreeOnTerminate;
  if (!app->AddWorker()) {
    // The application is going away and would deliver nothing: the animation ends unplayed.
    FFinished = true;
    if (FOwnsItself) delete this;
    return;
  }
  FRunning = true;
  try {
    if (FOwnsItself) {
      // From here the worker owns the object and may free it before this call returns, so the
      // thread is let go through a local handle: no one ever waits on a thread object the worker
      // could see half-stored or already freed.
      std::thread([this] { Execute(); }).detach();
    } else {
      FThread = std::thread([this] { Execute(); });
    }
  } catch (...) {
    FRunning = false;
    FFinished = true;
    app->RemoveWorker();
    if (FOwnsItself) delete this;
    throw;
  }
}

void TIntAni::WaitFor() {
  if (!FThread.joinable()) return;
  if (!FFinished && FApplication->IsUiThread()) FApplication->WaitFor([this] { return FFinished.load(); });
  FThread.join();
}

void TIntAni::Sync(const std::function<void()>& Call) { FApplication->Synchronize(Call); }

void TIntAni::Execute() {
  ui::TApplication* app = FApplication;
  try {
    AniFunction = AniFunctionFor(FAniKind, FAniFunctionKind);
    if (AniFunction != nullptr) {
      const std::uint32_t duration = FDuration;
      const std::int32_t start = FStartValue;
      const std::int32_t delta = FDeltaValue;
      // A pause cut short means the application is going away: nothing would show the frames.
      auto pause = [app](std::uint32_t ms) {
        if (!app->WorkerSleep(std::chrono::milliseconds(ms))) throw ui::EApplicationClosing();
      };
      pause(FDelayStartTime);
      const std::uint8_t steps = FStep;
      const std::uint32_t interval = steps > 0 ? static_cast<std::uint32_t>(RoundEven(double(duration) / steps)) : 0;
      for (std::uint32_t i = 1; i <= steps; ++i) {
        // A zero duration has no progress to speak of; treat it as already complete.
        FPercent = duration > 0 ? double(i * interval) / duration : 1.0;
        CurrentValue = start + RoundEven(double(delta) * double(AniFunction(float(FPercent))));
        if (FOnSync) Sync([this] { FOnSync(CurrentValue); });
        pause(interval);
      }
      if (FOnSync) Sync([this] { FOnSync(CurrentValue); });
      if (FOnDone) Sync([this] { FOnDone(); });
    }
  } catch (const std::exception&) {
    // A callback that fails, or an application that goes away, ends the animation early; the
    // worker must not take the process down.
  }
  FRunning = false;
  if (FOwnsItself) {
    delete this;
  } else {
    // The owner may free us as soon as it sees the flag, so only the application is touched after.
    FFinished = true;
    app->Wake();
  }
  // The last touch of the application: its destructor waits for this.
  app->RemoveWorker();
}

}  // namespace lux
