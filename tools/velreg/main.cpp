// velreg: query, add and delete keys and values of the Linux registry store, the way reg does.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/text.h"

namespace {

using platform::RegistryKey;
using platform::RegType;
using platform::RegValue;

// A failure reported as "ERROR: " + message with exit code 1.
struct Failure {
  std::string message;
};

constexpr const char* kNotFound = "The system was unable to find the specified registry key or value.";
constexpr const char* kAccessDenied = "Access is denied.";

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return upper;
}

[[noreturn]] void Usage(const std::string& verb, const char* problem) {
  throw Failure{std::string(problem) + "\nType \"VELREG " + Upper(verb) + " /?\" for usage."};
}

void PrintHelp(const std::string& verb) {
  if (verb == "query") {
    std::cout << "VELREG QUERY KeyName [/v ValueName | /ve]\n";
  } else if (verb == "add") {
    std::cout << "VELREG ADD KeyName [/v ValueName | /ve] [/t Type] [/s Separator] [/d Data] [/f]\n"
                 "  Type: REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD,\n"
                 "        REG_BINARY, REG_NONE, REG_DWORD_BIG_ENDIAN\n";
  } else if (verb == "delete") {
    std::cout << "VELREG DELETE KeyName [/v ValueName | /ve] [/f]\n";
  } else {
    std::cout << "VELREG Operation [Parameter List]\n  Operation: QUERY | ADD | DELETE\n"
                 "Type \"VELREG Operation /?\" for the parameters of an operation.\n";
  }
  std::cout << "  KeyName: ROOTKEY[\\SubKey], ROOTKEY one of HKLM, HKCU, HKCR, HKU, HKCC\n"
               "  (or their HKEY_... names).\n";
}

// ---------------------------------------------------------------------------------------------------
// Command line

struct Options {
  std::string verb;
  std::string key;
  std::optional<std::string> value;  // /v
  bool defaultValue = false;         // /ve
  std::optional<std::string> type;   // /t
  std::optional<std::string> data;   // /d
  std::optional<std::string> separator;  // /s
  bool force = false;                // /f
  bool help = false;
};

Options Parse(const std::vector<std::string>& args) {
  Options o;
  o.verb = args.empty() ? "" : args[0];
  for (char& c : o.verb)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  if (o.verb == "/?" || o.verb == "-?") {
    o.help = true;
    o.verb.clear();
    return o;
  }
  if (o.verb != "query" && o.verb != "add" && o.verb != "delete")
    throw Failure{"Invalid syntax.\nType \"VELREG /?\" for usage."};
  const bool isAdd = o.verb == "add";
  bool haveKey = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) {
      if (haveKey) Usage(o.verb, "Invalid syntax.");
      o.key = arg;
      haveKey = true;
      continue;
    }
    std::string name = Upper(arg.substr(1));
    // Each option once; the ones that take an argument take the next one whatever it looks like.
    auto take = [&](std::optional<std::string>& into) {
      if (into || i + 1 >= args.size()) Usage(o.verb, "Invalid syntax.");
      into = args[++i];
    };
    if (name == "?") {
      o.help = true;
    } else if (name == "V") {
      take(o.value);
    } else if (name == "VE" && !o.defaultValue) {
      o.defaultValue = true;
    } else if (name == "F" && o.verb != "query" && !o.force) {
      o.force = true;
    } else if (name == "T" && isAdd) {
      take(o.type);
    } else if (name == "D" && isAdd) {
      take(o.data);
    } else if (name == "S" && isAdd) {
      take(o.separator);
    } else {
      Usage(o.verb, "Invalid syntax.");
    }
  }
  if (o.help) return o;
  if (!haveKey || (o.value && o.defaultValue)) Usage(o.verb, "Invalid syntax.");
  if (o.separator && o.separator->size() != 1) Usage(o.verb, "Invalid syntax.");
  return o;
}

// ---------------------------------------------------------------------------------------------------
// Keys

struct KeyName {
  platform::RegRoot root = 0;
  std::string hive;  // the canonical name
  std::vector<std::string> segments;

  std::string Path() const {
    std::string path;
    for (const std::string& s : segments) path += (path.empty() ? "" : "\\") + s;
    return path;
  }
  std::string Display() const { return segments.empty() ? hive : hive + "\\" + Path(); }
};

