// Registry access by one location string: location parsing, hive names, views, error dispatch,
// typed values and key copies over the seam's registry accessor.
#include "vel/registry.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/registry.h"
#include "platform/text.h"
#include "vel/message.h"
#include "vel/text.h"

namespace vel {
namespace {

using platform::RegistryKey;
using platform::RegType;
using platform::RegValue;

struct HiveName {
  THKey hive;
  std::string_view name;
};

// Matched in this order; the first name of each hive is its canonical name.
constexpr HiveName kHiveNames[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},   {HKEY_CLASSES_ROOT, "HKCR"},
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES"},        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_CURRENT_USER, "HKCU"},                {HKEY_CURRENT_USER, "HKEY_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"}, {HKEY_LOCAL_MACHINE, "HKLM"},
    {HKEY_LOCAL_MACHINE, "HKEY_MACHINE"},       {HKEY_USERS, "HKEY_USERS"},
    {HKEY_USERS, "HKU"},                        {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_CURRENT_CONFIG, "HKCC"},              {HKEY_CURRENT_CONFIG, "HKEY_CONFIG"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA"}, {HKEY_PERFORMANCE_DATA, "HKPD"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA"},           {HKEY_DYN_DATA, "HKEY_DD"},
};

class ValueError : public std::runtime_error {
 public:
  explicit ValueError(std::string_view name, const char* what)
      : std::runtime_error(std::string(what) + " '" + std::string(name) + "'") {}
};

RegValue RequireValue(RegistryKey& key, std::string_view name) {
  std::optional<RegValue> value = key.ReadValue(name);
  if (!value) throw ValueError(name, "Cannot read the value");
  return std::move(*value);
}

template <typename T>
T ReadFixed(RegistryKey& key, std::string_view name, RegType type) {
  RegValue value = RequireValue(key, name);
  if (value.type != type || value.data.size() != sizeof(T)) throw ValueError(name, "Invalid data type for");
  T result;
  std::memcpy(&result, value.data.data(), sizeof(T));
  return result;
}

template <typename T>
RegValue Fixed(RegType type, T data) {
  RegValue value{type, std::vector<std::uint8_t>(sizeof(T))};
  std::memcpy(value.data.data(), &data, sizeof(T));
  return value;
}

bool IsStringType(RegType type) { return type == RegType::String || type == RegType::ExpandString; }

// UTF-16LE text, up to its first zero character.
std::string DecodeString(const std::vector<std::uint8_t>& data) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) break;
    text += c;
  }
  return platform::Utf16ToUtf8(text);
}

RegValue EncodeString(std::string_view text) {
  std::u16string wide = platform::Utf8ToUtf16(text);
  RegValue value{RegType::String, {}};
  value.data.reserve((wide.size() + 1) * 2);
  for (char16_t c : wide) {
    value.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
    value.data.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  value.data.push_back(0);
  value.data.push_back(0);
  return value;
}

TRegDataType DataTypeOf(RegType type) {
  switch (type) {
    case RegType::String: return TRegDataType::rdString;
    case RegType::ExpandString: return TRegDataType::rdExpandString;
    case RegType::DWord: return TRegDataType::rdInteger;
    case RegType::Binary: return TRegDataType::rdBinary;
    default: return TRegDataType::rdUnknown;
  }
}

std::string HexBytes(const std::vector<std::uint8_t>& data) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (i) text += ',';
    text += kDigits[data[i] >> 4];
    text += kDigits[data[i] & 0x0F];
  }
  return text;
}

std::string JoinPath(std::string_view a, std::string_view b) {
  if (a.empty()) return std::string(b);
  return std::string(a) + "\\" + std::string(b);
}

