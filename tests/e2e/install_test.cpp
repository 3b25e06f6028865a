// The installer program end to end: silent installs into temporary folders, the record and report it
// leaves, a second run over the first, the uninstaller, and the switches that end a run early.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "child_process.h"
#include "e2e_support.h"
#include "install_traces.h"
#include "installer/descriptor.h"
#include "installer/leftovers.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shortcut.h"
#include "platform/text.h"
#include "platform/window.h"
#include "vel/files.h"
#include "vel/registry.h"

namespace {

namespace fs = std::filesystem;
using namespace e2e;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class InstallTest : public testing::Test {
 protected:
  void SetUp() override {
    RemoveRecord();
    root = testsupport::MakeTempFolder();
    folder = platform::FromPath(root / "Quarrow Studio");
    for (vel::TUserFolder f : {vel::TUserFolder::Programs, vel::TUserFolder::Desktop})
      fs::create_directories(platform::ToPath(vel::GetUserFolder(f)));
  }
  void TearDown() override {
    RemoveRecord();
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  static void RemoveRecord() { testsupport::RemoveInstallTraces(); }

  fs::path root;
  std::string folder;
};

}  // namespace

TEST_F(InstallTest, SilentInstallThenUpdateThenUninstall) {
  testsupport::RunResult run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-installpath", folder});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(HasLine(run.output, "(!) Beginning instalation")) << run.output;
  EXPECT_TRUE(HasLine(run.output, "(!) Installation type: silent"));
  EXPECT_TRUE(HasLine(run.output, "(!) Installation successfull"));

  // Every file of the payload, byte for byte, the application and the uninstaller.
  std::size_t files = 0;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(PAYLOAD_DIR)) {
    if (!e.is_regular_file()) continue;
    ++files;
    fs::path installed = platform::ToPath(folder) / fs::relative(e.path(), PAYLOAD_DIR);
    EXPECT_EQ(ReadFile(installed), ReadFile(e.path())) << installed;
  }
  EXPECT_EQ(files, 22u);
  EXPECT_TRUE(fs::is_regular_file(platform::ToPath(folder + d + "QuarrowStudio.exe")));
  EXPECT_TRUE(fs::is_regular_file(platform::ToPath(folder + d + "Uninstall.exe")));
  EXPECT_TRUE(fs::is_regular_file(platform::ToPath(testsupport::ShortcutPath(vel::TUserFolder::Programs))));
  EXPECT_TRUE(fs::is_regular_file(platform::ToPath(testsupport::ShortcutPath(vel::TUserFolder::Desktop))));
  // The application's icon lies beside it, and the desktop entries show it.
  EXPECT_EQ(ReadFile(platform::ToPath(folder + d + "QuarrowStudio.png")), ReadFile(APP_LOGO));
#ifndef _WIN32
  for (vel::TUserFolder f : {vel::TUserFolder::Programs, vel::TUserFolder::Desktop})
    EXPECT_TRUE(HasLine(ReadFile(platform::ToPath(testsupport::ShortcutPath(f))), "Icon=" + folder + d + "QuarrowStudio.png"));
#endif

