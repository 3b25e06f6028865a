// The installation engine: five steps, Prepare, Export, Extract, Write and Verify.
#pragma once

#include <cstdint>

namespace installer {

// Runs step 1 to 5; any other number does nothing. A step that fails sets InstallFailed and returns;
// only the errors the steps do not guard (looking up the carried data, opening the archive, deleting
// it, creating the shortcuts) reach the caller.
void RunInstallStep(std::int32_t Step);

}  // namespace installer
