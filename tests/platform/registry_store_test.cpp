// The Linux registry store: names, values, access rules, processes sharing a hive, and the live folders.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/text.h"

// Beside RegValue, where std::optional's comparisons and the test output look for them.
namespace platform {
bool operator==(const RegValue& a, const RegValue& b) { return a.type == b.type && a.data == b.data; }
void PrintTo(const RegValue& v, std::ostream* out) {
  *out << "type " << static_cast<unsigned>(v.type) << ", bytes";
  for (std::uint8_t b : v.data) *out << ' ' << static_cast<unsigned>(b);
}
}  // namespace platform

namespace fs = std::filesystem;
using platform::RegistryError;
using platform::RegistryKey;
using platform::RegType;
using platform::RegValue;

namespace {

constexpr const char* kUserShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::vector<std::uint8_t> Utf16z(std::string_view utf8) {
  std::vector<std::uint8_t> bytes;
  for (char16_t c : platform::Utf8ToUtf16(utf8)) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

RegValue Str(std::string_view utf8) { return {RegType::String, Utf16z(utf8)}; }
RegValue Dword(std::uint32_t n) {
  return {RegType::DWord, {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), std::uint8_t(n >> 24)}};
}

// Every test gets its own store, home and XDG folders, and leaves the environment as it found it.
class RegistryStore : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vel-registry-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    // Readable by everyone, for the test that looks at the store as another user.
    fs::permissions(root_, fs::perms(0755));
    Set("VEL_REGISTRY_DIR", (root_ / "store").string());
    Set("HOME", (root_ / "home").string());
    Set("XDG_CONFIG_HOME", (root_ / "config").string());
    Set("XDG_DATA_HOME", (root_ / "data").string());
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  void Set(const std::string& name, const std::string& value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value.empty())
      unsetenv(name.c_str());
    else
      setenv(name.c_str(), value.c_str(), 1);
  }
  fs::path Store() const { return root_ / "store"; }

  fs::path root_;
  std::map<std::string, std::optional<std::string>> saved_;
};

// Runs `body` in a child process and answers its exit code.
template <typename F>
int InChild(F body) {
  pid_t pid = fork();
  if (pid == 0) {
    int code = 99;
    try {
      code = body();
    } catch (...) {
    }
    _exit(code);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST_F(RegistryStore, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  RegistryKey key(platform::kRootCurrentUser, platform::kKeyAllAccess);
  ASSERT_TRUE(key.OpenKey("\\Software\\\\MixedCase\\", true));
  EXPECT_EQ(key.CurrentPath(), "Software\\MixedCase");
  key.CreateKey("Child\\Grand");
  key.CreateKey("CHILD");
  key.WriteValue("ValueName", Str("first"));
  key.WriteValue("VALUENAME", Str("second"));

  RegistryKey other(platform::kRootCurrentUser, platform::kKeyRead);
  ASSERT_TRUE(other.OpenKey("SOFTWARE\\mixedcase", false));
  EXPECT_EQ(other.CurrentPath(), "SOFTWARE\\mixedcase");  // as this caller spelled it
  EXPECT_EQ(other.KeyNames(), std::vector<std::string>{"Child"});
  EXPECT_TRUE(other.KeyExists("child\\GRAND"));
  EXPECT_EQ(other.ValueNames(), std::vector<std::string>{"ValueName"});
  EXPECT_EQ(other.ReadValue("valuename"), Str("second"));
  EXPECT_TRUE(other.ValueExists("VaLuEnAmE"));
}

TEST_F(RegistryStore, ValuesKeepTypeAndDataAcrossAccessors) {
  const std::vector<std::pair<std::string, RegValue>> values = {
      {"", Str("the default value")},
      {"Text", Str("Grüße ✓ 𝄞")},
      {"Empty", Str("")},
      {"Expand", {RegType::ExpandString, Utf16z("%HOME%/bin")}},
      {"Dword", Dword(0xDEADBEEF)},
      {"Qword", {RegType::QWord, {1, 2, 3, 4, 5, 6, 7, 8}}},
      {"Binary", {RegType::Binary, {0x00, 0xFF, 0x10, 0x00}}},
      {"NoBytes", {RegType::Binary, {}}},
      {"Multi", {RegType::MultiString, Utf16z(std::string("a\0b\0", 4))}},
      // String types the system would not write itself still come back byte for byte.
      {"Unterminated", {RegType::String, {'a', 0, 'b', 0}}},
      {"OddLength", {RegType::String, {'a', 0, 0}}},
      {"EmbeddedZero", {RegType::String, {'a', 0, 0, 0, 'b', 0, 0, 0}}},
      {"LoneSurrogate", {RegType::String, {0x00, 0xD8, 0, 0}}},
  };
  {
    RegistryKey writer(platform::kRootCurrentUser, platform::kKeyWrite);
    ASSERT_TRUE(writer.OpenKey("Software\\Values", true));
    for (const auto& [name, value] : values) writer.WriteValue(name, value);
    // The same values written as one change, over a value that is there already.
    ASSERT_TRUE(writer.OpenKey("Software\\Batch", true));
    writer.WriteValue("Text", Dword(1));
    writer.WriteValues(values);
  }
  RegistryKey reader(platform::kRootCurrentUser, platform::kKeyRead);
  for (const char* key : {"Software\\Values", "Software\\Batch"}) {
    ASSERT_TRUE(reader.OpenKey(key, false));
    for (const auto& [name, value] : values) {
      std::optional<RegValue> read = reader.ReadValue(name);
      ASSERT_TRUE(read) << key << " " << name;
      EXPECT_EQ(*read, value) << key << " " << name;
    }
    EXPECT_EQ(reader.ValueNames().size(), values.size());
  }

  // Strings are stored as text people can read in the database.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2((Store() / "HKEY_CURRENT_USER.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT typeof(data), data FROM key_values WHERE name = 'Text'", -1, &stmt, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "text");
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)), "Grüße ✓ 𝄞");
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

