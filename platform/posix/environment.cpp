// The process environment on Linux, with the Windows-style names standing in for their folders.
#include "platform/environment.h"
#include "platform/text.h"
#include "xdg_folders.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

extern char** environ;

namespace platform {
namespace {

// An exact match wins; otherwise the first variable whose name matches without regard to case.
const char* Lookup(std::string_view name) {
  const char* loose = nullptr;
  for (char** e = environ; e && *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (!eq) continue;
    std::string_view n(*e, static_cast<std::size_t>(eq - *e));
    if (n == name) return eq + 1;
    if (!loose && SameAsciiText(n, name)) loose = eq + 1;
  }
  return loose;
}

// The nearest Linux folders of the Windows variables the installer and its library read.
std::string Fallback(std::string_view name) {
  struct Rule {
    std::string_view name;
    std::string (*value)();
  };
  static constexpr std::array<Rule, 7> kRules{{
      {"LOCALAPPDATA", [] { return XdgBase("XDG_DATA_HOME", "/.local/share"); }},
      {"APPDATA", [] { return XdgBase("XDG_CONFIG_HOME", "/.config"); }},
      {"USERPROFILE", [] { return HomeFolder(); }},
      {"PROGRAMFILES", [] { return std::string("/opt"); }},
      {"SYSTEMROOT", [] { return std::string("/usr"); }},
      {"SYSTEMDRIVE", [] { return std::string("/"); }},
      {"TEMP", [] {
         const char* t = Lookup("TMPDIR");
         return std::string(t && *t ? t : "/tmp");
       }},
  }};
  for (const Rule& rule : kRules)
    if (SameAsciiText(rule.name, name)) return rule.value();
  return {};
}

}  // namespace

std::string GetEnv(std::string_view name) {
  if (name.empty()) return {};
  if (const char* v = Lookup(name); v && *v) return v;
  return Fallback(name);
}

void SetEnv(std::string_view name, std::string_view value) {
  std::string n(name);
  if (value.empty())
    unsetenv(n.c_str());
  else
    setenv(n.c_str(), std::string(value).c_str(), 1);
}

OsVersion GetOsVersion() { return {10, 0}; }

std::string UserName() {
  if (passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) return pw->pw_name;
  throw std::system_error(errno ? errno : ENOENT, std::generic_category(), "user name");
}

}  // namespace platform
