// How the installer ends: its exit codes, the restart with administrator rights, closing the window
// or the process, and what follows a finished installation.
#pragma once

#include <string>

namespace installer {

// Ends the process with the exit code once it reaches the program's entry. Not a std::exception, so
// no guard of a step or the loop's error report can swallow it.
struct TEndProcess {
  int ExitCode = 0;
  explicit TEndProcess(int code) : ExitCode(code) {}
};

// Exit codes, one per outcome, so that a deployment tool can tell them apart (the README's table).
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitInstallFailed = 1;
inline constexpr int ExitBadParameter = 2;
inline constexpr int ExitNewerInstalled = 3;
// The application is running from where it would be replaced.
inline constexpr int ExitApplicationRunning = 4;
inline constexpr int ExitAnotherInstance = 5;
// Not enough room on the install folder's volume, found before anything was written or when a write
// ran out of it.
inline constexpr int ExitDiskFull = 6;
inline constexpr int ExitDeclined = 7;
// An interactive run where no window can be shown.
inline constexpr int ExitNoDisplay = 8;

[[noreturn]] void RestartAsAdmin(std::string ExtraParameter);
// Schedules the self-deletion when asked, then closes the window or ends the process with the code.
void CloseInstaller(int exitCode = ExitSuccess);
void DoAfterFinish();
void StartProgramAndClose();
// Ends the process with the code once the exception reaches the program's entry.
[[noreturn]] void EndProcess(int code);

}  // namespace installer