KeyName ParseKey(const std::string& verb, std::string_view text) {
  struct Hive {
    const char* shortName;
    const char* name;
    platform::RegRoot root;
  };
  static constexpr Hive kHives[] = {
      {"HKLM", "HKEY_LOCAL_MACHINE", platform::kRootLocalMachine},
      {"HKCU", "HKEY_CURRENT_USER", platform::kRootCurrentUser},
      {"HKCR", "HKEY_CLASSES_ROOT", platform::kRootClassesRoot},
      {"HKU", "HKEY_USERS", platform::kRootUsers},
      {"HKCC", "HKEY_CURRENT_CONFIG", platform::kRootCurrentConfig},
  };
  std::size_t end = text.find('\\');
  std::string first = Upper(text.substr(0, end));
  KeyName key;
  for (const Hive& h : kHives) {
    if (first == h.shortName || first == h.name) {
      key.root = h.root;
      key.hive = h.name;
    }
  }
  if (key.hive.empty()) Usage(verb, "Invalid key name.");
  // Empty segments (a trailing or doubled "\") name nothing, as in the store itself.
  for (std::size_t pos = end; pos != std::string_view::npos;) {
    std::size_t next = text.find('\\', pos + 1);
    std::string_view segment = text.substr(pos + 1, next == std::string_view::npos ? next : next - pos - 1);
    if (!segment.empty()) key.segments.emplace_back(segment);
    pos = next;
  }
  return key;
}

// ---------------------------------------------------------------------------------------------------
// Values as text

std::u16string Units(const std::vector<std::uint8_t>& data) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) units += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  return units;
}

std::vector<std::uint8_t> Bytes(std::u16string_view units) {
  std::vector<std::uint8_t> bytes;
  for (char16_t c : units) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

std::string TypeName(RegType type) {
  switch (static_cast<std::uint32_t>(type)) {
    case 0: return "REG_NONE";
    case 1: return "REG_SZ";
    case 2: return "REG_EXPAND_SZ";
    case 3: return "REG_BINARY";
    case 4: return "REG_DWORD";
    case 5: return "REG_DWORD_BIG_ENDIAN";
    case 6: return "REG_LINK";
    case 7: return "REG_MULTI_SZ";
    case 8: return "REG_RESOURCE_LIST";
    case 9: return "REG_FULL_RESOURCE_DESCRIPTOR";
    case 10: return "REG_RESOURCE_REQUIREMENTS_LIST";
    case 11: return "REG_QWORD";
  }
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(type));
  return text;
}

std::string Hex(const std::vector<std::uint8_t>& data) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::uint8_t b : data) {
    text += kDigits[b >> 4];
    text += kDigits[b & 0x0F];
  }
  return text;
}

std::string DataText(const RegValue& v) {
  const std::vector<std::uint8_t>& d = v.data;
  char number[24];
  auto word = [&](int b0, int b1, int b2, int b3) {
    return static_cast<unsigned>(std::uint32_t(d[b0]) | d[b1] << 8 | d[b2] << 16 | std::uint32_t(d[b3]) << 24);
  };
  switch (v.type) {
    case RegType::String:
    case RegType::ExpandString: {
      std::u16string units = Units(d);
      return platform::Utf16ToUtf8(units.substr(0, units.find(u'\0')));
    }
    case RegType::MultiString: {
      std::u16string units = Units(d);
      // The list ends at its empty string (the doubled zero) or at the end of the data.
      std::string text;
      std::size_t start = 0;
      while (start < units.size() && units[start] != 0) {
        std::size_t end = units.find(u'\0', start);
        if (end == std::u16string::npos) end = units.size();
        if (start) text += "\\0";
        text += platform::Utf16ToUtf8(units.substr(start, end - start));
        start = end + 1;
      }
      return text;
    }
    case RegType::DWord:
      if (d.size() != 4) break;
      std::snprintf(number, sizeof number, "0x%x", word(0, 1, 2, 3));
      return number;
    case RegType::DWordBigEndian:
      if (d.size() != 4) break;
      std::snprintf(number, sizeof number, "0x%x", word(3, 2, 1, 0));
      return number;
    case RegType::QWord: {
      if (d.size() != 8) break;
      unsigned long long q = 0;
      for (int i = 7; i >= 0; --i) q = q << 8 | d[i];
      std::snprintf(number, sizeof number, "0x%llx", q);
      return number;
    }
    default:
      break;
  }
  return Hex(d);
}

