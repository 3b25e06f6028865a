// Message dialogs on headless windows: their buttons and answers, the keys and the close, the
// layout's width rules, where they open, the parent's smoke overlay and freeing them mid-animation.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "lux/button.h"
#include "lux/dialogs.h"
#include "lux/forms.h"
#include "lux/panels.h"
#include "lux/text_box.h"
#include "lux/theme_manager.h"
#include "platform/headless_window.h"
#include "screen.h"
#include "ui/application.h"
#include "ui/bitmap.h"
#include "ui/canvas.h"

namespace {

using namespace lux;
using namespace std::chrono_literals;
using B = TMsgDlgBtn;

using testsupport::Screen;

// The middle of a control in its form's coordinates.
ui::TPoint Middle(ui::TControl& control) {
  const ui::TPoint origin = control.FormToClient({0, 0});
  return {-origin.X + control.Width() / 2, -origin.Y + control.Height() / 2};
}

void ClickOn(ui::TControl& control) {
  const ui::TPoint p = Middle(control);
  Screen(*control.ParentForm()).Click(p.X, p.Y);
}

// The footer's buttons from right to left.
std::vector<FXButton*> RightToLeft(FXDialogBox& dialog) {
  std::vector<FXButton*> buttons;
  FXPanel* footer = dialog.Footer();
  for (int i = 0; i < footer->ControlCount(); ++i)
    if (auto* b = dynamic_cast<FXButton*>(footer->Controls(i))) buttons.push_back(b);
  std::sort(buttons.begin(), buttons.end(), [](FXButton* a, FXButton* b) { return a->Left() > b->Left(); });
  return buttons;
}

int TextWidth(const ui::TFont& font, const std::string& text) {
  ui::TBitmap bitmap(1, 1);
  ui::TCanvas canvas(bitmap);
  canvas.Font = font;
  return canvas.TextWidth(text);
}

std::string Words(int characters) {
  std::string text;
  while (static_cast<int>(text.size()) < characters) text += "word ";
  text.resize(characters);
  return text;
}

class DialogTest : public testing::Test {
 protected:
  void SetUp() override {
    ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
    platform::SetHeadlessMonitor({0, 0, 1920, 1080});
    ui::Application().SetMainForm(nullptr);
  }
  void TearDown() override {
    platform::SetHeadlessMonitor({0, 0, 1920, 1080});
    ui::Application().SetMainForm(nullptr);
    ThemeManager().SetDarkThemeMode(FXDarkSetting::Auto);
  }
  // Runs the dialog; `During` plays the user once the window is up.
  static ui::TModalResult Run(FXDialog& dialog, std::function<void(FXDialog&)> During) {
    dialog.OnShown = [&dialog, During](FXDialogBox&) { During(dialog); };
    return dialog.Execute();
  }
  static bool Loop(const std::function<bool()>& done) { return ui::Application().RunUntil(done, 5s); }
};

TEST_F(DialogTest, ButtonSetsLayOutRightToLeftWithTheDefaultInAccentAndAnswerTheClickedButton) {
  struct Case {
    TMsgDlgButtons Buttons;
    std::vector<std::string> Captions;  // right to left
    std::vector<bool> Accent;
    B Click;
    ui::TModalResult Result;
  } cases[] = {
      {{B::Yes, B::No}, {"Yes", "No"}, {true, false}, B::No, ui::mrNo},
      {{B::OK}, {"Ok"}, {true}, B::OK, ui::mrOk},
      {{B::OK, B::Cancel}, {"Ok", "Cancel"}, {true, false}, B::Cancel, ui::mrCancel},
      {{B::Yes, B::No, B::YesToAll}, {"Yes", "No", "Yes to All"}, {true, false, true}, B::YesToAll, 14},
      {{B::Abort, B::Retry, B::Ignore}, {"Abort", "Retry", "Ignore"}, {true, false, false}, B::Retry, ui::mrRetry},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Captions.back());
    FXDialog dialog;
    dialog.SetTitle("Question");
    dialog.SetText("Shall we?");
    dialog.SetButtons(c.Buttons);
    std::vector<std::string> captions;
    std::vector<bool> accent;
    const ui::TModalResult result = Run(dialog, [&](FXDialog& d) {
      for (FXButton* b : RightToLeft(d)) {
        captions.push_back(b->Text());
        accent.push_back(b->ButtonKind() == FXButtonKind::Accent);
        EXPECT_GE(b->Left(), 0);
        EXPECT_LE(b->Left() + b->Width(), d.Footer()->Width());
      }
      ClickOn(*d.Button(c.Click));
    });
    EXPECT_EQ(result, c.Result);
    EXPECT_EQ(captions, c.Captions);
    EXPECT_EQ(accent, c.Accent);
    EXPECT_EQ(dialog.Window(), nullptr) << "the window is freed after the run";
  }
}

