// Finding an earlier installation through its uninstall record.
#include "installer/previous_install.h"

#include "installer/closing.h"
#include "installer/install_path.h"
#include "installer/messages.h"
#include "installer/state.h"
#include "platform/files.h"
#include "vel/message.h"
#include "vel/registry.h"

namespace installer {

namespace {

void LookForPreviousInstall(bool Silent) {
  const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + AppOptions.AppName;
  const std::string allUsers = "HKEY_LOCAL_MACHINE\\" + key;
  const std::string thisUser = "HKEY_CURRENT_USER\\" + key;
  vel::TWinRegistry reg;
  // A registry that cannot be read is not one without an installation: going on would install over
  // an earlier one unasked, or take a damaged store for an empty one and write into it.
  reg.SetErrorKind(vel::TRegistryErrorKind::OperatingSystem);

  PreviousInstall.Exists = false;
  if (InstallOptions.InstallSupport != TInstallSupport::ThisUser) {
    PreviousInstall.Exists = reg.KeyExists(allUsers);
    PreviousInstall.Kind = TInstallSupport::AllUser;
  }
  if (!PreviousInstall.Exists && InstallOptions.InstallSupport != TInstallSupport::AllUser) {
    PreviousInstall.Exists = reg.KeyExists(thisUser);
    PreviousInstall.Kind = TInstallSupport::ThisUser;
  }
  if (!PreviousInstall.Exists) return;
  const std::string& location = PreviousInstall.Kind == TInstallSupport::AllUser ? allUsers : thisUser;

  // A relative location names no place (it would follow whatever the current folder is): ignored.
  if (reg.GetValueExists(location, "InstallLocation") && IsAbsolutePath(reg.GetStringValue(location, "InstallLocation"))) {
    PreviousInstall.InstallPath = reg.GetStringValue(location, "InstallLocation");
    InstallOptions.InstallPath = PreviousInstall.InstallPath;
    InstallOptions.InstallPathAll = PreviousInstall.InstallPath;
    InstallOptions.InstallPathUser = PreviousInstall.InstallPath;
    std::error_code ec;
    if (std::filesystem::is_directory(platform::ToPath(PreviousInstall.InstallPath), ec))
      InstallOptions.AllowCustomPath = false;
  }

  if (reg.GetValueExists(location, "DisplayVersion")) {
    const std::string recorded = reg.GetStringValue(location, "DisplayVersion");
    bool unreadable = false;
    try {
      PreviousInstall.Version.Parse(recorded);
    } catch (const vel::EConvertError&) {
      PreviousInstall.Version.Clear();
      unreadable = true;
    }
    // A version that cannot be read ("2.0-beta") may well be newer: it is never taken for an older
    // one, which would let an installation replace it unasked.
    if ((unreadable || PreviousInstall.Version.NewerThan(AppOptions.ProgramVersion)) && !ForceInstance) {
      if (Silent) {
        ConsoleLine("<!> Error: A newer version of " + AppOptions.AppFullName + " (" + recorded +
                    ") is installed; nothing was installed. Use -force to install this version over it.");
        throw TEndProcess(ExitNewerInstalled);
      }
      int answer = MessageDialog("Installed version is newer",
                                 "The version of this application you are installing is older than the present "
                                 "version on this computer. Continue anyways?",
                                 TDialogButtons::YesNo);
      if (answer == vel::mrNo) throw TEndProcess(ExitDeclined);
    }
  }

  CaptionSuffix += " - Update to new version";
  InstallOptions.InstallSupport = PreviousInstall.Kind;
  if (PreviousInstall.Kind == TInstallSupport::AllUser && !IsElevated) RestartAsAdmin("-alluser");
  InstallOptions.InstallPick =
      PreviousInstall.Kind == TInstallSupport::AllUser ? TInstallPick::AllUser : TInstallPick::User;
}

}  // namespace

void CheckPreviousInstall(bool Silent) {
  try {
    LookForPreviousInstall(Silent);
  } catch (const vel::EOSError& e) {
    const std::string cause = std::string(e.what()) + "; nothing was installed.";
    if (Silent) {
      ConsoleLine("(!) Installation has failed");
      ConsoleLine("<!> Error: " + cause);
    } else {
      MessageDialog(AppOptions.AppFullName + " Installer",
                    "An earlier installation cannot be looked for in the registry: " + cause, TDialogButtons::OK);
    }
    throw TEndProcess(ExitInstallFailed);
  }
}

}  // namespace installer
