// Real windows of the Windows build (under Wine in an X server of the test's own): what the system shows,
// how its messages reach the toolkit, and the window kinds, limits and clipboard the toolkit asks for.
#include <gtest/gtest.h>

#include "toggle_control.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless_window.h"
#include "platform/window.h"
#include "ui/application.h"
#include "ui/forms.h"
#include "ui/timer.h"

// After the toolkit's headers: the system's macros would otherwise rename the toolkit's constants.
#include <windows.h>

namespace {

using namespace ui;

// Everything a window reported, one line per input, so a test compares what arrived in one look.
struct TRecorder final : platform::WindowInput {
  std::vector<std::string> Seen;
  std::function<bool(int, int)> Caption = [](int, int) { return false; };
  bool ThrowOnClose = false;

  void InputPointerMoved(int x, int y, unsigned shift) override { Add("move " + Pos(x, y) + Shift(shift)); }
  void InputPointerLeft() override { Add("left"); }
  void InputButton(platform::MouseButton button, bool down, int x, int y, unsigned shift) override {
    const char* name = button == platform::MouseButton::Left ? "left" : button == platform::MouseButton::Right ? "right" : "middle";
    Add(std::string(name) + (down ? " down " : " up ") + Pos(x, y) + Shift(shift));
  }
  void InputWheel(int delta, int x, int y, unsigned) override { Add("wheel " + std::to_string(delta) + " " + Pos(x, y)); }
  void InputKey(int key, bool down, unsigned shift) override {
    Add("key " + std::to_string(key) + (down ? " down" : " up") + Shift(shift));
  }
  void InputCharacter(const std::string& utf8) override { Add("char " + utf8); }
  void InputFocus(bool focused) override { Add(focused ? "focus" : "blur"); }
  void InputResize(int width, int height) override { Add("size " + Pos(width, height)); }
  void InputCloseRequest() override {
    Add("close");
    if (ThrowOnClose) throw std::runtime_error("refused to close");
  }
  void InputMoved(int x, int y) override { Add("moved " + Pos(x, y)); }
  void InputExposed() override { Add("exposed"); }
  bool InputIsCaption(int x, int y) override { return Caption(x, y); }

  bool Saw(const std::string& line) const { return std::find(Seen.begin(), Seen.end(), line) != Seen.end(); }
  // What arrived apart from pointer moves and focus changes, which the system adds as it likes.
  std::vector<std::string> Plain() const {
    std::vector<std::string> plain;
    for (const std::string& s : Seen)
      if (s.rfind("move ", 0) != 0 && s != "focus" && s != "blur" && s != "left" && s.rfind("moved ", 0) != 0 &&
          s.rfind("size ", 0) != 0)
        plain.push_back(s);
    return plain;
  }

 private:
  void Add(std::string line) { Seen.push_back(std::move(line)); }
  static std::string Pos(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
  static std::string Shift(unsigned shift) {
    std::string s;
    if (shift & platform::ShiftKey) s += " shift";
    if (shift & platform::CtrlKey) s += " ctrl";
    if (shift & platform::AltKey) s += " alt";
    return s;
  }
};

HWND WindowCaptioned(const std::string& caption) {
  const std::wstring wide(caption.begin(), caption.end());
  return FindWindowW(nullptr, wide.c_str());
}

// The colour the screen shows at a point of the window's client area, as 0x00RRGGBB.
std::uint32_t ShownPixel(HWND hwnd, int x, int y) {
  POINT at{x, y};
  ClientToScreen(hwnd, &at);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, at.x, at.y);
  ReleaseDC(nullptr, screen);
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// The colour the screen shows at a point once it is `want`, or whatever it shows when a generous limit
// has passed. A presented picture reaches the screen when the system passes it on (Wine does when the
// thread next waits for messages), so the screen is looked at from the running loop, not at once.
std::uint32_t ShownPixelOnceItIs(HWND hwnd, int x, int y, std::uint32_t want) {
  std::uint32_t seen = ShownPixel(hwnd, x, y);
  TTimer look;
  look.SetInterval(10);
  look.OnTimer = [&] { seen = ShownPixel(hwnd, x, y); };
  Application().RunUntil([&] { return seen == want; }, std::chrono::seconds(60));
  return seen;
}

class WinWindows : public testing::Test {
 protected:
  void SetUp() override {
    try {
      platform::SetWindowBackend(platform::CreateSystemBackend());
    } catch (const std::runtime_error& e) {
      GTEST_SKIP() << e.what();
    }
  }
  void TearDown() override { platform::SetWindowBackend(platform::CreateHeadlessBackend()); }

