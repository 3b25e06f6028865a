// The theme manager's poll on Linux, where the desktop's settings come from a portal tool that can be
// slow: the poll reads the last answer and never waits for the tool.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "child_process.h"
#include "lux/theme_manager.h"
#include "ui/application.h"
#include "vel/registry.h"

namespace {

using namespace lux;

// Stands in for gdbus: notes its process id, waits until the test opens the gate, then answers as
// the portal prints the appearance settings (dark, and an accent of 0.2, 0.4, 0.6), or with no
// preference once told so. A question for anything else gets no answer.
constexpr const char* kStandIn = R"sh(#!/bin/sh
dir=$(dirname "$0")
echo $$ >> "$dir/started"
case "$*" in
  *Settings.ReadAll*"['org.freedesktop.appearance']"*) ;;
  *) exit 1 ;;
esac
while [ ! -e "$dir/open" ]; do sleep 0.02; done
if [ -e "$dir/neutral" ]; then echo "({'org.freedesktop.appearance': {'color-scheme': <uint32 0>}},)"; exit 0; fi
echo "({'org.freedesktop.appearance': {'accent-color': <(0.20000000000000001, 0.40000000000000002, 0.59999999999999998)>, 'color-scheme': <uint32 1>, 'contrast': <uint32 0>}},)"
)sh";

TEST(ThemePollTest, ASlowSettingsPortalNeverHoldsUpThePoll) {
  // The portal is asked only where there is a session bus; the stand-in never connects to it.
  setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
  ui::Application();
  // Values stored in the registry win over the desktop's: this test wants the desktop's.
  vel::TWinRegistry registry;
  registry.SetErrorKind(vel::TRegistryErrorKind::Disabled);
  registry.DeleteValue("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize\\",
                       "AppsUseLightTheme");
  registry.DeleteValue("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\DWM\\", "AccentColor");
  FXThemeManager manager;  // the first reading, from the desktop as it is
  ASSERT_FALSE(manager.DarkTheme());

  namespace fs = std::filesystem;
  const fs::path folder = testsupport::MakeTempFolder();
  {
    std::ofstream(folder / "gdbus") << kStandIn;
  }
  fs::permissions(folder / "gdbus", fs::perms::owner_all);
  const std::string path = std::getenv("PATH");
  setenv("PATH", (folder.string() + ":" + path).c_str(), 1);
  auto starts = [&] {
    std::ifstream log(folder / "started");
    std::vector<pid_t> pids;
    for (pid_t pid; log >> pid;) pids.push_back(pid);
    return pids;
  };
  auto touch = [&](const char* name) { std::ofstream(folder / name) << ""; };

  // Once the last answer is a second old a poll asks again, in the background.
  ASSERT_TRUE(testsupport::WaitFor([&] {
    manager.MonitorTick();
    return !starts().empty();
  }));
  for (int i = 0; i < 5; ++i) manager.MonitorTick();
  const std::vector<pid_t> asked = starts();
  ASSERT_EQ(asked.size(), 1u) << "the polls started no question of their own";
  EXPECT_EQ(kill(asked[0], 0), 0) << "the polls returned while the stand-in still waits";
  EXPECT_FALSE(manager.DarkTheme());

  // The answers come in through the reader, and the next polls apply them.
  touch("open");
  const TColor accent = ChangeColorLight(0x996633, 50);
  EXPECT_TRUE(testsupport::WaitFor([&] {
    manager.MonitorTick();
    return manager.DarkTheme() && manager.AccentColor() == accent;
  }));
  EXPECT_EQ(manager.SystemColor->BackGround(), 2105376u);

  // Back to a desktop without preferences before the real tool returns to the PATH.
  touch("neutral");
  EXPECT_TRUE(testsupport::WaitFor([&] {
    manager.MonitorTick();
    return !manager.DarkTheme();
  }));
  setenv("PATH", path.c_str(), 1);
  fs::remove_all(folder);
}

}  // namespace
