// The SQLite store of one registry hive: opening it, its statements and transactions, its keys and values.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "key_path.h"
#include "platform/registry.h"

namespace platform {

// The system's own texts for the failures an accessor reports.
inline constexpr const char* kAccessDenied = "Access is denied.";
inline constexpr const char* kInvalidHandle = "The handle is invalid.";
inline constexpr const char* kKeyDeleted = "Illegal operation attempted on a registry key that has been marked for deletion.";

// A store that exists but cannot be read as one: never an empty hive, and never written over, since
// what it held may still be saved by hand. Callers that turn other failures into a plain "no" let
// this one through.
class StoreDamaged : public RegistryError {
 public:
  using RegistryError::RegistryError;
};

class Statement {
 public:
  Statement(sqlite3* db, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, sqlite3_int64 value);
  Statement& Bind(int index, std::string_view text);
  Statement& BindBlob(int index, const std::vector<std::uint8_t>& data);
  // Makes the statement ready to run again with new values.
  void Reset();
  // True while there is a row to read.
  bool Step();

  sqlite3_int64 Int(int column) const;
  std::string Text(int column) const;
  std::vector<std::uint8_t> Blob(int column) const;
  bool IsText(int column) const;

 private:
  void Check(int rc);
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// A transaction rolled back unless committed. Writers take the write lock up front (IMMEDIATE), so
// two processes never both read, then both try to upgrade and one of them fail.
class Transaction {
 public:
  Transaction(sqlite3* db, bool write);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  sqlite3* db_;
};

// One hive's database, opened at the first use, so an accessor that is never used touches no file.
class HiveStore {
 public:
  explicit HiveStore(RegRoot root) : root_(root) {}

  // Null when the hive's store cannot be opened at all.
  sqlite3* Db();
  // StoreDamaged when the store's file is there but cannot be used.
  void RequireIntact();
  // The database, or RegistryError saying why it may not be written.
  sqlite3* RequireWritable();
  bool Readable();

  // The stored row of the key at `path`, when there is one (callers hold a transaction).
  std::optional<sqlite3_int64> Find(const Segments& path);
  // Makes the rows of every missing key along the path (inside a write transaction).
  sqlite3_int64 EnsureRows(const Segments& path);
  bool HasStoredSubKeys(sqlite3_int64 key);
  std::optional<RegValue> StoredValue(sqlite3_int64 key, std::string_view name);
  // The first column of every row `sql` gives for the key bound as ?1.
  std::vector<std::string> StoredNames(const char* sql, sqlite3_int64 key);

 private:
  struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
  };

  void Open();
  std::optional<sqlite3_int64> Child(sqlite3_int64 parent, const std::string& name);

  RegRoot root_;
  bool opened_ = false;
  std::unique_ptr<sqlite3, DatabaseCloser> db_;
  bool writable_ = false;
  bool hasSchema_ = false;
  std::string whyNotWritable_;
  std::string damaged_;  // why the store's file cannot be used; empty while it can
};

}  // namespace platform
