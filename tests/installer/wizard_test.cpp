// The wizard driven through a stand-in window: the page graph of several builds, the settings checks,
// the install timer over real installations, the running-process check and the error page's clean-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "child_process.h"
#include "file_tree.h"
#include "install_traces.h"
#include "loop_clock.h"
#include "installer/processes.h"
#include "installer/record.h"
#include "installer/state.h"
#include "installer/wizard.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shortcut.h"
#include "ui/application.h"
#include "vel/files.h"
#include "vel/message.h"
#include "vel/registry.h"

using namespace installer;
using testsupport::ReadFile;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string d(1, vel::PathDelim);
const std::string kRecord =
    "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarrow Studio";
const std::string kInvalid = "The installation path of the application is invalid!";
const std::string kNeedsAdmin = "You need to restart this app as administrator to install to that location.";
const std::string kSystemFolder = "You can't install this app there. Windows will not like that.";
const std::string kAreYouSure = "Are you sure?: Are you sure you want to delete all the temporary files";

// The window as the wizard sees it, keeping what it was told.
class TTestView : public TWizardView {
 public:
  TWizard* Wizard = nullptr;
  // A window whose toggles report changes made in code as well as clicks.
  bool ReportsToggles = false;
  std::vector<std::pair<TPage, TPage>> Slides;
  std::map<std::string, bool> Checks;
  std::set<std::string> Buttons;
  std::string Path, ProcessName;
  std::vector<int> Progress;
  int Frozen = 0;
  bool SlidUnfrozen = false;
  bool Shown = true;
  int Closes = 0;

  void ShowPage(TPage Page, TPage Previous) override {
    if (Frozen == 0) SlidUnfrozen = true;
    Slides.emplace_back(Page, Previous);
  }
  void SetButtonVisible(const std::string& Button, bool Visible) override {
    if (Visible)
      Buttons.insert(Button);
    else
      Buttons.erase(Button);
  }
  bool Checked(const std::string& Control) const override {
    auto found = Checks.find(Control);
    return found != Checks.end() && found->second;
  }
  void SetChecked(const std::string& Control, bool Value) override {
    bool changed = Checked(Control) != Value;
    Checks[Control] = Value;
    if (changed && ReportsToggles && Control.starts_with("InstallType_")) Wizard->InstallType_AllUserCheck(Control);
  }
  std::string PathText() const override { return Path; }
  void SetPathText(const std::string& Text) override { Path = Text; }
  void SetProcessName(const std::string& Text) override { ProcessName = Text; }
  void SetProgress(int Value) override { Progress.push_back(Value); }
  void FreezeDrawing() override { ++Frozen; }
  void UnfreezeDrawing() override { --Frozen; }
  bool Visible() const override { return Shown; }
  void Close() override {
    if (!Shown || !Wizard->FormCloseQuery()) return;
    // The close query's own request may have closed the window already.
    if (!Shown) return;
    Shown = false;
    ++Closes;
  }

  // The visible navigation buttons, in their row's order.
  std::string VisibleButtons() const {
    std::string list;
    for (const char* name : {"Navigation_Previous", "Navigation_Next", "Navigation_Install", "Navigation_Close"}) {
      if (!Buttons.count(name)) continue;
      if (!list.empty()) list += ' ';
      list += std::string(name).substr(std::string("Navigation_").size());
    }
    return list;
  }
};

// A view and its wizard, wired as the window wires them.
struct TWindow {
  TTestView View;
  TWizard Wizard{View};
  TWindow() { View.Wizard = &Wizard; }
};

bool Exists(const fs::path& path) { return fs::exists(path); }
fs::path P(const std::string& path) { return platform::ToPath(path); }

// Everything below a folder, relative, in order.
std::vector<std::string> Tree(const fs::path& folder) {
  std::vector<std::string> entries;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(folder))
    entries.push_back(platform::FromPath(fs::relative(e.path(), folder)));
  std::sort(entries.begin(), entries.end());
  return entries;
}

// The button row each page shows.
std::string ButtonsOf(TPage page) {
  static const std::map<TPage, std::string> kRows = {
      {1, "Next"}, {2, "Next"}, {3, "Previous Next"}, {4, "Previous Next"}, {5, "Previous Next"},
      {6, "Previous Install"}, {7, ""}, {8, "Close"}, {9, "Close"},
  };
  return kRows.at(page);
}

// An environment variable changed for one test.
class TEnvOverride {
 public:
  TEnvOverride(std::string name, const std::string& value) : name_(std::move(name)), old_(platform::GetEnv(name_)) {
    platform::SetEnv(name_, value);
  }
  ~TEnvOverride() { platform::SetEnv(name_, old_); }

 private:
  std::string name_, old_;
};

class WizardTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetState();
    SetDefaults();
    root = testsupport::MakeTempFolder();
    folder = platform::FromPath(root / "Quarrow Studio");
    vel::SetMessageRoutine([this](const std::string& title, const std::string& text, vel::TMsgButtons) {
      dialogs.push_back(title + ": " + text);
      return answer;
    });
    for (vel::TUserFolder f : {vel::TUserFolder::Programs, vel::TUserFolder::Desktop})
      fs::create_directories(P(vel::GetUserFolder(f)));
    Clean();
  }
  void TearDown() override {
    vel::SetMessageRoutine({});
    Clean();
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  static void Clean() { testsupport::RemoveInstallTraces(); }
  static bool RecordExists() { return vel::TWinRegistry().KeyExists(kRecord); }

  void ExpectPage(TPage page) {
    EXPECT_EQ(CurrentPage, page);
    ASSERT_FALSE(window.View.Slides.empty());
    EXPECT_EQ(window.View.Slides.back().first, page);
    EXPECT_EQ(window.View.VisibleButtons(), ButtonsOf(page)) << "page " << int(page);
  }

  // Starts an installation at once, as "-start" does, into `folder`.
  static void StartInstalling(TWindow& w, const std::string& into) {
    InstallOptions.InstallPath = into;
    StartPage = 7;
    w.Wizard.Start();
  }

  fs::path root;
  std::string folder;
  std::vector<std::string> dialogs;
  int answer = vel::mrOk;
  // The install timer ticks only when a test moves this clock.
  testsupport::TLoopClock clock;
  TWindow window;
};

TEST_F(WizardTest, DefaultBuildGoesTwoFourFiveSixAndBack) {
  TWizard& w = window.Wizard;
  TTestView& v = window.View;
  w.Start();
  ExpectPage(2);
  w.NavClicker(NavTag::Next);
  ExpectPage(4);

  // No agreement, no way on.
  w.NavClicker(NavTag::Next);
  ExpectPage(4);
  EXPECT_EQ(dialogs, std::vector<std::string>{
                         "License Agreement: Please accept the license agreement to install this application."});
  v.Checks["License_Agree"] = true;
  w.NavClicker(NavTag::Next);
  ExpectPage(5);
  // Entering the settings page fills it from the state.
  EXPECT_EQ(InstallOptions.InstallPath, InstallOptions.InstallPathUser);
  EXPECT_EQ(v.Path, InstallOptions.InstallPathUser);
  EXPECT_TRUE(v.Checked("Create_Desktop"));
  EXPECT_TRUE(v.Checked("Create_StartMenu"));
  EXPECT_FALSE(v.Checked("Option_1"));

  v.Path = folder;
  w.NavClicker(NavTag::Next);
  ExpectPage(6);
  EXPECT_EQ(InstallOptions.InstallPath, folder);
  w.NavClicker(NavTag::Previous);
  ExpectPage(5);
  EXPECT_EQ(v.Path, folder);
  w.NavClicker(NavTag::Previous);
  ExpectPage(4);
  w.NavClicker(NavTag::Previous);
  ExpectPage(2);
  // There is nothing before the welcome page, and no page after it but by Next.
  w.GoPrevious();
  w.NavClicker(0);
  w.NavClicker(6);
  ExpectPage(2);

  const std::vector<std::pair<TPage, TPage>> slides = {{2, 0}, {4, 2}, {5, 4}, {6, 5}, {5, 6}, {4, 5}, {2, 4}};
  EXPECT_EQ(v.Slides, slides);
  EXPECT_EQ(v.Frozen, 0);
  EXPECT_FALSE(v.SlidUnfrozen);
  EXPECT_FALSE(w.InstallTick().Enabled());
  EXPECT_EQ(dialogs.size(), 1u);
}

TEST_F(WizardTest, ABuildWithoutLicencePassesFromWelcomeToSettings) {
  InstallOptions.HasEULA = false;
  window.Wizard.Start();
  window.Wizard.GoNext();
  ExpectPage(5);
  window.Wizard.GoPrevious();
  ExpectPage(2);
  EXPECT_EQ(window.View.Slides, (std::vector<std::pair<TPage, TPage>>{{2, 0}, {5, 2}, {2, 5}}));
  EXPECT_TRUE(dialogs.empty());
}

TEST_F(WizardTest, ABuildWithoutSettingsSkipsThemAndFailsInTheFirstStep) {
  InstallOptions.AllowCustomPath = InstallOptions.AllowExtensions = InstallOptions.AllowOptions = false;
  InstallOptions.AllowCreateShortcut = false;
  TWizard& w = window.Wizard;
  TTestView& v = window.View;
  v.Checks["License_Agree"] = true;
  w.Start();
  w.GoNext();
  w.GoNext();
  ExpectPage(6);
  w.GoPrevious();
  ExpectPage(4);
  w.GoNext();
  ExpectPage(6);
  EXPECT_EQ(InstallOptions.InstallPath, "");

  // Install, on the loop's timer: step 1 fails, the next tick shows the error page after step 2 ran
  // (it leaves the archive), and nothing ticks after that.
  w.NavClicker(NavTag::Next);
  ExpectPage(7);
  EXPECT_TRUE(w.InstallTick().Enabled());
  clock.Pass(800ms);
  EXPECT_EQ(v.Progress, (std::vector<int>{0}));
  EXPECT_EQ(CurrentPage, 7);
  clock.Pass(800ms);
  ExpectPage(9);
  clock.Pass(800ms);
  clock.Pass(10s);
  EXPECT_EQ(v.Progress, (std::vector<int>{0, 20}));
  EXPECT_EQ(CurrentStep, 2);
  EXPECT_TRUE(InstallFailed);
  EXPECT_FALSE(w.InstallTick().Enabled());
  EXPECT_TRUE(Exists(P(ArchivePath())));

  // The error page's button takes the archive away once the user says Yes.
  w.NavClicker(NavTag::DeleteFiles);
  EXPECT_TRUE(Exists(P(ArchivePath())));
  answer = vel::mrYes;
  w.NavClicker(NavTag::DeleteFiles);
  EXPECT_FALSE(Exists(P(ArchivePath())));
  EXPECT_EQ(dialogs, std::vector<std::string>(2, kAreYouSure));
}

