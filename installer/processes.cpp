// The running-process check on the system's process list.
#include "installer/processes.h"

#include <filesystem>

#include "installer/state.h"
#include "platform/files.h"
#include "vel/files.h"
#include "vel/processes.h"

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

bool FindRunningCopyIn(const std::string& folder) {
  if (!InstallOptions.CanBeRun || AppOptions.ExeOfPath.empty() || folder.empty()) return false;
  const std::filesystem::path executable =
      platform::ToPath(vel::IncludeTrailingPathDelimiter(folder) + AppOptions.ExeOfPath);
  for (const vel::TProcess& process : vel::GetRunningProcesses()) {
    if (process.Module != AppOptions.ExeOfPath || process.FileName.empty()) continue;
    std::error_code ec;
    if (std::filesystem::equivalent(platform::ToPath(process.FileName), executable, ec) && !ec) {
      FoundProcess = process;
      return true;
    }
  }
  return false;
}

}  // namespace installer
