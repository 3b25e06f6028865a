// The uninstall record and the install report.
#include "installer/record.h"

#include <algorithm>
#include <ctime>
#include <memory>
#include <optional>

#include "installer/state.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "vel/files.h"
#include "vel/registry.h"
#include "vel/text.h"
#include "vel/types.h"

namespace installer {
namespace {

// A registry object that raises every failure, in the 64-bit view, addressing the record's hive.
struct RecordRegistry {
  vel::TWinRegistry registry;
  std::string location;

  RecordRegistry() {
    registry.SetErrorKind(vel::TRegistryErrorKind::OperatingSystem);
    registry.SetRegistryMode(vel::TRegistryMode::Windows64);
    registry.SetManualHive(vel::TWinRegistry::StringToHive(InstallOptions.RegistryHIVE, vel::HKEY_CURRENT_USER));
    location = InstallOptions.RegistryRecord;
  }
};

constexpr const char* kReportFileType = "Velnor Software Installer Report";

const char* Flag(bool value) { return value ? "1" : "0"; }

std::string List(bool a, bool b, bool c) {
  return vel::BoolToText(a) + "," + vel::BoolToText(b) + "," + vel::BoolToText(c);
}

// The files of an earlier installation in this folder that are still there stay listed, so that an
// update does not orphan them for the uninstaller.
std::vector<std::string> FilesToList(const std::string& report, const std::string& folder) {
  std::vector<std::string> files = WrittenFiles;
  std::optional<std::int32_t> count = vel::TryStrToInt(platform::IniReadString(report, FilesSection, "Count"));
  for (std::int32_t i = 1; count && i <= *count; ++i) {
    std::string file = platform::IniReadString(report, FilesSection, "File" + std::to_string(i));
    if (file.empty() || std::find(files.begin(), files.end(), file) != files.end()) continue;
    std::error_code ec;
    if (std::filesystem::is_regular_file(platform::ToPath(folder + file), ec)) files.push_back(file);
  }
  return files;
}

// A string value as the registry keeps it: UTF-16LE with its terminating zero.
platform::RegValue TextValue(const std::string& text) {
  platform::RegValue value{platform::RegType::String, {}};
  for (char16_t c : platform::Utf8ToUtf16(text)) {
    value.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
    value.data.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  value.data.insert(value.data.end(), {0, 0});
  return value;
}

platform::RegValue NumberValue(std::int32_t number) {
  const auto bits = static_cast<std::uint32_t>(number);
  return {platform::RegType::DWord,
          {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits >> 16),
           static_cast<std::uint8_t>(bits >> 24)}};
}

// The record's root key opened in the 64-bit view, as the record is written.
std::unique_ptr<platform::RegistryKey> RecordKey(std::uint32_t access) {
  const vel::THKey hive = vel::TWinRegistry::StringToHive(InstallOptions.RegistryHIVE, vel::HKEY_CURRENT_USER);
  return std::make_unique<platform::RegistryKey>(static_cast<platform::RegRoot>(hive), access | platform::kKeyWow64_64);
}

// Every value of the record as stored, or nothing when there is no record.
std::optional<std::vector<std::pair<std::string, platform::RegValue>>> ReadRecordValues() {
  std::unique_ptr<platform::RegistryKey> key = RecordKey(platform::kKeyRead);
  if (!key->OpenKey(InstallOptions.RegistryRecord, false)) return std::nullopt;
  std::vector<std::pair<std::string, platform::RegValue>> values;
  for (const std::string& name : key->ValueNames())
    if (std::optional<platform::RegValue> value = key->ReadValue(name)) values.emplace_back(name, std::move(*value));
  return values;
}

}  // namespace

namespace {

// Today as the uninstall records write it: yyyymmdd, local time.
std::string InstallDate() {
  const std::time_t now = std::time(nullptr);
  // The one use of the shared conversion buffer, on the user-interface thread, copied at once.
  const std::tm local = *std::localtime(&now);
  char text[16];
  std::strftime(text, sizeof text, "%Y%m%d", &local);
  return text;
}

}  // namespace

void WriteRegistryRecord() {
  // The first write of the run keeps what stood there before; a repeated one would only keep itself.
  if (!RecordWritten) {
    EarlierRecord = ReadRecordValues();
    RecordWritten = true;
  }
  std::vector<std::pair<std::string, platform::RegValue>> values;
  auto text = [&](const char* name, const std::string& value) { values.emplace_back(name, TextValue(value)); };
  auto number = [&](const char* name, std::int32_t value) { values.emplace_back(name, NumberValue(value)); };
  const std::string folder = vel::IncludeTrailingPathDelimiter(InstallOptions.InstallPath);
  text("DisplayIcon", ExecutablePath(AppOptions));
  text("DisplayName", AppOptions.AppFullName);
  text("DisplayVersion", AppOptions.ProgramVersion.ToString());
  number("EstimatedSize", static_cast<std::int32_t>(vel::FolderSize(InstallOptions.InstallPath) / 1024));
  text("InstallLocation", InstallOptions.InstallPath);
  number("NoModify", 1);
  number("NoRepair", 1);
  text("Publisher", AppOptions.Publisher);
  // Quoted, so that the system's own tools never run a program that a space in the path would name
  // instead ("C:\Program Files\Velnor Software\Quarrow.exe").
  std::string remover = "\"";
  remover += InstallOptions.EnableUninstaller ? folder + UninstallerFileName : ExecutablePath(AppOptions);
  remover += '"';
  text("UninstallString", remover);
  if (InstallOptions.EnableUninstaller) text("QuietUninstallString", remover + " -silent");
  text("InstallDate", InstallDate());
  number("VersionMajor", static_cast<std::int32_t>(AppOptions.ProgramVersion.Major));
  number("VersionMinor", static_cast<std::int32_t>(AppOptions.ProgramVersion.Minor));
  // The names cross: the help link is the "about" page, the support link the "help" page.
  if (!AppOptions.HelpLink.empty()) text("URLInfoAbout", AppOptions.HelpLink);
  if (!AppOptions.SupportLink.empty()) text("HelpLink", AppOptions.SupportLink);
  if (!AppOptions.UpdateLink.empty()) text("URLUpdateInfo", AppOptions.UpdateLink);

  // Written as one change: a store that keeps its hive in a file waits for the disk once, not once
  // for every value, and never holds half a record.
  std::unique_ptr<platform::RegistryKey> key = RecordKey(platform::kKeyAllAccess);
  key->OpenKey(InstallOptions.RegistryRecord, true);
  key->WriteValues(values);
}

void WriteInstallReport(const std::string& Folder) {
  const std::string folder = vel::IncludeTrailingPathDelimiter(Folder);
  const std::string file = folder + ReportFileName;
  std::vector<std::string> files = FilesToList(file, folder);
  // Gathered and written at once: one write of the file rather than one for every key.
  std::vector<platform::TIniValue> values;
  auto write = [&](const char* section, const char* key, const std::string& value) {
    values.push_back({section, key, value});
  };
  write("Report", "File Type", kReportFileType);
  write("Report", "Installer", "Velnor Software Installer");
  write("Report", "Version", InstallerVersion.ToString());
  write("Report", "Report Version", ReportVersion.ToString());
  write("Application", "Name", AppOptions.AppName);
  write("Application", "Install Path", InstallOptions.InstallPath);
  write("Application", "Data Path", AppOptions.AppDataPath);
  write("Application", "Executable", ExecutablePath(AppOptions));
  write("Configuration", "Shortcut-Menu", Flag(InstallOptions.CreateStartMenu));
  write("Configuration", "Shortcut-Desktop", Flag(InstallOptions.CreateDesktop));
  write("Configuration", "Options", List(InstallOptions.Option1, InstallOptions.Option2, InstallOptions.Option3));
  write("Configuration", "Extensions",
        List(InstallOptions.Extension1, InstallOptions.Extension2, InstallOptions.Extension3));
  write("Installation", "Has EULA", Flag(InstallOptions.HasEULA));
  write("Installation", "User Install", Flag(InstallOptions.InstallPick == TInstallPick::User));
  write("Installation", "Registry Record", InstallOptions.RegistryRecord);
  write("Installation", "Registry HIVE", InstallOptions.RegistryHIVE);
  platform::IniWriteStrings(file, values);

  std::vector<std::string> lines{"Count=" + std::to_string(files.size())};
  for (std::size_t i = 0; i < files.size(); ++i) lines.push_back("File" + std::to_string(i + 1) + "=" + files[i]);
  platform::IniWriteSection(file, FilesSection, lines);
}

std::optional<std::vector<std::string>> EarlierReportFiles(const std::string& Folder) {
  const std::string report = vel::IncludeTrailingPathDelimiter(Folder) + ReportFileName;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(platform::ToPath(report), ec)) return std::nullopt;
  if (platform::IniReadString(report, "Report", "File Type") != kReportFileType ||
      platform::IniReadString(report, "Application", "Name") != AppOptions.AppName)
    return std::nullopt;
  std::vector<std::string> files;
  std::optional<std::int32_t> count = vel::TryStrToInt(platform::IniReadString(report, FilesSection, "Count"));
  for (std::int32_t i = 1; count && i <= *count; ++i) {
    std::string file = platform::IniReadString(report, FilesSection, "File" + std::to_string(i));
    if (!file.empty()) files.push_back(std::move(file));
  }
  return files;
}

void DeleteRegistryRecord() {
  RecordRegistry r;
  r.registry.SetErrorKind(vel::TRegistryErrorKind::Disabled);
  if (r.registry.KeyExists(r.location)) r.registry.DeleteKey(r.location);
}

void UndoRegistryRecord() {
  if (!RecordWritten) return;
  if (!EarlierRecord) {
    DeleteRegistryRecord();
    return;
  }
  // Values this run added go, the earlier ones are written back; subkeys were never this run's.
  std::unique_ptr<platform::RegistryKey> key = RecordKey(platform::kKeyAllAccess);
  key->OpenKey(InstallOptions.RegistryRecord, true);
  for (const std::string& name : key->ValueNames()) {
    const bool earlier = std::any_of(EarlierRecord->begin(), EarlierRecord->end(), [&](const auto& value) {
      return platform::SameAsciiText(value.first, name);
    });
    if (!earlier) key->DeleteValue(name);
  }
  for (const auto& [name, value] : *EarlierRecord) key->WriteValue(name, value);
}

}  // namespace installer