TEST_F(WizardTest, InstallTypePageAndItsToggles) {
  struct TClick {
    const char* Sender;
    bool Checked;
    bool AllUser, ThisUser;
    TInstallPick Pick;
  };
  const TClick clicks[] = {
      {"InstallType_AllUser", true, true, false, TInstallPick::AllUser},
      {"InstallType_ThisUser", true, false, true, TInstallPick::User},
      {"InstallType_AllUser", true, true, false, TInstallPick::AllUser},
      // Switched off without the other switched on.
      {"InstallType_AllUser", false, false, false, TInstallPick::User},
      {"InstallType_AllUser", true, true, false, TInstallPick::AllUser},
  };
  for (bool reports : {false, true}) {
    SCOPED_TRACE(reports ? "toggles report changes made in code" : "toggles report clicks only");
    ResetState();
    SetDefaults();
    InstallOptions.InstallSupport = TInstallSupport::Both;
    InstallOptions.InstallPick = TInstallPick::Unset;
    IsElevated = true;
    dialogs.clear();
    TWindow w;
    w.View.ReportsToggles = reports;
    w.Wizard.Start();
    EXPECT_EQ(CurrentPage, 1);
    EXPECT_EQ(w.View.VisibleButtons(), "Next");
    w.Wizard.GoNext();
    EXPECT_EQ(CurrentPage, 1);
    EXPECT_EQ(dialogs, std::vector<std::string>{"Installation type: Please choose a installation type"});

    for (const TClick& click : clicks) {
      SCOPED_TRACE(std::string(click.Sender) + (click.Checked ? " on" : " off"));
      w.View.Checks[click.Sender] = click.Checked;
      w.Wizard.InstallType_AllUserCheck(click.Sender);
      EXPECT_EQ(w.View.Checked("InstallType_AllUser"), click.AllUser);
      EXPECT_EQ(w.View.Checked("InstallType_ThisUser"), click.ThisUser);
      EXPECT_EQ(InstallOptions.InstallPick, click.Pick);
    }
    // With administrator rights the all-users choice goes on; there is no way back to the choice.
    w.Wizard.GoNext();
    EXPECT_EQ(CurrentPage, 2);
    w.Wizard.GoPrevious();
    EXPECT_EQ(CurrentPage, 2);
    // The settings page then offers the all-users folder.
    w.View.Checks["License_Agree"] = true;
    w.Wizard.GoNext();
    w.Wizard.GoNext();
    EXPECT_EQ(CurrentPage, 5);
    EXPECT_EQ(w.View.Path, InstallOptions.InstallPathAll);
  }
}