  platform::WindowBackend& Backend() { return platform::CurrentWindowBackend(); }

  // Delivers what waits until the condition holds; the limit is generous, only a state that never
  // comes fails.
  bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 600 && !done(); ++i) Backend().PumpEvents(100);
    return done();
  }

  // A bare window of the backend with a recorder for its input, shown at a known place.
  std::unique_ptr<platform::Window> Shown(TRecorder& input, const std::string& caption, platform::WindowRect at = {100, 80, 200, 150}) {
    auto window = Backend().MakeWindow(input);
    window->SetCaption(caption);
    window->SetBounds(at);
    window->SetVisible(true);
    window->Activate();
    return window;
  }
};

TEST_F(WinWindows, PresentedPixelsShowAndAClickEndsAModalRun) {
  TForm form(nullptr);
  form.SetCaption("win click");
  form.SetBounds(120, 100, 160, 100);
  form.SetColor(0xFF3060C0);
  auto* toggle = new testsupport::TToggle(&form);
  toggle->SetBounds(10, 10, 50, 40);
  toggle->SetParent(&form);
  const std::uint32_t off = 0xC00000u, on = 0x00C000u;
  std::uint32_t before = 0, after = 0, background = 0;
  toggle->OnClick = [&](TControl&) {
    form.Update();
    after = ShownPixelOnceItIs(WindowCaptioned("win click"), 20, 20, on);
    form.SetModalResult(mrOk);
  };
  TTimer user;
  user.SetInterval(10);
  user.OnTimer = [&] {
    user.SetEnabled(false);
    HWND hwnd = WindowCaptioned("win click");
    ASSERT_NE(hwnd, nullptr);
    before = ShownPixelOnceItIs(hwnd, 20, 20, off);
    background = ShownPixelOnceItIs(hwnd, 100, 80, 0x3060C0u);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  };
  // A worker's call reaches the loop while it waits in the system's message wait.
  bool queued = false;
  std::thread worker([&] { Application().Queue([&] { queued = true; }); });
  EXPECT_EQ(form.ShowModal(), mrOk);
  worker.join();
  EXPECT_TRUE(queued);
  EXPECT_TRUE(toggle->on);
  EXPECT_EQ(background, 0x3060C0u);
  // The control shows its state.
  EXPECT_EQ(before, off);
  EXPECT_EQ(after, on);
}

