// Start-up and the command line: the order in which the installer starts, its switches, the silent
// run, the restart with administrator rights, and the ways it closes.
#pragma once

#include <string>

#include "installer/closing.h"
#include "installer/messages.h"

namespace installer {

void ReadCommandLine();

// The whole start-up sequence; answers the process's exit code.
int RunInstaller();

}  // namespace installer
