// The uninstaller: checking the install report, asking, removing, and telling the outcome.
#include "uninstaller/uninstall.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

#include "installer/descriptor.h"
#include "installer/leftovers.h"
#include "platform/files.h"
#include "platform/instance_lock.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/self_delete.h"
#include "platform/shortcut.h"
#include "vel/console.h"
#include "vel/files.h"
#include "vel/message.h"
#include "vel/registry.h"
#include "vel/text.h"

namespace uninstaller {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFileType = "Velnor Software Installer Report";
// The report layouts this uninstaller understands; a newer one may say things it would overlook.
constexpr std::array<std::string_view, 1> kReportVersions{"1.0.0"};
constexpr std::string_view kRecordParent = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr std::string_view kDefaultTitle = "Uninstall";
constexpr std::string_view kAppName = installer::descriptor::AppName;

// What the report says the installation is, after every check.
struct Installation {
  std::string name;
  fs::path folder;
  std::vector<fs::path> files;  // relative to `folder`, lexically normal
  bool menuShortcut = false;
  bool desktopShortcut = false;
  platform::RegRoot hive = platform::kRootCurrentUser;
  std::string hiveName;
  std::string recordName;  // the key below kRecordParent
};

class BadReport : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// Console lines for a run from a command prompt; a closing message for a user at the desktop.
class Output {
 public:
  explicit Output(bool silent) : silent_(silent), console_(vel::sysconsole::ConsoleCalled()) {}

  void Info(const std::string& text) { Line("(!) " + text); }
  void Error(const std::string& text) { Line("<!> Error: " + text); }
  void Close(const std::string& title, const std::string& text) {
    if (!silent_ && !console_) vel::ShowMessage(title, text);
  }

 private:
  void Line(const std::string& line) {
    if (!console_) return;
    // A console that went away must not turn a finished removal into a crash.
    try {
      vel::sysconsole::QuickOutput(line);
    } catch (const std::exception&) {
    }
  }

  bool silent_;
  bool console_;
};

// The name also names the shortcut files, so it must not reach into another folder.
bool UsableAsFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
  });
}

bool IsInside(const fs::path& path, const fs::path& base) {
  auto [inBase, inPath] = std::mismatch(base.begin(), base.end(), path.begin(), path.end());
  return inBase == base.end();
}

// A trailing separator would count as one more (empty) part of the path when paths are compared.
fs::path WithoutTrailingDelimiter(const fs::path& path) {
  fs::path normal = path.lexically_normal();
  return normal.has_filename() || !normal.has_relative_path() ? normal : normal.parent_path();
}

// Whether `path` names `folder`; the system decides, so that letter case and links count as it counts them.
bool IsThisFolder(const std::string& path, const fs::path& folder) {
  std::error_code ec;
  return !path.empty() && fs::equivalent(platform::ToPath(path), folder, ec) && !ec;
}

// Whether `file` lies somewhere below `folder`; the file itself may be gone already.
bool LiesIn(const fs::path& file, const fs::path& folder) {
  if (!file.is_absolute()) return false;
  for (fs::path up = file.lexically_normal().parent_path(); up.has_relative_path(); up = up.parent_path()) {
    std::error_code ec;
    if (fs::equivalent(up, folder, ec) && !ec) return true;
  }
  return false;
}

std::size_t Depth(const fs::path& path) {
  return static_cast<std::size_t>(std::distance(path.begin(), path.end()));
}

class ReportReader {
 public:
  ReportReader(const fs::path& folder, std::string file) : folder_(folder), file_(std::move(file)) {}

  Installation Read() {
    std::error_code ec;
    fs::path path = platform::ToPath(file_);
    if (!fs::exists(path, ec))
      throw BadReport("The install report " + Quoted(file_) + " was not found.");
    if (!fs::is_regular_file(path, ec) || !std::ifstream(path))
      throw BadReport("The install report " + Quoted(file_) + " cannot be read.");

    std::string type = Value("Report", "File Type");
    if (type != kFileType) throw Invalid("\"File Type\" is " + Quoted(type) + " instead of " + Quoted(kFileType));
    std::string version = Value("Report", "Report Version");
    if (std::find(kReportVersions.begin(), kReportVersions.end(), version) == kReportVersions.end())
      throw Invalid("the \"Report Version\" " + Quoted(version) + " is not known");

    Installation result;
    result.folder = folder_;
    result.name = Value("Application", "Name");
    if (result.name.empty()) throw Invalid("\"Name\" is missing");
    if (!UsableAsFileName(result.name)) throw Invalid("the \"Name\" " + Quoted(result.name) + " cannot be a file name");
    // The name picks the record and the shortcuts to remove: only this application's own.
    if (!vel::SameText(result.name, kAppName))
      throw Invalid("the \"Name\" " + Quoted(result.name) + " is not " + Quoted(kAppName));
    CheckInstallPath(Value("Application", "Install Path"));
    result.menuShortcut = Flag("Shortcut-Menu");
    result.desktopShortcut = Flag("Shortcut-Desktop");
    result.recordName = RecordName(Value("Installation", "Registry Record"), result.name);
    result.hiveName = Value("Installation", "Registry HIVE");
    if (result.hiveName == "HKEY_CURRENT_USER")
      result.hive = platform::kRootCurrentUser;
    else if (result.hiveName == "HKEY_LOCAL_MACHINE")
      result.hive = platform::kRootLocalMachine;
    else
      throw Invalid("the \"Registry HIVE\" " + Quoted(result.hiveName) + " is not known");
    result.files = Files();
    return result;
  }

