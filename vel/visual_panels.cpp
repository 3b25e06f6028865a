// CPanel: the accent applied at every invalidation.
#include "vel/visual_panels.h"

namespace vel {

CPanel::CPanel(ui::TComponent* AOwner) : ui::TPanel(AOwner) { SetParentColor(true); }

void CPanel::SetUseAccentColor(CAccentColor Value) {
  FAccent = Value;
  if (Value != CAccentColor::None) SetParentColor(false);
  Invalidate();
}

void CPanel::Invalidate() {
  ui::TPanel::Invalidate();
  // A changed colour invalidates once more; that pass finds the same colour and stops.
  if (FAccent != CAccentColor::None) SetColor(ColorToAlphaColor(GetAccentColor(FAccent)));
}

}  // namespace vel
