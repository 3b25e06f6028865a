// Removing the running program's own file on Windows: the system refuses while the program runs, so a
// hidden command processor does it once the program has ended.
#include "platform/self_delete.h"

#include <string>

#include "platform/environment.h"
#include "platform/process.h"

namespace platform {
namespace {

// The command processor reads the paths from its environment: a "%" in a folder name would be
// expanded again if the path were written into the command line itself.
constexpr const char* kSelfVariable = "VEL_UNINSTALL_SELF";
constexpr const char* kFolderVariable = "VEL_UNINSTALL_FOLDER";

// Wine's command processor has no "timeout", and mishandles blocks in parentheses after "for" and
// "if", so the waiting is a flat chain of pings (one second each) with a try after each: the file can
// go once this process has ended, the folder once the file is gone (rmdir takes only an empty one).
std::string CommandLine(bool withFolder) {
  std::string attempt = " & ping -n 2 127.0.0.1 >nul & del /f /q \"%" + std::string(kSelfVariable) + "%\" 2>nul";
  if (withFolder) attempt += " & rmdir \"%" + std::string(kFolderVariable) + "%\" 2>nul";
  std::string chain;
  for (int i = 0; i < 5; ++i) chain += attempt;
  // Drop the leading " & "; /c with the whole chain in one pair of quotes.
  return "/c \"" + chain.substr(3) + "\"";
}

}  // namespace

void DeleteOwnExecutableLater(const std::string& folder) {
  SetEnv(kSelfVariable, ExecutablePath());
  SetEnv(kFolderVariable, folder);
  // Started in the system folder: a command processor working in `folder` would keep it in use.
  std::string directory = GetEnv("SYSTEMROOT");
  if (directory.empty()) directory = GetEnv("TEMP");
  ShellRunVerb("open", "cmd", CommandLine(!folder.empty()), directory, false);
}

}  // namespace platform
