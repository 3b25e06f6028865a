// The screen as a whole: where the pointer is, the desktop all monitors make together, and a copy of its pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

struct ScreenPoint {
  int x = 0, y = 0;
  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

struct ScreenArea {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const ScreenArea&, const ScreenArea&) = default;
};

// Opaque pixels as 0xFFRRGGBB words, rows packed top-down.
struct ScreenImage {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
};

// The system's own answers, whatever window backend draws; the window backends fall back on them.
// Each answers "not available" (nullopt, false) where the system gives no such thing.
std::optional<ScreenPoint> SystemPointerPosition();
std::optional<ScreenArea> SystemVirtualDesktop();
// A copy of what the screen shows in `area` (screen pixels); parts outside the screen come out black.
bool SystemCaptureScreen(const ScreenArea& area, ScreenImage& image);

}  // namespace platform
