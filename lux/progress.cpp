// The progress bar's colours, layout and painting, and the worker threads that pace its two motions.
#include "lux/progress.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "lux/shapes.h"
#include "lux/theme_manager.h"
#include "platform/process.h"
#include "ui/application.h"

namespace lux {

using namespace std::chrono_literals;

namespace {

constexpr auto kFrameGap = 10ms;
// How long a control being freed waits for its indeterminate worker to see that it should stop.
constexpr auto kFinishWait = 100ms;

constexpr TColor kDarkError = 0xA499FF, kDarkPaused = 0x00E1FC;
constexpr TColor kLightError = 0x1C2BC4, kLightPaused = 0x005D9D;
// The track contrasts with the surface: light on the dark theme, dark on the light one.
constexpr TColor kDarkTrack = 0xFBFBFB, kLightTrack = 0x2B2B2B;

}  // namespace

// One worker thread of a progress bar and what it shares with the control. The worker never touches
// the control: it queues frames for the user-interface thread and waits until each has run. The
// control, the worker and each queued frame hold the record, so whichever goes last frees it, and a
// freed control only has to cut its link and cancel.
struct FXProgressWorker : std::enable_shared_from_this<FXProgressWorker> {
  using TFrame = std::function<void(FXProgress&)>;
  using TBody = std::function<void(FXProgressWorker&)>;

  // Starts Body on a detached thread of lowest priority; null if no thread could be had.
  static std::shared_ptr<FXProgressWorker> Start(FXProgress* AControl, TBody Body);

  // Worker side. Both answer false once the worker has been cancelled, at once, whatever it waited for.
  bool HandOver(TFrame Frame);
  bool Pause(std::chrono::milliseconds Gap);

  // Any thread; from the user-interface thread, Detach also cuts the link to the control first.
  void Cancel();
  void Detach() {
    Control = nullptr;
    Cancel();
  }
  // Waits up to Limit for the worker to end; answers whether it has.
  bool WaitFinished(std::chrono::milliseconds Limit);
  bool Finished() {
    std::lock_guard lock(Lock);
    return FFinished;
  }

  // Read and written on the user-interface thread only.
  FXProgress* Control = nullptr;

 private:
  void RunFrame(const TFrame& Frame);

