// The installation engine.
#include "installer/engine.h"

#include <fstream>
#include <stdexcept>

#include "installer/record.h"
#include "installer/state.h"
#include "installer/zip.h"
#include "platform/files.h"
#include "platform/resources.h"
#include "platform/shortcut.h"
#include "vel/files.h"
#include "vel/windows.h"

namespace installer {
namespace {

std::span<const std::uint8_t> CarriedData(const char* name) {
  std::optional<std::span<const std::uint8_t>> data = platform::FindEmbeddedData(name);
  if (!data) throw std::runtime_error(std::string("The installer carries no resource \"") + name + "\"");
  return *data;
}

// Writes the data beside the target and renames it over, so a failed write leaves no half file.
void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> data, bool program) {
  std::filesystem::path target = platform::ToPath(path);
  std::filesystem::path part = target;
  part += ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) {
      std::error_code ec;
      std::filesystem::remove(part, ec);
      throw std::runtime_error("Cannot write " + path);
    }
  }
  if (program) platform::MarkExecutable(part);
  std::error_code ec;
  std::filesystem::rename(part, target, ec);
  if (ec) {
    std::filesystem::remove(part, ec);
    throw std::runtime_error("Cannot replace " + path);
  }
}

// Runs a guarded piece of a step: any error marks the installation failed.
template <typename F>
void Guarded(F&& action) {
  try {
    action();
  } catch (const std::exception& e) {
    InstallFailed = true;
    if (FailureCause.empty()) FailureCause = e.what();
  }
}

void CreateShortcutIn(vel::TUserFolder folder) {
  std::string link = vel::IncludeTrailingPathDelimiter(vel::GetUserFolder(folder)) + AppOptions.AppName +
                     platform::kShortcutSuffix;
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
        if (!vel::DirectoryExists(InstallOptions.InstallPath))
          std::filesystem::create_directories(platform::ToPath(InstallOptions.InstallPath));
      });
      break;

    case 2: {  // Export
      std::span<const std::uint8_t> program = CarriedData("program");
      Guarded([&] { WriteWholeFile(archive, program, false); });
      break;
    }

    case 3: {  // Extract
      if (!vel::FileExists(archive)) {
        InstallFailed = true;
        break;
      }
      TZipArchive zip(archive);
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
      if (InstallOptions.CreateStartMenu) CreateShortcutIn(vel::TUserFolder::Programs);
      if (InstallOptions.CreateDesktop) CreateShortcutIn(vel::TUserFolder::Desktop);
      if (InstallOptions.EnableUninstaller) {
        std::span<const std::uint8_t> uninstaller = CarriedData("uninstall");
        Guarded([&] {
          WriteWholeFile(vel::IncludeTrailingPathDelimiter(InstallOptions.InstallPath) + UninstallerFileName,
                         uninstaller, true);
          WrittenBesides.push_back(UninstallerFileName);
        });
      }
      Guarded([] {
        if (InstallFailed) return;  // the uninstaller could not be written: still unpublished
        if (InstallOptions.AddRecordToRegistry) WriteRegistryRecord();
        WriteInstallReport(InstallOptions.InstallPath);
        WrittenBesides.push_back(ReportFileName);
      });
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