 private:
  BadReport Invalid(const std::string& what) const {
    return BadReport("The install report " + Quoted(file_) + " is not valid: " + what + ".");
  }

  std::string Value(std::string_view section, std::string_view key) const {
    return platform::IniReadString(file_, section, key);
  }

  bool Flag(std::string_view key) const {
    std::string value = Value("Configuration", key);
    if (value != "1" && value != "0")
      throw Invalid(Quoted(key) + " is " + Quoted(value) + " instead of \"1\" or \"0\"");
    return value == "1";
  }

  // A report copied from another installation would send the removal into that folder.
  void CheckInstallPath(const std::string& installPath) const {
    if (installPath.empty()) throw Invalid("\"Install Path\" is missing");
    std::error_code ec;
    if (!fs::equivalent(platform::ToPath(installPath), folder_, ec) || ec)
      throw Invalid("the \"Install Path\" " + Quoted(installPath) + " is not the uninstaller's folder " +
                    Quoted(platform::FromPath(folder_)));
  }

  // Only a key in the system's list of installed programs may be removed, never its parent, and only
  // the application's own.
  std::string RecordName(const std::string& record, const std::string& name) const {
    std::string prefix = std::string(kRecordParent) + "\\";
    if (!record.starts_with(prefix) || record.size() == prefix.size() ||
        record.find('\\', prefix.size()) != std::string::npos)
      throw Invalid("the \"Registry Record\" " + Quoted(record) + " is not one key below " + Quoted(prefix));
    if (!vel::SameText(record.substr(prefix.size()), name))
      throw Invalid("the \"Registry Record\" " + Quoted(record) + " is not " + Quoted(prefix + name));
    return record.substr(prefix.size());
  }

  std::vector<fs::path> Files() const {
    // Keys without regard to letter case, the first of a name counting, as IniReadString has it.
    std::map<std::string, std::string> entries;
    for (auto& [key, value] : platform::IniReadSection(file_, "Files"))
      entries.emplace(vel::LowerCase(key), value);

    auto count = entries.find("count");
    if (count == entries.end()) throw Invalid("the section [Files] has no \"Count\"");
    const std::string& countText = count->second;
    std::size_t total = 0;
    auto [end, error] = std::from_chars(countText.data(), countText.data() + countText.size(), total);
    if (countText.empty() || error != std::errc() || end != countText.data() + countText.size())
      throw Invalid("\"Count\" " + Quoted(countText) + " is not a number");

    std::error_code ec;
    fs::path base = WithoutTrailingDelimiter(fs::canonical(folder_, ec));
    if (ec) throw BadReport("The folder " + Quoted(platform::FromPath(folder_)) + " cannot be read: " + ec.message());
    std::vector<fs::path> files;
    for (std::size_t i = 1; i <= total; ++i) {
      std::string key = "File" + std::to_string(i);
      auto entry = entries.find(vel::LowerCase(key));
      if (entry == entries.end()) throw Invalid(Quoted(key) + " is missing");
      files.push_back(Relative(key, entry->second, base));
    }
    return files;
  }

  fs::path Relative(const std::string& key, const std::string& text, const fs::path& base) const {
    auto outside = [&] {
      return Invalid(Quoted(key) + " " + Quoted(text) + " is not a path inside the install folder");
    };
    fs::path path = platform::ToPath(text);
    if (text.empty() || path.is_absolute() || path.has_root_name() || path.has_root_directory()) throw outside();
    if (std::any_of(path.begin(), path.end(), [](const fs::path& part) { return part == ".."; })) throw outside();
    fs::path normal = path.lexically_normal();
    if (normal.empty() || normal == ".") throw outside();
    // A folder on the way may be a link that leads elsewhere.
    std::error_code ec;
    fs::path parent = fs::weakly_canonical(base / normal.parent_path(), ec);
    if (ec || !IsInside(parent, base)) throw outside();
    return normal;
  }