  // The record, each value with its type.
  platform::RegistryKey key(platform::kRootCurrentUser, platform::kKeyRead);
  ASSERT_TRUE(key.OpenKey(kRecord, false));
  vel::TWinRegistry reg;
  const std::string loc = "HKEY_CURRENT_USER\\" + kRecord;
  const std::pair<const char*, std::string> strings[] = {
      {"DisplayIcon", folder + d + "QuarrowStudio.exe"},
      {"DisplayName", "Quarrow Studio Suite"},
      {"DisplayVersion", "1.1.0"},
      {"InstallLocation", folder},
      {"Publisher", "Velnor Software"},
      {"UninstallString", "\"" + folder + d + "Uninstall.exe\""},
      {"QuietUninstallString", "\"" + folder + d + "Uninstall.exe\" -silent"},
      {"URLInfoAbout", installer::descriptor::AppsPage},
      {"HelpLink", installer::descriptor::ContactPage},
      {"URLUpdateInfo", installer::descriptor::AppsPage},
  };
  for (const auto& [name, value] : strings) {
    EXPECT_EQ(key.ReadValue(name)->type, platform::RegType::String) << name;
    EXPECT_EQ(reg.GetStringValue(loc, name), value) << name;
  }
  for (const char* name : {"NoModify", "NoRepair", "EstimatedSize", "VersionMajor", "VersionMinor"})
    EXPECT_EQ(key.ReadValue(name)->type, platform::RegType::DWord) << name;
  EXPECT_EQ(reg.GetIntValue(loc, "NoModify"), 1);
  EXPECT_EQ(reg.GetIntValue(loc, "NoRepair"), 1);
  // Measured with everything in place, the report too.
  EXPECT_EQ(reg.GetIntValue(loc, "EstimatedSize"), static_cast<std::int32_t>(vel::FolderSize(folder) / 1024));
  EXPECT_EQ(reg.GetStringValue(loc, "InstallDate").size(), 8u);

#ifdef _WIN32
  // As the system's own tool reads the record.
  testsupport::RunResult query = testsupport::Run("reg", {"query", "HKCU\\" + kRecord});
  ASSERT_EQ(query.exitCode, 0) << query.output;
  std::map<std::string, std::pair<std::string, std::string>> shown;  // name -> type, data
  for (const std::string& line : Lines(query.output)) {
    std::vector<std::string> parts;
    for (std::size_t at = line.find_first_not_of(' '); at != std::string::npos;) {
      const std::size_t gap = line.find("    ", at);
      parts.push_back(line.substr(at, gap == std::string::npos ? gap : gap - at));
      at = gap == std::string::npos ? gap : line.find_first_not_of(' ', gap);
    }
    if (parts.size() == 3) shown[parts[0]] = {parts[1], parts[2]};
  }
  const std::string uninstaller = "\"" + folder + d + "Uninstall.exe\"";
  using Shown = std::pair<std::string, std::string>;
  EXPECT_EQ(shown["DisplayName"], Shown("REG_SZ", "Quarrow Studio Suite")) << query.output;
  EXPECT_EQ(shown["UninstallString"], Shown("REG_SZ", uninstaller)) << query.output;
  EXPECT_EQ(shown["QuietUninstallString"], Shown("REG_SZ", uninstaller + " -silent")) << query.output;
  EXPECT_EQ(shown["VersionMajor"], Shown("REG_DWORD", "0x1")) << query.output;
  EXPECT_EQ(shown["VersionMinor"], Shown("REG_DWORD", "0x1")) << query.output;
  EXPECT_EQ(shown["InstallDate"].first, "REG_SZ") << query.output;
  EXPECT_EQ(shown["InstallDate"].second.size(), 8u) << query.output;
  EXPECT_EQ(shown["InstallDate"].second.find_first_not_of("0123456789"), std::string::npos) << query.output;
#endif

  // The report, every key in order.
  std::string reportText = ReadFile(platform::ToPath(folder + d + "InstallReport.ini"));
#ifdef _WIN32
  // In UTF-16 with its mark, so that any folder name survives the system's profile functions.
  ASSERT_EQ(reportText.substr(0, 2), "\xFF\xFE");
  std::u16string units(reportText.size() / 2 - 1, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(reportText[2 + 2 * i]) |
                                     static_cast<unsigned char>(reportText[3 + 2 * i]) << 8);
  reportText = platform::Utf16ToUtf8(units);
#endif
  std::vector<std::string> report = Lines(reportText);
  for (std::string& line : report)
    if (!line.empty() && line.back() == '\r') line.pop_back();
  const std::vector<std::string> expected = {
      "[Report]",
      "File Type=Velnor Software Installer Report",
      "Installer=Velnor Software Installer",
      "Version=1.8.0",
      "Report Version=1.0.0",
      "[Application]",
      "Name=Quarrow Studio",
      "Install Path=" + folder,
      "Data Path=" + vel::AppDataFolder("Quarrow Studio", true, false, vel::TAppDataKind::Local),
      "Executable=" + folder + d + "QuarrowStudio.exe",
      "[Configuration]",
      "Shortcut-Menu=1",
      "Shortcut-Desktop=1",
      "Options=false,false,false",
      "Extensions=false,false,false",
      "[Installation]",
      "Has EULA=1",
      "User Install=1",
      "Registry Record=" + kRecord,
      "Registry HIVE=HKEY_CURRENT_USER",
      "[Files]",
      "Count=24",
  };
  std::vector<std::string> head;
  for (const std::string& line : report)
    if (!line.empty()) head.push_back(line);
  ASSERT_GE(head.size(), expected.size() + 24);
  head.resize(expected.size());
  EXPECT_EQ(head, expected);

