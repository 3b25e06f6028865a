// Forms on the headless window backend: presenting pixels, input changing a control, modal runs, closing.
#include <gtest/gtest.h>

#include <memory>

#include "toggle_control.h"

#include "platform/headless_window.h"
#include "screen.h"
#include "ui/application.h"
#include "ui/forms.h"
#include "ui/timer.h"
#include "loop_clock.h"

namespace {

using namespace ui;

using testsupport::Screen;

ui::TAlphaColor ScreenColor(platform::HeadlessWindow& screen, int x, int y) {
  return ui::Unpremultiply(screen.ScreenPixel(x, y));
}

using testsupport::TToggle;

struct TSquare : TGraphicControl {
  using TGraphicControl::TGraphicControl;
  void Paint() override {
    Canvas()->BrushColor = 0xFF0000FF;
    Canvas()->FillRect(ClientRect());
  }
};

TEST(Form, WindowTakesTheFormsPropertiesAndSize) {
  TForm form(nullptr);
  platform::HeadlessWindow& screen = Screen(form);
  form.SetCaption("Setup");
  form.SetClientSize(734, 461);
  form.SetAlphaBlendValue(200);
  EXPECT_EQ(screen.Alpha(), 255) << "the alpha waits for alpha blending to be on";
  form.SetAlphaBlend(true);
  form.SetStayOnTop(true);
  form.SetBorderStyle(TFormBorderStyle::bsSingle);
  EXPECT_EQ(screen.Caption(), "Setup");
  EXPECT_EQ(screen.Bounds().width, 734);
  EXPECT_EQ(screen.Alpha(), 200);
  EXPECT_FALSE(screen.Resizable());
  EXPECT_TRUE(screen.Decorated());
  EXPECT_TRUE(screen.StayOnTop());
  EXPECT_FALSE(screen.Visible());
  form.Show();
  EXPECT_TRUE(screen.Visible());
  EXPECT_TRUE(form.Active());
  EXPECT_EQ(screen.ScreenWidth(), 734);
  EXPECT_EQ(screen.ScreenHeight(), 461);

  auto* client = new TControl(&form);
  client->SetParent(&form);
  client->SetAlign(TAlign::alClient);
  screen.Resize(300, 200);  // the user resizes the window
  EXPECT_EQ(form.ClientWidth(), 300);
  EXPECT_EQ(client->BoundsRect(), (TRect{0, 0, 300, 200}));
}

TEST(Form, ClickOnAControlChangesThePresentedPixels) {
  TForm form(nullptr);
  form.SetClientSize(100, 60);
  form.SetColor(0xFFFFFFFF);
  auto* toggle = new TToggle(&form);
  toggle->SetBounds(10, 10, 40, 30);
  toggle->SetParent(&form);
  auto* square = new TSquare(&form);  // beneath the toggle where they overlap
  square->SetBounds(40, 20, 30, 30);
  square->SetParent(&form);
  auto* panel = new TPanel(&form);  // its child is clipped to it
  panel->SetBounds(80, 0, 20, 20);
  panel->SetColor(0xFF808080);
  panel->SetParent(&form);
  auto* inPanel = new TSquare(&form);
  inPanel->SetBounds(10, 10, 30, 30);
  inPanel->SetParent(panel);
  int clicks = 0;
  toggle->OnClick = [&](TControl&) { ++clicks; };
  form.Show();
  platform::HeadlessWindow& screen = Screen(form);

  EXPECT_EQ(ScreenColor(screen, 5, 5), 0xFFFFFFFFu);
  EXPECT_EQ(ScreenColor(screen, 20, 20), 0xFFC00000u);
  EXPECT_EQ(ScreenColor(screen, 45, 25), 0xFFC00000u);  // the windowed toggle covers the square
  EXPECT_EQ(ScreenColor(screen, 60, 45), 0xFF0000FFu);
  EXPECT_EQ(ScreenColor(screen, 85, 5), 0xFF808080u);
  EXPECT_EQ(ScreenColor(screen, 95, 15), 0xFF0000FFu);
  EXPECT_EQ(ScreenColor(screen, 95, 25), 0xFFFFFFFFu);
  const int presents = screen.PresentCount();

  screen.Click(20, 20);
  EXPECT_EQ(clicks, 1);
  EXPECT_GT(screen.PresentCount(), presents);
  EXPECT_EQ(ScreenColor(screen, 20, 20), 0xFF00C000u);
  EXPECT_EQ(ScreenColor(screen, 60, 45), 0xFF0000FFu);

  const int settled = screen.PresentCount();
  screen.MoveTo(90, 5);  // nothing invalidated: nothing presented
  EXPECT_EQ(screen.PresentCount(), settled);
}

TEST(Form, ShowModalRunsUntilModalResultIsSet) {
  TForm form(nullptr);
  auto* ok = new TToggle(&form);
  ok->SetBounds(0, 0, 20, 20);
  ok->SetParent(&form);
  ok->OnClick = [&](TControl&) { form.SetModalResult(mrOk); };
  TTimer user;  // plays the user, from inside the modal loop
  user.SetInterval(1);
  user.OnTimer = [&] {
    user.SetEnabled(false);
    Screen(form).Click(5, 5);
  };
  auto* field = new TWinControl(&form);
  field->SetBounds(30, 0, 20, 20);
  field->SetTabStop(true);
  field->SetParent(&form);
  EXPECT_EQ(form.ShowModal(), mrOk);
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(Screen(form).Visible());
  EXPECT_EQ(form.ActiveControl(), field);  // kept for the next time it shows
}

TEST(Form, CloseQueryCanRefuseAndACloseRequestEndsAModalRunWithCancel) {
  TForm form(nullptr);
  int asked = 0;
  bool allow = false;
  form.OnCloseQuery = [&](TForm&, bool& canClose) {
    ++asked;
    canClose = allow;
  };
  form.Show();
  Screen(form).RequestClose();
  EXPECT_TRUE(form.Visible());

  TTimer user;
  user.SetInterval(1);
  user.OnTimer = [&] {
    if (asked == 1) {
      Screen(form).RequestClose();  // refused again
      allow = true;
    } else {
      user.SetEnabled(false);
      Screen(form).RequestClose();
    }
  };
  EXPECT_EQ(form.ShowModal(), mrCancel);
  EXPECT_EQ(asked, 3);
  EXPECT_FALSE(form.Visible());
}

// Counts what reaches it, so a test can tell refused input from delivered input.
struct TRecorder : TCustomControl {
  explicit TRecorder(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 50, 50);
  }
  int Presses = 0, Keys = 0, Characters = 0, Wheels = 0, Moves = 0, Leaves = 0;
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    ++Presses;
    TCustomControl::MouseDown(b, s, x, y);
  }
  void MouseMove(TShiftState s, int x, int y) override {
    ++Moves;
    TCustomControl::MouseMove(s, x, y);
  }
  void MouseLeave() override {
    ++Leaves;
    TCustomControl::MouseLeave();
  }
  bool MouseWheel(TShiftState, int, int, int) override { return ++Wheels > 0; }
  void KeyDown(int& key, TShiftState shift) override {
    ++Keys;
    TCustomControl::KeyDown(key, shift);
  }
  void KeyPress(const std::string& c) override {
    ++Characters;
    TCustomControl::KeyPress(c);
  }
  int Total() const { return Presses + Keys + Characters + Wheels + Moves; }
};