TEST_F(WinWindows, MessagesReachTheInputAsTheToolkitSpeaksThem) {
  TRecorder input;
  auto window = Shown(input, "win input");
  HWND hwnd = WindowCaptioned("win input");
  ASSERT_NE(hwnd, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hwnd; }));
  input.Seen.clear();

  POINT screen{30, 40};
  ClientToScreen(hwnd, &screen);
  PostMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(5, 6));
  PostMessageW(hwnd, WM_RBUTTONUP, MK_SHIFT, MAKELPARAM(5, 6));
  // The wheel reports screen positions; the toolkit gets the client point and Windows' notches.
  PostMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -240), MAKELPARAM(screen.x, screen.y));
  PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(-3, 7));  // captured pointers go past the edge
  PostMessageW(hwnd, WM_KEYDOWN, VK_NEXT, 0);
  PostMessageW(hwnd, WM_KEYUP, VK_NEXT, 0xC0000001);
  // A character beyond the first plane comes as two messages and reaches the toolkit as one.
  PostMessageW(hwnd, WM_CHAR, 0xD834, 1);
  PostMessageW(hwnd, WM_CHAR, 0xDD1E, 1);
  PostMessageW(hwnd, WM_CHAR, L'\u00e9', 1);
  PostMessageW(hwnd, WM_CHAR, L'\r', 1);
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return input.Saw("close"); }));
  const std::vector<std::string> expected = {
      "right down 5,6", "right up 5,6", "wheel -240 30,40", "key 34 down", "key 34 up",
      "char \xF0\x9D\x84\x9E", "char \xC3\xA9", "char \r", "close"};
  EXPECT_EQ(input.Plain(), expected);
  EXPECT_TRUE(input.Saw("move -3,7"));
  EXPECT_TRUE(IsWindow(hwnd)) << "closing is the toolkit's decision";

  // The system's own input path: a real click where the window is, typed keys and the leave notice.
  input.Seen.clear();
  SetCursorPos(screen.x, screen.y);
  INPUT clicks[2]{};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, clicks, sizeof(INPUT));
  ASSERT_TRUE(PumpUntil([&] { return input.Saw("left up 30,40"); })) << testing::PrintToString(input.Seen);
  EXPECT_TRUE(input.Saw("left down 30,40"));
  INPUT keys[2]{};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = 'K';
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
  ASSERT_TRUE(PumpUntil([&] { return input.Saw("key 75 up"); })) << testing::PrintToString(input.Seen);
  EXPECT_TRUE(input.Saw("char k"));
  INPUT away{};
  away.type = INPUT_MOUSE;
  away.mi = {65535 * 9 / 10, 65535 * 9 / 10, 0, MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0};
  SendInput(1, &away, sizeof(INPUT));
  ASSERT_TRUE(PumpUntil([&] { return input.Saw("left"); })) << testing::PrintToString(input.Seen);
}

TEST_F(WinWindows, APointerReleasedOutsideTheWindowHasLeftIt) {
  TRecorder input;
  auto window = Shown(input, "win release");
  HWND hwnd = WindowCaptioned("win release");
  POINT inside{20, 20};
  ClientToScreen(hwnd, &inside);
  SetCursorPos(inside.x, inside.y);
  window->SetCapture(true);
  SetCursorPos(inside.x + 500, inside.y + 400);
  Backend().PumpEvents(0);
  input.Seen.clear();
  window->SetCapture(false);
  ASSERT_TRUE(PumpUntil([&] { return input.Saw("left"); }));
  // Released over the window, it stays there.
  SetCursorPos(inside.x, inside.y);
  window->SetCapture(true);
  window->SetCapture(false);
  input.Seen.clear();
  Backend().PumpEvents(0);
  EXPECT_FALSE(input.Saw("left"));
}

TEST_F(WinWindows, AnErrorOfTheToolkitGoesOnFromThePumpOnce) {
  TRecorder input;
  input.ThrowOnClose = true;
  auto window = Shown(input, "win error");
  HWND hwnd = WindowCaptioned("win error");
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_THROW(PumpUntil([&] { return input.Saw("close"); }), std::runtime_error);
  EXPECT_NO_THROW(Backend().PumpEvents(0)) << "held once, not again";
  EXPECT_TRUE(IsWindow(hwnd));
}

TEST_F(WinWindows, WakeRousesAWaitingPumpFromAnotherThread) {
  std::thread worker([&] { Backend().Wake(); });
  // Waits without a limit: only the wake-up ends it.
  EXPECT_TRUE(Backend().PumpEvents(-1));
  worker.join();
}

