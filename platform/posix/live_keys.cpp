// The desktop's live keys: values that the store does not hold come from the desktop as they are now.
#include "live_keys.h"

#include <algorithm>

#include "desktop_settings.h"
#include "platform/text.h"
#include "registry_text.h"
#include "xdg_folders.h"

namespace platform {
namespace {

LiveValues ShellFolderValues() {
  LiveValues values;
  for (const auto& [name, folder] : ShellFolders()) values.emplace_back(name, StringValue(RegType::String, folder));
  return values;
}

// The app theme: light unless the desktop prefers dark.
LiveValues ThemeValues() {
  LiveValues values;
  if (std::optional<bool> dark = DesktopPrefersDark()) values.emplace_back("AppsUseLightTheme", DWordValue(*dark ? 0 : 1));
  return values;
}

// The accent as the window manager keeps it: opaque, alpha-blue-green-red.
LiveValues AccentValues() {
  LiveValues values;
  if (std::optional<std::uint32_t> accent = DesktopAccentColor())
    values.emplace_back("AccentColor", DWordValue(0xFF000000u | *accent));
  return values;
}

// The keys of the current user's hive that answer from the desktop: they always exist (and so do
// their parents), and each value the store does not hold comes live from the desktop.
struct LiveKey {
  Segments path;
  LiveValues (*values)();
};

const std::vector<LiveKey>& LiveKeys() {
  static const std::vector<LiveKey> keys = {
      {{"Software", "Microsoft", "Windows", "CurrentVersion", "Explorer", "Shell Folders"}, ShellFolderValues},
      {{"Software", "Microsoft", "Windows", "CurrentVersion", "Explorer", "User Shell Folders"}, ShellFolderValues},
      {{"Software", "Microsoft", "Windows", "CurrentVersion", "Themes", "Personalize"}, ThemeValues},
      {{"Software", "Microsoft", "Windows", "DWM"}, AccentValues},
  };
  return keys;
}

const LiveKey* LiveKeyAt(RegRoot root, const Segments& path) {
  if (root != kRootCurrentUser) return nullptr;
  for (const LiveKey& key : LiveKeys())
    if (path.size() == key.path.size() && IsPrefixOf(path, key.path)) return &key;
  return nullptr;
}

}  // namespace

bool IsLiveKey(RegRoot root, const Segments& path) {
  if (path.empty()) return true;  // the root is always there
  if (root != kRootCurrentUser) return false;
  for (const LiveKey& key : LiveKeys())
    if (IsPrefixOf(path, key.path)) return true;
  return false;
}

std::vector<std::string> LiveSubKeys(RegRoot root, const Segments& path) {
  std::vector<std::string> names;
  if (root != kRootCurrentUser) return names;
  for (const LiveKey& key : LiveKeys()) {
    if (path.size() >= key.path.size() || !IsPrefixOf(path, key.path)) continue;
    const std::string& next = key.path[path.size()];
    if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return SameAsciiText(n, next); }))
      names.push_back(next);
  }
  return names;
}

LiveValues LiveValuesOf(RegRoot root, const Segments& path) {
  const LiveKey* key = LiveKeyAt(root, path);
  return key ? key->values() : LiveValues{};
}

}  // namespace platform
