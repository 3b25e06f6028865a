// Real windows on Windows: HWNDs that show the toolkit's pixel buffers and report their input.
#include <windows.h>
#include <windowsx.h>
#include <mmsystem.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <vector>

#include "platform/window.h"
#include "support.h"

namespace platform {
namespace {

constexpr wchar_t kWindowClass[] = L"LuxWindow";
// The drop shadow is a property of the class, not of the window: windows that want one are made of
// a class of their own.
constexpr wchar_t kShadowClass[] = L"LuxShadowWindow";
constexpr wchar_t kHelperClass[] = L"LuxHelperWindow";
// Posted to itself when a capture ends: is the pointer still over the window?
constexpr UINT kCheckPointer = WM_APP + 1;

std::runtime_error SystemError(const std::string& what, DWORD code = GetLastError()) {
  return std::runtime_error(what + ": " + SystemMessage(code));
}

unsigned ShiftNow() {
  return (GetKeyState(VK_SHIFT) < 0 ? ShiftKey : 0u) | (GetKeyState(VK_CONTROL) < 0 ? CtrlKey : 0u) |
         (GetKeyState(VK_MENU) < 0 ? AltKey : 0u);
}

LPCWSTR CursorId(Cursor cursor) {
  switch (cursor) {
    case Cursor::Arrow: return IDC_ARROW;
    case Cursor::IBeam: return IDC_IBEAM;
    case Cursor::Wait: return IDC_WAIT;
    case Cursor::Cross: return IDC_CROSS;
    case Cursor::Hand: return IDC_HAND;
    case Cursor::SizeWE: return IDC_SIZEWE;
    case Cursor::SizeNS: return IDC_SIZENS;
    case Cursor::SizeNWSE: return IDC_SIZENWSE;
    case Cursor::SizeNESW: return IDC_SIZENESW;
    case Cursor::SizeAll: return IDC_SIZEALL;
    case Cursor::No: return IDC_NO;
  }
  return IDC_ARROW;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class Win32Backend;

class Win32Window final : public Window {
 public:
  Win32Window(Win32Backend& backend, WindowInput& input);
  ~Win32Window() override;

  WindowRect Bounds() const override;
  void SetBounds(const WindowRect& bounds) override;
  void SetCaption(const std::string& caption) override;
  void SetVisible(bool visible) override;
  bool Visible() const override { return IsWindowVisible(hwnd_); }
  void SetAlpha(std::uint8_t alpha) override;
  void SetStayOnTop(bool onTop) override;
  void Activate() override;
  void Present(const PixelBuffer& image) override;
  void SetCapture(bool captured) override;
  void SetCursor(Cursor cursor) override;
  void SetDecorated(bool decorated) override;
  void SetResizable(bool resizable) override;
  void SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) override;
  void SetShadow(bool shadow) override;
  void SetPopup(bool popup) override;
  WindowRect MonitorBounds() const override;
  bool SetTransparentColor(bool enabled, std::uint32_t color) override;
  void SetMenu(bool menu) override;

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  // The handle arrives with the first message, before CreateWindowExW returns it.
  void Attach(HWND hwnd) { hwnd_ = hwnd; }

 private:
  void Create();
  void Destroy();
  DWORD Style() const;
  DWORD ExStyle() const;
  // Applies a changed style: the frame is measured anew and the client keeps its place and size.
  void Restyle();
  // The window rectangle around a client rectangle given in screen pixels.
  RECT FrameAround(RECT client) const;
  // Alpha and the see-through colour share the layered window's one set of attributes.
  void ApplyLayering();
  LRESULT HitTest(LPARAM lParam);
  void Paint();
  template <typename F>
  void Report(F&& call);

  Win32Backend& backend_;
  WindowInput& input_;
  HWND hwnd_ = nullptr;
  // Off while the window is being made or destroyed: the toolkit's form is not ready to hear of it then.
  bool live_ = false;
  char16_t highSurrogate_ = 0;

  std::wstring caption_;
  WindowRect bounds_{CW_USEDEFAULT, CW_USEDEFAULT, 320, 240};
  bool decorated_ = true, resizable_ = true, popup_ = false, shadow_ = false, onTop_ = false, menu_ = false;
  std::uint8_t alpha_ = 255;
  bool keyed_ = false;
  COLORREF key_ = 0;
  int minWidth_ = 0, minHeight_ = 0, maxWidth_ = 0, maxHeight_ = 0;
  HCURSOR cursor_ = LoadCursorW(nullptr, IDC_ARROW);

  // The last presented picture, kept to be shown again whenever the system asks for the window's content.
  std::vector<std::uint32_t> pixels_;
  int pixelsWidth_ = 0, pixelsHeight_ = 0;
};

class Win32Backend final : public WindowBackend {
 public:
  // The process stays unaware of the monitors' DPI: the toolkit lays out in 96-dpi pixels and has no
  // notion of a monitor's scale, so on a scaled monitor the system stretches the windows to the right
  // size (a little soft) rather than the toolkit showing them too small.
  Win32Backend() {
    instance_ = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.hCursor = nullptr;  // WM_SETCURSOR picks the toolkit's cursor
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
    wc.lpszClassName = kWindowClass;
    // Registered by an earlier backend of this process, which is fine: the procedure is the same.
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw SystemError("The window class cannot be registered");
    wc.style = CS_DROPSHADOW;
    wc.lpszClassName = kShadowClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw SystemError("The window class cannot be registered");
    wc.style = 0;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = kHelperClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw SystemError("The window class cannot be registered");
    // A hidden window of our own owns what we put on the clipboard. Making it is also the test that
    // there is a display at all: Wine without an X server has no window system and refuses it.
    helper_ = CreateWindowExW(WS_EX_TOOLWINDOW, kHelperClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance_, nullptr);
    if (!helper_) throw std::runtime_error("No display for windows");
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!wake_) {
      DestroyWindow(helper_);
      throw SystemError("No wake-up event for windows");
    }
    // The loop's timers and the animations' frame steps (1 to 10 ms) wait with the system's timer,
    // which ticks every 15.6 ms unless asked for better: an animation would crawl at a third of its
    // speed and a 10 ms timer fire at 16 ms. Asked for as long as real windows exist, not longer.
    periodSet_ = timeBeginPeriod(1) == TIMERR_NOERROR;
  }
  ~Win32Backend() override {
    if (periodSet_) timeEndPeriod(1);
    CloseHandle(wake_);
    DestroyWindow(helper_);
  }
  const char* Name() const override { return "win32"; }
  bool Pumps() const override { return true; }
  std::unique_ptr<Window> MakeWindow(WindowInput& input) override { return std::make_unique<Win32Window>(*this, input); }

