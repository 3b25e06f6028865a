// Forms on the headless window backend: presenting pixels, input changing a control, modal runs, closing.
#include <gtest/gtest.h>

#include "toggle_control.h"

#include "platform/headless_window.h"
#include "ui/application.h"
#include "ui/forms.h"
#include "ui/timer.h"

namespace {

using namespace ui;

platform::HeadlessWindow& Screen(TForm& form) { return dynamic_cast<platform::HeadlessWindow&>(form.Window()); }

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

  if (!platform::CanvasSupported()) {
    // Without a drawing backend the form still shows its colour.
    EXPECT_EQ(ScreenColor(screen, 5, 5), 0xFFFFFFFFu);
    GTEST_SKIP() << "no drawing backend on this system";
  }
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

}  // namespace
