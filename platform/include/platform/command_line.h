// Splitting a command-line string into parameters, by the rules the installer's parameters follow.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Parameters are separated by blanks and control characters; a double quote toggles quoting and is
// removed; there is no escape character, so "C:\My Apps\" stays a folder path with its backslash.
std::vector<std::string> SplitCommandLine(std::string_view line);

}  // namespace platform
