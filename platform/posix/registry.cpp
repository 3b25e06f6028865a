// Linux: the registry accessor over one SQLite database per hive, with the user's shell folders live.
#include "platform/registry.h"

#include "desktop_settings.h"

#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <utility>

#include "platform/text.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// The system's own texts for the failures an accessor reports.
constexpr const char* kAccessDenied = "Access is denied.";
constexpr const char* kInvalidHandle = "The handle is invalid.";
constexpr const char* kKeyDeleted =
    "Illegal operation attempted on a registry key that has been marked for deletion.";

// Long enough for another process's write to finish, short enough not to look hung.
constexpr int kBusyTimeoutMs = 30000;
constexpr int kSchemaVersion = 1;

// ---------------------------------------------------------------------------------------------------
// Names and paths

// Letter case is folded as SQLite's NOCASE folds it (A-Z only), so that names merged in memory and
// names matched by the database agree.
char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool NameLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y));
  });
}

using Segments = std::vector<std::string>;

Segments Split(std::string_view path) {
  Segments segments;
  while (!path.empty()) {
    std::size_t end = path.find('\\');
    std::string_view segment = path.substr(0, end);
    if (!segment.empty()) segments.emplace_back(segment);
    if (end == std::string_view::npos) break;
    path.remove_prefix(end + 1);
  }
  return segments;
}

std::string Join(const Segments& segments) {
  std::string path;
  for (const std::string& s : segments) {
    if (!path.empty()) path += '\\';
    path += s;
  }
  return path;
}