TEST_F(WizardTest, SettingsPageChecksTheFolderWhenLeft) {
  const std::string programFiles = vel::ExpandPath("%PROGRAMFILES%") + d + "Quarrow";
  const std::string systemFolder = vel::ExpandPath("%SYSTEMROOT%") + d + "Quarrow";
  const std::string r = platform::FromPath(root) + d;
  std::ofstream(root / "file.txt") << "in the way";
  struct TCase {
    const char* What;
    std::string Path;
    bool Elevated;
    std::string Refusal;  // empty: accepted
    std::string CreatedParent;
  };
  const TCase cases[] = {
      {"missing parents are created", r + "new" + d + "deeper" + d + "Quarrow", false, "", r + "new" + d + "deeper"},
      {"one trailing delimiter is dropped first", r + "made" + d + "Quarrow" + d, false, "", r + "made"},
      {"a file in the way", r + "file.txt" + d + "sub" + d + "Quarrow", false, kInvalid, ""},
      {"no folder at all", "Quarrow", false, kInvalid, ""},
      {"program files without rights", programFiles, false, kNeedsAdmin, ""},
      {"program files with rights", programFiles, true, "", ""},
      {"the system folder, even with rights", systemFolder, true, kSystemFolder, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    ResetState();
    SetDefaults();
    IsElevated = c.Elevated;
    dialogs.clear();
    TWindow w;
    w.Wizard.ShowPage(5);
    // The choices are kept whatever becomes of the folder.
    w.View.Checks["Create_Desktop"] = false;
    w.View.Checks["Option_2"] = true;
    w.View.Checks["Extension_3"] = true;
    w.View.Path = c.Path;
    w.Wizard.GoNext();
    EXPECT_FALSE(InstallOptions.CreateDesktop);
    EXPECT_TRUE(InstallOptions.CreateStartMenu);
    EXPECT_TRUE(InstallOptions.Option2);
    EXPECT_TRUE(InstallOptions.Extension3);
    if (c.Refusal.empty()) {
      EXPECT_TRUE(dialogs.empty());
      EXPECT_EQ(CurrentPage, 6);
      EXPECT_EQ(InstallOptions.InstallPath, c.Path);
    } else {
      EXPECT_EQ(dialogs, std::vector<std::string>{"Invalid Path: " + c.Refusal});
      EXPECT_EQ(CurrentPage, 5);
      EXPECT_EQ(w.View.Slides.size(), 1u);
      EXPECT_EQ(InstallOptions.InstallPath, InstallOptions.InstallPathUser);
    }
    if (!c.CreatedParent.empty()) {
      EXPECT_TRUE(fs::is_directory(P(c.CreatedParent)));
    }
  }
}

TEST_F(WizardTest, TypedFoldersAreExpandedMadeAbsoluteOrRefused) {
  const std::string r = platform::FromPath(root) + d;
  const std::string home = vel::GetUserFolder(vel::TUserFolder::Profile);
  TEnvOverride here("WIZARD_TEST_ROOT", platform::FromPath(root));
  TEnvOverride programs("PROGRAMFILES", r + "opt");
  // A relative folder must not land in the current folder, whatever that is.
  const fs::path cwd = fs::current_path();
  fs::current_path(root);
  struct TCase {
    std::string Typed;
    std::string Stored;  // empty: refused with the message below
    std::string Refusal;
  };
  const TCase cases[] = {
      {"~" + d + "Quarrow", home + d + "Quarrow", ""},
      {"%WIZARD_TEST_ROOT%" + d + "new" + d + "Quarrow", r + "new" + d + "Quarrow", ""},
      {r + "a" + d + ".." + d + "b" + d + "." + d + "Quarrow", r + "b" + d + "Quarrow", ""},
      {"%PROGRAMFILES%" + d + "Quarrow", "", kNeedsAdmin},
      {"Quarrow", "", kInvalid},
      {"relative" + d + "Quarrow", "", kInvalid},
      {"." + d + "Quarrow", "", kInvalid},
      {"%NO_SUCH_WIZARD_VARIABLE%" + d + "Quarrow", "", kInvalid},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Typed);
    ResetState();
    SetDefaults();
    dialogs.clear();
    TWindow w;
    w.Wizard.ShowPage(5);
    w.View.Path = c.Typed;
    w.Wizard.GoNext();
    if (c.Stored.empty()) {
      EXPECT_EQ(dialogs, std::vector<std::string>{"Invalid Path: " + c.Refusal});
      EXPECT_EQ(CurrentPage, 5);
      EXPECT_EQ(InstallOptions.InstallPath, InstallOptions.InstallPathUser);
    } else {
      EXPECT_TRUE(dialogs.empty());
      EXPECT_EQ(CurrentPage, 6);
      EXPECT_EQ(InstallOptions.InstallPath, platform::FromPath(P(c.Stored).lexically_normal()));
      EXPECT_TRUE(fs::is_directory(P(c.Stored).parent_path()));
    }
  }
  // Nothing was made from an unexpanded or relative name.
  const std::vector<std::string> made = Tree(root);
  fs::current_path(cwd);
  EXPECT_EQ(made, (std::vector<std::string>{"b", "new", "opt"}));
}

TEST_F(WizardTest, ProtectedFoldersAreMatchedAsLeadingFoldersOfTheNormalisedPath) {
  const std::string r = platform::FromPath(root) + d;
  TEnvOverride programs("PROGRAMFILES", r + "opt");
  TEnvOverride windows("SYSTEMROOT", r + "usr");
  struct TCase {
    std::string Path;
    bool Elevated;
    std::string Refusal;  // empty: accepted
    // Where names ignore letter case (Windows) the folder counts anywhere in the path.
    std::string RefusalIgnoringCase;
  };
  const TCase cases[] = {
      {r + "opt" + d + "Quarrow", false, kNeedsAdmin, kNeedsAdmin},
      {r + "opt", false, kNeedsAdmin, kNeedsAdmin},
      {r + "opt" + d, false, kNeedsAdmin, kNeedsAdmin},
      {r + "optical" + d + ".." + d + "opt" + d + "Quarrow", false, kNeedsAdmin, kNeedsAdmin},
      {r + "opt" + d + "Quarrow", true, "", ""},
      {r + "optical drive" + d + "Quarrow", false, "", kNeedsAdmin},
      {r + "home" + d + "u" + d + "opt" + d + "Quarrow", false, "", ""},
      {r + "OPT" + d + "Quarrow", false, "", kNeedsAdmin},
      {r + "opt" + d + ".." + d + "elsewhere" + d + "Quarrow", false, "", ""},
      {r + "usr" + d + "Quarrow", true, kSystemFolder, kSystemFolder},
      {r + "usr", true, kSystemFolder, kSystemFolder},
      {r + "usrlocal" + d + "Quarrow", true, "", kSystemFolder},
      {r + "lib" + d + "usr" + d + "Quarrow", true, "", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Path + (c.Elevated ? " with rights" : " without rights"));
    const std::string& refusal = platform::kCaseSensitiveNames ? c.Refusal : c.RefusalIgnoringCase;
    ResetState();
    SetDefaults();
    IsElevated = c.Elevated;
    dialogs.clear();
    TWindow w;
    w.Wizard.ShowPage(5);
    w.View.Path = c.Path;
    w.Wizard.GoNext();
    if (refusal.empty()) {
      EXPECT_TRUE(dialogs.empty());
      EXPECT_EQ(CurrentPage, 6);
    } else {
      EXPECT_EQ(dialogs, std::vector<std::string>{"Invalid Path: " + refusal});
      EXPECT_EQ(CurrentPage, 5);
    }
  }
}

