// Registry access by location string, against the real registry of the build (Wine's, or the store).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/registry.h"
#include "vel/message.h"
#include "vel/registry.h"

using namespace vel;

namespace {

constexpr const char* kBase = "HKEY_CURRENT_USER\\Software\\VelTests";

// Removes a key with everything below it, whatever the operation under test left there.
void RemoveTree(platform::RegRoot root, const std::string& parent, const std::string& name) {
  platform::RegistryKey key(root, platform::kKeyAllAccess);
  if (key.OpenKey(parent, false)) key.DeleteKey(name);
}

class RegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    RemoveTree(platform::kRootCurrentUser, "Software", "VelTests");
    RemoveTree(platform::kRootLocalMachine, "Software", "VelTests");
    reg.SetOnRaiseError([this](TRegistryError e) { errors.push_back(e); });
    ASSERT_TRUE(reg.CreateKey(kBase));
  }
  void TearDown() override {
    RemoveTree(platform::kRootCurrentUser, "Software", "VelTests");
    RemoveTree(platform::kRootLocalMachine, "Software", "VelTests");
  }
  static std::string At(const std::string& sub) { return std::string(kBase) + "\\" + sub; }

  TWinRegistry reg;
  std::vector<TRegistryError> errors;
};

}  // namespace

TEST_F(RegistryTest, EveryLocationFormAddressesTheSameKey) {
  const char* forms[] = {
      "HKCU\\Software\\VelTests\\A",
      "hkcu\\Software\\VelTests\\A\\",
      "HKEY_CURRENT_USER\\Software\\VelTests\\A",
      "HKEY_USER\\software\\veltests\\a",  // the singular name is the current user's hive
      "Computer\\HKEY_CURRENT_USER\\Software\\VelTests\\A",
      "Software\\VelTests\\A",  // no hive: the default one
  };
  ASSERT_TRUE(reg.CreateKey("HKCU\\Software\\VelTests\\A"));
  reg.WriteStringValue("HKCU\\Software\\VelTests\\A", "Name", "same");
  for (const char* form : forms) EXPECT_EQ(reg.GetStringValue(form, "Name"), "same") << form;
  // "Computer\" is removed only in this exact case; otherwise it is a key name of the default hive.
  EXPECT_EQ(reg.GetStringValue("computer\\HKEY_CURRENT_USER\\Software\\VelTests\\A", "Name"), "");
  EXPECT_TRUE(errors.empty());
}

TEST_F(RegistryTest, HiveNamesPluralAndRoot) {
  ASSERT_TRUE(reg.CreateKey("HKLM\\Software\\VelTests\\Machine"));
  EXPECT_TRUE(reg.KeyExists("HKEY_LOCAL_MACHINE\\SOFTWARE\\VelTests\\Machine"));
  EXPECT_FALSE(reg.KeyExists("HKEY_CURRENT_USER\\Software\\VelTests\\Machine"));
  // A location that is only a hive name addresses the hive's root.
  std::vector<std::string> roots = reg.GetKeyNames("HKEY_LOCAL_MACHINE");
  EXPECT_TRUE(std::any_of(roots.begin(), roots.end(), [](const std::string& n) { return n == "Software" || n == "SOFTWARE"; }));
  // "HKEY_USERS" is its own hive, not the current user's.
  EXPECT_TRUE(reg.GetKeyNames("HKEY_USERS\\Software\\VelTests").empty());
  EXPECT_FALSE(reg.KeyExists("HKEY_USERS\\Software\\VelTests"));
  EXPECT_TRUE(errors.empty());
}

