// The installation engine and the record it leaves, run in-process with the payload this program
// carries.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <optional>

#include "child_process.h"
#include "install_traces.h"
#include "installer/engine.h"
#include "installer/leftovers.h"
#include "installer/record.h"
#include "installer/state.h"
#include "platform/environment.h"
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

// Every file below `folder` with its content.
std::map<fs::path, std::string> Snapshot(const fs::path& folder) {
  std::map<fs::path, std::string> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (!it->is_regular_file()) continue;
    std::ifstream in(it->path(), std::ios::binary);
    files[it->path()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

void WriteText(const std::string& path, const std::string& text) {
  fs::create_directories(platform::ToPath(path).parent_path());
  std::ofstream(platform::ToPath(path), std::ios::binary) << text;
}

// Puts a value into the user's shell folder record for one test and restores what was there.
class ShellFolderOverride {
 public:
  ShellFolderOverride(std::string name, const std::string& text) : name_(std::move(name)) {
    platform::RegistryKey key(platform::kRootCurrentUser, platform::kKeyAllAccess);
    key.OpenKey(kKey, true);
    saved_ = key.ReadValue(name_);
    vel::TWinRegistry reg;
    reg.WriteValue("HKEY_CURRENT_USER\\" + std::string(kKey), name_, text);
  }
  ~ShellFolderOverride() {
    platform::RegistryKey key(platform::kRootCurrentUser, platform::kKeyAllAccess);
    key.OpenKey(kKey, true);
    if (saved_)
      key.WriteValue(name_, *saved_);
    else
      key.DeleteValue(name_);
  }

 private:
  static constexpr const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  std::string name_;
  std::optional<platform::RegValue> saved_;
};

}  // namespace

TEST_F(EngineTest, FiveStepsInstallEverything) {
  RunInstallStep(0);
  RunInstallStep(6);
  EXPECT_FALSE(Exists(InstallOptions.InstallPath));
  RunSteps();
  EXPECT_FALSE(InstallFailed);
  EXPECT_EQ(InstallOptions.RegistryHIVE, "HKEY_CURRENT_USER");
  EXPECT_EQ(WrittenFiles.size(), 24u);
  EXPECT_TRUE(Exists(App("QuarrowStudio.exe")));
  EXPECT_TRUE(Exists(App("QuarrowStudio.png")));  // the shortcuts' icon on Linux
  EXPECT_TRUE(Exists(App("data" + d + "sample13.qsd")));
  EXPECT_TRUE(Exists(App("Uninstall.exe")));
  // The installer carries the uninstaller compressed; what it writes is the built program itself.
  const auto bytesOf = [](const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string built = bytesOf(platform::ToPath(testsupport::ProgramFolder()) / UNINSTALL_FROM_TESTS);
  EXPECT_FALSE(built.empty());
  EXPECT_TRUE(bytesOf(platform::ToPath(App("Uninstall.exe"))) == built);
  EXPECT_FALSE(Exists(ArchivePath()));
  EXPECT_TRUE(Exists(testsupport::ShortcutPath(vel::TUserFolder::Programs)));
  EXPECT_TRUE(Exists(testsupport::ShortcutPath(vel::TUserFolder::Desktop)));
  EXPECT_EQ(reg.GetStringValue(kRecord, "UninstallString"), "\"" + App("Uninstall.exe") + "\"");
  EXPECT_EQ(reg.GetStringValue(kRecord, "QuietUninstallString"), "\"" + App("Uninstall.exe") + "\" -silent");
  EXPECT_EQ(reg.GetStringValue(kRecord, "InstallDate").size(), 8u);
  EXPECT_EQ(reg.GetIntValue(kRecord, "VersionMajor"), 1);
  EXPECT_EQ(reg.GetIntValue(kRecord, "VersionMinor"), 1);
  EXPECT_EQ(platform::IniReadString(App("InstallReport.ini"), "Files", "Count"), "24");
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
  EXPECT_EQ(reg.GetStringValue(kRecord, "UninstallString"), "\"" + App("QuarrowStudio.exe") + "\"");
  EXPECT_FALSE(reg.GetValueExists(kRecord, "QuietUninstallString"));
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
  EXPECT_EQ(platform::IniReadString(App("InstallReport.ini"), "Files", "Count"), "24");
}

// A file of the same name that no earlier installation of the application wrote is the user's (or
// another program's): replaced now, the uninstaller would later delete it.
TEST_F(EngineTest, RefusesToReplaceFilesNoEarlierInstallationWrote) {
  const std::string app = InstallOptions.InstallPath;
  auto report = [&](const std::string& type, const std::string& name, const std::string& file) {
    WriteText(App("InstallReport.ini"), "[Report]\nFile Type=" + type + "\n[Application]\nName=" + name +
                                            "\n[Files]\nCount=1\nFile1=" + file + "\n");
  };
  const std::string ours = "Velnor Software Installer Report";
  struct Case {
    std::string what;
    std::function<void()> arrange;
    std::string first;  // the file the error names
  };
  const std::vector<Case> cases = {
      {"a file of the user's", [&] { WriteText(App("README.txt"), "mine"); }, App("README.txt")},
      {"a file our report does not list",
       [&] {
         report(ours, "Quarrow Studio", "QuarrowStudio.exe");
         WriteText(App("QuarrowStudio.exe"), "ours");
         WriteText(App("README.txt"), "mine");
       },
       App("README.txt")},
      {"a file another program's report lists",
       [&] {
         report(ours, "Other App", "README.txt");
         WriteText(App("README.txt"), "other's");
       },
       App("README.txt")},
      {"a report that is no installer's",
       [&] {
         report("Notes", "Quarrow Studio", "README.txt");
         WriteText(App("README.txt"), "other's");
       },
       App("README.txt")},
      {"another program's uninstaller", [&] { WriteText(App("Uninstall.exe"), "other's"); }, App("Uninstall.exe")},
      {"another program's report alone", [&] { report(ours, "Other App", "other.exe"); }, App("InstallReport.ini")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Clean();
    ResetState();
    SetDefaults();
    InstallOptions.InstallPath = app;
    TempFolder = platform::FromPath(root / "temp") + d;
    fs::remove_all(platform::ToPath(app));
    c.arrange();
    const std::map<fs::path, std::string> before = Snapshot(platform::ToPath(app));

    RunInstallStep(1);
    RunInstallStep(2);
    try {
      RunInstallStep(3);
      ADD_FAILURE() << "the extraction went ahead";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), "The folder \"" + app + "\" already holds \"" + c.first +
                                           "\", which no earlier installation of Quarrow Studio wrote. Nothing was "
                                           "installed; start the installer with -force to replace it.");
    }
    EXPECT_TRUE(InstallFailed);
    RunInstallStep(4);
    RunInstallStep(5);
    EXPECT_TRUE(WrittenFiles.empty());
    EXPECT_TRUE(Snapshot(platform::ToPath(app)) == before) << "the folder changed";
    EXPECT_FALSE(reg.KeyExists(kRecord));
    EXPECT_FALSE(Exists(testsupport::ShortcutPath(vel::TUserFolder::Programs)));
    EXPECT_FALSE(Exists(testsupport::ShortcutPath(vel::TUserFolder::Desktop)));
  }
}

TEST_F(EngineTest, ForceReplacesTheUsersFiles) {
  WriteText(App("README.txt"), "mine");
  ForceOverwrite = true;
  RunSteps();
  EXPECT_FALSE(InstallFailed);
  std::ifstream readme(platform::ToPath(App("README.txt")));
  EXPECT_NE(std::string(std::istreambuf_iterator<char>(readme), {}), "mine");
  EXPECT_TRUE(Exists(App("InstallReport.ini")));
}

// A damaged store or an unset variable leaves the desktop folder unknown: a shortcut must not land at
// the root of the file system or in whatever folder happens to be current.
TEST_F(EngineTest, NoShortcutWhereTheFolderIsUnknown) {
  const fs::path previous = fs::current_path();
  const fs::path current = root / "current";
  fs::create_directories(current);
  fs::current_path(current);
  const fs::path atRoot = current.root_path() / platform::ToPath(std::string("Quarrow Studio") + platform::kShortcutSuffix);
  const bool wasAtRoot = fs::exists(atRoot);
  const std::string app = InstallOptions.InstallPath;
  for (const std::string& stored : {std::string(), platform::FromPath(current.root_path()),
                                     "%VEL_UNSET_FOLDER%" + d + "Desktop", std::string("Desktop")}) {
    SCOPED_TRACE("Desktop = \"" + stored + "\"");
    Clean();
    ResetState();
    SetDefaults();
    InstallOptions.InstallPath = app;
    TempFolder = platform::FromPath(root / "temp") + d;
    fs::remove_all(platform::ToPath(app));
    {
      ShellFolderOverride desktop("Desktop", stored);
      RunSteps();
    }
    EXPECT_FALSE(InstallFailed);
    EXPECT_TRUE(Exists(testsupport::ShortcutPath(vel::TUserFolder::Programs)));
    EXPECT_TRUE(Snapshot(current).empty());
    if (!wasAtRoot) {
      EXPECT_FALSE(fs::exists(atRoot));
    }
  }
  fs::current_path(previous);
  std::error_code ec;
  if (!wasAtRoot) fs::remove(atRoot, ec);
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

#ifndef _WIN32
// The record cannot be written (its store is no folder): nothing claims the installation, no report
// and no shortcut; the files and the uninstaller stay for the clean-up.
TEST_F(EngineTest, ARecordThatCannotBeWrittenPublishesNothingAfterIt) {
  RunInstallStep(1);
  RunInstallStep(2);
  RunInstallStep(3);
  ASSERT_FALSE(InstallFailed);
  const std::string store = platform::GetEnv("VEL_REGISTRY_DIR");
  std::ofstream(root / "store") << "not a folder";
  platform::SetEnv("VEL_REGISTRY_DIR", platform::FromPath(root / "store"));
  RunInstallStep(4);
  platform::SetEnv("VEL_REGISTRY_DIR", store);
  EXPECT_TRUE(InstallFailed);
  EXPECT_FALSE(FailureCause.empty());
  EXPECT_FALSE(Exists(App("InstallReport.ini")));
  EXPECT_FALSE(Exists(testsupport::ShortcutPath(vel::TUserFolder::Programs)));
  EXPECT_FALSE(Exists(testsupport::ShortcutPath(vel::TUserFolder::Desktop)));
  EXPECT_FALSE(reg.KeyExists(kRecord));
}
#endif

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

// A run killed part-way (while writing the archive, the uninstaller, the report or an extracted file)
// leaves its partial files; the next run's first step removes exactly those and touches nothing else,
// files with look-alike names included.
TEST_F(EngineTest, TheNextRunRemovesAKilledRunsLeftoversAndNothingElse) {
  RunSteps();
  ASSERT_FALSE(InstallFailed);
  const fs::path app = platform::ToPath(InstallOptions.InstallPath);
  const fs::path temp = root / "temp";
  const std::vector<fs::path> leftovers = {
      temp / "program.zip",
      temp / "program.zip.4242-1.part",
      temp / "program.zip.part",  // as earlier builds named it
      app / "Uninstall.exe.4242-2.part",
      app / "Uninstall.exe.part",
      app / "InstallReport.ini.4242-3.tmp",
      app / "InstallReport.ini.tmp",
      app / "~zip4242-4.tmp",
      app / "data" / "~zip4242-5.tmp",
      app / "data" / "~zip7.tmp",
  };
  const std::vector<fs::path> lookAlikes = {
      temp / "other.zip",          temp / "program.zip.bak",        app / "notes.tmp",
      app / "download.part",       app / "~zipper.tmp",             app / "~zip.tmp",
      app / "data" / "Uninstall.exe.part", app / "InstallReport.ini.12.tmp", app / "Uninstall.exe.4242-x.part",
  };
  for (const fs::path& file : lookAlikes) WriteText(platform::FromPath(file), "kept");
  const std::map<fs::path, std::string> before = Snapshot(root);
  for (const fs::path& file : leftovers) WriteText(platform::FromPath(file), "partial");

  ResetState();
  SetDefaults();
  InstallOptions.InstallPath = platform::FromPath(app);
  TempFolder = platform::FromPath(temp) + d;
  RunInstallStep(1);
  EXPECT_FALSE(InstallFailed);
  for (const fs::path& file : leftovers) EXPECT_FALSE(fs::exists(file)) << file;
  EXPECT_EQ(Snapshot(root), before);
}
