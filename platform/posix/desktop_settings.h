// The desktop's appearance preferences (the freedesktop settings portal): the Linux counterpart of
// the Windows app-theme and accent values.
#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// Both answer from the last reading at once and never wait for the desktop, except the very first
// question of the process, which waits a moment for the first reading. A reading older than a
// second is renewed in the background.
// True for a dark preference, false for a light one; nothing when the desktop states none or
// cannot be asked.
std::optional<bool> DesktopPrefersDark();
// The desktop's accent as 0x00BBGGRR; nothing when it has none.
std::optional<std::uint32_t> DesktopAccentColor();

// Whether the session has a D-Bus session bus to ask (its address given, or the usual socket there).
bool SessionBusThere();

}  // namespace platform
