// Finding an earlier installation through its uninstall record.
#include <gtest/gtest.h>

#include <filesystem>

#include "child_process.h"
#include "install_traces.h"
#include "installer/closing.h"
#include "installer/command_line.h"
#include "installer/previous_install.h"
#include "installer/state.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "vel/message.h"
#include "vel/registry.h"

using namespace installer;

namespace {

const std::string kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarrow Studio";
const std::string kUser = "HKEY_CURRENT_USER\\" + kKey;
const std::string kMachine = "HKEY_LOCAL_MACHINE\\" + kKey;

class PreviousInstallTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetState();
    SetDefaults();
    Clean();
    vel::SetMessageRoutine([this](const std::string& title, const std::string&, vel::TMsgButtons) {
      questions.push_back(title);
      return answer;
    });
  }
  void TearDown() override {
    Clean();
    vel::SetMessageRoutine(nullptr);
  }
  static void Clean() { testsupport::RemoveInstallTraces(); }
  void Record(const std::string& location, const std::string& folder, const std::string& version) {
    ASSERT_TRUE(reg.CreateKey(location));
    if (!folder.empty()) reg.WriteStringValue(location, "InstallLocation", folder);
    if (!version.empty()) reg.WriteStringValue(location, "DisplayVersion", version);
  }

  vel::TWinRegistry reg;
  std::vector<std::string> questions;
  int answer = vel::mrYes;
};

}  // namespace

TEST_F(PreviousInstallTest, NoRecordChangesNothing) {
  Record(kMachine, "/elsewhere", "1.0");  // an all-users record is not looked for in this build
  CheckPreviousInstall();
  EXPECT_FALSE(PreviousInstall.Exists);
  EXPECT_TRUE(InstallOptions.InstallPath.empty());
  EXPECT_TRUE(CaptionSuffix.empty());
}

TEST_F(PreviousInstallTest, AnExistingFolderIsAdoptedAndFixed) {
  std::string folder = testsupport::MakeTempFolder();
  Record(kUser, folder, "1.1.0");
  CheckPreviousInstall();
  EXPECT_TRUE(PreviousInstall.Exists);
  EXPECT_EQ(PreviousInstall.Kind, TInstallSupport::ThisUser);
  EXPECT_EQ(InstallOptions.InstallPath, folder);
  EXPECT_EQ(InstallOptions.InstallPathAll, folder);
  EXPECT_EQ(InstallOptions.InstallPathUser, folder);
  EXPECT_FALSE(InstallOptions.AllowCustomPath);
  EXPECT_TRUE(questions.empty());  // 1.1.0 is the version being installed
  EXPECT_EQ(CaptionSuffix, " - Update to new version");
  EXPECT_EQ(InstallOptions.InstallPick, TInstallPick::User);
  std::filesystem::remove_all(platform::ToPath(folder));
}

TEST_F(PreviousInstallTest, ARelativeLocationIsIgnored) {
  for (const char* location : {"Quarrow Studio", "relative/folder", ""}) {
    ResetState();
    SetDefaults();
    Record(kUser, "", "1.0");
    reg.WriteStringValue(kUser, "InstallLocation", location);
    CheckPreviousInstall();
    EXPECT_TRUE(PreviousInstall.Exists) << location;
    EXPECT_TRUE(InstallOptions.InstallPath.empty()) << location;
    EXPECT_TRUE(InstallOptions.AllowCustomPath) << location;
  }
}

TEST_F(PreviousInstallTest, AVanishedFolderStillFillsThePaths) {
  Record(kUser, platform::FromPath(platform::ToPath(testsupport::MakeTempFolder()) / "gone"), "");
  CheckPreviousInstall();
  EXPECT_FALSE(InstallOptions.InstallPath.empty());
  EXPECT_TRUE(InstallOptions.AllowCustomPath);
  EXPECT_EQ(PreviousInstall.Version, vel::TVersionRec());
}

TEST_F(PreviousInstallTest, ANewerVersionIsAskedAbout) {
  Record(kUser, "", "2.0");
  answer = vel::mrYes;
  CheckPreviousInstall();
  EXPECT_EQ(questions, std::vector<std::string>{"Installed version is newer"});
  EXPECT_EQ(PreviousInstall.Version, vel::TVersionRec(2, 0, 0, 0));

  ResetState();
  SetDefaults();
  answer = vel::mrNo;
  try {
    CheckPreviousInstall();
    ADD_FAILURE() << "No must end the installer";
  } catch (const TEndProcess& end) {
    EXPECT_EQ(end.ExitCode, ExitDeclined);
  }

  // A forced second copy (the elevated restart) does not ask again.
  ResetState();
  SetDefaults();
  ForceInstance = true;
  questions.clear();
  CheckPreviousInstall();
  EXPECT_TRUE(questions.empty());
}

// A version text that cannot be read ("2.0-beta") may be newer: it is asked about, never replaced unasked.
TEST_F(PreviousInstallTest, AVersionThatIsNoVersionCountsAsNewer) {
  Record(kUser, "", "2.0-beta");
  CheckPreviousInstall();
  EXPECT_TRUE(PreviousInstall.Exists);
  EXPECT_EQ(PreviousInstall.Version, vel::TVersionRec());
  EXPECT_EQ(questions, std::vector<std::string>{"Installed version is newer"});
}

// A silent run never asks: a newer or unreadable version ends it with its own code, unless forced.
TEST_F(PreviousInstallTest, ASilentRunOverANewerVersionEndsUnasked) {
  for (const char* version : {"2.0", "2.0-beta"}) {
    ResetState();
    SetDefaults();
    Record(kUser, "", version);
    try {
      CheckPreviousInstall(true);
      ADD_FAILURE() << version << ": a silent run must end";
    } catch (const TEndProcess& end) {
      EXPECT_EQ(end.ExitCode, ExitNewerInstalled) << version;
    }
    ResetState();
    SetDefaults();
    ForceInstance = true;
    CheckPreviousInstall(true);
    EXPECT_TRUE(PreviousInstall.Exists) << version;
  }
  EXPECT_TRUE(questions.empty());
  // The same version or an older one is an update, silent or not.
  ResetState();
  SetDefaults();
  Record(kUser, "", "1.0");
  CheckPreviousInstall(true);
  EXPECT_TRUE(questions.empty());
}

TEST_F(PreviousInstallTest, BothTypesAllowedPrefersTheAllUsersRecord) {
  // Absolute on either system: a relative location would be ignored.
  const std::filesystem::path root = std::filesystem::current_path().root_path();
  Record(kUser, platform::FromPath(root / "user-folder"), "");
  Record(kMachine, platform::FromPath(root / "machine-folder"), "");
  InstallOptions.InstallSupport = TInstallSupport::Both;
  InstallOptions.InstallPick = TInstallPick::Unset;
  IsElevated = true;
  CheckPreviousInstall();
  EXPECT_EQ(PreviousInstall.Kind, TInstallSupport::AllUser);
  EXPECT_EQ(InstallOptions.InstallPath, platform::FromPath(root / "machine-folder"));
  EXPECT_EQ(InstallOptions.InstallSupport, TInstallSupport::AllUser);
  EXPECT_EQ(InstallOptions.InstallPick, TInstallPick::AllUser);
}