TEST_F(WizardTest, TheInstallTimerInstallsAndEndsOnTheSuccessPage) {
  TWizard& w = window.Wizard;
  TTestView& v = window.View;
  v.Checks["License_Agree"] = true;
  w.Start();
  w.GoNext();
  w.GoNext();
  v.Path = folder;
  w.GoNext();
  ExpectPage(6);

  w.NavClicker(NavTag::Next);
  ExpectPage(7);
  // Six ticks of 800 ms, the first one interval after the page was entered; the sixth finishes.
  for (int tick = 1; tick <= 6; ++tick) {
    clock.Pass(799ms);
    EXPECT_EQ(v.Progress.size(), std::size_t(tick - 1));
    clock.Pass(1ms);
    EXPECT_EQ(v.Progress.size(), std::size_t(tick));
    EXPECT_EQ(CurrentPage, tick < 6 ? 7 : 8) << "tick " << tick;
  }
  clock.Pass(10s);
  ExpectPage(8);
  EXPECT_FALSE(InstallFailed);
  EXPECT_EQ(v.Progress, (std::vector<int>{0, 20, 40, 60, 80, 100}));
  EXPECT_EQ(CurrentStep, 6);
  EXPECT_FALSE(w.InstallTick().Enabled());
  EXPECT_TRUE(Exists(P(folder + d + "QuarrowStudio.exe")));
  EXPECT_TRUE(Exists(P(folder + d + "Uninstall.exe")));
  EXPECT_TRUE(RecordExists());
  EXPECT_EQ(v.Slides.back(), (std::pair<TPage, TPage>{8, 7}));

  // Close goes through the close query once, and the window's loop is over.
  w.NavClicker(NavTag::Close);
  EXPECT_EQ(v.Closes, 1);
  EXPECT_TRUE(w.IsClosing());
  w.Run();
}

TEST_F(WizardTest, AFailedStepShowsTheErrorPageAfterOneMoreStep) {
  struct TCase {
    const char* What;
    std::int32_t FailingStep;
    std::function<void(const fs::path& app)> Before;  // before the installation starts
    std::function<void(const fs::path& app)> Between;  // after the step before the failing one
  };
  const TCase cases[] = {
      {"the archive cannot be written", 2,
       [this](const fs::path&) {
         std::ofstream(root / "not a folder") << "x";
         TempFolder = platform::FromPath(root / "not a folder") + d;
       },
       nullptr},
      {"a folder where the application goes", 3,
       [](const fs::path& app) {
         fs::create_directories(app / "QuarrowStudio.exe" / "inside");
       },
       nullptr},
      // An error the step does not guard reaches the error report, and the installation has failed.
      {"a damaged archive", 3, nullptr, [](const fs::path&) { fs::resize_file(P(ArchivePath()), 100); }},
      {"a folder where the uninstaller goes", 4,
       [](const fs::path& app) { fs::create_directories(app / "Uninstall.exe" / "inside"); }, nullptr},
      {"the application gone before the check", 5, nullptr,
       [](const fs::path& app) { fs::remove(app / "QuarrowStudio.exe"); }},
  };
  int n = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    ResetState();
    SetDefaults();
    const fs::path app = root / ("app" + std::to_string(++n));
    TWindow w;
    InstallOptions.InstallPath = platform::FromPath(app);
    StartPage = 7;
    // Start sets the temporary folder; a case may move it afterwards.
    w.Wizard.Start();
    if (c.Before) c.Before(app);
    std::int32_t failedAt = 0;
    for (std::int32_t tick = 1; tick <= 6 && !failedAt; ++tick) {
      if (tick == c.FailingStep && c.Between) c.Between(app);
      try {
        w.Wizard.InstallTickTimer();
      } catch (const std::exception&) {
        EXPECT_STREQ(c.What, "a damaged archive");
      }
      if (InstallFailed) failedAt = tick;
    }
    EXPECT_EQ(failedAt, c.FailingStep);
    EXPECT_EQ(CurrentPage, 7);
    EXPECT_TRUE(w.Wizard.InstallTick().Enabled());

    w.Wizard.InstallTickTimer();
    EXPECT_EQ(CurrentPage, 9);
    EXPECT_EQ(w.View.VisibleButtons(), "Close");
    EXPECT_FALSE(w.Wizard.InstallTick().Enabled());
    EXPECT_EQ(CurrentStep, c.FailingStep + 1);
    EXPECT_EQ(w.View.Progress.size(), static_cast<std::size_t>(c.FailingStep + 1));
    EXPECT_EQ(w.View.Closes, 0);
    // An installation that failed before it was written out is not published.
    EXPECT_FALSE(c.FailingStep < 4 && RecordExists());
    Clean();
  }
}