Segments Concat(Segments a, const Segments& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const char* HiveFileName(RegRoot root) {
  switch (root) {
    case kRootClassesRoot: return "HKEY_CLASSES_ROOT";
    case kRootCurrentUser: return "HKEY_CURRENT_USER";
    case kRootLocalMachine: return "HKEY_LOCAL_MACHINE";
    case kRootUsers: return "HKEY_USERS";
    case kRootPerformanceData: return "HKEY_PERFORMANCE_DATA";
    case kRootCurrentConfig: return "HKEY_CURRENT_CONFIG";
    case kRootDynData: return "HKEY_DYN_DATA";
    default: return nullptr;
  }
}

// ---------------------------------------------------------------------------------------------------
// Folders

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string HomeFolder() {
  if (std::string home = Env("HOME"); !home.empty()) return home;
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return "/";
}

// An XDG base folder; relative values are invalid by the XDG rules and fall back like unset ones.
std::string XdgBase(const char* variable, const char* underHome) {
  std::string value = Env(variable);
  if (!value.empty() && value.front() == '/') return value;
  return HomeFolder() + underHome;
}

struct StoreLocation {
  fs::path folder;
  bool system = false;  // the machine-wide folder, writable by root only
};

StoreLocation LocateStore(RegRoot root) {
  if (std::string dir = Env("VEL_REGISTRY_DIR"); !dir.empty()) return {dir, false};
  if (root == kRootCurrentUser) return {fs::path(XdgBase("XDG_DATA_HOME", "/.local/share")) / "vel-registry", false};
  return {"/var/lib/vel-registry", true};
}

// ---------------------------------------------------------------------------------------------------
// The user's shell folders, answered from the XDG user directories

bool IsPrefixOf(const Segments& path, const Segments& of) {
  if (path.size() > of.size()) return false;
  for (std::size_t i = 0; i < path.size(); ++i)
    if (!SameAsciiText(path[i], of[i])) return false;
  return true;
}

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

// The shell folder values by name, each the folder it stands for.
std::vector<std::pair<std::string, std::string>> LiveFolderValues() {
  std::string home = HomeFolder();
  std::string config = XdgBase("XDG_CONFIG_HOME", "/.config");
  std::string data = XdgBase("XDG_DATA_HOME", "/.local/share");
  std::map<std::string, std::string> dirs = ReadUserDirs(config, home);
  auto dir = [&](const char* key, const char* fallback) {
    // A folder the session itself was given overrides the file, as the XDG tools read them.
    if (std::string own = UserDirValue(Env(key), home); !own.empty()) return own;
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

// The keys of the current user's hive that answer from the desktop: they always exist (and so do
// their parents), and each value the store does not hold comes live from the desktop.
using LiveValues = std::vector<std::pair<std::string, RegValue>>;
RegValue LiveString(const std::string& text);
RegValue LiveDWord(std::uint32_t value) {
  RegValue v{RegType::DWord, std::vector<std::uint8_t>(4)};
  for (int i = 0; i < 4; ++i) v.data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
  return v;
}

LiveValues ShellFolderValues() {
  LiveValues values;
  for (const auto& [name, folder] : LiveFolderValues()) values.emplace_back(name, LiveString(folder));
  return values;
}

// The app theme: light unless the desktop prefers dark.
LiveValues ThemeValues() {
  LiveValues values;
  if (std::optional<bool> dark = DesktopPrefersDark()) values.emplace_back("AppsUseLightTheme", LiveDWord(*dark ? 0 : 1));
  return values;
}

// The accent as the window manager keeps it: opaque, alpha-blue-green-red.
LiveValues AccentValues() {
  LiveValues values;
  if (std::optional<std::uint32_t> accent = DesktopAccentColor())
    values.emplace_back("AccentColor", LiveDWord(0xFF000000u | *accent));
  return values;
}

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

std::vector<std::uint8_t> Utf16Bytes(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(2 * text.size() + 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

RegValue StringValue(RegType type, std::string_view utf8) { return {type, Utf16Bytes(Utf8ToUtf16(utf8))}; }

RegValue LiveString(const std::string& text) { return StringValue(RegType::String, text); }

// The text of a string value when it is stored as readable text without losing anything: UTF-16
// whose only zero is the terminating one and which survives the trip through UTF-8. Anything else
// (an odd length, embedded or missing zeros, lone surrogates) is kept as raw bytes.
std::optional<std::string> StorableText(const RegValue& value) {
  if (value.type != RegType::String && value.type != RegType::ExpandString) return std::nullopt;
  const std::vector<std::uint8_t>& d = value.data;
  if (d.size() < 2 || d.size() % 2 != 0) return std::nullopt;
  std::u16string units;
  for (std::size_t i = 0; i + 2 < d.size(); i += 2) {
    char16_t c = static_cast<char16_t>(d[i] | (d[i + 1] << 8));
    if (c == 0) return std::nullopt;
    units += c;
  }
  if (d[d.size() - 2] != 0 || d[d.size() - 1] != 0) return std::nullopt;
  std::string text = Utf16ToUtf8(units);
  if (Utf8ToUtf16(text) != units) return std::nullopt;
  return text;
}

// ---------------------------------------------------------------------------------------------------
// SQLite

struct DatabaseCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;

// A store that exists but cannot be read as one: never an empty hive, and never written over, since
// what it held may still be saved by hand. Callers that turn other failures into a plain "no" let
// this one through.
class StoreDamaged : public RegistryError {
 public:
  using RegistryError::RegistryError;
};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string StoreFile(sqlite3* db) {
  const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
  return file ? file : "";
}

[[noreturn]] void Fail(sqlite3* db, int code) {
  int primary = code & 0xFF;
  if (primary == SQLITE_READONLY || primary == SQLITE_PERM || primary == SQLITE_AUTH)
    throw RegistryError(kAccessDenied);
  std::string why = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
  if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
    throw StoreDamaged("The registry store " + Quoted(StoreFile(db)) + " is damaged: " + why);
  throw RegistryError("The registry store " + Quoted(StoreFile(db)) + " failed: " + why);
}

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (int rc = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); rc != SQLITE_OK) Fail(db, rc);
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, sqlite3_int64 value) {
    Check(sqlite3_bind_int64(stmt_, index, value));
    return *this;
  }
  Statement& Bind(int index, std::string_view text) {
    Check(sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
    return *this;
  }
  Statement& BindBlob(int index, const std::vector<std::uint8_t>& data) {
    // A zero-length blob still has to be a blob, not NULL: an empty binary value is a value.
    Check(sqlite3_bind_blob64(stmt_, index, data.empty() ? "" : static_cast<const void*>(data.data()),
                              data.size(), SQLITE_TRANSIENT));
    return *this;
  }

  // Makes the statement ready to run again with new values.
  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }

  // True while there is a row to read.
  bool Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail(db_, rc);
  }

  sqlite3_int64 Int(int column) const { return sqlite3_column_int64(stmt_, column); }
  std::string Text(int column) const {
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                : std::string();
  }
  std::vector<std::uint8_t> Blob(int column) const {
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
    return data ? std::vector<std::uint8_t>(data, data + sqlite3_column_bytes(stmt_, column))
                : std::vector<std::uint8_t>();
  }
  bool IsText(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_TEXT; }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) Fail(db_, rc);
  }
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

