// Finding and removing what an installation cut short left behind.
#include "installer/leftovers.h"

#include <string_view>

#include "installer/descriptor.h"
#include "platform/files.h"
#include "vel/files.h"
#include "vel/text.h"

namespace installer {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUninstaller = "Uninstall.exe";
constexpr const char* kReport = "InstallReport.ini";

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The extraction's temporary files, also as earlier builds named them ("~zip7.tmp").
bool IsExtractionTemporary(std::string_view name) {
  if (platform::IsTemporaryNameIn(name, "~zip", ".tmp")) return true;
  return name.starts_with("~zip") && name.ends_with(".tmp") && AllDigits(name.substr(4, name.size() - 8));
}

// A partial copy of `target`: the name a write makes now, or the fixed one earlier builds used.
bool IsPartialCopy(std::string_view name, std::string_view target, std::string_view suffix) {
  return platform::IsTemporaryNameFor(name, target, suffix) ||
         (name.size() == target.size() + suffix.size() && name.starts_with(target) && name.ends_with(suffix));
}

bool IsFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(fs::symlink_status(path, ec));
}

void RemoveFile(const fs::path& path, std::vector<fs::path>& removed) {
  std::error_code ec;
  if (IsFile(path) && fs::remove(path, ec)) removed.push_back(path);
}

bool SamePath(const fs::path& a, const fs::path& b) {
  return platform::FromPath(a.lexically_normal()) == platform::FromPath(b.lexically_normal()) ||
         (!platform::kCaseSensitiveNames &&
          vel::SameText(platform::FromPath(a.lexically_normal()), platform::FromPath(b.lexically_normal())));
}

fs::path WithoutTrailingDelimiter(const std::string& folder) {
  fs::path path = platform::ToPath(folder);
  while (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  return path;
}

}  // namespace

std::string InstallerLockName() { return std::string("VelnorInstaller-") + descriptor::AppName; }

std::string InstallerTempFolder() {
  return vel::AppDataFolder("Velnor Installer", true, false, vel::TAppDataKind::Local) + "Temp" + vel::PathDelim;
}

std::vector<fs::path> RemoveLeftovers(const std::string& tempFolder, const std::string& installFolder) {
  std::vector<fs::path> removed;
  std::error_code ec;
  if (!tempFolder.empty()) {
    const fs::path temp = WithoutTrailingDelimiter(tempFolder);
    RemoveFile(temp / ArchiveFileName, removed);
    for (fs::directory_iterator it(temp, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = platform::FromPath(it->path().filename());
      if (IsPartialCopy(name, ArchiveFileName, ".part")) RemoveFile(it->path(), removed);
    }
  }
  if (!installFolder.empty() && fs::is_directory(platform::ToPath(installFolder), ec)) {
    const fs::path folder = WithoutTrailingDelimiter(installFolder);
    std::vector<fs::path> found;
    // Collected first: removing while the walk is on its way is not something every system allows.
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
      if (!IsFile(it->path())) continue;
      const std::string name = platform::FromPath(it->path().filename());
      const bool top = it.depth() == 0;
      if (IsExtractionTemporary(name) ||
          (top && (IsPartialCopy(name, kUninstaller, ".part") || IsPartialCopy(name, kReport, ".tmp"))))
        found.push_back(it->path());
    }
    for (const fs::path& path : found) RemoveFile(path, removed);
  }
  return removed;
}

void RemoveEmptyTempFolders(const std::string& tempFolder) {
  if (tempFolder.empty()) return;
  const fs::path own = WithoutTrailingDelimiter(InstallerTempFolder());
  // Only the installer's own folder: one a caller chose is not this code's to take away.
  if (!SamePath(WithoutTrailingDelimiter(tempFolder), own)) return;
  // Temp, "Velnor Installer", the publisher's folder; local application data itself stays.
  fs::path folder = own;
  for (int level = 0; level < 3; ++level, folder = folder.parent_path()) {
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(folder, ec)) || !fs::is_empty(folder, ec) || ec) return;
    if (!fs::remove(folder, ec)) return;
  }
}

}  // namespace installer
