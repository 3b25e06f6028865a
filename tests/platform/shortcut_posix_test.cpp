// Shortcuts on Linux: a desktop entry the desktop can start.
#include <gtest/gtest.h>
#include <sys/stat.h>

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
            "Terminal=false\n");
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
