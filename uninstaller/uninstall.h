// The uninstaller: removes what the install report in its folder says the installation wrote.
#pragma once

#include <string>

namespace uninstaller {

inline constexpr const char* kReportFileName = "InstallReport.ini";
inline constexpr const char* kUninstallerFileName = "Uninstall.exe";

// Exit codes.
inline constexpr int kExitRemoved = 0;
inline constexpr int kExitFailed = 1;    // a bad report (nothing removed) or something left behind
inline constexpr int kExitDeclined = 2;  // the user answered No (nothing removed)
inline constexpr int kExitNoDisplay = 8;  // nobody could be asked, and -silent was not given (as the installer's)

// Removes the installation in `folder`, the uninstaller's own folder, after checking the whole report
// and, unless `silent`, asking the user. Reports on the console it was started from, otherwise (when
// not silent) in a closing message. The folder's "Uninstall.exe" goes too: removed directly, or, when
// it is the running program, handed last to the system's way of removing a running program's file.
// Answers the exit code.
int RunUninstall(const std::string& folder, bool silent);

// For a run without -silent where nobody can be asked (no desktop or display, no terminal): says so on
// the console it was started from, or else on standard error, and answers kExitNoDisplay. Nothing is
// removed: a script must not take the silence for a removal.
int RefuseWithoutUser();

}  // namespace uninstaller
