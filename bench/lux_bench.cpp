// Paint timings of the framework's buffered controls on a headless form: whole-form repaints, one
// control's update, the work of one animation frame, the button's hover blend, one progress glide frame,
// and what an endless progress bar costs the processor.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lux/animations.h"
#include "lux/button.h"
#include "lux/controls.h"
#include "lux/forms.h"
#include "lux/graphics.h"
#include "lux/progress.h"
#include "lux/shapes.h"
#include "lux/theme_manager.h"
#include "platform/environment.h"
#include "ui/application.h"
#include "ui/forms.h"

namespace {

using namespace lux;

// The installer window's client size.
constexpr int kFormWidth = 734, kFormHeight = 461;
constexpr int kColumns = 6, kRows = 6, kMargin = 11, kGap = 8;

// A card as the wizard pages draw them: an outlined rounded interior, a caption, and a progress bar
// whose length is what the animation moves.
class TCard : public FXWindowsControl, public FXControl {
 public:
  TCard(ui::TWinControl& AParent, const TRect& ABounds, std::string ACaption)
      : FXWindowsControl(&AParent), FCaption(std::move(ACaption)) {
    UpdateTheme(false);
    SetParent(&AParent);
    SetBounds(ABounds.Left, ABounds.Top, ABounds.Width(), ABounds.Height());
  }

  std::int32_t Progress() const { return FProgress; }
  void SetProgress(std::int32_t Value) {
    if (Value == FProgress) return;
    FProgress = Value;
    Invalidate();
  }

  bool IsContainer() override { return false; }
  void UpdateTheme(bool) override {
    const FXCompleteColorSet& colors = *ThemeManager().SystemColor;
    FInterior = colors.BackGroundInterior();
    FText = colors.ForeGround();
    FAccent = colors.Accent();
    SetColor(GetParentBackgroundColor(colors.BackGround()));
  }
  TColor Background() override { return FInterior; }

 protected:
  void PaintBuffer() override {
    PaintBackground();
    ui::TCanvas canvas(Buffer());
    const FXBrush brush{MakeARGB(FInterior, 255)};
    const FXPen pen{MakeARGB(FText, 40), 1};
    DrawRoundRect(canvas, FXRoundRect(Rect(0, 0, Width() - 1, Height() - 1), 8), &brush, &pen, true);
    if (FProgress > 0)
      FillRectangle(canvas, Rect(10, Height() - 12, 10 + FProgress, Height() - 8), MakeARGB(FAccent, 255), true);
    canvas.Font = Font();
    canvas.Font.SetColor(MakeARGB(FText, 255));
    DrawTextRect(canvas, Rect(10, 4, Width() - 10, Height() - 14), FCaption,
                 {FXTextFlag::VerticalCenter, FXTextFlag::TrimDots});
    FXWindowsControl::PaintBuffer();
  }

 private:
  std::string FCaption;
  std::int32_t FProgress = 0;
  TColor FInterior = 0, FText = 0, FAccent = 0;
};

// A windowless caption on the form's background.
class TCaption : public FXBufferGraphicControl, public FXControl {
 public:
  TCaption(ui::TWinControl& AParent, const TRect& ABounds, std::string AText)
      : FXBufferGraphicControl(&AParent), FText(std::move(AText)) {
    FFont.SetName(ThemeManager().FormFont());
    FFont.SetHeight(ThemeManager().FormFontHeight());
    UpdateTheme(false);
    SetParent(&AParent);
    SetBounds(ABounds.Left, ABounds.Top, ABounds.Width(), ABounds.Height());
  }

  bool IsContainer() override { return false; }
  void UpdateTheme(bool) override {
    FBackground = ThemeManager().SystemColor->BackGround();
    FFont.SetColor(MakeARGB(ThemeManager().SystemColor->ForeGround(), 255));
  }
  TColor Background() override { return FBackground; }

 protected:
  void PaintBuffer() override {
    Buffer().Fill(MakeARGB(FBackground, 255));
    ui::TCanvas canvas(Buffer());
    canvas.Font = FFont;
    DrawTextRect(canvas, ClientRect(), FText, {FXTextFlag::VerticalCenter, FXTextFlag::TrimDots});
    FXBufferGraphicControl::PaintBuffer();
  }

 private:
  std::string FText;
  ui::TFont FFont;
  TColor FBackground = 0;
};

// The framework's window, as the installer shows it. Its showing would start a theme fade that holds
// the window-update lock until the loop delivers the fade's frames; the benchmark times painting, so
// the theme is set at once instead.
std::unique_ptr<ui::TForm> CreateForm() {
  auto form = std::make_unique<FXForm>(nullptr);
  form->AllowThemeChangeAnimation = false;
  form->SetClientSize(kFormWidth, kFormHeight);
  return form;
}

// A shown form with a grid of 36 controls, two cards to every caption; the form owns them all.
struct TScene {
  std::unique_ptr<ui::TForm> Form;
  std::vector<TCard*> Cards;
  std::vector<TCaption*> Captions;

