// The wizard's logic: which page follows which, what the buttons do, the settings page's checks, the
// installation driven by the install timer, and how the window closes. The window is reached only
// through TWizardView, so the logic runs the same with a real window or a test's stand-in.
#pragma once

#include <set>
#include <string>

#include "installer/closing.h"
#include "installer/messages.h"
#include "installer/state.h"
#include "ui/timer.h"

namespace ui {
class TApplication;
class TForm;
}

namespace installer {

// The installer window as the wizard drives it. Controls are named as in the window: check boxes
// "Option_1".."Option_3", "Extension_1".."Extension_3", "Create_Desktop", "Create_StartMenu",
// "License_Agree", the toggles "InstallType_AllUser" and "InstallType_ThisUser"; buttons
// "Navigation_Previous", "Navigation_Next", "Navigation_Install", "Navigation_Close".
class TWizardView {
 public:
  virtual ~TWizardView() = default;

  // Slides the page `Page` in over `Previous` (0: none); `Previous` is hidden when the slide ends.
  virtual void ShowPage(TPage Page, TPage Previous) = 0;
  virtual void SetButtonVisible(const std::string& Button, bool Visible) = 0;
  virtual bool Checked(const std::string& Control) const = 0;
  // Does not report the change back to the wizard, as a user's click would.
  virtual void SetChecked(const std::string& Control, bool Value) = 0;
  // The install folder's edit, Option_SetPath.
  virtual std::string PathText() const = 0;
  virtual void SetPathText(const std::string& Text) = 0;
  // The caption of Process_Name on the processes page.
  virtual void SetProcessName(const std::string& Text) = 0;
  // Install_Progress, 0 to 100.
  virtual void SetProgress(int Value) = 0;
  // Drawing stops between the two while a page change rearranges the window; they pair up.
  virtual void FreezeDrawing() = 0;
  virtual void UnfreezeDrawing() = 0;
  virtual bool Visible() const = 0;
  // Asks the window to close: it calls TWizard::FormCloseQuery and closes when that allows it.
  virtual void Close() = 0;
  // The window the wizard's dialogs are centred on and darken; none for a stand-in.
  virtual ui::TForm* DialogParent() { return nullptr; }
};

// The tags of the buttons NavClicker handles (Next and Install share one).
namespace NavTag {
inline constexpr int Previous = 1;
inline constexpr int Next = 2;
inline constexpr int Close = 3;
inline constexpr int Run = 4;
inline constexpr int DeleteFiles = 5;
}  // namespace NavTag

class TWizard final : public TInstallerWindow {
 public:
  // The wizard is the installer window for start-up and closing while it exists.
  explicit TWizard(TWizardView& View);
  TWizard(TWizardView& View, ui::TApplication& App);
  ~TWizard() override;
  TWizard(const TWizard&) = delete;
  TWizard& operator=(const TWizard&) = delete;

  // The end of the window's creation: the temporary folder, then the first page (the install-type
  // page when the build lets the user choose and nothing chose yet).
  void Start();

  void GoNext();
  void GoPrevious();
  // The raw neighbours; 0 means stay.
  TPage NextPage(TPage Page);
  TPage PreviousPage(TPage Page) const;
  bool PageAllowed(TPage Page) const;
  void ShowPage(TPage Page);
  void LoadSettingsPage();
  // Answers false, after telling the user why, when the typed folder is refused.
  bool ApplySettingsPage();

  void InstallTickTimer();
  void FinishInstall();
  void DeleteTemporaryFiles();

  void NavClicker(int Tag);
  void InstallType_AllUserCheck(const std::string& Sender);
  void Navigation_TerminateClick();
  // The window asks before it closes, however it was asked to; it always may.
  bool FormCloseQuery();

  ui::TTimer& InstallTick() { return installTick_; }
  bool IsClosing() const { return isClosing_; }

  // TInstallerWindow
  bool WindowVisible() const override;
  void CloseWindow() override;
  void Run() override;
  ui::TForm* DialogParent() const override { return view_.DialogParent(); }

 private:
  void RunStep(std::int32_t Step);

  TWizardView& view_;
  ui::TApplication& app_;
  ui::TTimer installTick_;
  bool isClosing_ = false;
  bool togglingInstallType_ = false;
};

}  // namespace installer
