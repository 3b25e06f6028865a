// The text view's wrapping, layout, painting, theme colours and scrolling by wheel, keys and its bar.
#include "lux/text_view.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "lux/graphics.h"
#include "lux/shapes.h"
#include "lux/theme_manager.h"
#include "platform/canvas.h"
#include "platform/text.h"
#include "platform/window.h"
#include "ui/bitmap.h"
#include "ui/canvas.h"

namespace lux {

namespace {

// A character the view paints as an icon-font glyph, set only while the text fonts lack it.
struct TSubstitute {
  const std::string& Character;
  const std::string& Glyph;
  bool Active;
};

// Measures Text in the canvas's font, and draws it at (X, Y) when Draw is set, with every substituted
// character painted as the icon font's glyph at the same size and colour, centred on the line.
std::int32_t RunText(ui::TCanvas& Canvas, const TSubstitute& Substitute, const std::string& Text, int X, int Y,
                     bool Draw) {
  if (!Substitute.Active || Text.find(Substitute.Character) == std::string::npos) {
    if (Draw) Canvas.TextOut(X, Y, Text);
    return Canvas.TextWidth(Text);
  }
  const ui::TFont textFont = Canvas.Font;
  ui::TFont iconFont = textFont;
  iconFont.SetName(ThemeManager().IconFont());
  ui::TFontStyles plain = iconFont.Style();
  plain.Bold = false;
  iconFont.SetStyle(plain);
  const std::int32_t lineHeight = Canvas.TextHeight("|");

  std::int32_t x = X;
  std::size_t at = 0;
  while (at < Text.size()) {
    std::size_t next = Text.find(Substitute.Character, at);
    if (next == std::string::npos) next = Text.size();
    if (next > at) {
      const std::string part = Text.substr(at, next - at);
      if (Draw) Canvas.TextOut(x, Y, part);
      x += Canvas.TextWidth(part);
    }
    if (next == Text.size()) break;
    Canvas.Font = iconFont;
    const ui::TSize glyph = Canvas.TextExtent(Substitute.Glyph);
    if (Draw) Canvas.TextOut(x, Y + (lineHeight - glyph.cy) / 2, Substitute.Glyph);
    x += glyph.cx;
    Canvas.Font = textFont;
    at = next + Substitute.Character.size();
  }
  return x - X;
}

// Text metrics for the layout, measured on a scratch canvas of the view's font.
class TTextMetrics {
 public:
  explicit TTextMetrics(const ui::TFont& Font) : FFont(Font), FScratch(1, 1), FCanvas(FScratch) { FCanvas.Font = Font; }

  void SetBold(bool Bold) {
    ui::TFontStyles style = FFont.Style();
    style.Bold = Bold || style.Bold;
    FCanvas.Font.SetStyle(style);
  }

  void SetSubstitute(const TSubstitute* Substitute) { FSubstitute = Substitute; }

  // Whether no font the text could be drawn with has the character.
  bool Lacks(const std::string& Character) { return !Character.empty() && !FCanvas.HasGlyphs(Character); }

  std::int32_t Width(const std::string& Text) {
    return FSubstitute ? RunText(FCanvas, *FSubstitute, Text, 0, 0, false) : FCanvas.TextWidth(Text);
  }

  // An empty row keeps the height of a row with text in it.
  std::int32_t Height(const std::string& Text) { return std::max(LineHeight(FCanvas, Text), 1); }

