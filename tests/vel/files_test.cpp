// Path expansion, the publisher's folders, the user's known folders, folder sizes.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <fstream>
#include <iterator>
#include <set>
#include <thread>

#include "child_process.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "vel/files.h"
#include "vel/registry.h"

using namespace vel;

namespace {

const std::string d(1, PathDelim);

class FilesTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetEnv("VELA", "alpha");
    platform::SetEnv("VELB", "beta");
    platform::SetEnv("VELSELF", "%VELA%");
  }
  void TearDown() override {
    for (const char* name : {"VELA", "VELB", "VELSELF"}) platform::SetEnv(name, "");
  }
};

}  // namespace

TEST_F(FilesTest, ExpandEnvironmentScansForPairsOfPercentSigns) {
  const std::pair<std::string, std::string> cases[] = {
      {"%VELA%" + d + "%VELB%", "alpha" + d + "beta"},
      {"%vela%", "alpha"},  // lookup and replacement ignore case
      {"%VelA%x%VELA%", "alphaxalpha"},
      // Each token replaces its first occurrence in the result, which may come from an earlier value.
      {"%VELSELF%-%VELA%", "alpha-%VELA%"},
      {"%VELA%%VELB%", "alphabeta"},
      {"%NOSUCHVAR%", "%NOSUCHVAR%"},
      {"100%", "100%"},
      {"50% of %VELA%", "50% of alpha"},  // "% of %" names nothing; its closing sign opens the next
      {"%VELA% and %VELB%", "alpha and beta"},
      {"%VELSELF%", "%VELA%"},             // values are not expanded again
      {"%%", "%%"},
      {"", ""},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(ExpandEnvironment(path), expected) << path;
  EXPECT_EQ(ExpandEnvironment("%SYSTEMROOT%" + d + "x"), platform::GetEnv("SYSTEMROOT") + d + "x");
  EXPECT_EQ(ExpandEnvironment("%systemroot%"), ExpandEnvironment("%SYSTEMROOT%"));
  EXPECT_FALSE(platform::GetEnv("SYSTEMROOT").empty());
  EXPECT_EQ(GetSystemDrive(), platform::GetEnv("SYSTEMDRIVE"));
}

TEST_F(FilesTest, ShellFolderNamesAllUsersFirst) {
  const std::string user = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  const std::string machine = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  TWinRegistry reg;
  ASSERT_TRUE(reg.CreateKey(user));
  ASSERT_TRUE(reg.CreateKey(machine));
  reg.WriteStringValue(user, "VelFolder", "%VELA%" + d + "user");
  reg.WriteStringValue(user, "VelBoth", "user");
  reg.WriteStringValue(machine, "VelBoth", "machine");

  EXPECT_EQ(ExpandShellFolders("shell:velfolder" + d + "x"), "%VELA%" + d + "user" + d + "x");
  EXPECT_EQ(ExpandPath("shell:VELFOLDER" + d + "x"), "alpha" + d + "user" + d + "x");
  EXPECT_EQ(ExpandShellFolders("shell:velboth"), "machine");
  // The gate is the exact lower-case word.
  EXPECT_EQ(ExpandShellFolders("Shell:VelFolder"), "Shell:VelFolder");
  EXPECT_EQ(ExpandShellFolders("shell:nosuchfolder"), "shell:nosuchfolder");

  reg.DeleteValue(user, "VelFolder");
  reg.DeleteValue(user, "VelBoth");
  reg.DeleteValue(machine, "VelBoth");
  EXPECT_EQ(reg.LastError(), TRegistryError::None);
}

TEST_F(FilesTest, AppDataFolderOfThePublisher) {
  const std::string local = ExpandPath("%LOCALAPPDATA%" + d);
  const std::string expected = local + "VelnorSoftware" + d + "Quarrow Studio" + d;
  EXPECT_EQ(AppDataFolder("Quarrow Studio", true, false, TAppDataKind::Local), expected);
  EXPECT_FALSE(std::filesystem::exists(platform::ToPath(expected)));
  EXPECT_EQ(AppDataFolder("Quarrow Studio", false, false, TAppDataKind::Roaming),
            ExpandPath("%APPDATA%" + d) + "Quarrow Studio" + d);

  EXPECT_EQ(AppDataFolder("Quarrow Studio", true, true, TAppDataKind::Local), expected);
  EXPECT_TRUE(std::filesystem::is_directory(platform::ToPath(expected)));
  std::filesystem::remove_all(platform::ToPath(local + "VelnorSoftware"));
}

TEST_F(FilesTest, UserFoldersFromTheShellFolderRecord) {
  const std::string profile = GetUserFolder(TUserFolder::Profile);
  EXPECT_EQ(profile, ExpandPath("%USERPROFILE%"));
  EXPECT_FALSE(profile.empty());
  for (TUserFolder folder : {TUserFolder::Desktop, TUserFolder::Programs, TUserFolder::Personal}) {
    std::string path = GetUserFolder(folder);
    EXPECT_FALSE(path.empty());
    EXPECT_EQ(path.find('%'), std::string::npos) << path;
  }

  // A stored reference is expanded.
  const std::string key = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  TWinRegistry reg;
  const std::string saved = reg.GetStringValue(key, "My Music");
  ASSERT_TRUE(reg.CreateKey(key));
  reg.WriteValue(key, "My Music", "%VELA%" + d + "Music");
  EXPECT_EQ(GetUserFolder(TUserFolder::MyMusic), "alpha" + d + "Music");
  if (saved.empty())
    reg.DeleteValue(key, "My Music");
  else
    reg.WriteValue(key, "My Music", saved);
}

// An answer that names no real folder (a damaged store, an unset variable) is no folder at all:
// whatever is put there would land at a root or in the current folder.
TEST_F(FilesTest, KnownUserFolderOnlyForARealFolder) {
  const std::string key = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  const std::string root = platform::FromPath(std::filesystem::current_path().root_path());
  TWinRegistry reg;
  const std::string saved = reg.GetStringValue(key, "My Music");
  ASSERT_TRUE(reg.CreateKey(key));
  const struct {
    std::string stored, known;
  } cases[] = {
      {"", ""},
      {root, ""},
      {"%VEL_UNSET_FOLDER%" + d + "Music", ""},
      {"Music", ""},
      {root + "Music" + d + "..", ""},
      {root + "Music", root + "Music"},
      {root + "%VELA%" + d + "Music", root + "alpha" + d + "Music"},
  };
  for (const auto& c : cases) {
    reg.WriteValue(key, "My Music", c.stored);
    EXPECT_EQ(KnownUserFolder(TUserFolder::MyMusic), c.known) << "stored: " << c.stored;
  }
  if (saved.empty())
    reg.DeleteValue(key, "My Music");
  else
    reg.WriteValue(key, "My Music", saved);
}

// The XDG tools let the session's own variable win over user-dirs.dirs.
TEST_F(FilesTest, XdgFolderFromTheEnvironmentFirst) {
  if (PathDelim == '\\') GTEST_SKIP() << "the XDG folders are the Linux build's";
  const std::filesystem::path home = testsupport::MakeTempFolder();
  const std::string config = platform::GetEnv("XDG_CONFIG_HOME");
  ASSERT_FALSE(config.empty());
  const std::filesystem::path dirs = platform::ToPath(config) / "user-dirs.dirs";
  std::error_code ec;
  std::filesystem::rename(dirs, home / "saved-user-dirs", ec);
  std::ofstream(dirs) << "XDG_DESKTOP_DIR=\"" << platform::FromPath(home / "FromFile") << "\"\n";
  EXPECT_EQ(GetUserFolder(TUserFolder::Desktop), platform::FromPath(home / "FromFile"));
  platform::SetEnv("XDG_DESKTOP_DIR", platform::FromPath(home / "FromEnvironment"));
  EXPECT_EQ(GetUserFolder(TUserFolder::Desktop), platform::FromPath(home / "FromEnvironment"));
  // A relative one is invalid by the XDG rules and counts as unset.
  platform::SetEnv("XDG_DESKTOP_DIR", "Relative");
  EXPECT_EQ(GetUserFolder(TUserFolder::Desktop), platform::FromPath(home / "FromFile"));
  platform::SetEnv("XDG_DESKTOP_DIR", "");
  std::filesystem::remove(dirs);
  if (std::filesystem::exists(home / "saved-user-dirs")) std::filesystem::rename(home / "saved-user-dirs", dirs);
  std::filesystem::remove_all(home);
}

TEST(FolderSizeTest, AddsEveryFileBelowTheFolder) {
  std::filesystem::path root = testsupport::MakeTempFolder();
  EXPECT_EQ(FolderSize(platform::FromPath(root)), 0);
  std::filesystem::create_directories(root / "sub" / "empty");
  std::ofstream(root / "a.bin", std::ios::binary) << std::string(1000, 'x');
  std::ofstream(root / "sub" / ".hidden", std::ios::binary) << std::string(24, 'y');
  EXPECT_EQ(FolderSize(platform::FromPath(root)), 1024);
  EXPECT_EQ(FolderSize(platform::FromPath(root) + d), 1024);
  EXPECT_EQ(FolderSize(platform::FromPath(root / "missing")), 0);
  std::filesystem::remove_all(root);
}

TEST(TemporaryNameTest, EachWriteHasANameOfItsOwnAndItsLeftoversAreKnown) {
  const std::filesystem::path root = testsupport::MakeTempFolder();
  const std::filesystem::path target = root / "InstallReport.ini";
  const std::string pid = std::to_string(platform::CurrentProcessId());
  std::set<std::filesystem::path> names;
  for (int i = 0; i < 3; ++i) names.insert(platform::TemporaryNameFor(target, ".tmp"));
  EXPECT_EQ(names.size(), 3u);
  for (const std::filesystem::path& name : names) {
    const std::string file = platform::FromPath(name.filename());
    EXPECT_TRUE(file.starts_with("InstallReport.ini." + pid + "-")) << file;
    EXPECT_TRUE(platform::IsTemporaryNameFor(file, "InstallReport.ini", ".tmp")) << file;
  }
  // A name still taken, by a file an ended process with the same id left, is stepped over.
  const std::filesystem::path taken = platform::TemporaryNameIn(root, "~zip", ".tmp");
  std::ofstream(taken) << "left";
  EXPECT_NE(platform::TemporaryNameIn(root, "~zip", ".tmp"), taken);
  EXPECT_TRUE(platform::IsTemporaryNameIn(platform::FromPath(taken.filename()), "~zip", ".tmp"));

  const std::pair<const char*, bool> forTarget[] = {
      {"InstallReport.ini.12-3.tmp", true},   {"InstallReport.ini.tmp", false},
      {"InstallReport.ini.12.tmp", false},    {"InstallReport.ini.12-.tmp", false},
      {"InstallReport.ini.a-3.tmp", false},   {"Other.ini.12-3.tmp", false},
      {"InstallReport.ini.12-3.part", false}, {"InstallReport.ini12-3.tmp", false},
  };
  for (const auto& [name, expected] : forTarget)
    EXPECT_EQ(platform::IsTemporaryNameFor(name, "InstallReport.ini", ".tmp"), expected) << name;
  const std::pair<const char*, bool> inFolder[] = {
      {"~zip12-3.tmp", true}, {"~zip.tmp", false}, {"~zip12.tmp", false}, {"~zipx-3.tmp", false}, {"zip12-3.tmp", false},
  };
  for (const auto& [name, expected] : inFolder)
    EXPECT_EQ(platform::IsTemporaryNameIn(name, "~zip", ".tmp"), expected) << name;
  std::filesystem::remove_all(root);
}

// Writers of one INI file at once each finish: none finds its temporary file taken or renamed away by
// another, and none is left behind.
TEST(TemporaryNameTest, WritersOfOneIniFileAtOnceAllSucceed) {
  const std::filesystem::path root = testsupport::MakeTempFolder();
  const std::string file = platform::FromPath(root / "InstallReport.ini");
  std::atomic<int> failures{0};
  std::vector<std::thread> writers;
  for (int w = 0; w < 4; ++w) {
    writers.emplace_back([&, w] {
      for (int i = 0; i < 40; ++i) {
        try {
          platform::IniWriteString(file, "Report", "Writer" + std::to_string(w), std::to_string(i));
        } catch (const std::exception&) {
          ++failures;
        }
      }
    });
  }
  for (std::thread& t : writers) t.join();
  EXPECT_EQ(failures.load(), 0);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(root)) left.push_back(platform::FromPath(entry.path().filename()));
  EXPECT_EQ(left, std::vector<std::string>{"InstallReport.ini"});
  std::filesystem::remove_all(root);
}