  // While the user drags or sizes a window the system runs its own loop inside DispatchMessage, so the
  // toolkit's timers and handed calls wait until the drag ends.
  bool PumpEvents(int timeoutMs) override {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        timeoutMs < 0 ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      bool delivered = false;
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // The toolkit ends its loops itself; a quit message has nobody to go to.
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        delivered = true;
        RethrowPending();
      }
      if (WaitForSingleObject(wake_, 0) == WAIT_OBJECT_0 || delivered) return true;
      DWORD wait = INFINITE;
      if (deadline != Clock::time_point::max()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        wait = static_cast<DWORD>(std::min<long long>(left, INFINITE - 1));
      }
      // Input that arrived while we looked (seen, not yet taken) rouses us as well as new input. A
      // wake-up ends the wait and is used up by it: it counts now or never.
      if (MsgWaitForMultipleObjectsEx(1, &wake_, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0) return true;
    }
  }
  void Wake() override { SetEvent(wake_); }

  std::string ClipboardText() override {
    Clipboard open(helper_);
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return "";
    const auto* text = static_cast<const char16_t*>(GlobalLock(data));
    if (!text) return "";
    // The data may be longer than its text: the text ends at its first NUL, or at the block's end.
    const std::size_t room = GlobalSize(data) / sizeof(char16_t);
    std::size_t length = 0;
    while (length < room && text[length]) ++length;
    std::string result = Utf16ToUtf8({text, length});
    GlobalUnlock(data);
    return result;
  }
  void SetClipboardText(const std::string& text) override {
    const std::u16string wide = Utf8ToUtf16(text);
    Clipboard open(helper_);
    if (!EmptyClipboard()) throw SystemError("The clipboard cannot take the text");
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(char16_t));
    if (!block) throw SystemError("The clipboard cannot take the text");
    auto* target = static_cast<char16_t*>(GlobalLock(block));
    std::memcpy(target, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    GlobalUnlock(block);
    // Once the clipboard took the block it is the clipboard's to free.
    if (!SetClipboardData(CF_UNICODETEXT, block)) {
      const DWORD code = GetLastError();
      GlobalFree(block);
      throw SystemError("The clipboard cannot take the text", code);
    }
  }

