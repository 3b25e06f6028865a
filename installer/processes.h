// The running-process check: a running copy of the application holds the wizard on its processes page.
#pragma once

#include <string>

namespace installer {

// Finds the first process whose executable name is the application's, letter case included, and
// keeps it in FoundProcess; FoundProcess keeps what it held when none runs.
bool FindRunningCopy();
// Finds a running copy started from the application's executable in `folder`, the one an installation
// there would replace, and keeps it in FoundProcess. Copies elsewhere, and processes whose executable
// cannot be read, are not taken for it.
bool FindRunningCopyIn(const std::string& folder);

}  // namespace installer
