// The console of the shell that started the program.
#pragma once

#include <array>
#include <string_view>

namespace platform {

// File names (lower case) of the system's command shells: a program started by one of them answers
// on its console.
#ifdef _WIN32
inline constexpr std::array<std::string_view, 2> kCommandShells{"cmd.exe", "powershell.exe"};
#else
inline constexpr std::array<std::string_view, 9> kCommandShells{"sh",  "bash", "dash", "zsh", "ksh",
                                                                "fish", "tcsh", "csh",  "pwsh"};
#endif

// Attaches to the parent process's console (Windows); on Linux the terminal is inherited already.
void AttachParentConsole();
void ReleaseConsole();
// Writes the text and the system's line end (CR LF on Windows) to standard output; throws std::system_error on an output error.
void WriteConsoleLine(std::string_view text);

}  // namespace platform
