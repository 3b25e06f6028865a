// Top-level windows: what the toolkit asks of them, and the few calls through which they report input.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/canvas.h"
#include "platform/screen.h"

namespace platform {

enum class Cursor { Arrow, IBeam, Wait, Cross, Hand, SizeWE, SizeNS, SizeNWSE, SizeNESW, SizeAll, No };
enum class MouseButton { Left, Right, Middle };

// Shift-state bits that travel with pointer and key input.
enum ShiftBits : unsigned { ShiftKey = 1, CtrlKey = 2, AltKey = 4 };

// Key codes, numbered as Windows' virtual keys so both systems speak one language above the seam.
namespace keys {
constexpr int Back = 0x08, Tab = 0x09, Return = 0x0D, Shift = 0x10, Control = 0x11, Menu = 0x12, Escape = 0x1B,
              Space = 0x20, Prior = 0x21, Next = 0x22, End = 0x23, Home = 0x24, Left = 0x25, Up = 0x26, Right = 0x27,
              Down = 0x28, Delete = 0x2E, F1 = 0x70;
}

struct WindowRect {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// Implemented by the toolkit: a backend reports every input of a window here, in window pixels.
class WindowInput {
 public:
  virtual void InputPointerMoved(int x, int y, unsigned shift) = 0;
  virtual void InputPointerLeft() = 0;
  virtual void InputButton(MouseButton button, bool down, int x, int y, unsigned shift) = 0;
  virtual void InputWheel(int delta, int x, int y, unsigned shift) = 0;
  virtual void InputKey(int key, bool down, unsigned shift) = 0;
  virtual void InputCharacter(const std::string& utf8) = 0;
  virtual void InputFocus(bool focused) = 0;
  // The client area took a new size; the next Present should match it.
  virtual void InputResize(int width, int height) = 0;
  virtual void InputCloseRequest() = 0;
  // The window lost the picture it was last given and holds none of its own: present it again.
  virtual void InputExposed() = 0;
  // The window was moved (by the user or the system) to this screen position.
  virtual void InputMoved(int x, int y) = 0;
  // Whether dragging at this client point moves the window, as a title bar does (asked by backends
  // that let the system drag undecorated windows).
  virtual bool InputIsCaption(int x, int y) = 0;

 protected:
  ~WindowInput() = default;
};

class Window {
 public:
  virtual ~Window() = default;

  // Position of the window and size of its client area, in screen pixels.
  virtual WindowRect Bounds() const = 0;
  virtual void SetBounds(const WindowRect& bounds) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void SetAlpha(std::uint8_t alpha) = 0;
  virtual void SetStayOnTop(bool onTop) = 0;
  virtual void Activate() = 0;
  // Shows the pixels of `image` (the client area's size) as the window's content.
  virtual void Present(const PixelBuffer& image) = 0;
  // While captured, pointer input keeps coming to this window when the pointer is outside it.
  virtual void SetCapture(bool captured) = 0;
  virtual void SetCursor(Cursor cursor) = 0;
  // The system's frame and caption around the client area; off for windows that draw their own.
  virtual void SetDecorated(bool decorated) = 0;
  virtual void SetResizable(bool resizable) = 0;
  // Limits of the client size the user can drag to; 0 leaves a side unlimited.
  virtual void SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) = 0;
  // Whether the system draws its drop shadow under the window, where it draws one.
  virtual void SetShadow(bool shadow) = 0;
  // A popup (a hint) takes no focus, has no taskbar entry and stays above the other windows.
  virtual void SetPopup(bool popup) = 0;
  // The bounds of the monitor the window is on (the one holding most of it).
  virtual WindowRect MonitorBounds() const = 0;

  // Capabilities a backend may lack: the bodies here are the answer of a system that lacks them.

  // See-through pixels: where a presented picture holds exactly `color` (an opaque 0xAARRGGBB word),
  // the screen behind the window shows. Answers whether the window can do it; off again with false.
  virtual bool SetTransparentColor(bool enabled, std::uint32_t color) {
    (void)color;
    return !enabled;
  }
  // A menu: borderless, above the other windows and off the taskbar like a popup, but it takes the
  // focus when it is activated, so that it gets the keys.
  virtual void SetMenu(bool menu) {
    SetDecorated(!menu);
    SetStayOnTop(menu);
  }
};

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;
  virtual const char* Name() const = 0;
  // `input` must outlive the window.
  virtual std::unique_ptr<Window> MakeWindow(WindowInput& input) = 0;
  // Whether input arrives only through PumpEvents, so the application loop must wait in it rather
  // than sleep (the headless backend delivers synthetic input as it is made).
  virtual bool Pumps() const = 0;
  // Delivers the input waiting for the process's windows, waiting at most `timeoutMs` for some (less
  // than 0: until some comes or Wake); answers whether any came. On the user-interface thread only.
  virtual bool PumpEvents(int timeoutMs) = 0;
  // Rouses a PumpEvents that waits (from any thread).
  virtual void Wake() = 0;
  // The system clipboard's text ("" when it holds none) and replacing it.
  virtual std::string ClipboardText() = 0;
  virtual void SetClipboardText(const std::string& text) = 0;

  // The screen as the windows of this backend see it; by default the system's own answers.
  virtual std::optional<ScreenPoint> PointerPosition() { return SystemPointerPosition(); }
  virtual std::optional<ScreenArea> VirtualDesktop() { return SystemVirtualDesktop(); }
  virtual bool CaptureScreen(const ScreenArea& area, ScreenImage& image) { return SystemCaptureScreen(area, image); }
};

// The system's own windows (SDL2 on Linux). Throws std::runtime_error when there is no display.
std::unique_ptr<WindowBackend> CreateSystemBackend();

// The backend windows are made by: the headless one until another is set.
WindowBackend& CurrentWindowBackend();
// Replaces the backend, at start-up before worker threads run; windows made by the previous one must
// be gone by then.
void SetWindowBackend(std::unique_ptr<WindowBackend> backend);

}  // namespace platform
