// The running-process check: a running copy of the application holds the wizard on its processes page.
#pragma once

namespace installer {

// Finds the first process whose executable name is the application's, letter case included, and
// keeps it in FoundProcess; FoundProcess keeps what it held when none runs.
bool FindRunningCopy();

}  // namespace installer