TEST_F(DialogTest, EnterAnswersTheDefaultAndEscapeOrAWindowCloseNeverReadsAsGoOn) {
  enum class Act { Enter, Escape, Close };
  struct Case {
    TMsgDlgButtons Buttons;
    Act Action;
    ui::TModalResult Result;
  } cases[] = {
      {{B::Yes, B::No}, Act::Enter, ui::mrYes},
      {{B::Yes, B::No}, Act::Escape, ui::mrNo},
      {{B::Yes, B::No}, Act::Close, ui::mrNo},  // "Installed version is newer": a close is no "go on"
      {{B::Yes, B::No, B::Cancel}, Act::Close, ui::mrCancel},
      {{B::OK, B::Cancel}, Act::Enter, ui::mrOk},
      {{B::OK, B::Cancel}, Act::Escape, ui::mrCancel},
      {{B::OK}, Act::Close, ui::mrOk},
      {{B::Retry, B::Ignore}, Act::Close, ui::mrRetry},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "set " << c.Buttons.Bits() << ", action " << static_cast<int>(c.Action));
    FXDialog dialog;
    dialog.SetText("Go on?");
    dialog.SetButtons(c.Buttons);
    const ui::TModalResult result = Run(dialog, [&](FXDialog& d) {
      platform::HeadlessWindow& screen = Screen(*d.Window());
      switch (c.Action) {
        case Act::Enter: screen.TypeKey(platform::keys::Return); break;
        case Act::Escape: screen.TypeKey(platform::keys::Escape); break;
        case Act::Close: screen.RequestClose(); break;
      }
    });
    EXPECT_EQ(result, c.Result);
  }
}

TEST_F(DialogTest, TheMessageIsAsWideAsItsTitleAndWrapsLongTextAtSixtyFiveAverageLetters) {
  struct Case {
    std::string Title, Text;
  } cases[] = {
      {"A title far wider than its message", "Short"},
      {"Title", "Short"},
      {"Title", Words(200)},
      {"", Words(40)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Title + " / " + c.Text.substr(0, 20));
    FXDialog dialog;
    dialog.SetTitle(c.Title);
    dialog.SetText(c.Text);
    Run(dialog, [&](FXDialog& d) {
      FXTextBox& title = *d.TitleBox();
      FXTextBox& message = *d.MessageBox();
      const int average = d.AverageCharSize().X;
      EXPECT_GE(message.Width(), title.Width());
      if (c.Text.size() > 80) {
        EXPECT_EQ(message.Width(), 65 * average);
        EXPECT_GT(message.Height(), 2 * d.AverageCharSize().Y) << "wrapped onto several lines";
      } else {
        EXPECT_LE(message.Width(), std::max<int>(title.Width(), static_cast<int>(c.Text.size()) * average));
      }
      if (c.Title.empty())
        EXPECT_EQ(message.Top(), title.Top()) << "the message moves up to the title's place";
      else
        EXPECT_GT(message.Top(), title.Top() + title.Height());
      // The footer lies below the message, across the whole window.
      EXPECT_GE(d.Footer()->Top(), message.Top() + message.Height());
      EXPECT_EQ(d.Footer()->Width(), d.Window()->ClientWidth());
      EXPECT_EQ(d.Footer()->Top() + d.Footer()->Height(), d.Window()->ClientHeight());
      EXPECT_GE(d.Window()->Width(), 300);
      d.Window()->SetModalResult(ui::mrOk);
    });
  }
}