void Exec(sqlite3* db, const char* sql) {
  if (int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr); rc != SQLITE_OK) Fail(db, rc);
}

// A transaction rolled back unless committed. Writers take the write lock up front (IMMEDIATE), so
// two processes never both read, then both try to upgrade and one of them fail.
class Transaction {
 public:
  Transaction(sqlite3* db, bool write) : db_(db) { Exec(db, write ? "BEGIN IMMEDIATE" : "BEGIN"); }
  ~Transaction() {
    if (db_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit() {
    Exec(db_, "COMMIT");
    db_ = nullptr;
  }

 private:
  sqlite3* db_;
};

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys (
  id INTEGER PRIMARY KEY,
  parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL COLLATE NOCASE,
  UNIQUE (parent, name)
);
-- String types are kept as readable UTF-8 text, everything else as a blob of the value's bytes.
CREATE TABLE IF NOT EXISTS key_values (
  key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL COLLATE NOCASE,
  type INTEGER NOT NULL,
  data,
  PRIMARY KEY (key, name)
);
INSERT OR IGNORE INTO keys (id, parent, name) VALUES (1, NULL, '');
PRAGMA user_version = 1;
)sql";

constexpr sqlite3_int64 kRootId = 1;

int SchemaVersion(sqlite3* db) {
  Statement s(db, "PRAGMA user_version");
  return s.Step() ? static_cast<int>(s.Int(0)) : 0;
}

// A key of the hive as found: its stored row, and whether it exists regardless of the store.
struct Node {
  std::optional<sqlite3_int64> id;
  bool live = false;
  bool Exists() const { return id || live; }
};

}  // namespace

// ---------------------------------------------------------------------------------------------------

struct RegistryKey::Impl {
  RegRoot root;
  bool opened = false;
  Database db;          // null when the hive's store cannot be opened at all
  bool writable = false;
  bool hasSchema = false;
  std::string whyNotWritable;
  std::string damaged;  // why the store's file cannot be used; empty while it can
  bool hasKey = false;
  Segments current;  // the current key, as the caller spelled it

  explicit Impl(RegRoot r) : root(r) {}

  // The store is opened at the first use, so an accessor that is never used touches no file.
  sqlite3* Db() {
    if (!opened) Open();
    return db.get();
  }

