// The screen on Linux, asked of the X server directly (Wayland gives no such answers: "not available").
#include "platform/screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace platform {
namespace {

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// A connection of its own for each question: they are rare (a menu opening, a capture a second at
// most), and a connection shared with the window backend would tie this to its thread and its life.
DisplayPtr OpenDisplay() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return nullptr;
  return DisplayPtr(XOpenDisplay(nullptr));
}

struct ImageDestroyer {
  void operator()(XImage* image) const { XDestroyImage(image); }
};

}  // namespace

std::optional<ScreenPoint> SystemPointerPosition() {
  DisplayPtr display = OpenDisplay();
  if (!display) return std::nullopt;
  ::Window root = 0, child = 0;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned mask = 0;
  if (!XQueryPointer(display.get(), DefaultRootWindow(display.get()), &root, &child, &rootX, &rootY, &winX, &winY, &mask))
    return std::nullopt;
  return ScreenPoint{rootX, rootY};
}

std::optional<ScreenArea> SystemVirtualDesktop() {
  DisplayPtr display = OpenDisplay();
  if (!display) return std::nullopt;
  // The root window spans every monitor of the screen.
  const int screen = DefaultScreen(display.get());
  return ScreenArea{0, 0, DisplayWidth(display.get(), screen), DisplayHeight(display.get(), screen)};
}

bool SystemCaptureScreen(const ScreenArea& area, ScreenImage& image) {
  if (area.width <= 0 || area.height <= 0) return false;
  DisplayPtr display = OpenDisplay();
  if (!display) return false;
  Display* d = display.get();
  const int screen = DefaultScreen(d);
  // The server refuses a request that reaches past the root window, so ask only for the part on it.
  const int left = std::max(area.x, 0), top = std::max(area.y, 0);
  const int right = std::min(area.x + area.width, DisplayWidth(d, screen));
  const int bottom = std::min(area.y + area.height, DisplayHeight(d, screen));
  image.width = area.width;
  image.height = area.height;
  image.pixels.assign(static_cast<std::size_t>(area.width) * area.height, 0xFF000000u);
  if (right <= left || bottom <= top) return true;
  std::unique_ptr<XImage, ImageDestroyer> shot(
      XGetImage(d, DefaultRootWindow(d), left, top, static_cast<unsigned>(right - left), static_cast<unsigned>(bottom - top),
                AllPlanes, ZPixmap));
  if (!shot) return false;
  auto shiftOf = [](unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
      mask >>= 1;
      ++shift;
    }
    return shift;
  };
  auto scale = [](unsigned long value, unsigned long mask, int shift) -> std::uint32_t {
    const unsigned long max = mask >> shift;
    return max ? static_cast<std::uint32_t>((value & mask) >> shift) * 255u / static_cast<std::uint32_t>(max) : 0u;
  };
  const int rs = shiftOf(shot->red_mask), gs = shiftOf(shot->green_mask), bs = shiftOf(shot->blue_mask);
  for (int y = 0; y < bottom - top; ++y) {
    std::uint32_t* row = image.pixels.data() + static_cast<std::size_t>(y + top - area.y) * area.width + (left - area.x);
    for (int x = 0; x < right - left; ++x) {
      const unsigned long p = XGetPixel(shot.get(), x, y);
      row[x] = 0xFF000000u | scale(p, shot->red_mask, rs) << 16 | scale(p, shot->green_mask, gs) << 8 |
               scale(p, shot->blue_mask, bs);
    }
  }
  return true;
}

}  // namespace platform
