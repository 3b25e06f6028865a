// The uninstaller against a fake installation: what it removes, what it refuses, what it keeps.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "child_process.h"
#include "installer/leftovers.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shortcut.h"
#include "uninstaller/uninstall.h"
#include "vel/console.h"
#include "vel/files.h"
#include "vel/message.h"
#include "vel/registry.h"

namespace fs = std::filesystem;
using platform::FromPath;
using platform::ToPath;

namespace {

constexpr const char* kName = "Quarrow Studio";
constexpr const char* kRecordParent = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kRecord = std::string(kRecordParent) + "\\" + kName;
const std::string kRecordLocation = "HKEY_CURRENT_USER\\" + kRecord;
const std::string kRecordSubkey = kRecordLocation + "\\Extra";
const std::string kD(1, vel::PathDelim);

// What the fake installation wrote, as the report lists it: the system's separator, archive order.
const std::vector<std::string> kInstalled = {"Quarrow.exe", "readme.txt", "data" + kD + "b.dat",
                                             "data" + kD + "level1" + kD + "a.dat"};

struct Message {
  std::string title, text;
  vel::TMsgButtons buttons;
};

struct ReportLine {
  std::string section, key, value;
};

void WriteFile(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "content";
}

class UninstallTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = ToPath(testsupport::MakeTempFolder());
    // The Windows build's known folders follow the profile (under Wine the desktop would otherwise be
    // the real home); the Linux build's follow the private XDG folders the test program set up.
    platform::SetEnv("USERPROFILE", FromPath(root_ / "profile"));
    folder_ = root_ / kName;
    for (const std::string& file : kInstalled) WriteFile(folder_ / ToPath(file));
    WriteFile(folder_ / uninstaller::kUninstallerFileName);
    report_ = DefaultReport();
    SaveReport();
    registry_.SetErrorKind(vel::TRegistryErrorKind::Disabled);
    // A subkey the record gained: the record goes as a whole tree.
    ASSERT_TRUE(registry_.CreateKey(kRecordSubkey));
    registry_.WriteStringValue(kRecordLocation, "DisplayName", kName);
    registry_.WriteStringValue(kRecordLocation, "InstallLocation", FromPath(folder_));
    ASSERT_TRUE(registry_.KeyExists(kRecordSubkey));
    menuShortcut_ = Shortcut(vel::TUserFolder::Programs);
    desktopShortcut_ = Shortcut(vel::TUserFolder::Desktop);
    for (const fs::path& link : {menuShortcut_, desktopShortcut_}) {
      fs::create_directories(link.parent_path());
      platform::CreateShortcut(FromPath(folder_ / "Quarrow.exe"), FromPath(link), kName, "");
      ASSERT_TRUE(fs::exists(link));
    }
    console_ = vel::sysconsole::ConsoleCalled();
  }

  void TearDown() override {
    vel::SetMessageRoutine({});
    platform::RegistryKey key(platform::kRootCurrentUser, platform::kKeyAllAccess);
    if (key.OpenKey(kRecordParent, false)) key.DeleteKey(kName);
    std::error_code ec;
    fs::permissions(folder_ / "data" / "level1", fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove(menuShortcut_, ec);
    fs::remove(desktopShortcut_, ec);
    fs::remove_all(root_, ec);
  }

  static fs::path Shortcut(vel::TUserFolder folder) {
    std::string location = vel::GetUserFolder(folder);
    EXPECT_FALSE(location.empty());
    return ToPath(vel::IncludeTrailingPathDelimiter(location) + kName + platform::kShortcutSuffix);
  }

  std::vector<ReportLine> DefaultReport() const {
    std::vector<ReportLine> lines = {
        {"Report", "File Type", "Velnor Software Installer Report"},
        {"Report", "Installer", "Velnor Software Installer"},
        {"Report", "Version", "1.8.0"},
        {"Report", "Report Version", "1.0.0"},
        {"Application", "Name", kName},
        {"Application", "Install Path", FromPath(folder_)},
        {"Application", "Executable", FromPath(folder_ / "Quarrow.exe")},
        {"Configuration", "Shortcut-Menu", "1"},
        {"Configuration", "Shortcut-Desktop", "1"},
        {"Installation", "Registry Record", kRecord},
        {"Installation", "Registry HIVE", "HKEY_CURRENT_USER"},
        {"Files", "Count", std::to_string(kInstalled.size())},
    };
    for (std::size_t i = 0; i < kInstalled.size(); ++i)
      lines.push_back({"Files", "File" + std::to_string(i + 1), kInstalled[i]});
    return lines;
  }

  void Set(const std::string& section, const std::string& key, const std::string& value) {
    for (ReportLine& line : report_)
      if (line.section == section && line.key == key) {
        line.value = value;
        return;
      }
    report_.push_back({section, key, value});
  }

  void Erase(const std::string& key) {
    std::erase_if(report_, [&](const ReportLine& line) { return line.key == key; });
  }

  void SaveReport() const {
    std::ofstream out(ReportFile());
    std::string section;
    for (const ReportLine& line : report_) {
      if (line.section != section) out << "[" << (section = line.section) << "]\n";
      out << line.key << "=" << line.value << "\n";
    }
  }

  fs::path ReportFile() const { return folder_ / uninstaller::kReportFileName; }
  std::string Folder() const { return FromPath(folder_); }

  // Answers the question with `answer` and records every message.
  void AnswerWith(int answer) {
    vel::SetMessageRoutine([this, answer](const std::string& title, const std::string& text, vel::TMsgButtons buttons) {
      messages_.push_back({title, text, buttons});
      return buttons == vel::TMsgButtons::YesNo ? answer : vel::mrOk;
    });
  }

  // The closing message goes to the console instead when the test program was started from one.
  void ExpectClosingMessage(const std::string& title, const std::string& text) {
    if (console_) return;
    ASSERT_FALSE(messages_.empty());
    EXPECT_EQ(messages_.back().title, title);
    EXPECT_EQ(messages_.back().text, text);
    EXPECT_EQ(messages_.back().buttons, vel::TMsgButtons::Ok);
  }

  bool RecordExists() { return registry_.KeyExists(kRecordLocation); }

  void ExpectNothingRemoved() {
    for (const std::string& file : kInstalled) EXPECT_TRUE(fs::exists(folder_ / ToPath(file))) << file;
    EXPECT_TRUE(fs::exists(folder_ / uninstaller::kUninstallerFileName));
    EXPECT_TRUE(fs::exists(menuShortcut_));
    EXPECT_TRUE(fs::exists(desktopShortcut_));
    EXPECT_TRUE(registry_.KeyExists(kRecordSubkey));
  }

  void ExpectAllRemoved() {
    EXPECT_FALSE(fs::exists(folder_)) << "the install folder stayed";
    EXPECT_FALSE(fs::exists(menuShortcut_));
    EXPECT_FALSE(fs::exists(desktopShortcut_));
    EXPECT_FALSE(RecordExists());
  }

  fs::path root_, folder_, menuShortcut_, desktopShortcut_;
  std::vector<ReportLine> report_;
  std::vector<Message> messages_;
  vel::TWinRegistry registry_;
  bool console_ = false;
};

}  // namespace