std::string TrimDelims(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

// Copies the values and subkeys of `from` into `to` (created when missing), replacing values of the
// same name and removing nothing. A destination inside the source is not copied into itself, which
// would never end.
void CopyTree(platform::RegRoot root, std::uint32_t access, const std::string& from, const std::string& to,
              const std::string& top) {
  RegistryKey source(root, access);
  RegistryKey destination(root, access);
  if (!source.OpenKey(from, false)) return;
  destination.OpenKey(to, true);
  for (const std::string& name : source.ValueNames()) {
    // A value that vanished or cannot be read meanwhile is skipped.
    if (std::optional<RegValue> value = source.ReadValue(name)) destination.WriteValue(name, *value);
  }
  for (const std::string& sub : source.KeyNames()) {
    std::string subPath = JoinPath(from, sub);
    if (SameText(subPath, top)) continue;
    CopyTree(root, access, subPath, JoinPath(to, sub), top);
  }
}

// Whether `key` is `base` itself or lies below it; registry names ignore letter case and empty
// segments (doubled or outer "\\") name nothing.
bool IsSameOrBelow(std::string_view key, std::string_view base) {
  auto segments = [](std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t end = path.find('\\', start);
      if (end == std::string_view::npos) end = path.size();
      if (end > start) parts.push_back(UpperCase(path.substr(start, end - start)));
      start = end + 1;
    }
    return parts;
  };
  std::vector<std::string> k = segments(key), b = segments(base);
  return k.size() >= b.size() && std::equal(b.begin(), b.end(), k.begin());
}

// Moves or copies the subkey `oldName` of the accessor's current key to `newName` beside it, only when
// the old key exists and the new name does not.
void MoveSubkey(RegistryKey& parent, std::string_view oldName, std::string_view newName, bool deleteOld) {
  if (!parent.HasCurrentKey() || !parent.KeyExists(oldName) || parent.KeyExists(newName)) return;
  std::string to = JoinPath(parent.CurrentPath(), newName);
  CopyTree(parent.Root(), parent.Access(), JoinPath(parent.CurrentPath(), oldName), to, to);
  if (deleteOld) parent.DeleteKey(oldName);
}

}  // namespace

TWinRegistry::TWinRegistry() : FOnError([this](TRegistryError e) { RegistryReceiveError(e); }) {}

TWinRegistry::~TWinRegistry() = default;

void TWinRegistry::SetManualHive(THKey hive) {
  FDefaultHive = hive;
  FAutoHive = false;
}

void TWinRegistry::SetNewRegistryMode(TRegistryMode mode) { FRegistryMode = mode; }

void TWinRegistry::ResetRegistryMode() {
  // Only 64-bit programs are built, and a 64-bit process runs on a 64-bit system only.
  FRegistryMode = sizeof(void*) == 8 ? TRegistryMode::Windows64 : TRegistryMode::Windows32;
}

bool TWinRegistry::WinModeLoaded() {
  if (FRegistryMode == TRegistryMode::Unloaded) ResetRegistryMode();
  return true;
}

void TWinRegistry::RegistryReceiveError(TRegistryError AError) {
  const char* text = nullptr;
  switch (AError) {
    case TRegistryError::AccessDenied: text = "Windows Registry Error: Access Denied"; break;
    case TRegistryError::KeyNoExist: text = "Windows Registry Error: The specified key does not exist"; break;
    case TRegistryError::ReadError: text = "Windows Registry Error: Cannot read from the Windows Registry"; break;
    case TRegistryError::None: break;
  }
  if (text) ShowMessage("", text);
}

std::string TWinRegistry::HiveToString(THKey Hive) {
  for (const HiveName& h : kHiveNames)
    if (h.hive == Hive) return std::string(h.name);
  return "Unknown";
}

bool TWinRegistry::StringToHiveEx(std::string_view AString, THKey& Hive) {
  for (const HiveName& h : kHiveNames) {
    if (h.name == AString) {
      Hive = h.hive;
      return true;
    }
  }
  return false;
}

THKey TWinRegistry::StringToHive(std::string_view AString, THKey Default) {
  THKey hive = Default;
  StringToHiveEx(AString, hive);
  return hive;
}

TWinRegistry::Location TWinRegistry::ParseLocation(std::string_view KeyLocation) {
  std::string location(KeyLocation);
  if (location.empty() || location.back() != '\\') location += '\\';
  constexpr std::string_view kComputer = "Computer\\";
  if (location.starts_with(kComputer)) location.erase(0, kComputer.size());
  FHive = FDefaultHive;
  if (FAutoHive) {
    std::size_t end = location.find('\\');
    THKey hive;
    if (StringToHiveEx(UpperCase(location.substr(0, end)), hive)) {
      FHive = hive;
      location.erase(0, end + 1);
    }
  }
  Location result;
  result.keyPath = location;
  std::string trimmed = location.substr(0, location.size() - (location.empty() ? 0 : 1));
  std::size_t last = trimmed.rfind('\\');
  if (last == std::string::npos) {
    result.segment = trimmed;
  } else {
    result.parent = trimmed.substr(0, last);
    result.segment = trimmed.substr(last + 1);
  }
  return result;
}