// A report an earlier version wrote in the code page is still read, and a name from outside the code
// page written into it comes back as it was, beside the earlier keys.
TEST(IniFileTest, KeepsNamesFromOutsideTheCodePageAndReadsEarlierFiles) {
  const std::filesystem::path folder = platform::ToPath(testsupport::MakeTempFolder());
  const std::string file = platform::FromPath(folder / "InstallReport.ini");
  std::ofstream(platform::ToPath(file), std::ios::binary) << "[Application]\r\nName=Quarrow Studio\r\n";
  const std::string unusual = "C:\\Apps\\\u03A9mega \u88FD\u54C1";
  platform::IniWriteString(file, "Application", "Install Path", unusual);
  platform::IniWriteSection(file, "Files", {"Count=1", "File1=\u88FD\u54C1.txt"});
  EXPECT_EQ(platform::IniReadString(file, "Application", "Name"), "Quarrow Studio");
  EXPECT_EQ(platform::IniReadString(file, "Application", "Install Path"), unusual);
  EXPECT_EQ(platform::IniReadString(file, "Files", "File1"), "\u88FD\u54C1.txt");

  const std::string fresh = platform::FromPath(folder / "fresh.ini");
  platform::IniWriteString(fresh, "Application", "Install Path", unusual);
  EXPECT_EQ(platform::IniReadString(fresh, "Application", "Install Path"), unusual);
  std::filesystem::remove_all(folder);
}

