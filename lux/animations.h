// TIntAni: one integer animated from a start value by a delta, on a worker thread of its own that
// hands every frame and its end to the user-interface thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace ui {
class TApplication;
}

namespace lux {

enum class TAniKind { akIn, akOut, akInOut };
enum class TAniFunctionKind {
  afkLinear, afkQuadratic, afkCubic, afkQuartic, afkQuintic, afkBack, afkBounce, afkExpo, afkSine, afkCircle
};

using TAniSyncProc = std::function<void(std::int32_t Value)>;
using TAniDoneProc = std::function<void()>;
using TAniFunction = float (*)(float);

// The easing function for a kind and curve; none when either is outside its enumeration.
TAniFunction AniFunctionFor(TAniKind Kind, TAniFunctionKind FunctionKind);

class TIntAni {
 public:
  // Created suspended: configure it, then Start it. It runs once.
  TIntAni();
  TIntAni(bool FreeOnFinish, TAniKind aAniKind, TAniFunctionKind aAniFunctionKind, std::int32_t aStartValue,
          std::int32_t aDeltaValue, TAniSyncProc aSyncProc, TAniDoneProc aDoneProc);
  // Waits for a started animation to end, serving its callbacks meanwhile when on the UI thread.
  ~TIntAni();
  TIntAni(const TIntAni&) = delete;
  TIntAni& operator=(const TIntAni&) = delete;

  // Hands the animation to its own thread, which frees it after the completion callback.
  static void Launch(std::unique_ptr<TIntAni> Ani);

  // Starts the worker; call on the user-interface thread. With FreeOnTerminate the object must have
  // been given up by its creator (see Launch) and must not be touched afterwards. Further settings
  // are read by the worker without locks, so write them before this. Once the application is going
  // away the animation does not start (and frees itself when it would have).
  void Start();
  // Only sets the flag: a running animation still plays all its frames.
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  // Returns after the completion callback has run; on the UI thread it keeps serving the callbacks.
  void WaitFor();

  bool FreeOnTerminate() const { return FFreeOnTerminate; }
  void SetFreeOnTerminate(bool Value) { FFreeOnTerminate = Value; }
  bool Running() const { return FRunning; }
  bool Finished() const { return FFinished; }

  std::uint8_t Step() const { return FStep; }
  void SetStep(std::uint8_t Value) { FStep = Value; }
  const TAniSyncProc& OnSync() const { return FOnSync; }
  void SetOnSync(TAniSyncProc Value) { FOnSync = std::move(Value); }
  const TAniDoneProc& OnDone() const { return FOnDone; }
  void SetOnDone(TAniDoneProc Value) { FOnDone = std::move(Value); }
  TAniKind AniKind() const { return FAniKind; }
  void SetAniKind(TAniKind Value) { FAniKind = Value; }
  TAniFunctionKind AniFunctionKind() const { return FAniFunctionKind; }
  void SetAniFunctionKind(TAniFunctionKind Value) { FAniFunctionKind = Value; }
  std::uint32_t DelayStartTime() const { return FDelayStartTime; }
  void SetDelayStartTime(std::uint32_t Value) { FDelayStartTime = Value; }
  std::uint32_t Duration() const { return FDuration; }
  void SetDuration(std::uint32_t Value) { FDuration = Value; }
  std::int32_t StartValue() const { return FStartValue; }
  void SetStartValue(std::int32_t Value) { FStartValue = Value; }
  std::int32_t DeltaValue() const { return FDeltaValue; }
  void SetDeltaValue(std::int32_t Value) { FDeltaValue = Value; }
  std::int32_t EndValue() const { return FStartValue + FDeltaValue; }
  // Relative to the current StartValue, so write that first.
  void SetEndValue(std::int32_t Value) { FDeltaValue = Value - FStartValue; }
  double Percent() const { return FPercent; }

  // The frame being delivered; written by the worker, read by the callbacks.
  std::int32_t CurrentValue = 0;

 private:
  void Execute();
  void Sync(const std::function<void()>& Call);

  std::atomic<std::uint8_t> FStep{25};  // may change until the delay has passed
  TAniFunction AniFunction = nullptr;
  TAniSyncProc FOnSync;
  TAniDoneProc FOnDone;
  TAniKind FAniKind = TAniKind::akIn;
  TAniFunctionKind FAniFunctionKind = TAniFunctionKind::afkLinear;
  std::atomic<std::uint32_t> FDelayStartTime{0};  // likewise
  std::uint32_t FDuration = 400;
  std::int32_t FStartValue = 0;
  std::int32_t FDeltaValue = 0;
  double FPercent = 0;

  bool FFreeOnTerminate = false;
  bool FStarted = false;
  bool FOwnsItself = false;  // FreeOnTerminate as it was at the start
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FRunning{false};
  std::atomic<bool> FFinished{false};
  ui::TApplication* FApplication = nullptr;
  std::thread FThread;
};

}  // namespace lux