TEST_F(WinWindows, BoundsAreTheClientAreaWithOrWithoutAFrame) {
  for (bool decorated : {true, false}) {
    SCOPED_TRACE(decorated ? "decorated" : "frameless");
    TRecorder input;
    auto window = Shown(input, "win bounds");
    window->SetDecorated(decorated);
    window->SetBounds({150, 120, 260, 170});
    HWND hwnd = WindowCaptioned("win bounds");
    EXPECT_EQ(window->Bounds(), (platform::WindowRect{150, 120, 260, 170}));
    RECT outer{}, client{};
    GetWindowRect(hwnd, &outer);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 260);
    EXPECT_EQ(client.bottom, 170);
    if (decorated) {
      EXPECT_LT(outer.top, 120) << "the caption lies above the client area";
    } else {
      EXPECT_EQ(outer.left, 150);
      EXPECT_EQ(outer.top, 120);
    }

    // Moved and sized by the system: reported in client terms.
    input.Seen.clear();
    SetWindowPos(hwnd, nullptr, outer.left + 30, outer.top + 20, outer.right - outer.left + 40, outer.bottom - outer.top + 10,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(input.Saw("moved 180,140")) << testing::PrintToString(input.Seen);
    EXPECT_TRUE(input.Saw("size 300,180")) << testing::PrintToString(input.Seen);

    // Limits count for the client area; the system's tracking sizes include the frame.
    window->SetSizeLimits(200, 100, 500, 0);
    MINMAXINFO info{};
    info.ptMaxTrackSize = {9999, 9999};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    const int frameWidth = (outer.right - outer.left) - 260, frameHeight = (outer.bottom - outer.top) - 170;
    EXPECT_EQ(info.ptMinTrackSize.x, 200 + frameWidth);
    EXPECT_EQ(info.ptMinTrackSize.y, 100 + frameHeight);
    EXPECT_EQ(info.ptMaxTrackSize.x, 500 + frameWidth);
    EXPECT_EQ(info.ptMaxTrackSize.y, 9999) << "0 leaves a side unlimited";
    // A resize the user drags is held to them.
    SetWindowPos(hwnd, nullptr, 0, 0, 100, 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(window->Bounds().width, 200);
    EXPECT_EQ(window->Bounds().height, 100);
  }
}

TEST_F(WinWindows, MonitorCaptionAlphaAndStayOnTop) {
  TRecorder input;
  auto window = Shown(input, "win looks");
  HWND hwnd = WindowCaptioned("win looks");
  const platform::WindowRect monitor = window->MonitorBounds();
  EXPECT_EQ(monitor, (platform::WindowRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}));
  EXPECT_GT(monitor.width, 0);

  window->SetCaption("Grüße \xF0\x9D\x84\x9E");
  wchar_t text[32] = {};
  GetWindowTextW(hwnd, text, 32);
  EXPECT_EQ(std::wstring(text), L"Gr\u00fc\u00dfe \xD834\xDD1E");

  window->SetAlpha(128);
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 128);
  EXPECT_TRUE(flags & LWA_ALPHA);
  window->SetAlpha(255);
  EXPECT_FALSE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);

  window->SetStayOnTop(true);
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  window->SetStayOnTop(false);
  EXPECT_FALSE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);

  window->SetResizable(false);
  EXPECT_FALSE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_THICKFRAME);
  window->SetDecorated(false);
  EXPECT_FALSE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CAPTION);
}

TEST_F(WinWindows, ThePointerShowsTheCursorTheToolkitAsksFor) {
  TRecorder input;
  auto window = Shown(input, "win cursor");
  HWND hwnd = WindowCaptioned("win cursor");
  const std::pair<platform::Cursor, LPCWSTR> cases[] = {
      {platform::Cursor::Hand, IDC_HAND}, {platform::Cursor::IBeam, IDC_IBEAM}, {platform::Cursor::SizeNWSE, IDC_SIZENWSE},
      {platform::Cursor::Arrow, IDC_ARROW}};
  for (const auto& [cursor, id] : cases) {
    window->SetCursor(cursor);
    SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, id));
  }
}

