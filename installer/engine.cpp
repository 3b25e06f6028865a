// The installation engine.
#include "installer/engine.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "installer/leftovers.h"
#include "installer/log.h"
#include "installer/messages.h"
#include "installer/record.h"
#include "installer/state.h"
#include "installer/gzip.h"
#include "installer/zip.h"
#include "platform/files.h"
#include "platform/resources.h"
#include "platform/shortcut.h"
#include "vel/files.h"
#include "vel/processes.h"

namespace installer {
namespace {

std::span<const std::uint8_t> CarriedData(const char* name) {
  std::optional<std::span<const std::uint8_t>> data = platform::FindEmbeddedData(name);
  if (!data) throw std::runtime_error(std::string("The installer carries no resource \"") + name + "\"");
  return *data;
}

// Writes the data beside the target and renames it over, so a failed write leaves no half file.
void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> data, bool program) {
  // Named by the file the user knows, with the system's reason: a full disk ends the run with its own code.
  platform::ReplaceFileWith(platform::ToPath(path), data, ".part", program);
}

// Runs a guarded piece of a step: any error marks the installation failed.
template <typename F>
void Guarded(F&& action) {
  try {
    action();
  } catch (const std::exception& e) {
    InstallFailed = true;
    if (platform::IsNoSpaceError(e)) NotEnoughSpace = true;
    if (FailureCause.empty()) FailureCause = e.what();
  }
}

std::string Megabytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

// Room for the report, the record, the shortcuts and the file system's own bookkeeping.
constexpr std::uint64_t kSpaceMargin = 8ull * 1024 * 1024;

// The free room on the install folder's volume against all the run will put there at its fullest: the
// application's files, the archive while it is unpacked, the uninstaller and a margin. Asked before
// anything is written, so that a disk too small refuses the run instead of filling up half-way.
void CheckDiskSpace() {
  namespace fs = std::filesystem;
  fs::path probe = platform::ToPath(InstallOptions.InstallPath);
  std::error_code ec;
  // The folder may not exist yet: its nearest existing parent lies on the volume it will.
  while (!fs::exists(probe, ec) && probe.has_relative_path()) probe = probe.parent_path();
  const fs::space_info space = fs::space(probe, ec);
  // A volume that cannot be asked is left to the writes, which say so when they run out of room.
  if (ec || space.available == static_cast<std::uintmax_t>(-1)) return;
  const std::span<const std::uint8_t> program = CarriedData("program");
  std::uint64_t needed = ZipUncompressedSize(program, ArchivePath()) + program.size() + kSpaceMargin;
  if (InstallOptions.EnableUninstaller)
    if (std::optional<std::span<const std::uint8_t>> uninstaller = platform::FindEmbeddedData("uninstall"))
      needed += GzipInflatedSize(*uninstaller);
  if (space.available >= needed) return;
  NotEnoughSpace = true;
  throw std::runtime_error("Not enough disk space for \"" + InstallOptions.InstallPath + "\": the installation needs " +
                           Megabytes(needed) + ", and " + Megabytes(space.available) +
                           " is free. Nothing was installed.");
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
  std::ifstream in(platform::ToPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Takes back what step 4 published before a later part of it failed, so that no report, record or
// shortcut claims an installation that is not whole; an earlier installation's report and record are
// put back as they were.
void Withdraw(const std::string& report, const std::optional<std::vector<std::uint8_t>>& earlierReport,
              bool newUninstaller) {
  std::error_code ec;
  // An uninstaller this run put where there was none would stand for nothing.
  if (newUninstaller) {
    std::filesystem::remove(platform::ToPath(vel::IncludeTrailingPathDelimiter(InstallOptions.InstallPath) +
                                             UninstallerFileName),
                            ec);
    WrittenBesides.erase(std::remove(WrittenBesides.begin(), WrittenBesides.end(), UninstallerFileName),
                         WrittenBesides.end());
  }
  for (const std::string& link : WrittenShortcuts) std::filesystem::remove(platform::ToPath(link), ec);
  WrittenShortcuts.clear();
  try {
    UndoRegistryRecord();
  } catch (const std::exception& e) {
    LogLine(std::string("The record could not be taken back: ") + e.what());
  }
  if (earlierReport) {
    try {
      WriteWholeFile(report, *earlierReport, false);
    } catch (const std::exception& e) {
      LogLine(std::string("The earlier report could not be put back: ") + e.what());
    }
  } else {
    std::filesystem::remove(platform::ToPath(report), ec);
  }
  // Not this run's any more: a later clean-up must not take the earlier installation's report.
  WrittenBesides.erase(std::remove(WrittenBesides.begin(), WrittenBesides.end(), ReportFileName), WrittenBesides.end());
}

// The first file in `folder` the installation would replace although no earlier installation of this
// application wrote it; empty when there is none. The report lists what it wrote, and the uninstaller
// removes what the report lists: a user's file replaced now would be deleted later.
std::string FirstForeignFile(const TZipArchive& zip, const std::string& folder) {
  namespace fs = std::filesystem;
  const std::optional<std::vector<std::string>> listed = EarlierReportFiles(folder);
  const fs::path root = platform::ToPath(vel::IncludeTrailingPathDelimiter(folder));
  auto occupied = [&](const fs::path& relative) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(root / relative, ec);
    return fs::exists(status) && !fs::is_directory(status);
  };
  auto listedByEarlier = [&](const fs::path& relative) {
    return listed && std::any_of(listed->begin(), listed->end(), [&](const std::string& file) {
             return platform::ToPath(file).lexically_normal() == relative;
           });
  };
  for (const TZipEntry& entry : zip.Entries()) {
    if (entry.IsFolder) continue;
    const fs::path name = platform::ToPath(entry.Name).lexically_normal();
    // A name that leaves the folder is the extraction's to refuse, with its own message.
    if (name.empty() || name.is_absolute() || name.has_root_name() || *name.begin() == "..") continue;
    if (occupied(name) && !listedByEarlier(name)) return platform::FromPath(root / name);
  }
  // The uninstaller and the report are written beside the files; an earlier report of this
  // application vouches for both.
  if (!listed) {
    if (InstallOptions.EnableUninstaller && occupied(UninstallerFileName))
      return platform::FromPath(root / UninstallerFileName);
    if (occupied(ReportFileName)) return platform::FromPath(root / ReportFileName);
  }
  return {};
}

void CreateShortcutIn(vel::TUserFolder folder) {
  // Where the folder cannot be known, a shortcut would land in the current folder or at a root.
  const std::string location = vel::KnownUserFolder(folder);
  if (location.empty()) {
    ConsoleLine(std::string("(!) The ") + (folder == vel::TUserFolder::Desktop ? "desktop" : "Start menu") +
                " folder is not known; no shortcut was created there");
    return;
  }
  std::string link = vel::IncludeTrailingPathDelimiter(location) + AppOptions.AppName + platform::kShortcutSuffix;
  // One already there belongs to an earlier installation: replaced, but never listed for removal.
  const bool earlier = vel::FileExists(link);
  vel::CreateShortcut(ExecutablePath(AppOptions), link, AppOptions.AppFullName, "");
  if (!earlier) WrittenShortcuts.push_back(link);
}

}  // namespace

void RunInstallStep(std::int32_t Step) {
  const std::string archive = ArchivePath();
  switch (Step) {
    case 1:  // Prepare
      InstallOptions.RegistryRecord = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + AppOptions.AppName;
      InstallOptions.RegistryHIVE =
          InstallOptions.InstallPick == TInstallPick::User ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
      Guarded([] {
        if (InstallOptions.InstallPath.empty()) throw std::runtime_error("No install folder");
        CheckDiskSpace();
        if (!vel::DirectoryExists(InstallOptions.InstallPath))
          std::filesystem::create_directories(platform::ToPath(InstallOptions.InstallPath));
      });
      // A run that was cut short (killed, crashed) left its partial files; they go before anything is
      // written, so that they neither pile up nor are taken for files of the application.
      if (!InstallOptions.InstallPath.empty())
        for (const std::filesystem::path& left : RemoveLeftovers(TempFolder, InstallOptions.InstallPath))
          LogLine("Removed the leftover of an interrupted installation: " + platform::FromPath(left));
      break;

    case 2: {  // Export
      std::span<const std::uint8_t> program = CarriedData("program");
      Guarded([&] {
        // Another run's end may have taken the folder away as empty since this run made it.
        if (!TempFolder.empty()) std::filesystem::create_directories(platform::ToPath(TempFolder));
        WriteWholeFile(archive, program, false);
      });
      break;
    }

    case 3: {  // Extract
      if (!vel::FileExists(archive)) {
        InstallFailed = true;
        break;
      }
      TZipArchive zip(archive);
      WrittenFiles.clear();
      if (!InstallOptions.InstallPath.empty()) {
        if (std::string foreign = FirstForeignFile(zip, InstallOptions.InstallPath); !foreign.empty()) {
          if (!ForceOverwrite) {
            InstallFailed = true;
            throw std::runtime_error("The folder \"" + InstallOptions.InstallPath + "\" already holds \"" + foreign +
                                     "\", which no earlier installation of " + AppOptions.AppName +
                                     " wrote. Nothing was installed; start the installer with -force to replace it.");
          }
          ConsoleLine("(!) -force: files no earlier installation of " + AppOptions.AppName +
                      " wrote are replaced, the first being \"" + foreign + "\"");
        }
      }
      Guarded([&] {
        if (InstallOptions.InstallPath.empty()) throw std::runtime_error("No install folder");
        WrittenFiles.clear();
        zip.ExtractAll(InstallOptions.InstallPath, [](const std::string& file) { WrittenFiles.push_back(file); });
      });
      break;
    }

    case 4: {  // Write
      if (vel::FileExists(archive)) std::filesystem::remove(platform::ToPath(archive));
      // A failed installation is never published: no shortcuts, uninstaller, record or report that
      // would list it among the installed programs or let the next run adopt it.
      if (InstallFailed) break;
      // Published in this order, each part only after the one before it stood: the uninstaller, the
      // report, the record, and the shortcuts last, so that whatever stops it half-way leaves nothing
      // that points at an installation that is not whole.
      const bool newUninstaller =
          InstallOptions.EnableUninstaller &&
          !vel::FileExists(vel::IncludeTrailingPathDelimiter(InstallOptions.InstallPath) + UninstallerFileName);
      if (InstallOptions.EnableUninstaller) {
        std::span<const std::uint8_t> uninstaller = CarriedData("uninstall");
        Guarded([&] {
          WriteWholeFile(vel::IncludeTrailingPathDelimiter(InstallOptions.InstallPath) + UninstallerFileName,
                         Gunzip(uninstaller), true);
          WrittenBesides.push_back(UninstallerFileName);
        });
      }
      if (InstallFailed) break;  // the uninstaller could not be written: still unpublished
      {
        const std::string report = vel::IncludeTrailingPathDelimiter(InstallOptions.InstallPath) + ReportFileName;
        const std::optional<std::vector<std::uint8_t>> earlierReport = ReadWholeFile(report);
        Guarded([] {
          WriteInstallReport(InstallOptions.InstallPath);
          WrittenBesides.push_back(ReportFileName);
        });
        if (!InstallFailed && InstallOptions.AddRecordToRegistry) Guarded([] { WriteRegistryRecord(); });
        if (!InstallFailed)
          Guarded([] {
            if (InstallOptions.CreateStartMenu) CreateShortcutIn(vel::TUserFolder::Programs);
            if (InstallOptions.CreateDesktop) CreateShortcutIn(vel::TUserFolder::Desktop);
          });
        // Whatever part failed, what stood before it is taken back.
        if (InstallFailed) Withdraw(report, earlierReport, newUninstaller);
      }
      break;
    }

    case 5:  // Verify
      if (!vel::DirectoryExists(InstallOptions.InstallPath)) InstallFailed = true;
      if (InstallOptions.CanBeRun && !vel::FileExists(ExecutablePath(AppOptions))) InstallFailed = true;
      break;

    default:
      break;
  }
}

}  // namespace installer