  TScene() : Form(CreateForm()) {
    Form->SetColor(MakeARGB(ThemeManager().SystemColor->BackGround(), 255));
    const int cellWidth = (kFormWidth - 2 * kMargin - (kColumns - 1) * kGap) / kColumns;
    const int cellHeight = (kFormHeight - 2 * kMargin - (kRows - 1) * kGap) / kRows;
    for (int row = 0; row < kRows; ++row)
      for (int column = 0; column < kColumns; ++column) {
        const int left = kMargin + column * (cellWidth + kGap), top = kMargin + row * (cellHeight + kGap);
        const TRect cell = Rect(left, top, left + cellWidth, top + cellHeight);
        const std::string number = std::to_string(row * kColumns + column + 1);
        if (column % 3 == 2)
          Captions.push_back(new TCaption(*Form, cell, "Option " + number));
        else
          Cards.push_back(new TCard(*Form, cell, "Module " + number));
      }
    Form->Show();
  }

  TCard& MiddleCard() { return *Cards[Cards.size() / 2]; }
};

// What a window exposure costs: the form composes every control's buffer and presents the result.
void BM_FormRepaint(benchmark::State& state) {
  TScene scene;
  for (auto _ : state) scene.Form->Repaint();
}
BENCHMARK(BM_FormRepaint)->Unit(benchmark::kMicrosecond);

// What a theme change costs: every control redraws its buffer, then the form paints once.
void BM_FormRepaintEveryBuffer(benchmark::State& state) {
  TScene scene;
  for (auto _ : state) {
    for (TCard* card : scene.Cards) card->Invalidate();
    for (TCaption* caption : scene.Captions) caption->Invalidate();
    scene.Form->Update();
  }
}
BENCHMARK(BM_FormRepaintEveryBuffer)->Unit(benchmark::kMicrosecond);

// A hover or a click: one control redraws its buffer and the form paints and presents.
void BM_ControlInvalidateUpdate(benchmark::State& state) {
  TScene scene;
  TCard& card = scene.MiddleCard();
  for (auto _ : state) {
    card.Invalidate();
    scene.Form->Update();
  }
}
BENCHMARK(BM_ControlInvalidateUpdate)->Unit(benchmark::kMicrosecond);

// The values a started animation hands its OnSync, worked out as its worker does.
std::vector<std::int32_t> FrameValues(const TIntAni& Ani) {
  const TAniFunction curve = AniFunctionFor(Ani.AniKind(), Ani.AniFunctionKind());
  const auto interval = static_cast<std::uint32_t>(RoundEven(double(Ani.Duration()) / Ani.Step()));
  std::vector<std::int32_t> values;
  for (std::uint32_t i = 1; i <= Ani.Step(); ++i) {
    const double percent = double(i * interval) / Ani.Duration();
    values.push_back(Ani.StartValue() + RoundEven(double(Ani.DeltaValue()) * double(curve(float(percent)))));
  }
  return values;
}

// A started TIntAni's worker sleeps between frames and hands each to this thread through Synchronize,
// so timing a real run would time its pacing. The animation is configured as a control would configure
// it, but never started: its frame values are worked out as the worker works them out, and its own
// OnSync runs directly. The bar plays forwards then backwards, so no frame repeats the previous value
// except where the easing itself rounds two steps to one, as in a real run.
void BM_AnimationFrame(benchmark::State& state) {
  TScene scene;
  TCard& card = scene.MiddleCard();
  TIntAni ani(false, TAniKind::akOut, TAniFunctionKind::afkCubic, 0, card.Width() - 20, nullptr, nullptr);
  ani.SetOnSync([&](std::int32_t Value) {
    card.SetProgress(Value);
    scene.Form->Update();
  });
  std::vector<std::int32_t> frames = FrameValues(ani);
  std::vector<std::int32_t> back(frames.rbegin() + 1, frames.rend());
  back.push_back(ani.StartValue());
  frames.insert(frames.end(), back.begin(), back.end());

  std::size_t next = 0;
  for (auto _ : state) {
    ani.OnSync()(frames[next]);
    next = (next + 1) % frames.size();
  }
}
BENCHMARK(BM_AnimationFrame)->Unit(benchmark::kMicrosecond);

// A shown form of the gallery's size holding one framework control. Alone, because a transparent
// control laid over buffered siblings repaints once more for each of them, which would time the
// overlap rather than the control.
template <class T>
struct TSolo {
  std::unique_ptr<ui::TForm> Form = CreateForm();
  T* Control = nullptr;