// A form with one recorder filling its top-left corner.
struct TRecordingForm : TForm {
  explicit TRecordingForm(TComponent* owner = nullptr) : TForm(owner), Recorder(new TRecorder(this)) {
    Recorder->SetParent(this);
  }
  TRecorder* Recorder;
};

// Everything a user can do to a window with the pointer and the keys.
void Pester(TForm& form) {
  platform::HeadlessWindow& screen = Screen(form);
  screen.MoveTo(10, 10);
  screen.Click(10, 10);
  screen.Wheel(-120, 10, 10);
  screen.TypeKey(platform::keys::Return);
  screen.Type("a");
  screen.RequestClose();
}

TEST(Form, ModalRunShutsOutTheOtherWindowsAndGivesTheFocusBackToTheOwner) {
  TRecordingForm owner;
  owner.Show();
  Screen(owner).MoveTo(10, 10);  // hovered when the dialog opens
  ASSERT_EQ(owner.HoverControl(), owner.Recorder);
  TRecordingForm dialog;
  testsupport::TLoopClock loopClock;
  TTimer clock;  // timers of the shut-out window go on
  int ticks = 0;
  clock.SetInterval(1);
  clock.OnTimer = [&] { ++ticks; };

  int refused = -1;
  bool ownerVisible = false, dialogActive = false;
  Application().Queue([&] {
    EXPECT_EQ(Application().ModalForm(), &dialog);
    EXPECT_EQ(owner.Recorder->Leaves, 1) << "the hover lets go when the owner is shut out";
    EXPECT_EQ(owner.HoverControl(), nullptr);
    const int before = owner.Recorder->Total();
    Pester(owner);
    refused = owner.Recorder->Total() - before;
    ownerVisible = owner.Visible();
    dialogActive = dialog.Active();  // the press on the owner brought the dialog forward
    Pester(dialog);
    Screen(dialog).Click(10, 10);
    loopClock.Advance(std::chrono::milliseconds(1));
    Application().RunUntil([&] { return ticks > 0; }, std::chrono::seconds(60));
  });
  EXPECT_EQ(dialog.ShowModal(), mrCancel) << "the dialog's own close request ends the run";
  EXPECT_EQ(refused, 0);
  EXPECT_TRUE(ownerVisible) << "a close request to the owner is refused too";
  EXPECT_TRUE(dialogActive);
  EXPECT_GE(dialog.Recorder->Presses, 1);
  EXPECT_EQ(dialog.Recorder->Keys, 1);
  EXPECT_EQ(dialog.Recorder->Characters, 1);
  EXPECT_EQ(dialog.Recorder->Wheels, 1);
  EXPECT_GT(ticks, 0);

  EXPECT_EQ(Application().ModalForm(), nullptr);
  EXPECT_TRUE(owner.Active()) << "the focus went back to the owner";
  EXPECT_FALSE(dialog.Active());
  const int before = owner.Recorder->Total();
  Screen(owner).Click(10, 10);
  Screen(owner).TypeKey(platform::keys::Return);
  EXPECT_GT(owner.Recorder->Total(), before) << "the owner takes input again";
}

