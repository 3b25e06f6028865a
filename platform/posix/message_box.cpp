// The system's message box on Linux, before a window framework is up: a line on standard error.
#include "platform/message_box.h"

#include <cstdio>

namespace platform {

void ShowMessageBox(const std::string& title, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  std::fflush(stderr);
}

}  // namespace platform
