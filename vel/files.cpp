// Known folders and path expansion.
#include "vel/files.h"

#include <filesystem>
#include <system_error>

#include "platform/environment.h"
#include "vel/registry.h"
#include "vel/text.h"

namespace vel {
namespace {

constexpr std::string_view kUserShellFolders =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// Replaces "shell:" + name by the folder for every value of one "Shell Folders" key.
std::string ReplaceShellFolders(std::string path, std::string_view key) {
  TWinRegistry registry;
  registry.SetErrorKind(TRegistryErrorKind::Disabled);
  for (const std::string& name : registry.GetValueNames(key)) {
    std::string token = "shell:" + LowerCase(name);
    if (LowerCase(path).find(token) == std::string::npos) continue;
    path = ReplaceText(path, token, registry.GetStringValue(key, name));
  }
  return path;
}

std::string_view UserFolderValueName(TUserFolder folder) {
  switch (folder) {
    case TUserFolder::Profile: return {};
    case TUserFolder::AppData: return "AppData";
    case TUserFolder::LocalAppData: return "Local AppData";
    case TUserFolder::Personal: return "Personal";
    case TUserFolder::MyPictures: return "My Pictures";
    case TUserFolder::Desktop: return "Desktop";
    case TUserFolder::MyMusic: return "My Music";
    case TUserFolder::MyVideo: return "My Video";
    case TUserFolder::NetHood: return "NetHood";
    case TUserFolder::Recent: return "Recent";
    case TUserFolder::StartMenu: return "Start Menu";
    case TUserFolder::Startup: return "Startup";
    case TUserFolder::Downloads: return "{374DE290-123F-4565-9164-39C4925E467B}";
    case TUserFolder::Programs: return "Programs";
  }
  return {};
}

void CreateFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::path path = platform::ToPath(folder);
  if (std::filesystem::is_directory(path, ec)) return;
  std::filesystem::create_directories(path, ec);
  if (ec) throw std::system_error(ec, folder);
}

std::int64_t SizeBelow(const std::filesystem::path& folder) {
  std::int64_t total = 0;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    // Links are not followed: a link to a parent folder would be counted without end.
    std::filesystem::file_status status = it->symlink_status(ec);
    if (ec) continue;
    if (std::filesystem::is_directory(status)) {
      total += SizeBelow(it->path());
    } else if (std::filesystem::is_regular_file(status)) {
      std::uintmax_t size = it->file_size(ec);
      if (!ec) total += static_cast<std::int64_t>(size);
    }
  }
  return total;
}

}  // namespace

std::string IncludeTrailingPathDelimiter(std::string_view path) {
  std::string result(path);
  if (result.empty() || result.back() != PathDelim) result += PathDelim;
  return result;
}

std::string ExtractFilePath(std::string_view path) {
  std::size_t delim = path.rfind(PathDelim);
  return delim == std::string_view::npos ? std::string() : std::string(path.substr(0, delim + 1));
}

bool DirectoryExists(std::string_view path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(platform::ToPath(path), ec);
}

bool FileExists(std::string_view path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(platform::ToPath(path), ec);
}

std::string ExpandPath(std::string_view Path) { return ExpandEnvironment(ExpandShellFolders(Path)); }

std::string ExpandShellFolders(std::string_view Path) {
  if (Path.find("shell:") == std::string_view::npos) return std::string(Path);
  std::string path = ReplaceShellFolders(
      std::string(Path), "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\");
  return ReplaceShellFolders(
      std::move(path), "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\");
}

std::string ExpandEnvironment(std::string_view Path) {
  std::string result(Path);
  std::size_t scan = 0;
  for (;;) {
    std::size_t a = Path.find('%', scan);
    if (a == std::string_view::npos) break;
    std::size_t b = Path.find('%', a + 1);
    if (b == std::string_view::npos) break;
    std::string_view token = Path.substr(a, b - a + 1);
    std::string value = platform::GetEnv(Path.substr(a + 1, b - a - 1));
    if (!value.empty()) result = ReplaceText(result, token, value, false);
    // The closing "%" is tried again as an opening one.
    scan = b;
  }
  return result;
}

std::string GetSystemDrive() { return ExpandEnvironment("%SYSTEMDRIVE%"); }

float WindowsVersion() {
  platform::OsVersion v = platform::GetOsVersion();
  return static_cast<float>(v.major) + static_cast<float>(v.minor) / 10.0f;
}

std::string CurrentUserName() { return platform::UserName(); }

std::string AppDataFolder(std::string_view Name, bool AddPublisherFolder, bool CreateFolders, TAppDataKind Kind) {
  const std::string d(1, PathDelim);
  std::string path;
  if (WindowsVersion() < 6.0f) {
    path = GetSystemDrive() + d + "Documents and Settings" + d + CurrentUserName() + d + "Application Data" + d;
  } else {
    switch (Kind) {
      case TAppDataKind::Local: path = ExpandPath("%LOCALAPPDATA%" + d); break;
      case TAppDataKind::Roaming: path = ExpandPath("%APPDATA%" + d); break;
      case TAppDataKind::LocalLow: path = ExpandPath("%userprofile%" + d + "AppData" + d + "LocalLow" + d); break;
    }
  }
  if (AddPublisherFolder) {
    path += std::string(PublisherFolder) + d;
    if (CreateFolders) CreateFolder(path);
  }
  path += std::string(Name) + d;
  if (CreateFolders) CreateFolder(path);
  return path;
}

std::string GetUserFolder(TUserFolder Folder) {
  if (Folder == TUserFolder::Profile) return ExpandPath("%USERPROFILE%");
  TWinRegistry registry;
  return ExpandPath(registry.GetStringValue(kUserShellFolders, UserFolderValueName(Folder)));
}

std::string KnownUserFolder(TUserFolder Folder) {
  std::string folder = GetUserFolder(Folder);
  const std::size_t open = folder.find('%');
  if (folder.empty() || (open != std::string::npos && folder.find('%', open + 1) != std::string::npos)) return {};
  const std::filesystem::path path = platform::ToPath(folder).lexically_normal();
  if (!path.is_absolute() || !path.has_relative_path()) return {};
  return folder;
}

std::int64_t FolderSize(std::string_view Path) {
  return SizeBelow(platform::ToPath(IncludeTrailingPathDelimiter(ExpandPath(Path))));
}

}  // namespace vel
