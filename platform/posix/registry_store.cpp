// The SQLite store of a registry hive: one database file per hive, in a folder VEL_REGISTRY_DIR can move.
#include "registry_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "registry_text.h"
#include "xdg_folders.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Long enough for another process's write to finish, short enough not to look hung.
constexpr int kBusyTimeoutMs = 30000;
constexpr int kSchemaVersion = 1;

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

struct StoreLocation {
  fs::path folder;
  bool system = false;  // the machine-wide folder, writable by root only
};

StoreLocation LocateStore(RegRoot root) {
  if (const char* dir = std::getenv("VEL_REGISTRY_DIR"); dir && *dir) return {dir, false};
  if (root == kRootCurrentUser) return {fs::path(XdgBase("XDG_DATA_HOME", "/.local/share")) / "vel-registry", false};
  return {"/var/lib/vel-registry", true};
}

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

void Exec(sqlite3* db, const char* sql) {
  if (int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr); rc != SQLITE_OK) Fail(db, rc);
}

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

}  // namespace

Statement::Statement(sqlite3* db, const char* sql) : db_(db) {
  if (int rc = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); rc != SQLITE_OK) Fail(db, rc);
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::Bind(int index, sqlite3_int64 value) {
  Check(sqlite3_bind_int64(stmt_, index, value));
  return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
  Check(sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
  return *this;
}

Statement& Statement::BindBlob(int index, const std::vector<std::uint8_t>& data) {
  // A zero-length blob still has to be a blob, not NULL: an empty binary value is a value.
  Check(sqlite3_bind_blob64(stmt_, index, data.empty() ? "" : static_cast<const void*>(data.data()), data.size(),
                            SQLITE_TRANSIENT));
  return *this;
}

void Statement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

bool Statement::Step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail(db_, rc);
}

sqlite3_int64 Statement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string Statement::Text(int column) const {
  const unsigned char* text = sqlite3_column_text(stmt_, column);
  return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
              : std::string();
}

std::vector<std::uint8_t> Statement::Blob(int column) const {
  const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
  return data ? std::vector<std::uint8_t>(data, data + sqlite3_column_bytes(stmt_, column)) : std::vector<std::uint8_t>();
}

bool Statement::IsText(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_TEXT; }

void Statement::Check(int rc) {
  if (rc != SQLITE_OK) Fail(db_, rc);
}

Transaction::Transaction(sqlite3* db, bool write) : db_(db) { Exec(db, write ? "BEGIN IMMEDIATE" : "BEGIN"); }

