// The installer's messages to the user: the dialog that asks or tells, the line on the console it was
// started from, and the installer window both start-up and the dialogs look for.
#pragma once

#include <string>

namespace ui {
class TForm;
}

namespace installer {

enum class TDialogButtons { OK, YesNo };

// The installer's one way to ask or tell the user; a question nobody can answer is answered No.
int MessageDialog(const std::string& Title, const std::string& Text, TDialogButtons Buttons);
// One line on the console the installer was started from; nothing when it was not.
void ConsoleLine(const std::string& Text);

// From start-up on, messages are the framework's dialogs wherever a window can be shown, and the
// system's message routine elsewhere (no display).
void UseFrameworkMessages();
// Whether a framework window can be shown: the first call starts the system's window backend, once.
bool FrameworkWindowsAvailable();
// Why the answer above is no, as the window system put it; empty where it was not asked or said nothing.
std::string FrameworkWindowsFailure();
// Settles the answer above instead of asking the system (tests run on the headless backend).
void SetFrameworkWindowsAvailable(bool Available);
// The message routine UseFrameworkMessages installs.
int ShowInstallerMessage(const std::string& Title, const std::string& Text, bool Question);

// The installer window as start-up, closing and the dialogs see it; none until the window exists.
class TInstallerWindow {
 public:
  virtual ~TInstallerWindow() = default;
  virtual bool WindowVisible() const = 0;
  virtual void CloseWindow() = 0;
  // Runs the window's message loop until it closes.
  virtual void Run() = 0;
  // The window a dialog is centred on and darkens; none where the window is not a real one.
  virtual ui::TForm* DialogParent() const { return nullptr; }
};
// Set while the window exists.
extern TInstallerWindow* InstallerWindow;

}  // namespace installer
