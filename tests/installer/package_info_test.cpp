// The package information dialog: its report against the install state, copying, closing and layout.
#include "installer/package_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/state.h"
#include "lux/button.h"
#include "lux/panels.h"
#include "lux/theme_manager.h"
#include "platform/window.h"
#include "ui/bitmap.h"
#include "ui/canvas.h"
#include "ui/application.h"

namespace {

using namespace installer;
using lux::FXTextLine;

const std::string kArrow = "\xF0\x9F\xA2\x82 ";

class PackageInfoTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetState();
    SetDefaults();
    lux::ThemeManager().SetDarkThemeMode(lux::FXDarkSetting::ForceLight);
  }
  void TearDown() override {
    ResetState();
    lux::ThemeManager().SetDarkThemeMode(lux::FXDarkSetting::ForceLight);
  }

  // The report of the build defaults, with the earlier installation's block put in after `Has EULA`.
  static std::vector<FXTextLine> Expected(const std::vector<FXTextLine>& Previous = {}) {
    std::vector<FXTextLine> lines = {
        {kArrow + "Program information", true},
        {"Program name: Quarrow Studio"},
        {"Complete name: Quarrow Studio Suite"},
        {"Install path: " + InstallOptions.InstallPath},
        {"Version: 1.1.0.0"},
        {""},
        {kArrow + "Publisher information", true},
        {"Publisher: Velnor Software"},
        {"Help link: https://velnor-software.example/apps"},
        {"Support link: https://velnor-software.example/contact"},
        {"Update link: https://velnor-software.example/apps"},
        {""},
        {kArrow + "Executable information", true},
        {"AppData directory: " + AppOptions.AppDataPath},
        {"Executable name: QuarrowStudio.exe"},
        {"Executable location: " + ExecutablePath(AppOptions)},
        {""},
        {kArrow + "Installation options", true},
        {"Add uninstaller: true"},
        {"Add registry record: true"},
        {""},
        {kArrow + "Additional options", true},
        {"Desktop shortcut: true"},
        {"Start menu shortcut: true"},
        {"Has EULA: true"},
    };
    lines.insert(lines.end(), Previous.begin(), Previous.end());
    const std::vector<FXTextLine> rest = {
        {""},
        {kArrow + "User settings", true},
        {"Allow shortcuts: true"},
        {"Allow custom Path: true"},
        {"Allow extensions: false"},
        {"Allow options: false"},
        {""},
        {kArrow + "Installation settings", true},
        {"Install Support: 2"},
        {"Install Pick: 2"},
        {""},
        {kArrow + "Installer Information", true},
        {"Installer: Tarns Installer"},
        {"Version: 1.8.0"},
        {"Publisher: Velnor Software"},
        {""},
        {"This installer package was built and is published by Velnor Software."},
    };
    lines.insert(lines.end(), rest.begin(), rest.end());
    return lines;
  }
};

TEST_F(PackageInfoTest, ReportOfAFreshStateHasNoPreviousBlock) {
  ASSERT_EQ(Expected().size(), 42u);
  EXPECT_EQ(PackageReport(), Expected());

  // The dialog shows the same lines, built through its own line-by-line routine.
  TPackageInfo dialog(nullptr);
  dialog.FillReport();
  EXPECT_EQ(dialog.DataSheet->Lines(), Expected());
  EXPECT_EQ(dialog.DataSheet->ScrollPosition(), 0);
}

TEST_F(PackageInfoTest, ReportFollowsTheStateAtTheMomentAndListsAnEarlierInstallation) {
  InstallOptions.InstallPath = "/opt/Quarrow Studio/";
  PreviousInstall.Exists = true;
  PreviousInstall.InstallPath = "/home/me/Quarrow Studio/";
  PreviousInstall.Kind = TInstallSupport::ThisUser;
  PreviousInstall.Version = vel::TVersionRec(1, 0, 5, 7);

  const std::vector<FXTextLine> expected = Expected({
      {""},
      {kArrow + "Previous installation [UPDATE]", true},
      {"Install location: /home/me/Quarrow Studio/"},
      {"Install version: 1.0.5"},
      {"Install kind: 2"},
      {"Override install: yes"},
  });
  EXPECT_EQ(expected[3].Text, "Install path: /opt/Quarrow Studio/");
  EXPECT_EQ(PackageReport(), expected);

  // Enumerations are written as their position: an unset pick is 0, support for both kinds is 0.
  InstallOptions.InstallSupport = TInstallSupport::Both;
  InstallOptions.InstallPick = TInstallPick::Unset;
  PreviousInstall.Kind = TInstallSupport::AllUser;
  const std::vector<FXTextLine> report = PackageReport();
  EXPECT_EQ(report[29].Text, "Install kind: 1");
  EXPECT_EQ(report[39].Text, "Install Support: 0");
  EXPECT_EQ(report[40].Text, "Install Pick: 0");
}

TEST_F(PackageInfoTest, CopyPutsTheWholeTextWithItsLineBreaksOnTheClipboard) {
  TPackageInfo dialog(nullptr);
  dialog.FillReport();
  platform::CurrentWindowBackend().SetClipboardText("something else");
  dialog.Show();
  dialog.Navigation_Copy->Click();

  std::string text;
  for (const FXTextLine& line : Expected()) text += (text.empty() ? "" : "\n") + line.Text;
  EXPECT_EQ(platform::CurrentWindowBackend().ClipboardText(), text);
  EXPECT_TRUE(dialog.Navigation_Copy->AutoStateToggle);
}

