// The installation engine and the record it leaves, run in-process with the payload this program
// carries.
#include <gtest/gtest.h>

#include <fstream>

#include "child_process.h"
#include "install_traces.h"
#include "installer/engine.h"
#include "installer/record.h"
#include "installer/state.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shortcut.h"
#include "vel/files.h"
#include "vel/registry.h"

using namespace installer;
namespace fs = std::filesystem;

namespace {

const std::string d(1, vel::PathDelim);
const std::string kRecord = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarrow Studio";

bool Exists(const std::string& path) { return fs::exists(platform::ToPath(path)); }

class EngineTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetState();
    SetDefaults();
    root = testsupport::MakeTempFolder();
    InstallOptions.InstallPath = platform::FromPath(root / "app");
    TempFolder = platform::FromPath(root / "temp") + d;
    fs::create_directories(root / "temp");
    for (vel::TUserFolder f : {vel::TUserFolder::Programs, vel::TUserFolder::Desktop})
      fs::create_directories(platform::ToPath(vel::GetUserFolder(f)));
    Clean();
  }
  void TearDown() override {
    Clean();
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  static void Clean() { testsupport::RemoveInstallTraces(); }
  static void RunSteps() {
    for (int step = 1; step <= 5; ++step) RunInstallStep(step);
  }
  std::string App(const std::string& name) const { return InstallOptions.InstallPath + d + name; }

  fs::path root;
  vel::TWinRegistry reg;
};

}  // namespace

TEST_F(EngineTest, FiveStepsInstallEverything) {
  RunInstallStep(0);
  RunInstallStep(6);
  EXPECT_FALSE(Exists(InstallOptions.InstallPath));
  RunSteps();
  EXPECT_FALSE(InstallFailed);
  EXPECT_EQ(InstallOptions.RegistryHIVE, "HKEY_CURRENT_USER");
  EXPECT_EQ(WrittenFiles.size(), 23u);
  EXPECT_TRUE(Exists(App("QuarrowStudio.exe")));
  EXPECT_TRUE(Exists(App("data" + d + "sample13.qsd")));
  EXPECT_TRUE(Exists(App("Uninstall.exe")));
  EXPECT_FALSE(Exists(ArchivePath()));
  EXPECT_TRUE(Exists(testsupport::ShortcutPath(vel::TUserFolder::Programs)));
  EXPECT_TRUE(Exists(testsupport::ShortcutPath(vel::TUserFolder::Desktop)));
  EXPECT_EQ(reg.GetStringValue(kRecord, "UninstallString"), App("Uninstall.exe"));
  EXPECT_EQ(platform::IniReadString(App("InstallReport.ini"), "Files", "Count"), "23");
  EXPECT_EQ(platform::IniReadString(App("InstallReport.ini"), "Files", "File1"), WrittenFiles[0]);
}

TEST_F(EngineTest, PolicySwitchesLeaveTheirPartOut) {
  InstallOptions.EnableUninstaller = false;
  InstallOptions.AddRecordToRegistry = false;
  InstallOptions.CreateDesktop = false;
  RunSteps();
  EXPECT_FALSE(InstallFailed);
  EXPECT_FALSE(Exists(App("Uninstall.exe")));
  EXPECT_FALSE(reg.KeyExists(kRecord));
  EXPECT_TRUE(Exists(App("InstallReport.ini")));
  EXPECT_TRUE(Exists(testsupport::ShortcutPath(vel::TUserFolder::Programs)));
  EXPECT_FALSE(Exists(testsupport::ShortcutPath(vel::TUserFolder::Desktop)));

  // Without the uninstaller the record names the application to remove it.
  InstallOptions.AddRecordToRegistry = true;
  WriteRegistryRecord();
  EXPECT_EQ(reg.GetStringValue(kRecord, "UninstallString"), App("QuarrowStudio.exe"));
}

TEST_F(EngineTest, ExtractingOverAnInstallationReplacesItsFilesAndKeepsOthers) {
  RunSteps();
  std::ofstream(platform::ToPath(App("README.txt"))) << "changed";
  std::ofstream(platform::ToPath(App("mine.txt"))) << "mine";
  RunSteps();
  EXPECT_FALSE(InstallFailed);
  std::ifstream readme(platform::ToPath(App("README.txt")));
  EXPECT_NE(std::string(std::istreambuf_iterator<char>(readme), {}), "changed");
  EXPECT_TRUE(Exists(App("mine.txt")));
  // The user's file is no file of the installation.
  EXPECT_EQ(platform::IniReadString(App("InstallReport.ini"), "Files", "Count"), "23");
}