  HINSTANCE Instance() const { return instance_; }
  // An exception the toolkit threw while answering the system: it cannot travel through the system's
  // frames, so it waits here and goes on from the call that handed the system control.
  void Hold(std::exception_ptr error) {
    if (!pending_) pending_ = error;
  }
  void RethrowPending() {
    if (!pending_) return;
    std::exception_ptr error = pending_;
    pending_ = nullptr;
    std::rethrow_exception(error);
  }

 private:
  // The clipboard is one for the whole system: another program may hold it for a moment.
  class Clipboard {
   public:
    explicit Clipboard(HWND owner) {
      for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(owner)) return;
        Sleep(10);
      }
      throw SystemError("The clipboard cannot be opened");
    }
    ~Clipboard() { CloseClipboard(); }
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;
  };

  HINSTANCE instance_ = nullptr;
  HWND helper_ = nullptr;
  HANDLE wake_ = nullptr;
  bool periodSet_ = false;
  std::exception_ptr pending_;
};

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<Win32Window*>(create->lpCreateParams)->Attach(hwnd);
  }
  auto* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);
  return window->Handle(message, wParam, lParam);
}

Win32Window::Win32Window(Win32Backend& backend, WindowInput& input) : backend_(backend), input_(input) { Create(); }

Win32Window::~Win32Window() { Destroy(); }

DWORD Win32Window::Style() const {
  if (popup_ || menu_) return WS_POPUP;
  // Undecorated windows keep the sizing frame (the system sizes only windows that have one) but give
  // it no room: WM_NCCALCSIZE hands the whole window to the client. They are not the system's to
  // maximise (a double click on the caption, a snap): it would lay the frame's room past the monitor's
  // edges, and the toolkit maximises its own frameless windows.
  if (!decorated_) return WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | (resizable_ ? WS_THICKFRAME : 0);
  return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | (resizable_ ? WS_THICKFRAME | WS_MAXIMIZEBOX : 0);
}

DWORD Win32Window::ExStyle() const {
  DWORD style = 0;
  if (popup_) style |= WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  // A menu stays off the taskbar and above the rest, but may be activated: it takes the keys.
  if (menu_) style |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  if (onTop_) style |= WS_EX_TOPMOST;
  if (alpha_ != 255 || keyed_) style |= WS_EX_LAYERED;
  return style;
}

void Win32Window::Create() {
  // The messages of the making move bounds_ about; the window ends up where it was asked to be.
  WindowRect wanted = bounds_;
  const RECT frame = FrameAround({0, 0, std::max(wanted.width, 1), std::max(wanted.height, 1)});
  const bool placed = wanted.x != CW_USEDEFAULT;
  hwnd_ = CreateWindowExW(ExStyle(), shadow_ ? kShadowClass : kWindowClass, caption_.c_str(), Style(),
                          placed ? bounds_.x + frame.left : CW_USEDEFAULT, placed ? bounds_.y + frame.top : CW_USEDEFAULT,
                          frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, backend_.Instance(), this);
  if (!hwnd_) throw SystemError("The window cannot be made");
  ApplyLayering();
  // The frame is measured again now that our WM_NCCALCSIZE answers for it.
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  if (!placed) wanted = Bounds();
  SetBounds(wanted);
  // Only now: the window is made while the form that owns it is still being built.
  live_ = true;
}