Transaction::~Transaction() {
  if (db_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::Commit() {
  Exec(db_, "COMMIT");
  db_ = nullptr;
}

sqlite3* HiveStore::Db() {
  if (!opened_) Open();
  return db_.get();
}

void HiveStore::Open() {
  opened_ = true;
  const char* hive = HiveFileName(root_);
  if (!hive) {
    whyNotWritable_ = kInvalidHandle;
    return;
  }
  StoreLocation location = LocateStore(root_);
  std::error_code ec, made;
  if (!fs::is_directory(location.folder, ec) && fs::create_directories(location.folder, made) && location.system)
    fs::permissions(location.folder, fs::perms(0755), ec);
  fs::path file = location.folder / (std::string(hive) + ".db");
  bool existed = fs::exists(file, ec);

  // SQLite itself falls back to reading when the file may not be written; sqlite3_db_readonly
  // tells which it got.
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  db_.reset(raw);
  if (rc != SQLITE_OK) {
    if (existed) {
      // There is a store, but it cannot be read (no permission, not a file): its keys are unknown.
      damaged_ = "The registry store " + Quoted(file.string()) + " cannot be read: " + sqlite3_errstr(rc);
      whyNotWritable_ = damaged_;
      db_.reset();
      return;
    }
    // An ordinary user's first look at the machine hive lands here, and on Windows that is a refusal.
    bool denied = made == std::errc::permission_denied ||
                  (access(location.folder.c_str(), W_OK) != 0 && errno == EACCES);
    whyNotWritable_ = denied ? std::string(kAccessDenied)
                             : std::string("The registry store cannot be opened: ") + sqlite3_errstr(rc);
    db_.reset();
    return;
  }
  sqlite3_busy_timeout(db_.get(), kBusyTimeoutMs);
  sqlite3_extended_result_codes(db_.get(), 1);
  writable_ = !sqlite3_db_readonly(db_.get(), "main");
  if (!writable_) whyNotWritable_ = kAccessDenied;
  try {
    Exec(db_.get(), "PRAGMA foreign_keys = ON");
    hasSchema_ = SchemaVersion(db_.get()) >= kSchemaVersion;
    if (!hasSchema_ && writable_) {
      // The schema is written so that a process that lost the race to make it changes nothing.
      Transaction t(db_.get(), true);
      Exec(db_.get(), kSchema);
      t.Commit();
      hasSchema_ = true;
    }
    if (hasSchema_) {
      // Reaches the schema and the keys' table, where damage shows first, before anyone takes an
      // unreadable hive for an empty one.
      Statement root(db_.get(), "SELECT 1 FROM keys WHERE id = 1");
      if (!root.Step())
        throw StoreDamaged("The registry store " + Quoted(file.string()) + " is damaged: it holds no root key");
    }
  } catch (const RegistryError& e) {
    // Not a database, or one that cannot even be read. Left exactly as it is: every use is refused
    // with the file's name, so that nobody mistakes it for an empty hive and writes over it.
    damaged_ = e.what();
    if (damaged_.find(file.string()) == std::string::npos)
      damaged_ = "The registry store " + Quoted(file.string()) + " cannot be read: " + damaged_;
    whyNotWritable_ = damaged_;
    writable_ = false;
    hasSchema_ = false;
    db_.reset();
    return;
  }
  // The machine hive is readable by every user, whatever the creating process's umask.
  if (location.system && !existed) chmod(file.c_str(), 0644);
}

void HiveStore::RequireIntact() {
  Db();
  if (!damaged_.empty()) throw StoreDamaged(damaged_);
}

sqlite3* HiveStore::RequireWritable() {
  sqlite3* d = Db();
  if (!d || !writable_ || !hasSchema_) throw RegistryError(whyNotWritable_.empty() ? kAccessDenied : whyNotWritable_);
  return d;
}

bool HiveStore::Readable() { return Db() && hasSchema_; }

std::optional<sqlite3_int64> HiveStore::Child(sqlite3_int64 parent, const std::string& name) {
  Statement s(db_.get(), "SELECT id FROM keys WHERE parent = ?1 AND name = ?2");
  s.Bind(1, parent).Bind(2, name);
  if (s.Step()) return s.Int(0);
  return std::nullopt;
}

std::optional<sqlite3_int64> HiveStore::Find(const Segments& path) {
  if (!Readable()) return std::nullopt;
  std::optional<sqlite3_int64> id = kRootId;
  for (const std::string& segment : path) {
    id = Child(*id, segment);
    if (!id) break;
  }
  return id;
}

sqlite3_int64 HiveStore::EnsureRows(const Segments& path) {
  sqlite3_int64 id = kRootId;
  for (const std::string& segment : path) {
    if (std::optional<sqlite3_int64> child = Child(id, segment)) {
      id = *child;
      continue;
    }
    Statement insert(db_.get(), "INSERT INTO keys (parent, name) VALUES (?1, ?2)");
    insert.Bind(1, id).Bind(2, segment).Step();
    id = sqlite3_last_insert_rowid(db_.get());
  }
  return id;
}

bool HiveStore::HasStoredSubKeys(sqlite3_int64 key) {
  Statement s(db_.get(), "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
  s.Bind(1, key);
  return s.Step();
}

std::optional<RegValue> HiveStore::StoredValue(sqlite3_int64 key, std::string_view name) {
  Statement s(db_.get(), "SELECT type, data FROM key_values WHERE key = ?1 AND name = ?2");
  s.Bind(1, key).Bind(2, name);
  if (!s.Step()) return std::nullopt;
  auto type = static_cast<RegType>(s.Int(0));
  if (s.IsText(1)) return StringValue(type, s.Text(1));
  return RegValue{type, s.Blob(1)};
}

std::vector<std::string> HiveStore::StoredNames(const char* sql, sqlite3_int64 key) {
  std::vector<std::string> names;
  Statement s(db_.get(), sql);
  s.Bind(1, key);
  while (s.Step()) names.push_back(s.Text(0));
  return names;
}

}  // namespace platform