// Several values written at once leave the file as the same values written one by one would: keys
// replaced in place (whatever their letter case), new keys at their section's end, new sections at
// the file's end, and every other line kept.
TEST(IniFileTest, ValuesWrittenAtOnceMatchThemWrittenOneByOne) {
  const std::filesystem::path folder = platform::ToPath(testsupport::MakeTempFolder());
  const std::string earlier = "; kept\r\n[Report]\r\nfile type=Old\r\nOther=1\r\n\r\n[Files]\r\nCount=0\r\n";
  const std::vector<platform::TIniValue> values = {
      {"Report", "File Type", "Install Report"}, {"Report", "Version", "2.0"},
      {"Application", "Name", "Quarrow Studio"}, {"Application", "Install Path", "C:\\Apps\\\u03A9mega"},
      {"Report", "Version", "2.1"},
  };
  const std::string together = platform::FromPath(folder / "together.ini");
  const std::string apart = platform::FromPath(folder / "apart.ini");
  for (const std::string& file : {together, apart}) std::ofstream(platform::ToPath(file), std::ios::binary) << earlier;
  platform::IniWriteStrings(together, values);
  for (const platform::TIniValue& v : values) platform::IniWriteString(apart, v.Section, v.Key, v.Value);

  auto read = [](const std::string& file) {
    std::ifstream in(platform::ToPath(file), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  EXPECT_EQ(read(together), read(apart));
  EXPECT_EQ(platform::IniReadString(together, "Report", "File Type"), "Install Report");
  EXPECT_EQ(platform::IniReadString(together, "Report", "Version"), "2.1");
  EXPECT_EQ(platform::IniReadString(together, "Report", "Other"), "1");
  EXPECT_EQ(platform::IniReadString(together, "Files", "Count"), "0");
  EXPECT_EQ(platform::IniReadString(together, "Application", "Install Path"), "C:\\Apps\\\u03A9mega");
  std::filesystem::remove_all(folder);
}

// Data is written byte-exact whatever its size and wherever it lies: heap memory goes through writes,
// a mapped file's bytes (as the executable's embedded data are) through the system's file-to-file copy.
TEST(WriteFileDataTest, WritesMemoryAndMappedFilesByteExact) {
  const std::filesystem::path folder = platform::ToPath(testsupport::MakeTempFolder());
  auto read = [](const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  std::vector<std::uint8_t> big(3 * 1024 * 1024 + 17);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{256 * 1024 + 1}, big.size()}) {
    const std::filesystem::path file = folder / ("heap-" + std::to_string(size));
    platform::WriteFileData(file, std::span<const std::uint8_t>(big.data(), size));
    EXPECT_EQ(read(file), std::vector<std::uint8_t>(big.begin(), big.begin() + static_cast<std::ptrdiff_t>(size)))
        << size;
  }
  // Replacing a longer file leaves nothing of it behind.
  platform::WriteFileData(folder / ("heap-" + std::to_string(big.size())), std::span<const std::uint8_t>(big.data(), 5));
  EXPECT_EQ(read(folder / ("heap-" + std::to_string(big.size()))).size(), 5u);
#ifndef _WIN32
  // A range in the middle of a mapped file, not starting on a page.
  const std::filesystem::path source = folder / "source";
  platform::WriteFileData(source, big);
  const int fd = ::open(source.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  void* mapped = ::mmap(nullptr, big.size(), PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  ASSERT_NE(mapped, MAP_FAILED);
  const std::span<const std::uint8_t> range(static_cast<const std::uint8_t*>(mapped) + 4099, 2 * 1024 * 1024);
  platform::WriteFileData(folder / "mapped", range);
  EXPECT_EQ(read(folder / "mapped"), std::vector<std::uint8_t>(range.begin(), range.end()));
  ::munmap(mapped, big.size());
#endif
  std::filesystem::remove_all(folder);
}
