// The installer window's figures: start to the first painted page, the frames each page slide
// delivers, the longest the user-interface thread is held during an installation, and peak memory.
// Runs on the system's windows when there is a display (under Xvfb, say), else on the headless backend.
// Every folder it touches is a temporary one of its own.
//
//   wizard_bench [--start-ns N] [--slides N] [--only-start]
//   --start-ns: CLOCK_REALTIME in nanoseconds just before the program was started (the bench script
//               passes `date +%s%N`), so the first figure includes starting the process.
//   --only-start: ends after the first painted page (for profiling the start).
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "installer/installer_window.h"
#include "installer/state.h"
#include "lux/button.h"
#include "lux/edit.h"
#include "lux/radio_button.h"
#include "platform/environment.h"
#include "platform/window.h"
#include "ui/application.h"
#include "vel/message.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::int64_t RealtimeNs() {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Processor time of the whole process so far: what a loaded machine does not inflate.
double ProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A line of /proc/self/status, in kB.
long StatusKb(const std::string& key) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind(key + ":", 0) == 0) return std::strtol(line.c_str() + key.size() + 1, nullptr, 10);
  return -1;
}

fs::path IsolatedHome() {
  char pattern[] = "/tmp/wizard-bench-XXXXXX";
  fs::path home = mkdtemp(pattern);
  for (const char* sub : {".local/share", ".config", "run", "registry", "Desktop"}) fs::create_directories(home / sub);
  fs::permissions(home / "run", fs::perms::owner_all, fs::perm_options::replace);
  platform::SetEnv("HOME", home.string());
  platform::SetEnv("XDG_DATA_HOME", (home / ".local/share").string());
  platform::SetEnv("XDG_CONFIG_HOME", (home / ".config").string());
  platform::SetEnv("XDG_RUNTIME_DIR", (home / "run").string());
  platform::SetEnv("VEL_REGISTRY_DIR", (home / "registry").string());
  return home;
}

}  // namespace

int main(int argc, char** argv) {
  std::int64_t startNs = 0;
  int slides = 10;
  bool onlyStart = false;
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) == "--only-start") onlyStart = true;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--start-ns") startNs = std::atoll(argv[i + 1]);
    if (arg == "--slides") slides = std::max(1, std::atoi(argv[i + 1]));
  }
  const Clock::time_point mainEntered = Clock::now();
  const fs::path home = IsolatedHome();
  bool system = false;
  try {
    platform::SetWindowBackend(platform::CreateSystemBackend());
    system = true;
  } catch (const std::exception&) {
    // The headless backend paints the same buffers; only nothing shows them.
  }
  // The wizard's questions are answered without anyone at the screen.
  vel::SetMessageRoutine([](const std::string&, const std::string&, vel::TMsgButtons) { return vel::mrOk; });

  using namespace installer;
  SetDefaults();
  IsElevated = false;
  double firstPage = 0, sinceStart = -1, cpuToFirstPage = 0;
  {
    TInstaller window(nullptr);
    window.Show();
    window.Repaint();
    firstPage = Ms(Clock::now() - mainEntered);
    cpuToFirstPage = ProcessCpuMs();
    if (onlyStart) {
      std::printf("window made, shown and painted (from main): %.1f ms; processor time of the process until then: %.1f ms\n",
                  firstPage, cpuToFirstPage);
      if (sinceStart >= 0) std::printf("process start to first painted page: %.1f ms\n", sinceStart);
      return 0;
    }
    if (startNs > 0) sinceStart = double(RealtimeNs() - startNs) / 1e6;
    ui::Application().RunUntil([&] { return !window.Sliding(); }, std::chrono::seconds(10));

    // Page slides between the licence and the settings page, each let run to its end.
    window.License_Agree->SetChecked(true);
    window.Navigation_Next->Click();
    ui::Application().RunUntil([&] { return !window.Sliding(); }, std::chrono::seconds(10));
    std::vector<int> frames;
    std::vector<double> durations;
    for (int i = 0; i < slides; ++i) {
      const int before = window.SlideFrames();
      const Clock::time_point t = Clock::now();
      (i % 2 == 0 ? window.Navigation_Previous : window.Navigation_Next)->Click();
      ui::Application().RunUntil([&] { return !window.Sliding(); }, std::chrono::seconds(10));
      durations.push_back(Ms(Clock::now() - t));
      frames.push_back(window.SlideFrames() - before);
    }
    if (CurrentPage != 5) {
      window.Navigation_Next->Click();
      ui::Application().RunUntil([&] { return !window.Sliding(); }, std::chrono::seconds(10));
    }

    // The installation, with the timer the window runs it on; each tick holds the thread for its step.
    window.Option_SetPath->SetText((home / "Apps" / "Quarrow Studio").string());
    window.Navigation_Next->Click();
    std::vector<double> ticks;
    auto& timer = window.Wizard().InstallTick();
    auto step = timer.OnTimer;
    timer.OnTimer = [&] {
      const Clock::time_point t = Clock::now();
      step();
      ticks.push_back(Ms(Clock::now() - t));
    };
    const Clock::time_point installStart = Clock::now();
    window.Navigation_Install->Click();
    ui::Application().RunUntil([&] { return CurrentPage != 7; }, std::chrono::seconds(60));
    const double installMs = Ms(Clock::now() - installStart);

    const auto [shortest, longest] = std::minmax_element(frames.begin(), frames.end());
    std::sort(durations.begin(), durations.end());
    std::printf("backend: %s\n", system ? "system windows" : "headless (no display)");
    if (sinceStart >= 0) std::printf("process start to first painted page: %.1f ms (goal < 100 ms)\n", sinceStart);
    std::printf("window made, shown and painted (from main): %.1f ms; processor time of the process until then: %.1f ms\n",
                firstPage, cpuToFirstPage);
    std::printf("page slides: %d, frames delivered per slide %d..%d (20 steps + the final value), median slide %.1f ms "
                "(100 ms by design)\n",
                slides, *shortest, *longest, durations[durations.size() / 2]);
    std::printf("installation on the window's timer: %s, %.0f ms, %zu ticks; longest tick (the thread held): %.1f ms\n",
                CurrentPage == 8 ? "succeeded" : "FAILED", installMs, ticks.size(),
                ticks.empty() ? 0.0 : *std::max_element(ticks.begin(), ticks.end()));
    std::printf("peak resident memory: %ld kB; private (anonymous) now: %ld kB\n", StatusKb("VmHWM"), StatusKb("RssAnon"));
    window.Close();
  }
  std::error_code ec;
  fs::remove_all(home, ec);
  return CurrentPage == 8 ? 0 : 1;
}
