// Shortcuts: Windows shell links (.lnk); freedesktop desktop entries (.desktop) on Linux.
#pragma once

#include <string>

namespace platform {

// The file name suffix of a shortcut on this system.
#ifdef _WIN32
inline constexpr const char* kShortcutSuffix = ".lnk";
#else
inline constexpr const char* kShortcutSuffix = ".desktop";
#endif

// Writes a shortcut to `target` at `linkFile`, replacing an existing file; the working folder is the
// folder of `target`. Throws std::runtime_error only when the shortcut object cannot be created.
void CreateShortcut(const std::string& target, const std::string& linkFile,
                    const std::string& description, const std::string& arguments);

// The program a shortcut starts, as written by CreateShortcut; empty when `linkFile` is no shortcut
// that can be read.
std::string ShortcutTarget(const std::string& linkFile);

}  // namespace platform
