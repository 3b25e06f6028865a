// The wizard's page flow, settings checks, install timer and closing.
#include "installer/wizard.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <optional>
#include <vector>

#include "installer/engine.h"
#include "installer/log.h"
#include "installer/install_path.h"
#include "installer/processes.h"
#include "installer/record.h"
#include "platform/files.h"
#include "ui/application.h"
#include "vel/files.h"
#include "vel/message.h"
#include "vel/text.h"

namespace installer {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kInstallTickInterval = 800;
constexpr std::int32_t kStepCount = 5;

struct TCheckBinding {
  const char* Control;
  bool TInstallOptions::*Option;
};
// The settings page's check boxes and the choices they stand for.
constexpr TCheckBinding kSettingsChecks[] = {
    {"Option_1", &TInstallOptions::Option1},
    {"Option_2", &TInstallOptions::Option2},
    {"Option_3", &TInstallOptions::Option3},
    {"Extension_1", &TInstallOptions::Extension1},
    {"Extension_2", &TInstallOptions::Extension2},
    {"Extension_3", &TInstallOptions::Extension3},
    {"Create_Desktop", &TInstallOptions::CreateDesktop},
    {"Create_StartMenu", &TInstallOptions::CreateStartMenu},
};

class TFrozenDrawing {
 public:
  explicit TFrozenDrawing(TWizardView& view) : view_(view) { view_.FreezeDrawing(); }
  ~TFrozenDrawing() { view_.UnfreezeDrawing(); }
  TFrozenDrawing(const TFrozenDrawing&) = delete;
  TFrozenDrawing& operator=(const TFrozenDrawing&) = delete;

 private:
  TWizardView& view_;
};

constexpr const char* kInvalidFolder = "The installation path of the application is invalid!";

bool RefuseFolder(const std::string& Text) {
  MessageDialog("Invalid Path", Text, TDialogButtons::OK);
  return false;
}

}  // namespace

TWizard::TWizard(TWizardView& View) : TWizard(View, ui::Application()) {}

TWizard::TWizard(TWizardView& View, ui::TApplication& App) : view_(View), app_(App), installTick_(App) {
  installTick_.SetEnabled(false);
  installTick_.SetInterval(kInstallTickInterval);
  installTick_.OnTimer = [this] { InstallTickTimer(); };
  InstallerWindow = this;
}

TWizard::~TWizard() {
  if (InstallerWindow == this) InstallerWindow = nullptr;
}

void TWizard::Start() {
  TempFolder = DefaultTempFolder();
  if (StartPage == 2 && InstallOptions.InstallSupport == TInstallSupport::Both &&
      InstallOptions.InstallPick == TInstallPick::Unset)
    StartPage = 1;
  ShowPage(StartPage);
}

void TWizard::GoNext() {
  TPage page = CurrentPage;
  do page = NextPage(page);
  while (!PageAllowed(page));
  ShowPage(page);
}

void TWizard::GoPrevious() {
  TPage page = CurrentPage;
  do page = PreviousPage(page);
  while (!PageAllowed(page));
  ShowPage(page);
}

TPage TWizard::NextPage(TPage Page) {
  switch (Page) {
    case 0:
      return 0;
    case 1:
      if (InstallOptions.InstallPick == TInstallPick::AllUser && !IsElevated) RestartAsAdmin("-alluser");
      if (InstallOptions.InstallPick != TInstallPick::Unset) return 2;
      MessageDialog("Installation type", "Please choose a installation type", TDialogButtons::OK);
      return 0;
    case 2:
    case 3:
      if (FindRunningCopy()) {
        view_.SetProcessName(AppOptions.ExeOfPath);
        return Page == 2 ? 3 : 0;
      }
      return 4;
    case 4:
      if (!InstallOptions.HasEULA || view_.Checked("License_Agree")) return 5;
      MessageDialog("License Agreement", "Please accept the license agreement to install this application.",
                    TDialogButtons::OK);
      return 0;
    default:
      return static_cast<TPage>(Page + 1);
  }
}

TPage TWizard::PreviousPage(TPage Page) const {
  if (Page <= 2) return 0;
  // The processes page is never returned to.
  if (Page == 4) return 2;
  return static_cast<TPage>(Page - 1);
}

bool TWizard::PageAllowed(TPage Page) const {
  const TInstallOptions& o = InstallOptions;
  if (Page == 4) return o.HasEULA;
  if (Page == 5)
    return o.AllowCustomPath || o.AllowExtensions || o.AllowOptions || (o.AllowCreateShortcut && o.CanBeRun);
  return true;
}

void TWizard::ShowPage(TPage Page) {
  if (Page == 0) return;
  if (Page == 7) installTick_.SetEnabled(true);
  if (Page == 5) LoadSettingsPage();
  // Leaving the settings page in either direction takes what was typed, or stays.
  if (CurrentPage == 5 && !ApplySettingsPage()) return;

  TFrozenDrawing frozen(view_);
  const TPage previous = CurrentPage;
  CurrentPage = Page;
  view_.SetButtonVisible("Navigation_Previous", Page >= 3 && Page <= 6);
  view_.SetButtonVisible("Navigation_Next", Page >= 1 && Page <= 5);
  view_.SetButtonVisible("Navigation_Install", Page == 6);
  view_.SetButtonVisible("Navigation_Close", Page == 8 || Page == 9);
  view_.ShowPage(Page, previous);
}

void TWizard::LoadSettingsPage() {
  if (InstallOptions.InstallPath.empty())
    InstallOptions.InstallPath = InstallOptions.InstallPick == TInstallPick::AllUser ? InstallOptions.InstallPathAll
                                                                                     : InstallOptions.InstallPathUser;
  for (const TCheckBinding& check : kSettingsChecks) view_.SetChecked(check.Control, InstallOptions.*check.Option);
  view_.SetPathText(InstallOptions.InstallPath);
}