  explicit TSolo(const TRect& Bounds) {
    Form->SetColor(MakeARGB(ThemeManager().SystemColor->BackGround(), 255));
    Control = new T(Form.get());
    Control->SetParent(Form.get());
    Control->SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
    Control->UpdateTheme(false);
    Form->Show();
    Form->Update();
  }
};

// One frame of a button's hover blend: the button repaints its buffer with the fill and text blended
// between the two states, and the form presents. The pointer enters the button, which starts its blend
// animation; the animation's worker hands its first frame to the loop and waits there, and the loop
// does not run until the timing is over, so the button stays mid-blend and each repaint takes the
// blending path a real frame takes.
void BM_ButtonHoverFrame(benchmark::State& state) {
  TSolo<FXButton> solo(Rect(297, 213, 437, 248));
  FXButton& button = *solo.Control;
  button.SetText("Hover me");
  solo.Form->Update();
  button.MouseEnter();
  if (!button.AnimationRunning()) {
    state.SkipWithError("the hover did not start the blend");
    return;
  }
  for (auto _ : state) {
    button.Invalidate();
    solo.Form->Update();
  }
  ui::Application().RunUntil([&] { return !button.AnimationRunning(); }, std::chrono::seconds(30));
}
BENCHMARK(BM_ButtonHoverFrame)->Unit(benchmark::kMicrosecond);

// One frame of a progress bar's value glide: the bar lays itself out for the frame's value, repaints
// its buffer, and the form presents, as the loop does after each handed frame. A real glide's worker
// only sleeps and hands the frame over, so here the frames' values are set directly, with Animations
// off so that no worker starts. The values are a 0 to 100 glide's, played forwards then backwards, so
// every frame differs from the one before.
void BM_ProgressGlideFrame(benchmark::State& state) {
  std::unique_ptr<ui::TForm> form = CreateForm();
  form->SetColor(MakeARGB(ThemeManager().SystemColor->BackGround(), 255));
  auto* bar = new FXProgress(form.get());
  bar->SetParent(form.get());
  bar->SetBounds((kFormWidth - 300) / 2, (kFormHeight - 20) / 2, 300, 20);
  bar->UpdateTheme(false);
  bar->SetAnimations(false);
  form->Show();

  std::vector<float> frames;
  for (int position = 1; position <= FXProgress::GlideFrames; ++position)
    frames.push_back(100.0f * position / FXProgress::GlideFrames);
  for (int position = FXProgress::GlideFrames - 1; position >= 0; --position)
    frames.push_back(100.0f * position / FXProgress::GlideFrames);

  std::size_t next = 0;
  for (auto _ : state) {
    bar->SetValue(frames[next]);
    form->Update();
    next = (next + 1) % frames.size();
  }
}
BENCHMARK(BM_ProgressGlideFrame)->Unit(benchmark::kMicrosecond);

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// What an endless (Intermediate) progress bar costs while it runs: the process's processor time
// (user and system, every thread) against the wall time of a fixed number of its frames. Each
// iteration runs the application loop until the bar has moved that many more times (a frame moves the
// bar; the loop asks after every call a worker hands it); the counters give the processor time per
// frame, the share of one core the running bar takes, and how often the bar repaints its buffer per
// frame.
void BM_IntermediateProgressCpu(benchmark::State& state) {
  const auto frames = static_cast<int>(state.range(0));
  TSolo<FXProgress> solo(Rect(200, 220, 534, 240));
  FXProgress& bar = *solo.Control;
  int painted = 0;
  bar.OnPaintBuffer = [&painted](FXControl*) { ++painted; };
  bar.SetProgressKind(FXProgressKind::Intermediate);
  double cpu = 0, wall = 0;
  int moved = 0, paints = 0;
  for (auto _ : state) {
    int moves = 0;
    std::int32_t offset = bar.Offset();
    const int paintedBefore = painted;
    const double cpuStart = ProcessCpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    const bool done = ui::Application().RunUntil(
        [&] {
          if (bar.Offset() != offset) {
            offset = bar.Offset();
            ++moves;
          }
          return moves >= frames;
        },
        std::chrono::minutes(1));
    cpu += ProcessCpuSeconds() - cpuStart;
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    moved += moves;
    paints += painted - paintedBefore;
    if (!done) {
      state.SkipWithError("the bar stopped moving");
      break;
    }
  }
  bar.SetProgressKind(FXProgressKind::Normal);
  if (moved == 0 || wall <= 0) return;
  state.counters["cpu_us_per_frame"] = benchmark::Counter(cpu / moved * 1e6);
  state.counters["wall_ms_per_frame"] = benchmark::Counter(wall / moved * 1e3);
  state.counters["core_share_pct"] = benchmark::Counter(cpu / wall * 100);
  state.counters["paints_per_frame"] = benchmark::Counter(double(paints) / moved);
}
BENCHMARK(BM_IntermediateProgressCpu)->Arg(100)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The theme manager reads the registry store: one of the run's own keeps the user's untouched.
  std::string store = (std::filesystem::temp_directory_path() / "lux-bench-XXXXXX").string();
  if (!mkdtemp(store.data())) {
    std::perror("lux_bench: cannot make a temporary folder");
    return 1;
  }
  platform::SetEnv("VEL_REGISTRY_DIR", store);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(store, ignored);
  return 0;
}
