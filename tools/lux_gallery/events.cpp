// The gallery's theme switch and event report.
#include "events.h"

#include <cstdio>

#include "lux/theme_manager.h"

namespace gallery {

void ToggleTheme() {
  using lux::FXDarkSetting;
  lux::ThemeManager().SetDarkThemeMode(lux::ThemeManager().DarkTheme() ? FXDarkSetting::ForceLight
                                                                       : FXDarkSetting::ForceDark);
  Say(lux::ThemeManager().DarkTheme() ? "theme: dark" : "theme: light");
}

void Say(const std::string& Line) {
  std::fputs(Line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace gallery