  // A second run finds the record and installs over it, into the same folder.
  fs::remove(platform::ToPath(folder + d + "README.txt"));
  std::ofstream(platform::ToPath(folder + d + "my notes.txt")) << "mine";
  run = testsupport::RunFromShell(SetupProgram(), {"-silent"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(HasLine(run.output, "(!) Installation successfull")) << run.output;
  EXPECT_TRUE(fs::is_regular_file(platform::ToPath(folder + d + "README.txt")));

  // The uninstaller removes what the installation made and leaves the user's file.
  testsupport::RunResult removal = testsupport::Run(folder + d + "Uninstall.exe", {"-silent"});
  EXPECT_EQ(removal.exitCode, 0) << removal.output;
  EXPECT_TRUE(testsupport::WaitFor([&] { return !fs::exists(platform::ToPath(folder + d + "Uninstall.exe")); }));
  EXPECT_FALSE(fs::exists(platform::ToPath(folder + d + "QuarrowStudio.exe")));
  EXPECT_FALSE(fs::exists(platform::ToPath(folder + d + "QuarrowStudio.png")));
  EXPECT_FALSE(fs::exists(platform::ToPath(folder + d + "data")));
  EXPECT_FALSE(fs::exists(platform::ToPath(folder + d + "InstallReport.ini")));
  EXPECT_FALSE(fs::exists(platform::ToPath(testsupport::ShortcutPath(vel::TUserFolder::Programs))));
  EXPECT_FALSE(fs::exists(platform::ToPath(testsupport::ShortcutPath(vel::TUserFolder::Desktop))));
  EXPECT_FALSE(reg.KeyExists(loc));
  EXPECT_EQ(ReadFile(platform::ToPath(folder + d + "my notes.txt")), "mine");
}

// A folder that already holds files of the application's names, written by no earlier installation:
// they are the user's, and the uninstaller would later delete what the installation replaced.
TEST_F(InstallTest, RefusesToReplaceTheUsersFilesUnlessForced) {
  const fs::path readme = platform::ToPath(folder + d + "README.txt");
  fs::create_directories(readme.parent_path());
  std::ofstream(readme) << "mine";
  testsupport::RunResult run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-installpath", folder});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_TRUE(HasLine(run.output, "<!> Error: The folder \"" + folder + "\" already holds \"" + folder + d +
                                      "README.txt\", which no earlier installation of Quarrow Studio wrote. Nothing "
                                      "was installed; start the installer with -force to replace it."))
      << run.output;
  EXPECT_TRUE(HasLine(run.output, "(!) Installation has failed"));
  EXPECT_EQ(ReadFile(readme), "mine");
  std::vector<fs::path> left;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(platform::ToPath(folder))) left.push_back(e.path());
  EXPECT_EQ(left, std::vector<fs::path>{readme});
  EXPECT_FALSE(vel::TWinRegistry().KeyExists("HKEY_CURRENT_USER\\" + kRecord));
  EXPECT_FALSE(fs::exists(platform::ToPath(testsupport::ShortcutPath(vel::TUserFolder::Desktop))));

  run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-force", "-installpath", folder});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(HasLine(run.output, "(!) -force: files no earlier installation of Quarrow Studio wrote are replaced, "
                                  "the first being \"" + folder + d + "README.txt\""))
      << run.output;
  EXPECT_EQ(ReadFile(readme), ReadFile(fs::path(PAYLOAD_DIR) / "README.txt"));
}

