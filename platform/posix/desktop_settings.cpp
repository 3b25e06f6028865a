// The desktop's appearance preferences, read from the settings portal through the gdbus tool and
// kept for a second: the theme is polled ten times a second, a portal question costs a process.
#include "desktop_settings.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <mutex>
#include <regex>
#include <string>

extern char** environ;

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kKeepFor = std::chrono::seconds(1);
constexpr int kAnswerWithinMs = 1000;

// The portal's answer to one Settings.Read, as gdbus prints it; empty when there is none.
std::string ReadSetting(const char* key) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const char* argv[] = {"gdbus", "call", "--session", "--timeout", "1",
                        "--dest", "org.freedesktop.portal.Desktop",
                        "--object-path", "/org/freedesktop/portal/desktop",
                        "--method", "org.freedesktop.portal.Settings.Read",
                        "org.freedesktop.appearance", key, nullptr};
  pid_t pid = 0;
  // Found on PATH: a desktop without the tool simply states no preference.
  int rc = posix_spawnp(&pid, "gdbus", &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  std::string answer;
  if (rc == 0) {
    pollfd p{fds[0], POLLIN, 0};
    char buffer[512];
    while (poll(&p, 1, kAnswerWithinMs) > 0) {
      ssize_t n = read(fds[0], buffer, sizeof buffer);
      if (n <= 0) break;
      answer.append(buffer, static_cast<std::size_t>(n));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  close(fds[0]);
  return answer;
}

struct Cached {
  std::optional<bool> dark;
  std::optional<std::uint32_t> accent;
  Clock::time_point read{};
  bool valid = false;
};

// Process-wide on purpose: one answer serves every accessor for a second.
Cached& Cache() {
  static Cached cache;
  return cache;
}
std::mutex& CacheMutex() {
  static std::mutex mutex;
  return mutex;
}

const Cached& Current() {
  Cached& c = Cache();
  if (c.valid && Clock::now() - c.read < kKeepFor) return c;
  c = Cached{};
  std::smatch m;
  // "(<<uint32 1>>,)": 1 prefers dark, 2 prefers light, 0 states nothing.
  std::string scheme = ReadSetting("color-scheme");
  if (std::regex_search(scheme, m, std::regex(R"(uint32 (\d+))"))) {
    if (m[1] == "1") c.dark = true;
    if (m[1] == "2") c.dark = false;
  }
  // "(<<(0.2, 0.5, 0.8)>>,)": red, green and blue from 0 to 1; outside that range means no accent.
  std::string accent = ReadSetting("accent-color");
  if (std::regex_search(accent, m, std::regex(R"(\(([-\d.e]+), ([-\d.e]+), ([-\d.e]+)\))"))) {
    double rgb[3] = {std::stod(m[1]), std::stod(m[2]), std::stod(m[3])};
    bool inRange = true;
    for (double v : rgb) inRange = inRange && v >= 0 && v <= 1;
    if (inRange) {
      auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(v * 255)); };
      c.accent = byte(rgb[0]) | byte(rgb[1]) << 8 | byte(rgb[2]) << 16;
    }
  }
  c.read = Clock::now();
  c.valid = true;
  return c;
}

}  // namespace

std::optional<bool> DesktopPrefersDark() {
  std::lock_guard lock(CacheMutex());
  return Current().dark;
}

std::optional<std::uint32_t> DesktopAccentColor() {
  std::lock_guard lock(CacheMutex());
  return Current().accent;
}

}  // namespace platform