  fs::path folder_;
  std::string file_;
};

// Collects what could not be removed, each with the reason, and tells it as it happens.
class Removal {
 public:
  explicit Removal(Output& out) : out_(out) {}

  const std::vector<std::string>& Failures() const { return failures_; }

  void Fail(const std::string& what, const std::string& reason) {
    failures_.push_back(what + " (" + reason + ")");
    out_.Error("Could not remove " + Quoted(what) + ": " + reason);
  }

  // A file that is already gone is fine. A folder is left to the sweep of empty folders, since what it
  // holds now is not known to be ours; the answer says whether the path was one.
  bool File(const fs::path& path) {
    std::error_code ec;
    fs::file_status status = fs::symlink_status(path, ec);
    if (status.type() == fs::file_type::not_found) return false;
    if (ec) {
      Fail(platform::FromPath(path), ec.message());
      return false;
    }
    if (fs::is_directory(status)) return true;
    if (!fs::remove(path, ec) && ec) Fail(platform::FromPath(path), ec.message());
    return false;
  }

  // Only an empty folder goes: a user's own file keeps its folder, and so every folder above it.
  void FolderIfEmpty(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(path, ec)) || !fs::is_empty(path, ec) || ec) return;
    if (!fs::remove(path, ec) && ec) Fail(platform::FromPath(path), ec.message());
  }

  void Record(const Installation& installation) {
    std::string where = installation.hiveName + "\\" + std::string(kRecordParent) + "\\" + installation.recordName;
    try {
      // Asked first with read access, so that a missing record needs no rights at all.
      platform::RegistryKey reader(installation.hive, platform::kKeyRead | platform::kKeyWow64_64);
      if (!reader.OpenKey(kRecordParent, false) || !reader.KeyExists(installation.recordName)) return;
      // A later installation into another folder took the record over: it is that one's now.
      vel::TWinRegistry values;
      values.SetErrorKind(vel::TRegistryErrorKind::Disabled);
      values.SetRegistryMode(vel::TRegistryMode::Windows64);
      const std::string location = values.GetStringValue(where, "InstallLocation");
      if (!IsThisFolder(location, installation.folder)) {
        out_.Info("The registry record " + Quoted(where) +
                  (location.empty() ? std::string(" names no install folder")
                                    : " belongs to the installation in " + Quoted(location)) +
                  "; it stays.");
        return;
      }
      // Full access: the accessor then takes the key down with any subkeys it has gained.
      platform::RegistryKey writer(installation.hive, platform::kKeyAllAccess | platform::kKeyWow64_64);
      if (!writer.OpenKey(kRecordParent, false) || !writer.DeleteKey(installation.recordName))
        Fail(where, "the registry refused to delete the key");
    } catch (const platform::RegistryError& e) {
      Fail(where, e.what());
    }
  }

 private:
  Output& out_;
  std::vector<std::string> failures_;
};

std::string ShortcutFile(vel::TUserFolder folder, const std::string& name) {
  std::string location = vel::KnownUserFolder(folder);
  if (location.empty()) return {};
  return vel::IncludeTrailingPathDelimiter(location) + name + platform::kShortcutSuffix;
}

bool IsRunningProgram(const fs::path& file) {
  std::error_code ec;
  return fs::equivalent(platform::ToPath(platform::ExecutablePath()), file, ec) && !ec;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\n" + line;
  return text;
}