std::string ValueLine(std::string_view name, const RegValue& v) {
  return "    " + (name.empty() ? std::string("(Default)") : std::string(name)) + "    " + TypeName(v.type) + "    " +
         DataText(v);
}

// ---------------------------------------------------------------------------------------------------
// Values from the command line

std::optional<RegType> ParseType(const std::string& name) {
  static constexpr std::pair<const char*, RegType> kTypes[] = {
      {"REG_SZ", RegType::String},         {"REG_EXPAND_SZ", RegType::ExpandString},
      {"REG_MULTI_SZ", RegType::MultiString}, {"REG_DWORD", RegType::DWord},
      {"REG_QWORD", RegType::QWord},       {"REG_BINARY", RegType::Binary},
      {"REG_NONE", RegType::None},         {"REG_DWORD_BIG_ENDIAN", RegType::DWordBigEndian},
  };
  for (auto [text, type] : kTypes)
    if (Upper(name) == text) return type;
  return std::nullopt;
}

// Decimal, or hexadecimal after "0x"; nothing else, and nothing above `max`.
std::uint64_t ParseNumber(const std::string& text, std::uint64_t max) {
  const Failure invalid{"The option [/d] must be followed by a valid numeric value"};
  std::string_view digits(text);
  while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t')) digits.remove_prefix(1);
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  int base = 10;
  if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  if (digits.empty() || digits.front() == '-' || digits.front() == '+' || digits.front() == ' ') throw invalid;
  std::string owned(digits);
  char* end = nullptr;
  errno = 0;
  unsigned long long n = std::strtoull(owned.c_str(), &end, base);
  if (errno == ERANGE || *end != '\0' || n > max) throw invalid;
  return n;
}

std::vector<std::uint8_t> LittleEndian(std::uint64_t n, int size) {
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
  return bytes;
}

RegValue MakeValue(RegType type, const std::string& data, const std::optional<std::string>& separator) {
  RegValue v{type, {}};
  switch (type) {
    case RegType::DWord:
      v.data = LittleEndian(data.empty() ? 0 : ParseNumber(data, 0xFFFFFFFFu), 4);
      break;
    case RegType::DWordBigEndian:
      v.data = LittleEndian(data.empty() ? 0 : ParseNumber(data, 0xFFFFFFFFu), 4);
      std::swap(v.data[0], v.data[3]);
      std::swap(v.data[1], v.data[2]);
      break;
    case RegType::QWord:
      v.data = LittleEndian(data.empty() ? 0 : ParseNumber(data, ~std::uint64_t{0}), 8);
      break;
    case RegType::Binary: {
      auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        throw Failure{"The option [/d] must be followed by a valid hexadecimal value"};
      };
      // An odd count of digits makes the first digit a byte of its own.
      std::size_t i = data.size() % 2;
      if (i) v.data.push_back(static_cast<std::uint8_t>(nibble(data[0])));
      for (; i < data.size(); i += 2)
        v.data.push_back(static_cast<std::uint8_t>(nibble(data[i]) << 4 | nibble(data[i + 1])));
      break;
    }
    case RegType::MultiString: {
      std::string_view sep = separator ? std::string_view(*separator) : std::string_view("\\0");
      std::u16string units;
      std::string_view rest(data);
      while (!rest.empty()) {
        std::size_t at = rest.find(sep);
        std::string_view item = rest.substr(0, at);
        // An empty string would end the list early; one trailing separator is allowed.
        if (item.empty()) throw Failure{"The option [/d] must be followed by a valid string"};
        units += platform::Utf8ToUtf16(item);
        units += u'\0';
        if (at == std::string_view::npos) break;
        rest.remove_prefix(at + sep.size());
      }
      units += u'\0';
      v.data = Bytes(units);
      break;
    }
    default: {  // the string types, and REG_NONE given as text
      std::u16string units = platform::Utf8ToUtf16(data);
      units += u'\0';
      v.data = Bytes(units);
      break;
    }
  }
  return v;
}

// Asks on standard input; only an answer starting with Y or N counts, and the end of input is a no.
bool Confirm(const std::string& question) {
  for (;;) {
    std::cout << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
      std::cout << '\n';
      return false;
    }
    std::size_t first = answer.find_first_not_of(" \t\r");
    char c = first == std::string::npos ? '\0' : answer[first];
    if (c == 'y' || c == 'Y') return true;
    if (c == 'n' || c == 'N') return false;
  }
}

