// The installer window on the headless backend: its creation from the install state, the pages the
// buttons lead to, an installation to the success page, the page slide and the theme's text colour.
#include "installer/installer_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "install_traces.h"
#include "installer/package_info.h"
#include "installer/state.h"
#include "lux/button.h"
#include "lux/checkbox.h"
#include "lux/edit.h"
#include "lux/panels.h"
#include "lux/progress.h"
#include "lux/radio_button.h"
#include "lux/text_box.h"
#include "lux/text_view.h"
#include "lux/theme_manager.h"
#include "platform/files.h"
#include "ui/application.h"
#include "ui/bitmap.h"
#include "ui/canvas.h"
#include "vel/message.h"
#include "vel/visual_panels.h"

namespace {

using namespace installer;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

class InstallerWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetState();
    SetDefaults();
    lux::ThemeManager().SetDarkThemeMode(lux::FXDarkSetting::ForceLight);
    vel::SetMessageRoutine([this](const std::string& Title, const std::string& Text, vel::TMsgButtons) {
      dialogs.push_back(Title + ": " + Text);
      return answer;
    });
    root = platform::ToPath(testsupport::MakeTempFolder());
    testsupport::RemoveInstallTraces();
  }
  void TearDown() override {
    vel::SetMessageRoutine({});
    lux::ThemeManager().SetDarkThemeMode(lux::FXDarkSetting::ForceLight);
    // Slides still running hold nothing of a freed window, but they must end before the next test.
    ui::Application().RunUntil([] { return ui::Application().WorkerCount() == 0; }, 10s);
    testsupport::RemoveInstallTraces();
    ResetState();
    std::error_code ec;
    fs::remove_all(root, ec);
  }

  static void Settle(TInstaller& w) {
    ASSERT_TRUE(ui::Application().RunUntil([&] { return !w.Sliding(); }, 10s)) << "the slide never ended";
  }
  // The pages shown, by number.
  static std::vector<int> VisiblePages(const TInstaller& w) {
    std::vector<int> pages;
    for (TPage page = 1; page <= 9; ++page)
      if (w.PagePanel(page)->Visible()) pages.push_back(page);
    return pages;
  }
  static std::string VisibleButtons(const TInstaller& w) {
    std::string list;
    for (const lux::FXButton* b : {w.Navigation_Info, w.Navigation_Previous, w.Navigation_Next, w.Navigation_Install,
                                   w.Navigation_Close}) {
      if (!b->Visible()) continue;
      if (!list.empty()) list += ' ';
      list += b->Text();
    }
    return list;
  }
  void ExpectOn(TInstaller& w, TPage page, const std::string& buttons) {
    Settle(w);
    EXPECT_EQ(CurrentPage, page);
    EXPECT_EQ(VisiblePages(w), std::vector<int>{page});
    EXPECT_EQ(w.PagePanel(page)->Left(), 0) << "the page did not slide home";
    EXPECT_EQ(w.PagePanel(page)->Width(), w.Panels_Container->Width());
    EXPECT_EQ(VisibleButtons(w), buttons) << "page " << int(page);
  }

  fs::path root;
  std::vector<std::string> dialogs;
  int answer = vel::mrOk;
};

TEST_F(InstallerWindowTest, CreationFollowsTheInstallState) {
  CaptionSuffix = " - Update to new version";
  TInstaller w(nullptr);
  EXPECT_EQ(w.Caption(), "Quarrow Studio Suite Installer - Update to new version");
  EXPECT_EQ(w.ClientWidth(), 734);
  EXPECT_EQ(w.ClientHeight(), 461);
  EXPECT_EQ(w.Program_Title->Text(), "Welcome to the Quarrow Studio installer");
  EXPECT_EQ(w.Program_Install_Description->Text(),
            "This application will help you install Quarrow Studio and extract any files required automatically for "
            "you. To begin, press next.");
  ExpectOn(w, 2, "Package Info Next");

  // The build lets the user pick the folder and the shortcuts, nothing else.
  EXPECT_TRUE(w.Option_Path->Visible());
  EXPECT_TRUE(w.Option_ShortCut->Visible());
  EXPECT_FALSE(w.Option_Options->Visible());
  EXPECT_FALSE(w.Option_Extensions->Visible());
  for (const char* name : {"Option_1", "Option_2", "Option_3", "Extension_1", "Extension_2", "Extension_3"}) {
    auto* box = dynamic_cast<lux::FXCheckBox*>(w.FindComponent(name));
    ASSERT_NE(box, nullptr) << name;
    EXPECT_EQ(box->Text(), "") << name;
    EXPECT_FALSE(box->Visible()) << name;
  }
  EXPECT_TRUE(w.Checked("Create_Desktop"));
  EXPECT_TRUE(w.Checked("Create_StartMenu"));
  EXPECT_TRUE(w.Navigation_Run->Visible());
  EXPECT_FALSE(w.License_Agree->Checked());
  EXPECT_EQ(w.EULA->Text(), "============\nLicense Agreement\nUpdated: Never\n===========\n\nYou must do nothing");
  EXPECT_FALSE(TempFolder.empty());
  EXPECT_TRUE(fs::is_directory(platform::ToPath(TempFolder)));
}

