// The system's own message box: a modal window on Windows; standard error (and the terminal's answer,
// when there is one) on Linux.
#pragma once

#include <string>

namespace platform {

enum class MessageButtons { Ok, YesNo };

// Modal results, numbered as the system numbers them.
inline constexpr int kResultOk = 1;
inline constexpr int kResultYes = 6;
inline constexpr int kResultNo = 7;

// Shows the message and answers the button pressed. Where nobody can answer (no window system, no
// terminal), it answers `unanswered`.
int ShowMessageBox(const std::string& title, const std::string& text,
                   MessageButtons buttons = MessageButtons::Ok, int unanswered = kResultOk);

// Whether the system's box can reach someone who answers: a desktop to show it on (Windows; Linux: a
// display), or on Linux a terminal to ask on. Without one, a question can only answer `unanswered`.
bool CanAskUser();

}  // namespace platform
