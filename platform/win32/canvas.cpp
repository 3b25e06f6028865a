// The Windows build has no drawing backend yet: every call answers that it is not supported.
#include "platform/canvas.h"

#include <stdexcept>

#include "support.h"

namespace platform {
namespace {
[[noreturn]] void Unsupported() { throw NotSupported("Drawing is not supported on this system yet"); }
}  // namespace

bool CanvasSupported() { return false; }
std::unique_ptr<Canvas> CreateCanvas(const PixelBuffer&) { Unsupported(); }
std::string ResolveFontFamily(const std::string&) { Unsupported(); }
DecodedImage DecodePng(const void*, std::size_t) { Unsupported(); }

namespace {
int CALLBACK FamilyFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}
}  // namespace

bool FontFamilyInstalled(const std::string& family) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  std::wstring name = Wide(family);
  if (name.size() >= LF_FACESIZE) return false;
  name.copy(wanted.lfFaceName, name.size());
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &wanted, FamilyFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

void RegisterPrivateFont(std::span<const std::uint8_t> data) {
  DWORD count = 0;
  // Private to the process and released with it.
  if (!AddFontMemResourceEx(const_cast<std::uint8_t*>(data.data()), static_cast<DWORD>(data.size()), nullptr, &count))
    throw std::runtime_error("The font cannot be used: " + SystemMessage(GetLastError()));
}

}  // namespace platform