TEST_F(PackageInfoTest, HeadingArrowFallsBackToTheIconFontsChevronWhereNoTextFontHasIt) {
  TPackageInfo dialog(nullptr);
  dialog.FillReport();
  const std::string chevron = "\xEE\x9D\xAC";  // U+E76C
  EXPECT_EQ(dialog.DataSheet->SubstituteCharacter() + " ", kArrow);
  EXPECT_EQ(dialog.DataSheet->SubstituteGlyph(), chevron);
  EXPECT_EQ(dialog.DataSheet->Text().rfind(kArrow + "Program information\n", 0), 0u);

  ui::TBitmap scratch(1, 1);
  ui::TCanvas canvas(scratch);
  canvas.Font = dialog.DataSheet->Font();
  EXPECT_EQ(dialog.DataSheet->SubstituteActive(), !canvas.HasGlyphs(dialog.DataSheet->SubstituteCharacter()));
  // The stand-in must be a glyph the icon font really has, or the box would only change shape.
  canvas.Font.SetName(lux::ThemeManager().IconFont());
  EXPECT_TRUE(canvas.HasGlyphs(chevron));
}

TEST_F(PackageInfoTest, OpensCentredOnTheOwnerInTheTextColourAndClosesWithModalResultClose) {
  lux::ThemeManager().SetDarkThemeMode(lux::FXDarkSetting::ForceDark);
  TextColor = 0xFFFFFF;
  lux::FXForm owner(nullptr);
  owner.SetBounds(100, 80, 900, 700);
  owner.Show();

  bool seen = false;
  ui::Application().Queue([&] {
    ASSERT_NE(PackageInfo, nullptr);
    TPackageInfo& dialog = *PackageInfo;
    seen = true;
    EXPECT_EQ(dialog.Left() + dialog.Width() / 2, owner.Left() + owner.Width() / 2);
    EXPECT_EQ(dialog.Top() + dialog.Height() / 2, owner.Top() + owner.Height() / 2);
    EXPECT_EQ(dialog.DataSheet->Lines(), Expected());
    EXPECT_EQ(dialog.DataSheet->DrawColors().ForeGround(), 0xFFFFFFu);
    EXPECT_EQ(dialog.DataSheet->DrawColors().BackGround(), dialog.DrawColors().BackGround())
        << "only the text takes the colour";
    dialog.Navigation_Close->Click();
  });
  EXPECT_EQ(ShowPackageInfo(&owner), 8);
  EXPECT_TRUE(seen);
  EXPECT_EQ(PackageInfo, nullptr) << "the dialog variable does not outlive the dialog";
}

TEST_F(PackageInfoTest, Layout) {
  TPackageInfo dialog(nullptr);
  EXPECT_EQ(dialog.Caption(), "Installer Package Information");
  EXPECT_EQ(dialog.BorderStyle(), ui::TFormBorderStyle::bsSizeToolWin);
  EXPECT_EQ(dialog.ClientWidth(), 534);
  EXPECT_EQ(dialog.ClientHeight(), 361);
  EXPECT_EQ(dialog.Constraints().MinWidth, 450);
  EXPECT_EQ(dialog.Constraints().MaxWidth, 600);
  EXPECT_EQ(dialog.Constraints().MaxHeight, 500);
  EXPECT_EQ(dialog.Font.Height(), 21);

  // The title bar first, then the top panel under it.
  ASSERT_NE(dialog.TitlebarControl(), nullptr);
  EXPECT_EQ(dialog.TitlebarControl()->Top(), 0);
  EXPECT_GT(dialog.GetTitlebarHeight(), 0);
  EXPECT_EQ(dialog.TopPanel->Top(), dialog.GetTitlebarHeight());
  EXPECT_EQ(dialog.TopPanel->Height(), 40);
  EXPECT_EQ(dialog.BottomPanel->Height(), 41);
  EXPECT_EQ(dialog.BottomPanel->Top() + 41, dialog.ClientHeight());
  // The sheet fills exactly what the panels leave.
  EXPECT_EQ(dialog.DataSheet->Top(), dialog.TopPanel->Top() + 40);
  EXPECT_EQ(dialog.DataSheet->Width(), 534);
  EXPECT_EQ(dialog.DataSheet->Top() + dialog.DataSheet->Height(), dialog.BottomPanel->Top());
  EXPECT_EQ(dialog.DataSheet->Font().Height(), 17);

  // Close sits at the right edge, Copy to its left.
  const lux::FXButton& close = *dialog.Navigation_Close;
  const lux::FXButton& copy = *dialog.Navigation_Copy;
  EXPECT_EQ(close.Text(), "Close");
  EXPECT_EQ(copy.Text(), "Copy");
  EXPECT_EQ(close.ModalResult, ui::mrClose);
  EXPECT_GT(close.Left(), copy.Left());
  EXPECT_GT(close.Left() + close.Width(), 534 - 10);
}

}  // namespace