constexpr const char* kDone = "The operation completed successfully.\n";
constexpr const char* kCancelled = "The operation was cancelled.\n";

std::string Shown(std::string_view valueName) {
  return valueName.empty() ? "(Default)" : std::string(valueName);
}

// ---------------------------------------------------------------------------------------------------
// Verbs

int Query(const Options& o) {
  KeyName name = ParseKey(o.verb, o.key);
  RegistryKey key(name.root, platform::kKeyRead);
  if (!key.OpenKey(name.Path(), false)) throw Failure{kNotFound};
  std::string out = "\n";
  if (o.value || o.defaultValue) {
    std::string valueName = o.value.value_or("");
    std::optional<RegValue> value = key.ReadValue(valueName);
    out += name.Display() + "\n";
    if (value) {
      out += ValueLine(valueName, *value) + "\n\n";
    } else if (o.defaultValue) {
      out += "    (Default)    REG_SZ    (value not set)\n";
    } else {
      throw Failure{kNotFound};
    }
  } else {
    std::vector<std::string> values = key.ValueNames();
    if (!values.empty()) {
      out += name.Display() + "\n";
      for (const std::string& v : values)
        if (std::optional<RegValue> value = key.ReadValue(v)) out += ValueLine(v, *value) + "\n";
      out += "\n";
    }
    for (const std::string& sub : key.KeyNames()) out += name.Display() + "\\" + sub + "\n";
  }
  std::cout << out;
  return 0;
}

int Add(const Options& o) {
  KeyName name = ParseKey(o.verb, o.key);
  std::optional<RegType> type = ParseType(o.type.value_or("REG_SZ"));
  if (!type) throw Failure{"Unsupported registry data type [" + *o.type + "]"};
  if (o.separator && *type != RegType::MultiString) Usage(o.verb, "Invalid syntax.");
  RegValue value = MakeValue(*type, o.data.value_or(""), o.separator);
  RegistryKey key(name.root, platform::kKeyAllAccess);
  key.OpenKey(name.Path(), true);
  // Without /v or /ve the key's default value is the one set, as reg does.
  std::string valueName = o.value.value_or("");
  if (!o.force && key.ValueExists(valueName) && !Confirm("Value " + Shown(valueName) + " exists, overwrite")) {
    std::cout << kCancelled;
    return 0;
  }
  key.WriteValue(valueName, value);
  std::cout << kDone;
  return 0;
}

int Delete(const Options& o) {
  KeyName name = ParseKey(o.verb, o.key);
  RegistryKey key(name.root, platform::kKeyAllAccess);
  if (o.value || o.defaultValue) {
    std::string valueName = o.value.value_or("");
    if (!key.OpenKey(name.Path(), false) || !key.ValueExists(valueName)) throw Failure{kNotFound};
    if (!o.force && !Confirm("Delete the registry value " + Shown(valueName))) {
      std::cout << kCancelled;
      return 0;
    }
    if (!key.DeleteValue(valueName)) throw Failure{kAccessDenied};
  } else {
    // A hive itself is not deleted.
    if (name.segments.empty()) Usage(o.verb, "Invalid key name.");
    std::string last = name.segments.back();
    KeyName parent = name;
    parent.segments.pop_back();
    if (!key.OpenKey(parent.Path(), false) || !key.KeyExists(last)) throw Failure{kNotFound};
    if (!o.force && !Confirm("Permanently delete the registry key " + name.Display())) {
      std::cout << kCancelled;
      return 0;
    }
    if (!key.DeleteKey(last)) throw Failure{kAccessDenied};
  }
  std::cout << kDone;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    Options o = Parse(args);
    if (o.help) {
      PrintHelp(o.verb);
      return 0;
    }
    if (o.verb == "query") return Query(o);
    if (o.verb == "add") return Add(o);
    return Delete(o);
  } catch (const Failure& f) {
    std::cout << std::flush;
    std::cerr << "ERROR: " << f.message << '\n';
  } catch (const std::exception& e) {
    std::cout << std::flush;
    std::cerr << "ERROR: " << e.what() << '\n';
  }
  return 1;
}
