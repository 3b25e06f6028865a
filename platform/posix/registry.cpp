// Linux: the registry accessor over one SQLite store per hive, with the desktop's live keys merged in.
#include "platform/registry.h"

#include <algorithm>

#include "key_path.h"
#include "live_keys.h"
#include "platform/text.h"
#include "registry_store.h"
#include "registry_text.h"

namespace platform {
namespace {

// A key of the hive as found: its stored row, and whether it exists regardless of the store.
struct Node {
  std::optional<sqlite3_int64> id;
  bool live = false;
  bool Exists() const { return id || live; }
};

}  // namespace

struct RegistryKey::Impl {
  RegRoot root;
  HiveStore store;
  bool hasKey = false;
  Segments current;  // the current key, as the caller spelled it

  explicit Impl(RegRoot r) : root(r), store(r) {}

  void RequireAccess(std::uint32_t access, std::uint32_t right) const {
    if ((access & right) != right) throw RegistryError(kAccessDenied);
  }

  // Finds a key afresh; callers hold a transaction so the answer stays true while they act on it.
  Node Resolve(const Segments& path) {
    Node node;
    node.live = IsLiveKey(root, path);
    if (!store.Readable()) return node;
    node.id = store.Find(path);
    return node;
  }

  bool HasSubKeys(const Node& node, const Segments& path) {
    if (!LiveSubKeys(root, path).empty()) return true;
    if (!node.id) return false;
    return store.HasStoredSubKeys(*node.id);
  }

  std::optional<RegValue> FindValue(std::string_view name) {
    std::optional<Transaction> t;
    if (store.Readable()) t.emplace(store.Db(), false);
    Node node = Resolve(current);
    if (node.id)
      if (std::optional<RegValue> stored = store.StoredValue(*node.id, name)) return stored;
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
    if (!node.id) return {};
    return store.StoredNames(sql, *node.id);
  }
};

RegistryKey::RegistryKey(RegRoot root, std::uint32_t access)
    : root_(root), access_(access), impl_(std::make_unique<Impl>(root)) {}

RegistryKey::~RegistryKey() = default;

bool RegistryKey::OpenKey(std::string_view path, bool create) {
  Impl& d = *impl_;
  d.store.RequireIntact();
  d.hasKey = false;
  d.current.clear();
  path_.clear();
  Segments segments = Split(path);
  bool exists;
  {
    std::optional<Transaction> t;
    if (d.store.Readable()) t.emplace(d.store.Db(), false);
    exists = d.Resolve(segments).Exists();
  }
  if (!exists) {
    if (!create) return false;
    d.RequireAccess(access_, kKeyCreateSubKey);
    sqlite3* db = d.store.RequireWritable();
    Transaction t(db, true);
    d.store.EnsureRows(segments);
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
  d.store.RequireIntact();
  if (!d.hasKey) return false;
  std::optional<Transaction> t;
  if (d.store.Readable()) t.emplace(d.store.Db(), false);
  // A subkey counts only while the current key itself is still there.
  return d.Resolve(d.current).Exists() && d.Resolve(Concat(d.current, Split(name))).Exists();
}

bool RegistryKey::ValueExists(std::string_view name) { return ReadValue(name).has_value(); }

std::vector<std::string> RegistryKey::KeyNames() {
  Impl& d = *impl_;
  d.store.RequireIntact();
  if (!d.hasKey) return {};
  d.RequireAccess(access_, kKeyEnumerateSubKeys);
  std::optional<Transaction> t;
  if (d.store.Readable()) t.emplace(d.store.Db(), false);
  Node node = d.Resolve(d.current);
  if (!node.Exists()) return {};
  return Impl::Merge(d.StoredNames("SELECT name FROM keys WHERE parent = ?1 ORDER BY name", node),
                     LiveSubKeys(root_, d.current));
}

std::vector<std::string> RegistryKey::ValueNames() {
  Impl& d = *impl_;
  d.store.RequireIntact();
  if (!d.hasKey) return {};
  d.RequireAccess(access_, kKeyQueryValue);
  std::optional<Transaction> t;
  if (d.store.Readable()) t.emplace(d.store.Db(), false);
  Node node = d.Resolve(d.current);
  if (!node.Exists()) return {};
  std::vector<std::string> live;
  for (const auto& [name, value] : LiveValuesOf(root_, d.current)) live.push_back(name);
  return Impl::Merge(d.StoredNames("SELECT name FROM key_values WHERE key = ?1 ORDER BY name", node), live);
}

std::optional<RegValue> RegistryKey::ReadValue(std::string_view name) {
  Impl& d = *impl_;
  d.store.RequireIntact();
  if (!d.hasKey) return std::nullopt;
  d.RequireAccess(access_, kKeyQueryValue);
  return d.FindValue(name);
}

void RegistryKey::CreateKey(std::string_view name) {
  Impl& d = *impl_;
  d.store.RequireIntact();
  if (!d.hasKey) throw RegistryError(kInvalidHandle);
  d.RequireAccess(access_, kKeyCreateSubKey);
  Transaction t(d.store.RequireWritable(), true);
  if (!d.Resolve(d.current).Exists()) throw RegistryError(kKeyDeleted);
  d.store.EnsureRows(Concat(d.current, Split(name)));
  t.Commit();
}

void RegistryKey::WriteValue(std::string_view name, const RegValue& value) {
  WriteValues({{std::string(name), value}});
}

void RegistryKey::WriteValues(const std::vector<std::pair<std::string, RegValue>>& values) {
  Impl& d = *impl_;
  d.store.RequireIntact();
  if (!d.hasKey) throw RegistryError(kInvalidHandle);
  d.RequireAccess(access_, kKeySetValue);
  // One transaction: each commit waits for the disk, and a record half written helps nobody.
  Transaction t(d.store.RequireWritable(), true);
  Node node = d.Resolve(d.current);
  if (!node.Exists()) throw RegistryError(kKeyDeleted);
  // A key that so far lived only outside the store gets its rows now.
  sqlite3_int64 key = node.id ? *node.id : d.store.EnsureRows(d.current);
  // On conflict the row is updated rather than replaced, so the name keeps its first spelling.
  Statement s(d.store.Db(),
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
  d.store.RequireIntact();
  if (!d.hasKey || (access_ & kKeySetValue) == 0) return false;
  try {
    Transaction t(d.store.RequireWritable(), true);
    Node node = d.Resolve(d.current);
    if (!node.id) return false;
    Statement s(d.store.Db(), "DELETE FROM key_values WHERE key = ?1 AND name = ?2");
    s.Bind(1, *node.id).Bind(2, name).Step();
    bool deleted = sqlite3_changes(d.store.Db()) > 0;
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
  d.store.RequireIntact();
  Segments relative = Split(name);
  if (!d.hasKey || relative.empty()) return false;
  try {
    Transaction t(d.store.RequireWritable(), true);
    Segments path = Concat(d.current, relative);
    Node node = d.Resolve(path);
    // A key that lives only outside the store has nothing to remove. One that also has stored rows
    // loses them and goes on answering from the desktop.
    if (!node.id) return false;
    constexpr std::uint32_t kListing = kKeyQueryValue | kKeyEnumerateSubKeys;
    if ((access_ & kListing) != kListing && d.HasSubKeys(node, path)) return false;
    // The foreign keys cascade: subkeys and values go with the key.
    Statement s(d.store.Db(), "DELETE FROM keys WHERE id = ?1");
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