TEST_F(RegistryStore, EachHiveIsAFileOfItsOwnAndItsRootHoldsValues) {
  RegistryKey user(platform::kRootCurrentUser, platform::kKeyAllAccess);
  RegistryKey machine(platform::kRootLocalMachine, platform::kKeyAllAccess);
  ASSERT_TRUE(user.OpenKey("", false));
  ASSERT_TRUE(machine.OpenKey("\\", false));
  user.WriteValue("AtRoot", Dword(1));
  machine.CreateKey("Software\\OnlyHere");

  EXPECT_TRUE(fs::exists(Store() / "HKEY_CURRENT_USER.db"));
  EXPECT_TRUE(fs::exists(Store() / "HKEY_LOCAL_MACHINE.db"));
  EXPECT_EQ(user.ReadValue("atroot"), Dword(1));
  EXPECT_FALSE(machine.ValueExists("AtRoot"));
  EXPECT_TRUE(machine.KeyExists("Software\\OnlyHere"));
  EXPECT_FALSE(user.KeyExists("Software\\OnlyHere"));
}

TEST_F(RegistryStore, MissingKeyLeavesNoCurrentKey) {
  RegistryKey key(platform::kRootCurrentUser, platform::kKeyAllAccess);
  ASSERT_TRUE(key.OpenKey("Software\\There", true));
  key.WriteValue("Value", Dword(7));
  // A failed open forgets the key opened before it.
  EXPECT_FALSE(key.OpenKey("Software\\There\\Not", false));
  EXPECT_FALSE(key.HasCurrentKey());
  EXPECT_EQ(key.CurrentPath(), "");
  EXPECT_EQ(key.ReadValue("Value"), std::nullopt);
  EXPECT_FALSE(key.ValueExists("Value"));
  EXPECT_FALSE(key.KeyExists(""));
  EXPECT_TRUE(key.KeyNames().empty());
  EXPECT_TRUE(key.ValueNames().empty());
  EXPECT_THROW(key.WriteValue("Value", Dword(8)), RegistryError);
  EXPECT_THROW(key.CreateKey("Sub"), RegistryError);
  EXPECT_FALSE(key.DeleteValue("Value"));
  EXPECT_FALSE(key.DeleteKey("Sub"));

  // Nothing was made on the way, and the earlier key is untouched.
  ASSERT_TRUE(key.OpenKey("Software\\There", false));
  EXPECT_EQ(key.KeyNames(), std::vector<std::string>{});
  EXPECT_EQ(key.ReadValue("Value"), Dword(7));
}

