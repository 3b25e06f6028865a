// The gallery's figures on the system's windows: process start to the first frame presented to the
// system, and a full repaint of the first window, with and without handing the picture to the system.
#ifndef _WIN32
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "gallery_window.h"
#include "platform/window.h"
#include "ui/application.h"
#include "ui/controls.h"

// After the framework's headers: its names (WM_USER, say) are macros in the system's.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace {

constexpr const char* kHelp =
    "Usage: gallery_bench [--rounds N]\n"
    "Opens the gallery's first window on the system's windows (it needs a display) and prints:\n"
    "  the time from the process's start, as the system records it, to the first frame presented to\n"
    "  the system, and the processor time spent until then (Linux counts the start in ticks of 10 ms);\n"
    "  a full repaint (every control invalidated, the window painted at once), N rounds (default 50):\n"
    "  the median and the fastest, with the picture presented and without (painted only).\n"
    "Nothing is checked: the figures are for people. Exits 0 once they are printed.";

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

#ifdef _WIN32
double FileTimeMs(const FILETIME& t) {
  return double((std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
}

// Milliseconds since the system made the process, and the processor time it has had.
void ProcessClock(double& sinceStart, double& processor) {
  FILETIME creation{}, ended{}, kernel{}, user{}, now{};
  GetProcessTimes(GetCurrentProcess(), &creation, &ended, &kernel, &user);
  GetSystemTimePreciseAsFileTime(&now);
  sinceStart = FileTimeMs(now) - FileTimeMs(creation);
  processor = FileTimeMs(kernel) + FileTimeMs(user);
}
#else
// Milliseconds since the system made the process, and the processor time it has had. The start is
// field 22 of /proc/self/stat, in clock ticks since boot; the name before it may hold spaces and
// brackets, so the fields are counted from its last ')'.
void ProcessClock(double& sinceStart, double& processor) {
  std::ifstream in("/proc/self/stat");
  std::string stat;
  std::getline(in, stat);
  std::istringstream fields(stat.substr(stat.rfind(')') + 1));
  std::string field;
  for (int i = 3; i < 22; ++i) fields >> field;
  unsigned long long startTicks = 0;
  fields >> startTicks;
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  sinceStart = now.tv_sec * 1e3 + now.tv_nsec / 1e6 - double(startTicks) * 1e3 / double(sysconf(_SC_CLK_TCK));
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  processor = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}
#endif

// What the windows below saw of the frames the toolkit presented.
struct TFrames {
  // Off: the toolkit paints as ever but the picture is not handed to the system.
  bool present = true;
  int presented = 0;
  double firstSinceStart = -1, firstProcessor = -1;
};

// The system's window, passed every call; the first picture it shows while visible is the first frame.
class TWatchedWindow final : public platform::Window {
 public:
  TWatchedWindow(std::unique_ptr<platform::Window> inner, TFrames& frames) : inner_(std::move(inner)), frames_(frames) {}

  void Present(const platform::PixelBuffer& image) override {
    if (!frames_.present) return;
    inner_->Present(image);
    ++frames_.presented;
    if (frames_.firstSinceStart < 0 && inner_->Visible()) ProcessClock(frames_.firstSinceStart, frames_.firstProcessor);
  }
  platform::WindowRect Bounds() const override { return inner_->Bounds(); }
  void SetBounds(const platform::WindowRect& bounds) override { inner_->SetBounds(bounds); }
  void SetCaption(const std::string& caption) override { inner_->SetCaption(caption); }
  void SetVisible(bool visible) override { inner_->SetVisible(visible); }
  bool Visible() const override { return inner_->Visible(); }
  void SetAlpha(std::uint8_t alpha) override { inner_->SetAlpha(alpha); }
  void SetStayOnTop(bool onTop) override { inner_->SetStayOnTop(onTop); }
  void Activate() override { inner_->Activate(); }
  void SetCapture(bool captured) override { inner_->SetCapture(captured); }
  void SetCursor(platform::Cursor cursor) override { inner_->SetCursor(cursor); }
  void SetDecorated(bool decorated) override { inner_->SetDecorated(decorated); }
  void SetResizable(bool resizable) override { inner_->SetResizable(resizable); }
  void SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) override {
    inner_->SetSizeLimits(minWidth, minHeight, maxWidth, maxHeight);
  }
  void SetShadow(bool shadow) override { inner_->SetShadow(shadow); }
  void SetPopup(bool popup) override { inner_->SetPopup(popup); }
  platform::WindowRect MonitorBounds() const override { return inner_->MonitorBounds(); }
  bool SetTransparentColor(bool enabled, std::uint32_t color) override { return inner_->SetTransparentColor(enabled, color); }
  void SetMenu(bool menu) override { inner_->SetMenu(menu); }

 private:
  std::unique_ptr<platform::Window> inner_;
  TFrames& frames_;
};

// The system's backend, its windows watched.
class TWatchedBackend final : public platform::WindowBackend {
 public:
  TWatchedBackend(std::unique_ptr<platform::WindowBackend> inner, TFrames& frames) : inner_(std::move(inner)), frames_(frames) {}

  const char* Name() const override { return inner_->Name(); }
  std::unique_ptr<platform::Window> MakeWindow(platform::WindowInput& input) override {
    return std::make_unique<TWatchedWindow>(inner_->MakeWindow(input), frames_);
  }
  bool Pumps() const override { return inner_->Pumps(); }
  bool PumpEvents(int timeoutMs) override { return inner_->PumpEvents(timeoutMs); }
  void Wake() override { inner_->Wake(); }
  std::string ClipboardText() override { return inner_->ClipboardText(); }
  void SetClipboardText(const std::string& text) override { inner_->SetClipboardText(text); }
  std::optional<platform::ScreenPoint> PointerPosition() override { return inner_->PointerPosition(); }
  std::optional<platform::ScreenArea> VirtualDesktop() override { return inner_->VirtualDesktop(); }
  bool CaptureScreen(const platform::ScreenArea& area, platform::ScreenImage& image) override {
    return inner_->CaptureScreen(area, image);
  }

 private:
  std::unique_ptr<platform::WindowBackend> inner_;
  TFrames& frames_;
};

// Buffered controls keep their picture until they are invalidated themselves: a full repaint
// invalidates every one.
void InvalidateAll(ui::TControl& control) {
  control.Invalidate();
  if (auto* parent = dynamic_cast<ui::TWinControl*>(&control))
    for (int i = 0; i < parent->ControlCount(); ++i) InvalidateAll(*parent->Controls(i));
}

// The median and the fastest of `rounds` full repaints.
std::pair<double, double> Repaints(ui::TForm& form, int rounds) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    const Clock::time_point start = Clock::now();
    InvalidateAll(form);
    form.Repaint();
    times.push_back(Ms(Clock::now() - start));
  }
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times.front()};
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 50;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      std::puts(kHelp);
      return 0;
    }
    if (arg == "--rounds" && i + 1 < argc) {
      rounds = std::atoi(argv[++i]);
      if (rounds >= 1) continue;
    }
    std::fprintf(stderr, "gallery_bench: bad option %s (--help says what it takes)\n", arg.c_str());
    return 2;
  }
  // It outlives main's scope: the backend that writes to it lives until the process ends.
  static TFrames frames;
  try {
    platform::SetWindowBackend(std::make_unique<TWatchedBackend>(platform::CreateSystemBackend(), frames));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "gallery_bench: %s\n", error.what());
    return 1;
  }
  ui::Application();
  gallery::TGalleryWindow window([] {});
  window.SetPosition(ui::TPosition::poScreenCenter);
  window.Show();
  // Show paints and presents; a system that shows the window later is waited for as the loop would.
  ui::Application().RunUntil([&] { return frames.firstSinceStart >= 0; }, std::chrono::seconds(30));
  if (frames.firstSinceStart < 0) {
    std::fprintf(stderr, "gallery_bench: the window presented no frame while shown\n");
    return 1;
  }
  std::printf("backend: %s, window %dx%d, %d rounds\n", platform::CurrentWindowBackend().Name(), window.Width(),
              window.Height(), rounds);
  std::printf("process start to first presented frame: %.1f ms\n", frames.firstSinceStart);
  std::printf("processor time until the first frame: %.1f ms\n", frames.firstProcessor);
  // What the system sends once the window shows (its size, its exposure) is taken before the rounds.
  ui::Application().RunUntil([] { return false; }, std::chrono::milliseconds(300));
  const auto [presentedMedian, presentedFastest] = Repaints(window, rounds);
  std::printf("full repaint, presented: median %.2f ms, fastest %.2f ms\n", presentedMedian, presentedFastest);
  frames.present = false;
  const auto [paintedMedian, paintedFastest] = Repaints(window, rounds);
  frames.present = true;
  std::printf("full repaint, painted only: median %.2f ms, fastest %.2f ms\n", paintedMedian, paintedFastest);
  std::fflush(stdout);
  window.Close();
  return 0;
}
