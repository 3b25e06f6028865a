// The installer's messages: framework dialogs where a window can be shown, the system's routine
// elsewhere, and console lines.
#include "installer/messages.h"

#include <optional>

#include "installer/log.h"
#include "lux/dialogs.h"
#include "platform/message_box.h"
#include "platform/window.h"
#include "ui/application.h"
#include "vel/console.h"
#include "vel/message.h"

namespace installer {

TInstallerWindow* InstallerWindow = nullptr;

namespace {

// Asked once per process: starting the system's windows is not something to retry per message.
struct WindowsAnswer {
  std::optional<bool> available;
  // What the window system said when it could not be started.
  std::string failure;
};
WindowsAnswer& Windows() {
  static WindowsAnswer answer;
  return answer;
}

}  // namespace

int MessageDialog(const std::string& Title, const std::string& Text, TDialogButtons Buttons) {
  const bool question = Buttons == TDialogButtons::YesNo;
  return vel::ShowMessage(Title, Text, question ? vel::TMsgButtons::YesNo : vel::TMsgButtons::Ok,
                          question ? vel::mrNo : vel::mrOk);
}

void ConsoleLine(const std::string& Text) {
  LogLine(Text);
  // The process that started this one stays the same for the whole run: asked once, not for every
  // line (on Windows the question walks the system's process list).
  static const bool console = vel::sysconsole::ConsoleCalled();
  if (console) vel::sysconsole::QuickOutput(Text);
}

bool FrameworkWindowsAvailable() {
  std::optional<bool>& available = Windows().available;
  if (available) return *available;
  available = false;
  try {
    platform::SetWindowBackend(platform::CreateSystemBackend());
    available = true;
  } catch (const std::exception& error) {
    // No display (or no window system this build can use): the system's routine speaks instead.
    Windows().failure = error.what();
    LogLine("The window system cannot be started: " + Windows().failure);
  }
  return *available;
}

std::string FrameworkWindowsFailure() { return Windows().failure; }

void SetFrameworkWindowsAvailable(bool Available) { Windows().available = Available; }

int ShowInstallerMessage(const std::string& Title, const std::string& Text, bool Question) {
  const int unanswered = Question ? vel::mrNo : vel::mrOk;
  if (!FrameworkWindowsAvailable())
    return platform::ShowMessageBox(Title, Text, Question ? platform::MessageButtons::YesNo : platform::MessageButtons::Ok,
                                    unanswered);
  lux::FXDialog dialog;
  dialog.SetTitle(Title);
  dialog.SetText(Text);
  dialog.SetButtons(Question ? lux::TMsgDlgButtons{lux::TMsgDlgBtn::Yes, lux::TMsgDlgBtn::No}
                             : lux::TMsgDlgButtons{lux::TMsgDlgBtn::OK});
  if (InstallerWindow && InstallerWindow->WindowVisible()) dialog.SetParent(InstallerWindow->DialogParent());
  const int result = dialog.Execute();
  // Only the dialog's own answers count; anything else (a close it could not refuse) is the safe one.
  return result == vel::mrOk || result == vel::mrYes || result == vel::mrNo ? result : unanswered;
}

void UseFrameworkMessages() {
  vel::SetMessageRoutine([](const std::string& Title, const std::string& Text, vel::TMsgButtons Buttons) {
    return ShowInstallerMessage(Title, Text, Buttons == vel::TMsgButtons::YesNo);
  });
}

}  // namespace installer
