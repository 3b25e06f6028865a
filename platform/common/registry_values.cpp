// Several values of a key written one after the other, where the system's registry offers no change
// of several values at once to an ordinary program.
#include "platform/registry.h"

namespace platform {

void RegistryKey::WriteValues(const std::vector<std::pair<std::string, RegValue>>& values) {
  for (const auto& [name, value] : values) WriteValue(name, value);
}

}  // namespace platform
