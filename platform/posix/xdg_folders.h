// The user's folders as the XDG rules give them: home, the base folders, and the user directories.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace platform {

std::string HomeFolder();

// An XDG base folder: the variable's value, or `underHome` below the home folder when the variable is
// unset or relative (relative values are invalid by the XDG rules).
std::string XdgBase(const char* variable, const char* underHome);

// The Windows shell folder names ("Desktop", "Personal", "AppData", ...) each with the folder that
// stands for it here: the user directories of user-dirs.dirs, or the XDG defaults.
std::vector<std::pair<std::string, std::string>> ShellFolders();

}  // namespace platform