TEST_F(RegistryStore, AKeyDeletedElsewhereIsGoneForItsOpenAccessor) {
  RegistryKey opened(platform::kRootCurrentUser, platform::kKeyAllAccess);
  ASSERT_TRUE(opened.OpenKey("Software\\Doomed", true));
  opened.WriteValue("Value", Dword(1));

  RegistryKey remover(platform::kRootCurrentUser, platform::kKeyAllAccess);
  ASSERT_TRUE(remover.OpenKey("Software", false));
  ASSERT_TRUE(remover.DeleteKey("Doomed"));

  EXPECT_EQ(opened.ReadValue("Value"), std::nullopt);
  EXPECT_THROW(opened.WriteValue("Value", Dword(2)), RegistryError);
  EXPECT_THROW(opened.CreateKey("Sub"), RegistryError);
  // The failed writes did not bring the key back.
  EXPECT_FALSE(remover.KeyExists("Doomed"));
}

TEST_F(RegistryStore, DeleteKeyTakesATreeOnlyWithTheRightsToListIt) {
  auto build = [] {
    RegistryKey key(platform::kRootCurrentUser, platform::kKeyAllAccess);
    key.OpenKey("Software\\Parent", true);
    key.CreateKey("Tree\\Branch\\Leaf");
    key.OpenKey("Software\\Parent\\Tree\\Branch", false);
    key.WriteValue("Deep", Dword(1));
  };
  struct Case {
    const char* access;
    std::uint32_t mask;
    bool removesTree;
  };
  for (const Case& c : {Case{"write", platform::kKeyWrite, false}, Case{"read", platform::kKeyRead, true},
                        Case{"all", platform::kKeyAllAccess, true}}) {
    SCOPED_TRACE(c.access);
    build();
    RegistryKey parent(platform::kRootCurrentUser, c.mask);
    ASSERT_TRUE(parent.OpenKey("Software\\Parent", false));
    EXPECT_EQ(parent.DeleteKey("Tree"), c.removesTree);
    EXPECT_EQ(parent.KeyExists("Tree\\Branch\\Leaf"), !c.removesTree);
    // A key without subkeys goes whatever the rights.
    EXPECT_EQ(parent.DeleteKey("tree\\branch\\leaf"), !c.removesTree);
    EXPECT_FALSE(parent.DeleteKey("Missing"));
    EXPECT_FALSE(parent.DeleteKey(""));
    RegistryKey all(platform::kRootCurrentUser, platform::kKeyAllAccess);
    all.OpenKey("Software", false);
    all.DeleteKey("Parent");
  }
  // What went with a key does not come back with a new key of the same name.
  build();
  RegistryKey all(platform::kRootCurrentUser, platform::kKeyAllAccess);
  ASSERT_TRUE(all.OpenKey("Software", false));
  ASSERT_TRUE(all.DeleteKey("Parent"));
  ASSERT_TRUE(all.OpenKey("Software\\Parent\\Tree\\Branch", true));
  EXPECT_TRUE(all.KeyNames().empty());
  EXPECT_TRUE(all.ValueNames().empty());
}

TEST_F(RegistryStore, RefusedActionsThrowAccessDenied) {
  {
    RegistryKey setup(platform::kRootCurrentUser, platform::kKeyAllAccess);
    ASSERT_TRUE(setup.OpenKey("Software\\Guarded\\Sub", true));
    setup.OpenKey("Software\\Guarded", false);
    setup.WriteValue("Value", Dword(5));
  }
  auto denied = [](const std::function<void()>& action) {
    try {
      action();
    } catch (const RegistryError& e) {
      return std::string(e.what()) == "Access is denied.";
    }
    return false;
  };
  RegistryKey reader(platform::kRootCurrentUser, platform::kKeyRead);
  ASSERT_TRUE(reader.OpenKey("Software\\Guarded", false));
  EXPECT_TRUE(denied([&] { reader.WriteValue("Value", Dword(6)); }));
  EXPECT_TRUE(denied([&] { reader.CreateKey("New"); }));
  EXPECT_FALSE(reader.DeleteValue("Value"));
  RegistryKey readerOfMissing(platform::kRootCurrentUser, platform::kKeyRead);
  EXPECT_TRUE(denied([&] { readerOfMissing.OpenKey("Software\\New", true); }));

  RegistryKey writer(platform::kRootCurrentUser, platform::kKeyWrite);
  ASSERT_TRUE(writer.OpenKey("Software\\Guarded", false));
  EXPECT_TRUE(denied([&] { writer.ReadValue("Value"); }));
  EXPECT_TRUE(denied([&] { writer.ValueNames(); }));
  EXPECT_TRUE(denied([&] { writer.KeyNames(); }));

  RegistryKey setOnly(platform::kRootCurrentUser, platform::kKeySetValue);
  ASSERT_TRUE(setOnly.OpenKey("Software\\Guarded", false));
  EXPECT_TRUE(denied([&] { setOnly.CreateKey("New"); }));
  setOnly.WriteValue("Value", Dword(6));

  // Opening an existing key "with create" creates nothing, so it needs no right to; views change nothing.
  RegistryKey view(platform::kRootCurrentUser, platform::kKeyRead | platform::kKeyWow64_32);
  ASSERT_TRUE(view.OpenKey("Software\\Guarded", true));
  EXPECT_EQ(view.ReadValue("Value"), Dword(6));
  EXPECT_EQ(view.KeyNames(), std::vector<std::string>{"Sub"});
}

