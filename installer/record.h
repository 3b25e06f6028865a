// The traces a finished installation leaves: the uninstall record in the registry and the install
// report beside the application, the uninstaller's contract.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace installer {

inline constexpr const char* ReportFileName = "InstallReport.ini";
inline constexpr const char* UninstallerFileName = "Uninstall.exe";
// The section listing what the installation wrote, for the uninstaller.
inline constexpr const char* FilesSection = "Files";

// Both raise the system's error to the caller.
void WriteRegistryRecord();
void WriteInstallReport(const std::string& Folder);
void DeleteRegistryRecord();
// What the report of an earlier installation of this application in `Folder` lists as written, or
// nothing when the folder holds no such report (none, or another program's).
std::optional<std::vector<std::string>> EarlierReportFiles(const std::string& Folder);
// The clean-up after a failed installation: removes the record when this run made it, puts back the
// values of an earlier installation's record when this run rewrote it, and leaves a record this run
// never touched.
void UndoRegistryRecord();

}  // namespace installer