// Installed again into another folder, the application's record and shortcuts belong to the second
// folder: the first folder's uninstaller removes its own files and leaves them.
TEST_F(InstallTest, TheFirstFoldersUninstallerLeavesTheSecondInstallation) {
  const std::string second = platform::FromPath(root / "Second");
  testsupport::RunResult run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-installpath", folder});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-installpath", second});
  ASSERT_EQ(run.exitCode, 0) << run.output;

  testsupport::RunResult removal = testsupport::Run(folder + d + "Uninstall.exe", {"-silent"});
  EXPECT_EQ(removal.exitCode, 0) << removal.output;
  EXPECT_TRUE(testsupport::WaitFor([&] { return !fs::exists(platform::ToPath(folder)); }));
  vel::TWinRegistry reg;
  EXPECT_EQ(reg.GetStringValue("HKEY_CURRENT_USER\\" + kRecord, "InstallLocation"), second);
  for (vel::TUserFolder f : {vel::TUserFolder::Programs, vel::TUserFolder::Desktop}) {
    const std::string link = testsupport::ShortcutPath(f);
    EXPECT_TRUE(fs::exists(platform::ToPath(link))) << link;
    EXPECT_EQ(platform::ShortcutTarget(link), second + d + "QuarrowStudio.exe");
  }
  EXPECT_TRUE(fs::is_regular_file(platform::ToPath(second + d + "QuarrowStudio.exe")));

  // The second folder's uninstaller then removes its installation, record and shortcuts.
  removal = testsupport::Run(second + d + "Uninstall.exe", {"-silent"});
  EXPECT_EQ(removal.exitCode, 0) << removal.output;
  EXPECT_TRUE(testsupport::WaitFor([&] { return !fs::exists(platform::ToPath(second)); }));
  EXPECT_FALSE(reg.KeyExists("HKEY_CURRENT_USER\\" + kRecord));
  for (vel::TUserFolder f : {vel::TUserFolder::Programs, vel::TUserFolder::Desktop})
    EXPECT_FALSE(fs::exists(platform::ToPath(testsupport::ShortcutPath(f))));
}

// A folder named with characters outside the system's code page: the report keeps the name as it is,
// so the uninstaller finds its own folder in it and removes the installation.
TEST_F(InstallTest, AFolderNamedOutsideTheCodePage) {
  const std::string unusual = platform::FromPath(root / platform::ToPath("\u03A9mega \u88FD\u54C1"));
  testsupport::RunResult run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-installpath", unusual});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::string report = unusual + d + "InstallReport.ini";
  EXPECT_EQ(platform::IniReadString(report, "Application", "Install Path"), unusual);
  EXPECT_EQ(platform::IniReadString(report, "Application", "Executable"), unusual + d + "QuarrowStudio.exe");

  testsupport::RunResult removal = testsupport::Run(unusual + d + "Uninstall.exe", {"-silent"});
  EXPECT_EQ(removal.exitCode, 0) << removal.output;
  EXPECT_TRUE(testsupport::WaitFor([&] { return !fs::exists(platform::ToPath(unusual)); }));
  EXPECT_FALSE(vel::TWinRegistry().KeyExists("HKEY_CURRENT_USER\\" + kRecord));
  EXPECT_FALSE(fs::exists(platform::ToPath(testsupport::ShortcutPath(vel::TUserFolder::Desktop))));
}

TEST_F(InstallTest, SwitchesThatEndTheRun) {
  const std::string missing = platform::FromPath(root / "no such folder" / "app");
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string line;
  } cases[] = {
      {{"-silent", "-installpath", missing}, 2, "(!) Attention: The installation path provided is invalid!"},
      {{"-installpath"}, 2, "(!) Attention: The installation path provided is invalid!"},
      {{"-option", "x", "true", "-silent"}, 2, "<!> Error: The provided parameter is incorrect"},
      // Handled left to right: the first parameter that ends the run wins.
      {{"-installpath", missing, "-help"}, 2, "(!) Attention: The installation path provided is invalid!"},
      {{"-silent"}, 1, "(!) Installation has failed"},
      // Never the system's root or the home itself, and no name the uninstaller could not find again.
      {{"-silent", "-installpath", "//"}, 2, "(!) Attention: The installation path provided is invalid!"},
      {{"-silent", "-installpath", "~"}, 2, "(!) Attention: The installation path provided is invalid!"},
      {{"-silent", "-installpath", folder + " "}, 2, "(!) Attention: The installation path provided is invalid!"},
      {{"-user", "-silent"}, 1, "(!) Installation does not allow changing install type."},
  };
  for (const Case& c : cases) {
    testsupport::RunResult run = testsupport::RunFromShell(SetupProgram(), c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args[0] << "\n" << run.output;
    EXPECT_TRUE(HasLine(run.output, c.line)) << c.args[0] << "\n" << run.output;
  }
  // Nothing was installed, and a failed installation is not recorded.
  EXPECT_FALSE(fs::exists(platform::ToPath(missing)));
  EXPECT_FALSE(vel::TWinRegistry().KeyExists("HKEY_CURRENT_USER\\" + kRecord));

  testsupport::RunResult help = testsupport::RunFromShell(SetupProgram(), {"-help", "-silent"});
  EXPECT_EQ(help.exitCode, 0);
  std::vector<std::string> lines = Lines(help.output);
  ASSERT_EQ(lines.size(), 15u) << help.output;
  EXPECT_EQ(lines[0], "Avalabile Parameters:");
  EXPECT_EQ(lines[2], std::string(24, '-'));
  EXPECT_EQ(lines[13], "-ad -> Auto-delete installer when closed");
  EXPECT_EQ(lines[14], "");
}

