// Forms in real SDL2 windows in an X server: the loop waits in the backend, input reaches the controls
// and the window shows the form's pixels.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include "toggle_control.h"

#include <cstdlib>
#include <thread>

#include "platform/headless_window.h"
#include "ui/application.h"
#include "ui/forms.h"
#include "ui/timer.h"

// Last: Xlib's macros would rewrite the toolkit's names.
#include <SDL2/SDL_syswm.h>

namespace {

using namespace ui;

using testsupport::TToggle;

SDL_Window* WindowTitled(const char* title) {
  // The newest first: windows of earlier tests may still carry the same title. Ids only grow, and a
  // long run (a repeated test) makes many windows.
  for (Uint32 id = 1u << 16; id > 0; --id)
    if (SDL_Window* w = SDL_GetWindowFromID(id); w && std::string(SDL_GetWindowTitle(w)) == title) return w;
  return nullptr;
}

// The pixel the window shows, as 0xAARRGGBB.
Uint32 ShownPixel(SDL_Window* window, int x, int y) {
  SDL_Surface* shown = SDL_GetWindowSurface(window);
  if (!shown || x >= shown->w || y >= shown->h) return 0;
  Uint32 pixel = 0;
  SDL_ConvertPixels(1, 1, shown->format->format,
                    static_cast<Uint8*>(shown->pixels) + static_cast<std::size_t>(y) * shown->pitch + x * 4, shown->pitch,
                    SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
  return pixel;
}

void PushButton(SDL_Window* window, Uint32 type, int x, int y) {
  SDL_Event e{};
  e.type = type;
  e.button.windowID = SDL_GetWindowID(window);
  e.button.button = SDL_BUTTON_LEFT;
  e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.button.x = x;
  e.button.y = y;
  SDL_PushEvent(&e);
}

class SdlWindows : public testing::Test {
 protected:
  void SetUp() override {
    // Only a real X server counts: SDL would otherwise settle for an off-screen driver.
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server";
    try {
      platform::SetWindowBackend(platform::CreateSystemBackend());
    } catch (const std::runtime_error& e) {
      GTEST_SKIP() << e.what();
    }
  }
  void TearDown() override { platform::SetWindowBackend(platform::CreateHeadlessBackend()); }
};

TEST_F(SdlWindows, ClickInTheWindowEndsAModalRunAndRepaints) {
  TForm form(nullptr);
  form.SetCaption("sdl click");
  form.SetClientSize(120, 80);
  form.SetColor(0xFFFFFFFF);
  auto* toggle = new TToggle(&form);
  toggle->SetBounds(10, 10, 50, 40);
  toggle->SetParent(&form);
  Uint32 before = 0, after = 0;
  toggle->OnClick = [&](TControl&) {
    form.Update();
    after = ShownPixel(WindowTitled("sdl click"), 20, 20);
    form.SetModalResult(mrOk);
  };
  TTimer user;
  user.SetInterval(50);
  user.OnTimer = [&] {
    user.SetEnabled(false);
    SDL_Window* window = WindowTitled("sdl click");
    ASSERT_NE(window, nullptr);
    before = ShownPixel(window, 20, 20);
    PushButton(window, SDL_MOUSEBUTTONDOWN, 20, 20);
    PushButton(window, SDL_MOUSEBUTTONUP, 20, 20);
  };
  // A worker's call reaches the loop while it waits in the backend.
  bool queued = false;
  std::thread worker([&] { Application().Queue([&] { queued = true; }); });
  EXPECT_EQ(form.ShowModal(), mrOk);
  worker.join();
  EXPECT_TRUE(queued);
  EXPECT_EQ(before & 0xFFFFFF, 0xC00000u);
  EXPECT_EQ(after & 0xFFFFFF, 0x00C000u);
}

TEST_F(SdlWindows, FramesPopupsMonitorsClipboardAndMovesReachTheSystem) {
  struct TMoving : TForm {
    using TForm::TForm;
    int Moves = 0;
    void Moved() override { ++Moves; }
  } form(nullptr);
  form.SetCaption("seam");
  form.SetBounds(40, 30, 300, 200);
  form.Show();
  SDL_Window* window = WindowTitled("seam");
  ASSERT_NE(window, nullptr);
  form.SetBorderStyle(TFormBorderStyle::bsSingle);
  EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE);
  form.SetBorderStyle(TFormBorderStyle::bsNone);
  EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_BORDERLESS);
  form.SetConstraints({.MinWidth = 200, .MinHeight = 100, .MaxWidth = 500, .MaxHeight = 400});
  int w = 0, h = 0;
  SDL_GetWindowMinimumSize(window, &w, &h);
  EXPECT_EQ(w, 200);
  SDL_GetWindowMaximumSize(window, &w, &h);
  EXPECT_EQ(h, 400);

  const TRect monitor = form.MonitorBounds();
  EXPECT_GT(monitor.Width(), 0);
  EXPECT_GT(monitor.Height(), 0);

  // The system moving the window (here: the X server, as a window manager would have it) reaches the
  // form, once. SDL reports no move it made itself. What the X server has to say about the window's
  // earlier changes is all delivered first (it has answered every request once XSync returns), so
  // that the one report counted is this move's; the X server applies the move when it gets to it, and
  // the test waits for the new place itself.
  SDL_SysWMinfo system;
  SDL_VERSION(&system.version);
  ASSERT_TRUE(SDL_GetWindowWMInfo(window, &system));
  ASSERT_EQ(system.subsystem, SDL_SYSWM_X11);
  XSync(system.info.x11.display, False);
  platform::CurrentWindowBackend().PumpEvents(0);
  const int moves = form.Moves;
  XMoveWindow(system.info.x11.display, system.info.x11.window, 90, 70);
  XFlush(system.info.x11.display);
  ASSERT_TRUE(Application().RunUntil([&] { return form.Left() == 90 && form.Top() == 70; }, std::chrono::seconds(60)));
  EXPECT_EQ(form.Moves, moves + 1);

  platform::WindowBackend& backend = platform::CurrentWindowBackend();
  backend.SetClipboardText("from the gallery");
  EXPECT_EQ(backend.ClipboardText(), "from the gallery");

  // A popup is made again as a tooltip window and keeps its place and caption.
  form.Window().SetPopup(true);
  SDL_Window* popup = WindowTitled("seam");
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(SDL_GetWindowFlags(popup) & SDL_WINDOW_TOOLTIP);
  EXPECT_EQ(form.Window().Bounds().width, 300);
}

}  // namespace
