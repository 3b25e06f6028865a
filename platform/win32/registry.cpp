// Windows: the registry accessor over advapi32.
#include "platform/registry.h"
#include "support.h"

#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "platform/text.h"

namespace platform {
namespace {

std::string_view TrimSlashes(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return path;
}

// The predefined roots are sign-extended pointers, as the system's own HKEY_* macros make them.
HKEY RootHandle(RegRoot root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

REGSAM ViewOf(std::uint32_t access) { return access & (KEY_WOW64_32KEY | KEY_WOW64_64KEY); }

// An opened key, closed on destruction unless it is one of the predefined roots, which the system
// owns.
class KeyHandle {
 public:
  KeyHandle() = default;
  KeyHandle(HKEY key, bool owned) : key_(key), owned_(owned) {}
  ~KeyHandle() { Reset(); }
  KeyHandle(KeyHandle&& other) noexcept : key_(other.key_), owned_(other.owned_) {
    other.key_ = nullptr;
  }
  KeyHandle& operator=(KeyHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      key_ = other.key_;
      owned_ = other.owned_;
      other.key_ = nullptr;
    }
    return *this;
  }

  HKEY Get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

  void Reset() {
    if (key_ && owned_) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
  bool owned_ = false;
};

KeyHandle OpenSubKey(HKEY parent, const std::wstring& name, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, name.c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
  return {key, true};
}

std::vector<std::wstring> SubKeyNames(HKEY key) {
  std::vector<std::wstring> names;
  // Key names are at most 255 characters.
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(std::size(name));
    if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.emplace_back(name, length);
  }
  return names;
}

// Subkeys are gathered before any is removed, since removing one shifts the enumeration indices.
bool DeleteTree(HKEY parent, const std::wstring& name, REGSAM view) {
  if (KeyHandle key = OpenSubKey(parent, name, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | view)) {
    for (const std::wstring& child : SubKeyNames(key.Get())) DeleteTree(key.Get(), child, view);
  }
  return RegDeleteKeyExW(parent, name.c_str(), view, 0) == ERROR_SUCCESS;
}

}  // namespace

struct RegistryKey::Impl {
  KeyHandle key;
};

RegistryKey::RegistryKey(RegRoot root, std::uint32_t access)
    : root_(root), access_(access), impl_(std::make_unique<Impl>()) {}

RegistryKey::~RegistryKey() = default;

bool RegistryKey::OpenKey(std::string_view path, bool create) {
  impl_->key.Reset();
  path_.clear();
  std::string_view relative = TrimSlashes(path);
  if (relative.empty()) {
    impl_->key = KeyHandle(RootHandle(root_), false);
    return true;
  }
  std::wstring widePath = Wide(relative);
  HKEY key = nullptr;
  if (create) {
    LSTATUS status = RegCreateKeyExW(RootHandle(root_), widePath.c_str(), 0, nullptr,
                                     REG_OPTION_NON_VOLATILE, access_, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) throw RegistryError(SystemMessage(status));
  } else if (RegOpenKeyExW(RootHandle(root_), widePath.c_str(), 0, access_, &key) !=
             ERROR_SUCCESS) {
    return false;
  }
  impl_->key = KeyHandle(key, true);
  path_ = relative;
  return true;
}

bool RegistryKey::HasCurrentKey() const { return static_cast<bool>(impl_->key); }

bool RegistryKey::KeyExists(std::string_view name) {
  if (!impl_->key) return false;
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExW(impl_->key.Get(), Wide(TrimSlashes(name)).c_str(), 0,
                                 KEY_QUERY_VALUE | ViewOf(access_), &key);
  if (status == ERROR_SUCCESS) RegCloseKey(key);
  // A key that refuses to be opened is still there.
  return status == ERROR_SUCCESS || status == ERROR_ACCESS_DENIED;
}

bool RegistryKey::ValueExists(std::string_view name) {
  if (!impl_->key) return false;
  return RegQueryValueExW(impl_->key.Get(), Wide(name).c_str(), nullptr, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

std::vector<std::string> RegistryKey::KeyNames() {
  std::vector<std::string> names;
  if (!impl_->key) return names;
  for (const std::wstring& name : SubKeyNames(impl_->key.Get())) names.push_back(Narrow(name));
  return names;
}

std::vector<std::string> RegistryKey::ValueNames() {
  std::vector<std::string> names;
  if (!impl_->key) return names;
  // Value names are at most 16383 characters.
  std::wstring name(16384, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumValueW(impl_->key.Get(), index, name.data(), &length, nullptr, nullptr, nullptr,
                      nullptr) != ERROR_SUCCESS)
      break;
    names.push_back(Narrow(std::wstring_view(name.data(), length)));
  }
  return names;
}

std::optional<RegValue> RegistryKey::ReadValue(std::string_view name) {
  if (!impl_->key) return std::nullopt;
  std::wstring wideName = Wide(name);
  DWORD type = 0, size = 0;
  LSTATUS status =
      RegQueryValueExW(impl_->key.Get(), wideName.c_str(), nullptr, &type, nullptr, &size);
  RegValue value;
  // The value can grow between asking for its size and reading it.
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    if (status == ERROR_MORE_DATA && size <= value.data.size()) size = 2 * size + 256;
    value.data.resize(size);
    status = RegQueryValueExW(impl_->key.Get(), wideName.c_str(), nullptr, &type, value.data.data(),
                              &size);
    if (status == ERROR_SUCCESS) {
      value.data.resize(size);
      value.type = static_cast<RegType>(type);
      return value;
    }
  }
  // Only a missing value (or key) is an answer; any other failure is one to report.
  if (status == ERROR_FILE_NOT_FOUND || status == ERROR_KEY_DELETED) return std::nullopt;
  throw RegistryError(SystemMessage(static_cast<DWORD>(status)));
}

void RegistryKey::CreateKey(std::string_view name) {
  if (!impl_->key) throw RegistryError(SystemMessage(ERROR_INVALID_HANDLE));
  std::string full = path_;
  std::string_view relative = TrimSlashes(name);
  if (!full.empty() && !relative.empty()) full += '\\';
  full += relative;
  // Created from the root so that the current key's own rights do not matter and missing parents
  // between are made too.
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(RootHandle(root_), Wide(full).c_str(), 0, nullptr,
                                   REG_OPTION_NON_VOLATILE, access_, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) throw RegistryError(SystemMessage(status));
  RegCloseKey(key);
}

void RegistryKey::WriteValue(std::string_view name, const RegValue& value) {
  if (!impl_->key) throw RegistryError(SystemMessage(ERROR_INVALID_HANDLE));
  LSTATUS status =
      RegSetValueExW(impl_->key.Get(), Wide(name).c_str(), 0, static_cast<DWORD>(value.type),
                     value.data.data(), static_cast<DWORD>(value.data.size()));
  if (status != ERROR_SUCCESS) throw RegistryError(SystemMessage(status));
}

bool RegistryKey::DeleteValue(std::string_view name) {
  if (!impl_->key) return false;
  return RegDeleteValueW(impl_->key.Get(), Wide(name).c_str()) == ERROR_SUCCESS;
}

bool RegistryKey::DeleteKey(std::string_view name) {
  std::string_view relative = TrimSlashes(name);
  if (!impl_->key || relative.empty()) return false;
  std::wstring wideName = Wide(relative);
  REGSAM view = ViewOf(access_);
  // Only an accessor that may read the tree may take it down; write access alone removes a bare key
  // and the system refuses one that still has subkeys.
  constexpr std::uint32_t kListing = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
  if ((access_ & kListing) == kListing) return DeleteTree(impl_->key.Get(), wideName, view);
  return RegDeleteKeyExW(impl_->key.Get(), wideName.c_str(), view, 0) == ERROR_SUCCESS;
}

}  // namespace platform