// A folder that holds a file of the user's with one of the application's names: the extraction
// refuses before anything is written, the error report names the file, and the error page follows.
TEST_F(WizardTest, AFolderWithTheUsersFilesEndsOnTheErrorPage) {
  fs::create_directories(P(folder));
  std::ofstream(P(folder + d + "README.txt")) << "mine";
  StartInstalling(window, folder);
  std::string error;
  for (int tick = 1; tick <= 4 && CurrentPage == 7; ++tick) {
    try {
      window.Wizard.InstallTickTimer();
    } catch (const std::exception& e) {
      error = e.what();
    }
  }
  ExpectPage(9);
  EXPECT_TRUE(InstallFailed);
  EXPECT_EQ(error.rfind("The folder \"" + folder + "\" already holds \"" + folder + d + "README.txt\"", 0), 0u) << error;
  EXPECT_EQ(ReadFile(P(folder + d + "README.txt")), "mine");
  EXPECT_FALSE(Exists(P(folder + d + "QuarrowStudio.exe")));
  EXPECT_FALSE(Exists(P(folder + d + "Uninstall.exe")));
  EXPECT_FALSE(RecordExists());
}

#ifndef _WIN32
// Too little room on the install folder's volume: the wizard ends on its error page with the cause and
// nothing written, a run that ends with the disk-space code. The preloaded fault library makes the
// room small, so the test runs itself once more under it.
TEST_F(WizardTest, TooLittleRoomEndsOnTheErrorPage) {
  if (platform::GetEnv("VEL_FAULT_FREE_BYTES").empty()) {
    platform::SetEnv("LD_PRELOAD", FAULT_SHIM);
    platform::SetEnv("VEL_FAULT_FREE_BYTES", "1048576");
    testsupport::RunResult run =
        testsupport::Run(platform::ExecutablePath(), {"--gtest_filter=WizardTest.TooLittleRoomEndsOnTheErrorPage"});
    unsetenv("LD_PRELOAD");
    unsetenv("VEL_FAULT_FREE_BYTES");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("[  PASSED  ] 1 test"), std::string::npos) << run.output;
    return;
  }
  StartInstalling(window, folder);
  for (int tick = 1; tick <= 6 && CurrentPage == 7; ++tick) window.Wizard.InstallTickTimer();
  ExpectPage(9);
  EXPECT_TRUE(InstallFailed);
  EXPECT_TRUE(NotEnoughSpace);
  EXPECT_EQ(FailureCause.rfind("Not enough disk space for \"" + folder + "\": the installation needs ", 0), 0u)
      << FailureCause;
  EXPECT_FALSE(Exists(P(folder)));
  EXPECT_FALSE(RecordExists());
}
#endif

TEST_F(WizardTest, AfterFinishClosesOrStartsTheApplicationWhateverTheOutcome) {
  const std::string probe = testsupport::HelperProgram("start-probe");
  struct TCase {
    TFinishAction After;
    bool Fails;
  };
  const TCase cases[] = {
      {TFinishAction::Close, false},
      {TFinishAction::Close, true},
      {TFinishAction::StartProgram, false},
      {TFinishAction::StartProgram, true},
  };
  int n = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE((c.After == TFinishAction::Close ? "-closeafterfinish" : "-startafterfinish") +
                 std::string(c.Fails ? ", failed" : ", installed"));
    ResetState();
    SetDefaults();
    AfterFinish = c.After;
    // A name of its own, so the processes page of a test running beside this one never sees it.
    AppOptions.ExeOfPath = "QuarrowStudioProbe" + fs::path(probe).extension().string();
    const fs::path app = root / ("app" + std::to_string(++n));
    // The uninstaller cannot be written: step 4 fails with the application in place.
    if (c.Fails) fs::create_directories(app / "Uninstall.exe" / "inside");
    TWindow w;
    StartInstalling(w, platform::FromPath(app));
    for (int tick = 1; tick <= 8 && w.Wizard.InstallTick().Enabled(); ++tick) {
      w.Wizard.InstallTickTimer();
      if (tick == 3) fs::copy_file(P(probe), app / AppOptions.ExeOfPath);
    }
    EXPECT_EQ(InstallFailed, c.Fails);
    EXPECT_EQ(CurrentPage, c.Fails ? 9 : 8);
    EXPECT_EQ(w.View.Closes, 1);
    EXPECT_TRUE(w.Wizard.IsClosing());
    const fs::path note = app / "started.txt";
    if (c.After == TFinishAction::StartProgram) {
      ASSERT_TRUE(testsupport::WaitFor([&] { return Exists(note); }));
      EXPECT_TRUE(fs::equivalent(P(ReadFile(note)), app));
    } else {
      EXPECT_FALSE(Exists(note));
    }
    Clean();
  }
}