// Each page's title takes the largest size up to 24 pixels at which it fits its band beside the icon:
// the short ones keep 24, the long ones step down as far as they must and no further.
TEST_F(InstallerWindowTest, EveryPageTitleTakesTheLargestSizeThatFitsItsBand) {
  TInstaller w(nullptr);
  ui::TBitmap scratch(1, 1);
  ui::TCanvas canvas(scratch);
  auto width = [&](ui::TFont font, double pixels, const std::string& text) {
    font.SetHeight(pixels);
    canvas.Font = font;
    return canvas.TextExtent(text).cx;
  };
  int titles = 0;
  for (TPage page = 1; page <= 9; ++page) {
    for (int i = 0; i < w.PagePanel(page)->ControlCount(); ++i) {
      auto* band = dynamic_cast<vel::CPanel*>(w.PagePanel(page)->Controls(i));
      lux::FXTextBox* title = nullptr;
      for (int j = 0; band && j < band->ControlCount(); ++j)
        if (auto* text = dynamic_cast<lux::FXTextBox*>(band->Controls(j))) title = text;
      if (!title) continue;
      SCOPED_TRACE(title->Text());
      ++titles;
      const int room = band->Width() - 45 - 8;
      const double size = title->Font().Height();
      EXPECT_LE(size, 24);
      EXPECT_LE(width(title->Font(), size, title->Text()), room);
      if (size < 24) {
        EXPECT_GT(width(title->Font(), size + 1, title->Text()), room) << "a size more fits too";
      }
    }
  }
  EXPECT_EQ(titles, 6);
}

TEST_F(InstallerWindowTest, ABuildThatCannotRunTheApplicationHidesItsShortcutsAndOpenButton) {
  InstallOptions.CanBeRun = false;
  InstallOptions.CreateDesktop = InstallOptions.CreateStartMenu = false;
  TInstaller w(nullptr);
  EXPECT_FALSE(w.Option_ShortCut->Visible());
  EXPECT_FALSE(w.Checked("Create_Desktop"));
  EXPECT_FALSE(w.Checked("Create_StartMenu"));
  EXPECT_FALSE(w.Navigation_Run->Visible());
}

TEST_F(InstallerWindowTest, BothInstallTypesOpenOnTheChoiceAndTheTogglesExcludeEachOther) {
  InstallOptions.InstallSupport = TInstallSupport::Both;
  InstallOptions.InstallPick = TInstallPick::Unset;
  IsElevated = true;
  TInstaller w(nullptr);
  ExpectOn(w, 1, "Package Info Next");
  w.Navigation_Next->Click();
  EXPECT_EQ(dialogs, std::vector<std::string>{"Installation type: Please choose a installation type"});
  ExpectOn(w, 1, "Package Info Next");

  w.InstallType_AllUser->Click();
  EXPECT_EQ(InstallOptions.InstallPick, TInstallPick::AllUser);
  w.InstallType_ThisUser->Click();
  EXPECT_FALSE(w.InstallType_AllUser->Checked());
  EXPECT_EQ(InstallOptions.InstallPick, TInstallPick::User);
  w.Navigation_Next->Click();
  ExpectOn(w, 2, "Package Info Next");
}

