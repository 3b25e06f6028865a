// The user's folders as the XDG rules give them: home, the base folders, the runtime folder, the user directories.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

std::string HomeFolder();

// An XDG base folder: the variable's value, or `underHome` below the home folder when the variable is
// unset or relative (relative values are invalid by the XDG rules).
std::string XdgBase(const char* variable, const char* underHome);

// A folder of this user's for files that live no longer than the session: `below` in the runtime
// folder (XDG_RUNTIME_DIR) where that can be written in, else "/tmp/<fallback>-<uid>", which keeps
// users apart as logon sessions do. Made (for this user only) when missing.
std::string RuntimeFolder(std::string_view below, std::string_view fallback);

// The Windows shell folder names ("Desktop", "Personal", "AppData", ...) each with the folder that
// stands for it here: the user directories of user-dirs.dirs, or the XDG defaults.
std::vector<std::pair<std::string, std::string>> ShellFolders();

}  // namespace platform