TEST_F(DialogTest, ButtonsAreNinetyWideUnlessTheirCaptionIsFortyPixelsOrMore) {
  FXDialog dialog;
  dialog.SetText("Which?");
  dialog.SetButtons({B::OK, B::NoToAll});
  const ui::TFont& font = dialog.ButtonDesign().Font();
  const int longCaption = TextWidth(font, "No to All");
  ASSERT_LT(TextWidth(font, "Ok"), 40);
  Run(dialog, [&](FXDialog& d) {
    EXPECT_EQ(d.Button(B::OK)->Width(), 90);
    EXPECT_EQ(d.Button(B::NoToAll)->Width(), longCaption >= 40 ? longCaption + 50 : 90);
    EXPECT_EQ(d.Button(B::OK)->Height(), 31) << "nine tenths of the design button's 35";
    d.Window()->SetModalResult(ui::mrOk);
  });
}

TEST_F(DialogTest, TheTitleIsBoldByTheFontsWeight) {
  FXDialog dialog;
  EXPECT_EQ(dialog.TitleFont().Name(), "Segoe UI");
  EXPECT_TRUE(dialog.TitleFont().Style().Bold);
  EXPECT_FALSE(dialog.TextFont().Style().Bold);
  dialog.SetTitle("Installed version is newer");
  ui::TFont regular = dialog.TitleFont();
  regular.SetStyle({});
  Run(dialog, [&](FXDialog& d) {
    EXPECT_TRUE(d.TitleBox()->Font().Style().Bold);
    EXPECT_GT(d.TitleBox()->Width(), TextWidth(regular, "Installed version is newer")) << "drawn in a bold face";
    d.Window()->SetModalResult(ui::mrOk);
  });
}

TEST_F(DialogTest, OpensCentredOnItsParentThenTheMainFormThenTheScreenAndDarkensTheParent) {
  platform::SetHeadlessMonitor({0, 0, 1600, 900});
  FXForm parent(nullptr);
  parent.SetBounds(100, 80, 900, 700);
  parent.Show();
  FXForm main(nullptr);
  main.SetBounds(700, 200, 600, 500);
  main.Show();
  struct Case {
    ui::TForm* Parent;
    ui::TForm* Main;
    ui::TPoint Centre;
  } cases[] = {
      {&parent, &main, {550, 430}},
      {nullptr, &main, {1000, 450}},
      {nullptr, nullptr, {800, 450}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Centre.X);
    ui::Application().SetMainForm(c.Main);
    FXDialog dialog(c.Parent);
    dialog.SetTitle("Where");
    dialog.SetText("Here.");
    bool smokeDuring = false;
    ui::TRect bounds;
    Run(dialog, [&](FXDialog& d) {
      bounds = d.Window()->BoundsRect();
      smokeDuring = parent.SmokeOverlay().Visible();
      d.Window()->SetModalResult(ui::mrOk);
    });
    EXPECT_NEAR(bounds.Left + bounds.Width() / 2, c.Centre.X, 1);
    EXPECT_NEAR(bounds.Top + bounds.Height() / 2, c.Centre.Y, 1);
    EXPECT_EQ(smokeDuring, c.Parent == &parent);
    EXPECT_FALSE(parent.SmokeEffect());
    ASSERT_TRUE(Loop([&] { return !parent.SmokeOverlay().Visible(); })) << "the overlay fades out after the dialog";
  }
}

