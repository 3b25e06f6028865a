// FXPopupMenu: the framework's context menu, so far the component that decides whether and where it opens.
#pragma once

#include <functional>

#include "lux/classes.h"
#include "lux/types.h"

namespace lux {

// The handler may cancel the opening (CanPopup := false) or move it (Point, in screen pixels).
using TOnBeforePopup = std::function<void(ui::TComponent* Sender, bool& CanPopup, TPoint& Point)>;

class FXPopupMenu : public FXComponent {
 public:
  explicit FXPopupMenu(ui::TComponent* AOwner);

  TNotifyEvent OnPopup;
  TOnBeforePopup OnBeforePopup;

  // Opens at a screen point, after OnBeforePopup has had its say; OnPopup follows the opening.
  void PopupAtPoint(TPoint Point);
  void Popup(int X, int Y) { PopupAtPoint({X, Y}); }

  // Where the menu was last asked to open, in screen pixels.
  TPoint DropPoint() const { return FDropPoint; }

 private:
  void OpenMenuAt(TPoint P);

  TPoint FDropPoint{};
};

}  // namespace lux
