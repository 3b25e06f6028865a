// Whether another copy of the same executable file is already running.
#pragma once

#include <string>

namespace vel {

// Derived once from the executable's full path, then kept for the process's life.
const std::string& InstanceName();
bool HasOtherInstance();

// The name rules applied to a path (exposed so they can be checked on chosen paths).
std::string MakeInstanceName(const std::string& executablePath);

}  // namespace vel
