// The running-process check on the system's process list.
#include "installer/processes.h"

#include "installer/state.h"
#include "vel/windows.h"

namespace installer {

bool FindRunningCopy() {
  if (!InstallOptions.CanBeRun || AppOptions.ExeOfPath.empty()) return false;
  for (const vel::TProcess& process : vel::GetRunningProcesses()) {
    if (process.Module == AppOptions.ExeOfPath) {
      FoundProcess = process;
      return true;
    }
  }
  return false;
}

}  // namespace installer
