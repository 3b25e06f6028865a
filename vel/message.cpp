// The library's message routine and its replacement by a program.
#include "vel/message.h"

namespace vel {
namespace {

// Process-wide on purpose: it is the one door through which the library speaks to the user.
TMessageRoutine& Routine() {
  static TMessageRoutine routine;
  return routine;
}

}  // namespace

int ShowMessage(const std::string& title, const std::string& text, TMsgButtons buttons, int unanswered) {
  if (Routine()) return Routine()(title, text, buttons);
  return platform::ShowMessageBox(title, text, buttons, unanswered);
}

void SetMessageRoutine(TMessageRoutine routine) { Routine() = std::move(routine); }

}  // namespace vel
