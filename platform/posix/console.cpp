// The console on Linux: a program inherits its parent's terminal, so attaching needs nothing.
#include "platform/console.h"

#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace platform {

void AttachParentConsole() {}

void ReleaseConsole() {}

void WriteConsoleLine(std::string_view text) {
  std::string line(text);
  line += '\n';
  const char* p = line.data();
  std::size_t left = line.size();
  while (left > 0) {
    ssize_t n = write(STDOUT_FILENO, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "standard output");
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

}  // namespace platform
