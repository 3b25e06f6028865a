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
