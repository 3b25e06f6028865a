// The test programs' entry: every run gets a home, XDG folders and a registry store of its own, so no
// test touches the real ones.
#include <gtest/gtest.h>

#include <filesystem>

#include "child_process.h"
#include "platform/environment.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  std::filesystem::path home = testsupport::MakeTempFolder();
  for (const char* sub : {".local/share", ".config", "run", "registry"}) std::filesystem::create_directories(home / sub);
  platform::SetEnv("HOME", home.string());
  platform::SetEnv("XDG_DATA_HOME", (home / ".local/share").string());
  platform::SetEnv("XDG_CONFIG_HOME", (home / ".config").string());
  platform::SetEnv("XDG_RUNTIME_DIR", (home / "run").string());
  platform::SetEnv("VEL_REGISTRY_DIR", (home / "registry").string());
  int result = RUN_ALL_TESTS();
  std::error_code ec;
  std::filesystem::remove_all(home, ec);
  return result;
}
