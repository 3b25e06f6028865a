// Registry access by one location string that names the hive and the key together.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class RegistryKey;
struct RegValue;
}

namespace vel {

// A hive: one of the predefined root keys (any other value names no hive).
enum class THKey : std::uint32_t {};
inline constexpr THKey HKEY_CLASSES_ROOT{0x80000000u};
inline constexpr THKey HKEY_CURRENT_USER{0x80000001u};
inline constexpr THKey HKEY_LOCAL_MACHINE{0x80000002u};
inline constexpr THKey HKEY_USERS{0x80000003u};
inline constexpr THKey HKEY_PERFORMANCE_DATA{0x80000004u};
inline constexpr THKey HKEY_CURRENT_CONFIG{0x80000005u};
inline constexpr THKey HKEY_DYN_DATA{0x80000006u};

enum class TRegistryMode { Unloaded, Windows32, Windows64, Automatic };
enum class TRegistryError { None, AccessDenied, KeyNoExist, ReadError };
enum class TRegistryErrorKind { Disabled, Receive, OperatingSystem };
enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

using TRegistryOnError = std::function<void(TRegistryError AError)>;

// Dates and times are days since 30 December 1899 with the time of day as the fraction.
struct TDateTime {
  double Value = 0;
};
struct TDate {
  double Value = 0;
};
struct TTime {
  double Value = 0;
};
// A fixed-point amount with four decimals, kept as the amount x 10000.
struct TCurrency {
  std::int64_t Value = 0;
};

// The operating system's error, raised by the registry operations when ErrorKind is OperatingSystem.
class EOSError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TWinRegistry {
 public:
  TWinRegistry();
  ~TWinRegistry();
  TWinRegistry(const TWinRegistry&) = delete;
  TWinRegistry& operator=(const TWinRegistry&) = delete;

  TRegistryMode RegistryMode() const { return FRegistryMode; }
  void SetRegistryMode(TRegistryMode mode) { FRegistryMode = mode; }
  TRegistryError LastError() const { return FLastError; }
  TRegistryErrorKind ErrorKind() const { return FErrorKind; }
  void SetErrorKind(TRegistryErrorKind kind) { FErrorKind = kind; }
  const TRegistryOnError& OnRaiseError() const { return FOnError; }
  void SetOnRaiseError(TRegistryOnError handler) { FOnError = std::move(handler); }
  bool AutomaticHive() const { return FAutoHive; }
  void SetAutomaticHive(bool value) { FAutoHive = value; }
  THKey ManualHive() const { return FDefaultHive; }
  void SetManualHive(THKey hive);
  THKey DefaultHive() const { return FDefaultHive; }
  void SetDefaultHive(THKey hive) { FDefaultHive = hive; }

  void SetNewRegistryMode(TRegistryMode mode);
  void ResetRegistryMode();
  bool WinModeLoaded();
  // The default error handler: a message box with the error's text.
  void RegistryReceiveError(TRegistryError AError);

  // Keys.
  bool CreateKey(std::string_view KeyLocation);
  bool DeleteKey(std::string_view KeyLocation);
  bool KeyExists(std::string_view KeyLocation);
  std::string CloneKey(std::string_view KeyLocation);
  bool RenameKey(std::string_view KeyLocation, std::string_view NewName);
  bool MoveKey(std::string_view KeyLocation, std::string_view NewLocation, bool AlsoDelete);
  bool CopyKey(std::string_view KeyLocation, std::string_view NewLocation);
  std::vector<std::string> GetKeyNames(std::string_view KeyLocation);
  std::vector<std::string> GetValueNames(std::string_view KeyLocation);

