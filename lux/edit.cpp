// FXEdit: editing, caret and selection, undo, clipboard, layout, colours and painting.
#include "lux/edit.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "lux/graphics.h"
#include "lux/popup_menu.h"
#include "lux/shapes.h"
#include "lux/theme_manager.h"
#include "platform/canvas.h"
#include "platform/text.h"
#include "platform/window.h"
#include "ui/bitmap.h"
#include "ui/canvas.h"

namespace lux {

namespace {

// The byte offset where character Index starts (the size for an index at or past the end). Every
// position of the edit turns into bytes here, so no cut can fall inside a multi-byte sequence.
std::size_t ByteOffset(const std::string& S, int Index) {
  std::size_t i = 0;
  for (int n = 0; n < Index && i < S.size(); ++n) {
    ++i;
    while (i < S.size() && platform::IsUtf8Continuation(S[i])) ++i;
  }
  return i;
}

int CharCount(const std::string& S) {
  return static_cast<int>(platform::CodePointCount(S));
}

// Count characters from character From on.
std::string CharSub(const std::string& S, int From, int Count = -1) {
  const std::size_t a = ByteOffset(S, From);
  if (Count < 0) return S.substr(a);
  const std::size_t b = ByteOffset(S, From + Count);
  return S.substr(a, b - a);
}

// The first byte of a character decides: an ASCII letter or digit is a word character, anything else
// (every non-ASCII character too) separates words.
bool IsWordChar(const std::string& S, int Index) {
  const std::size_t at = ByteOffset(S, Index);
  if (at >= S.size()) return false;
  const unsigned char c = static_cast<unsigned char>(S[at]);
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool ToInt64(const std::string& S, std::int64_t& Out) {
  if (S.empty()) return false;
  const char* first = S.data();
  if (*first == '+') ++first;
  const char* last = S.data() + S.size();
  const auto [end, ec] = std::from_chars(first, last, Out);
  return ec == std::errc() && end == last;
}

// A path field is one line: line breaks and other control characters in pasted text would be invisible
// in it and end up in whatever the text is used for.
std::string StripControls(const std::string& S) {
  std::string out;
  out.reserve(S.size());
  for (char c : S) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) continue;
    out += c;
  }
  return out;
}

constexpr int kVkA = 'A', kVkC = 'C', kVkV = 'V', kVkX = 'X', kVkZ = 'Z';

}  // namespace

FXCustomEdit::FXCustomEdit(ui::TComponent* AOwner)
    : FXWindowsControl(AOwner),
      FCustomColors(std::make_unique<FXCompleteColorSets>(this)),
      FCustomEditColors(std::make_unique<FXSingleColorStateSets>(this)),
      FEditColors(std::make_unique<FXSingleColorStateSet>(0, 0, 0)),
      FDrawColors(std::make_unique<FXCompleteColorSet>()) {
  SetBounds(Left(), Top(), 150, 35);
  ui::TFont font = Font();
  if (ThemeManager().FormFontHeight() > 0) font.SetHeight(ThemeManager().FormFontHeight());
  SetFont(font);
  SetTabStop(true);
  SetCursor(ui::TCursor::IBeam);
  // The underline shows the focus; the base class's focus line would double it.
  FAutoFocusLine = false;
  FBufferedComponent = true;
  PaddingFill().OnChange = [this](FXPadding&) {
    UpdateRects();
    Invalidate();
  };
  BuildDefaultMenu();
  UpdateRects();
  UpdateColors();
}

