// The library's message routine and its replacement by a program.
#include "vel/message.h"

#include "platform/message_box.h"

namespace vel {
namespace {

// Process-wide on purpose: it is the one door through which the library speaks to the user.
TMessageRoutine& Routine() {
  static TMessageRoutine routine;
  return routine;
}

}  // namespace

void ShowMessage(const std::string& title, const std::string& text) {
  if (Routine())
    Routine()(title, text);
  else
    platform::ShowMessageBox(title, text);
}

void SetMessageRoutine(TMessageRoutine routine) { Routine() = std::move(routine); }

}  // namespace vel
