// Removing the running program's own file, for a program that uninstalls itself.
#pragma once

#include <string>

namespace platform {

// Removes the running executable's file and then `folder`, only when that folder is empty by then.
// Where a running program's file may go (Linux) both happen now, and a failure to remove the file
// (or an empty folder) throws std::system_error. Where it may not (Windows) a hidden command
// processor does both a moment after this process has ended; that cannot be watched, so nothing is
// reported. Call it last, just before the program returns.
void DeleteOwnExecutableLater(const std::string& folder);

}  // namespace platform