 private:
  ui::TFont FFont;
  const TSubstitute* FSubstitute = nullptr;
  ui::TBitmap FScratch;
  ui::TCanvas FCanvas;
};

std::string TrimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// The byte length of the longest prefix of Word, at least one character, that fits MaxWidth.
std::size_t FittingPrefix(TTextMetrics& Metrics, const std::string& Word, std::int32_t MaxWidth) {
  std::vector<std::size_t> ends;
  for (std::size_t i = 1; i <= Word.size(); ++i)
    if (i == Word.size() || !platform::IsUtf8Continuation(Word[i])) ends.push_back(i);
  std::size_t lo = 0, hi = ends.size() - 1;  // ends[lo] always acceptable: one character is the least
  while (lo < hi) {
    const std::size_t mid = (lo + hi + 1) / 2;
    if (Metrics.Width(Word.substr(0, ends[mid])) <= MaxWidth) lo = mid;
    else hi = mid - 1;
  }
  return ends[lo];
}

// Breaks one line into rows at spaces; a word wider than a whole row is cut between characters, so a
// long path or link never runs out of sight. Leading spaces indent the first row only.
std::vector<std::string> WrapLine(TTextMetrics& Metrics, const std::string& Text, std::int32_t MaxWidth) {
  std::vector<std::string> rows;
  std::string line;
  bool hasWord = false;
  std::size_t i = 0;
  while (i < Text.size()) {
    std::size_t wordEnd = Text.find(' ', i);
    if (wordEnd == std::string::npos) wordEnd = Text.size();
    std::size_t spaceEnd = Text.find_first_not_of(' ', wordEnd);
    if (spaceEnd == std::string::npos) spaceEnd = Text.size();
    std::string word = Text.substr(i, wordEnd - i);
    const std::string spaces = Text.substr(wordEnd, spaceEnd - wordEnd);
    i = spaceEnd;

    if (!word.empty() && Metrics.Width(line + word) > MaxWidth) {
      if (hasWord) rows.push_back(TrimRight(line));
      line.clear();
      hasWord = false;
      while (!word.empty() && Metrics.Width(word) > MaxWidth) {
        const std::size_t cut = FittingPrefix(Metrics, word, MaxWidth);
        rows.push_back(word.substr(0, cut));
        word.erase(0, cut);
      }
    }
    if (!word.empty()) hasWord = true;
    line += word;
    line += spaces;
  }
  if (hasWord || rows.empty()) rows.push_back(hasWord ? TrimRight(line) : std::string());
  return rows;
}

}  // namespace

FXTextView::FXTextView(ui::TComponent* AOwner)
    : FXWindowsControl(AOwner),
      FCustomColors(std::make_unique<FXColorSets>(this)),
      FDrawColors(std::make_unique<FXCompleteColorSet>()) {
  FAutoFocusLine = true;
  SetTabStop(true);
  UpdateColors();
  SetBounds(Left(), Top(), 300, 200);
  UpdateRects();
}

FXTextView::~FXTextView() = default;

void FXTextView::SetLines(std::vector<FXTextLine> Value) {
  if (Value == FLines) return;
  FLines = std::move(Value);
  Relayout();
}

void FXTextView::SetText(const std::string& Value) {
  std::vector<FXTextLine> lines;
  if (!Value.empty()) {
    std::size_t start = 0;
    while (true) {
      const std::size_t brk = Value.find_first_of("\r\n", start);
      if (brk == std::string::npos) {
        lines.push_back({Value.substr(start), false});
        break;
      }
      lines.push_back({Value.substr(start, brk - start), false});
      start = brk + (Value.compare(brk, 2, "\r\n") == 0 ? 2 : 1);
    }
  }
  SetLines(std::move(lines));
}

std::string FXTextView::Text() const {
  std::string text;
  for (std::size_t i = 0; i < FLines.size(); ++i) {
    if (i > 0) text += '\n';
    text += FLines[i].Text;
  }
  return text;
}

void FXTextView::SetGlyphSubstitute(const std::string& Character, const std::string& Glyph) {
  if (Character == FSubstituteCharacter && Glyph == FSubstituteGlyph) return;
  FSubstituteCharacter = Character;
  FSubstituteGlyph = Glyph;
  Relayout();
}

void FXTextView::AddLine(const std::string& Value, bool Bold) {
  FLines.push_back({Value, Bold});
  Relayout();
}

void FXTextView::SetLineBold(std::size_t Index, bool Bold) {
  if (Index >= FLines.size() || FLines[Index].Bold == Bold) return;
  FLines[Index].Bold = Bold;
  Relayout();
}

void FXTextView::Clear() { SetLines({}); }

std::int32_t FXTextView::ScrollMax() const {
  return FBarVisible ? std::max(FContentHeight - FTextRect.Height(), 0) : 0;
}

void FXTextView::SetScrollPosition(std::int32_t Value) { ScrollTo(Value); }

void FXTextView::SetWheelLines(std::int32_t Value) {
  if (Value <= 0) return;
  FWheelLines = Value;
}

void FXTextView::ScrollTo(std::int32_t Value) {
  Value = std::clamp(Value, 0, ScrollMax());
  if (Value == FScrollPos) return;
  FScrollPos = Value;
  Invalidate();
  if (OnScroll) OnScroll(*this);
}

std::int32_t FXTextView::PageStep() const { return std::max(FTextRect.Height() - FLineStep, FLineStep); }

TRect FXTextView::ThumbRect() const {
  if (!FBarVisible) return {};
  const TRect track{FBarRect.Left + BarSpacing, FBarRect.Top + BarSpacing, FBarRect.Right - BarSpacing,
                    FBarRect.Bottom - BarSpacing};
  const std::int32_t trackLength = track.Height();
  if (trackLength <= 0 || FContentHeight <= 0) return {};
  const auto shown = static_cast<std::int32_t>(static_cast<std::int64_t>(trackLength) * FTextRect.Height() / FContentHeight);
  const std::int32_t length = std::min(std::max(shown, MinThumbLength), trackLength);
  const std::int32_t range = ScrollMax();
  const std::int32_t offset =
      range > 0 ? static_cast<std::int32_t>(std::lround(static_cast<double>(FScrollPos) / range * (trackLength - length)))
                : 0;
  return {track.Left, track.Top + offset, track.Right, track.Top + offset + length};
}

void FXTextView::UpdateTheme(bool) {
  UpdateColors();
  UpdateRects();
  Invalidate();
}

void FXTextView::UpdateColors() {
  FXThemeManager& theme = ThemeManager();
  theme.LoadColorSet(*FDrawColors);
  if (FCustomColors->Enabled()) {
    FDrawColors->SetForeGround(GetThemeColor(*FCustomColors, 0));
    FDrawColors->SetBackGround(GetThemeColor(*FCustomColors, 2));
  } else {
    FDrawColors->SetBackGround(GetParentBackgroundColor(FDrawColors->BackGround()));
  }
  // The slider stands out from the interior the way the framework's scroll bar's does.
  FThumbColor = ChangeColorLight(FDrawColors->BackGroundInterior(), theme.DarkTheme() ? 75 : -75);
}

void FXTextView::UpdateRects() {
  const TRect area = ClientRect();
  FBarRect = TRect{area.Right - FBarSize, area.Top, area.Right, area.Bottom};
  TTextMetrics metrics(Font());
  metrics.SetBold(false);
  FLineStep = metrics.Height("|");
  FSubstituteActive = !FSubstituteGlyph.empty() && metrics.Lacks(FSubstituteCharacter);
  const TSubstitute substitute{FSubstituteCharacter, FSubstituteGlyph, FSubstituteActive};
  metrics.SetSubstitute(&substitute);

  auto layout = [&](std::int32_t width) {
    width = std::max(width, 1);
    FRows.clear();
    std::int32_t top = 0;
    for (std::size_t i = 0; i < FLines.size(); ++i) {
      metrics.SetBold(FLines[i].Bold);
      for (std::string& text : WrapLine(metrics, FLines[i].Text, width)) {
        const std::int32_t height = metrics.Height(text);
        FRows.push_back({std::move(text), FLines[i].Bold, top, height, i});
        top += height;
      }
    }
    FContentHeight = top;
  };

  layout(area.Width());
  // The bar takes its room from the text only when it is needed; the narrower text can only be taller.
  FBarVisible = area.Height() > 0 && area.Width() > FBarSize && FContentHeight > area.Height();
  FTextRect = area;
  if (FBarVisible) {
    FTextRect.Right -= FBarSize;
    layout(FTextRect.Width());
  }
  FScrollPos = std::clamp(FScrollPos, 0, ScrollMax());
  if (!FBarVisible) {
    FDragging = false;
    FBarHover = false;
  }
}

void FXTextView::Relayout() {
  const std::int32_t before = FScrollPos;
  UpdateRects();
  Invalidate();
  if (FScrollPos != before && OnScroll) OnScroll(*this);
}

void FXTextView::ComponentCreated() {
  // The parent is known only now; its background is the one the text sits on.
  UpdateColors();
  Invalidate();
}

void FXTextView::FontUpdate() { Relayout(); }

void FXTextView::ScaleChanged(float Scaling) {
  FXWindowsControl::ScaleChanged(Scaling);
  FBarSize = std::max(RoundEven(FBarSize * Scaling), 2 * BarSpacing + 2);
  UpdateRects();
}

void FXTextView::BoundsChanged(int OldWidth, int OldHeight) {
  if (Width() != OldWidth || Height() != OldHeight) {
    const std::int32_t before = FScrollPos;
    UpdateRects();
    if (FScrollPos != before && OnScroll) OnScroll(*this);
  }
  FXWindowsControl::BoundsChanged(OldWidth, OldHeight);
}

void FXTextView::PaintBuffer() {
  SetColor(FDrawColors->BackGround());
  PaintBackground();
  ui::TCanvas canvas(Buffer());
  if (!FTextRect.IsEmpty()) {
    ui::TCanvasState state(canvas);
    canvas.ClipRect(FTextRect);
    canvas.Font = Font();
    canvas.Font.SetColor(MakeARGB(FDrawColors->ForeGround(), 255));
    const ui::TFontStyles normal = Font().Style();
    const TSubstitute substitute{FSubstituteCharacter, FSubstituteGlyph, FSubstituteActive};
    for (const FXTextRow& row : FRows) {
      const std::int32_t y = FTextRect.Top + row.Top - FScrollPos;
      if (y + row.Height <= FTextRect.Top) continue;
      if (y >= FTextRect.Bottom) break;
      if (row.Text.empty()) continue;
      ui::TFontStyles style = normal;
      style.Bold = row.Bold || normal.Bold;
      canvas.Font.SetStyle(style);
      RunText(canvas, substitute, row.Text, FTextRect.Left, y, true);
    }
  }
  if (FBarVisible) {
    const std::int32_t roundness = FBarSize / 2;
    TRect thumb = ThumbRect();
    if (ScrollbarExpanded()) {
      const FXBrush track{MakeARGB(FDrawColors->BackGroundInterior(), 255)};
      GDIRoundRect(canvas, FXRoundRect(FBarRect, 2 * roundness), &track, nullptr);
    } else {
      // Away from the pointer the bar is only a thin line: the slider's outer half.
      thumb.Left = thumb.Right - thumb.Width() / 2;
    }
    const FXBrush slider{MakeARGB(FThumbColor, 255)};
    if (!thumb.IsEmpty()) GDIRoundRect(canvas, FXRoundRect(thumb, roundness), &slider, nullptr);
  }
  FXWindowsControl::PaintBuffer();
}

void FXTextView::SetBarHover(bool Value) {
  if (Value == FBarHover) return;
  FBarHover = Value;
  Invalidate();
}

void FXTextView::DragTo(std::int32_t Y) {
  const TRect thumb = ThumbRect();
  const std::int32_t trackTop = FBarRect.Top + BarSpacing;
  const std::int32_t free = (FBarRect.Height() - 2 * BarSpacing) - thumb.Height();
  if (free <= 0) return;
  const double share = static_cast<double>(Y - FDragOffset - trackTop) / free;
  ScrollTo(static_cast<std::int32_t>(std::lround(share * ScrollMax())));
}

void FXTextView::MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  FXWindowsControl::MouseDown(Button, Shift, X, Y);
  if (Button != ui::TMouseButton::Left || !FBarVisible || !FBarRect.Contains({X, Y})) return;
  const TRect thumb = ThumbRect();
  if (Y >= thumb.Top && Y < thumb.Bottom) {
    FDragging = true;
    FDragOffset = Y - thumb.Top;
    Invalidate();
  } else if (Y < thumb.Top) {
    ScrollTo(FScrollPos - PageStep());
  } else {
    ScrollTo(FScrollPos + PageStep());
  }
}

