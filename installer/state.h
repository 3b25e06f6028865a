// The install state: the application's descriptor, the choices of this run, what is known of an
// earlier installation, and the process-wide variables every part of the installer shares.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lux/types.h"
#include "platform/registry.h"
#include "vel/processes.h"
#include "vel/version_update.h"

namespace installer {

enum class TInstallSupport : std::uint8_t { Both, AllUser, ThisUser };
enum class TInstallPick : std::uint8_t { Unset, AllUser, User };
enum class TFinishAction : std::uint8_t { None, Close, StartProgram };

struct TAppOptions {
  std::string AppName;
  std::string AppFullName;
  std::string AppDataPath;
  std::string ExeOfPath;
  vel::TVersionRec ProgramVersion;
  std::string Publisher;
  std::string HelpLink;
  std::string UpdateLink;
  std::string SupportLink;
};

struct TInstallOptions {
  std::string InstallPath;
  std::string InstallPathAll;
  std::string InstallPathUser;
  std::string RegistryRecord;
  std::string RegistryHIVE;
  bool EnableUninstaller = false;
  bool AddRecordToRegistry = false;
  TInstallSupport InstallSupport = TInstallSupport::Both;
  TInstallPick InstallPick = TInstallPick::Unset;
  bool CreateStartMenu = false;
  bool CreateDesktop = false;
  bool CanBeRun = false;
  bool Option1 = false, Option2 = false, Option3 = false;
  bool Extension1 = false, Extension2 = false, Extension3 = false;
  bool HasEULA = false;
  bool AllowCreateShortcut = false;
  bool AllowCustomPath = false;
  bool AllowExtensions = false;
  bool AllowOptions = false;
};

struct TPreviousInstall {
  bool Exists = false;
  std::string InstallPath;
  TInstallSupport Kind = TInstallSupport::Both;
  vel::TVersionRec Version;
};

// Page numbers of the wizard; 0 means the current page stays.
using TPage = std::uint8_t;

// The process-wide install state, touched only on the user-interface thread.
extern TAppOptions AppOptions;
extern TInstallOptions InstallOptions;
extern TPreviousInstall PreviousInstall;
extern bool IsElevated;
extern bool ForceInstance;
// "-force" was among the parameters: the extraction may replace files no earlier installation of this
// application wrote.
extern bool ForceOverwrite;
extern bool AutoDelete;
extern TFinishAction AfterFinish;
extern TPage StartPage;
extern TPage CurrentPage;
extern std::int32_t CurrentStep;
extern bool InstallFailed;
extern std::string CaptionSuffix;
// The text colour of the rich-text views, which do not follow the theme by themselves: the installer
// window sets it white in the dark theme and black in the light one.
extern lux::TColor TextColor;
extern std::string TempFolder;
extern vel::TProcess FoundProcess;
// What the extraction wrote, relative to the install folder: the report lists it for the uninstaller,
// and the clean-up of a failed installation removes exactly it.
extern std::vector<std::string> WrittenFiles;
// The uninstaller and the report, when this run wrote them (they may be an earlier installation's).
extern std::vector<std::string> WrittenBesides;
// The shortcut files this run created where there was none; an earlier installation's are not listed.
extern std::vector<std::string> WrittenShortcuts;
// What made the installation fail first, as its error said it (naming the file or key); empty until then.
extern std::string FailureCause;
// The installation failed for want of disk space: found short before anything was written, or a write
// ran out of it.
extern bool NotEnoughSpace;
// Whether this run began writing the uninstall record, and the values the record held just before,
// when there was one: the clean-up of a failed update puts an earlier installation's record back.
extern bool RecordWritten;
extern std::optional<std::vector<std::pair<std::string, platform::RegValue>>> EarlierRecord;

extern const vel::TVersionRec InstallerVersion;
extern const vel::TVersionRec ReportVersion;
extern const std::string HelpText;

// Fills the records with the build's values.
void SetDefaults();
// The application's executable under the install folder.
std::string ExecutablePath(const TAppOptions& options);
// The folder that receives the archive during an installation (created when missing).
std::string DefaultTempFolder();
// The archive's path during an installation.
std::string ArchivePath();
// Everything back to the state at process start (for a second run in one process, as tests make).
void ResetState();

}  // namespace installer