TEST_F(DialogTest, StaysOnItsMonitorBesideAParentAtTheEdgeAndUnderAMessageTallerThanTheScreen) {
  platform::SetHeadlessMonitor({0, 0, 1280, 720});
  FXForm parent(nullptr);
  parent.SetBounds(1150, 600, 400, 300);  // mostly off the right and bottom edges
  parent.Show();
  struct Case {
    ui::TForm* Parent;
    std::string Text;
  } cases[] = {{&parent, "Near the edge."}, {nullptr, Words(6000)}};
  for (const Case& c : cases) {
    FXDialog dialog(c.Parent);
    dialog.SetText(c.Text);
    ui::TRect bounds, ok;
    int footerBottom = 0;
    const ui::TModalResult result = Run(dialog, [&](FXDialog& d) {
      bounds = d.Window()->BoundsRect();
      FXButton& button = *d.Button(B::OK);
      const ui::TPoint origin = button.FormToClient({0, 0});
      ok = ui::Bounds(bounds.Left - origin.X, bounds.Top - origin.Y, button.Width(), button.Height());
      footerBottom = d.Footer()->Top() + d.Footer()->Height();
      ClickOn(button);  // reachable: the click lands
    });
    EXPECT_EQ(result, ui::mrOk);
    EXPECT_GE(bounds.Left, 0);
    EXPECT_GE(bounds.Top, 0);
    EXPECT_LE(bounds.Right, 1280);
    EXPECT_LE(bounds.Bottom, 720);
    EXPECT_EQ(footerBottom, bounds.Height()) << "the footer stays at the bottom of a shortened window";
    EXPECT_LE(ok.Bottom, 720);
    EXPECT_LE(ok.Right, 1280);
  }
}

TEST_F(DialogTest, FreeingItWhileButtonsBlendAndTheParentsSmokeFadesIsSafe) {
  auto parent = std::make_unique<FXForm>(nullptr);
  parent->SetBounds(100, 100, 800, 600);
  parent->Show();
  {
    FXDialog dialog(parent.get());
    dialog.SetText("Go on?");
    dialog.SetButtons({B::Yes, B::No});
    Run(dialog, [&](FXDialog& d) {
      // Blends started on both buttons, then the answer at once: the window goes mid-animation.
      for (FXButton* b : RightToLeft(d)) b->Animation = true;
      const ui::TPoint no = Middle(*d.Button(B::No));
      Screen(*d.Window()).MoveTo(Middle(*d.Button(B::Yes)).X, no.Y);
      Screen(*d.Window()).MoveTo(no.X, no.Y);
      ClickOn(*d.Button(B::No));
    });
  }
  EXPECT_TRUE(parent->SmokeOverlay().Visible()) << "still fading out";
  parent.reset();  // the parent goes while its overlay fades
  // Whatever frames were still on their way find nothing to touch.
  ASSERT_TRUE(Loop([] { return ui::Application().WorkerCount() == 0; }));
  ui::Application().ProcessMessages();
  SUCCEED();
}

TEST(DialogAnswers, CaptionsResultsAndTheCloseAnswerOfEachSet) {
  EXPECT_EQ(DialogButtonCaption(B::OK), "Ok");
  EXPECT_EQ(DialogButtonCaption(B::NoToAll), "No to All");
  EXPECT_EQ(DialogButtonResult(B::All), 12);
  EXPECT_EQ(DialogButtonResult(B::Help), 9);
  EXPECT_EQ(DialogButtonResult(B::Close), ui::mrClose);
  EXPECT_EQ(DialogCloseResult({B::Yes, B::No}), ui::mrNo);
  EXPECT_EQ(DialogCloseResult({B::Yes, B::YesToAll}), ui::mrYes);
  EXPECT_EQ(DialogCloseResult({B::Help, B::Close}), 9);
  EXPECT_EQ(DialogCloseResult({B::OK, B::Cancel}), ui::mrCancel);
}

}  // namespace
