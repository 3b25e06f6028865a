// FXPanel: the themed panel, with an optional accent line at its left edge, passing theme changes on.
#pragma once

#include <cstdint>
#include <memory>

#include "lux/colors.h"
#include "lux/control_interface.h"
#include "lux/types.h"
#include "ui/controls.h"
#include "ui/font.h"

namespace lux {

// The toolkit's panel with nothing added.
class FXPanelBase : public ui::TPanel {
 public:
  using ui::TPanel::TPanel;
};

class FXPanel : public FXPanelBase, public FXControl {
 public:
  explicit FXPanel(ui::TComponent* AOwner);
  ~FXPanel() override;

  // Used while enabled; changing any of them updates the panel's theme.
  FXCompleteColorSets& CustomColors() { return *FCustomColors; }
  // Which colour of the set fills the panel: the background or the interior one.
  FXBackgroundColor BackgroundColor() const { return FBackground; }
  void SetBackgroundColor(FXBackgroundColor Value);
  bool AccentLine() const { return FAccentLine; }
  void SetAccentLine(bool Value);
  std::int32_t AccentLineWidth() const { return FLineWidth; }
  void SetAccentLineWidth(std::int32_t Value);
  // Kept for the stored layout: the toolkit's panel draws no caption.
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool Value) { FShowCaption = Value; }
  ui::TFont& Font() { return FFont; }
  const FXCompleteColorSet& DrawColors() const { return *FDrawColors; }

  // Drawn straight on the panel while it paints; at any other time it asks for a paint.
  virtual void DrawAccentLine();

  bool IsContainer() override { return true; }
  // With UpdateChildren, the framework controls directly inside the panel update too, in child order.
  void UpdateTheme(bool UpdateChildren) override;
  // What children that take their parent's background paint behind themselves.
  TColor Background() override;

 protected:
  void Paint() override;

 private:
  void UpdateColors();

  std::unique_ptr<FXCompleteColorSets> FCustomColors;
  std::unique_ptr<FXCompleteColorSet> FDrawColors;
  FXBackgroundColor FBackground = FXBackgroundColor::Background;
  bool FAccentLine = false;
  std::int32_t FLineWidth = 8;
  bool FShowCaption = false;
  ui::TFont FFont;
};

}  // namespace lux
