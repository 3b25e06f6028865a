// The single-instance guard: a process-lifetime named lock derived from the executable's path.
#include "vel/instances.h"

#include "platform/instance_lock.h"
#include "platform/process.h"
#include "platform/text.h"

namespace vel {

std::string MakeInstanceName(const std::string& executablePath) {
  std::string name;
  for (char c : executablePath) {
    if (c == ':') continue;
    name += (c == '.' || c == '\\' || c == '/') ? '_' : c;
  }
  std::u16string units = platform::Utf8ToUtf16(name);
  constexpr std::size_t kLimit = 100;
  // Keeps the 100 units from position length - 100 (counted from 1): the very last one is dropped too.
  if (units.size() > kLimit) units = units.substr(units.size() - kLimit - 1, kLimit);
  return platform::Utf16ToUtf8(units);
}

const std::string& InstanceName() {
  static const std::string name = MakeInstanceName(platform::ExecutablePath());
  return name;
}

bool HasOtherInstance() { return platform::JoinNamedLock(InstanceName()); }

}  // namespace vel