TEST_F(InstallTest, TheInstallPathIsStoredExpandedAndAbsolute) {
  // "~" and "." are the program's to resolve: the shell passes them on untouched.
  const std::string home = vel::GetUserFolder(vel::TUserFolder::Profile);
  const std::string target = platform::FromPath((platform::ToPath(home) / "Quarrow Home Test").lexically_normal());
  testsupport::RunResult run = testsupport::RunFromShell(
      SetupProgram(), {"-silent", "-installpath", "~" + d + "." + d + "Quarrow Home Test"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(fs::is_regular_file(platform::ToPath(target + d + "QuarrowStudio.exe")));
  EXPECT_EQ(vel::TWinRegistry().GetStringValue("HKEY_CURRENT_USER\\" + kRecord, "InstallLocation"), target);
  std::error_code ec;
  fs::remove_all(platform::ToPath(target), ec);
}

TEST_F(InstallTest, WithoutAShellNothingIsPrinted) {
  testsupport::RunResult run = testsupport::Run(SetupProgram(), {"/silent", "-installpath", folder});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_TRUE(fs::is_regular_file(platform::ToPath(folder + d + "QuarrowStudio.exe")));
}

TEST_F(InstallTest, AutoDeleteRemovesTheInstallerItself) {
  fs::path copy = root / platform::ToPath(SetupProgram()).filename();
  fs::copy_file(platform::ToPath(SetupProgram()), copy);
  testsupport::RunResult run = testsupport::RunFromShell(platform::FromPath(copy), {"-ad", "-silent", "-installpath", folder});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(testsupport::WaitFor([&] { return !fs::exists(copy); }));
  EXPECT_TRUE(fs::is_regular_file(platform::ToPath(folder + d + "QuarrowStudio.exe")));
}

static void ExpectNoDisplayEnding(const testsupport::RunResult& run, const std::string& folder) {
  EXPECT_EQ(run.exitCode, 8) << run.output;
  EXPECT_TRUE(HasLine(run.output,
                      "<!> Error: There is no display to show the installer window on. Use -silent to install without "
                      "one, for example: -silent -installpath <folder>"))
      << run.output;
  // And why, in the window system's words.
  const std::vector<std::string> lines = Lines(run.output);
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                          [](const std::string& line) { return line.rfind("<!> The window system said: ", 0) == 0; }))
      << run.output;
  EXPECT_FALSE(fs::exists(platform::ToPath(folder)));
}

// Without -silent the installer shows its wizard; where nothing can show a window, a script must learn
// that nothing was installed, and how to install instead.
TEST_F(InstallTest, WithoutADisplayTheWizardRunEndsWithItsOwnCodeAndTheHint) {
#ifdef _WIN32
  // Windows has no display variable to take away: only Wine without an X server lacks a window system,
  // and anywhere else the wizard would open and wait for a user.
  try {
    platform::CreateSystemBackend();
    GTEST_SKIP() << "this system can show windows";
  } catch (const std::exception&) {
  }
  testsupport::RunResult run = testsupport::RunFromShell(SetupProgram(), {"-installpath", folder});
  ExpectNoDisplayEnding(run, folder);
#else
  // No display named, and one named that nobody serves (where SDL would otherwise settle for its
  // off-screen driver and the wizard would wait, unseen, for ever).
  int unserved = 4000;
  while (fs::exists("/tmp/.X11-unix/X" + std::to_string(unserved))) ++unserved;
  const std::string display = platform::GetEnv("DISPLAY"), wayland = platform::GetEnv("WAYLAND_DISPLAY");
  for (const std::string& named : {std::string(), ":" + std::to_string(unserved)}) {
    SCOPED_TRACE("DISPLAY=" + named);
    platform::SetEnv("DISPLAY", named);
    platform::SetEnv("WAYLAND_DISPLAY", "");
    testsupport::RunResult run = testsupport::RunFromShell(SetupProgram(), {"-installpath", folder});
    platform::SetEnv("DISPLAY", display);
    platform::SetEnv("WAYLAND_DISPLAY", wayland);
    ExpectNoDisplayEnding(run, folder);
  }
#endif
}

