// Splitting a command-line string into parameters.
#include "platform/command_line.h"

namespace platform {

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> result;
  std::size_t i = 0;
  for (;;) {
    while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
    if (i >= line.size()) break;
    std::string param;
    bool quoted = false;
    while (i < line.size() && (quoted || static_cast<unsigned char>(line[i]) > ' ')) {
      if (line[i] == '"')
        quoted = !quoted;
      else
        param += line[i];
      ++i;
    }
    result.push_back(std::move(param));
  }
  return result;
}

}  // namespace platform
