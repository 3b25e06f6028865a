// The popup menu's opening: the question to OnBeforePopup, the drop point and the OnPopup report.
#include "lux/popup_menu.h"

namespace lux {

FXPopupMenu::FXPopupMenu(ui::TComponent* AOwner) : FXComponent(AOwner) {}

void FXPopupMenu::PopupAtPoint(TPoint Point) {
  bool CanPopup = true;
  if (OnBeforePopup) OnBeforePopup(this, CanPopup, Point);
  if (!CanPopup) return;
  OpenMenuAt(Point);
  if (OnPopup) OnPopup(this);
}

void FXPopupMenu::OpenMenuAt(TPoint P) {
  FDropPoint = P;
  // The menu window with its items is not built yet; until it is, opening only records the point.
}

}  // namespace lux
