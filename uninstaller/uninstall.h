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

// Removes the installation in `folder`, the uninstaller's own folder, after checking the whole report
// and, unless `silent`, asking the user. Reports on the console it was started from, otherwise (when
// not silent) in a closing message. The folder's "Uninstall.exe" goes too: removed directly, or, when
// it is the running program, handed last to the system's way of removing a running program's file.
// Answers the exit code.
int RunUninstall(const std::string& folder, bool silent);

}  // namespace uninstaller
