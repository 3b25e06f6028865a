// The system accent colour service (read lazily, kept for 30 seconds) and the owned sub-object base.
#pragma once

#include <chrono>
#include <functional>

#include "ui/controls.h"
#include "vel/graphics.h"

namespace vel {

// Which accent a panel takes.
enum class CAccentColor { None, Accent, AccentAdjust, AccentCustom };

// The colour of that kind, read anew from the system first when it was never read or was read more
// than 30 whole seconds ago. None answers the system accent too; no caller asks for it.
TColor GetAccentColor(CAccentColor Kind);
// Reads the system accent now (HKEY_CURRENT_USER "Software\Microsoft\Windows\DWM\" "AccentColor") and
// derives the adjusted accent from it. A missing or unreadable value leaves the default accent.
void RefreshAccentColor();

// The clock the 30-second rule reads; tests move it by hand. An empty function restores the real one.
using TAccentClock = std::function<std::chrono::steady_clock::time_point()>;
void SetAccentClock(TAccentClock Now);
// Forgets the last read, so the next question reads the system again.
void ForgetAccentColor();

// A sub-object that knows the component it belongs to, without owning or being owned through it.
class TMPersistent {
 public:
  explicit TMPersistent(ui::TComponent* AOwner) : FOwner(AOwner) {}
  virtual ~TMPersistent() = default;
  ui::TComponent* Owner() const { return FOwner; }

 private:
  ui::TComponent* FOwner;
};

}  // namespace vel
