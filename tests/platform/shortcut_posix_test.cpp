// Shortcuts on Linux: a desktop entry the desktop can start.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "child_process.h"
#include "platform/shortcut.h"

TEST(ShortcutTest, ADesktopEntryThatStartsTheTarget) {
  std::string folder = testsupport::MakeTempFolder();
  // The applications folder of a fresh account may not exist yet.
  std::string link = folder + "/applications/Quarrow Studio.desktop";
  platform::CreateShortcut("/opt/Quarrow Studio/QuarrowStudio.exe", link, "Quarrow Studio Suite",
                           "-open \"My File.qsd\" 100%");
  std::ifstream in(link);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Version=1.0\n"
            "Name=Quarrow Studio\n"
            "Comment=Quarrow Studio Suite\n"
            "Exec=\"/opt/Quarrow Studio/QuarrowStudio.exe\" -open \"My File.qsd\" 100%%\n"
            "Path=/opt/Quarrow Studio\n"
            "Icon=application-x-executable\n"
            "Terminal=false\n"
            "Categories=Utility;\n");
  struct stat st {};
  ASSERT_EQ(stat(link.c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR);

  // Written again over the old one.
  platform::CreateShortcut("/usr/bin/true", link, "", "");
  std::ifstream again(link);
  std::stringstream second;
  second << again.rdbuf();
  EXPECT_NE(second.str().find("Exec=/usr/bin/true\n"), std::string::npos);
  EXPECT_EQ(second.str().find("Comment="), std::string::npos);
}

// The uninstaller tells its own shortcuts by their target, whatever characters the folder holds.
TEST(ShortcutTest, TheTargetReadsBack) {
  std::string folder = testsupport::MakeTempFolder();
  std::string link = folder + "/Quarrow Studio.desktop";
  for (const std::string target : {"/opt/q/QuarrowStudio.exe", "/opt/Quarrow Studio/Quarrow \"$HOME\" `x` \\ 100%.exe",
                                   "/opt/tab\there/q.exe"}) {
    platform::CreateShortcut(target, link, "Quarrow Studio Suite", "-open \"My File.qsd\"");
    EXPECT_EQ(platform::ShortcutTarget(link), target);
  }
  std::ofstream(link) << "[Other]\nExec=/opt/q/QuarrowStudio.exe\n";
  EXPECT_EQ(platform::ShortcutTarget(link), "");
  EXPECT_EQ(platform::ShortcutTarget(folder + "/missing.desktop"), "");
}

std::string ReadFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Desktops ignore an entry their own validator refuses, so every folder a user may pick has to give a
// valid one, with the program's icon when one lies beside it.
TEST(ShortcutTest, TheDesktopsValidatorAcceptsEveryEntry) {
  std::string validator;
  for (const char* candidate : {"/usr/bin/desktop-file-validate", "/usr/local/bin/desktop-file-validate"})
    if (std::filesystem::exists(candidate)) validator = candidate;
  if (validator.empty()) GTEST_SKIP() << "desktop-file-validate is not installed";

  const std::string root = testsupport::MakeTempFolder();
  struct Case {
    std::string folder;
    bool icon;
  };
  const Case cases[] = {
      {"Quarrow Studio", true},       {"100% done %f %%", true},         {"it's \"quoted\"", true},
      {"back\\slash $HOME `tick`", true}, {"Ünïcødé 日本", true},
      {"no icon; here", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    const std::string folder = root + "/" + c.folder;
    std::filesystem::create_directories(folder);
    const std::string target = folder + "/QuarrowStudio.exe";
    std::ofstream(target) << "program";
    if (c.icon) std::ofstream(folder + "/QuarrowStudio.png") << "png";
    const std::string link = root + "/Quarrow Studio.desktop";
    platform::CreateShortcut(target, link, "Quarrow Studio Suite", "-open 50%");

    testsupport::RunResult result = testsupport::Run(validator, {link});
    EXPECT_EQ(result.exitCode, 0) << result.output << ReadFile(link);
    EXPECT_EQ(result.output.find("error"), std::string::npos) << result.output;
    EXPECT_EQ(platform::ShortcutTarget(link), target);
    const std::string text = ReadFile(link);
    std::string icon = c.icon ? folder + "/QuarrowStudio.png" : "application-x-executable";
    // A string value doubles its backslashes.
    for (std::size_t at = icon.find('\\'); at != std::string::npos; at = icon.find('\\', at + 2)) icon.insert(at, 1, '\\');
    EXPECT_NE(text.find("\nIcon=" + icon + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nCategories=Utility;\n"), std::string::npos);
  }
}