void FXCustomEdit::BuildDefaultMenu() {
  FDefaultMenu = new FXPopupMenu(this);
  struct TEntry {
    const char* Text;
    const char* Shortcut;
    const char* Glyph;
  };
  static constexpr TEntry entries[] = {{"Cut", "Ctrl+X", "\xEE\xA3\x86"},           // U+E8C6
                                       {"Copy", "Ctrl+C", "\xEE\xA3\x88"},          // U+E8C8
                                       {"Paste", "Ctrl+V", "\xEE\x9D\xBF"},         // U+E77F
                                       {"Undo", "Ctrl+Z", "\xEE\x9E\xA7"},          // U+E7A7
                                       {"Select All", "Ctrl+A", "\xEE\xA2\xB3"}};  // U+E8B3
  for (const TEntry& e : entries) {
    auto* item = new FXPopupItem(FDefaultMenu);
    item->SetText(e.Text);
    item->SetShortcut(e.Shortcut);
    item->Image().SetIconType(FXIconType::SegoeIcon);
    item->Image().SetSelectSegoe(e.Glyph);
    item->Image().SetEnabled(true);
    FDefaultMenu->Items().Add(item);
  }
  FDefaultMenu->OnBeforePopup = [this](ui::TComponent*, bool&, TPoint&) {
    FXPopupItems& items = FDefaultMenu->Items();
    const bool plainSelection = HasSelection() && FPassChar == 0;
    items[0]->SetVisible(plainSelection);
    items[1]->SetVisible(plainSelection);
    items[2]->SetVisible(!platform::CurrentWindowBackend().ClipboardText().empty());
    items[3]->SetVisible(FCanUndo && !FHistory.empty());
    items[4]->SetVisible(true);
  };
  FDefaultMenu->OnItemClick = [this](ui::TComponent*, FXPopupComponent*, int Index) {
    switch (Index) {
      case 0: CutToClipBoard(); break;
      case 1: CopyToClipBoard(); break;
      case 2: PasteFromClipBoard(); break;
      case 3: Undo(); break;
      case 4: SelectAll(); break;
      default: break;
    }
  };
}

FXCustomEdit::~FXCustomEdit() = default;

// ---- text and properties ----

int FXCustomEdit::TextLength() const { return CharCount(FText); }

std::string FXCustomEdit::GetDisplayText() const {
  if (FPassChar == 0) return FText;
  std::string one;
  platform::AppendUtf8(one, FPassChar);
  std::string out;
  for (int i = TextLength(); i > 0; --i) out += one;
  return out;
}

void FXCustomEdit::SetText(const std::string& Value) {
  FText = Value;
  FHistory.clear();
  ApplyCharCase();
  ClampCaret();
  if (OnChangeValue) OnChangeValue(this);
  UpdateRects();
  Invalidate();
}

void FXCustomEdit::ClampCaret() {
  const int length = TextLength();
  if (FPosition > length) FPosition = length;
  if (FPosition + FSelLength > length) FSelLength = length - FPosition;
}

