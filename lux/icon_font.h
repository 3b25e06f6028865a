// The icon font the framework draws its glyphs with.
#pragma once

#include <string>

namespace lux {

// "Segoe Fluent Icons" where installed, else "Segoe MDL2 Assets" where installed; on a system with
// neither (Linux, Wine) the framework's own font, registered for this process on first use.
const std::string& IconFontFamily();

// The family name of the framework's own icon font.
inline constexpr const char* FrameworkIconFontFamily = "Vel Fluent Icons";

}  // namespace lux