void FXTextView::MouseMove(ui::TShiftState Shift, int X, int Y) {
  FXWindowsControl::MouseMove(Shift, X, Y);
  if (FDragging) DragTo(Y);
  else SetBarHover(FBarVisible && FBarRect.Contains({X, Y}));
}

void FXTextView::MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  FXWindowsControl::MouseUp(Button, Shift, X, Y);
  if (Button != ui::TMouseButton::Left || !FDragging) return;
  FDragging = false;
  FBarHover = FBarVisible && FBarRect.Contains({X, Y});
  Invalidate();
}

void FXTextView::MouseLeave() {
  FXWindowsControl::MouseLeave();
  if (!FDragging) SetBarHover(false);
}

bool FXTextView::MouseWheel(ui::TShiftState Shift, int Delta, int X, int Y) {
  if (FXWindowsControl::MouseWheel(Shift, Delta, X, Y)) return true;
  // With nothing to scroll the turn goes on to the parent, which may scroll instead.
  if (ScrollMax() == 0) return false;
  const std::int64_t step = static_cast<std::int64_t>(Delta) * FWheelLines * FLineStep / 120;
  ScrollTo(static_cast<std::int32_t>(std::clamp<std::int64_t>(FScrollPos - step, 0, ScrollMax())));
  return true;
}

void FXTextView::KeyDown(int& Key, ui::TShiftState Shift) {
  FXWindowsControl::KeyDown(Key, Shift);
  namespace keys = platform::keys;
  switch (Key) {
    case keys::Up: ScrollTo(FScrollPos - FLineStep); break;
    case keys::Down: ScrollTo(FScrollPos + FLineStep); break;
    case keys::Prior: ScrollTo(FScrollPos - PageStep()); break;
    case keys::Next: ScrollTo(FScrollPos + PageStep()); break;
    case keys::Home: ScrollTo(0); break;
    case keys::End: ScrollTo(ScrollMax()); break;
    default: return;
  }
  Key = 0;
}

}  // namespace lux
