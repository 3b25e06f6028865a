// What forms ask of their windows and the application: the custom title bar, embedded translucent
// forms, move and size notifications, the window-update lock, the forms list and hint windows.
#include <gtest/gtest.h>

#include "platform/headless_window.h"
#include "screen.h"
#include "ui/application.h"
#include "ui/forms.h"
#include "ui/hints.h"
#include "ui/timer.h"
#include "loop_clock.h"

namespace {

using namespace ui;

using testsupport::Screen;
TAlphaColor ScreenColor(TForm& form, int x, int y) { return Unpremultiply(Screen(form).ScreenPixel(x, y)); }

TEST(FormWindow, CustomTitleBarDragsTheWindowAndItsButtonsAct) {
  TForm form(nullptr);
  form.SetClientSize(400, 200);
  form.SetBorderIcons({.SystemMenu = true, .Minimize = false, .Maximize = false});
  form.SetBorderStyle(TFormBorderStyle::bsSingle);
  auto* bar = new TTitleBarPanel(&form);
  bar->SetParent(&form);
  bar->SetHeight(30);
  auto* onBar = new TPanel(&form);  // a control placed on the title bar takes its own clicks
  onBar->SetParent(bar);
  onBar->SetBounds(100, 5, 20, 20);
  platform::HeadlessWindow& screen = Screen(form);
  form.Show();
  EXPECT_FALSE(screen.IsCaption(10, 10)) << "no custom title bar yet";

  TTitleBar& title = form.CustomTitleBar();
  title.SystemButtons = false;
  title.BackgroundColor = 0xFF202020;
  title.ButtonHoverBackgroundColor = 0xFF505050;
  title.SetControl(bar);
  title.SetEnabled(true);
  EXPECT_FALSE(screen.Decorated()) << "the form draws its own caption";
  EXPECT_TRUE(screen.IsCaption(10, 10));
  EXPECT_FALSE(screen.IsCaption(110, 10));
  EXPECT_FALSE(screen.IsCaption(390, 10)) << "the close button";
  EXPECT_FALSE(screen.IsCaption(10, 50)) << "below the title bar";
  EXPECT_EQ(bar->ButtonAt(340, 10), TTitleBarPanel::TButton::None) << "only a close button without min/max icons";

  form.Update();
  EXPECT_EQ(ScreenColor(form, 10, 2), 0xFF202020u);
  screen.MoveTo(390, 10);
  EXPECT_EQ(ScreenColor(form, 390, 2), 0xFF505050u) << "the hovered close button";
  bool closed = false;
  form.OnClose = [&](TForm&, TCloseAction&) { closed = true; };
  screen.Click(390, 10);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(form.Visible());

  title.SetEnabled(false);
  EXPECT_TRUE(screen.Decorated());
}

struct TCounting : TPanel {
  using TPanel::TPanel;
  std::vector<unsigned> Seen;
  void Notify(unsigned message) override { Seen.push_back(message); }
};

struct TNotifyingForm : TForm {
  using TForm::TForm;
  int MovedCount = 0, ResizedCount = 0;
  void Moved() override {
    ++MovedCount;
    Broadcast(WM_USER + 513);
  }
  void Resized() override {
    ++ResizedCount;
    Broadcast(WM_USER + 514);
  }
};

TEST(FormWindow, MovesAndResizesAreReportedOnceWhoeverMadeThem) {
  TNotifyingForm form(nullptr);
  auto* panel = new TCounting(&form);
  panel->SetParent(&form);
  auto* nested = new TCounting(&form);
  nested->SetParent(panel);
  form.SetBounds(50, 60, 300, 200);
  EXPECT_EQ(form.MovedCount, 1);
  EXPECT_EQ(form.ResizedCount, 1);
  Screen(form).MoveWindow(70, 80);  // dragged by the user
  EXPECT_EQ(form.MovedCount, 2);
  EXPECT_EQ(form.Left(), 70);
  Screen(form).Resize(320, 210);
  EXPECT_EQ(form.ResizedCount, 2);
  EXPECT_EQ(form.ClientWidth(), 320);
  form.SetBounds(70, 80, 320, 210);  // nothing changes
  EXPECT_EQ(form.MovedCount, 2);
  EXPECT_EQ(nested->Seen, (std::vector<unsigned>{1537, 1538, 1537, 1538}));
}

TEST(FormWindow, EmbeddedTranslucentFormDarkensItsParentAndKeepsTheKeys) {
  TForm form(nullptr);
  form.SetClientSize(200, 100);
  form.SetColor(0xFFFFFFFF);
  auto* first = new TCustomControl(&form);
  first->SetParent(&form);
  first->SetTabStop(true);
  auto* second = new TCustomControl(&form);
  second->SetParent(&form);
  second->SetTabStop(true);
  form.Show();
  ASSERT_EQ(form.ActiveControl(), first);

  auto* overlay = new TForm(nullptr);
  overlay->SetParent(&form);
  overlay->SetWindowState(TWindowState::wsMaximized);
  overlay->SetColor(0xFF000000);
  overlay->SetAlphaBlend(true);
  overlay->SetAlphaBlendValue(150);
  overlay->Show();
  EXPECT_EQ(overlay->Width(), 200);
  EXPECT_FALSE(Screen(*overlay).Visible()) << "no window of its own";
  form.Update();
  // White under black at 150/255 leaves 105.
  EXPECT_NEAR(static_cast<int>(ScreenColor(form, 100, 50) & 0xFF), 105, 1);

  form.SetActiveControl(overlay);
  Screen(form).TypeKey(platform::keys::Tab);
  EXPECT_EQ(form.ActiveControl(), overlay) << "Tab does not lead away from the overlay";
  overlay->Hide();
  form.Update();
  EXPECT_EQ(ScreenColor(form, 100, 50), 0xFFFFFFFFu);
  delete overlay;
}

TEST(FormWindow, OneFormHoldsTheUpdateLockAndPresentsWhenItIsReleased) {
  TForm a(nullptr), b(nullptr);
  a.Show();
  const int presented = Screen(a).PresentCount();
  EXPECT_TRUE(Application().LockWindowUpdate(&a));
  EXPECT_FALSE(Application().LockWindowUpdate(&b)) << "one window at a time";
  a.SetColor(0xFF112233);
  a.Repaint();
  EXPECT_EQ(Screen(a).PresentCount(), presented);
  EXPECT_TRUE(a.UpdatesLocked());
  Application().LockWindowUpdate(nullptr);
  EXPECT_EQ(Screen(a).PresentCount(), presented + 1) << "the held-back picture goes out on release";
  EXPECT_TRUE(Application().LockWindowUpdate(&b));
  Application().LockWindowUpdate(nullptr);
}

TEST(FormWindow, TheApplicationListsFormsAndPresentsWhatTimersChange) {
  const int before = Application().FormCount();
  auto first = std::make_unique<TForm>(nullptr);
  TForm second(nullptr);
  ASSERT_EQ(Application().FormCount(), before + 2);
  EXPECT_EQ(Application().Forms(before), first.get());
  if (before == 0) {
    EXPECT_EQ(Application().MainForm(), first.get());
  }
  first.reset();
  EXPECT_EQ(Application().FormCount(), before + 1);

  second.Show();
  const int presented = Screen(second).PresentCount();
  TTimer timer;
  timer.SetInterval(1);
  timer.OnTimer = [&] {
    timer.SetEnabled(false);
    second.SetColor(0xFF445566);
  };
  Application().RunUntil([&] { return Screen(second).PresentCount() > presented; }, std::chrono::seconds(5));
  EXPECT_EQ(Screen(second).PresentCount(), presented + 1);
}

struct TOtherHint : THintWindow {
  using THintWindow::THintWindow;
  void CreateParams(TCreateParams& params) override {
    THintWindow::CreateParams(params);
    params.DropShadow = false;
  }
};

TEST(FormWindow, HintsShowAfterThePauseBelowThePointerInTheCurrentClass) {
  TForm form(nullptr);
  form.SetBounds(100, 100, 300, 200);
  auto* withHint = new TPanel(&form);
  withHint->SetParent(&form);
  withHint->SetBounds(10, 10, 100, 50);
  withHint->SetHint("Saves the file");
  auto* child = new TPanel(&form);  // no hint of its own: its parent's shows
  child->SetParent(withHint);
  child->SetBounds(5, 5, 20, 20);
  form.Show();
  testsupport::TLoopClock clock;
  ASSERT_EQ(Application().HintPause, 500);

  Screen(form).MoveTo(20, 20);
  clock.Pass(std::chrono::milliseconds(499));
  EXPECT_EQ(Application().HintWindow(), nullptr);
  clock.Pass(std::chrono::milliseconds(1));
  ASSERT_NE(Application().HintWindow(), nullptr);
  THintWindow* hint = Application().HintWindow();
  EXPECT_EQ(hint->Caption(), "Saves the file");
  EXPECT_EQ(hint->Left(), 120);
  EXPECT_EQ(hint->Top(), 140);
  EXPECT_TRUE(Screen(*hint).Popup());
  EXPECT_TRUE(form.Active()) << "a hint takes no focus";
  EXPECT_TRUE(Screen(*hint).Shadow());

  // A new class takes effect with the next hint; the shown one stays as it is.
  Application().SetHintWindowClass(THintWindowClass::Of<TOtherHint>());
  EXPECT_EQ(typeid(*Application().HintWindow()), typeid(THintWindow));
  Screen(form).Press(platform::MouseButton::Left, 20, 20);
  EXPECT_EQ(Application().HintWindow(), nullptr) << "a press hides the hint";
  Screen(form).Release(platform::MouseButton::Left, 20, 20);
  Screen(form).MoveTo(200, 150);  // off the control, then back on it
  Screen(form).MoveTo(30, 30);
  clock.Pass(std::chrono::milliseconds(500));
  ASSERT_NE(Application().HintWindow(), nullptr);
  EXPECT_EQ(typeid(*Application().HintWindow()), typeid(TOtherHint));
  EXPECT_FALSE(Screen(*Application().HintWindow()).Shadow());

  Application().SetHintWindowClass(THintWindowClass{});
}

TEST(FormWindow, FreeingTheControlTakesItsHintAlong) {
  TForm form(nullptr);
  auto* withHint = new TPanel(&form);
  withHint->SetParent(&form);
  withHint->SetBounds(0, 0, 100, 100);
  withHint->SetHint("x");
  form.Show();
  Screen(form).MoveTo(10, 10);
  Application().ActivateHint();
  ASSERT_NE(Application().HintWindow(), nullptr);
  delete withHint;
  EXPECT_EQ(Application().HintWindow(), nullptr);
}

TEST(FormWindow, KeyPreviewLetsTheFormSeeKeysFirstAndSwallowThem) {
  TForm form(nullptr);
  auto* edit = new TCustomControl(&form);
  edit->SetParent(&form);
  edit->SetTabStop(true);
  std::vector<std::string> seen;
  edit->OnKeyDown = [&](TWinControl&, int& key, TShiftState) { seen.push_back("control " + std::to_string(key)); };
  edit->OnKeyPress = [&](TWinControl&, const std::string& c) { seen.push_back("control " + c); };
  form.OnKeyDown = [&](TWinControl&, int& key, TShiftState) {
    seen.push_back("form " + std::to_string(key));
    if (key == platform::keys::Escape) key = 0;
  };
  form.OnKeyPress = [&](TWinControl&, const std::string& c) { seen.push_back("form " + c); };
  form.Show();
  ASSERT_EQ(form.ActiveControl(), edit);
  Screen(form).KeyDown(platform::keys::Space);
  Screen(form).Type("a");
  form.KeyPreview = true;
  Screen(form).KeyDown(platform::keys::Space);
  Screen(form).Type("b");
  Screen(form).KeyDown(platform::keys::Escape);
  EXPECT_EQ(seen, (std::vector<std::string>{"control 32", "control a", "form 32", "control 32", "form b", "control b",
                                            "form 27"}));
}

}  // namespace