void Win32Window::Destroy() {
  live_ = false;
  if (!hwnd_) return;
  if (GetCapture() == hwnd_) ReleaseCapture();
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

RECT Win32Window::FrameAround(RECT client) const {
  if (decorated_ && !popup_) AdjustWindowRectEx(&client, Style(), FALSE, ExStyle());
  return client;
}

template <typename F>
void Win32Window::Report(F&& call) {
  if (!live_) return;
  try {
    call();
  } catch (...) {
    backend_.Hold(std::current_exception());
  }
}

WindowRect Win32Window::Bounds() const {
  // A minimised window has no client area to measure: it is where it will come back to.
  if (IsIconic(hwnd_)) return bounds_;
  RECT client{};
  GetClientRect(hwnd_, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd_, &origin);
  return {origin.x, origin.y, client.right, client.bottom};
}

void Win32Window::SetBounds(const WindowRect& b) {
  bounds_ = {b.x, b.y, std::max(b.width, 1), std::max(b.height, 1)};
  const RECT frame = FrameAround({bounds_.x, bounds_.y, bounds_.x + bounds_.width, bounds_.y + bounds_.height});
  SetWindowPos(hwnd_, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  backend_.RethrowPending();
}

void Win32Window::SetCaption(const std::string& caption) {
  caption_ = Wide(caption);
  SetWindowTextW(hwnd_, caption_.c_str());
}

void Win32Window::SetVisible(bool visible) {
  if (visible == Visible()) return;
  ShowWindow(hwnd_, !visible ? SW_HIDE : popup_ ? SW_SHOWNOACTIVATE : SW_SHOW);
  backend_.RethrowPending();
}

// One alpha for the whole window is all the toolkit asks for, which SetLayeredWindowAttributes gives
// while painting stays the usual WM_PAINT; UpdateLayeredWindow would be needed only for per-pixel alpha.
void Win32Window::SetAlpha(std::uint8_t alpha) {
  if (alpha == alpha_) return;
  alpha_ = alpha;
  // An opaque window leaves the layered kind again: the system composes it for nothing otherwise.
  SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ExStyle());
  ApplyLayering();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void Win32Window::ApplyLayering() {
  const DWORD flags = (alpha_ != 255 ? LWA_ALPHA : 0) | (keyed_ ? LWA_COLORKEY : 0);
  if (flags) SetLayeredWindowAttributes(hwnd_, key_, alpha_, flags);
}

bool Win32Window::SetTransparentColor(bool enabled, std::uint32_t color) {
  // The toolkit speaks 0xAARRGGBB; the system's key is a COLORREF, red in the low byte.
  const COLORREF key = RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
  if (enabled == keyed_ && (!enabled || key == key_)) return true;
  keyed_ = enabled;
  key_ = key;
  SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ExStyle());
  ApplyLayering();
  InvalidateRect(hwnd_, nullptr, FALSE);
  return true;
}

void Win32Window::SetMenu(bool menu) {
  if (menu == menu_) return;
  menu_ = menu;
  decorated_ = !menu;
  Restyle();
}

void Win32Window::SetStayOnTop(bool onTop) {
  if (onTop == onTop_) return;
  onTop_ = onTop;
  SetWindowPos(hwnd_, onTop || popup_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Window::Activate() {
  // A popup never takes the focus; it only comes to the top.
  if (popup_) {
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return;
  }
  if (!Visible()) return;
  SetForegroundWindow(hwnd_);
  SetActiveWindow(hwnd_);
  SetFocus(hwnd_);
  backend_.RethrowPending();
}

void Win32Window::Present(const PixelBuffer& image) {
  if (image.width <= 0 || image.height <= 0) return;
  pixelsWidth_ = image.width;
  pixelsHeight_ = image.height;
  pixels_.resize(static_cast<std::size_t>(image.width) * image.height);
  CopyPixelRows(image, pixels_.data(), static_cast<std::size_t>(image.width) * 4, image.width, image.height);
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void Win32Window::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client{};
  GetClientRect(hwnd_, &client);
  if (pixels_.empty()) {
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  } else {
    // A top-down DIB: the rows come in the buffer's order. The buffer's BGRA words are what a 32-bit
    // DIB holds; the window is opaque, so the alpha byte is not looked at.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixelsWidth_;
    info.bmiHeader.biHeight = -pixelsHeight_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (client.right == pixelsWidth_ && client.bottom == pixelsHeight_) {
      SetDIBitsToDevice(dc, 0, 0, pixelsWidth_, pixelsHeight_, 0, 0, 0, pixelsHeight_, pixels_.data(), &info, DIB_RGB_COLORS);
    } else {
      // Resized and not yet painted anew: the last picture stretched until the next one comes.
      SetStretchBltMode(dc, COLORONCOLOR);
      StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, pixelsWidth_, pixelsHeight_, pixels_.data(), &info,
                    DIB_RGB_COLORS, SRCCOPY);
    }
  }
  EndPaint(hwnd_, &ps);
}

void Win32Window::SetCapture(bool captured) {
  if (captured)
    ::SetCapture(hwnd_);
  else if (GetCapture() == hwnd_)
    ReleaseCapture();
}

void Win32Window::SetCursor(Cursor cursor) {
  cursor_ = LoadCursorW(nullptr, CursorId(cursor));
  // The pointer over our client area takes it at once, not only at its next move.
  POINT at;
  RECT client{};
  if (!GetCursorPos(&at) || WindowFromPoint(at) != hwnd_) return;
  ScreenToClient(hwnd_, &at);
  GetClientRect(hwnd_, &client);
  if (PtInRect(&client, at)) ::SetCursor(cursor_);
}

void Win32Window::Restyle() {
  const WindowRect keep = Bounds();
  live_ = false;
  SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(Style() | (Visible() ? WS_VISIBLE : 0)));
  SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>(ExStyle()));
  SetWindowPos(hwnd_, popup_ || menu_ || onTop_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  live_ = true;
  SetBounds(keep);
}

void Win32Window::SetDecorated(bool decorated) {
  if (decorated == decorated_) return;
  decorated_ = decorated;
  Restyle();
}

void Win32Window::SetResizable(bool resizable) {
  if (resizable == resizable_) return;
  resizable_ = resizable;
  Restyle();
}

void Win32Window::SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) {
  minWidth_ = std::max(minWidth, 0);
  minHeight_ = std::max(minHeight, 0);
  maxWidth_ = std::max(maxWidth, 0);
  maxHeight_ = std::max(maxHeight, 0);
}