TEST_F(EngineTest, AFailedInstallationIsNeverPublished) {
  // The temporary folder is a file: the archive cannot be written, so there is nothing to extract.
  fs::remove_all(root / "temp");
  std::ofstream(root / "temp") << "not a folder";
  RunSteps();
  EXPECT_TRUE(InstallFailed);
  EXPECT_FALSE(Exists(testsupport::ShortcutPath(vel::TUserFolder::Programs)));
  EXPECT_FALSE(Exists(testsupport::ShortcutPath(vel::TUserFolder::Desktop)));
  EXPECT_FALSE(reg.KeyExists(kRecord));
  EXPECT_FALSE(Exists(App("InstallReport.ini")));
  EXPECT_FALSE(Exists(App("Uninstall.exe")));
}

TEST_F(EngineTest, ADamagedArchiveFailsTheExtraction) {
  RunInstallStep(1);
  RunInstallStep(2);
  // Cut the archive short: its directory is gone, so it cannot even be opened.
  fs::resize_file(platform::ToPath(ArchivePath()), 100);
  EXPECT_ANY_THROW(RunInstallStep(3));
  EXPECT_FALSE(InstallFailed);  // an unguarded error reaches the caller, who decides
  // A wrong byte inside an entry is found by its checksum.
  RunInstallStep(2);
  {
    std::fstream archive(platform::ToPath(ArchivePath()), std::ios::in | std::ios::out | std::ios::binary);
    archive.seekp(200);
    archive.put('\x5A');
    archive.seekp(201);
    archive.put('\xA5');
  }
  RunInstallStep(3);
  EXPECT_TRUE(InstallFailed);
}

TEST_F(EngineTest, VerifyAndEmptyPath) {
  InstallOptions.CanBeRun = false;
  fs::create_directories(platform::ToPath(InstallOptions.InstallPath));
  RunInstallStep(5);
  EXPECT_FALSE(InstallFailed);  // only the folder is checked
  InstallOptions.CanBeRun = true;
  RunInstallStep(5);
  EXPECT_TRUE(InstallFailed);  // no executable

  ResetState();
  SetDefaults();
  RunInstallStep(1);
  EXPECT_TRUE(InstallFailed);
}

TEST_F(EngineTest, RecordValuesFromTheState) {
  InstallOptions.RegistryRecord = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarrow Studio";
  InstallOptions.RegistryHIVE = "HKEY_CURRENT_USER";
  fs::create_directories(platform::ToPath(InstallOptions.InstallPath));
  std::ofstream(platform::ToPath(App("big.bin")), std::ios::binary) << std::string(10'000'000, 'x');
  WriteRegistryRecord();
  EXPECT_EQ(reg.GetIntValue(kRecord, "EstimatedSize"), 9765);
  EXPECT_EQ(reg.GetStringValue(kRecord, "DisplayVersion"), "1.1.0");

  // An empty link writes no value; one from an earlier installation stays.
  AppOptions.SupportLink.clear();
  reg.WriteStringValue(kRecord, "HelpLink", "old");
  WriteRegistryRecord();
  EXPECT_EQ(reg.GetStringValue(kRecord, "HelpLink"), "old");

  InstallOptions.Option2 = true;
  InstallOptions.InstallPick = TInstallPick::AllUser;
  WriteInstallReport(InstallOptions.InstallPath);
  EXPECT_EQ(platform::IniReadString(App("InstallReport.ini"), "Configuration", "Options"), "false,true,false");
  EXPECT_EQ(platform::IniReadString(App("InstallReport.ini"), "Configuration", "Extensions"), "false,false,false");
  EXPECT_EQ(platform::IniReadString(App("InstallReport.ini"), "Installation", "User Install"), "0");

  DeleteRegistryRecord();
  EXPECT_FALSE(reg.KeyExists(kRecord));
}

TEST(StateTest, DefaultsOfThisBuild) {
  ResetState();
  SetDefaults();
  EXPECT_EQ(InstallOptions.InstallPick, TInstallPick::User);
  EXPECT_TRUE(InstallOptions.InstallPath.empty());
  EXPECT_TRUE(InstallOptions.CreateDesktop && InstallOptions.CreateStartMenu);
  EXPECT_EQ(AppOptions.ProgramVersion.ToString(true), "1.1.0.0");
  const std::string local = vel::ExpandPath("%LOCALAPPDATA%" + d);
  EXPECT_EQ(InstallOptions.InstallPathUser, local + "VelnorSoftware" + d + "Quarrow Studio Suite" + d);
  EXPECT_EQ(InstallOptions.InstallPathAll, vel::ExpandPath("%PROGRAMFILES%" + d + "Quarrow Studio" + d));
  EXPECT_EQ(DefaultTempFolder(), local + "VelnorSoftware" + d + "Velnor Installer" + d + "Temp" + d);
  for (const char* path : {"D:\\Apps\\Q", "D:\\Apps\\Q\\", "/apps/q", "/apps/q/"}) {
    InstallOptions.InstallPath = path;
    std::string expected = path;
    if (expected.back() != vel::PathDelim) expected += vel::PathDelim;
    EXPECT_EQ(ExecutablePath(AppOptions), expected + "QuarrowStudio.exe");
  }
}
