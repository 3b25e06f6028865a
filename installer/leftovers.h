// What an installation that was cut short (a crash, a kill, a power cut) leaves behind, and its removal.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace installer {

// The archive's name in the temporary folder.
inline constexpr const char* ArchiveFileName = "program.zip";

// The lock every installer of this application holds while it runs, wherever it installs to: they share
// the temporary folder and the record, so only one may work at a time, and a clean-up of the temporary
// folder waits for none of them to hold it.
std::string InstallerLockName();

// The installer's own temporary folder, "<local application data>\<publisher>\Velnor Installer\Temp\",
// without creating it.
std::string InstallerTempFolder();

// Removes what only an unfinished write leaves: in `tempFolder` the archive and its partial copies; in
// `installFolder` the partial copies of the uninstaller and of the report, and in it and every folder
// below it the extraction's temporary files. Names are matched exactly as the installer makes them, so
// a user's own "notes.tmp" stays. Either folder may be empty (not given). Answers the files removed;
// a file that cannot be removed is skipped.
std::vector<std::filesystem::path> RemoveLeftovers(const std::string& tempFolder, const std::string& installFolder);

// Removes `tempFolder` when it is the installer's own and empty, then its parents while they are empty,
// up to the publisher's folder and never beyond it.
void RemoveEmptyTempFolders(const std::string& tempFolder);

}  // namespace installer