TEST(Form, NestedModalRunsLetOnlyTheInnermostTakeInputAndHandTheFocusBackInTurn) {
  TRecordingForm owner;
  owner.Show();
  TRecordingForm outer;
  auto* popup = new TRecordingForm(&outer);  // made before the run but owned by the modal form: not shut out
  TRecordingForm inner;

  int ownerDuring = -1, outerDuringInner = -1, innerPresses = -1, outerAfterInner = -1, popupPresses = -1;
  bool outerActiveAfterInner = false;
  Application().Queue([&] {
    popup->Show();
    Screen(*popup).Click(10, 10);
    popupPresses = popup->Recorder->Presses;
    popup->Close();
    Application().Queue([&] {
      const int o = owner.Recorder->Total(), u = outer.Recorder->Total();
      Pester(owner);
      Pester(outer);
      ownerDuring = owner.Recorder->Total() - o;
      outerDuringInner = outer.Recorder->Total() - u;
      Screen(inner).Click(10, 10);
      innerPresses = inner.Recorder->Presses;
      inner.SetModalResult(mrYes);
    });
    EXPECT_EQ(inner.ShowModal(), mrYes);
    outerActiveAfterInner = outer.Active();
    Screen(outer).Click(10, 10);
    outerAfterInner = outer.Recorder->Presses;
    outer.SetModalResult(mrNo);
  });
  EXPECT_EQ(outer.ShowModal(), mrNo);
  EXPECT_EQ(popupPresses, 1);
  EXPECT_EQ(ownerDuring, 0);
  EXPECT_EQ(outerDuringInner, 0) << "the outer modal form is shut out by the inner one";
  EXPECT_EQ(innerPresses, 1);
  EXPECT_TRUE(outerActiveAfterInner);
  EXPECT_EQ(outerAfterInner, 1) << "the outer form takes input again once the inner run ended";
  EXPECT_TRUE(owner.Active());
}

// A handler may end the form its input runs in: released, the form lives until the input has
// returned; freed outright, the form's input code touches nothing of it afterwards.
TEST(Form, AHandlerMayEndItsOwnFormWhileTheInputRuns) {
  struct TWatched : TGraphicControl {
    using TGraphicControl::TGraphicControl;
    ~TWatched() override { *Gone = true; }
    bool* Gone = nullptr;
  };
  enum class TEvent { Down, Up, Click, Key };
  for (const bool release : {true, false})
    for (const TEvent event : {TEvent::Down, TEvent::Up, TEvent::Click, TEvent::Key}) {
      SCOPED_TRACE(testing::Message() << "release " << release << ", event " << static_cast<int>(event));
      auto owned = std::make_unique<TForm>(nullptr);
      TForm* form = owned.get();
      bool gone = false, goneInHandler = true;
      auto* square = new TWatched(form);
      square->Gone = &gone;
      square->SetBounds(10, 10, 40, 30);
      square->SetParent(form);
      form->Show();
      platform::HeadlessWindow& screen = Screen(*form);
      auto end = [&] {
        if (release) Application().Release(std::move(owned));
        else owned.reset();
        goneInHandler = gone;
        if (release) {
          EXPECT_FALSE(form->Visible());
        }
      };
      switch (event) {
        case TEvent::Down:
          square->OnMouseDown = [&](TControl&, TMouseButton, TShiftState, int, int) { end(); };
          // The release would reach a window already gone.
          screen.Press(TMouseButton::Left, 20, 20);
          break;
        case TEvent::Up:
          square->OnMouseUp = [&](TControl&, TMouseButton, TShiftState, int, int) { end(); };
          screen.Click(20, 20);
          break;
        case TEvent::Click:
          square->OnClick = [&](TControl&) { end(); };
          screen.Click(20, 20);
          break;
        case TEvent::Key:
          form->OnKeyDown = [&](TWinControl&, int&, TShiftState) { end(); };
          screen.KeyDown('A');
          break;
      }
      EXPECT_EQ(goneInHandler, !release);
      EXPECT_TRUE(gone);
      EXPECT_EQ(owned, nullptr);
    }
}

}  // namespace