TEST_F(RegistryStore, ProcessesWritingAtOnceLoseNothing) {
  constexpr int kWriters = 2, kValues = 40, kKeys = 4;
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  std::vector<pid_t> writers;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = fork();
    if (pid == 0) {
      char go;
      close(start[1]);
      int code = read(start[0], &go, 1) == 1 ? 0 : 2;
      try {
        // A fresh store: the writers also race to make its tables, then to make the same keys.
        for (int i = 0; i < kValues && code == 0; ++i) {
          RegistryKey key(platform::kRootCurrentUser, platform::kKeyAllAccess);
          key.OpenKey("Software\\Shared\\Key" + std::to_string(i % kKeys), true);
          key.WriteValue("w" + std::to_string(w) + "-" + std::to_string(i), Dword(i));
        }
      } catch (...) {
        code = 1;
      }
      _exit(code);
    }
    writers.push_back(pid);
  }
  close(start[0]);
  ASSERT_EQ(write(start[1], "gogo", kWriters), kWriters);
  close(start[1]);
  for (pid_t pid : writers) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer status " << status;
  }

  RegistryKey reader(platform::kRootCurrentUser, platform::kKeyRead);
  ASSERT_TRUE(reader.OpenKey("Software\\Shared", false));
  EXPECT_EQ(reader.KeyNames().size(), std::size_t{kKeys});
  std::size_t total = 0;
  for (int k = 0; k < kKeys; ++k) {
    ASSERT_TRUE(reader.OpenKey("Software\\Shared\\Key" + std::to_string(k), false));
    total += reader.ValueNames().size();
  }
  EXPECT_EQ(total, std::size_t{kWriters * kValues});
}

TEST_F(RegistryStore, AStoreThatCannotBeWrittenIsStillRead) {
  {
    RegistryKey key(platform::kRootLocalMachine, platform::kKeyAllAccess);
    ASSERT_TRUE(key.OpenKey("Software\\Fixed\\Sub", true));
    key.OpenKey("Software\\Fixed", false);
    key.WriteValue("Value", Str("kept"));
  }
  fs::path file = Store() / "HKEY_LOCAL_MACHINE.db";
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  ASSERT_EQ(chmod(Store().c_str(), 0555), 0);
  // Permissions do not hold back root: the store is looked at as an ordinary user instead.
  constexpr int kCannotDrop = 77;
  int code = InChild([] {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) return kCannotDrop;
    RegistryKey key(platform::kRootLocalMachine, platform::kKeyAllAccess);
    if (!key.OpenKey("software\\fixed", true)) return 1;
    if (key.ReadValue("Value") != Str("kept") || key.KeyNames() != std::vector<std::string>{"Sub"}) return 2;
    try {
      key.WriteValue("Value", Str("changed"));
      return 3;
    } catch (const RegistryError& e) {
      if (std::string(e.what()) != "Access is denied.") return 4;
    }
    try {
      RegistryKey(platform::kRootLocalMachine, platform::kKeyAllAccess).OpenKey("Software\\New", true);
      return 5;
    } catch (const RegistryError&) {
    }
    if (key.DeleteValue("Value") || key.DeleteKey("Sub")) return 6;
    return 0;
  });
  chmod(Store().c_str(), 0755);
  if (code == kCannotDrop) GTEST_SKIP() << "cannot act as an ordinary user here";
  EXPECT_EQ(code, 0) << "the step that failed";
  RegistryKey key(platform::kRootLocalMachine, platform::kKeyRead);
  ASSERT_TRUE(key.OpenKey("Software\\Fixed", false));
  EXPECT_EQ(key.ReadValue("Value"), Str("kept"));
}

