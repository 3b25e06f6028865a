// The headless window backend: windows that live in memory, for tests and for systems without a display.
#include <algorithm>

#include "platform/headless_window.h"

namespace platform {
namespace {

std::vector<HeadlessWindow*>& Alive() {
  static std::vector<HeadlessWindow*> windows;
  return windows;
}
HeadlessWindow* focused = nullptr;
WindowRect monitor{0, 0, 1920, 1080};
ScreenPoint pointer{0, 0};
ScreenImage desktop;
int captures = 0;

// The visible windows bottom first (the ordinary ones, then those that stay on top, each kind oldest
// first); with `below`, only those beneath it.
std::vector<HeadlessWindow*> Stacking(const HeadlessWindow* below);
bool WindowPixelAt(const std::vector<HeadlessWindow*>& order, int x, int y, std::uint32_t& out);
std::uint32_t DesktopPixel(int x, int y) {
  const int dx = x - monitor.x, dy = y - monitor.y;
  if (dx < 0 || dy < 0 || dx >= desktop.width || dy >= desktop.height) return 0xFF000000u;
  return desktop.pixels[static_cast<std::size_t>(dy) * desktop.width + dx];
}
std::uint32_t ScreenAt(const std::vector<HeadlessWindow*>& order, int x, int y) {
  std::uint32_t p = 0;
  return WindowPixelAt(order, x, y, p) ? p : DesktopPixel(x, y);
}

class HeadlessBackend final : public WindowBackend {
 public:
  const char* Name() const override { return "headless"; }
  std::unique_ptr<Window> MakeWindow(WindowInput& input) override { return std::make_unique<HeadlessWindow>(input); }
  // Synthetic input is delivered as it is made, so there is never anything waiting.
  bool Pumps() const override { return false; }
  bool PumpEvents(int) override { return false; }
  void Wake() override {}
  std::string ClipboardText() override { return clipboard_; }
  void SetClipboardText(const std::string& text) override { clipboard_ = text; }
  std::optional<ScreenPoint> PointerPosition() override { return pointer; }
  std::optional<ScreenArea> VirtualDesktop() override { return ScreenArea{monitor.x, monitor.y, monitor.width, monitor.height}; }
  bool CaptureScreen(const ScreenArea& area, ScreenImage& image) override {
    if (desktop.width <= 0 || desktop.height <= 0 || area.width <= 0 || area.height <= 0) return false;
    ++captures;
    image.width = area.width;
    image.height = area.height;
    image.pixels.resize(static_cast<std::size_t>(area.width) * area.height);
    const std::vector<HeadlessWindow*> order = Stacking(nullptr);
    for (int y = 0; y < area.height; ++y)
      for (int x = 0; x < area.width; ++x)
        image.pixels[static_cast<std::size_t>(y) * area.width + x] = ScreenAt(order, area.x + x, area.y + y);
    return true;
  }

