// Test support for installer tests: the traces an installation leaves outside its folder.
#pragma once

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shortcut.h"
#include "vel/files.h"

namespace testsupport {

inline std::string ShortcutPath(vel::TUserFolder folder) {
  return vel::IncludeTrailingPathDelimiter(vel::GetUserFolder(folder)) + "Quarrow Studio" + platform::kShortcutSuffix;
}

// Removes the uninstall record of either hive and both shortcuts, whatever a test left.
inline void RemoveInstallTraces() {
  for (platform::RegRoot root : {platform::kRootCurrentUser, platform::kRootLocalMachine}) {
    platform::RegistryKey key(root, platform::kKeyAllAccess);
    if (key.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", false)) key.DeleteKey("Quarrow Studio");
  }
  std::error_code ec;
  for (vel::TUserFolder f : {vel::TUserFolder::Programs, vel::TUserFolder::Desktop})
    std::filesystem::remove(platform::ToPath(ShortcutPath(f)), ec);
}

}  // namespace testsupport