  void Open() {
    opened = true;
    const char* hive = HiveFileName(root);
    if (!hive) {
      whyNotWritable = kInvalidHandle;
      return;
    }
    StoreLocation location = LocateStore(root);
    std::error_code ec, made;
    if (!fs::is_directory(location.folder, ec) && fs::create_directories(location.folder, made) && location.system)
      fs::permissions(location.folder, fs::perms(0755), ec);
    fs::path file = location.folder / (std::string(hive) + ".db");
    bool existed = fs::exists(file, ec);

    // SQLite itself falls back to reading when the file may not be written; sqlite3_db_readonly
    // tells which it got.
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    db.reset(raw);
    if (rc != SQLITE_OK) {
      if (existed) {
        // There is a store, but it cannot be read (no permission, not a file): its keys are unknown.
        damaged = "The registry store " + Quoted(file.string()) + " cannot be read: " + sqlite3_errstr(rc);
        whyNotWritable = damaged;
        db.reset();
        return;
      }
      // An ordinary user's first look at the machine hive lands here, and on Windows that is a refusal.
      bool denied = made == std::errc::permission_denied ||
                    (access(location.folder.c_str(), W_OK) != 0 && errno == EACCES);
      whyNotWritable = denied ? std::string(kAccessDenied)
                              : std::string("The registry store cannot be opened: ") + sqlite3_errstr(rc);
      db.reset();
      return;
    }
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    sqlite3_extended_result_codes(db.get(), 1);
    writable = !sqlite3_db_readonly(db.get(), "main");
    if (!writable) whyNotWritable = kAccessDenied;
    try {
      Exec(db.get(), "PRAGMA foreign_keys = ON");
      hasSchema = SchemaVersion(db.get()) >= kSchemaVersion;
      if (!hasSchema && writable) {
        // The schema is written so that a process that lost the race to make it changes nothing.
        Transaction t(db.get(), true);
        Exec(db.get(), kSchema);
        t.Commit();
        hasSchema = true;
      }
      if (hasSchema) {
        // Reaches the schema and the keys' table, where damage shows first, before anyone takes an
        // unreadable hive for an empty one.
        Statement root(db.get(), "SELECT 1 FROM keys WHERE id = 1");
        if (!root.Step())
          throw StoreDamaged("The registry store " + Quoted(file.string()) + " is damaged: it holds no root key");
      }
    } catch (const RegistryError& e) {
      // Not a database, or one that cannot even be read. Left exactly as it is: every use is refused
      // with the file's name, so that nobody mistakes it for an empty hive and writes over it.
      damaged = e.what();
      if (damaged.find(file.string()) == std::string::npos)
        damaged = "The registry store " + Quoted(file.string()) + " cannot be read: " + damaged;
      whyNotWritable = damaged;
      writable = false;
      hasSchema = false;
      db.reset();
      return;
    }
    // The machine hive is readable by every user, whatever the creating process's umask.
    if (location.system && !existed) chmod(file.c_str(), 0644);
  }

  void RequireIntact() {
    Db();
    if (!damaged.empty()) throw StoreDamaged(damaged);
  }

  void RequireAccess(std::uint32_t access, std::uint32_t right) const {
    if ((access & right) != right) throw RegistryError(kAccessDenied);
  }

  sqlite3* RequireWritable() {
    sqlite3* d = Db();
    if (!d || !writable || !hasSchema) throw RegistryError(whyNotWritable.empty() ? kAccessDenied : whyNotWritable);
    return d;
  }

  bool Readable() { return Db() && hasSchema; }

  std::optional<sqlite3_int64> Child(sqlite3_int64 parent, const std::string& name) {
    Statement s(db.get(), "SELECT id FROM keys WHERE parent = ?1 AND name = ?2");
    s.Bind(1, parent).Bind(2, name);
    if (s.Step()) return s.Int(0);
    return std::nullopt;
  }

  // Finds a key afresh; callers hold a transaction so the answer stays true while they act on it.
  Node Resolve(const Segments& path) {
    Node node;
    node.live = IsLiveKey(root, path);
    if (!Readable()) return node;
    std::optional<sqlite3_int64> id = kRootId;
    for (const std::string& segment : path) {
      id = Child(*id, segment);
      if (!id) break;
    }
    node.id = id;
    return node;
  }

  // Makes the rows of every missing key along the path (inside a write transaction).
  sqlite3_int64 EnsureRows(const Segments& path) {
    sqlite3_int64 id = kRootId;
    for (const std::string& segment : path) {
      if (std::optional<sqlite3_int64> child = Child(id, segment)) {
        id = *child;
        continue;
      }
      Statement insert(db.get(), "INSERT INTO keys (parent, name) VALUES (?1, ?2)");
      insert.Bind(1, id).Bind(2, segment).Step();
      id = sqlite3_last_insert_rowid(db.get());
    }
    return id;
  }

