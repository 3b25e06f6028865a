// The system's own message box: a modal window on Windows, standard error on Linux.
#pragma once

#include <string>

namespace platform {

void ShowMessageBox(const std::string& title, const std::string& text);

}  // namespace platform
