// The console of the shell that started the program.
#pragma once

#include <string_view>

namespace platform {

// Attaches to the parent process's console (Windows); on Linux the terminal is inherited already.
void AttachParentConsole();
void ReleaseConsole();
// Writes the text and a line end to standard output; throws std::system_error on an output error.
void WriteConsoleLine(std::string_view text);

}  // namespace platform