  bool HasSubKeys(const Node& node, const Segments& path) {
    if (!LiveSubKeys(root, path).empty()) return true;
    if (!node.id) return false;
    Statement s(db.get(), "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
    s.Bind(1, *node.id);
    return s.Step();
  }

  std::optional<RegValue> StoredValue(sqlite3_int64 key, std::string_view name) {
    Statement s(db.get(), "SELECT type, data FROM key_values WHERE key = ?1 AND name = ?2");
    s.Bind(1, key).Bind(2, name);
    if (!s.Step()) return std::nullopt;
    auto type = static_cast<RegType>(s.Int(0));
    if (s.IsText(1)) return StringValue(type, s.Text(1));
    return RegValue{type, s.Blob(1)};
  }

  std::optional<RegValue> FindValue(std::string_view name) {
    std::optional<Transaction> t;
    if (Readable()) t.emplace(db.get(), false);
    Node node = Resolve(current);
    if (node.id)
      if (std::optional<RegValue> stored = StoredValue(*node.id, name)) return stored;
    if (node.Exists()) {
      for (auto& [valueName, value] : LiveValuesOf(root, current))
        if (SameAsciiText(valueName, name)) return std::move(value);
    }
    return std::nullopt;
  }

  // Stored names merged with the live ones, sorted as the database sorts them.
  static std::vector<std::string> Merge(std::vector<std::string> names, const std::vector<std::string>& live) {
    for (const std::string& name : live) {
      bool stored =
          std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameAsciiText(n, name); });
      if (!stored) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), NameLess);
    return names;
  }

  std::vector<std::string> StoredNames(const char* sql, const Node& node) {
    std::vector<std::string> names;
    if (!node.id) return names;
    Statement s(db.get(), sql);
    s.Bind(1, *node.id);
    while (s.Step()) names.push_back(s.Text(0));
    return names;
  }
};

RegistryKey::RegistryKey(RegRoot root, std::uint32_t access)
    : root_(root), access_(access), impl_(std::make_unique<Impl>(root)) {}

RegistryKey::~RegistryKey() = default;

bool RegistryKey::OpenKey(std::string_view path, bool create) {
  Impl& d = *impl_;
  d.RequireIntact();
  d.hasKey = false;
  d.current.clear();
  path_.clear();
  Segments segments = Split(path);
  bool exists;
  {
    std::optional<Transaction> t;
    if (d.Readable()) t.emplace(d.db.get(), false);
    exists = d.Resolve(segments).Exists();
  }
  if (!exists) {
    if (!create) return false;
    d.RequireAccess(access_, kKeyCreateSubKey);
    sqlite3* db = d.RequireWritable();
    Transaction t(db, true);
    d.EnsureRows(segments);
    t.Commit();
  }
  d.hasKey = true;
  d.current = std::move(segments);
  path_ = Join(d.current);
  return true;
}

bool RegistryKey::HasCurrentKey() const { return impl_->hasKey; }

bool RegistryKey::KeyExists(std::string_view name) {
  Impl& d = *impl_;
  d.RequireIntact();
  if (!d.hasKey) return false;
  std::optional<Transaction> t;
  if (d.Readable()) t.emplace(d.db.get(), false);
  // A subkey counts only while the current key itself is still there.
  return d.Resolve(d.current).Exists() && d.Resolve(Concat(d.current, Split(name))).Exists();
}

bool RegistryKey::ValueExists(std::string_view name) { return ReadValue(name).has_value(); }

std::vector<std::string> RegistryKey::KeyNames() {
  Impl& d = *impl_;
  d.RequireIntact();
  if (!d.hasKey) return {};
  d.RequireAccess(access_, kKeyEnumerateSubKeys);
  std::optional<Transaction> t;
  if (d.Readable()) t.emplace(d.db.get(), false);
  Node node = d.Resolve(d.current);
  if (!node.Exists()) return {};
  return Impl::Merge(d.StoredNames("SELECT name FROM keys WHERE parent = ?1 ORDER BY name", node),
                     LiveSubKeys(root_, d.current));
}

std::vector<std::string> RegistryKey::ValueNames() {
  Impl& d = *impl_;
  d.RequireIntact();
  if (!d.hasKey) return {};
  d.RequireAccess(access_, kKeyQueryValue);
  std::optional<Transaction> t;
  if (d.Readable()) t.emplace(d.db.get(), false);
  Node node = d.Resolve(d.current);
  if (!node.Exists()) return {};
  std::vector<std::string> live;
  for (const auto& [name, value] : LiveValuesOf(root_, d.current)) live.push_back(name);
  return Impl::Merge(d.StoredNames("SELECT name FROM key_values WHERE key = ?1 ORDER BY name", node), live);
}