void FXCustomEdit::ApplyCharCase() {
  // Only ASCII letters change; the bytes of other characters are left whole.
  if (FCharCase == FXCharCase::Both) return;
  const bool upper = FCharCase == FXCharCase::Uppercase;
  for (char& c : FText) {
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

void FXCustomEdit::ChangeText(const std::string& S) {
  if (FCanUndo) {
    FHistory.push_back(FText);
    if (FHistory.size() > MaxHistory) FHistory.pop_front();
  }
  FText = S;
  ApplyCharCase();
  if (OnChange) OnChange(this);
  if (OnChangeValue) OnChangeValue(this);
  ScrollToCaret(FDrawPosition);
  UpdateRects();
  Invalidate();
}

void FXCustomEdit::SetPasswordChar(char32_t Value) {
  if (Value == FPassChar) return;
  FPassChar = Value;
  UpdateRects();
  Invalidate();
}

std::int64_t FXCustomEdit::Value() const {
  std::int64_t v = 0;
  return ToInt64(FText, v) ? v : 0;
}

void FXCustomEdit::SetValue(std::int64_t Value) {
  SetText(std::to_string(Value));
}

void FXCustomEdit::SetLayout(FXLayout Value) {
  if (Value == FLayout) return;
  FLayout = Value;
  UpdateRects();
  Invalidate();
}

void FXCustomEdit::SetLayoutHorizontal(FXLayout Value) {
  if (Value == FLayoutHoriz) return;
  FLayoutHoriz = Value;
  UpdateRects();
  Invalidate();
}

void FXCustomEdit::SetTextHint(const std::string& Value) {
  if (Value == FTextHint) return;
  FTextHint = Value;
  Invalidate();
}

void FXCustomEdit::SetCanUndo(bool Value) {
  if (Value == FCanUndo) return;
  FCanUndo = Value;
  if (!Value) FHistory.clear();
}

void FXCustomEdit::SetCharCase(FXCharCase Value) {
  if (Value == FCharCase) return;
  FCharCase = Value;
  ApplyCharCase();
  Invalidate();
}

void FXCustomEdit::EnsureNumber() {
  std::int64_t v = 0;
  if (!ToInt64(FText, v)) {
    FText.assign(1, '0');  // not = "0": GCC 12 warns falsely (-Wrestrict) about that at -O3
    ClampCaret();
  }
}

void FXCustomEdit::SetNumbersOnly(bool Value) {
  if (Value == FNumbersOnly) return;
  FNumbersOnly = Value;
  EnsureNumber();
  UpdateRects();
  Invalidate();
}

void FXCustomEdit::SetEnableSelection(bool Value) {
  if (Value == FEnableSelection) return;
  FEnableSelection = Value;
  if (HasSelection()) SetSelectionLength(0);
}

void FXCustomEdit::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  UpdateAutoHeight();
  UpdateRects();
  Invalidate();
}

void FXCustomEdit::SetLineSize(int Value) {
  if (Value == FLineSize) return;
  FLineSize = Value;
  UpdateRects();
  Invalidate();
}

void FXCustomEdit::SetRoundness(int Value) {
  if (Value == FRoundness) return;
  FRoundness = Value;
  Invalidate();
}

void FXCustomEdit::SetTextMarginX(int Value) {
  if (Value == FTextMarginX) return;
  FTextMarginX = Value;
  UpdateRects();
  Invalidate();
}

void FXCustomEdit::SetTextMarginY(int Value) {
  if (Value == FTextMarginY) return;
  FTextMarginY = Value;
  UpdateRects();
  Invalidate();
}

void FXCustomEdit::SetDetail(FXDetailType Value) {
  if (Value == FDetail) return;
  FDetail = Value;
  Invalidate();
}

// ---- caret and selection ----

void FXCustomEdit::SetPosition(int Value) {
  if (Value == FPosition || Value < 0 || Value > TextLength()) return;
  FPosition = Value;
  FSelLength = 0;
  UpdateRects();
  Invalidate();
}

void FXCustomEdit::SetSelectionLength(int Value) {
  if (Value == FSelLength) return;
  FSelLength = std::max(0, std::min(Value, TextLength() - FPosition));
  UpdateRects();
  Invalidate();
}

int FXCustomEdit::SelectionStart() const { return FSelGoesLeft ? FPosition + FSelLength : FPosition; }
int FXCustomEdit::SelectionEnd() const { return FSelGoesLeft ? FPosition : FPosition + FSelLength; }

std::string FXCustomEdit::Selection() const { return CharSub(GetDisplayText(), FPosition, FSelLength); }

void FXCustomEdit::SelectRange(int A, int B) {
  if (!FEnableSelection) return;
  FSelGoesLeft = A < B;
  FPosition = std::clamp(std::min(A, B), 0, TextLength());
  FSelLength = 0;
  SetSelectionLength(std::abs(A - B));
  UpdateRects();
  Invalidate();
}

void FXCustomEdit::MoveCaret(int D) {
  const int to = FPosition + D;
  if (to < 0 || to > TextLength()) return;
  FPosition = to;
  UpdateRects();
  Invalidate();
}

void FXCustomEdit::DeleteCharAt(int I) {
  std::string s = FText;
  if (I >= 0 && I < TextLength()) s = CharSub(FText, 0, I) + CharSub(FText, I + 1);
  ChangeText(s);
}

void FXCustomEdit::DeleteSelection() {
  if (FSelLength <= 0) return;
  const std::string s = CharSub(FText, 0, FPosition) + CharSub(FText, FPosition + FSelLength);
  FSelLength = 0;
  ChangeText(s);
  Invalidate();
}

void FXCustomEdit::SelectAll() {
  FPosition = 0;
  SetSelectionLength(TextLength());
}

void FXCustomEdit::Undo() {
  if (!FCanUndo || FHistory.empty()) return;
  FText = FHistory.back();
  FHistory.pop_back();
  // The caret stays where it was unless the older text is shorter.
  ClampCaret();
  UpdateRects();
  Invalidate();
}

int FXCustomEdit::FindWordBoundary(int Index, bool Backwards) const {
  const int length = TextLength();
  if (FPassChar != 0) return Backwards ? 0 : length;
  Index = std::clamp(Index, 0, length);
  if (Backwards) {
    if (Index < 1) return Index;
    for (int j = Index - 1; j > 0; --j)
      if (!IsWordChar(FText, j - 1)) return j;
    return 0;
  }
  for (int j = Index; j < length; ++j)
    if (!IsWordChar(FText, j)) return j;
  return length;
}

// ---- clipboard ----

void FXCustomEdit::CopyToClipBoard() {
  if (FPassChar != 0) return;
  platform::CurrentWindowBackend().SetClipboardText(Selection());
}

void FXCustomEdit::CutToClipBoard() {
  if (FPassChar != 0) return;
  CopyToClipBoard();
  DeleteSelection();
}

void FXCustomEdit::PasteFromClipBoard() {
  std::string c = StripControls(platform::CurrentWindowBackend().ClipboardText());
  if (FNumbersOnly) {
    std::int64_t v = 0;
    if (!ToInt64(c, v)) return;
  }
  int count = CharCount(c);
  if (FMaxLength > 0) {
    const int room = std::max(0, FMaxLength - (TextLength() - FSelLength));
    if (count > room) {
      c = CharSub(c, 0, room);
      count = room;
    }
  }
  const std::string s = CharSub(FText, 0, FPosition) + c + CharSub(FText, FPosition + FSelLength);
  FSelLength = 0;
  FPosition += count;
  ChangeText(s);
}

// ---- keyboard ----

void FXCustomEdit::KeyPress(const std::string& Character) {
  FXWindowsControl::KeyPress(Character);
  if (Character.empty()) return;
  const unsigned char first = static_cast<unsigned char>(Character[0]);
  if (Character.size() == 1 && (first < 0x20 || first == 0x7F)) return;
  if (LastShiftState & (platform::CtrlKey | platform::AltKey)) return;
  if (FNumbersOnly && (Character.size() != 1 || first < '0' || first > '9')) return;
  if (FMaxLength > 0 && TextLength() - FSelLength + CharCount(Character) > FMaxLength) return;
  DeleteSelection();
  const std::string s = CharSub(FText, 0, FPosition) + Character + CharSub(FText, FPosition);
  ChangeText(s);
  SetPosition(FPosition + CharCount(Character));
}

void FXCustomEdit::KeyDown(int& Key, ui::TShiftState Shift) {
  FXWindowsControl::KeyDown(Key, Shift);
  LastShiftState = Shift;
  const bool ctrl = Shift & platform::CtrlKey, shift = Shift & platform::ShiftKey;
  int key = Key;
  if (FHandleUpDown && key == platform::keys::Up) key = platform::keys::Left;
  if (FHandleUpDown && key == platform::keys::Down) key = platform::keys::Right;
  switch (key) {
    case platform::keys::Left:
      if (!HasSelection()) FSelGoesLeft = true;
      if (ctrl) {
        const int i = FindWordBoundary(SelectionEnd(), true);
        if (shift) SelectRange(i, SelectionStart());
        else SetPosition(i);
      } else if (shift && FEnableSelection) {
        if (FSelGoesLeft) {
          // At the start there is nothing left to take in.
          if (FPosition > 0) {
            MoveCaret(-1);
            SetSelectionLength(FSelLength + 1);
          }
        } else {
          SetSelectionLength(FSelLength - 1);
        }
      } else if (HasSelection()) {
        SetSelectionLength(0);
      } else {
        SetPosition(FPosition - 1);
      }
      Key = 0;
      break;
    case platform::keys::Right:
      if (!HasSelection()) FSelGoesLeft = false;
      if (ctrl) {
        const int i = FindWordBoundary(SelectionEnd() + 1, false);
        if (shift) SelectRange(i, SelectionStart());
        else SetPosition(i);
      } else if (shift && FEnableSelection) {
        if (FSelGoesLeft) {
          MoveCaret(1);
          SetSelectionLength(FSelLength - 1);
        } else {
          SetSelectionLength(FSelLength + 1);
        }
      } else if (HasSelection()) {
        const int end = FPosition + FSelLength;
        FSelLength = 0;
        SetPosition(end);
        UpdateRects();
        Invalidate();
      } else {
        SetPosition(FPosition + 1);
      }
      Key = 0;
      break;
    case platform::keys::Back:
      if (HasSelection()) {
        DeleteSelection();
      } else if (FPosition >= 1) {
        if (ctrl) {
          SelectRange(FPosition, FindWordBoundary(SelectionEnd(), true));
          DeleteSelection();
        } else {
          DeleteCharAt(FPosition - 1);
          MoveCaret(-1);
          Invalidate();
        }
        Key = 0;
      }
      break;
    case platform::keys::Delete:
      if (HasSelection()) {
        DeleteSelection();
      } else {
        DeleteCharAt(FPosition);
        Invalidate();
        Key = 0;
      }
      break;
    default:
      if (!ctrl) break;
      if (key == kVkA) SelectAll();
      else if (key == kVkC) CopyToClipBoard();
      else if (key == kVkV) PasteFromClipBoard();
      else if (key == kVkX) CutToClipBoard();
      else if (key == kVkZ) Undo();
      break;
  }
}

// A released modifier no longer blocks typing, even when no other key-down follows before the character.
void FXCustomEdit::KeyUp(int& Key, ui::TShiftState Shift) {
  FXWindowsControl::KeyUp(Key, Shift);
  if (Key == platform::keys::Control) LastShiftState &= ~static_cast<unsigned>(platform::CtrlKey);
  if (Key == platform::keys::Menu) LastShiftState &= ~static_cast<unsigned>(platform::AltKey);
}

// ---- mouse and focus ----

void FXCustomEdit::MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  if (Button == ui::TMouseButton::Left) {
    FSelLength = 0;
    FDownStart = -1;
    if (X >= TxtRect.Left) {
      const int i = CharIndexAt(X - TxtRect.Left + FCutPosition);
      FDownStart = i;
      FPosition = i;
    }
    UpdateRects();
    Invalidate();
  }
  FXWindowsControl::MouseDown(Button, Shift, X, Y);
}