 private:
  std::string clipboard_;
};

std::unique_ptr<WindowBackend>& Backend() {
  static std::unique_ptr<WindowBackend> backend = CreateHeadlessBackend();
  return backend;
}

std::vector<HeadlessWindow*> Stacking(const HeadlessWindow* below) {
  std::vector<HeadlessWindow*> order;
  for (bool top : {false, true})
    for (HeadlessWindow* w : Alive())
      if (w->StayOnTop() == top && (w->Visible() || w == below)) order.push_back(w);
  if (below) order.erase(std::find(order.begin(), order.end(), below), order.end());
  return order;
}

bool WindowPixelAt(const std::vector<HeadlessWindow*>& order, int x, int y, std::uint32_t& out) {
  for (auto w = order.rbegin(); w != order.rend(); ++w) {
    const WindowRect b = (*w)->Bounds();
    const int lx = x - b.x, ly = y - b.y;
    if (lx < 0 || ly < 0 || lx >= (*w)->ScreenWidth() || ly >= (*w)->ScreenHeight() || lx >= b.width || ly >= b.height)
      continue;
    const std::uint32_t p = (*w)->ScreenPixel(lx, ly);
    if ((*w)->TransparentColor() && p == (*w)->TransparentColorValue()) continue;
    out = p;
    return true;
  }
  return false;
}

}  // namespace

bool HeadlessWindow::Focused() const { return focused == this; }

std::uint32_t HeadlessWindow::ShownPixel(int x, int y) const {
  const std::uint32_t own = ScreenPixel(x, y);
  if (!(transparentColor_ && own == transparentColorValue_)) return own;
  return ScreenAt(Stacking(this), bounds_.x + x, bounds_.y + y);
}

HeadlessWindow::HeadlessWindow(WindowInput& input) : input_(input) { Alive().push_back(this); }

HeadlessWindow::~HeadlessWindow() {
  std::erase(Alive(), this);
  if (focused == this) focused = nullptr;
}

void HeadlessWindow::SetBounds(const WindowRect& bounds) {
  const bool resized = bounds.width != bounds_.width || bounds.height != bounds_.height;
  const bool moved = bounds.x != bounds_.x || bounds.y != bounds_.y;
  bounds_ = bounds;
  // As a system reports its windows' moves and sizes, whoever asked for them.
  if (moved) input_.InputMoved(bounds.x, bounds.y);
  if (resized) input_.InputResize(bounds.width, bounds.height);
}

WindowRect HeadlessWindow::MonitorBounds() const { return monitor; }

void HeadlessWindow::MoveWindow(int x, int y) { SetBounds({x, y, bounds_.width, bounds_.height}); }

void HeadlessWindow::Activate() {
  if (focused == this) return;
  HeadlessWindow* previous = focused;
  focused = this;
  if (previous) previous->input_.InputFocus(false);
  input_.InputFocus(true);
}

void HeadlessWindow::Present(const PixelBuffer& image) {
  ++presentCount_;
  screenWidth_ = image.width;
  screenHeight_ = image.height;
  screen_.resize(static_cast<std::size_t>(image.width) * image.height);
  CopyPixelRows(image, screen_.data(), static_cast<std::size_t>(image.width) * 4, image.width, image.height);
}

void HeadlessWindow::MoveTo(int x, int y, unsigned shift) {
  pointer = {bounds_.x + x, bounds_.y + y};
  input_.InputPointerMoved(x, y, shift);
}
void HeadlessWindow::Press(MouseButton button, int x, int y, unsigned shift) {
  pointer = {bounds_.x + x, bounds_.y + y};
  input_.InputPointerMoved(x, y, shift);
  input_.InputButton(button, true, x, y, shift);
}
void HeadlessWindow::Release(MouseButton button, int x, int y, unsigned shift) {
  pointer = {bounds_.x + x, bounds_.y + y};
  input_.InputPointerMoved(x, y, shift);
  input_.InputButton(button, false, x, y, shift);
}
void HeadlessWindow::Click(int x, int y) {
  Press(MouseButton::Left, x, y);
  Release(MouseButton::Left, x, y);
}
void HeadlessWindow::Wheel(int delta, int x, int y, unsigned shift) {
  input_.InputPointerMoved(x, y, shift);
  input_.InputWheel(delta, x, y, shift);
}
void HeadlessWindow::KeyDown(int key, unsigned shift) { input_.InputKey(key, true, shift); }
void HeadlessWindow::KeyUp(int key, unsigned shift) { input_.InputKey(key, false, shift); }
void HeadlessWindow::TypeKey(int key, unsigned shift) {
  KeyDown(key, shift);
  KeyUp(key, shift);
}
void HeadlessWindow::Type(const std::string& utf8) { input_.InputCharacter(utf8); }
void HeadlessWindow::Resize(int width, int height) { SetBounds({bounds_.x, bounds_.y, width, height}); }
void HeadlessWindow::RequestClose() { input_.InputCloseRequest(); }

std::unique_ptr<WindowBackend> CreateHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

void SetHeadlessMonitor(const WindowRect& bounds) { monitor = bounds; }
void SetHeadlessPointer(int x, int y) { pointer = {x, y}; }
void SetHeadlessScreen(const ScreenImage& image) { desktop = image; }
int HeadlessCaptureCount() { return captures; }

WindowBackend& CurrentWindowBackend() { return *Backend(); }

void SetWindowBackend(std::unique_ptr<WindowBackend> backend) { Backend() = std::move(backend); }

}  // namespace platform
