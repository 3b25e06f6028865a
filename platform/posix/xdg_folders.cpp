// The user's folders by the XDG rules: home, base folders, the runtime folder, the user directories.
#include "xdg_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>

#include "platform/environment.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// One value of user-dirs.dirs: a double-quoted text with backslash escapes, "$HOME" at its start
// standing for the home folder. Anything else but an absolute path is invalid and ignored.
std::string UserDirValue(std::string_view raw, const std::string& home) {
  std::string value;
  if (!raw.empty() && raw.front() == '"') {
    for (std::size_t i = 1; i < raw.size() && raw[i] != '"'; ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
      value += raw[i];
    }
  } else {
    value = std::string(raw);
  }
  for (std::string_view prefix : {"$HOME", "${HOME}"}) {
    if (value.starts_with(prefix) && (value.size() == prefix.size() || value[prefix.size()] == '/')) {
      value = home + value.substr(prefix.size());
      break;
    }
  }
  if (value.empty() || value.front() != '/') return {};
  while (value.size() > 1 && value.back() == '/') value.pop_back();
  return value;
}

std::map<std::string, std::string> ReadUserDirs(const std::string& configHome, const std::string& home) {
  std::map<std::string, std::string> dirs;
  std::ifstream file(fs::path(configHome) / "user-dirs.dirs");
  std::string line;
  while (std::getline(file, line)) {
    std::string_view text(line);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    if (text.empty() || text.front() == '#') continue;
    std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view name = text.substr(0, eq);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    std::string_view raw = text.substr(eq + 1);
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t' || raw.back() == '\r')) raw.remove_suffix(1);
    if (std::string value = UserDirValue(raw, home); !value.empty()) dirs[std::string(name)] = value;
  }
  return dirs;
}

}  // namespace

std::string HomeFolder() {
  if (std::string home = GetEnv("HOME"); !home.empty()) return home;
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return "/";
}

// An XDG base folder; relative values are invalid by the XDG rules and fall back like unset ones.
std::string XdgBase(const char* variable, const char* underHome) {
  std::string value = GetEnv(variable);
  if (!value.empty() && value.front() == '/') return value;
  return HomeFolder() + underHome;
}

std::string RuntimeFolder(std::string_view below, std::string_view fallback) {
  std::string folder = GetEnv("XDG_RUNTIME_DIR");
  if (!folder.empty() && access(folder.c_str(), W_OK) == 0) {
    if (!below.empty()) folder += "/" + std::string(below);
  } else {
    folder = "/tmp/" + std::string(fallback) + "-" + std::to_string(geteuid());
  }
  mkdir(folder.c_str(), 0700);
  return folder;
}

std::vector<std::pair<std::string, std::string>> ShellFolders() {
  std::string home = HomeFolder();
  std::string config = XdgBase("XDG_CONFIG_HOME", "/.config");
  std::string data = XdgBase("XDG_DATA_HOME", "/.local/share");
  std::map<std::string, std::string> dirs = ReadUserDirs(config, home);
  auto dir = [&](const char* key, const char* fallback) {
    // A folder the session itself was given overrides the file, as the XDG tools read them.
    if (std::string own = UserDirValue(GetEnv(key), home); !own.empty()) return own;
    auto found = dirs.find(key);
    return found != dirs.end() ? found->second : home + "/" + fallback;
  };
  std::vector<std::pair<std::string, std::string>> values = {
      {"AppData", config},
      {"Desktop", dir("XDG_DESKTOP_DIR", "Desktop")},
      {"Local AppData", data},
      {"My Music", dir("XDG_MUSIC_DIR", "Music")},
      {"My Pictures", dir("XDG_PICTURES_DIR", "Pictures")},
      {"My Video", dir("XDG_VIDEOS_DIR", "Videos")},
      {"Personal", dir("XDG_DOCUMENTS_DIR", "Documents")},
      {"Programs", data + "/applications"},
      {"Start Menu", data + "/applications"},
      {"Startup", config + "/autostart"},
      {"{374DE290-123F-4565-9164-39C4925E467B}", dir("XDG_DOWNLOAD_DIR", "Downloads")},
  };
  return values;
}

}  // namespace platform
