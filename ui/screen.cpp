// The screen questions, answered by the current window backend.
#include "ui/screen.h"

#include <cstring>

#include "platform/window.h"

namespace ui {

TPoint CursorPos() {
  const auto p = platform::CurrentWindowBackend().PointerPosition();
  return p ? TPoint{p->x, p->y} : TPoint{0, 0};
}

TRect VirtualDesktop() {
  const auto a = platform::CurrentWindowBackend().VirtualDesktop();
  if (!a) return {};
  return Bounds(a->x, a->y, a->width, a->height);
}

bool CaptureScreen(const TRect& area, TBitmap& image) {
  platform::ScreenImage shot;
  if (area.IsEmpty() || !platform::CurrentWindowBackend().CaptureScreen({area.Left, area.Top, area.Width(), area.Height()}, shot))
    return false;
  if (shot.width != area.Width() || shot.height != area.Height()) return false;
  image.SetSize(shot.width, shot.height);
  image.SetAlphaFormat(TAlphaFormat::Premultiplied);
  // Opaque words read the same premultiplied or not.
  std::memcpy(image.Bits(), shot.pixels.data(), shot.pixels.size() * 4);
  return true;
}

}  // namespace ui
