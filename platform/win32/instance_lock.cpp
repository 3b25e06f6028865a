// Windows: the named lock is a semaphore in the logon session's namespace.
#include "platform/instance_lock.h"

#include <windows.h>

#include "platform/text.h"

namespace platform {

bool JoinNamedLock(const std::string& name) {
  std::u16string wideName = Utf8ToUtf16(name);
  HANDLE semaphore =
      CreateSemaphoreW(nullptr, 0, 1, reinterpret_cast<const wchar_t*>(wideName.c_str()));
  if (!semaphore) return false;
  bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  // Never closed: the handle is what keeps the name alive, and it must stay alive until the process
  // ends so that later copies of the program see this one. The system closes it at exit.
  return existed;
}

}  // namespace platform
