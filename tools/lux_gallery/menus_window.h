// The gallery's menus window: an edit box with its built-in menu, a drop-down button and a right-click area.
#pragma once

#include <memory>
#include <string>

#include "lux/forms.h"
#include "lux/popup_menu.h"
#include "ui/timer.h"

namespace lux {
class FXEdit;
}

namespace gallery {

// Keys: T switches the theme, Esc closes the window (and quits when it is the program's only window).
class TMenusWindow : public lux::FXForm {
 public:
  explicit TMenusWindow(bool QuitOnClose);

 private:
  // A menu with every kind of item: plain, default, shortcut, check, a radio group, a disabled one,
  // a separator and a sub-menu.
  void BuildMenu(lux::FXPopupMenu& Menu);
  // Says the line once the menu has finished opening: its last frame of the opening animation is on
  // the screen, so a test may read the menu's pixels.
  void SayWhenOpen(const lux::FXPopupMenu& Menu, std::string Line);

  std::unique_ptr<lux::FXPopupMenu> FMenu;
  std::unique_ptr<lux::FXPopupMenu> FFlatMenu;
  lux::FXEdit* FEdit = nullptr;
  // Looks whether the menu that opened last is still animating.
  ui::TTimer FOpenWatch;
};

}  // namespace gallery
