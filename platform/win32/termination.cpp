// Ctrl+C, Ctrl+Break and closing the console, answered through a console control handler (the
// system runs it on a thread of its own).
#include "platform/termination.h"

#include <windows.h>

#include <atomic>

namespace platform {
namespace {

// The system calls the handler without any context, so the one watching lives here.
std::function<void()>* gOnRequest = nullptr;
std::atomic<bool> gRequested{false};

BOOL WINAPI OnControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT) return FALSE;
  // Asked twice: let the system end the process as it would have.
  if (gRequested.exchange(true) || !gOnRequest) return FALSE;
  (*gOnRequest)();
  return TRUE;
}

}  // namespace

struct TerminationRequests::Impl {
  std::function<void()> onRequest;
};

TerminationRequests::TerminationRequests(std::function<void()> OnRequest) : impl_(std::make_unique<Impl>()) {
  impl_->onRequest = std::move(OnRequest);
  gRequested = false;
  gOnRequest = &impl_->onRequest;
  SetConsoleCtrlHandler(OnControl, TRUE);
}

TerminationRequests::~TerminationRequests() {
  SetConsoleCtrlHandler(OnControl, FALSE);
  gOnRequest = nullptr;
}

}  // namespace platform
