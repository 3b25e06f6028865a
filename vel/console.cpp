// Answering on the console of the command prompt the program was started from.
#include "vel/console.h"

#include <algorithm>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/process.h"
#include "vel/text.h"

namespace vel {

bool sysconsole::connected = false;

std::string sysconsole::GetParentProcessName() {
  std::uint32_t self = platform::CurrentProcessId();
  for (const platform::ProcessEntry& e : platform::ListProcesses())
    if (e.pid == self) return platform::ProcessImagePath(e.parentPid);
  return {};
}

bool sysconsole::ConsoleCalled() {
  std::string name = LowerCase(GetParentProcessName());
  std::size_t delim = name.rfind(platform::kPathDelim);
  if (delim != std::string::npos) name.erase(0, delim + 1);
  return std::find(platform::kCommandShells.begin(), platform::kCommandShells.end(), name) !=
         platform::kCommandShells.end();
}

bool sysconsole::Connect(bool force) {
  if (connected) return false;
  if (!force && !ConsoleCalled()) return false;
  platform::AttachParentConsole();
  connected = true;
  return true;
}

void sysconsole::Disconnect() {
  connected = false;
  platform::ReleaseConsole();
}

void sysconsole::QuickOutput(std::string_view text) {
  if (connected || Connect(false)) platform::WriteConsoleLine(text);
}

}  // namespace vel