std::optional<RegValue> RegistryKey::ReadValue(std::string_view name) {
  Impl& d = *impl_;
  d.RequireIntact();
  if (!d.hasKey) return std::nullopt;
  d.RequireAccess(access_, kKeyQueryValue);
  return d.FindValue(name);
}

void RegistryKey::CreateKey(std::string_view name) {
  Impl& d = *impl_;
  d.RequireIntact();
  if (!d.hasKey) throw RegistryError(kInvalidHandle);
  d.RequireAccess(access_, kKeyCreateSubKey);
  Transaction t(d.RequireWritable(), true);
  if (!d.Resolve(d.current).Exists()) throw RegistryError(kKeyDeleted);
  d.EnsureRows(Concat(d.current, Split(name)));
  t.Commit();
}

void RegistryKey::WriteValue(std::string_view name, const RegValue& value) {
  WriteValues({{std::string(name), value}});
}

void RegistryKey::WriteValues(const std::vector<std::pair<std::string, RegValue>>& values) {
  Impl& d = *impl_;
  d.RequireIntact();
  if (!d.hasKey) throw RegistryError(kInvalidHandle);
  d.RequireAccess(access_, kKeySetValue);
  // One transaction: each commit waits for the disk, and a record half written helps nobody.
  Transaction t(d.RequireWritable(), true);
  Node node = d.Resolve(d.current);
  if (!node.Exists()) throw RegistryError(kKeyDeleted);
  // A key that so far lived only outside the store gets its rows now.
  sqlite3_int64 key = node.id ? *node.id : d.EnsureRows(d.current);
  // On conflict the row is updated rather than replaced, so the name keeps its first spelling.
  Statement s(d.db.get(),
              "INSERT INTO key_values (key, name, type, data) VALUES (?1, ?2, ?3, ?4) "
              "ON CONFLICT (key, name) DO UPDATE SET type = excluded.type, data = excluded.data");
  for (const auto& [name, value] : values) {
    s.Reset();
    s.Bind(1, key).Bind(2, name).Bind(3, static_cast<sqlite3_int64>(value.type));
    if (std::optional<std::string> text = StorableText(value))
      s.Bind(4, *text);
    else
      s.BindBlob(4, value.data);
    s.Step();
  }
  t.Commit();
}

bool RegistryKey::DeleteValue(std::string_view name) {
  Impl& d = *impl_;
  d.RequireIntact();
  if (!d.hasKey || (access_ & kKeySetValue) == 0) return false;
  try {
    Transaction t(d.RequireWritable(), true);
    Node node = d.Resolve(d.current);
    if (!node.id) return false;
    Statement s(d.db.get(), "DELETE FROM key_values WHERE key = ?1 AND name = ?2");
    s.Bind(1, *node.id).Bind(2, name).Step();
    bool deleted = sqlite3_changes(d.db.get()) > 0;
    t.Commit();
    return deleted;
  } catch (const StoreDamaged&) {
    throw;
  } catch (const RegistryError&) {
    return false;
  }
}

bool RegistryKey::DeleteKey(std::string_view name) {
  Impl& d = *impl_;
  d.RequireIntact();
  Segments relative = Split(name);
  if (!d.hasKey || relative.empty()) return false;
  try {
    Transaction t(d.RequireWritable(), true);
    Segments path = Concat(d.current, relative);
    Node node = d.Resolve(path);
    // A key that lives only outside the store has nothing to remove. One that also has stored rows
    // loses them and goes on answering from the desktop.
    if (!node.id) return false;
    constexpr std::uint32_t kListing = kKeyQueryValue | kKeyEnumerateSubKeys;
    if ((access_ & kListing) != kListing && d.HasSubKeys(node, path)) return false;
    // The foreign keys cascade: subkeys and values go with the key.
    Statement s(d.db.get(), "DELETE FROM keys WHERE id = ?1");
    s.Bind(1, *node.id).Step();
    t.Commit();
    return true;
  } catch (const StoreDamaged&) {
    throw;
  } catch (const RegistryError&) {
    return false;
  }
}

}  // namespace platform