int Uninstall(const fs::path& folder, bool silent, Output& out) {
  const fs::path report = folder / kReportFileName;
  Installation installation;
  try {
    installation = ReportReader(folder, platform::FromPath(report)).Read();
  } catch (const BadReport& e) {
    out.Error(std::string(e.what()) + " Nothing was removed.");
    out.Close(std::string(kDefaultTitle), std::string(e.what()) + "\n\nNothing was removed.");
    return kExitFailed;
  }
  const std::string& name = installation.name;
  const std::string title = std::string(kDefaultTitle) + " " + name;
  if (!silent && vel::ShowMessage(title, "Do you want to remove " + name + " and all of its components?",
                                  vel::TMsgButtons::YesNo, vel::mrNo) != vel::mrYes) {
    out.Info("Nothing was removed.");
    return kExitDeclined;
  }
  out.Info("Removing " + name + " from " + platform::FromPath(folder));

  // Decided before anything goes, while every folder a target may lie in is still there to compare.
  std::vector<std::string> shortcuts;
  for (auto [wanted, kind] : {std::pair{installation.menuShortcut, vel::TUserFolder::Programs},
                              std::pair{installation.desktopShortcut, vel::TUserFolder::Desktop}}) {
    std::string shortcut = wanted ? ShortcutFile(kind, name) : std::string();
    std::error_code ec;
    if (shortcut.empty() || !fs::exists(fs::symlink_status(platform::ToPath(shortcut), ec))) continue;
    // One that starts a program elsewhere is another installation's, or the user's own.
    if (LiesIn(platform::ToPath(platform::ShortcutTarget(shortcut)), folder))
      shortcuts.push_back(shortcut);
    else
      out.Info("The shortcut " + Quoted(shortcut) + " starts a program outside " +
               Quoted(platform::FromPath(folder)) + "; it stays.");
  }

  Removal removal(out);
  std::set<fs::path> folders;
  for (const fs::path& file : installation.files) {
    // The two files every installation has get their own turn below.
    std::string text = platform::FromPath(file);
    if (vel::SameText(text, kUninstallerFileName) || vel::SameText(text, kReportFileName)) continue;
    if (removal.File(folder / file)) folders.insert(file.has_filename() ? file : file.parent_path());
    for (fs::path up = file.parent_path(); !up.empty(); up = up.parent_path()) folders.insert(up);
  }
  for (const std::string& shortcut : shortcuts) removal.File(platform::ToPath(shortcut));
  removal.Record(installation);

  const fs::path uninstaller = folder / kUninstallerFileName;
  const bool self = IsRunningProgram(uninstaller);
  // After a failure the report and the uninstaller stay, so that the removal can be run again.
  if (removal.Failures().empty()) {
    if (!self) removal.File(uninstaller);
    removal.File(report);
  }
  // What an interrupted installation or update left (partial files here, the archive in the installer's
  // temporary folder) would otherwise keep the folders from going.
  // The archive in the temporary folder is a running installer's own while one runs (at any path).
  const bool installerRuns = platform::NamedLockHeld(installer::InstallerLockName());
  const std::string installerTemp = installerRuns ? std::string() : installer::InstallerTempFolder();
  for (const fs::path& left : installer::RemoveLeftovers(installerTemp, platform::FromPath(folder))) {
    const fs::path relative = left.lexically_relative(folder);
    if (relative.empty() || *relative.begin() == "..") continue;
    for (fs::path up = relative.parent_path(); !up.empty(); up = up.parent_path()) folders.insert(up);
  }
  if (!installerRuns) installer::RemoveEmptyTempFolders(installerTemp);
  std::vector<fs::path> deepestFirst(folders.begin(), folders.end());
  std::stable_sort(deepestFirst.begin(), deepestFirst.end(),
                   [](const fs::path& a, const fs::path& b) { return Depth(a) > Depth(b); });
  for (const fs::path& sub : deepestFirst) removal.FolderIfEmpty(folder / sub);
  removal.FolderIfEmpty(folder);

  if (!removal.Failures().empty()) {
    std::string left = Joined(removal.Failures());
    out.Error(name + " was not removed completely; the uninstaller stays to be run again.");
    out.Close(title, name + " could not be removed completely. These items are left:" + left +
                         "\n\nRun the uninstaller again to retry.");
    return kExitFailed;
  }
  out.Info(name + " was removed.");
  out.Close(title, name + " was removed from your computer.");
  if (self) {
    // Last, after the closing message: on Windows the file can only go once this process has ended.
    try {
      platform::DeleteOwnExecutableLater(platform::FromPath(folder));
    } catch (const std::exception& e) {
      out.Error("Could not remove " + Quoted(platform::FromPath(uninstaller)) + ": " + e.what());
      return kExitFailed;
    }
  }
  return kExitRemoved;
}

}  // namespace

int RefuseWithoutUser() {
  const std::string text = "There is no display to ask whether to remove " + std::string(kAppName) +
                           "; nothing was removed. Use -silent to remove it without asking.";
  if (vel::sysconsole::ConsoleCalled()) {
    Output(true).Error(text);
  } else {
    std::fprintf(stderr, "<!> Error: %s\n", text.c_str());
    std::fflush(stderr);
  }
  return kExitNoDisplay;
}

int RunUninstall(const std::string& folder, bool silent) {
  Output out(silent);
  try {
    return Uninstall(WithoutTrailingDelimiter(platform::ToPath(folder)), silent, out);
  } catch (const std::exception& e) {
    out.Error(e.what());
    out.Close(std::string(kDefaultTitle), e.what());
    return kExitFailed;
  }
}

}  // namespace uninstaller