TEST_F(WinWindows, AFramelessWindowIsDraggedByItsCaptionAndSizedAtItsEdges) {
  TRecorder input;
  input.Caption = [](int x, int y) { return y < 30 && x < 150; };
  auto window = Shown(input, "win frameless");
  window->SetDecorated(false);
  window->SetBounds({200, 150, 200, 120});
  HWND hwnd = WindowCaptioned("win frameless");
  auto hit = [&](int x, int y) { return SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(200 + x, 150 + y)); };
  struct {
    int x, y;
    LRESULT want;
  } const cases[] = {{50, 15, HTCAPTION},    {170, 15, HTCLIENT}, {50, 60, HTCLIENT},      {0, 60, HTLEFT},
                     {199, 60, HTRIGHT},     {50, 0, HTTOP},      {50, 119, HTBOTTOM},     {0, 0, HTTOPLEFT},
                     {199, 119, HTBOTTOMRIGHT}, {199, 0, HTTOPRIGHT}, {0, 119, HTBOTTOMLEFT}};
  for (const auto& c : cases) EXPECT_EQ(hit(c.x, c.y), c.want) << c.x << "," << c.y;

  EXPECT_FALSE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_MAXIMIZEBOX) << "maximising it is the toolkit's";
  window->SetResizable(false);
  EXPECT_EQ(hit(0, 60), HTCLIENT) << "a fixed window has no sizing edges";
  EXPECT_EQ(hit(50, 1), HTCAPTION);

  // Dragging the caption with the real pointer moves the window, and the toolkit hears of it.
  input.Seen.clear();
  SetCursorPos(250, 165);
  INPUT drag[3]{};
  for (INPUT& in : drag) in.type = INPUT_MOUSE;
  drag[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  drag[1].mi = {40, 30, 0, MOUSEEVENTF_MOVE, 0, 0};
  drag[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, drag, sizeof(INPUT));
  // The system may speed the pointer up: the window follows wherever the pointer went.
  POINT end{250, 165};
  auto followed = [&] {
    GetCursorPos(&end);
    return end.x != 250 && window->Bounds() == platform::WindowRect{200 + end.x - 250, 150 + end.y - 165, 200, 120};
  };
  ASSERT_TRUE(PumpUntil(followed)) << testing::PrintToString(input.Seen);
  EXPECT_TRUE(input.Saw("moved " + std::to_string(200 + end.x - 250) + "," + std::to_string(150 + end.y - 165)));
  EXPECT_FALSE(input.Saw("left down 50,15")) << "the press went to the system, not to the toolkit";
}

TEST_F(WinWindows, APopupTakesNoFocusAndAShadowKeepsTheWindow) {
  TRecorder mainInput, popupInput;
  auto main = Shown(mainInput, "win main");
  HWND mainHwnd = WindowCaptioned("win main");
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == mainHwnd; }));

  auto popup = Backend().MakeWindow(popupInput);
  popup->SetPopup(true);
  popup->SetDecorated(false);
  popup->SetCaption("win popup");
  popup->SetBounds({140, 100, 120, 40});
  popup->SetShadow(true);
  HWND popupHwnd = WindowCaptioned("win popup");
  ASSERT_NE(popupHwnd, nullptr);
  EXPECT_TRUE(GetClassLongPtrW(popupHwnd, GCL_STYLE) & CS_DROPSHADOW) << "made again of the shadow class";
  EXPECT_EQ(popup->Bounds(), (platform::WindowRect{140, 100, 120, 40})) << "and kept its place";

  popup->SetVisible(true);
  popup->Activate();
  EXPECT_TRUE(popup->Visible());
  const LONG_PTR ex = GetWindowLongPtrW(popupHwnd, GWL_EXSTYLE);
  EXPECT_EQ(ex & (WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST), WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  EXPECT_EQ(SendMessageW(popupHwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(mainHwnd), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
            MA_NOACTIVATE);
  Backend().PumpEvents(0);
  EXPECT_EQ(GetForegroundWindow(), mainHwnd);
  EXPECT_EQ(GetFocus(), mainHwnd);
  EXPECT_FALSE(popupInput.Saw("focus"));
  EXPECT_FALSE(mainInput.Saw("blur"));
}

TEST_F(WinWindows, ClipboardTextTravelsAsUtf16BothWays) {
  const std::string text = "Grüße\r\n\xF0\x9D\x84\x9E end";
  Backend().SetClipboardText(text);
  EXPECT_EQ(Backend().ClipboardText(), text);

  // Other programs read it as Windows text.
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(GlobalLock(data))), L"Gr\u00fc\u00dfe\r\n\xD834\xDD1E end");
  GlobalUnlock(data);
  // And what they put there, here; an empty clipboard is empty text.
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(Backend().ClipboardText(), "");
  Backend().SetClipboardText("");
  EXPECT_EQ(Backend().ClipboardText(), "");
}

}  // namespace