  ui::TApplication* App = nullptr;
  std::mutex Lock;
  std::condition_variable Changed;
  bool FCancelled = false;
  bool FFrameRun = false;
  bool FFinished = false;
};


std::shared_ptr<FXProgressWorker> FXProgressWorker::Start(FXProgress* AControl, TBody Body) {
  ui::TApplication& app = ui::Application();
  // Counted by the application before it starts, so the application outlives the worker's last call.
  if (!app.AddWorker()) return nullptr;
  auto worker = std::make_shared<FXProgressWorker>();
  worker->Control = AControl;
  worker->App = &app;
  try {
    std::thread([worker, Body = std::move(Body)] {
      platform::LowerCurrentThreadPriority();
      Body(*worker);
      {
        std::lock_guard lock(worker->Lock);
        worker->FFinished = true;
      }
      worker->Changed.notify_all();
      worker->App->RemoveWorker();
    }).detach();
  } catch (const std::system_error&) {
    app.RemoveWorker();
    return nullptr;
  }
  return worker;
}

bool FXProgressWorker::HandOver(TFrame Frame) {
  std::unique_lock lock(Lock);
  // Checked and queued under the lock, so that once Cancel has returned no frame is queued any more:
  // the application may be gone by then.
  if (FCancelled || App->Closing()) return false;
  FFrameRun = false;
  App->Queue([self = shared_from_this(), Frame = std::move(Frame)] { self->RunFrame(Frame); });
  // A closing application drops the frame unrun; the worker notices within one frame gap.
  while (!Changed.wait_for(lock, kFrameGap, [this] { return FFrameRun || FCancelled; }))
    if (App->Closing()) return false;
  return !FCancelled;
}

bool FXProgressWorker::Pause(std::chrono::milliseconds Gap) {
  std::unique_lock lock(Lock);
  return !Changed.wait_for(lock, Gap, [this] { return FCancelled; }) && !App->Closing();
}

void FXProgressWorker::Cancel() {
  {
    std::lock_guard lock(Lock);
    FCancelled = true;
  }
  Changed.notify_all();
}

bool FXProgressWorker::WaitFinished(std::chrono::milliseconds Limit) {
  std::unique_lock lock(Lock);
  return Changed.wait_for(lock, Limit, [this] { return FFinished; });
}

void FXProgressWorker::RunFrame(const TFrame& Frame) {
  // The worker waits for this call whatever the frame does, a throwing paint included.
  struct TRan {
    FXProgressWorker& Worker;
    ~TRan() {
      {
        std::lock_guard lock(Worker.Lock);
        Worker.FFrameRun = true;
      }
      Worker.Changed.notify_all();
    }
  } ran{*this};
  bool cancelled;
  {
    std::lock_guard lock(Lock);
    cancelled = FCancelled;
  }
  if (!cancelled && Control) Frame(*Control);
}

FXProgress::FXProgress(ui::TComponent* aOwner)
    : FXWindowsControl(aOwner),
      FDrawColors(std::make_unique<FXCompleteColorSet>(this)),
      FCustomColors(std::make_unique<FXCompleteColorSets>(this)),
      FOtherColors(std::make_unique<FXColorSet>(this)),
      FCustomOtherColors(std::make_unique<FXColorSets>(this)) {
  SetTabStop(false);
  SetBounds(Left(), Top(), 200, 20);
  FAutoFocusLine = true;
  FBufferedComponent = true;
  UpdateRects();
  UpdateColors();
}

FXProgress::~FXProgress() {
  // A running glide applies no further frame; its worker ends on its own.
  FProgressPos = GlideFrames;
  if (FProgressThread) FProgressThread->Detach();
  FProgressThread.reset();
  if (FAnimateThread) {
    FThreadActive = false;
    FAnimateThread->Detach();
    // The worker no longer reaches this control either way; the wait only spares the process a thread
    // that outlives its bar. It never waits on this thread, so it cannot deadlock.
    FAnimateThread->WaitFinished(kFinishWait);
    FAnimateThread.reset();
  }
}


void FXProgress::UpdateTheme(bool) {
  UpdateColors();
  UpdateRects();
  Invalidate();
}

void FXProgress::UpdateColors() {
  ThemeManager().LoadColorSet(*FDrawColors);
  // A disabled bar keeps the system's plain colours until it is enabled and its theme updated again.
  if (!Enabled()) return;
  const bool dark = ThemeManager().DarkTheme();
  if (FCustomColors->Enabled()) {
    FDrawColors->LoadFrom(*FCustomColors, dark);
  } else {
    FDrawColors->LoadFrom(*ThemeManager().SystemColorSet, dark);
    FDrawColors->SetBackGroundInterior(dark ? kDarkTrack : kLightTrack);
    FDrawColors->SetBackGround(GetParentBackgroundColor(FDrawColors->BackGround()));
  }
  if (FCustomOtherColors->Enabled()) {
    FOtherColors->LoadFrom(*FCustomOtherColors, dark);
  } else {
    FOtherColors->SetBackGround(dark ? kDarkError : kLightError);
    FOtherColors->SetForeGround(dark ? kDarkPaused : kLightPaused);
  }
}

void FXProgress::UpdateRects() {
  FDrawRect = ClientRect();

  FFilledRect = FDrawRect;
  FFilledRect.Bottom = FFilledRect.Top + FProgressHeight;
  FFilledRect.Right -= 1;
  FFilledRect = FFilledRect.Offset(0, (FDrawRect.Height() - FProgressHeight) / 2);
  const int track = FFilledRect.Width();
  FFilledRect.Right = FFilledRect.Left + RoundEven((double(FValue) + double(FValueAdd)) / 100 * track);

  FLineRect = FDrawRect;
  FLineRect.Bottom = FLineRect.Top + FProgressLineHeight;
  FLineRect.Right -= 1;
  FLineRect = FLineRect.Offset(0, (FDrawRect.Height() - FProgressLineHeight) / 2);

  if (FProgressKind == FXProgressKind::Intermediate) {
    FFilledRect.Left += FOffset;
    FFilledRect.Right = FFilledRect.Left + FInterSize;
  }
}

void FXProgress::PaintBuffer() {
  SetColor(FDrawColors->BackGround());
  PaintBackground();
  ui::TCanvas canvas(Buffer());
  // A pill of each: the corner size is the rectangle's own height. A bar of no or negative width
  // (a value of 0 or below) draws nothing rather than a reversed shape.
  auto pill = [&](const TRect& Area, TColor Color) {
    if (Area.IsEmpty()) return;
    const FXBrush brush{MakeARGB(Color, 255)};
    GDIRoundRect(canvas, FXRoundRect(Area, Area.Height()), &brush, nullptr);
  };
  if (FProgressKind != FXProgressKind::Intermediate) pill(FLineRect, FDrawColors->BackGroundInterior());
  TColor bar = FDrawColors->Accent();
  if (FProgressKind == FXProgressKind::Paused) bar = PausedColor();
  if (FProgressKind == FXProgressKind::Error) bar = ErrorColor();
  pill(FFilledRect, bar);
  FXWindowsControl::PaintBuffer();
}

void FXProgress::InteractionStateChanged(FXControlState AState) {
  FXWindowsControl::InteractionStateChanged(AState);
  Invalidate();
}

void FXProgress::ScaleChanged(float Scaling) { FXWindowsControl::ScaleChanged(Scaling); }

void FXProgress::BoundsChanged(int OldWidth, int OldHeight) {
  // The layout first: the inherited step repaints the buffer at once, and it should show the new size.
  UpdateRects();
  FXWindowsControl::BoundsChanged(OldWidth, OldHeight);
}

void FXProgress::SetValue(float AValue) {
  if (AValue == FValue) return;
  if (FAnimations) AnimateTo(AValue);
  FValue = AValue;
  UpdateRects();
  Invalidate();
}

void FXProgress::SetProgressKind(FXProgressKind AValue) {
  if (AValue == FProgressKind) return;
  FProgressKind = AValue;
  SetAnimationThread(AValue == FXProgressKind::Intermediate);
  UpdateRects();
  Invalidate();
}

void FXProgress::SetProgressHeight(std::int32_t AValue) {
  if (AValue == FProgressHeight) return;
  FProgressHeight = AValue;
  UpdateRects();
  Invalidate();
}

void FXProgress::SetProgressLineHeight(std::int32_t AValue) {
  if (AValue == FProgressLineHeight) return;
  FProgressLineHeight = AValue;
  UpdateRects();
  Invalidate();
}

void FXProgress::AnimateTo(float AValue) {
  if (FProgressThread) {
    // The value shown now is where the new glide starts; the old one applies no further frame.
    FValue = FValue + FValueAdd;
    FProgressThread->Detach();
    FProgressThread.reset();
  }
  FValueAdd = FValue - AValue;
  FValueAddMax = FValueAdd;
  FProgressPos = 0;
  FProgressThread = FXProgressWorker::Start(this, [](FXProgressWorker& Worker) {
    for (std::int32_t position = 0; position < GlideFrames; ++position) {
      if (!Worker.HandOver([position](FXProgress& Bar) { Bar.GlideFrame(position); })) return;
      if (!Worker.Pause(kFrameGap)) return;
    }
    Worker.HandOver([](FXProgress& Bar) { Bar.GlideEnd(); });
  });
  // Without a thread there is no glide: the bar goes straight to the new value.
  if (!FProgressThread) FValueAdd = 0;
}

void FXProgress::GlideFrame(std::int32_t Position) {
  FProgressPos = Position;
  FValueAdd = float(GlideFrames - Position) / GlideFrames * FValueAddMax;
  UpdateRects();
  Invalidate();
}

void FXProgress::GlideEnd() {
  FProgressPos = GlideFrames;
  FValueAdd = 0;
  FProgressThread.reset();
  UpdateRects();
  Invalidate();
}

void FXProgress::SetAnimationThread(bool AValue) {
  if (AValue == FThreadActive) return;
  FThreadActive = AValue;
  if (!AValue) {
    if (FAnimateThread) FAnimateThread->Detach();
    FAnimateThread.reset();
    return;
  }
  FOffset = 0;
  FValueAdd = 0;
  FAnimateThread = FXProgressWorker::Start(this, [](FXProgressWorker& Worker) {
    while (Worker.HandOver([](FXProgress& Bar) { Bar.IndeterminateFrame(); }))
      if (!Worker.Pause(kFrameGap)) return;
  });
}

void FXProgress::IndeterminateFrame() {
  const std::int32_t width = FDrawRect.Width();
  FOffset += FLengthState == 0 ? width / 30 : FLengthState == 1 ? width / 20 : width / 25;
  const bool passOver = FOffset >= width;
  if (passOver) {
    ++FLengthState;
    if (FLengthState > 1) FLengthState = 0;
  }
  if (FLengthState == 0)
    FInterSize = static_cast<std::int32_t>(std::ceil(width / 3.0));
  else if (FLengthState == 1)
    FInterSize = static_cast<std::int32_t>(std::ceil(width / 2.2));
  else
    FInterSize = width;
  if (passOver) FOffset = -FInterSize;
  UpdateRects();
  Invalidate();
}

}  // namespace lux
