// The install state and the build's values.
#include "installer/state.h"

#include "installer/descriptor.h"
#include "installer/leftovers.h"
#include "vel/files.h"

namespace installer {

TAppOptions AppOptions;
TInstallOptions InstallOptions;
TPreviousInstall PreviousInstall;
bool IsElevated = false;
bool ForceInstance = false;
bool ForceOverwrite = false;
bool AutoDelete = false;
TFinishAction AfterFinish = TFinishAction::None;
TPage StartPage = 2;
TPage CurrentPage = 0;
std::int32_t CurrentStep = 0;
bool InstallFailed = false;
std::string CaptionSuffix;
lux::TColor TextColor = 0;
std::string TempFolder;
vel::TProcess FoundProcess;
std::vector<std::string> WrittenFiles;
std::vector<std::string> WrittenBesides;
std::vector<std::string> WrittenShortcuts;
std::string FailureCause;
bool NotEnoughSpace = false;
bool RecordWritten = false;
std::optional<std::vector<std::pair<std::string, platform::RegValue>>> EarlierRecord;

const vel::TVersionRec InstallerVersion(1, 8, 0, 0);
const vel::TVersionRec ReportVersion(1, 0, 0, 0);

// Lines separated by carriage returns only, and one more after the last, as the console prints them.
const std::string HelpText =
    "Avalabile Parameters:\r"
    "\r"
    "------------------------\r"
    "-help -> Shows this information\r"
    "-silent -> Installs the program in the background with no GUI\r"
    "-start -> Starts the instalation process after opening the program\r"
    "-startafterfinish -> Starts the program after the installation is finished\r"
    "-closeafterfinish -> Close the installer after the installation is finnished\r"
    "-installpath <PATH> -> Set the install path\r"
    "-option <ID> TRUE/FALSE -> Set a option to a boolean value\r"
    "-user -> Install application for this user\r"
    "-force -> Force multiple instances of the installer, also bypasses dialog confirmations\r"
    "-alluser -> Install application for all users\r"
    "-ad -> Auto-delete installer when closed\r";

void SetDefaults() {
  namespace d = descriptor;
  const std::string delim(1, vel::PathDelim);
  AppOptions.AppName = d::AppName;
  AppOptions.AppFullName = d::AppFullName;
  InstallOptions.InstallPathAll = vel::ExpandPath("%PROGRAMFILES%" + delim + AppOptions.AppName + delim);
  InstallOptions.InstallPathUser = vel::AppDataFolder(AppOptions.AppFullName, true, false, vel::TAppDataKind::Local);
  AppOptions.AppDataPath = vel::AppDataFolder(AppOptions.AppName, true, false, vel::TAppDataKind::Local);
  AppOptions.Publisher = d::Publisher;
  AppOptions.ProgramVersion = vel::TVersionRec(d::ProgramVersion[0], d::ProgramVersion[1], d::ProgramVersion[2],
                                               d::ProgramVersion[3]);
  AppOptions.HelpLink = d::AppsPage;
  AppOptions.SupportLink = d::ContactPage;
  AppOptions.UpdateLink = d::AppsPage;
  InstallOptions.CanBeRun = d::CanBeRun;
  AppOptions.ExeOfPath = d::ExeOfPath;
  InstallOptions.InstallSupport = TInstallSupport::ThisUser;
  InstallOptions.EnableUninstaller = d::EnableUninstaller;
  InstallOptions.AddRecordToRegistry = d::AddRecordToRegistry;
  InstallOptions.AllowCustomPath = d::AllowCustomPath;
  InstallOptions.AllowOptions = d::AllowOptions;
  InstallOptions.AllowExtensions = d::AllowExtensions;
  InstallOptions.AllowCreateShortcut = d::AllowCreateShortcut;
  InstallOptions.HasEULA = d::HasEULA;
  if (InstallOptions.AllowCreateShortcut) {
    InstallOptions.CreateDesktop = true;
    InstallOptions.CreateStartMenu = true;
  }
  switch (InstallOptions.InstallSupport) {
    case TInstallSupport::Both: InstallOptions.InstallPick = TInstallPick::Unset; break;
    case TInstallSupport::AllUser: InstallOptions.InstallPick = TInstallPick::AllUser; break;
    case TInstallSupport::ThisUser: InstallOptions.InstallPick = TInstallPick::User; break;
  }
}

std::string ExecutablePath(const TAppOptions& options) {
  return vel::IncludeTrailingPathDelimiter(InstallOptions.InstallPath) + options.ExeOfPath;
}

std::string DefaultTempFolder() {
  std::string folder = InstallerTempFolder();
  std::error_code ec;
  std::filesystem::create_directories(platform::ToPath(folder), ec);
  return folder;
}

std::string ArchivePath() { return TempFolder + vel::PathDelim + ArchiveFileName; }

void ResetState() {
  AppOptions = {};
  InstallOptions = {};
  PreviousInstall = {};
  IsElevated = ForceInstance = ForceOverwrite = AutoDelete = InstallFailed = false;
  AfterFinish = TFinishAction::None;
  StartPage = 2;
  CurrentPage = 0;
  CurrentStep = 0;
  CaptionSuffix.clear();
  TextColor = 0;
  TempFolder.clear();
  FoundProcess = {};
  WrittenFiles.clear();
  WrittenBesides.clear();
  WrittenShortcuts.clear();
  FailureCause.clear();
  NotEnoughSpace = false;
  RecordWritten = false;
  EarlierRecord.reset();
}

}  // namespace installer
