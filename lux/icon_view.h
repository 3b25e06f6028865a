// FXIconView: one icon (usually an icon-font glyph) as a square scaled to the control, aligned nine ways.
#pragma once

#include <memory>

#include "lux/classes.h"
#include "lux/colors.h"
#include "lux/control_interface.h"
#include "lux/controls.h"
#include "lux/types.h"

namespace lux {

class FXIconView : public FXWindowsControl, public FXControl {
 public:
  explicit FXIconView(ui::TComponent* AOwner);
  ~FXIconView() override;

  FXColorSets& CustomColors() { return *FCustomColors; }
  FXIconSelect& Image() { return *FImage; }
  // Copies the given selection into the view's own.
  void SetImage(const FXIconSelect& Value);
  // The icon's side as a share of the drawing area's.
  double Scale() const { return FScale; }
  void SetScale(double Value);
  FXLayout LayoutHorizontal() const { return FHorzLayout; }
  void SetLayoutHorizontal(FXLayout Value);
  FXLayout LayoutVertical() const { return FVertLayout; }
  void SetLayoutVertical(FXLayout Value);

  TRect DrawRect() const { return FDrawRect; }
  TRect IconRect() const { return FIconRect; }
  const FXCompleteColorSet& DrawColors() const { return *FDrawColors; }

  bool IsContainer() override { return false; }
  void UpdateTheme(bool UpdateChildren) override;
  TColor Background() override { return FDrawColors->BackGround(); }

 protected:
  void PaintBuffer() override;
  void InteractionStateChanged(FXControlState AState) override;
  void BoundsChanged(int OldWidth, int OldHeight) override;

 private:
  void UpdateColors();
  void UpdateRects();

  std::unique_ptr<FXColorSets> FCustomColors;
  std::unique_ptr<FXIconSelect> FImage;
  std::unique_ptr<FXCompleteColorSet> FDrawColors;
  double FScale = 1.0;
  FXLayout FHorzLayout = FXLayout::Center;
  FXLayout FVertLayout = FXLayout::Center;
  TRect FDrawRect;
  TRect FIconRect;
};

}  // namespace lux