  // Values.
  bool GetValueExists(std::string_view KeyLocation, std::string_view ValueName);
  bool DeleteValue(std::string_view KeyLocation, std::string_view ValueName);
  TRegDataType GetValueType(std::string_view KeyLocation, std::string_view ValueName);
  std::string GetStringValue(std::string_view KeyLocation, std::string_view ValueName);
  std::int32_t GetIntValue(std::string_view KeyLocation, std::string_view ValueName);
  bool GetBooleanValue(std::string_view KeyLocation, std::string_view ValueName);
  double GetFloatValue(std::string_view KeyLocation, std::string_view ValueName);
  TCurrency GetCurrencyValue(std::string_view KeyLocation, std::string_view ValueName);
  TDateTime GetDateTimeValue(std::string_view KeyLocation, std::string_view ValueName);
  TDate GetDateValue(std::string_view KeyLocation, std::string_view ValueName);
  TTime GetTimeValue(std::string_view KeyLocation, std::string_view ValueName);
  std::string GetValueAsString(std::string_view KeyLocation, std::string_view ValueName);
  std::string GetValueAsStringEx(std::string_view KeyLocation, std::string_view ValueName);

  void WriteStringValue(std::string_view KeyLocation, std::string_view ItemName, std::string_view Value);
  void WriteIntValue(std::string_view KeyLocation, std::string_view ItemName, std::int32_t Value);
  void WriteBooleanValue(std::string_view KeyLocation, std::string_view ItemName, bool Value);
  void WriteFloatValue(std::string_view KeyLocation, std::string_view ItemName, double Value);
  void WriteCurrency(std::string_view KeyLocation, std::string_view ItemName, TCurrency Value);
  void WriteDateTimeValue(std::string_view KeyLocation, std::string_view ItemName, TDateTime Value);
  void WriteDate(std::string_view KeyLocation, std::string_view ItemName, TDate Value);
  void WriteTime(std::string_view KeyLocation, std::string_view ItemName, TTime Value);

  void WriteValue(std::string_view KeyLocation, std::string_view ItemName, std::string_view Value);
  void WriteValue(std::string_view KeyLocation, std::string_view ItemName, const char* Value);
  void WriteValue(std::string_view KeyLocation, std::string_view ItemName, std::int32_t Value);
  void WriteValue(std::string_view KeyLocation, std::string_view ItemName, bool Value);
  void WriteValue(std::string_view KeyLocation, std::string_view ItemName, double Value);
  void WriteValue(std::string_view KeyLocation, std::string_view ItemName, TDateTime Value);
  void WriteValue(std::string_view KeyLocation, std::string_view ItemName, TDate Value);
  void WriteValue(std::string_view KeyLocation, std::string_view ItemName, TTime Value);

  // Class operations.
  static std::string HiveToString(THKey Hive);
  static bool StringToHiveEx(std::string_view AString, THKey& Hive);
  static THKey StringToHive(std::string_view AString, THKey Default);

 private:
  enum class Need { Read, Write, Full };
  struct Location {
    std::string keyPath;  // relative to the hive, with its trailing "\"
    std::string parent;   // keyPath without its last segment
    std::string segment;  // the last segment
  };

  Location ParseLocation(std::string_view KeyLocation);
  std::uint32_t AccessMask(Need need) const;
  platform::RegistryKey& OpenLocation(Need need, std::string_view keyPath);
  void ReportError(TRegistryError AError, const std::string& systemMessage);
  // Runs `action` inside the failure guard; on failure reports `error` and returns `fallback`.
  template <typename T, typename F>
  T Guard(TRegistryError error, T fallback, F&& action);
  bool CopyKeyTree(const Location& from, std::string_view newLocation, bool alsoDelete);
  void WriteRegValue(std::string_view KeyLocation, std::string_view ItemName, const platform::RegValue& value);

  TRegistryError FLastError = TRegistryError::None;
  std::unique_ptr<platform::RegistryKey> FRegistry;
  TRegistryMode FRegistryMode = TRegistryMode::Unloaded;
  THKey FHive = HKEY_CURRENT_USER;
  THKey FDefaultHive = HKEY_CURRENT_USER;
  bool FAutoHive = true;
  TRegistryOnError FOnError;
  TRegistryErrorKind FErrorKind = TRegistryErrorKind::Receive;
};

}  // namespace vel
