// The installation log that "-log FILE" asks for: every console line, each step with its time, and the
// cause of a failure, whether or not a console is there to see them.
#pragma once

#include <string>

namespace installer {

// Starts appending to the file (created when missing); false when it cannot be written.
bool OpenLog(const std::string& Path);
// One line, stamped with the milliseconds since the log was opened; nothing without a log.
void LogLine(const std::string& Text);

}  // namespace installer