TEST_F(WizardTest, ARunningCopyHoldsTheProcessesPage) {
#ifndef DEMO_APP_FROM_TESTS
  GTEST_SKIP() << "this build packages another application";
#else
  const fs::path demo = P(testsupport::ProgramFolder()) / DEMO_APP_FROM_TESTS;
  fs::create_directories(root / "running");
  fs::create_directories(root / "cased");
  const fs::path copy = root / "running" / "QuarrowStudio.exe";
  const fs::path cased = root / "cased" / "quarrowstudio.exe";
  fs::copy_file(demo, copy);
  fs::copy_file(demo, cased);
  auto listed = [](std::uint32_t pid, const std::string& module) {
    for (const vel::TProcess& p : vel::GetRunningProcesses())
      if (static_cast<std::uint32_t>(p.PID) == pid && p.Module == module) return true;
    return false;
  };
  TWizard& w = window.Wizard;
  TTestView& v = window.View;
  w.Start();
  {
    testsupport::Child running(platform::FromPath(copy), {"--stay", "60"});
    ASSERT_TRUE(testsupport::WaitFor([&] { return listed(running.Pid(), "QuarrowStudio.exe"); }));
    w.GoNext();
    ExpectPage(3);
    EXPECT_EQ(v.ProcessName, "QuarrowStudio.exe");
    EXPECT_EQ(static_cast<std::uint32_t>(FoundProcess.PID), running.Pid());
    w.GoNext();
    ExpectPage(3);
    EXPECT_EQ(v.Slides.size(), 2u);
    running.Kill();
    running.Wait();
    w.GoNext();
    ExpectPage(4);
  }
  w.GoPrevious();
  ExpectPage(2);

  {
    testsupport::Child running(platform::FromPath(copy), {"--stay", "60"});
    ASSERT_TRUE(testsupport::WaitFor([&] { return listed(running.Pid(), "QuarrowStudio.exe"); }));
    w.GoNext();
    ExpectPage(3);
    // Previous from the processes page is the welcome page.
    w.GoPrevious();
    ExpectPage(2);
    w.GoNext();
    ExpectPage(3);
    w.Navigation_TerminateClick();
    ASSERT_TRUE(testsupport::WaitFor([&] { return !running.Running(); }));
    w.GoNext();
    ExpectPage(4);
  }
  w.GoPrevious();

  // The name is compared with its letter case.
  testsupport::Child other(platform::FromPath(cased), {"--stay", "60"});
  ASSERT_TRUE(testsupport::WaitFor([&] { return listed(other.Pid(), "quarrowstudio.exe"); }));
  EXPECT_FALSE(FindRunningCopy());
  w.GoNext();
  ExpectPage(4);
#endif
}

TEST_F(WizardTest, DeletingTemporaryFilesRemovesOnlyWhatThisRunWrote) {
  // The user's own files were in the folder before; the application check fails after everything
  // was written, so the files, the uninstaller, the report and the record are all there.
  fs::create_directories(P(folder));
  std::ofstream(P(folder) / "notes.txt") << "mine";
  TWizard& w = window.Wizard;
  StartInstalling(window, folder);
  for (int tick = 1; tick <= 8 && w.InstallTick().Enabled(); ++tick) {
    if (tick == 5) fs::remove(P(folder) / "QuarrowStudio.exe");
    w.InstallTickTimer();
  }
  ASSERT_EQ(CurrentPage, 9);
  ASSERT_TRUE(RecordExists());
  ASSERT_TRUE(Exists(P(folder) / "Uninstall.exe"));
  // The archive as a failure before the extraction leaves it.
  std::ofstream(P(ArchivePath())) << "archive";

  const std::vector<std::string> before = Tree(P(folder));
  w.NavClicker(NavTag::DeleteFiles);
  EXPECT_EQ(Tree(P(folder)), before);
  EXPECT_TRUE(Exists(P(ArchivePath())));
  EXPECT_TRUE(RecordExists());

  answer = vel::mrYes;
  w.NavClicker(NavTag::DeleteFiles);
  EXPECT_EQ(Tree(P(folder)), std::vector<std::string>{"notes.txt"});
  EXPECT_FALSE(Exists(P(ArchivePath())));
  EXPECT_FALSE(RecordExists());
  EXPECT_EQ(dialogs, std::vector<std::string>(2, kAreYouSure));
  EXPECT_EQ(CurrentPage, 9);
}

