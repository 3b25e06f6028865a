// How the installer ends.
#include "installer/closing.h"

#include <chrono>
#include <thread>

#include "installer/leftovers.h"
#include "installer/messages.h"
#include "installer/state.h"
#include "platform/files.h"
#include "platform/instance_lock.h"
#include "platform/process.h"
#include "platform/self_delete.h"
#include "vel/files.h"
#include "vel/processes.h"

namespace installer {
namespace {

void Pause500() { std::this_thread::sleep_for(std::chrono::milliseconds(500)); }

// The archive is of no use once the run ends, whatever its outcome (a failed wizard run stops before
// the step that deletes it); its folder goes with it when nothing else is there.
void DropTemporaryFiles() {
  if (TempFolder.empty()) return;
  std::error_code ec;
  std::filesystem::remove(platform::ToPath(ArchivePath()), ec);
  RemoveEmptyTempFolders(TempFolder);
}

}  // namespace

void EndProcess(int code) { throw TEndProcess(code); }

void RestartAsAdmin(std::string ExtraParameter) {
  if (!ExtraParameter.empty()) ExtraParameter += ' ';
  // The new copy does this run's work: it must find the application's installer lock free, while this
  // process lives on for its last moments.
  platform::LeaveNamedLock(InstallerLockName());
  vel::ShellRun(platform::ExecutablePath(), true, ExtraParameter + "-force " + vel::GetParameters(), true, "");
  Pause500();
  EndProcess(ExitSuccess);
}

void CloseInstaller(int exitCode) {
  DropTemporaryFiles();
  // A close that starts here comes back here once through the window's close query: one deletion.
  static bool deletionScheduled = false;
  if (AutoDelete && !deletionScheduled) {
    deletionScheduled = true;
    // The installation's outcome stands whether or not the installer can remove itself: say why it
    // stays, and end as the run would have.
    try {
      platform::DeleteOwnExecutableLater("");
    } catch (const std::exception& e) {
      ConsoleLine(std::string("<!> Error: The installer could not delete itself: ") + e.what());
    }
  }
  if (InstallerWindow && InstallerWindow->WindowVisible()) {
    InstallerWindow->CloseWindow();
    return;
  }
  EndProcess(exitCode);
}

void DoAfterFinish() {
  switch (AfterFinish) {
    case TFinishAction::Close:
      if (InstallerWindow) CloseInstaller();
      break;
    case TFinishAction::StartProgram:
      StartProgramAndClose();
      break;
    case TFinishAction::None:
      break;
  }
}

void StartProgramAndClose() {
  if (InstallOptions.CanBeRun) {
    std::string exe = ExecutablePath(AppOptions);
    vel::ShellRun(exe, true, "", false, vel::ExtractFilePath(exe));
    Pause500();
  }
  CloseInstaller();
}

}  // namespace installer