TEST_F(RegistryStore, AStoreThatCannotBeOpenedIsEmptyAndRefusesWrites) {
  fs::create_directories(root_);
  std::ofstream(root_ / "not-a-folder") << "x";
  Set("VEL_REGISTRY_DIR", (root_ / "not-a-folder" / "store").string());
  RegistryKey key(platform::kRootLocalMachine, platform::kKeyAllAccess);
  ASSERT_TRUE(key.OpenKey("", false));  // the root is always there
  EXPECT_TRUE(key.KeyNames().empty());
  EXPECT_EQ(key.ReadValue("Anything"), std::nullopt);
  EXPECT_THROW(key.WriteValue("Anything", Dword(1)), RegistryError);
  EXPECT_THROW(key.CreateKey("Software"), RegistryError);
  EXPECT_FALSE(key.OpenKey("Software", false));
  EXPECT_THROW(key.OpenKey("Software", true), RegistryError);
}

// A hive file that is there but is no readable store: every use names the file, nothing answers as if
// the hive were empty, and the file is left byte for byte as it was.
TEST_F(RegistryStore, ADamagedStoreIsAnErrorNamingItsFileAndIsNeverWritten) {
  struct Damage {
    const char* what;
    std::function<void(const fs::path&)> make;
  };
  const std::vector<Damage> damages = {
      {"garbage", [](const fs::path& file) { std::ofstream(file, std::ios::binary) << "not a database at all, " << std::string(600, 'x'); }},
      {"a valid header over garbage pages",
       [this](const fs::path& file) {
         {
           RegistryKey key(platform::kRootCurrentUser, platform::kKeyAllAccess);
           key.OpenKey("Software\\Kept", true);
           key.WriteValue("Value", Str("kept"));
         }
         // The header stays, every page after the first is overwritten.
         std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
         f.seekp(100);
         f << std::string(static_cast<std::size_t>(fs::file_size(file)) - 100, '\x5A');
       }},
      {"a folder where the file should be", [](const fs::path& file) { fs::create_directories(file / "inside"); }},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    fs::remove_all(Store());
    fs::create_directories(Store());
    const fs::path file = Store() / "HKEY_CURRENT_USER.db";
    damage.make(file);
    auto snapshot = [&] {
      std::string bytes;
      if (fs::is_regular_file(file)) {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
      }
      return bytes;
    };
    const std::string before = snapshot();
    auto expectNamed = [&](const char* step, const std::function<void()>& action) {
      try {
        action();
        ADD_FAILURE() << step << " answered as if the hive were empty";
      } catch (const RegistryError& e) {
        EXPECT_NE(std::string(e.what()).find("\"" + file.string() + "\""), std::string::npos) << step << ": " << e.what();
      }
    };
    expectNamed("a question", [] { RegistryKey(platform::kRootCurrentUser, platform::kKeyRead).OpenKey("Software", false); });
    expectNamed("the root", [] { RegistryKey(platform::kRootCurrentUser, platform::kKeyRead).OpenKey("", false); });
    expectNamed("a creation", [] { RegistryKey(platform::kRootCurrentUser, platform::kKeyAllAccess).OpenKey("Software\\New", true); });
    expectNamed("a removal", [] {
      RegistryKey key(platform::kRootCurrentUser, platform::kKeyAllAccess);
      key.OpenKey("", false);
      key.DeleteKey("Software");
    });
    // A live folder of the desktop is no way around it either: the store may hold its own value.
    expectNamed("a live key", [] { RegistryKey(platform::kRootCurrentUser, platform::kKeyRead).OpenKey(kUserShellFolders, false); });
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(fs::is_directory(file), std::string(damage.what) == "a folder where the file should be");
    // Another hive is a file of its own and goes on working.
    RegistryKey machine(platform::kRootLocalMachine, platform::kKeyAllAccess);
    EXPECT_TRUE(machine.OpenKey("Software\\Other", true));
  }
}

