// Answering on the console of the command prompt the program was started from.
#pragma once

#include <string>
#include <string_view>

namespace vel {

class sysconsole {
 public:
  sysconsole() = delete;

  // The parent process is one of the system's command shells.
  static bool ConsoleCalled();
  static std::string GetParentProcessName();
  static bool Connect(bool force);
  static void Disconnect();
  static void QuickOutput(std::string_view text);

 private:
  static bool connected;
  // The console's output failed once (its reader went away, its device is full): no more lines.
  static bool outputLost;
};

}  // namespace vel
