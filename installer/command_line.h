// Start-up and the command line: the order in which the installer starts, its switches, the silent
// run, the restart with administrator rights, and the ways it closes.
#pragma once

#include <string>

#include "vel/message.h"

namespace installer {

// Ends the process with the exit code once it reaches the program's entry. Not a std::exception, so
// no guard of a step or the loop's error report can swallow it.
struct TEndProcess {
  int ExitCode = 0;
  explicit TEndProcess(int code) : ExitCode(code) {}
};

// Exit codes: a failed silent installation and a refused switch are told apart from success.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitInstallFailed = 1;
inline constexpr int ExitBadParameter = 2;

enum class TDialogButtons { OK, YesNo };

// The installer's one way to ask or tell the user; a question nobody can answer is answered No.
int MessageDialog(const std::string& Title, const std::string& Text, TDialogButtons Buttons);
// One line on the console the installer was started from; nothing when it was not.
void ConsoleLine(const std::string& Text);

void ReadCommandLine();
[[noreturn]] void RestartAsAdmin(std::string ExtraParameter);
// Schedules the self-deletion when asked, then closes the window or ends the process with the code.
void CloseInstaller(int exitCode = ExitSuccess);
void DoAfterFinish();
void StartProgramAndClose();

// The whole start-up sequence; answers the process's exit code.
int RunInstaller();

// The installer window as start-up and closing see it; none until the window exists.
class TInstallerWindow {
 public:
  virtual ~TInstallerWindow() = default;
  virtual bool WindowVisible() const = 0;
  virtual void CloseWindow() = 0;
  // Runs the window's message loop until it closes.
  virtual void Run() = 0;
};
// Set while the window exists.
extern TInstallerWindow* InstallerWindow;

}  // namespace installer