TEST_F(UninstallTest, RemovesWhatTheInstallationWroteAndKeepsTheUsersOwnFiles) {
  const fs::path userFile = folder_ / "data" / "level1" / "notes.txt";
  const fs::path userFolderFile = folder_ / "mine" / "own.txt";
  WriteFile(userFile);
  WriteFile(userFolderFile);
  WriteFile(folder_ / "cache" / "deep" / "empty-soon.tmp");
  fs::remove(folder_ / "cache" / "deep" / "empty-soon.tmp");  // an empty folder the user made stays too
  fs::remove(folder_ / ToPath(kInstalled[1]));                 // a listed file already gone is no failure

  EXPECT_EQ(uninstaller::RunUninstall(Folder(), true), uninstaller::kExitRemoved);

  for (const std::string& file : kInstalled) EXPECT_FALSE(fs::exists(folder_ / ToPath(file))) << file;
  EXPECT_FALSE(fs::exists(folder_ / uninstaller::kUninstallerFileName));
  EXPECT_FALSE(fs::exists(ReportFile()));
  EXPECT_TRUE(fs::exists(userFile));
  EXPECT_TRUE(fs::exists(userFolderFile));
  EXPECT_TRUE(fs::is_directory(folder_ / "cache" / "deep"));
  EXPECT_FALSE(fs::exists(menuShortcut_));
  EXPECT_FALSE(fs::exists(desktopShortcut_));
  EXPECT_FALSE(RecordExists());
  EXPECT_TRUE(messages_.empty());
}