void Win32Window::SetShadow(bool shadow) {
  if (shadow == shadow_) return;
  shadow_ = shadow;
  // The class decides, so the window is made again of the other class, as it was.
  bounds_ = Bounds();
  const bool visible = Visible();
  Destroy();
  Create();
  if (visible) ShowWindow(hwnd_, popup_ ? SW_SHOWNOACTIVATE : SW_SHOW);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void Win32Window::SetPopup(bool popup) {
  if (popup == popup_) return;
  popup_ = popup;
  Restyle();
}

WindowRect Win32Window::MonitorBounds() const {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &info)) return {};
  const RECT& r = info.rcMonitor;
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

LRESULT Win32Window::HitTest(LPARAM lParam) {
  POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(hwnd_, &at);
  RECT client{};
  GetClientRect(hwnd_, &client);
  if (resizable_ && !popup_ && !IsZoomed(hwnd_)) {
    const int edge = std::max(4, GetSystemMetrics(SM_CXSIZEFRAME) + GetSystemMetrics(SM_CXPADDEDBORDER));
    const bool left = at.x < edge, right = at.x >= client.right - edge;
    const bool top = at.y < edge, bottom = at.y >= client.bottom - edge;
    if (top && left) return HTTOPLEFT;
    if (top && right) return HTTOPRIGHT;
    if (bottom && left) return HTBOTTOMLEFT;
    if (bottom && right) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
  }
  bool caption = false;
  Report([&] { caption = input_.InputIsCaption(at.x, at.y); });
  return caption ? HTCAPTION : HTCLIENT;
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  const unsigned shift = ShiftNow();
  auto button = [&](MouseButton which, bool down) {
    Report([&] { input_.InputButton(which, down, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), shift); });
    return 0;
  };
  switch (message) {
    case WM_NCCALCSIZE:
      // An undecorated window is all client: the toolkit draws its own title bar and border.
      if (!decorated_ || popup_) return 0;
      break;
    case WM_NCHITTEST:
      // A menu is all items: no edge of it sizes it and no part of it drags it.
      if (menu_) return HTCLIENT;
      if (!decorated_ && !popup_) return HitTest(lParam);
      break;
    case WM_NCACTIVATE:
      // Without a frame there is nothing for the system to paint as active or inactive (-1: activation
      // goes on as usual, the painting is left out).
      if (!decorated_ || popup_) return DefWindowProcW(hwnd_, message, wParam, -1);
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      const RECT none = FrameAround({0, 0, 0, 0});
      const int extraWidth = none.right - none.left, extraHeight = none.bottom - none.top;
      if (minWidth_ > 0) info->ptMinTrackSize.x = minWidth_ + extraWidth;
      if (minHeight_ > 0) info->ptMinTrackSize.y = minHeight_ + extraHeight;
      // The system's least size is that of a frame with its caption buttons; a frameless window has none.
      if (!decorated_ || popup_) {
        if (minWidth_ == 0) info->ptMinTrackSize.x = 1;
        if (minHeight_ == 0) info->ptMinTrackSize.y = 1;
      }
      if (maxWidth_ > 0) info->ptMaxTrackSize.x = maxWidth_ + extraWidth;
      if (maxHeight_ > 0) info->ptMaxTrackSize.y = maxHeight_ + extraHeight;
      return 0;
    }
    case WM_MOUSEACTIVATE:
      if (popup_) return MA_NOACTIVATE;
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(cursor_);
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      {
        // Asked again at every move rather than once per entry: a request can be lost on the way (Wine
        // drops it after a press), and a lost one would leave the toolkit's hover on for good.
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
        TrackMouseEvent(&track);
      }
      Report([&] { input_.InputPointerMoved(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), shift); });
      return 0;
    case WM_MOUSELEAVE:
      Report([&] { input_.InputPointerLeft(); });
      return 0;
    case WM_CAPTURECHANGED:
      // The leave notices of a captured pointer are ignored by the toolkit, and a pointer released
      // outside sends no more moves here: it hears of the leave once the release has been dealt with.
      PostMessageW(hwnd_, kCheckPointer, 0, 0);
      return 0;
    case kCheckPointer: {
      POINT at;
      if (GetCapture() != hwnd_ && GetCursorPos(&at) && WindowFromPoint(at) != hwnd_) Report([&] { input_.InputPointerLeft(); });
      return 0;
    }
    case WM_LBUTTONDOWN: return button(MouseButton::Left, true);
    case WM_LBUTTONUP: return button(MouseButton::Left, false);
    case WM_RBUTTONDOWN: return button(MouseButton::Right, true);
    case WM_RBUTTONUP: return button(MouseButton::Right, false);
    case WM_MBUTTONDOWN: return button(MouseButton::Middle, true);
    case WM_MBUTTONUP: return button(MouseButton::Middle, false);
    case WM_MOUSEWHEEL: {
      // The wheel reports where the pointer is on the screen.
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(hwnd_, &at);
      Report([&] { input_.InputWheel(GET_WHEEL_DELTA_WPARAM(wParam), at.x, at.y, shift); });
      return 0;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
      Report([&] { input_.InputKey(static_cast<int>(wParam), message == WM_KEYDOWN, shift); });
      return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      Report([&] { input_.InputKey(static_cast<int>(wParam), message == WM_SYSKEYDOWN, shift); });
      // Alt+F4 still asks the window to close, through the system's own path.
      if (wParam == VK_F4) break;
      return 0;
    case WM_SYSCHAR:
      // Alt with a letter is a key, not text; swallowed so the system does not beep for a missing menu.
      return 0;
    case WM_CHAR: {
      const auto unit = static_cast<char16_t>(wParam);
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        highSurrogate_ = unit;
        return 0;
      }
      std::u16string text;
      if (unit >= 0xDC00 && unit <= 0xDFFF && highSurrogate_) text += highSurrogate_;
      highSurrogate_ = 0;
      text += unit;
      Report([&] { input_.InputCharacter(Utf16ToUtf8(text)); });
      return 0;
    }
    case WM_SETFOCUS:
      Report([&] { input_.InputFocus(true); });
      return 0;
    case WM_KILLFOCUS:
      highSurrogate_ = 0;
      Report([&] { input_.InputFocus(false); });
      return 0;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) {
        bounds_.width = LOWORD(lParam);
        bounds_.height = HIWORD(lParam);
        Report([&] { input_.InputResize(LOWORD(lParam), HIWORD(lParam)); });
      }
      return 0;
    case WM_MOVE:
      if (!IsIconic(hwnd_)) {
        bounds_.x = GET_X_LPARAM(lParam);
        bounds_.y = GET_Y_LPARAM(lParam);
        Report([&] { input_.InputMoved(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); });
      }
      return 0;
    case WM_CLOSE:
      Report([&] { input_.InputCloseRequest(); });
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<WindowBackend> CreateSystemBackend() { return std::make_unique<Win32Backend>(); }

}  // namespace platform
