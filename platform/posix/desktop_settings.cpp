// The desktop's appearance preferences, read from the settings portal through the gdbus tool by a
// worker of their own: the theme is polled ten times a second on the user-interface thread, and a
// portal question costs a process and can be slow, so a poll only ever reads the last answer.
#include "desktop_settings.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <condition_variable>
#include <mutex>
#include <regex>
#include <string>
#include <thread>

extern char** environ;

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
// An answer serves for a second before the next poll asks the desktop again.
constexpr auto kKeepFor = std::chrono::seconds(1);
// The first question is asked while the program starts, before any window shows: it may wait this
// long so the first window already wears the desktop's theme.
constexpr auto kFirstAnswerWithin = std::chrono::seconds(1);
// gdbus gives up on the portal after a second of its own; a tool that hangs far beyond is let go.
constexpr int kAnswerWithinMs = 10000;

struct Settings {
  std::optional<bool> dark;
  std::optional<std::uint32_t> accent;
};

class DesktopReader {
 public:
  DesktopReader() : worker_([this] { Run(); }) {}
  ~DesktopReader() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      // Still unreaped while recorded, so the id cannot belong to another process yet.
      if (child_ > 0) kill(child_, SIGKILL);
      changed_.notify_all();
    }
    worker_.join();
  }

  Settings Current() {
    std::unique_lock lock(mutex_);
    if (!answered_ && !waitedForFirst_) {
      waitedForFirst_ = true;
      changed_.wait_for(lock, kFirstAnswerWithin, [&] { return answered_; });
    } else if (answered_ && !busy_ && Clock::now() - read_ >= kKeepFor) {
      AskLocked();
    }
    return settings_;
  }

 private:
  void AskLocked() {
    wanted_ = true;
    changed_.notify_all();
  }

  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [&] { return wanted_ || stopping_; });
      if (stopping_) return;
      wanted_ = false;
      busy_ = true;
      lock.unlock();
      Settings fresh = Read();
      lock.lock();
      busy_ = false;
      if (stopping_) return;
      settings_ = fresh;
      read_ = Clock::now();
      answered_ = true;
      changed_.notify_all();
    }
  }

  Settings Read() {
    Settings s;
    std::smatch m;
    // Both settings come in one answer, "({'org.freedesktop.appearance': {'color-scheme': <uint32 1>,
    // 'accent-color': <(0.2, 0.5, 0.8)>}},)": one process instead of one per setting, which the first
    // window would otherwise wait for in turn.
    const std::string answer = ReadAppearance();
    // 1 prefers dark, 2 prefers light, 0 states nothing.
    if (std::regex_search(answer, m, std::regex(R"('color-scheme': <uint32 (\d+)>)"))) {
      if (m[1] == "1") s.dark = true;
      if (m[1] == "2") s.dark = false;
    }
    // Red, green and blue from 0 to 1; outside that range means no accent.
    if (std::regex_search(answer, m, std::regex(R"('accent-color': <\(([-\d.e]+), ([-\d.e]+), ([-\d.e]+)\)>)"))) {
      double rgb[3] = {std::stod(m[1]), std::stod(m[2]), std::stod(m[3])};
      bool inRange = true;
      for (double v : rgb) inRange = inRange && v >= 0 && v <= 1;
      if (inRange) {
        auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(v * 255)); };
        s.accent = byte(rgb[0]) | byte(rgb[1]) << 8 | byte(rgb[2]) << 16;
      }
    }
    return s;
  }

  // The portal's appearance settings, as gdbus prints them; empty when there are none.
  std::string ReadAppearance() {
    if (!SessionBusThere()) return {};
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const char* argv[] = {"gdbus", "call", "--session", "--timeout", "1",
                          "--dest", "org.freedesktop.portal.Desktop",
                          "--object-path", "/org/freedesktop/portal/desktop",
                          "--method", "org.freedesktop.portal.Settings.ReadAll",
                          "['org.freedesktop.appearance']", nullptr};
    pid_t pid = 0;
    int rc;
    {
      std::lock_guard lock(mutex_);
      if (stopping_) rc = -1;
      // Found on PATH: a desktop without the tool simply states no preference.
      else if ((rc = posix_spawnp(&pid, "gdbus", &actions, nullptr, const_cast<char**>(argv), environ)) == 0)
        child_ = pid;
    }
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
      {
        std::lock_guard lock(mutex_);
        kill(pid, SIGKILL);
        child_ = -1;
      }
      waitpid(pid, nullptr, 0);
    }
    close(fds[0]);
    return answer;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  Settings settings_;
  Clock::time_point read_{};
  bool answered_ = false;
  bool waitedForFirst_ = false;
  bool wanted_ = true;  // the first question goes out at once
  bool busy_ = false;
  bool stopping_ = false;
  pid_t child_ = -1;
  std::thread worker_;  // last: it starts once everything above is in place
};

// Process-wide on purpose: one reader serves every accessor, and the registry asks it by value name.
DesktopReader& Reader() {
  static DesktopReader reader;
  return reader;
}

}  // namespace

// The portal is a service on the session's message bus. Without one (no address given and no bus in
// the runtime folder) there is no one to ask, and gdbus would try to launch a bus of its own, which
// can outlive the program.
bool SessionBusThere() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address && *address) return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st;
  return runtime && *runtime && stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

// Without a session bus there is no reader either: no thread is started for a question with no one
// to answer it.
std::optional<bool> DesktopPrefersDark() {
  if (!SessionBusThere()) return std::nullopt;
  return Reader().Current().dark;
}

std::optional<std::uint32_t> DesktopAccentColor() {
  if (!SessionBusThere()) return std::nullopt;
  return Reader().Current().accent;
}

}  // namespace platform