void FXCustomEdit::MouseMove(ui::TShiftState Shift, int X, int Y) {
  FXWindowsControl::MouseMove(Shift, X, Y);
  if (InteractionState() != FXControlState::Press || FDownStart == -1 || !FEnableSelection) return;
  const int d = std::max(0, X - TxtRect.Left + FCutPosition);
  const int e = CharIndexAt(d);
  FSelLength = std::abs(FDownStart - e);
  FPosition = std::min(e, FDownStart);
  FSelGoesLeft = e < FDownStart;
  ScrollToCaret(TextWidth(CharSub(GetDisplayText(), 0, e)) - FCutPosition);
  Invalidate();
}

void FXCustomEdit::DblClick() {
  SelectRange(FindWordBoundary(FPosition, true), FindWordBoundary(FPosition, false));
}

void FXCustomEdit::OpenPopupMenu(int X, int Y) {
  if (PopupMenu()) FXWindowsControl::OpenPopupMenu(X, Y);
  else FDefaultMenu->PopupAtCursor();
}

void FXCustomEdit::DoEnter() {
  FXWindowsControl::DoEnter();
  UpdateLineColor();
}

void FXCustomEdit::DoExit() {
  FXWindowsControl::DoExit();
  if (FNumbersOnly && FText.empty()) SetText("0");
  if (FClearSelOnExit && HasSelection()) SetSelectionLength(0);
  UpdateLineColor();
}

