// FXEdit: the framework's single-line text input with selection, undo, clipboard and a digits-only mode.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "lux/classes.h"
#include "lux/colors.h"
#include "lux/control_interface.h"
#include "lux/controls.h"
#include "lux/types.h"

namespace lux {

class FXPopupMenu;

// The text is UTF-8; every index below (caret, selection, lengths) counts whole characters.
class FXCustomEdit : public FXWindowsControl, public FXControl {
 public:
  // Older texts beyond this many edits are forgotten, so a long session cannot grow without bound.
  static constexpr std::size_t MaxHistory = 100;

  explicit FXCustomEdit(ui::TComponent* AOwner);
  ~FXCustomEdit() override;

  FXCompleteColorSets& CustomColors() { return *FCustomColors; }
  FXSingleColorStateSets& CustomEditColors() { return *FCustomEditColors; }
  const FXCompleteColorSet& DrawColors() const { return *FDrawColors; }
  const FXSingleColorStateSet& EditColors() const { return *FEditColors; }

  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  // 0 for none; otherwise the one character every character of the text shows as.
  char32_t PasswordChar() const { return FPassChar; }
  void SetPasswordChar(char32_t Value);
  std::int64_t Value() const;
  void SetValue(std::int64_t Value);
  int Position() const { return FPosition; }
  void SetPosition(int Value);
  int SelectionLength() const { return FSelLength; }
  void SetSelectionLength(int Value);
  FXLayout Layout() const { return FLayout; }
  void SetLayout(FXLayout Value);
  FXLayout LayoutHorizontal() const { return FLayoutHoriz; }
  void SetLayoutHorizontal(FXLayout Value);
  const std::string& TextHint() const { return FTextHint; }
  void SetTextHint(const std::string& Value);
  bool ClearSelectionOnExit() const { return FClearSelOnExit; }
  void SetClearSelectionOnExit(bool Value) { FClearSelOnExit = Value; }
  bool CanUndo() const { return FCanUndo; }
  void SetCanUndo(bool Value);
  FXCharCase CharCase() const { return FCharCase; }
  void SetCharCase(FXCharCase Value);
  bool NumbersOnly() const { return FNumbersOnly; }
  void SetNumbersOnly(bool Value);
  bool EnableSelection() const { return FEnableSelection; }
  void SetEnableSelection(bool Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  int LineSize() const { return FLineSize; }
  void SetLineSize(int Value);
  int Roundness() const { return FRoundness; }
  void SetRoundness(int Value);
  int TextMarginX() const { return FTextMarginX; }
  void SetTextMarginX(int Value);
  int TextMarginY() const { return FTextMarginY; }
  void SetTextMarginY(int Value);
  FXDetailType Detail() const { return FDetail; }
  void SetDetail(FXDetailType Value);
  bool HandleUpDown() const { return FHandleUpDown; }
  void SetHandleUpDown(bool Value) { FHandleUpDown = Value; }
  // The most characters a user edit may leave in the text; 0 for no limit. Text set from code is kept whole.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value) { FMaxLength = Value < 0 ? 0 : Value; }
  // The built-in menu a right click opens when no PopupMenu is set.
  FXPopupMenu& DefaultMenu() { return *FDefaultMenu; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChangeValue;

  int SelectionStart() const;
  int SelectionEnd() const;
  std::string Selection() const;
  int TextLength() const;
  bool HasSelection() const { return FSelLength > 0; }
  bool ExtendsBounds();
  void ClearSelection() { SetSelectionLength(0); }
  void DeleteSelection();
  void SelectAll();
  void Clear() { SetText(""); }
  void Undo();
  // How many earlier texts Undo can still return to.
  std::size_t HistoryCount() const { return FHistory.size(); }
  void CopyToClipBoard();
  void CutToClipBoard();
  void PasteFromClipBoard();
  // The toolkit reports no double clicks; whoever detects one calls this.
  void DblClick();

  TRect TextRect() const { return TxtRect; }
  TRect LineRect() const { return FLineRect; }
  int CutPosition() const { return FCutPosition; }
  int DrawPosition() const { return FDrawPosition; }
  TColor LineColor() const { return FLineColor; }

  bool IsContainer() override { return false; }
  void UpdateTheme(bool UpdateChildren) override;
  TColor Background() override { return FDrawColors->BackGround(); }

  void KeyDown(int& Key, ui::TShiftState Shift) override;
  void KeyUp(int& Key, ui::TShiftState Shift) override;
  void KeyPress(const std::string& Character) override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void DoEnter() override;
  void DoExit() override;

 protected:
  void PaintBuffer() override;
  void FontUpdate() override;
  void ComponentCreated() override;
  void ScaleChanged(float Scaling) override;
  void BoundsChanged(int OldWidth, int OldHeight) override;
  void OpenPopupMenu(int X, int Y) override;
  void InteractionStateChanged(FXControlState AState) override;

 private:
  void UpdateColors();
  void UpdateRects();
  void UpdateLineColor();
  void UpdateDrawPosition();
  void UpdateAutoHeight();
  void ScrollToCaret(int X);
  int CharIndexAt(int X);
  int FindWordBoundary(int Index, bool Backwards) const;
  void SelectRange(int A, int B);
  void MoveCaret(int D);
  void DeleteCharAt(int I);
  void ChangeText(const std::string& S);
  void ApplyCharCase();
  // Keeps the caret and selection inside a text that changed under them.
  void ClampCaret();
  void EnsureNumber();
  std::string GetDisplayText() const;
  int TextWidth(const std::string& S);
  int TextHeight(const std::string& S);
  bool Measurable() const;

  TRect DrawRect, FLineRect, TxtRect;
  std::unique_ptr<FXCompleteColorSets> FCustomColors;
  std::unique_ptr<FXSingleColorStateSets> FCustomEditColors;
  std::unique_ptr<FXSingleColorStateSet> FEditColors;
  std::unique_ptr<FXCompleteColorSet> FDrawColors;
  bool FHandleUpDown = true;
  int FLineSize = 2;
  bool FAutoSize = true;
  std::string FText = "Hello World!";
  int FCutPosition = 0;
  int FPosition = 0;
  int FDrawPosition = 0;
  int FSelLength = 0;
  const int FIndicatorWidth = 1;
  int FRoundness = 10;
  TColor FLineColor = 0;
  FXLayout FLayout = FXLayout::Center;
  FXLayout FLayoutHoriz = FXLayout::Beginning;
  bool FSelGoesLeft = false;
  int FDownStart = -1;
  ui::TShiftState LastShiftState = 0;
  std::deque<std::string> FHistory;
  FXPopupMenu* FDefaultMenu = nullptr;  // owned as a component
  void BuildDefaultMenu();
  int FTextMarginX = 5;
  int FTextMarginY = 5;
  char32_t FPassChar = 0;
  bool FCanUndo = true;
  bool FEnableSelection = true;
  FXCharCase FCharCase = FXCharCase::Both;
  bool FNumbersOnly = false;
  bool FClearSelOnExit = true;
  std::string FTextHint;
  FXDetailType FDetail = FXDetailType::Underline;
  int FMaxLength = 0;
};

class FXEdit : public FXCustomEdit {
 public:
  using FXCustomEdit::FXCustomEdit;
};

}  // namespace lux