TEST(RegistryHiveNames, ExactMatchAgainstTheTable) {
  const std::pair<const char*, THKey> names[] = {
      {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},   {"HKCR", HKEY_CLASSES_ROOT},  {"HKEY_CLASSES", HKEY_CLASSES_ROOT},
      {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},   {"HKCU", HKEY_CURRENT_USER},  {"HKEY_USER", HKEY_CURRENT_USER},
      {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {"HKLM", HKEY_LOCAL_MACHINE}, {"HKEY_MACHINE", HKEY_LOCAL_MACHINE},
      {"HKEY_USERS", HKEY_USERS},                 {"HKU", HKEY_USERS},          {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
      {"HKCC", HKEY_CURRENT_CONFIG},              {"HKEY_CONFIG", HKEY_CURRENT_CONFIG},
      {"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA}, {"HKPD", HKEY_PERFORMANCE_DATA},
      {"HKEY_DYN_DATA", HKEY_DYN_DATA},           {"HKEY_DD", HKEY_DYN_DATA},
  };
  for (auto [name, hive] : names) {
    THKey found = HKEY_DYN_DATA;
    EXPECT_TRUE(TWinRegistry::StringToHiveEx(name, found)) << name;
    EXPECT_EQ(found, hive) << name;
  }
  THKey untouched = HKEY_USERS;
  EXPECT_FALSE(TWinRegistry::StringToHiveEx("hklm", untouched));
  EXPECT_EQ(untouched, HKEY_USERS);
  EXPECT_EQ(TWinRegistry::StringToHive("hklm", HKEY_CURRENT_USER), HKEY_CURRENT_USER);
  EXPECT_EQ(TWinRegistry::StringToHive("HKEY_LOCAL_MACHINE", HKEY_CURRENT_USER), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(TWinRegistry::HiveToString(HKEY_CURRENT_CONFIG), "HKEY_CURRENT_CONFIG");
  EXPECT_EQ(TWinRegistry::HiveToString(HKEY_USERS), "HKEY_USERS");
  EXPECT_EQ(TWinRegistry::HiveToString(THKey{5}), "Unknown");
}

TEST_F(RegistryTest, ManualHiveReadsHiveNamesAsKeyNames) {
  TWinRegistry manual;
  manual.SetManualHive(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(manual.AutomaticHive());
  ASSERT_TRUE(manual.CreateKey("Software\\VelTests\\HKEY_CURRENT_USER\\Software"));
  manual.WriteStringValue("Software\\VelTests\\HKEY_CURRENT_USER\\Software", "Where", "machine");
  EXPECT_EQ(reg.GetStringValue("HKLM\\Software\\VelTests\\HKEY_CURRENT_USER\\Software", "Where"), "machine");
  EXPECT_EQ(reg.GetStringValue("HKCU\\Software", "Where"), "");

  TWinRegistry byDefault;
  byDefault.SetDefaultHive(HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(byDefault.AutomaticHive());
  EXPECT_EQ(byDefault.GetStringValue("Software\\VelTests\\HKEY_CURRENT_USER\\Software", "Where"), "machine");
}

TEST_F(RegistryTest, TypedValuesAreStoredAsTheSystemStoresThem) {
  const std::string key = At("Values");
  ASSERT_TRUE(reg.CreateKey(key));
  reg.WriteStringValue(key, "Text", "Grüße ✓");
  reg.WriteIntValue(key, "Int", -5);
  reg.WriteBooleanValue(key, "Flag", true);
  reg.WriteFloatValue(key, "Float", 3.25);
  reg.WriteCurrency(key, "Money", TCurrency{123456});
  reg.WriteDateTimeValue(key, "When", TDateTime{45000.5});
  reg.WriteValue(key, "Overload", "text, not a Boolean");

  EXPECT_EQ(reg.GetStringValue(key, "Text"), "Grüße ✓");
  EXPECT_EQ(reg.GetIntValue(key, "Int"), -5);
  EXPECT_EQ(reg.GetValueType(key, "Flag"), TRegDataType::rdInteger);
  EXPECT_EQ(reg.GetIntValue(key, "Flag"), 1);
  EXPECT_EQ(reg.GetFloatValue(key, "Float"), 3.25);
  EXPECT_EQ(reg.GetCurrencyValue(key, "Money").Value, 123456);
  EXPECT_EQ(reg.GetDateTimeValue(key, "When").Value, 45000.5);
  EXPECT_EQ(reg.GetValueType(key, "Float"), TRegDataType::rdBinary);
  EXPECT_EQ(reg.GetValueType(key, "Overload"), TRegDataType::rdString);

  platform::RegistryKey raw(platform::kRootCurrentUser, platform::kKeyRead);
  ASSERT_TRUE(raw.OpenKey("Software\\VelTests\\Values", false));
  auto text = raw.ReadValue("Text");
  ASSERT_TRUE(text);
  EXPECT_EQ(text->type, platform::RegType::String);
  EXPECT_EQ(text->data.size(), 16u);  // seven UTF-16 units and the terminating zero
  EXPECT_EQ(raw.ReadValue("Flag")->data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(raw.ReadValue("Float")->data.size(), 8u);
  EXPECT_TRUE(errors.empty());
}

TEST_F(RegistryTest, ValuesAsText) {
  const std::string key = At("AsText");
  ASSERT_TRUE(reg.CreateKey(key));
  {
    platform::RegistryKey raw(platform::kRootCurrentUser, platform::kKeyAllAccess);
    ASSERT_TRUE(raw.OpenKey("Software\\VelTests\\AsText", false));
    raw.WriteValue("Bytes", {platform::RegType::Binary, {0x0A, 0xFF, 0x10}});
    raw.WriteValue("NoBytes", {platform::RegType::Binary, {}});
    raw.WriteValue("Five", {platform::RegType::DWord, {5, 0, 0, 0}});
    raw.WriteValue("Quad", {platform::RegType::QWord, {1, 0, 0, 0, 0, 0, 0, 0}});
    raw.WriteValue("Expand", {platform::RegType::ExpandString, {'%', 0, 'X', 0, '%', 0, 0, 0}});
  }
  reg.WriteIntValue(key, "Minus", -12);

  EXPECT_EQ(reg.GetValueAsStringEx(key, "Bytes"), "0A,FF,10");
  EXPECT_EQ(reg.GetValueAsStringEx(key, "Minus"), "-12");
  EXPECT_EQ(reg.GetValueAsStringEx(key, "Quad"), "01,00,00,00,00,00,00,00");
  EXPECT_EQ(reg.GetValueAsStringEx(key, "Expand"), "%X%");
  // A binary value of no bytes is there, and empty; not a failed read.
  EXPECT_TRUE(reg.GetValueExists(key, "NoBytes"));
  EXPECT_EQ(reg.GetValueType(key, "NoBytes"), TRegDataType::rdBinary);
  EXPECT_EQ(reg.GetValueAsStringEx(key, "NoBytes"), "");
  {
    platform::RegistryKey raw(platform::kRootCurrentUser, platform::kKeyRead);
    ASSERT_TRUE(raw.OpenKey("Software\\VelTests\\AsText", false));
    std::optional<platform::RegValue> empty = raw.ReadValue("NoBytes");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->type, platform::RegType::Binary);
    EXPECT_TRUE(empty->data.empty());
  }
  EXPECT_TRUE(errors.empty());

  EXPECT_EQ(reg.GetValueAsString(key, "Expand"), "%X%");
  EXPECT_EQ(reg.GetValueAsString(key, "Minus"), "-12");
  EXPECT_TRUE(reg.GetBooleanValue(key, "Five"));
  EXPECT_EQ(reg.GetValueType(key, "Quad"), TRegDataType::rdUnknown);
  EXPECT_TRUE(errors.empty());
  // Binary and unknown types have no text.
  EXPECT_EQ(reg.GetValueAsString(key, "Bytes"), "");
  EXPECT_EQ(reg.GetValueAsString(key, "Quad"), "");
  EXPECT_EQ(errors, (std::vector{TRegistryError::ReadError, TRegistryError::ReadError}));
}

TEST_F(RegistryTest, WhatIsReportedAndWhatIsSilent) {
  const std::string key = At("Errors");
  ASSERT_TRUE(reg.CreateKey(key));
  reg.WriteIntValue(key, "Five", 5);

  // Silent: missing things answer empty or false.
  EXPECT_EQ(reg.GetStringValue(key, "Missing"), "");
  EXPECT_EQ(reg.GetStringValue(At("NoKey"), "Missing"), "");
  EXPECT_FALSE(reg.KeyExists(At("NoParent\\Child")));
  EXPECT_FALSE(reg.GetValueExists(key, "Missing"));
  EXPECT_EQ(reg.GetValueType(key, "Missing"), TRegDataType::rdUnknown);
  EXPECT_FALSE(reg.DeleteValue(key, "Missing"));
  EXPECT_FALSE(reg.DeleteKey(At("NoKey")));
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(reg.LastError(), TRegistryError::None);

  // Reported: typed reads of missing or mistyped values, writes into missing keys.
  EXPECT_EQ(reg.GetIntValue(key, "Missing"), 0);
  EXPECT_EQ(reg.GetFloatValue(key, "Five"), 0.0);
  EXPECT_FALSE(reg.GetBooleanValue(At("NoKey"), "Five"));
  reg.WriteStringValue(At("NoKey"), "Name", "lost");
  EXPECT_EQ(errors, (std::vector{TRegistryError::ReadError, TRegistryError::ReadError, TRegistryError::ReadError,
                                 TRegistryError::AccessDenied}));
  EXPECT_EQ(reg.LastError(), TRegistryError::AccessDenied);
  EXPECT_FALSE(reg.KeyExists(At("NoKey")));  // a write does not create its key
  // A success never resets the last error.
  EXPECT_EQ(reg.GetIntValue(key, "Five"), 5);
  EXPECT_EQ(reg.LastError(), TRegistryError::AccessDenied);
}

TEST_F(RegistryTest, ErrorKinds) {
  TWinRegistry disabled;
  int shown = 0;
  disabled.SetOnRaiseError([&](TRegistryError) { ++shown; });
  disabled.SetErrorKind(TRegistryErrorKind::Disabled);
  disabled.WriteIntValue(At("NoKey"), "X", 1);
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(disabled.LastError(), TRegistryError::AccessDenied);
  disabled.WriteIntValue(kBase, "X", 1);
  EXPECT_EQ(disabled.LastError(), TRegistryError::AccessDenied);

  TWinRegistry raising;
  raising.SetOnRaiseError([&](TRegistryError) { ++shown; });
  raising.SetErrorKind(TRegistryErrorKind::OperatingSystem);
  EXPECT_THROW(raising.GetIntValue(kBase, "Missing"), EOSError);
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(raising.LastError(), TRegistryError::None);

  // The default handler speaks through the library's message routine.
  std::vector<std::string> messages;
  vel::SetMessageRoutine([&](const std::string&, const std::string& text, vel::TMsgButtons) {
    messages.push_back(text);
    return vel::mrOk;
  });
  TWinRegistry plain;
  plain.WriteIntValue(At("NoKey"), "X", 1);
  plain.GetIntValue(kBase, "Missing");
  plain.RegistryReceiveError(TRegistryError::None);
  vel::SetMessageRoutine(nullptr);
  EXPECT_EQ(messages, (std::vector<std::string>{"Windows Registry Error: Access Denied",
                                                "Windows Registry Error: Cannot read from the Windows Registry"}));
}

TEST_F(RegistryTest, DeleteKeyRemovesOnlyKeysWithoutSubkeys) {
  ASSERT_TRUE(reg.CreateKey(At("Parent\\Child")));
  EXPECT_FALSE(reg.DeleteKey(At("Parent")));
  EXPECT_TRUE(reg.KeyExists(At("Parent")));
  EXPECT_TRUE(reg.KeyExists(At("Parent\\Child")));
  EXPECT_TRUE(reg.DeleteKey(At("Parent\\Child")));
  EXPECT_TRUE(reg.DeleteKey(At("Parent")));
  EXPECT_FALSE(reg.KeyExists(At("Parent")));
  EXPECT_TRUE(errors.empty());
}

TEST_F(RegistryTest, CloneRenameMoveAndCopyCarryTheWholeTree) {
  ASSERT_TRUE(reg.CreateKey(At("Key\\Sub")));
  reg.WriteStringValue(At("Key"), "Top", "t");
  reg.WriteIntValue(At("Key\\Sub"), "Deep", 7);
  ASSERT_TRUE(reg.CreateKey(At("Key(2)")));

  EXPECT_EQ(reg.CloneKey(At("Key")), "Key(3)");
  EXPECT_EQ(reg.GetStringValue(At("Key(3)"), "Top"), "t");
  EXPECT_EQ(reg.GetIntValue(At("Key(3)\\Sub"), "Deep"), 7);
  EXPECT_TRUE(reg.KeyExists(At("Key\\Sub")));
  EXPECT_EQ(reg.CloneKey(At("Key")), "Key(4)");

  EXPECT_TRUE(reg.RenameKey(At("Key(3)"), "Renamed"));
  EXPECT_FALSE(reg.KeyExists(At("Key(3)")));
  EXPECT_EQ(reg.GetIntValue(At("Renamed\\Sub"), "Deep"), 7);
  // Renaming onto an existing name moves nothing.
  EXPECT_TRUE(reg.RenameKey(At("Key(4)"), "Renamed"));
  EXPECT_TRUE(reg.KeyExists(At("Key(4)")));
  EXPECT_FALSE(reg.RenameKey(At("Nothing"), "Something"));

  // Copy into an existing key replaces values of the same name and keeps the others.
  ASSERT_TRUE(reg.CreateKey(At("Target")));
  reg.WriteStringValue(At("Target"), "Top", "old");
  reg.WriteStringValue(At("Target"), "Own", "kept");
  EXPECT_TRUE(reg.CopyKey(At("Key"), "Software\\VelTests\\Target"));
  EXPECT_EQ(reg.GetStringValue(At("Target"), "Top"), "t");
  EXPECT_EQ(reg.GetStringValue(At("Target"), "Own"), "kept");
  EXPECT_EQ(reg.GetIntValue(At("Target\\Sub"), "Deep"), 7);
  EXPECT_TRUE(reg.KeyExists(At("Key")));

  EXPECT_TRUE(reg.MoveKey(At("Key"), "Software\\VelTests\\Moved", true));
  EXPECT_FALSE(reg.KeyExists(At("Key")));
  EXPECT_EQ(reg.GetIntValue(At("Moved\\Sub"), "Deep"), 7);

  // A missing source still makes the destination; a copy into the source's own subkey ends.
  EXPECT_TRUE(reg.CopyKey(At("Ghost"), "Software\\VelTests\\FromGhost"));
  EXPECT_TRUE(reg.KeyExists(At("FromGhost")));
  EXPECT_TRUE(reg.CopyKey(At("Moved"), "Software\\VelTests\\Moved\\Inner"));
  EXPECT_EQ(reg.GetIntValue(At("Moved\\Inner\\Sub"), "Deep"), 7);
  EXPECT_FALSE(reg.KeyExists(At("Moved\\Inner\\Inner")));
  EXPECT_TRUE(errors.empty());
}

// Moving a key onto itself or below itself would copy it, then delete the source and the copy with it.
TEST_F(RegistryTest, MoveIntoItselfRefusesAndKeepsTheKey) {
  ASSERT_TRUE(reg.CreateKey(At("Home\\Sub")));
  reg.WriteStringValue(At("Home"), "Top", "t");
  reg.WriteIntValue(At("Home\\Sub"), "Deep", 7);
  const char* targets[] = {
      "Software\\VelTests\\Home",
      "software\\veltests\\HOME\\",
      "\\Software\\\\VelTests\\Home",
      "Software\\VelTests\\Home\\Sub",
      "Software\\VelTests\\Home\\New\\Deeper",
  };
  for (const char* target : targets) {
    errors.clear();
    EXPECT_FALSE(reg.MoveKey(At("Home"), target, true)) << target;
    EXPECT_EQ(errors, std::vector<TRegistryError>{TRegistryError::AccessDenied}) << target;
    EXPECT_EQ(reg.GetStringValue(At("Home"), "Top"), "t") << target;
    EXPECT_EQ(reg.GetIntValue(At("Home\\Sub"), "Deep"), 7) << target;
    EXPECT_FALSE(reg.KeyExists(At("Home\\New"))) << target;
  }
  // A sibling whose name only begins with the source's name is another key.
  errors.clear();
  EXPECT_TRUE(reg.MoveKey(At("Home"), "Software\\VelTests\\HomeAway", true));
  EXPECT_FALSE(reg.KeyExists(At("Home")));
  EXPECT_EQ(reg.GetIntValue(At("HomeAway\\Sub"), "Deep"), 7);
  EXPECT_TRUE(errors.empty());
}

TEST_F(RegistryTest, NamesAndModes) {
  ASSERT_TRUE(reg.CreateKey(At("List\\One")));
  ASSERT_TRUE(reg.CreateKey(At("List\\Two")));
  reg.WriteIntValue(At("List"), "A", 1);
  reg.WriteIntValue(At("List"), "B", 2);
  std::vector<std::string> keys = reg.GetKeyNames(At("List"));
  std::vector<std::string> values = reg.GetValueNames(At("List"));
  std::sort(keys.begin(), keys.end());
  std::sort(values.begin(), values.end());
  EXPECT_EQ(keys, (std::vector<std::string>{"One", "Two"}));
  EXPECT_EQ(values, (std::vector<std::string>{"A", "B"}));
  EXPECT_TRUE(reg.GetKeyNames(At("Missing")).empty());

  EXPECT_EQ(reg.RegistryMode(), TRegistryMode::Unloaded);
  EXPECT_TRUE(reg.WinModeLoaded());
  EXPECT_EQ(reg.RegistryMode(), TRegistryMode::Windows64);
  reg.SetNewRegistryMode(TRegistryMode::Automatic);
  EXPECT_TRUE(reg.WinModeLoaded());
  EXPECT_EQ(reg.RegistryMode(), TRegistryMode::Automatic);
  // The 64-bit view is the process's own.
  reg.SetRegistryMode(TRegistryMode::Windows64);
  EXPECT_EQ(reg.GetIntValue(At("List"), "B"), 2);
  EXPECT_TRUE(errors.empty());
}
