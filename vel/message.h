// The library's one routine for telling or asking the user something: the system's message box until
// a program installs its own (the installer shows its framework dialog, tests answer in code).
#pragma once

#include <functional>
#include <string>

#include "platform/message_box.h"

namespace vel {

using TMsgButtons = platform::MessageButtons;
inline constexpr int mrOk = platform::kResultOk;
inline constexpr int mrYes = platform::kResultYes;
inline constexpr int mrNo = platform::kResultNo;

using TMessageRoutine =
    std::function<int(const std::string& title, const std::string& text, TMsgButtons buttons)>;

// Shows a modal message and answers the modal result. Where nobody can answer, the system's box
// answers `unanswered`, the safe choice the caller names.
int ShowMessage(const std::string& title, const std::string& text, TMsgButtons buttons = TMsgButtons::Ok,
                int unanswered = mrOk);
// Replaces the routine for the rest of the process; an empty routine restores the system's one.
void SetMessageRoutine(TMessageRoutine routine);

}  // namespace vel
