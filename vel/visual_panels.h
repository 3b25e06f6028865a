// CPanel: a plain panel that follows its parent's colour or takes one of the system accent colours.
#pragma once

#include "ui/controls.h"
#include "vel/components.h"

namespace vel {

// Without an accent the panel paints in its parent's colour, so a theme change of the window reaches
// every page built of these panels. It takes no part in the framework's theme protocol.
class CPanel : public ui::TPanel {
 public:
  explicit CPanel(ui::TComponent* AOwner);

  CAccentColor UseAccentColor() const { return FAccent; }
  // Choosing an accent stops following the parent; going back to None keeps the colour last applied.
  void SetUseAccentColor(CAccentColor Value);

  // Every invalidation applies the accent again, so a changed system accent shows at the first one
  // after the accent service has read it.
  void Invalidate() override;

 private:
  CAccentColor FAccent = CAccentColor::None;
};

}  // namespace vel
