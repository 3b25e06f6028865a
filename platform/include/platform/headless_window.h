// In-memory windows for tests: they record what the toolkit asks of them and take synthetic input.
#pragma once

#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {

class HeadlessWindow final : public Window {
 public:
  explicit HeadlessWindow(WindowInput& input);
  ~HeadlessWindow() override;

  WindowRect Bounds() const override { return bounds_; }
  void SetBounds(const WindowRect& bounds) override;
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Visible() const override { return visible_; }
  void SetAlpha(std::uint8_t alpha) override { alpha_ = alpha; }
  void SetStayOnTop(bool onTop) override { stayOnTop_ = onTop; }
  void Activate() override;
  void Present(const PixelBuffer& image) override;
  void SetCapture(bool captured) override { captured_ = captured; }
  void SetCursor(Cursor cursor) override { cursor_ = cursor; }
  void SetDecorated(bool decorated) override { decorated_ = decorated; }
  void SetResizable(bool resizable) override { resizable_ = resizable; }
  void SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) override {
    sizeLimits_ = {minWidth, minHeight, maxWidth, maxHeight};
  }
  void SetShadow(bool shadow) override { shadow_ = shadow; }
  void SetPopup(bool popup) override { popup_ = popup; }
  WindowRect MonitorBounds() const override;
  bool SetTransparentColor(bool enabled, std::uint32_t color) override {
    transparentColor_ = enabled;
    transparentColorValue_ = color;
    return true;
  }
  void SetMenu(bool menu) override { menu_ = menu; }

  bool TransparentColor() const { return transparentColor_; }
  std::uint32_t TransparentColorValue() const { return transparentColorValue_; }
  bool Menu() const { return menu_; }
  // Whether the window has the (headless) keyboard focus.
  bool Focused() const;
  // What the screen shows at a point of the window: its own pixel, or, where that is see-through,
  // what lies behind it on the headless screen.
  std::uint32_t ShownPixel(int x, int y) const;

  const std::string& Caption() const { return caption_; }
  std::uint8_t Alpha() const { return alpha_; }
  bool StayOnTop() const { return stayOnTop_; }
  bool Captured() const { return captured_; }
  Cursor CurrentCursor() const { return cursor_; }
  bool Decorated() const { return decorated_; }
  bool Resizable() const { return resizable_; }
  // Minimum width and height, maximum width and height.
  const WindowRect& SizeLimits() const { return sizeLimits_; }
  bool Shadow() const { return shadow_; }
  bool Popup() const { return popup_; }
  int PresentCount() const { return presentCount_; }
  // The last presented pixels (premultiplied 0xAARRGGBB), rows packed, and their size.
  const std::vector<std::uint32_t>& Screen() const { return screen_; }
  int ScreenWidth() const { return screenWidth_; }
  int ScreenHeight() const { return screenHeight_; }
  std::uint32_t ScreenPixel(int x, int y) const { return screen_[static_cast<std::size_t>(y) * screenWidth_ + x]; }

  // Synthetic input, delivered at once as a real backend would deliver it.
  void MoveTo(int x, int y, unsigned shift = 0);
  void Press(MouseButton button, int x, int y, unsigned shift = 0);
  void Release(MouseButton button, int x, int y, unsigned shift = 0);
  void Click(int x, int y);
  void Wheel(int delta, int x, int y, unsigned shift = 0);
  void KeyDown(int key, unsigned shift = 0);
  void KeyUp(int key, unsigned shift = 0);
  void TypeKey(int key, unsigned shift = 0);
  void Type(const std::string& utf8);
  void Resize(int width, int height);
  void RequestClose();
  // The user drags the window to a new place.
  void MoveWindow(int x, int y);
  // Asks the window, as the system does before a drag, whether this point is its caption.
  bool IsCaption(int x, int y) { return input_.InputIsCaption(x, y); }

 private:
  WindowInput& input_;
  WindowRect bounds_;
  std::string caption_;
  bool visible_ = false;
  std::uint8_t alpha_ = 255;
  bool stayOnTop_ = false;
  bool captured_ = false;
  Cursor cursor_ = Cursor::Arrow;
  bool decorated_ = true;
  bool resizable_ = true;
  WindowRect sizeLimits_;
  bool shadow_ = true;
  bool popup_ = false;
  bool menu_ = false;
  bool transparentColor_ = false;
  std::uint32_t transparentColorValue_ = 0;
  int presentCount_ = 0;
  std::vector<std::uint32_t> screen_;
  int screenWidth_ = 0;
  int screenHeight_ = 0;
};

std::unique_ptr<WindowBackend> CreateHeadlessBackend();
// The headless screen: one monitor of this size at the origin (1920 x 1080 until set).
void SetHeadlessMonitor(const WindowRect& bounds);
// The pointer's place on the headless screen; the synthetic pointer input of a window moves it there.
void SetHeadlessPointer(int x, int y);
// The picture of the headless desktop behind the windows, placed at the monitor's top-left; without
// one (the start, or an empty image) the headless screen answers that it cannot be captured. A
// capture shows it with the visible windows over it, oldest first, their see-through pixels left out.
void SetHeadlessScreen(const ScreenImage& image);
// How many captures of the headless screen have been taken.
int HeadlessCaptureCount();

}  // namespace platform
