// The library's one routine for telling the user something: the system's message box until a
// program installs its own (the installer shows its framework dialog, tests record the text).
#pragma once

#include <functional>
#include <string>

namespace vel {

using TMessageRoutine = std::function<void(const std::string& title, const std::string& text)>;

// Shows a modal message with an OK button.
void ShowMessage(const std::string& title, const std::string& text);
// Replaces the routine for the rest of the process; an empty routine restores the system's one.
void SetMessageRoutine(TMessageRoutine routine);

}  // namespace vel
