// What SDL leaves out of its X windows: the connection's descriptor (for a loop that waits on it with
// poll) and a window's shape (for see-through pixels). Kept apart because Xlib's macros clash with
// the toolkit's names.
#include <SDL2/SDL_syswm.h>
// After SDL's own declarations, which its call macros would otherwise rewrite.
#include "sdl_api.h"
#include <X11/extensions/shape.h>

#include <cstdint>
#include <vector>

namespace platform {

int X11Descriptor(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return -1;
  return XConnectionNumber(info.info.x11.display);
}

bool X11ShapeOut(SDL_Window* window, const std::uint32_t* bits, int width, int height, int stride, bool enabled,
                 std::uint32_t key) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  Display* display = info.info.x11.display;
  int eventBase = 0, errorBase = 0;
  if (!XShapeQueryExtension(display, &eventBase, &errorBase)) return false;
  if (!enabled || !bits) {
    XShapeCombineMask(display, info.info.x11.window, ShapeBounding, 0, 0, None, ShapeSet);
    XFlush(display);
    return true;
  }
  // The window is the union of the runs of pixels that are not the key, row by row.
  std::vector<XRectangle> runs;
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const std::uint8_t*>(bits) +
                                                                      static_cast<std::size_t>(y) * stride);
    int x = 0;
    while (x < width) {
      while (x < width && row[x] == key) ++x;
      const int start = x;
      while (x < width && row[x] != key) ++x;
      if (x > start)
        runs.push_back({static_cast<short>(start), static_cast<short>(y), static_cast<unsigned short>(x - start), 1});
    }
  }
  XShapeCombineRectangles(display, info.info.x11.window, ShapeBounding, 0, 0, runs.data(), static_cast<int>(runs.size()),
                          ShapeSet, YXBanded);
  XFlush(display);
  return true;
}

}  // namespace platform