TEST_F(WizardTest, DeletingTemporaryFilesKeepsAnEarlierInstallationsFilesItDidNotWrite) {
  struct TCase {
    const char* What;
    bool EarlierFiles;
    bool FolderStays;
  };
  const TCase cases[] = {
      {"a folder of its own goes entirely", false, false},
      {"an earlier uninstaller and report stay when this run wrote neither", true, true},
  };
  int n = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    ResetState();
    SetDefaults();
    const fs::path app = root / ("app" + std::to_string(++n));
    if (c.EarlierFiles) {
      fs::create_directories(app);
      std::ofstream(app / "Uninstall.exe") << "earlier";
      std::ofstream(app / "InstallReport.ini") << "[Report]";
    }
    TWindow w;
    StartInstalling(w, platform::FromPath(app));
    if (c.EarlierFiles) {
      // The extraction fails on a damaged archive, so nothing is published.
      w.Wizard.InstallTickTimer();
      w.Wizard.InstallTickTimer();
      fs::resize_file(P(ArchivePath()), 100);
      EXPECT_ANY_THROW(w.Wizard.InstallTickTimer());
    } else {
      w.Wizard.InstallTickTimer();
      w.Wizard.InstallTickTimer();
      w.Wizard.InstallTickTimer();
      w.Wizard.InstallTickTimer();
      // The application goes missing after everything was written.
      fs::remove(app / "QuarrowStudio.exe");
    }
    for (int tick = 1; tick <= 4 && w.Wizard.InstallTick().Enabled(); ++tick) w.Wizard.InstallTickTimer();
    ASSERT_EQ(CurrentPage, 9);
    answer = vel::mrYes;
    w.Wizard.DeleteTemporaryFiles();
    EXPECT_EQ(Exists(app), c.FolderStays);
    if (c.FolderStays) {
      EXPECT_EQ(Tree(app), (std::vector<std::string>{"InstallReport.ini", "Uninstall.exe"}));
    }
    EXPECT_FALSE(RecordExists());
  }
}

TEST_F(WizardTest, DeletingTemporaryFilesAfterAFailedUpdateKeepsTheEarlierRecordAndShortcuts) {
  enum class TFails { BeforeTheRecord, AfterTheRecord };
  struct TCase {
    const char* What;
    bool Earlier;  // an earlier installation's record and desktop shortcut were there
    TFails Fails;
  };
  const TCase cases[] = {
      {"an update that failed before its record", true, TFails::BeforeTheRecord},
      {"an update that failed after rewriting the record", true, TFails::AfterTheRecord},
      {"a first installation that failed after its record", false, TFails::AfterTheRecord},
  };
  const std::string desktop = testsupport::ShortcutPath(vel::TUserFolder::Desktop);
  const std::string menu = testsupport::ShortcutPath(vel::TUserFolder::Programs);
  const std::string earlierFolder = platform::FromPath(root / "earlier");
  const std::map<std::string, std::string> earlierValues = {
      {"DisplayName", "Quarrow Studio Suite"},
      {"DisplayVersion", "1.0.0"},
      {"InstallLocation", earlierFolder},
      {"Comments", "only the earlier installation wrote this"},
  };
  auto recordValues = [] {
    vel::TWinRegistry reg;
    std::map<std::string, std::string> values;
    for (const std::string& name : reg.GetValueNames(kRecord)) values[name] = reg.GetValueAsString(kRecord, name);
    return values;
  };
  int n = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    Clean();
    ResetState();
    SetDefaults();
    if (c.Earlier) {
      vel::TWinRegistry reg;
      ASSERT_TRUE(reg.CreateKey(kRecord));
      for (const auto& [name, value] : earlierValues) reg.WriteStringValue(kRecord, name, value);
      std::ofstream(P(desktop)) << "the earlier installation's shortcut";
    }
    const fs::path app = root / ("app" + std::to_string(++n));
    // The uninstaller cannot be written: step 4 fails before the record and the shortcuts.
    if (c.Fails == TFails::BeforeTheRecord) fs::create_directories(app / "Uninstall.exe" / "inside");
    TWindow w;
    StartInstalling(w, platform::FromPath(app));
    for (int tick = 1; tick <= 8 && w.Wizard.InstallTick().Enabled(); ++tick) {
      // The application goes missing after everything was written; the check fails.
      if (tick == 5 && c.Fails == TFails::AfterTheRecord) fs::remove(app / "QuarrowStudio.exe");
      w.Wizard.InstallTickTimer();
    }
    ASSERT_EQ(CurrentPage, 9);
    // The shortcuts come last: only an installation that got past its record has them.
    ASSERT_EQ(Exists(P(menu)), c.Fails == TFails::AfterTheRecord);
    ASSERT_EQ(Exists(P(desktop)), c.Fails == TFails::AfterTheRecord || c.Earlier);
    if (c.Fails == TFails::AfterTheRecord) {
      ASSERT_EQ(recordValues()["InstallLocation"], platform::FromPath(app));
    }

    answer = vel::mrYes;
    w.Wizard.DeleteTemporaryFiles();
    EXPECT_FALSE(Exists(P(menu)));
    EXPECT_EQ(Exists(P(desktop)), c.Earlier);
    EXPECT_EQ(RecordExists(), c.Earlier);
    if (c.Earlier) {
      EXPECT_EQ(recordValues(), earlierValues);
    }
    EXPECT_FALSE(Exists(app / "QuarrowStudio.exe"));
  }
}

}  // namespace