bool TWizard::ApplySettingsPage() {
  // The choices count even when the folder is refused.
  for (const TCheckBinding& check : kSettingsChecks) InstallOptions.*check.Option = view_.Checked(check.Control);

  // Typed the way "-installpath" takes it. A relative folder would hang on whatever the current
  // folder happens to be, so the window takes none.
  const std::string expanded = ExpandInstallPath(view_.PathText());
  if (!IsAbsolutePath(expanded)) return RefuseFolder(kInvalidFolder);
  const std::string path = AbsoluteInstallPath(expanded);
  if (!UsableInstallFolder(path)) return RefuseFolder(kInvalidFolder);
  std::string trimmed = path;
  if (!trimmed.empty() && trimmed.back() == vel::PathDelim) trimmed.pop_back();
  const std::string parent = vel::ExtractFilePath(trimmed);
  if (!vel::DirectoryExists(parent)) {
    std::error_code ec;
    fs::create_directories(platform::ToPath(parent), ec);
    if (ec || !vel::DirectoryExists(parent)) return RefuseFolder(kInvalidFolder);
  }
  if (PathInFolder(path, vel::ExpandPath("%PROGRAMFILES%")) && !IsElevated)
    return RefuseFolder("You need to restart this app as administrator to install to that location.");
  if (PathInFolder(path, vel::ExpandPath("%SYSTEMROOT%")))
    return RefuseFolder("You can't install this app there. Windows will not like that.");
  InstallOptions.InstallPath = path;
  return true;
}

void TWizard::InstallTickTimer() {
  view_.SetProgress(static_cast<int>(std::lround(CurrentStep * 100.0 / kStepCount)));
  ++CurrentStep;
  if (CurrentStep > kStepCount || InstallFailed) FinishInstall();
  RunStep(CurrentStep);
}

void TWizard::RunStep(std::int32_t Step) {
  const auto started = std::chrono::steady_clock::now();
  auto logStep = [&](const std::string& Outcome) {
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    LogLine("Step " + std::to_string(Step) + ": " + std::to_string(ms) + " ms" + Outcome);
  };
  try {
    RunInstallStep(Step);
  } catch (const std::exception& e) {
    // The step did not finish: the installation failed, whatever the error report says about it.
    InstallFailed = true;
    logStep(std::string(", failed: ") + e.what());
    throw;
  }
  if (Step <= 5) logStep(InstallFailed ? ", failed" : "");
}

void TWizard::FinishInstall() {
  installTick_.SetEnabled(false);
  if (view_.Visible()) ShowPage(InstallFailed ? 9 : 8);
  DoAfterFinish();
}

void TWizard::DeleteTemporaryFiles() {
  if (MessageDialog("Are you sure?", "Are you sure you want to delete all the temporary files",
                    TDialogButtons::YesNo) != vel::mrYes)
    return;
  const fs::path archive = platform::ToPath(ArchivePath());
  if (fs::is_regular_file(archive)) fs::remove(archive);

  // Only what this run wrote goes, and the folders that leaves empty: the folder may have held the
  // user's own files before.
  if (vel::DirectoryExists(InstallOptions.InstallPath)) {
    const fs::path root = platform::ToPath(vel::IncludeTrailingPathDelimiter(InstallOptions.InstallPath)).parent_path();
    std::vector<std::string> files = WrittenFiles;
    files.insert(files.end(), WrittenBesides.begin(), WrittenBesides.end());
    std::set<fs::path> folders{root};
    for (const std::string& file : files) {
      fs::path path = root / platform::ToPath(file);
      fs::remove(path);
      for (fs::path folder = path.parent_path(); folder != root && folder.has_relative_path();
           folder = folder.parent_path())
        folders.insert(folder);
    }
    // Deepest first, so a folder is looked at after everything below it.
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
      if (fs::is_directory(*folder) && fs::is_empty(*folder)) fs::remove(*folder);
  }
  for (const std::string& link : WrittenShortcuts) fs::remove(platform::ToPath(link));
  WrittenShortcuts.clear();
  UndoRegistryRecord();
}

void TWizard::NavClicker(int Tag) {
  switch (Tag) {
    case NavTag::Previous: GoPrevious(); break;
    case NavTag::Next: GoNext(); break;
    case NavTag::Close: view_.Close(); break;
    case NavTag::Run: StartProgramAndClose(); break;
    case NavTag::DeleteFiles: DeleteTemporaryFiles(); break;
    default: break;
  }
}

void TWizard::InstallType_AllUserCheck(const std::string& Sender) {
  // A window whose toggles report changes made here would call back; the outer call decides.
  if (togglingInstallType_) return;
  togglingInstallType_ = true;
  if (Sender == "InstallType_AllUser") view_.SetChecked("InstallType_ThisUser", false);
  if (Sender == "InstallType_ThisUser") view_.SetChecked("InstallType_AllUser", false);
  togglingInstallType_ = false;
  InstallOptions.InstallPick = view_.Checked("InstallType_AllUser") ? TInstallPick::AllUser : TInstallPick::User;
}

void TWizard::Navigation_TerminateClick() { FoundProcess.KillProcess(); }

bool TWizard::FormCloseQuery() {
  // CloseInstaller asks the window to close once more; that nested request finds the flag and goes ahead.
  if (!isClosing_) {
    isClosing_ = true;
    CloseInstaller();
  }
  return true;
}

bool TWizard::WindowVisible() const { return view_.Visible(); }

void TWizard::CloseWindow() { view_.Close(); }

void TWizard::Run() {
  app_.RunUntil([this] { return !view_.Visible(); });
}

}  // namespace installer