std::uint32_t TWinRegistry::AccessMask(Need need) const {
  std::uint32_t mask = need == Need::Read    ? platform::kKeyRead
                       : need == Need::Write ? platform::kKeyWrite
                                             : platform::kKeyAllAccess;
  if (FRegistryMode == TRegistryMode::Windows32) mask |= platform::kKeyWow64_32;
  if (FRegistryMode == TRegistryMode::Windows64) mask |= platform::kKeyWow64_64;
  return mask;
}

RegistryKey& TWinRegistry::OpenLocation(Need need, std::string_view keyPath) {
  FRegistry = std::make_unique<RegistryKey>(static_cast<platform::RegRoot>(FHive), AccessMask(need));
  // The operation goes on when the key is missing: its action then fails or answers empty.
  try {
    FRegistry->OpenKey(keyPath, false);
  } catch (const platform::RegistryError&) {
  }
  return *FRegistry;
}

void TWinRegistry::ReportError(TRegistryError AError, const std::string& systemMessage) {
  switch (FErrorKind) {
    case TRegistryErrorKind::Receive:
      if (FOnError) FOnError(AError);
      break;
    case TRegistryErrorKind::OperatingSystem:
      throw EOSError(systemMessage);
    case TRegistryErrorKind::Disabled:
      break;
  }
  FLastError = AError;
}

template <typename T, typename F>
T TWinRegistry::Guard(TRegistryError error, T fallback, F&& action) {
  try {
    return action();
  } catch (const std::exception& e) {
    ReportError(error, e.what());
    return fallback;
  }
}

bool TWinRegistry::CreateKey(std::string_view KeyLocation) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Write, l.parent);
  return Guard(TRegistryError::AccessDenied, false, [&] {
    if (key.HasCurrentKey()) {
      key.CreateKey(l.segment);
    } else {
      // A missing parent is made along with the key rather than reported.
      RegistryKey& root = OpenLocation(Need::Write, "");
      root.CreateKey(JoinPath(l.parent, l.segment));
    }
    return true;
  });
}

bool TWinRegistry::DeleteKey(std::string_view KeyLocation) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Write, l.parent);
  return Guard(TRegistryError::AccessDenied, false, [&] { return key.DeleteKey(l.segment); });
}

bool TWinRegistry::KeyExists(std::string_view KeyLocation) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Read, l.parent);
  return Guard(TRegistryError::ReadError, false, [&] { return key.KeyExists(l.segment); });
}

std::string TWinRegistry::CloneKey(std::string_view KeyLocation) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Full, l.parent);
  return Guard(TRegistryError::AccessDenied, std::string(), [&] {
    std::string name;
    for (int n = 2;; ++n) {
      name = l.segment + "(" + std::to_string(n) + ")";
      if (!key.KeyExists(name)) break;
    }
    MoveSubkey(key, l.segment, name, false);
    return name;
  });
}

bool TWinRegistry::RenameKey(std::string_view KeyLocation, std::string_view NewName) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Full, l.parent);
  return Guard(TRegistryError::KeyNoExist, false, [&] {
    MoveSubkey(key, l.segment, NewName, true);
    return key.KeyExists(NewName);
  });
}

bool TWinRegistry::MoveKey(std::string_view KeyLocation, std::string_view NewLocation, bool AlsoDelete) {
  Location l = ParseLocation(KeyLocation);
  OpenLocation(Need::Full, l.parent);
  return CopyKeyTree(l, NewLocation, AlsoDelete);
}

bool TWinRegistry::CopyKey(std::string_view KeyLocation, std::string_view NewLocation) {
  return MoveKey(KeyLocation, NewLocation, false);
}

bool TWinRegistry::CopyKeyTree(const Location& from, std::string_view newLocation, bool alsoDelete) {
  RegistryKey& parent = *FRegistry;
  return Guard(TRegistryError::AccessDenied, false, [&] {
    std::string source = TrimDelims(JoinPath(from.parent, from.segment));
    std::string destination = TrimDelims(newLocation);
    // Deleting the source would take the fresh copy with it: everything would be lost.
    if (alsoDelete && IsSameOrBelow(destination, source))
      throw std::runtime_error("A key cannot be moved onto itself or into its own subkeys");
    {
      RegistryKey target(parent.Root(), parent.Access());
      target.OpenKey(destination, true);
    }
    CopyTree(parent.Root(), parent.Access(), source, destination, destination);
    // The source goes only after a complete copy: a copy that failed part way keeps the original.
    if (alsoDelete) parent.DeleteKey(from.segment);
    return true;
  });
}

