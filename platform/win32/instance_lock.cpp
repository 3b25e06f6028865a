// Windows: the named lock is a semaphore in the logon session's namespace.
#include "platform/instance_lock.h"

#include <windows.h>

#include <map>
#include <vector>

#include "platform/text.h"

namespace platform {
namespace {

// The handles this process holds each name through: the name lives as long as any handle to it.
std::map<std::string, std::vector<HANDLE>>& Held() {
  static std::map<std::string, std::vector<HANDLE>> held;
  return held;
}

}  // namespace

bool JoinNamedLock(const std::string& name) {
  std::u16string wideName = Utf8ToUtf16(name);
  HANDLE semaphore =
      CreateSemaphoreW(nullptr, 0, 1, reinterpret_cast<const wchar_t*>(wideName.c_str()));
  if (!semaphore) return false;
  bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  Held()[name].push_back(semaphore);
  // Never closed: the handle is what keeps the name alive, and it must stay alive until the process
  // ends so that later copies of the program see this one. The system closes it at exit.
  return existed;
}

void LeaveNamedLock(const std::string& name) {
  auto found = Held().find(name);
  if (found == Held().end()) return;
  for (HANDLE handle : found->second) CloseHandle(handle);
  Held().erase(found);
}

bool NamedLockHeld(const std::string& name) {
  std::u16string wideName = Utf8ToUtf16(name);
  HANDLE semaphore = OpenSemaphoreW(SYNCHRONIZE, FALSE, reinterpret_cast<const wchar_t*>(wideName.c_str()));
  if (!semaphore) return false;
  CloseHandle(semaphore);
  return true;
}

}  // namespace platform
