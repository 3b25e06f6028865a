// The process environment and a few facts about the system and its user.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Empty when the variable is not defined. Names are matched without regard to letter case. On Linux
// the Windows-style names LOCALAPPDATA, APPDATA, USERPROFILE, PROGRAMFILES, SYSTEMROOT, SYSTEMDRIVE and
// TEMP answer with their nearest Linux folders when they are not set.
std::string GetEnv(std::string_view name);

// Sets (or, with an empty value, removes) a variable of this process.
void SetEnv(std::string_view name, std::string_view value);

struct OsVersion {
  int major = 0;
  int minor = 0;
};
// The Windows version; the Linux port reports the Windows version it behaves as (10.0).
OsVersion GetOsVersion();

// The logged-on user's name; throws std::system_error when the system cannot tell.
std::string UserName();

}  // namespace platform