void FXCustomEdit::InteractionStateChanged(FXControlState) { Invalidate(); }

// ---- layout ----

bool FXCustomEdit::Measurable() const { return Parent() != nullptr; }

int FXCustomEdit::TextWidth(const std::string& S) {
  if (!Measurable() || S.empty()) return 0;
  ui::TBitmap scratch(1, 1);
  ui::TCanvas canvas(scratch);
  canvas.Font = Font();
  return canvas.TextWidth(S);
}

int FXCustomEdit::TextHeight(const std::string& S) {
  if (!Measurable()) return 0;
  ui::TBitmap scratch(1, 1);
  ui::TCanvas canvas(scratch);
  canvas.Font = Font();
  return canvas.TextHeight(S.empty() ? std::string(" ") : S);
}

bool FXCustomEdit::ExtendsBounds() { return TextWidth(GetDisplayText()) > TxtRect.Width(); }

int FXCustomEdit::CharIndexAt(int X) {
  const std::string s = GetDisplayText();
  const int length = CharCount(s);
  if (X >= TextWidth(s)) return length;
  for (int i = 1; i <= length; ++i)
    if (X <= TextWidth(CharSub(s, 0, i)) - TextWidth(CharSub(s, i - 1, 1)) / 2) return i - 1;
  return length;
}