TEST_F(RegistryStore, ShellFoldersAnswerFromTheUserDirectories) {
  const std::string home = (root_ / "home").string();
  const std::string config = (root_ / "config").string();
  const std::string data = (root_ / "data").string();
  fs::create_directories(config);
  std::ofstream(fs::path(config) / "user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                        "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                                        "XDG_DOWNLOAD_DIR=\"/srv/downloads/\"\n"
                                                        "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n"
                                                        "XDG_MUSIC_DIR=\"relative/is/invalid\"\n";
  const std::map<std::string, std::string> expected = {
      {"Desktop", home + "/Schreibtisch"},
      {"{374DE290-123F-4565-9164-39C4925E467B}", "/srv/downloads"},
      {"Personal", home + "/My \"Docs\""},
      {"My Music", home + "/Music"},
      {"My Pictures", home + "/Pictures"},
      {"My Video", home + "/Videos"},
      {"Programs", data + "/applications"},
      {"Start Menu", data + "/applications"},
      {"Startup", config + "/autostart"},
      {"AppData", config},
      {"Local AppData", data},
  };
  for (const char* path : {kUserShellFolders, kShellFolders}) {
    SCOPED_TRACE(path);
    RegistryKey key(platform::kRootCurrentUser, platform::kKeyRead);
    ASSERT_TRUE(key.OpenKey(path, false));
    for (const auto& [name, folder] : expected) EXPECT_EQ(key.ReadValue(name), Str(folder)) << name;
    EXPECT_EQ(key.ReadValue("desktop"), Str(home + "/Schreibtisch"));
    EXPECT_EQ(key.ValueNames().size(), expected.size());
    EXPECT_FALSE(key.ValueExists("NoSuchFolder"));
  }
  // The keys are there from the root down, in the current user's hive only.
  RegistryKey root(platform::kRootCurrentUser, platform::kKeyRead);
  ASSERT_TRUE(root.OpenKey("", false));
  EXPECT_EQ(root.KeyNames(), std::vector<std::string>{"Software"});
  ASSERT_TRUE(root.OpenKey("software\\microsoft\\windows\\currentversion\\explorer", false));
  EXPECT_EQ(root.KeyNames(), (std::vector<std::string>{"Shell Folders", "User Shell Folders"}));
  EXPECT_FALSE(RegistryKey(platform::kRootLocalMachine, platform::kKeyRead).OpenKey(kUserShellFolders, false));

  // A stored value wins over the live one, and deleting it brings the live one back.
  RegistryKey key(platform::kRootCurrentUser, platform::kKeyAllAccess);
  ASSERT_TRUE(key.OpenKey(kUserShellFolders, false));
  key.WriteValue("DESKTOP", Str("%USERPROFILE%\\Desktop"));
  EXPECT_EQ(key.ReadValue("Desktop"), Str("%USERPROFILE%\\Desktop"));
  EXPECT_EQ(key.ValueNames().size(), expected.size());
  EXPECT_FALSE(key.DeleteValue("Personal"));  // nothing stored to delete
  EXPECT_TRUE(key.DeleteValue("Desktop"));
  EXPECT_EQ(key.ReadValue("Desktop"), Str(home + "/Schreibtisch"));
}

TEST_F(RegistryStore, ShellFoldersFallBackToTheUsualFolders) {
  Set("XDG_CONFIG_HOME", "");
  Set("XDG_DATA_HOME", "relative/is/ignored");
  const std::string home = (root_ / "home").string();
  RegistryKey key(platform::kRootCurrentUser, platform::kKeyRead);
  ASSERT_TRUE(key.OpenKey(kUserShellFolders, false));
  EXPECT_EQ(key.ReadValue("Desktop"), Str(home + "/Desktop"));
  EXPECT_EQ(key.ReadValue("Personal"), Str(home + "/Documents"));
  EXPECT_EQ(key.ReadValue("{374DE290-123F-4565-9164-39C4925E467B}"), Str(home + "/Downloads"));
  EXPECT_EQ(key.ReadValue("AppData"), Str(home + "/.config"));
  EXPECT_EQ(key.ReadValue("Programs"), Str(home + "/.local/share/applications"));
}