TEST_F(UninstallTest, RemovesEmptiedFoldersUpToTheInstallFolder) {
  EXPECT_EQ(uninstaller::RunUninstall(Folder() + kD, true), uninstaller::kExitRemoved);
  ExpectAllRemoved();
  EXPECT_TRUE(fs::exists(root_));
}

TEST_F(UninstallTest, RemovesOnlyTheShortcutsTheReportNames) {
  Set("Configuration", "Shortcut-Menu", "0");
  SaveReport();
  EXPECT_EQ(uninstaller::RunUninstall(Folder(), true), uninstaller::kExitRemoved);
  EXPECT_TRUE(fs::exists(menuShortcut_)) << "a shortcut of that name the installation did not make";
  EXPECT_FALSE(fs::exists(desktopShortcut_));
}

TEST_F(UninstallTest, RefusesABadReportAndRemovesNothing) {
  WriteFile(root_ / "outside.txt");
  WriteFile(root_ / "other" / "x.txt");
  const std::string outside = FromPath(root_ / "outside.txt");
  const std::string below = std::string(kRecordParent) + "\\";
  struct Case {
    std::function<void()> edit;
    std::string what;  // the reason the message gives
  };
  const std::vector<Case> cases = {
      {[&] { Set("Report", "File Type", "Other Report"); },
       "\"File Type\" is \"Other Report\" instead of \"Velnor Software Installer Report\""},
      {[&] { Set("Report", "Report Version", "2.0.0"); }, "the \"Report Version\" \"2.0.0\" is not known"},
      {[&] { Erase("Report Version"); }, "the \"Report Version\" \"\" is not known"},
      {[&] { Erase("Name"); }, "\"Name\" is missing"},
      {[&] { Set("Application", "Name", "Quarrow" + kD + "Studio"); },
       "the \"Name\" \"Quarrow" + kD + "Studio\" cannot be a file name"},
      {[&] { Erase("Install Path"); }, "\"Install Path\" is missing"},
      {[&] { Set("Application", "Install Path", FromPath(root_ / "other")); },
       "the \"Install Path\" \"" + FromPath(root_ / "other") + "\" is not the uninstaller's folder \"" + Folder() + "\""},
      {[&] { Set("Configuration", "Shortcut-Desktop", "yes"); }, "\"Shortcut-Desktop\" is \"yes\" instead of \"1\" or \"0\""},
      {[&] { Set("Installation", "Registry Record", below); },
       "the \"Registry Record\" \"" + below + "\" is not one key below \"" + below + "\""},
      {[&] { Set("Installation", "Registry Record", kRecord + "\\Extra"); },
       "the \"Registry Record\" \"" + kRecord + "\\Extra\" is not one key below \"" + below + "\""},
      {[&] { Set("Installation", "Registry Record", std::string("SOFTWARE\\") + kName); },
       "the \"Registry Record\" \"SOFTWARE\\Quarrow Studio\" is not one key below \"" + below + "\""},
      {[&] { Set("Application", "Name", "Other App"); }, "the \"Name\" \"Other App\" is not \"Quarrow Studio\""},
      {[&] { Set("Installation", "Registry Record", below + "Other App"); },
       "the \"Registry Record\" \"" + below + "Other App\" is not \"" + kRecord + "\""},
      {[&] { Set("Installation", "Registry Record", below + ".."); },
       "the \"Registry Record\" \"" + below + "..\" is not \"" + kRecord + "\""},
      {[&] { Set("Installation", "Registry HIVE", "HKEY_CLASSES_ROOT"); },
       "the \"Registry HIVE\" \"HKEY_CLASSES_ROOT\" is not known"},
      {[&] { Erase("Count"); }, "the section [Files] has no \"Count\""},
      {[&] { Set("Files", "Count", "3x"); }, "\"Count\" \"3x\" is not a number"},
      {[&] { Set("Files", "Count", "-1"); }, "\"Count\" \"-1\" is not a number"},
      {[&] { Set("Files", "Count", "5"); }, "\"File5\" is missing"},
      {[&] { Set("Files", "File2", outside); }, "\"File2\" \"" + outside + "\" is not a path inside the install folder"},
      {[&] { Set("Files", "File2", ".." + kD + "outside.txt"); },
       "\"File2\" \".." + kD + "outside.txt\" is not a path inside the install folder"},
      {[&] { Set("Files", "File2", "data" + kD + ".." + kD + ".." + kD + "outside.txt"); },
       "\"File2\" \"data" + kD + ".." + kD + ".." + kD + "outside.txt\" is not a path inside the install folder"},
      {[&] { Set("Files", "File2", "."); }, "\"File2\" \".\" is not a path inside the install folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    report_ = DefaultReport();
    c.edit();
    SaveReport();
    EXPECT_EQ(uninstaller::RunUninstall(Folder(), true), uninstaller::kExitFailed);
    // Not silent: the report is refused before the user is asked anything.
    messages_.clear();
    AnswerWith(vel::mrYes);
    EXPECT_EQ(uninstaller::RunUninstall(Folder(), false), uninstaller::kExitFailed);
    ExpectClosingMessage("Uninstall", "The install report \"" + FromPath(ReportFile()) + "\" is not valid: " +
                                          c.what + ".\n\nNothing was removed.");
    EXPECT_LE(messages_.size(), 1u);
    ExpectNothingRemoved();
    EXPECT_TRUE(fs::exists(ReportFile()));
    EXPECT_TRUE(fs::exists(root_ / "outside.txt"));
  }
}

// After a second installation into another folder, the record and the shortcuts are that one's: the
// first folder's uninstaller removes its own files and leaves them.
TEST_F(UninstallTest, KeepsTheRecordAndShortcutsOfAnInstallationElsewhere) {
  const fs::path other = root_ / "Other";
  WriteFile(other / "Quarrow.exe");
  for (const fs::path& link : {menuShortcut_, desktopShortcut_})
    platform::CreateShortcut(FromPath(other / "Quarrow.exe"), FromPath(link), kName, "");
  registry_.WriteStringValue(kRecordLocation, "InstallLocation", FromPath(other));

  EXPECT_EQ(uninstaller::RunUninstall(Folder(), true), uninstaller::kExitRemoved);
  EXPECT_FALSE(fs::exists(folder_));
  EXPECT_TRUE(fs::exists(menuShortcut_));
  EXPECT_TRUE(fs::exists(desktopShortcut_));
  EXPECT_EQ(registry_.GetStringValue(kRecordLocation, "InstallLocation"), FromPath(other));
  EXPECT_TRUE(registry_.KeyExists(kRecordSubkey));
  EXPECT_TRUE(fs::exists(other / "Quarrow.exe"));
}

// Files of the shortcuts' names that do not start this installation's program, and a record that
// names no folder, are not this installation's either.
TEST_F(UninstallTest, KeepsWhatDoesNotPointHere) {
  WriteFile(menuShortcut_);  // no shortcut at all: the user's own file
  platform::CreateShortcut(FromPath(root_ / "elsewhere.exe"), FromPath(desktopShortcut_), kName, "");
  registry_.DeleteValue(kRecordLocation, "InstallLocation");

  EXPECT_EQ(uninstaller::RunUninstall(Folder(), true), uninstaller::kExitRemoved);
  EXPECT_FALSE(fs::exists(folder_));
  EXPECT_TRUE(fs::exists(menuShortcut_));
  EXPECT_TRUE(fs::exists(desktopShortcut_));
  EXPECT_TRUE(RecordExists());
}

TEST_F(UninstallTest, RefusesAFileEntryThatLeadsOutThroughALink) {
  std::error_code ec;
  fs::create_directory_symlink(root_ / "other", folder_ / "link", ec);
  if (ec) GTEST_SKIP() << "no folder links here: " << ec.message();
  WriteFile(root_ / "other" / "victim.txt");
  Set("Files", "File2", "link" + kD + "victim.txt");
  SaveReport();
  EXPECT_EQ(uninstaller::RunUninstall(Folder(), true), uninstaller::kExitFailed);
  EXPECT_TRUE(fs::exists(root_ / "other" / "victim.txt"));
  ExpectNothingRemoved();
}

TEST_F(UninstallTest, AMissingReportRemovesNothing) {
  fs::remove(ReportFile());
  AnswerWith(vel::mrYes);
  EXPECT_EQ(uninstaller::RunUninstall(Folder(), false), uninstaller::kExitFailed);
  ExpectClosingMessage("Uninstall", "The install report \"" + FromPath(ReportFile()) + "\" was not found.\n\nNothing was removed.");
  ExpectNothingRemoved();
}

TEST_F(UninstallTest, AnsweringNoRemovesNothing) {
  AnswerWith(vel::mrNo);
  EXPECT_EQ(uninstaller::RunUninstall(Folder(), false), uninstaller::kExitDeclined);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].title, "Uninstall Quarrow Studio");
  EXPECT_EQ(messages_[0].text, "Do you want to remove Quarrow Studio and all of its components?");
  EXPECT_EQ(messages_[0].buttons, vel::TMsgButtons::YesNo);
  ExpectNothingRemoved();
  EXPECT_TRUE(fs::exists(ReportFile()));
}

