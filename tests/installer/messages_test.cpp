// The installer's messages: framework dialogs where windows can be shown, the system's routine (with
// its line breaks kept) elsewhere.
#include <gtest/gtest.h>

#include <cstdlib>

#include "installer/messages.h"
#include "installer/state.h"
#include "lux/button.h"
#include "lux/dialogs.h"
#include "lux/forms.h"
#include "platform/headless_window.h"
#include "platform/text.h"
#include "screen.h"
#include "ui/application.h"
#include "vel/message.h"

using namespace installer;

namespace {

// The framework window on the screen now, other than `except`.
lux::FXForm* ShownDialog(const ui::TForm* except = nullptr) {
  for (int i = 0; i < ui::Application().FormCount(); ++i)
    if (auto* form = dynamic_cast<lux::FXForm*>(ui::Application().Forms(i)); form && form != except && form->Visible())
      return form;
  return nullptr;
}

struct TFakeWindow final : TInstallerWindow {
  lux::FXForm* Form = nullptr;
  bool WindowVisible() const override { return Form && Form->Visible(); }
  void CloseWindow() override {}
  void Run() override {}
  ui::TForm* DialogParent() const override { return Form; }
};

class MessagesTest : public testing::Test {
 protected:
  void SetUp() override { UseFrameworkMessages(); }
  void TearDown() override {
    InstallerWindow = nullptr;
    SetFrameworkWindowsAvailable(false);
    vel::SetMessageRoutine({});
  }
};

TEST_F(MessagesTest, WithoutWindowsTheSystemRoutineShowsTheHelpLineByLineAndNoBoxReadsAsGoOn) {
#ifdef _WIN32
  // The system's box is a modal window there: only where nobody can answer it (Wine without a
  // display, as the tests run) does it return at once.
  if (!std::getenv("WINEPREFIX")) GTEST_SKIP() << "the system's box would wait for a user";
#endif
  SetFrameworkWindowsAvailable(false);
  testing::internal::CaptureStderr();
  const int help = MessageDialog("Help", HelpText, TDialogButtons::OK);
#ifdef _WIN32
  // (On Linux a question waits for the terminal's answer when there is one.)
  EXPECT_EQ(MessageDialog("Installed version is newer", "Go on?", TDialogButtons::YesNo), vel::mrNo)
      << "a box nobody answered is no \"go on\"";
#endif
  const std::string printed = testing::internal::GetCapturedStderr();
  EXPECT_EQ(help, vel::mrOk);
#ifndef _WIN32
  EXPECT_EQ(printed.find('\r'), std::string::npos);
  EXPECT_NE(printed.find("Help: Avalabile Parameters:\n\n------------------------\n-help -> Shows this information\n"),
            std::string::npos)
      << printed;
#endif
}

TEST(SystemLineBreaks, EveryKindOfLineEndBecomesTheSystemsOwn) {
#ifdef _WIN32
  const std::string n = "\r\n";
#else
  const std::string n = "\n";
#endif
  EXPECT_EQ(platform::NativeLineBreaks("a\rb\r\nc\nd\r"), "a" + n + "b" + n + "c" + n + "d" + n);
  EXPECT_EQ(platform::NativeLineBreaks("\r\r\n"), n + n) << "an empty line stays one";
  EXPECT_EQ(platform::NativeLineBreaks("plain"), "plain");
}

TEST_F(MessagesTest, BeforeTheWizardTheHelpIsAFrameworkDialogCentredOnTheMonitor) {
  SetFrameworkWindowsAvailable(true);
  ui::Application().SetMainForm(nullptr);  // no window of the installer yet
  platform::SetHeadlessMonitor({0, 0, 1600, 900});
  ui::TRect bounds;
  std::string title, text;
  ui::Application().Queue([&] {
    lux::FXForm* dialog = ShownDialog();
    ASSERT_NE(dialog, nullptr);
    bounds = dialog->BoundsRect();
    auto* ok = dynamic_cast<lux::FXButton*>(dialog->FindComponent("Button_2"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->Text(), "Ok");
    ok->Click();
  });
  EXPECT_EQ(MessageDialog("Help", HelpText, TDialogButtons::OK), vel::mrOk);
  EXPECT_NEAR(bounds.Left + bounds.Width() / 2, 800, 1);
  EXPECT_NEAR(bounds.Top + bounds.Height() / 2, 450, 1);
  platform::SetHeadlessMonitor({0, 0, 1920, 1080});
}

TEST_F(MessagesTest, OverTheInstallerWindowAQuestionDarkensItAndACloseAnswersNo) {
  SetFrameworkWindowsAvailable(true);
  lux::FXForm wizard(nullptr);
  wizard.SetBounds(100, 120, 700, 500);
  wizard.Show();
  TFakeWindow window;
  window.Form = &wizard;
  InstallerWindow = &window;
  bool smoky = false;
  ui::TRect bounds;
  ui::Application().Queue([&] {
    lux::FXForm* dialog = ShownDialog(&wizard);
    ASSERT_NE(dialog, nullptr);
    smoky = wizard.SmokeEffect();
    bounds = dialog->BoundsRect();
    testsupport::Screen(*dialog).RequestClose();
  });
  EXPECT_EQ(MessageDialog("Installed version is newer", "Go on?", TDialogButtons::YesNo), vel::mrNo);
  EXPECT_TRUE(smoky);
  EXPECT_FALSE(wizard.SmokeEffect());
  EXPECT_NEAR(bounds.Left + bounds.Width() / 2, 100 + 350, 1);
  EXPECT_NEAR(bounds.Top + bounds.Height() / 2, 120 + 250, 1);
}

}  // namespace
