// The install folder a user names: its expansion, and the absolute form the command line stores.
#include <gtest/gtest.h>

#include <filesystem>

#include "installer/install_path.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "vel/files.h"

using namespace installer;
namespace fs = std::filesystem;

namespace {

const std::string d(1, vel::PathDelim);

TEST(InstallPath, ExpandsALeadingHomeAndEnvironmentReferences) {
  platform::SetEnv("INSTALL_PATH_TEST", "Apps");
  const std::string home = vel::GetUserFolder(vel::TUserFolder::Profile);
  const std::pair<std::string, std::string> cases[] = {
      {"~", home},
      {"~" + d + "Quarrow", home + d + "Quarrow"},
      {"~" + d + "%INSTALL_PATH_TEST%" + d + "Quarrow", home + d + "Apps" + d + "Quarrow"},
      {"%install_path_test%" + d + "Quarrow", "Apps" + d + "Quarrow"},
      // Only the home folder itself: "~name" and a "~" further on are names.
      {"~Quarrow", "~Quarrow"},
      {"Apps" + d + "~" + d + "Quarrow", "Apps" + d + "~" + d + "Quarrow"},
  };
  for (const auto& [typed, expanded] : cases) EXPECT_EQ(ExpandInstallPath(typed), expanded) << typed;
#ifdef _WIN32
  EXPECT_EQ(ExpandInstallPath("C:/Apps/Quarrow"), "C:\\Apps\\Quarrow");
#endif
  platform::SetEnv("INSTALL_PATH_TEST", "");
  EXPECT_FALSE(IsAbsolutePath(ExpandInstallPath("%INSTALL_PATH_TEST%" + d + "Quarrow")));
  EXPECT_TRUE(IsAbsolutePath(ExpandInstallPath("~" + d + "Quarrow")));
}

TEST(InstallPath, TheStoredFormIsAbsoluteAndNormal) {
  const fs::path cwd = fs::current_path();
  const std::string here = platform::FromPath(cwd);
  EXPECT_EQ(AbsoluteInstallPath("Quarrow"), platform::FromPath((cwd / "Quarrow").lexically_normal()));
  EXPECT_EQ(AbsoluteInstallPath("." + d + "a" + d + ".." + d + "Quarrow"),
            platform::FromPath((cwd / "Quarrow").lexically_normal()));
  EXPECT_EQ(AbsoluteInstallPath(here + d + "a" + d + ".." + d + "Quarrow" + d),
            platform::FromPath((cwd / "Quarrow" / "").lexically_normal()));
}

}  // namespace

namespace {

// Folders that would install into the system's root or the home itself, or names the system does not
// keep as written (so the installation could never be removed), are refused.
TEST(InstallPath, UnusableFoldersAreRefused) {
  const std::string home = vel::GetUserFolder(vel::TUserFolder::Profile);
  const std::string root = platform::FromPath(fs::current_path().root_path());
  const std::pair<std::string, bool> cases[] = {
      {home + d + "Apps" + d + "Quarrow", true},
      {home + d + "Apps" + d + "Quarrow" + d, true},
      {home + d + "Quarrow Studio 1.1", true},
      {home + d + "Ünïcødé", true},
      {root, false},
      {home, false},
      {home + d, false},
      {home + d + "Quarrow ", false},
      {home + d + "Quarrow.", false},
      {home + d + "Quar\nrow", false},
      {home + d + "Quar\trow" + d + "x", false},
#ifndef _WIN32
      {"//", false},
      {home + d + "Quar\xFFrow", false},
      {home + d + "\xC0\xAF", false},
#endif
  };
  for (const auto& [path, usable] : cases)
    EXPECT_EQ(UsableInstallFolder(AbsoluteInstallPath(path)), usable) << path;
}

}  // namespace