TEST_F(UninstallTest, AnsweringYesRemovesAndSaysSo) {
  AnswerWith(vel::mrYes);
  EXPECT_EQ(uninstaller::RunUninstall(Folder(), false), uninstaller::kExitRemoved);
  ASSERT_FALSE(messages_.empty());
  EXPECT_EQ(messages_[0].buttons, vel::TMsgButtons::YesNo);
  ExpectClosingMessage("Uninstall Quarrow Studio", "Quarrow Studio was removed from your computer.");
  ExpectAllRemoved();
}

TEST_F(UninstallTest, TellsWhatStayedAndKeepsTheUninstallerForAnotherRun) {
  // Held open (Windows refuses to delete it) in a folder without write rights (Linux refuses, unless
  // the tests run as root).
  const fs::path stuck = folder_ / ToPath(kInstalled[3]);
  std::ofstream holder(stuck, std::ios::app);
  fs::permissions(stuck.parent_path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  AnswerWith(vel::mrYes);
  int code = uninstaller::RunUninstall(Folder(), false);
  if (!fs::exists(stuck)) GTEST_SKIP() << "this system let the file go";
  EXPECT_EQ(code, uninstaller::kExitFailed);
  EXPECT_FALSE(fs::exists(folder_ / ToPath(kInstalled[0])));
  EXPECT_TRUE(fs::exists(ReportFile()));
  EXPECT_TRUE(fs::exists(folder_ / uninstaller::kUninstallerFileName));
  if (!console_) {
    ASSERT_FALSE(messages_.empty());
    EXPECT_NE(messages_.back().text.find(FromPath(stuck)), std::string::npos) << messages_.back().text;
    EXPECT_EQ(messages_.back().text.rfind("Quarrow Studio could not be removed completely.", 0), 0u);
  }
}

TEST_F(UninstallTest, TheProgramRemovesTheInstallationAndItself) {
  const fs::path program = folder_ / uninstaller::kUninstallerFileName;
  fs::copy_file(ToPath(testsupport::HelperProgram("Uninstall")), program, fs::copy_options::overwrite_existing);
  testsupport::RunResult result = testsupport::Run(FromPath(program), {"/silent"});
  EXPECT_EQ(result.exitCode, uninstaller::kExitRemoved) << result.output;
  // On Windows the program's own file, and so the folder, go a moment after it has ended.
  EXPECT_TRUE(testsupport::WaitFor([&] { return !fs::exists(folder_); })) << "left: " << FromPath(folder_);
  ExpectAllRemoved();
}

// Started by a script or a service, where no one can answer the question: it says so and ends with its
// own code, removing nothing, from a console or not.
TEST_F(UninstallTest, WithoutAnyoneToAskTheProgramSaysSoAndRemovesNothing) {
  const std::string display = platform::GetEnv("DISPLAY"), wayland = platform::GetEnv("WAYLAND_DISPLAY");
#ifdef _WIN32
  // Under Wine the display comes from the host; a real one would show the question.
  if (!display.empty() || !wayland.empty()) GTEST_SKIP() << "a display is there to ask on";
#else
  platform::SetEnv("DISPLAY", "");
  platform::SetEnv("WAYLAND_DISPLAY", "");
#endif
  const fs::path program = folder_ / uninstaller::kUninstallerFileName;
  fs::copy_file(ToPath(testsupport::HelperProgram("Uninstall")), program, fs::copy_options::overwrite_existing);
  const std::string line =
      "<!> Error: There is no display to ask whether to remove Quarrow Studio; nothing was removed. Use -silent to "
      "remove it without asking.";
  const testsupport::RunResult runs[] = {testsupport::RunFromShell(FromPath(program), {}),
                                         testsupport::Run(FromPath(program), {})};
#ifndef _WIN32
  platform::SetEnv("DISPLAY", display);
  platform::SetEnv("WAYLAND_DISPLAY", wayland);
#endif
  for (const testsupport::RunResult& result : runs) {
    EXPECT_EQ(result.exitCode, uninstaller::kExitNoDisplay) << result.output;
#ifdef _WIN32
    // A window program without a console of its own has only the one it was started from to write to.
    if (&result != &runs[0]) continue;
#endif
    EXPECT_NE(result.output.find(line + "\n"), std::string::npos) << result.output;
  }
  for (const std::string& file : kInstalled) EXPECT_TRUE(fs::exists(folder_ / ToPath(file))) << file;
  EXPECT_TRUE(fs::exists(ReportFile()));
  EXPECT_TRUE(fs::exists(program));
  EXPECT_TRUE(registry_.KeyExists(kRecordLocation));
}

// An update killed part-way leaves partial files beside the application and the archive in the
// installer's temporary folder: they go with the installation, and so does a folder only they kept,
// while files with look-alike names stay. The temporary folders go when empty, up to the publisher's
// folder while it holds nothing else, never further.
TEST_F(UninstallTest, RemovesWhatAnInterruptedInstallationLeft) {
  const std::string savedLocal = platform::GetEnv("LOCALAPPDATA");
  platform::SetEnv("LOCALAPPDATA", FromPath(root_ / "local"));
  const fs::path temp = ToPath(installer::InstallerTempFolder());
  const fs::path publisher = temp.parent_path().parent_path().parent_path();
  ASSERT_EQ(publisher.parent_path(), root_ / "local");
  const std::vector<fs::path> leftovers = {
      temp / "program.zip",
      temp / "program.zip.4242-1.part",
      folder_ / "Uninstall.exe.4242-2.part",
      folder_ / "InstallReport.ini.4242-3.tmp",
      folder_ / "data" / "~zip4242-4.tmp",
      folder_ / "fresh" / "sub" / "~zip4242-5.tmp",  // in a folder that only the cut-short run made
  };
  const std::vector<fs::path> lookAlikes = {folder_ / "notes.tmp", folder_ / "mine" / "Uninstall.exe.part",
                                            folder_ / "~zipper.tmp"};
  for (const fs::path& file : leftovers) WriteFile(file);
  for (const fs::path& file : lookAlikes) WriteFile(file);
  WriteFile(publisher / "Another App" / "settings.ini");

  EXPECT_EQ(uninstaller::RunUninstall(Folder(), true), uninstaller::kExitRemoved);
  for (const fs::path& file : leftovers) EXPECT_FALSE(fs::exists(file)) << file;
  for (const fs::path& file : lookAlikes) EXPECT_TRUE(fs::exists(file)) << file;
  EXPECT_FALSE(fs::exists(folder_ / "fresh"));
  EXPECT_FALSE(fs::exists(temp.parent_path())) << "the installer's temporary folders stayed";
  EXPECT_TRUE(fs::exists(publisher / "Another App" / "settings.ini"));

  // With nothing else in it, the publisher's folder goes too, but not the folder it lies in.
  fs::remove_all(publisher / "Another App");
  WriteFile(temp / "program.zip");
  WriteFile(folder_ / uninstaller::kUninstallerFileName);
  report_ = DefaultReport();
  SaveReport();
  EXPECT_EQ(uninstaller::RunUninstall(Folder(), true), uninstaller::kExitRemoved);
  EXPECT_FALSE(fs::exists(publisher));
  EXPECT_TRUE(fs::is_directory(root_ / "local"));
  platform::SetEnv("LOCALAPPDATA", savedLocal);
}