// The whole way through with the window's own buttons, ticking the install timer by hand.
TEST_F(InstallerWindowTest, TheButtonsLeadThroughAnInstallationToTheSuccessPage) {
  TInstaller w(nullptr);
  w.Show();
  Settle(w);
  w.Navigation_Next->Click();
  ExpectOn(w, 4, "Package Info Previous Next");
  w.Navigation_Next->Click();
  EXPECT_EQ(dialogs.back(), "License Agreement: Please accept the license agreement to install this application.");
  ExpectOn(w, 4, "Package Info Previous Next");

  w.License_Agree->SetChecked(true);
  w.Navigation_Next->Click();
  ExpectOn(w, 5, "Package Info Previous Next");
  EXPECT_EQ(w.Option_SetPath->Text(), InstallOptions.InstallPathUser);
  const std::string folder = platform::FromPath(root / "Apps" / "Quarrow");
  w.Option_SetPath->SetText(folder);
  w.Navigation_Next->Click();
  ExpectOn(w, 6, "Package Info Previous Install");
  EXPECT_EQ(InstallOptions.InstallPath, folder);

  w.Navigation_Install->Click();
  // The ticks are driven by hand below: the real timer must not fire on its own while the slide to
  // the page settles, which takes longer than a tick on a slow machine.
  ASSERT_TRUE(w.Wizard().InstallTick().Enabled());
  w.Wizard().InstallTick().SetEnabled(false);
  ExpectOn(w, 7, "Package Info");
  std::vector<float> progress;
  for (int tick = 0; tick < 6 && CurrentPage == 7; ++tick) {
    ASSERT_NE(w.Wizard().InstallTick().OnTimer, nullptr);
    w.Wizard().InstallTick().OnTimer();
    progress.push_back(w.Install_Progress->Value());
  }
  EXPECT_EQ(progress, (std::vector<float>{0, 20, 40, 60, 80, 100}));
  ExpectOn(w, 8, "Package Info Close");
  EXPECT_FALSE(InstallFailed);
  EXPECT_TRUE(fs::exists(root / "Apps" / "Quarrow" / "QuarrowStudio.exe"));
  EXPECT_TRUE(fs::exists(root / "Apps" / "Quarrow" / "InstallReport.ini"));

  // Close asks the wizard, which lets the window go.
  w.Navigation_Close->Click();
  EXPECT_FALSE(w.Visible());
  EXPECT_TRUE(w.Wizard().IsClosing());
}

TEST_F(InstallerWindowTest, AFailedInstallationEndsOnTheErrorPage) {
  // A folder below a file cannot be made.
  const fs::path file = root / "afile";
  std::ofstream(file) << "x";
  InstallOptions.InstallPath = platform::FromPath(file / "sub");
  StartPage = 7;
  TInstaller w(nullptr);
  w.Show();
  for (int tick = 0; tick < 7 && CurrentPage == 7; ++tick) w.Wizard().InstallTick().OnTimer();
  ExpectOn(w, 9, "Package Info Close");
  EXPECT_TRUE(InstallFailed);
}

// Each page change slides the new page in from the right in 20 frames over 100 ms; a change made
// while one is running must not hide the page that ends up current.
TEST_F(InstallerWindowTest, ThePageSlideEndsWithOnlyTheCurrentPageWhateverOvertookIt) {
  TInstaller w(nullptr);
  w.Show();
  Settle(w);
  const int before = w.SlideFrames();
  w.Navigation_Next->Click();
  EXPECT_EQ(w.PagePanel(4)->Margins().Left, w.Panels_Container->Width()) << "the new page starts outside";
  EXPECT_TRUE(w.PagePanel(2)->Visible()) << "the old page stays beneath while the new one slides";
  Settle(w);
  // Twenty steps, and the last value once more as the slide ends.
  EXPECT_EQ(w.SlideFrames() - before, 21);
  EXPECT_EQ(VisiblePages(w), std::vector<int>{4});

  // Next then Previous at once: the first slide ends after the second began.
  w.License_Agree->SetChecked(true);
  w.Navigation_Next->Click();
  w.Navigation_Previous->Click();
  ExpectOn(w, 4, "Package Info Previous Next");
  w.Navigation_Previous->Click();
  w.Navigation_Next->Click();
  ExpectOn(w, 4, "Package Info Previous Next");
}

TEST_F(InstallerWindowTest, ASlideOutlivingItsWindowTouchesNothing) {
  {
    TInstaller w(nullptr);
    w.Show();
    w.Navigation_Next->Click();
  }
  // The frames and the end of the slide arrive with the window gone.
  EXPECT_TRUE(ui::Application().RunUntil([] { return ui::Application().WorkerCount() == 0; }, 10s));
}

TEST_F(InstallerWindowTest, TheThemeSetsTheTextColour) {
  TInstaller w(nullptr);
  w.Show();
  lux::ThemeManager().SetDarkThemeMode(lux::FXDarkSetting::ForceDark);
  EXPECT_EQ(TextColor, 0xFFFFFFu);
  lux::ThemeManager().SetDarkThemeMode(lux::FXDarkSetting::ForceLight);
  EXPECT_EQ(TextColor, 0x000000u);
}

TEST_F(InstallerWindowTest, PackageInfoOpensModalOverTheWindow) {
  TInstaller w(nullptr);
  w.Show();
  bool seen = false;
  ui::Application().Queue([&] {
    seen = PackageInfo != nullptr && PackageInfo->Modal();
    if (PackageInfo) PackageInfo->Navigation_Close->Click();
  });
  w.Navigation_Info->Click();
  EXPECT_TRUE(seen);
  EXPECT_EQ(PackageInfo, nullptr);
  EXPECT_TRUE(w.Visible());
}

}  // namespace
