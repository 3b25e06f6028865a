// The system's message box on Linux, before a window framework is up: standard error, and a question
// answered on the terminal when there is one.
#include "platform/message_box.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/text.h"

namespace platform {

int ShowMessageBox(const std::string& title, const std::string& text, MessageButtons buttons,
                   int unanswered) {
  // Texts made for the Windows box break their lines with carriage returns, which a terminal would
  // print as one overwritten line.
  const std::string lines = NativeLineBreaks(text);
  std::fprintf(stderr, "%s%s%s\n", title.c_str(), title.empty() ? "" : ": ", lines.c_str());
  if (buttons == MessageButtons::Ok) return kResultOk;
  if (!isatty(STDIN_FILENO)) return unanswered;
  std::fprintf(stderr, "(Yes/No) ");
  std::fflush(stderr);
  std::string answer;
  if (!std::getline(std::cin, answer)) return unanswered;
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y') ? kResultYes : kResultNo;
}

bool CanAskUser() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return isatty(STDIN_FILENO) != 0;
}

}  // namespace platform
