// Shortcuts on Windows: a shell link file.
#include <gtest/gtest.h>

#include <fstream>

#include "child_process.h"
#include "platform/files.h"
#include "platform/shortcut.h"

TEST(ShortcutTest, AShellLinkFile) {
  std::string folder = testsupport::MakeTempFolder();
  std::string link = folder + "\\Quarrow Studio.lnk";
  platform::CreateShortcut("C:\\Program Files\\Quarrow Studio\\QuarrowStudio.exe", link, "Quarrow Studio Suite", "-x");
  std::ifstream in(platform::ToPath(link), std::ios::binary);
  std::string head(20, '\0');
  in.read(head.data(), 20);
  // The header size, then the shell link class identifier 00021401-0000-0000-C000-000000000046.
  EXPECT_EQ(head.substr(0, 8), std::string("\x4C\0\0\0\x01\x14\x02\0", 8));
  EXPECT_EQ(head.substr(12, 8), std::string("\xC0\0\0\0\0\0\0\x46", 8));
}

// The uninstaller tells its own shortcuts by their target.
TEST(ShortcutTest, TheTargetReadsBack) {
  std::string folder = testsupport::MakeTempFolder();
  std::string link = folder + "\\Quarrow Studio.lnk";
  const std::string target = "C:\\Program Files\\Quarrow Studio\\QuarrowStudio.exe";
  platform::CreateShortcut(target, link, "Quarrow Studio Suite", "-x");
  EXPECT_EQ(platform::ShortcutTarget(link), target);
  std::ofstream(platform::ToPath(link), std::ios::binary) << "not a link";
  EXPECT_EQ(platform::ShortcutTarget(link), "");
  EXPECT_EQ(platform::ShortcutTarget(folder + "\\missing.lnk"), "");
}