// A script's run over a newer installed version: nothing asked, nothing changed, its own exit code;
// -force installs.
TEST_F(InstallTest, ASilentRunOverANewerVersionEndsWithThreeUnlessForced) {
  const std::string key = "HKEY_CURRENT_USER\\" + kRecord;
  vel::TWinRegistry reg;
  reg.CreateKey(key);
  reg.WriteStringValue(key, "DisplayVersion", "9.0-beta");
  reg.WriteStringValue(key, "InstallLocation", folder);
  testsupport::RunResult run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-installpath", folder});
  EXPECT_EQ(run.exitCode, 3) << run.output;
  EXPECT_TRUE(HasLine(run.output,
                      "<!> Error: A newer version of Quarrow Studio Suite (9.0-beta) is installed; nothing was "
                      "installed. Use -force to install this version over it."))
      << run.output;
  EXPECT_FALSE(fs::exists(platform::ToPath(folder)));
  EXPECT_EQ(reg.GetStringValue(key, "DisplayVersion"), "9.0-beta");

  run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-force", "-installpath", folder});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(fs::is_regular_file(platform::ToPath(folder + d + "QuarrowStudio.exe")));
  EXPECT_EQ(reg.GetStringValue(key, "DisplayVersion"), "1.1.0");
}

#ifndef _WIN32
// The console is a report: a reader that stops reading or a full device must not change the outcome.
TEST_F(InstallTest, ALostConsoleNeverChangesTheOutcome) {
  const std::string status = platform::FromPath(root / "status");
  struct Case {
    const char* name;
    std::string script;
  } cases[] = {
      {"closed pipe", "{ \"$0\" \"$@\"; echo $? > '" + status + "'; } | head -c 0"},
      {"full device", "\"$0\" \"$@\" > /dev/full; echo $? > '" + status + "'"},
  };
  for (const Case& c : cases) {
    RemoveRecord();
    std::error_code ec;
    fs::remove_all(platform::ToPath(folder), ec);
    testsupport::RunResult run =
        testsupport::Run("/bin/sh", {"-c", c.script, SetupProgram(), "-silent", "-installpath", folder});
    EXPECT_EQ(ReadFile(platform::ToPath(status)), "0\n") << c.name << "\n" << run.output;
    EXPECT_TRUE(fs::is_regular_file(platform::ToPath(folder + d + "InstallReport.ini"))) << c.name;
  }
}
#endif

