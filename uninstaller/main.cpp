// The uninstaller's program: removes the installation it was written into.
#include <filesystem>
#include <string>

#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "uninstaller/uninstall.h"
#include "vel/processes.h"
#include "vel/text.h"

int main() {
  bool silent = false;
  // GetParameter reads "/silent" as "-silent"; a switch on Windows is typed in any letter case.
  for (int i = 1; i <= vel::ParamCount(); ++i)
    if (vel::SameText(vel::GetParameter(i), "-silent")) silent = true;
  // The question would go unanswered, and a declined removal looks the same as one never offered.
  if (!silent && !platform::CanAskUser()) return uninstaller::RefuseWithoutUser();
  const std::filesystem::path self = platform::ToPath(platform::ExecutablePath());
  return uninstaller::RunUninstall(platform::FromPath(self.parent_path()), silent);
}