std::vector<std::string> TWinRegistry::GetKeyNames(std::string_view KeyLocation) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Read, l.keyPath);
  return Guard(TRegistryError::ReadError, std::vector<std::string>(), [&] { return key.KeyNames(); });
}

std::vector<std::string> TWinRegistry::GetValueNames(std::string_view KeyLocation) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Read, l.keyPath);
  return Guard(TRegistryError::ReadError, std::vector<std::string>(), [&] { return key.ValueNames(); });
}

bool TWinRegistry::GetValueExists(std::string_view KeyLocation, std::string_view ValueName) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Read, l.keyPath);
  return Guard(TRegistryError::ReadError, false, [&] { return key.ValueExists(ValueName); });
}

bool TWinRegistry::DeleteValue(std::string_view KeyLocation, std::string_view ValueName) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Write, l.keyPath);
  return Guard(TRegistryError::AccessDenied, false, [&] { return key.DeleteValue(ValueName); });
}

TRegDataType TWinRegistry::GetValueType(std::string_view KeyLocation, std::string_view ValueName) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Read, l.keyPath);
  return Guard(TRegistryError::ReadError, TRegDataType::rdUnknown, [&] {
    std::optional<RegValue> value = key.ReadValue(ValueName);
    return value ? DataTypeOf(value->type) : TRegDataType::rdUnknown;
  });
}

std::string TWinRegistry::GetStringValue(std::string_view KeyLocation, std::string_view ValueName) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Read, l.keyPath);
  return Guard(TRegistryError::ReadError, std::string(), [&] {
    std::optional<RegValue> value = key.ReadValue(ValueName);
    // A missing value reads as empty text; a value of another type is an error.
    if (!value || value->data.empty()) return std::string();
    if (!IsStringType(value->type)) throw ValueError(ValueName, "Invalid data type for");
    return DecodeString(value->data);
  });
}

std::int32_t TWinRegistry::GetIntValue(std::string_view KeyLocation, std::string_view ValueName) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Read, l.keyPath);
  return Guard(TRegistryError::ReadError, std::int32_t(0),
               [&] { return ReadFixed<std::int32_t>(key, ValueName, RegType::DWord); });
}

bool TWinRegistry::GetBooleanValue(std::string_view KeyLocation, std::string_view ValueName) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Read, l.keyPath);
  return Guard(TRegistryError::ReadError, false,
               [&] { return ReadFixed<std::int32_t>(key, ValueName, RegType::DWord) != 0; });
}

double TWinRegistry::GetFloatValue(std::string_view KeyLocation, std::string_view ValueName) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Read, l.keyPath);
  return Guard(TRegistryError::ReadError, 0.0, [&] { return ReadFixed<double>(key, ValueName, RegType::Binary); });
}

TCurrency TWinRegistry::GetCurrencyValue(std::string_view KeyLocation, std::string_view ValueName) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Read, l.keyPath);
  return Guard(TRegistryError::ReadError, TCurrency{},
               [&] { return TCurrency{ReadFixed<std::int64_t>(key, ValueName, RegType::Binary)}; });
}

TDateTime TWinRegistry::GetDateTimeValue(std::string_view KeyLocation, std::string_view ValueName) {
  return TDateTime{GetFloatValue(KeyLocation, ValueName)};
}

TDate TWinRegistry::GetDateValue(std::string_view KeyLocation, std::string_view ValueName) {
  return TDate{GetFloatValue(KeyLocation, ValueName)};
}

TTime TWinRegistry::GetTimeValue(std::string_view KeyLocation, std::string_view ValueName) {
  return TTime{GetFloatValue(KeyLocation, ValueName)};
}

std::string TWinRegistry::GetValueAsString(std::string_view KeyLocation, std::string_view ValueName) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Read, l.keyPath);
  return Guard(TRegistryError::ReadError, std::string(), [&] {
    std::optional<RegValue> value = key.ReadValue(ValueName);
    if (!value || value->data.empty()) return std::string();
    switch (DataTypeOf(value->type)) {
      case TRegDataType::rdString:
      case TRegDataType::rdExpandString:
        return DecodeString(value->data);
      case TRegDataType::rdInteger:
        return std::to_string(ReadFixed<std::int32_t>(key, ValueName, RegType::DWord));
      default:
        throw ValueError(ValueName, "Invalid data type for");
    }
  });
}

