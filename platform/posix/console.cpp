// The console on Linux: a program inherits its parent's terminal, so attaching needs nothing.
#include "platform/console.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>
#include <system_error>

namespace platform {

void AttachParentConsole() {}

void ReleaseConsole() {}

namespace {

// A reader that went away (`| head -1`) must not end the program with SIGPIPE: the signal is held
// back while writing, and the one the write raised is taken off before the mask returns.
class TQuietPipe {
 public:
  TQuietPipe() {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &old_);
    sigset_t pending;
    sigpending(&pending);
    wasPending_ = sigismember(&pending, SIGPIPE) == 1;
  }
  ~TQuietPipe() {
    if (raised_ && !wasPending_) {
      sigset_t pipe;
      sigemptyset(&pipe);
      sigaddset(&pipe, SIGPIPE);
      const timespec now{0, 0};
      while (sigtimedwait(&pipe, nullptr, &now) == -1 && errno == EINTR) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  TQuietPipe(const TQuietPipe&) = delete;
  TQuietPipe& operator=(const TQuietPipe&) = delete;
  void Raised() { raised_ = true; }

 private:
  sigset_t old_{};
  bool wasPending_ = false;
  bool raised_ = false;
};

}  // namespace

void WriteConsoleLine(std::string_view text) {
  std::string line(text);
  line += '\n';
  const char* p = line.data();
  std::size_t left = line.size();
  TQuietPipe quiet;
  while (left > 0) {
    ssize_t n = write(STDOUT_FILENO, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EPIPE) quiet.Raised();
      throw std::system_error(errno, std::generic_category(), "standard output");
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

}  // namespace platform
