// FXTextView: a read-only multi-line text of normal and bold lines, wrapped at its width, with a thin
// vertical scroll bar that the wheel, the keyboard, track clicks and thumb drags move.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lux/colors.h"
#include "lux/control_interface.h"
#include "lux/controls.h"
#include "lux/types.h"

namespace lux {

struct FXTextLine {
  std::string Text;
  bool Bold = false;
  friend bool operator==(const FXTextLine&, const FXTextLine&) = default;
};

// One wrapped row as laid out: its text, its place in the content (0 is the top of the first row) and
// the line it came from.
struct FXTextRow {
  std::string Text;
  bool Bold = false;
  std::int32_t Top = 0;
  std::int32_t Height = 0;
  std::size_t Line = 0;
};

class FXTextView : public FXWindowsControl, public FXControl {
 public:
  // Lines a wheel notch scrolls.
  static constexpr std::int32_t DefaultWheelLines = 3;
  // The bar's thickness at 100 % scale and the room between its track and its edges.
  static constexpr std::int32_t DefaultBarSize = 12;
  static constexpr std::int32_t BarSpacing = 3;
  static constexpr std::int32_t MinThumbLength = 20;

  explicit FXTextView(ui::TComponent* AOwner);
  ~FXTextView() override;

  const std::vector<FXTextLine>& Lines() const { return FLines; }
  void SetLines(std::vector<FXTextLine> Value);
  // Splits on "\r\n", "\n" or "\r"; every line is normal.
  void SetText(const std::string& Value);
  // The lines joined with "\n", bold or not: what a copy to the clipboard carries.
  std::string Text() const;

  // A character the text fonts may lack (one UTF-8 character): where no installed font has it, it is
  // painted as the icon font's Glyph instead. The lines, and so Text(), keep the character itself.
  void SetGlyphSubstitute(const std::string& Character, const std::string& Glyph);
  const std::string& SubstituteCharacter() const { return FSubstituteCharacter; }
  const std::string& SubstituteGlyph() const { return FSubstituteGlyph; }
  // Whether the substitute is in use: set, and missing from every font the text could be drawn with.
  bool SubstituteActive() const { return FSubstituteActive; }
  void AddLine(const std::string& Value, bool Bold = false);
  void SetLineBold(std::size_t Index, bool Bold);
  void Clear();

  // How far the content has moved up, in pixels; always within 0..ScrollMax().
  std::int32_t ScrollPosition() const { return FScrollPos; }
  void SetScrollPosition(std::int32_t Value);
  std::int32_t ScrollMax() const;
  std::int32_t ContentHeight() const { return FContentHeight; }
  std::int32_t WheelLines() const { return FWheelLines; }
  void SetWheelLines(std::int32_t Value);

  // Colours used instead of the theme's when enabled: foreground for the text, background behind it.
  FXColorSets& CustomColors() { return *FCustomColors; }
  const FXColorSet& DrawColors() const { return *FDrawColors; }
  // The slider's colour, set apart from the text colour like the framework's scroll bar does.
  TColor ThumbColor() const { return FThumbColor; }

  // The layout, for callers that place things against it.
  const std::vector<FXTextRow>& Rows() const { return FRows; }
  TRect TextRect() const { return FTextRect; }
  bool ScrollbarVisible() const { return FBarVisible; }
  TRect ScrollbarRect() const { return FBarRect; }
  TRect ThumbRect() const;
  // Whether the bar shows expanded (pointer over it or a drag running) or as a thin line at the edge.
  bool ScrollbarExpanded() const { return FBarHover || FDragging; }
  // The height of one normal line: the unit of a wheel step and an arrow key.
  std::int32_t LineStep() const { return FLineStep; }

  std::function<void(FXTextView&)> OnScroll;

  bool IsContainer() override { return false; }
  void UpdateTheme(bool UpdateChildren) override;
  TColor Background() override { return FDrawColors->BackGround(); }

  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseLeave() override;
  bool MouseWheel(ui::TShiftState Shift, int Delta, int X, int Y) override;
  void KeyDown(int& Key, ui::TShiftState Shift) override;

 protected:
  void PaintBuffer() override;
  void ComponentCreated() override;
  void FontUpdate() override;
  void ScaleChanged(float Scaling) override;
  void BoundsChanged(int OldWidth, int OldHeight) override;

 private:
  void UpdateColors();
  void UpdateRects();
  // Lays the rows out again, keeps the position in range and repaints.
  void Relayout();
  void ScrollTo(std::int32_t Value);
  // One view's worth less a line, so a page keeps a line of context.
  std::int32_t PageStep() const;
  void SetBarHover(bool Value);
  void DragTo(std::int32_t Y);

  std::vector<FXTextLine> FLines;
  std::vector<FXTextRow> FRows;
  std::int32_t FContentHeight = 0;
  std::int32_t FLineStep = 1;
  std::int32_t FScrollPos = 0;
  std::int32_t FWheelLines = DefaultWheelLines;
  std::int32_t FBarSize = DefaultBarSize;
  TRect FTextRect;
  TRect FBarRect;
  bool FBarVisible = false;
  bool FBarHover = false;
  bool FDragging = false;
  std::int32_t FDragOffset = 0;
  std::string FSubstituteCharacter;
  std::string FSubstituteGlyph;
  bool FSubstituteActive = false;
  std::unique_ptr<FXColorSets> FCustomColors;
  std::unique_ptr<FXCompleteColorSet> FDrawColors;
  TColor FThumbColor = 0;
};

}  // namespace lux