std::string TWinRegistry::GetValueAsStringEx(std::string_view KeyLocation, std::string_view ValueName) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Read, l.keyPath);
  return Guard(TRegistryError::ReadError, std::string(), [&] {
    std::optional<RegValue> value = key.ReadValue(ValueName);
    if (!value || value->data.empty()) return std::string();
    if (IsStringType(value->type)) return DecodeString(value->data);
    if (value->type == RegType::DWord && value->data.size() == 4) {
      std::int32_t number;
      std::memcpy(&number, value->data.data(), 4);
      return std::to_string(number);
    }
    return HexBytes(value->data);
  });
}

void TWinRegistry::WriteRegValue(std::string_view KeyLocation, std::string_view ItemName,
                                 const platform::RegValue& value) {
  Location l = ParseLocation(KeyLocation);
  RegistryKey& key = OpenLocation(Need::Write, l.keyPath);
  Guard(TRegistryError::AccessDenied, 0, [&] {
    key.WriteValue(ItemName, value);
    return 0;
  });
}

void TWinRegistry::WriteStringValue(std::string_view KeyLocation, std::string_view ItemName,
                                    std::string_view Value) {
  WriteRegValue(KeyLocation, ItemName, EncodeString(Value));
}

void TWinRegistry::WriteIntValue(std::string_view KeyLocation, std::string_view ItemName, std::int32_t Value) {
  WriteRegValue(KeyLocation, ItemName, Fixed(RegType::DWord, Value));
}

void TWinRegistry::WriteBooleanValue(std::string_view KeyLocation, std::string_view ItemName, bool Value) {
  WriteRegValue(KeyLocation, ItemName, Fixed(RegType::DWord, std::int32_t(Value ? 1 : 0)));
}

void TWinRegistry::WriteFloatValue(std::string_view KeyLocation, std::string_view ItemName, double Value) {
  WriteRegValue(KeyLocation, ItemName, Fixed(RegType::Binary, Value));
}

void TWinRegistry::WriteCurrency(std::string_view KeyLocation, std::string_view ItemName, TCurrency Value) {
  WriteRegValue(KeyLocation, ItemName, Fixed(RegType::Binary, Value.Value));
}

void TWinRegistry::WriteDateTimeValue(std::string_view KeyLocation, std::string_view ItemName, TDateTime Value) {
  WriteFloatValue(KeyLocation, ItemName, Value.Value);
}

void TWinRegistry::WriteDate(std::string_view KeyLocation, std::string_view ItemName, TDate Value) {
  WriteFloatValue(KeyLocation, ItemName, Value.Value);
}

void TWinRegistry::WriteTime(std::string_view KeyLocation, std::string_view ItemName, TTime Value) {
  WriteFloatValue(KeyLocation, ItemName, Value.Value);
}

void TWinRegistry::WriteValue(std::string_view KeyLocation, std::string_view ItemName, std::string_view Value) {
  WriteStringValue(KeyLocation, ItemName, Value);
}
void TWinRegistry::WriteValue(std::string_view KeyLocation, std::string_view ItemName, const char* Value) {
  WriteStringValue(KeyLocation, ItemName, Value);
}
void TWinRegistry::WriteValue(std::string_view KeyLocation, std::string_view ItemName, std::int32_t Value) {
  WriteIntValue(KeyLocation, ItemName, Value);
}
void TWinRegistry::WriteValue(std::string_view KeyLocation, std::string_view ItemName, bool Value) {
  WriteBooleanValue(KeyLocation, ItemName, Value);
}
void TWinRegistry::WriteValue(std::string_view KeyLocation, std::string_view ItemName, double Value) {
  WriteFloatValue(KeyLocation, ItemName, Value);
}
void TWinRegistry::WriteValue(std::string_view KeyLocation, std::string_view ItemName, TDateTime Value) {
  WriteDateTimeValue(KeyLocation, ItemName, Value);
}
void TWinRegistry::WriteValue(std::string_view KeyLocation, std::string_view ItemName, TDate Value) {
  WriteDate(KeyLocation, ItemName, Value);
}
void TWinRegistry::WriteValue(std::string_view KeyLocation, std::string_view ItemName, TTime Value) {
  WriteTime(KeyLocation, ItemName, Value);
}

}  // namespace vel
