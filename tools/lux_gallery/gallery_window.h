// The gallery's first window: the framework's core at work (colours, shapes, text, glyphs, blur).
#pragma once

#include <functional>

#include "lux/forms.h"

namespace gallery {

// Keys: S turns the smoke overlay on and off, T switches the theme, C opens the controls window,
// Esc quits.
class TGalleryWindow : public lux::FXForm {
 public:
  // OpenControls runs on the button and on the key C.
  explicit TGalleryWindow(std::function<void()> OpenControls);

 private:
  void Key(const std::string& Key);
  std::function<void()> FOpenControls;
};

}  // namespace gallery
