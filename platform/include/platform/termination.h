// The system's requests to end the process (SIGTERM and SIGINT; Ctrl+C and closing the console on
// Windows), turned into a call a program can answer by ending cleanly.
#pragma once

#include <functional>
#include <memory>

namespace platform {

// While one of these lives, a request to end does not end the process at once: `OnRequest` runs on a
// thread of its own, so it must be safe to call from any thread. A second request before the first
// was answered ends the process as the system would have, so a program stuck somewhere still goes.
// One at a time per process.
class TerminationRequests {
 public:
  explicit TerminationRequests(std::function<void()> OnRequest);
  ~TerminationRequests();
  TerminationRequests(const TerminationRequests&) = delete;
  TerminationRequests& operator=(const TerminationRequests&) = delete;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
