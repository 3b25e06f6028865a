// What the gallery's windows share: the theme switch and the one-line event report its tests read.
#pragma once

#include <string>

namespace gallery {

// Flips between the light and the dark theme; every open framework window follows.
void ToggleTheme();

// One event on standard output as one line, flushed at once: a test reading the pipe must see it
// before the next input it sends, not when the buffer happens to fill.
void Say(const std::string& Line);

}  // namespace gallery
