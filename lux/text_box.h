// FXTextBox: a label in the theme's text colour, aligned nine ways, optionally wrapped, sized to its text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "lux/colors.h"
#include "lux/control_interface.h"
#include "lux/controls.h"
#include "lux/types.h"

namespace lux {

class FXTextBox : public FXWindowsControl, public FXControl {
 public:
  explicit FXTextBox(ui::TComponent* AOwner);
  ~FXTextBox() override;

  FXColorSets& CustomColors() { return *FCustomColors; }
  // Caption and Text are one string.
  const std::string& Caption() const { return FText; }
  void SetCaption(const std::string& Value) { SetText(Value); }
  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  FXLayout LayoutHorizontal() const { return FHorzLayout; }
  void SetLayoutHorizontal(FXLayout Value);
  FXLayout LayoutVertical() const { return FVertLayout; }
  void SetLayoutVertical(FXLayout Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // Kept for the stored layout; the drawing does not shorten text.
  bool Elipsis() const { return FElipsis; }
  void SetElipsis(bool Value);
  // Used from the next paint or automatic size on; changing it alone repaints nothing.
  std::int32_t InnerMargin() const { return FInnerMargin; }
  void SetInnerMargin(std::int32_t Value) { FInnerMargin = Value; }

  // Sizes the control to its text now: width and height without wrapping, only the height with it.
  void UpdateAutoSize();
  TRect TextRect() const { return FTextRect; }
  FXTextFlags TextFlags() const;
  const FXCompleteColorSet& DrawColors() const { return *FDrawColors; }

  bool IsContainer() override { return false; }
  void UpdateTheme(bool UpdateChildren) override;
  TColor Background() override { return FDrawColors->BackGround(); }

 protected:
  void PaintBuffer() override;
  void FontUpdate() override;
  void ComponentCreated() override;
  void ScaleChanged(float Scaling) override;
  void BoundsChanged(int OldWidth, int OldHeight) override;

 private:
  void UpdateColors();
  void UpdateRects();

  std::unique_ptr<FXColorSets> FCustomColors;
  std::unique_ptr<FXCompleteColorSet> FDrawColors;
  std::string FText = "Hello World";
  FXLayout FHorzLayout = FXLayout::Beginning;
  FXLayout FVertLayout = FXLayout::Center;
  bool FAutoSize = true;
  bool FWordWrap = false;
  bool FElipsis = false;
  std::int32_t FInnerMargin = 0;
  TRect FTextRect;
};

}  // namespace lux