void FXCustomEdit::UpdateDrawPosition() {
  FDrawPosition = TextWidth(CharSub(GetDisplayText(), 0, FPosition)) - FCutPosition;
}

void FXCustomEdit::ScrollToCaret(int X) {
  const int w = TxtRect.Width(), l = FLineSize;
  if (X < 0) FCutPosition += X - 2 * l;
  if (X > w) FCutPosition += X + 2 * l - w;
  const int t = TextWidth(GetDisplayText());
  if (t <= w) {
    if (FLayoutHoriz == FXLayout::Center) FCutPosition = (t - w) / 2;
    else if (FLayoutHoriz == FXLayout::Ending) FCutPosition = t - w;
  }
  UpdateDrawPosition();
}

void FXCustomEdit::UpdateRects() {
  DrawRect = ClientRect();
  FLineRect = DrawRect;
  FLineRect.Top = Height() - FLineSize;
  TxtRect = DrawRect;
  TxtRect.Left += FTextMarginX;
  TxtRect.Right -= FTextMarginX;
  TxtRect.Top += FTextMarginY;
  TxtRect.Bottom -= FTextMarginY + FLineSize;
  if (FDetail == FXDetailType::Underline) TxtRect.Bottom -= FLineSize;
  if (FDetail == FXDetailType::Outline) {
    TxtRect.Left += FLineSize;
    TxtRect.Top += FLineSize;
    TxtRect.Right -= FLineSize;
    TxtRect.Bottom -= FLineSize;
  }
  UpdateDrawPosition();
  if (!HasSelection()) ScrollToCaret(FDrawPosition);
}

void FXCustomEdit::UpdateAutoHeight() {
  if (!FAutoSize) return;
  const int h = TextHeight(FText);
  if (h <= 0) return;
  const int height = h + FLineSize + 2 * FTextMarginY;
  if (height != Height()) SetBounds(Left(), Top(), Width(), height);
}

// ---- colours and painting ----

void FXCustomEdit::UpdateColors() {
  const bool dark = ThemeManager().DarkTheme();
  const FXCompleteColorSet& system = *ThemeManager().SystemColor;
  FDrawColors->Assign(system);
  if (FCustomColors->Enabled()) {
    FDrawColors->LoadFrom(*FCustomColors, dark);
  } else {
    FDrawColors->SetAccent(ThemeManager().AccentColor());
    FDrawColors->SetForeGround(system.ForeGround());
    FDrawColors->SetBackGround(GetParentBackgroundColor(system.BackGround()));
    FDrawColors->SetBackGroundInterior(ChangeColorLight(system.BackGroundInterior(), dark ? 40 : -40));
  }
  if (FCustomEditColors->Enabled()) {
    FEditColors->LoadColors(*FCustomEditColors, dark);
  } else {
    const TColor none = ChangeColorLight(system.BackGroundInterior(), 10);
    FEditColors->LoadColors(none, ChangeColorLight(none, 10), system.BackGround());
  }
  ui::TFont font = Font();
  font.SetColor(MakeARGB(FDrawColors->ForeGround(), 255));
  SetFont(font);
  UpdateLineColor();
}

