// A font as controls describe it: face name, size in points or pixels, style and colour.
#pragma once

#include <string>

#include "platform/canvas.h"
#include "ui/types.h"

namespace ui {

struct TFontStyles {
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  friend bool operator==(const TFontStyles&, const TFontStyles&) = default;
};

class TFont {
 public:
  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }
  // Points at 96 dots per inch.
  double Size() const { return size_; }
  void SetSize(double points) {
    size_ = points;
    inPixels_ = false;
  }
  // The em height in pixels, as a negative font height asks for.
  double Height() const { return inPixels_ ? size_ : size_ * 96.0 / 72.0; }
  void SetHeight(double pixels) {
    size_ = pixels;
    inPixels_ = true;
  }
  const TFontStyles& Style() const { return style_; }
  void SetStyle(const TFontStyles& value) { style_ = value; }
  TAlphaColor Color() const { return color_; }
  void SetColor(TAlphaColor value) { color_ = value; }

  platform::TextFont Request() const {
    return {name_, size_, inPixels_, style_.Bold, style_.Italic, style_.Underline, style_.StrikeOut};
  }
  friend bool operator==(const TFont&, const TFont&) = default;

 private:
  std::string name_ = "Segoe UI";
  double size_ = 9;
  bool inPixels_ = false;
  TFontStyles style_;
  TAlphaColor color_ = 0xFF000000;
};

}  // namespace ui
