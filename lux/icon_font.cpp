// The icon font the framework draws its glyphs with.
#include "lux/icon_font.h"

#include <cstdint>
#include <span>

#include "platform/canvas.h"

extern "C" {
extern const std::uint8_t vel_icon_font[];
extern const std::uint8_t vel_icon_font_end[];
}

namespace lux {

const std::string& IconFontFamily() {
  // Decided once: fonts do not come and go while the program runs.
  static const std::string family = [] {
    for (const char* system : {"Segoe Fluent Icons", "Segoe MDL2 Assets"})
      if (platform::FontFamilyInstalled(system)) return std::string(system);
    platform::RegisterPrivateFont(
        std::span<const std::uint8_t>(vel_icon_font, static_cast<std::size_t>(vel_icon_font_end - vel_icon_font)));
    return std::string(FrameworkIconFontFamily);
  }();
  return family;
}

}  // namespace lux
