// Answering on the console of the command prompt the program was started from.
#include "vel/console.h"

#include <algorithm>
#include <system_error>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/process.h"
#include "vel/text.h"

namespace vel {

bool sysconsole::connected = false;
bool sysconsole::outputLost = false;

std::string sysconsole::GetParentProcessName() {
  // Asked before the first window shows: the parent alone, not a walk through every process.
  const std::uint32_t parent = platform::ParentProcessId();
  return parent ? platform::ProcessImagePath(parent) : std::string();
}

bool sysconsole::ConsoleCalled() {
  std::string name = LowerCase(GetParentProcessName());
  std::size_t delim = name.rfind(platform::kPathDelim);
  if (delim != std::string::npos) name.erase(0, delim + 1);
  return std::find(platform::kCommandShells.begin(), platform::kCommandShells.end(), name) !=
         platform::kCommandShells.end();
}

bool sysconsole::Connect(bool force) {
  if (connected || outputLost) return false;
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
  if (!(connected || Connect(false))) return;
  // A console line is a report, not the work: a reader that went away or a full device ends the
  // reporting, never the program.
  try {
    platform::WriteConsoleLine(text);
  } catch (const std::system_error&) {
    Disconnect();
    outputLost = true;
  }
}

}  // namespace vel