// -log keeps every step with its time and the cause of a failure; the console names the cause after
// the failed line.
TEST_F(InstallTest, TheLogAndTheCauseOfAFailure) {
  const std::string log = platform::FromPath(root / "install.log");
  testsupport::RunResult run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-log", log, "-installpath", folder});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  std::string text = ReadFile(platform::ToPath(log));
  for (const char* line : {"Command line: -silent -log", "Step 1 Prepare: ", "Step 3 Extract: ", "Step 5 Verify: ",
                           "(!) Installation successfull"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;

  // A file where the application's "data" folder goes: the extraction fails, and says where.
  RemoveRecord();
  const std::string other = platform::FromPath(root / "Other");
  fs::create_directories(platform::ToPath(other));
  std::ofstream(platform::ToPath(other + d + "data")) << "the user's";
  run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-log", log, "-installpath", other});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  std::vector<std::string> lines = Lines(run.output);
  auto failed = std::find(lines.begin(), lines.end(), "(!) Installation has failed");
  ASSERT_NE(failed, lines.end()) << run.output;
  ASSERT_NE(failed + 1, lines.end()) << run.output;
  EXPECT_EQ(failed[1].rfind("<!> Error: ", 0), 0u) << run.output;
  EXPECT_NE(failed[1].find("data"), std::string::npos) << run.output;
  text = ReadFile(platform::ToPath(log));
  EXPECT_NE(text.find(failed[1]), std::string::npos) << text;
  EXPECT_NE(text.find(", failed"), std::string::npos) << text;

  // A log that cannot be written is a bad parameter, before anything is installed.
  run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-log", other + d + "data" + d + "x.log", "-installpath", folder + "2"});
  EXPECT_EQ(run.exitCode, 2) << run.output;
  EXPECT_FALSE(fs::exists(platform::ToPath(folder + "2")));
}

// What a killed run leaves (the archive, partial copies of the uninstaller, the report and extracted
// files) goes with the next run and with the uninstaller; nothing else is touched, and the installer's
// temporary folder does not outlive a run.
TEST_F(InstallTest, AKilledRunsLeftoversGoWithTheNextRunAndWithTheUninstaller) {
  const fs::path temp = platform::ToPath(installer::InstallerTempFolder());
  const fs::path app = platform::ToPath(folder);
  auto leave = [&] {
    const std::vector<fs::path> files = {temp / "program.zip", temp / "program.zip.77777-1.part",
                                         app / "Uninstall.exe.77777-2.part", app / "InstallReport.ini.77777-3.tmp",
                                         app / "data" / "~zip77777-4.tmp"};
    for (const fs::path& file : files) {
      fs::create_directories(file.parent_path());
      std::ofstream(file, std::ios::binary) << "partial";
    }
    return files;
  };
  testsupport::RunResult run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-installpath", folder});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_FALSE(fs::exists(temp.parent_path())) << "the temporary folder outlived the run";
  std::ofstream(app / "my notes.tmp") << "mine";

  std::vector<fs::path> left = leave();
  run = testsupport::RunFromShell(SetupProgram(), {"-silent"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  for (const fs::path& file : left) EXPECT_FALSE(fs::exists(file)) << file;
  EXPECT_FALSE(fs::exists(temp.parent_path()));
  EXPECT_EQ(ReadFile(app / "my notes.tmp"), "mine");

  left = leave();
  testsupport::RunResult removal = testsupport::Run(folder + d + "Uninstall.exe", {"-silent"});
  EXPECT_EQ(removal.exitCode, 0) << removal.output;
  EXPECT_TRUE(testsupport::WaitFor([&] { return !fs::exists(app / "Uninstall.exe"); }));
  for (const fs::path& file : left) EXPECT_FALSE(fs::exists(file)) << file;
  EXPECT_FALSE(fs::exists(app / "data"));
  EXPECT_FALSE(fs::exists(temp.parent_path()));
  EXPECT_EQ(ReadFile(app / "my notes.tmp"), "mine");
}

#ifndef _WIN32
// A hive's store that cannot be read ends the run before anything is written, with the file named, and
// the store is left as it was.
TEST_F(InstallTest, ADamagedRegistryStoreFailsTheRunAndNamesItsFile) {
  const fs::path store = platform::ToPath(platform::GetEnv("VEL_REGISTRY_DIR"));
  const std::string garbage = "no database here " + std::string(700, '#');
  {
    const fs::path file = store / "HKEY_CURRENT_USER.db";
    const fs::path saved = root / "saved.db";
    const bool had = fs::exists(file);
    if (had) fs::copy_file(file, saved, fs::copy_options::overwrite_existing);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << garbage;

    testsupport::RunResult run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-installpath", folder});
    const std::string damaged = ReadFile(file);
    if (had)
      fs::copy_file(saved, file, fs::copy_options::overwrite_existing);
    else
      fs::remove(file);

    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_TRUE(HasLine(run.output, "(!) Installation has failed")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "<!> Error: The registry store \"" + file.string() +
                                        "\" is damaged: file is not a database; nothing was installed."))
        << run.output;
    EXPECT_EQ(damaged, garbage);
    EXPECT_FALSE(fs::exists(platform::ToPath(folder)));
    for (vel::TUserFolder f : {vel::TUserFolder::Programs, vel::TUserFolder::Desktop})
      EXPECT_FALSE(fs::exists(platform::ToPath(testsupport::ShortcutPath(f))));
  }
}
#endif
