// Start-up and the command line.
#include "installer/command_line.h"

#include <chrono>
#include <thread>

#include "installer/engine.h"
#include "installer/install_path.h"
#include "installer/leftovers.h"
#include "installer/installer_window.h"
#include "installer/log.h"
#include "installer/previous_install.h"
#include "installer/processes.h"
#include "installer/state.h"
#include "platform/files.h"
#include "platform/instance_lock.h"
#include "platform/process.h"
#include "platform/self_delete.h"
#include "vel/console.h"
#include "vel/files.h"
#include "vel/instances.h"
#include "vel/text.h"
#include "vel/types.h"

namespace installer {

namespace {

constexpr const char* kStepNames[] = {"Prepare", "Export", "Extract", "Write", "Verify"};

// The silent run: the five steps without a window, reported on the console (and in the log, each
// step with its time). A failure ends with the line that names its cause.
[[noreturn]] void RunSilently() {
  ConsoleLine("(!) Installation type: silent");
  AfterFinish = TFinishAction::Close;
  // Files of a running program are held open (Windows refuses to replace them half-way through the
  // extraction) or replaced under it; nobody is there to close it, so the run ends before it begins.
  if (FindRunningCopyIn(InstallOptions.InstallPath)) {
    ConsoleLine("<!> Error: " + AppOptions.AppFullName + " is running from \"" + InstallOptions.InstallPath +
                "\" (" + FoundProcess.Module + ", process " + std::to_string(FoundProcess.PID) +
                "); nothing was installed. Close it and start the installer again.");
    CloseInstaller(ExitApplicationRunning);
    EndProcess(ExitApplicationRunning);
  }
  std::string cause;
  for (std::int32_t step = 1; step <= 5; ++step) {
    const auto started = std::chrono::steady_clock::now();
    const bool failedBefore = InstallFailed;
    try {
      if (TempFolder.empty()) TempFolder = DefaultTempFolder();
      RunInstallStep(step);
    } catch (const std::exception& e) {
      if (cause.empty()) cause = e.what();
      if (platform::IsNoSpaceError(e)) NotEnoughSpace = true;
      InstallFailed = true;
    }
    if (InstallFailed && cause.empty()) cause = FailureCause;
    if (InstallFailed && !failedBefore && cause.empty())
      cause = std::string("The ") + kStepNames[step - 1] + " step failed for \"" + InstallOptions.InstallPath + "\"";
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    LogLine(std::string("Step ") + std::to_string(step) + " " + kStepNames[step - 1] + ": " + std::to_string(ms) +
            " ms" + (InstallFailed ? ", failed" : ""));
    // Out of room, every later step would only write more of what cannot be finished.
    if (NotEnoughSpace) break;
    // Without a folder the later steps would address the current folder: stop after the first.
    if (step == 1 && InstallOptions.InstallPath.empty()) {
      if (cause.empty()) cause = "No installation folder: give one with -installpath";
      InstallFailed = true;
      break;
    }
  }
  ConsoleLine(InstallFailed ? "(!) Installation has failed" : "(!) Installation successfull");
  if (InstallFailed) ConsoleLine("<!> Error: " + cause);
  const int code = !InstallFailed ? ExitSuccess : NotEnoughSpace ? ExitDiskFull : ExitInstallFailed;
  CloseInstaller(code);
  EndProcess(code);
}

}  // namespace

void ReadCommandLine() {
  enum class RunMode { None, Normal, Silent } mode = RunMode::None;
  const bool console = vel::sysconsole::ConsoleCalled();
  const int count = vel::ParamCount();

  for (int i = 1; i <= count; ++i) {
    const std::string p = vel::GetParameter(i);
    if (p == "-ad") {
      AutoDelete = true;
    } else if (p == "-force") {
      ForceOverwrite = true;
    } else if (p == "-help") {
      if (console) {
        std::size_t start = 0;
        for (;;) {
          std::size_t end = HelpText.find('\r', start);
          vel::sysconsole::QuickOutput(HelpText.substr(start, end == std::string::npos ? end : end - start));
          if (end == std::string::npos) break;
          start = end + 1;
        }
        vel::sysconsole::Disconnect();
      } else {
        MessageDialog("Help", HelpText, TDialogButtons::OK);
      }
      EndProcess(ExitSuccess);
    } else if (p == "-startafterfinish") {
      AfterFinish = TFinishAction::StartProgram;
    } else if (p == "-user" || p == "-alluser") {
      if (InstallOptions.InstallSupport == TInstallSupport::Both)
        InstallOptions.InstallPick = p == "-user" ? TInstallPick::User : TInstallPick::AllUser;
      else
        ConsoleLine("(!) Installation does not allow changing install type.");
    } else if (p == "-closeafterfinish") {
      AfterFinish = TFinishAction::Close;
    } else if (p == "-start") {
      mode = RunMode::Normal;
    } else if (p == "-silent") {
      mode = RunMode::Silent;
    } else if (p == "-installpath") {
      std::string path = ExpandInstallPath(vel::ParamStr(i + 1));
      std::string trimmed = path;
      if (!trimmed.empty() && trimmed.back() == vel::PathDelim) trimmed.pop_back();
      // The root, the home folder itself, the system's folder and names the system would not keep as
      // written are refused here as the wizard refuses them.
      bool refused = i + 1 > count || path.empty() || !vel::DirectoryExists(vel::ExtractFilePath(trimmed));
      std::string absolute;
      if (!refused) {
        absolute = AbsoluteInstallPath(path);
        refused = !UsableInstallFolder(absolute) || PathInFolder(absolute, vel::ExpandPath("%SYSTEMROOT%"));
      }
      if (refused) {
        if (console)
          ConsoleLine("(!) Attention: The installation path provided is invalid!");
        else
          MessageDialog("Error", "The provided instalation path is invalid!", TDialogButtons::OK);
        EndProcess(ExitBadParameter);
      }
      // A shell's current folder is what a relative folder on its command line means.
      InstallOptions.InstallPath = absolute;
    } else if (p == "-option") {
      std::optional<std::int32_t> number = vel::TryStrToInt(vel::ParamStr(i + 1));
      bool value = vel::TextToBool(vel::ParamStr(i + 2));
      if (!number) {
        if (console)
          ConsoleLine("<!> Error: The provided parameter is incorrect");
        else
          MessageDialog("Error", "The provided parameters are invalid!", TDialogButtons::OK);
        EndProcess(ExitBadParameter);
      }
      if (*number == 1) InstallOptions.Option1 = value;
      if (*number == 2) InstallOptions.Option2 = value;
      if (*number == 3) InstallOptions.Option3 = value;
    }
  }

  if (InstallOptions.InstallPick == TInstallPick::AllUser && !IsElevated) {
    ConsoleLine("(!) Restarting as administrator");
    RestartAsAdmin("-alluser");
  }
  if (mode == RunMode::None) return;
  ConsoleLine("(!) Beginning instalation");
  if (mode == RunMode::Normal) {
    ConsoleLine("(!) Installation type: normal");
    StartPage = 7;
    return;
  }
  RunSilently();
}

int RunInstaller() {
  try {
    UseFrameworkMessages();
    IsElevated = vel::IsAdministrator();
    bool silent = false;
    for (int i = 1; i <= vel::ParamCount(); ++i) {
      const std::string p = vel::GetParameter(i);
      if (p == "-force") ForceInstance = true;
      if (p == "-silent") silent = true;
      // The log starts before anything it should hold can happen.
      if (p == "-log") {
        if (i + 1 > vel::ParamCount() || !OpenLog(vel::ParamStr(i + 1))) {
          ConsoleLine("<!> Error: The log file cannot be written: \"" + vel::ParamStr(i + 1) + "\"");
          return ExitBadParameter;
        }
        LogLine("Command line: " + vel::GetParameters());
      }
    }
    // Every installer of this application, wherever it lies and wherever it installs to, shares the
    // temporary folder, the record and the shortcuts with the others: one at a time, "-force" or not.
    // Held until the process ends, so it covers everything up to the last record and shortcut written.
    const bool anotherInstaller = platform::JoinNamedLock(InstallerLockName());
    if ((vel::HasOtherInstance() && !ForceInstance) || anotherInstaller) {
      // A silent run never waits for an answer, not even to an OK.
      if (silent)
        ConsoleLine("<!> Error: Another installation of this application is running; nothing was installed.");
      else
        MessageDialog("Program is already running", "A instance of the installer is already running.",
                      TDialogButtons::OK);
      return ExitAnotherInstance;
    }
    SetDefaults();
    CheckPreviousInstall(silent);
    ReadCommandLine();
    if (!FrameworkWindowsAvailable()) {
      // Nothing can show the wizard here; a script must not take the silence for an installation.
      const std::string text = "There is no display to show the installer window on. Use -silent to install without "
                               "one, for example: -silent -installpath <folder>";
      // What the window system said goes along: a display that is there but refuses has its reasons.
      const std::string cause = FrameworkWindowsFailure();
      if (vel::sysconsole::ConsoleCalled()) {
        ConsoleLine("<!> Error: " + text);
        if (!cause.empty()) ConsoleLine("<!> The window system said: " + cause);
      } else {
        MessageDialog(AppOptions.AppFullName + " Installer", cause.empty() ? text : text + "\n\n" + cause,
                      TDialogButtons::OK);
      }
      return ExitNoDisplay;
    }
    TInstaller window(nullptr);
    window.Show();
    window.Wizard().Run();
    return InstallFailed && NotEnoughSpace ? ExitDiskFull : ExitSuccess;
  } catch (const TEndProcess& end) {
    return end.ExitCode;
  }
}

}  // namespace installer