void FXCustomEdit::UpdateLineColor() {
  FLineColor = Focused() ? FDrawColors->Accent() : FDrawColors->BackGroundInterior();
  Invalidate();
}

void FXCustomEdit::UpdateTheme(bool) {
  UpdateColors();
  UpdateRects();
  Invalidate();
}

void FXCustomEdit::PaintBuffer() {
  SetColor(FDrawColors->BackGround());
  PaintBackground();
  ui::TCanvas canvas(Buffer());
  const TColor fill = Focused() ? FEditColors->Press() : FEditColors->GetColor(InteractionState());
  const FXBrush brush{MakeARGB(fill, 255)};
  GDIRoundRect(canvas, FXRoundRect(DrawRect, FRoundness), &brush, nullptr);

  const bool outline = FDetail == FXDetailType::Outline;
  const FXPen pen{MakeARGB(ChangeColorLight(outline ? FLineColor : FDrawColors->BackGround(), 15), 255),
                  outline ? static_cast<double>(FLineSize) : 1.0};
  const int pw = static_cast<int>(pen.Width);
  TRect edge = DrawRect;
  edge.Left += pw;
  edge.Top += pw;
  edge.Right -= pw;
  edge.Bottom -= pw;
  GDIRoundRect(canvas, FXRoundRect(edge, std::max(1, FRoundness - pw)), nullptr, &pen);

  if (FDetail == FXDetailType::Underline) {
    const FXBrush line{MakeARGB(FLineColor, 255)};
    GDIRoundRect(canvas, FXRoundRect(FLineRect, FLineSize), &line, nullptr);
  }

  std::string s = GetDisplayText();
  canvas.Font = Font();
  if (s.empty() && !FTextHint.empty()) {
    s = FTextHint;
    canvas.Font.SetColor(MakeARGB(ColorBlend(FDrawColors->ForeGround(), fill, 100), 255));
  }
  const int th = canvas.TextHeight(s.empty() ? std::string(" ") : s);
  int y = 0;
  if (FLayout == FXLayout::Center) y = (TxtRect.Height() - th) / 2;
  else if (FLayout == FXLayout::Ending) y = TxtRect.Height() - th;
  y += TxtRect.Top;
  const int x = TxtRect.Left - FCutPosition;

  if (HasSelection()) {
    const int top = TxtRect.Top + (TxtRect.Height() - th) / 2;
    const int left = TxtRect.Left + FDrawPosition;
    const FXBrush band{MakeARGB(FDrawColors->Accent(), 255)};
    GDIRectangle(canvas, TRect{left, top, left + TextWidth(Selection()), top + th}, &band, nullptr);
  }
  {
    ui::TCanvasState saved(canvas);
    canvas.ClipRect(TxtRect);
    canvas.TextOut(x, y, s);
  }
  if (Focused()) {
    const int left = TxtRect.Left + FDrawPosition - FIndicatorWidth / 2;
    const int top = (Height() - th) / 2;
    const TRect caret{left, top, left + FIndicatorWidth, top + th};
    ui::TBitmap white(FIndicatorWidth, std::max(th, 1));
    {
      ui::TCanvas wc(white);
      wc.BrushColor = 0xFFFFFFFF;
      wc.FillRect(TRect{0, 0, FIndicatorWidth, std::max(th, 1)});
    }
    DrawInvert(white, canvas, caret);
  }
  FXWindowsControl::PaintBuffer();
}

void FXCustomEdit::FontUpdate() {
  FXWindowsControl::FontUpdate();
  UpdateAutoHeight();
  Invalidate();
}

void FXCustomEdit::ComponentCreated() {
  FXWindowsControl::ComponentCreated();
  UpdateAutoHeight();
  UpdateRects();
  Invalidate();
}

void FXCustomEdit::ScaleChanged(float Scaling) {
  FXWindowsControl::ScaleChanged(Scaling);
  UpdateRects();
}

void FXCustomEdit::BoundsChanged(int OldWidth, int OldHeight) {
  FXWindowsControl::BoundsChanged(OldWidth, OldHeight);
  UpdateRects();
  Invalidate();
}

}  // namespace lux
