// The registry: one accessor per opened key, under one of the predefined roots, in one view.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// The predefined roots, numbered as Windows numbers them.
using RegRoot = std::uint32_t;
inline constexpr RegRoot kRootClassesRoot = 0x80000000u;
inline constexpr RegRoot kRootCurrentUser = 0x80000001u;
inline constexpr RegRoot kRootLocalMachine = 0x80000002u;
inline constexpr RegRoot kRootUsers = 0x80000003u;
inline constexpr RegRoot kRootPerformanceData = 0x80000004u;
inline constexpr RegRoot kRootCurrentConfig = 0x80000005u;
inline constexpr RegRoot kRootDynData = 0x80000006u;

// Access rights and view flags, with the Windows values.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kKeyWow64_64 = 0x0100;
inline constexpr std::uint32_t kKeyWow64_32 = 0x0200;

// Value types, with the Windows numbers (REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, ...).
enum class RegType : std::uint32_t {
  None = 0,
  String = 1,
  ExpandString = 2,
  Binary = 3,
  DWord = 4,
  DWordBigEndian = 5,
  Link = 6,
  MultiString = 7,
  QWord = 11,
};

// A stored value as the system keeps it: string types hold UTF-16LE text with its terminating zero.
struct RegValue {
  RegType type = RegType::None;
  std::vector<std::uint8_t> data;
};

// A refused or failed registry action; the message is the system's own text for the failure.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One accessor: a root, an access mask (rights plus view flag) and at most one open key. Paths and
// names are "\"-separated, relative to the root; leading and trailing "\" are ignored, an empty path
// is the root itself. Names are compared without regard to letter case. Where the system keeps the
// hive in a file of its own, a file that is there but cannot be read as a hive makes every operation,
// questions and removals included, throw RegistryError naming the file; it is never written.
class RegistryKey {
 public:
  RegistryKey(RegRoot root, std::uint32_t access);
  ~RegistryKey();
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  std::uint32_t Access() const { return access_; }
  RegRoot Root() const { return root_; }

  // Makes `path` the current key. Without `create` a missing key leaves the accessor with no current
  // key and answers false; with `create` missing keys are made, and a refusal throws RegistryError.
  bool OpenKey(std::string_view path, bool create);
  bool HasCurrentKey() const;
  // The current key's path relative to the root, without leading or trailing "\".
  const std::string& CurrentPath() const { return path_; }

  // Questions about the current key answer false or empty when there is no current key.
  bool KeyExists(std::string_view name);
  bool ValueExists(std::string_view name);
  std::vector<std::string> KeyNames();
  std::vector<std::string> ValueNames();
  // The value, or nothing when it (or the current key) is missing; a value of no bytes is a value.
  // A read that fails otherwise throws RegistryError.
  std::optional<RegValue> ReadValue(std::string_view name);

  // Actions throw RegistryError when they fail, also when there is no current key.
  void CreateKey(std::string_view name);  // creates missing parents between as well
  void WriteValue(std::string_view name, const RegValue& value);
  // Writes several values of the current key in their order; where the system keeps the hive in a
  // store of its own, as one change (all or none, one write to the disk).
  void WriteValues(const std::vector<std::pair<std::string, RegValue>>& values);

  // False when the value or key is missing or may not be removed. A subkey with subkeys of its own
  // is removed with everything below it only when the accessor may list and query it (read or full
  // access); with write access alone only a subkey without subkeys is removed.
  bool DeleteValue(std::string_view name);
  bool DeleteKey(std::string_view name);

 private:
  struct Impl;
  RegRoot root_;
  std::uint32_t access_;
  std::string path_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
