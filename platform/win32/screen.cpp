// The screen on Windows: the cursor's position, the virtual screen of all monitors and a copy of its pixels.
#include "platform/screen.h"

#include <windows.h>

#include <cstring>

namespace platform {

std::optional<ScreenPoint> SystemPointerPosition() {
  POINT p{};
  if (!GetCursorPos(&p)) return std::nullopt;
  return ScreenPoint{p.x, p.y};
}

std::optional<ScreenArea> SystemVirtualDesktop() {
  const ScreenArea area{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                        GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  if (area.width <= 0 || area.height <= 0) return std::nullopt;
  return area;
}

bool SystemCaptureScreen(const ScreenArea& area, ScreenImage& image) {
  if (area.width <= 0 || area.height <= 0) return false;
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = area.width;
  info.bmiHeader.biHeight = -area.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = memory ? CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  bool copied = false;
  if (dib) {
    HGDIOBJ old = SelectObject(memory, dib);
    copied = BitBlt(memory, 0, 0, area.width, area.height, screen, area.x, area.y, SRCCOPY | CAPTUREBLT) != 0;
    GdiFlush();
    if (copied) {
      image.width = area.width;
      image.height = area.height;
      image.pixels.resize(static_cast<std::size_t>(area.width) * area.height);
      std::memcpy(image.pixels.data(), bits, image.pixels.size() * 4);
      // The screen's DIB leaves the top byte undefined; the copy is opaque.
      for (std::uint32_t& p : image.pixels) p |= 0xFF000000u;
    }
    SelectObject(memory, old);
    DeleteObject(dib);
  }
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copied;
}

}  // namespace platform
