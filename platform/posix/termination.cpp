// SIGTERM and SIGINT through a self-pipe: the handler only writes a byte, a watcher thread answers.
#include "platform/termination.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <thread>
#include <utility>

namespace platform {
namespace {

// A signal handler can reach nothing but process-wide state, so the pipe and the flag live here.
int gPipe[2] = {-1, -1};
volatile sig_atomic_t gRequested = 0;

constexpr char kRequest = 'r';
constexpr char kStop = 's';

void OnSignal(int signal) {
  if (gRequested) {
    // Asked twice: the program did not manage to end, so it ends the way it would have untouched.
    ::signal(signal, SIG_DFL);
    raise(signal);
    return;
  }
  gRequested = 1;
  const int saved = errno;
  const char byte = kRequest;
  [[maybe_unused]] ssize_t written = write(gPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

struct TerminationRequests::Impl {
  std::function<void()> onRequest;
  struct sigaction previousTerm {}, previousInt {};
  std::thread watcher;
};

TerminationRequests::TerminationRequests(std::function<void()> OnRequest) : impl_(std::make_unique<Impl>()) {
  impl_->onRequest = std::move(OnRequest);
  if (pipe2(gPipe, O_CLOEXEC) != 0) throw std::runtime_error("No pipe for the termination signals");
  fcntl(gPipe[1], F_SETFL, O_NONBLOCK);
  gRequested = 0;
  impl_->watcher = std::thread([impl = impl_.get(), in = gPipe[0]] {
    for (;;) {
      char byte = 0;
      const ssize_t n = read(in, &byte, 1);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0 || byte == kStop) return;
      impl->onRequest();
    }
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  // A signal the program was started with ignored (a background job of a shell without job
  // control ignores SIGINT) stays ignored, as it would have been.
  for (auto [signal, previous] : {std::pair{SIGTERM, &impl_->previousTerm}, std::pair{SIGINT, &impl_->previousInt}}) {
    sigaction(signal, nullptr, previous);
    if (previous->sa_handler != SIG_IGN) sigaction(signal, &action, nullptr);
  }
}

TerminationRequests::~TerminationRequests() {
  sigaction(SIGTERM, &impl_->previousTerm, nullptr);
  sigaction(SIGINT, &impl_->previousInt, nullptr);
  const char byte = kStop;
  while (write(gPipe[1], &byte, 1) < 0 && errno == EINTR) {
  }
  impl_->watcher.join();
  close(gPipe[0]);
  close(gPipe[1]);
  gPipe[0] = gPipe[1] = -1;
}

}  // namespace platform
