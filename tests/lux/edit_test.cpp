// Edit box on a headless form: typing, keys, selection, undo, clipboard, restrictions, mouse, colours.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "lux/colors.h"
#include "lux/edit.h"
#include "lux/popup_menu.h"
#include "lux/theme_manager.h"
#include "platform/headless_window.h"
#include "screen.h"
#include "ui/forms.h"

namespace {

using namespace lux;
namespace keys = platform::keys;
using B = platform::MouseButton;
constexpr unsigned kShift = platform::ShiftKey, kCtrl = platform::CtrlKey;

using testsupport::Screen;

class EditTest : public testing::Test {
 protected:
  void SetUp() override {
    ThemeManager().SetDarkThemeMode(FXDarkSetting::ForceLight);
    edit = new FXEdit(&form);
    edit->SetBounds(10, 10, 150, 35);
    edit->SetParent(&form);
    form.Show();
    form.SetActiveControl(edit);
    edit->OnChange = [this](ui::TComponent*) { ++changes; };
    edit->OnChangeValue = [this](ui::TComponent*) { ++valueChanges; };
  }
  void TearDown() override {
    ThemeManager().SetDarkThemeMode(FXDarkSetting::Auto);
    platform::CurrentWindowBackend().SetClipboardText("");
  }

  // The text from code, with the caret and selection placed afterwards; counters start again.
  void Start(const std::string& text, int pos, int sel = 0) {
    edit->SetText(text);
    edit->SetPosition(pos);
    edit->SetSelectionLength(sel);
    changes = valueChanges = 0;
  }
  void Key(int key, unsigned shift = 0) {
    Screen(form).TypeKey(key, shift);
    // The modifiers are let go too, as a user's hand would before typing on.
    if (shift & kCtrl) Screen(form).KeyUp(keys::Control);
  }
  void Type(const std::string& s) { Screen(form).Type(s); }
  ui::TPoint OnForm(int x, int y) const {
    const ui::TPoint o = edit->OriginOnForm();
    return {o.X + x, o.Y + y};
  }

  ui::TForm form{nullptr};
  FXEdit* edit = nullptr;
  int changes = 0, valueChanges = 0;
};

TEST_F(EditTest, StartsWithItsDefaults) {
  FXEdit fresh(nullptr);
  EXPECT_EQ(fresh.Text(), "Hello World!");
  EXPECT_EQ(fresh.Position(), 0);
  EXPECT_EQ(fresh.Width(), 150);
  EXPECT_TRUE(fresh.TabStop());
  EXPECT_EQ(fresh.Cursor(), ui::TCursor::IBeam);
  EXPECT_EQ(fresh.Detail(), FXDetailType::Underline);
  EXPECT_EQ(fresh.LineSize(), 2);
}

TEST_F(EditTest, TypingInsertsAtTheCaretAndReplacesTheSelection) {
  Start("ad", 1);
  Type("b");
  Type("c");
  EXPECT_EQ(edit->Text(), "abcd");
  EXPECT_EQ(edit->Position(), 3);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(valueChanges, 2);

  Start("hello", 1, 3);
  Type("X");
  EXPECT_EQ(edit->Text(), "hXo");
  EXPECT_EQ(edit->Position(), 2);
  EXPECT_FALSE(edit->HasSelection());

  // Control characters and characters typed with Ctrl held insert nothing.
  Start("ab", 2);
  for (const char* c : {"\r", "\b", "\x1b", "\t"}) Type(c);
  Screen(form).KeyDown('Q', kCtrl);
  Type("q");
  EXPECT_EQ(edit->Text(), "ab");
  EXPECT_EQ(changes, 0);
  Screen(form).KeyUp(keys::Control);
  Type("q");
  EXPECT_EQ(edit->Text(), "abq");
}

TEST_F(EditTest, PositionsCountWholeCharactersNotBytes) {
  Start("", 0);
  for (const char* c : {"a", "é", "日", "😀", "b"}) Type(c);
  EXPECT_EQ(edit->Text(), "aé日😀b");
  EXPECT_EQ(edit->TextLength(), 5);
  EXPECT_EQ(edit->Position(), 5);

  Key(keys::Left);
  Key(keys::Back);  // the four-byte emoji goes whole
  EXPECT_EQ(edit->Text(), "aé日b");
  EXPECT_EQ(edit->Position(), 3);
  Key(keys::Left, kShift);
  Key(keys::Left, kShift);
  EXPECT_EQ(edit->Selection(), "é日");
  Key(keys::Delete);
  EXPECT_EQ(edit->Text(), "ab");
  EXPECT_EQ(edit->Position(), 1);

  edit->SetPasswordChar(U'•');
  edit->SelectAll();
  EXPECT_EQ(edit->Selection(), "••");
}

struct KeyCase {
  const char* name;
  std::string text;
  int pos, sel;
  std::vector<std::pair<int, unsigned>> keys;
  std::string wantText;
  int wantPos, wantSel;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class EditKeys : public EditTest, public testing::WithParamInterface<KeyCase> {};

TEST_P(EditKeys, MoveSelectAndDelete) {
  const KeyCase& c = GetParam();
  Start(c.text, c.pos, c.sel);
  for (auto [key, shift] : c.keys) Key(key, shift);
  EXPECT_EQ(edit->Text(), c.wantText);
  EXPECT_EQ(edit->Position(), c.wantPos);
  EXPECT_EQ(edit->SelectionLength(), c.wantSel);
}

const int L = keys::Left, R = keys::Right;
INSTANTIATE_TEST_SUITE_P(
    Keys, EditKeys,
    testing::Values(
        KeyCase{"LeftRight", "abc", 1, 0, {{R, 0}, {R, 0}, {R, 0}, {L, 0}}, "abc", 2, 0},
        KeyCase{"LeftAtStartStays", "abc", 0, 0, {{L, 0}}, "abc", 0, 0},
        KeyCase{"UpDownActAsLeftRight", "abc", 1, 0, {{keys::Down, 0}, {keys::Down, 0}, {keys::Up, 0}}, "abc", 2, 0},
        KeyCase{"ShiftLeftGrowsLeftward", "abcd", 3, 0, {{L, kShift}, {L, kShift}}, "abcd", 1, 2},
        KeyCase{"ShiftLeftAtStartStays", "abc", 0, 0, {{L, kShift}, {L, kShift}}, "abc", 0, 0},
        KeyCase{"ShiftLeftStopsAtStart", "abc", 1, 0, {{L, kShift}, {L, kShift}}, "abc", 0, 1},
        KeyCase{"ShiftRightThenBack", "abcd", 1, 0, {{R, kShift}, {R, kShift}, {L, kShift}}, "abcd", 1, 1},
        KeyCase{"ShiftRightStopsAtEnd", "ab", 1, 0, {{R, kShift}, {R, kShift}}, "ab", 1, 1},
        KeyCase{"LeftCollapsesToStart", "abcd", 1, 2, {{L, 0}}, "abcd", 1, 0},
        KeyCase{"RightCollapsesToEnd", "abcd", 1, 2, {{R, 0}}, "abcd", 3, 0},
        KeyCase{"CtrlLeftJumpsWords", "one two", 7, 0, {{L, kCtrl}}, "one two", 4, 0},
        KeyCase{"CtrlLeftTwice", "one two", 7, 0, {{L, kCtrl}, {L, kCtrl}}, "one two", 0, 0},
        KeyCase{"CtrlRightJumpsToSeparator", "one two", 0, 0, {{R, kCtrl}}, "one two", 3, 0},
        KeyCase{"CtrlRightAtEndStays", "one two", 7, 0, {{R, kCtrl}}, "one two", 7, 0},
        KeyCase{"CtrlShiftLeftSelectsWord", "one two", 7, 0, {{L, kCtrl | kShift}}, "one two", 4, 3},
        KeyCase{"AccentedLetterSeparates", "caf\xC3\xA9x", 5, 0, {{L, kCtrl}}, "caf\xC3\xA9x", 4, 0},
        KeyCase{"Backspace", "abc", 2, 0, {{keys::Back, 0}}, "ac", 1, 0},
        KeyCase{"BackspaceAtStart", "abc", 0, 0, {{keys::Back, 0}}, "abc", 0, 0},
        KeyCase{"BackspaceSelection", "abcd", 1, 2, {{keys::Back, 0}}, "ad", 1, 0},
        KeyCase{"Delete", "abc", 1, 0, {{keys::Delete, 0}}, "ac", 1, 0},
        KeyCase{"DeleteAtEnd", "abc", 3, 0, {{keys::Delete, 0}}, "abc", 3, 0},
        KeyCase{"CtrlBackspaceWord", "ab cd", 5, 0, {{keys::Back, kCtrl}}, "ab ", 3, 0},
        KeyCase{"CtrlBackspaceWordAndSpace", "ab cd", 5, 0, {{keys::Back, kCtrl}, {keys::Back, kCtrl}}, "", 0, 0},
        KeyCase{"CtrlASelectsAll", "abc", 1, 0, {{'A', kCtrl}}, "abc", 0, 3}),
    [](const testing::TestParamInfo<KeyCase>& i) { return std::string(i.param.name); });

TEST_F(EditTest, OnlyUserEditsFireOnChange) {
  edit->SetText("x");
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(valueChanges, 1);
  edit->SetValue(-5);
  EXPECT_EQ(edit->Text(), "-5");
  EXPECT_EQ(valueChanges, 2);
  // Deleting at the end removes nothing but still counts as an edit.
  Start("ab", 2);
  Key(keys::Delete);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(edit->HistoryCount(), 1u);
}

TEST_F(EditTest, SettingTextKeepsTheCaretInside) {
  Start("abcdef", 4, 2);
  edit->SetText("ab");
  EXPECT_EQ(edit->Position(), 2);
  EXPECT_EQ(edit->SelectionLength(), 0);
  Type("c");
  EXPECT_EQ(edit->Text(), "abc");
}

TEST_F(EditTest, UndoRestoresEarlierTextsAndClampsTheCaret) {
  Start("ab", 2);
  Type("c");
  Type("d");
  Key('Z', kCtrl);
  EXPECT_EQ(edit->Text(), "abc");
  EXPECT_EQ(edit->Position(), 3);  // was 4, beyond the restored text
  EXPECT_EQ(changes, 2);            // undo itself fires nothing
  Type("x");
  EXPECT_EQ(edit->Text(), "abcx");
  edit->Undo();
  edit->Undo();
  EXPECT_EQ(edit->Text(), "ab");
  edit->Undo();  // nothing older
  EXPECT_EQ(edit->Text(), "ab");
  EXPECT_EQ(edit->Position(), 2);

  // Text from code and switching undo off forget the history.
  Type("y");
  edit->SetText("new");
  edit->Undo();
  EXPECT_EQ(edit->Text(), "new");
  edit->SetPosition(3);
  Type("z");
  edit->SetCanUndo(false);
  edit->SetCanUndo(true);
  edit->Undo();
  EXPECT_EQ(edit->Text(), "newz");
}

TEST_F(EditTest, UndoHistoryIsCapped) {
  Start("", 0);
  for (std::size_t i = 0; i < FXCustomEdit::MaxHistory + 20; ++i) Type("a");
  EXPECT_EQ(edit->HistoryCount(), FXCustomEdit::MaxHistory);
  for (std::size_t i = 0; i < FXCustomEdit::MaxHistory + 5; ++i) edit->Undo();
  // The oldest texts were dropped: the earliest reachable one still holds the first 20 characters.
  EXPECT_EQ(edit->Text(), std::string(20, 'a'));
}

TEST_F(EditTest, CopyCutAndPasteGoThroughTheClipboard) {
  auto& clipboard = platform::CurrentWindowBackend();
  Start("hello world", 6, 5);
  Key('C', kCtrl);
  EXPECT_EQ(clipboard.ClipboardText(), "world");
  EXPECT_EQ(edit->Text(), "hello world");
  Key('X', kCtrl);
  EXPECT_EQ(edit->Text(), "hello ");
  EXPECT_EQ(changes, 1);

  // Paste replaces the selection and puts the caret after the pasted text.
  Start("hello there", 6, 5);
  clipboard.SetClipboardText("y\xC3\xB6u");
  Key('V', kCtrl);
  EXPECT_EQ(edit->Text(), "hello y\xC3\xB6u");
  EXPECT_EQ(edit->Position(), 9);
  EXPECT_EQ(edit->SelectionLength(), 0);
  EXPECT_EQ(changes, 1);
  Key('Z', kCtrl);
  EXPECT_EQ(edit->Text(), "hello there");
}

TEST_F(EditTest, PasteDropsLineBreaksAndControlCharacters) {
  Start("C:\\", 3);
  platform::CurrentWindowBackend().SetClipboardText("Program\r\nFiles\t\x01X\n");
  edit->PasteFromClipBoard();
  EXPECT_EQ(edit->Text(), "C:\\ProgramFilesX");
  EXPECT_EQ(edit->Position(), 16);
}

TEST_F(EditTest, PasswordHidesTextFromTheClipboardAndWordJumps) {
  auto& clipboard = platform::CurrentWindowBackend();
  clipboard.SetClipboardText("keep");
  Start("my secret", 0);
  edit->SetPasswordChar(U'*');
  edit->SelectAll();
  EXPECT_EQ(edit->Selection(), "*********");
  edit->CopyToClipBoard();
  edit->CutToClipBoard();
  EXPECT_EQ(clipboard.ClipboardText(), "keep");
  EXPECT_EQ(edit->Text(), "my secret");
  edit->SetPosition(4);
  Key(R, kCtrl);
  EXPECT_EQ(edit->Position(), 9);
  Key(L, kCtrl);
  EXPECT_EQ(edit->Position(), 0);
}

TEST_F(EditTest, NumbersOnlyAcceptsDigitsAndWholeIntegers) {
  edit->SetText("abc");
  valueChanges = 0;
  edit->SetNumbersOnly(true);
  EXPECT_EQ(edit->Text(), "0");
  EXPECT_EQ(valueChanges, 0);

  Start("12", 1, 1);
  Type("x");  // a refused letter leaves the selection where it was
  EXPECT_EQ(edit->Text(), "12");
  EXPECT_EQ(edit->SelectionLength(), 1);
  Type("7");
  EXPECT_EQ(edit->Text(), "17");

  auto& clipboard = platform::CurrentWindowBackend();
  clipboard.SetClipboardText("4a");
  edit->PasteFromClipBoard();
  EXPECT_EQ(edit->Text(), "17");
  clipboard.SetClipboardText("45");
  edit->PasteFromClipBoard();
  EXPECT_EQ(edit->Text(), "1745");

  // Leaving an emptied field puts the zero back.
  edit->SelectAll();
  Key(keys::Delete);
  EXPECT_EQ(edit->Text(), "");
  auto* other = new FXEdit(&form);
  other->SetParent(&form);
  form.SetActiveControl(other);
  EXPECT_EQ(edit->Text(), "0");
}

TEST_F(EditTest, ValueReadsZeroForNonNumbers) {
  for (auto [text, value] : std::vector<std::pair<std::string, std::int64_t>>{
           {"12a", 0}, {"", 0}, {"-5", -5}, {"9223372036854775807", INT64_MAX}, {"9223372036854775808", 0}}) {
    edit->SetText(text);
    EXPECT_EQ(edit->Value(), value) << text;
  }
}

TEST_F(EditTest, MaxLengthLimitsTypingAndPasting) {
  edit->SetMaxLength(5);
  Start("ab\xC3\xA9", 3);  // three characters, four bytes
  Type("c");
  Type("d");
  Type("e");
  EXPECT_EQ(edit->Text(), "ab\xC3\xA9" "cd");
  Start("abc", 3);
  platform::CurrentWindowBackend().SetClipboardText("\xE6\x97\xA5xyz");
  edit->PasteFromClipBoard();
  EXPECT_EQ(edit->Text(), "abc\xE6\x97\xA5x");
  EXPECT_EQ(edit->Position(), 5);
  // Typing over a selection makes room first.
  Start("abcde", 0, 2);
  Type("z");
  EXPECT_EQ(edit->Text(), "zcde");
}

TEST_F(EditTest, CharCaseConvertsStoredAndTypedText) {
  Start("MiXed \xC3\x89t\xC3\xA9", 0);
  edit->SetCharCase(FXCharCase::Uppercase);
  EXPECT_EQ(edit->Text(), "MIXED \xC3\x89T\xC3\xA9");
  edit->SetPosition(edit->TextLength());
  Type("q");
  EXPECT_EQ(edit->Text(), "MIXED \xC3\x89T\xC3\xA9Q");
  edit->SetCharCase(FXCharCase::Lowercase);
  EXPECT_EQ(edit->Text(), "mixed \xC3\x89t\xC3\xA9q");
  EXPECT_EQ(changes, 1);
}

TEST_F(EditTest, DisabledSelectionIgnoresRangesAndClearsTheCurrentOne) {
  Start("one two", 0, 3);
  edit->SetEnableSelection(false);
  EXPECT_EQ(edit->SelectionLength(), 0);
  Key(L, kCtrl | kShift);
  EXPECT_EQ(edit->SelectionLength(), 0);
}

TEST_F(EditTest, LeavingClearsTheSelectionUnlessAskedNotTo) {
  auto* other = new FXEdit(&form);
  other->SetParent(&form);
  Start("abc", 0, 2);
  form.SetActiveControl(other);
  EXPECT_EQ(edit->SelectionLength(), 0);
  edit->SetClearSelectionOnExit(false);
  form.SetActiveControl(edit);
  Start("abc", 0, 2);
  form.SetActiveControl(other);
  EXPECT_EQ(edit->SelectionLength(), 2);
}

TEST_F(EditTest, RightClickOpensAnAssignedMenuAtThePointer) {
  FXPopupMenu menu(&form);
  int popups = 0;
  menu.OnPopup = [&](ui::TComponent*) { ++popups; };
  const ui::TPoint p = OnForm(30, 12);
  Screen(form).Press(B::Right, p.X, p.Y);
  Screen(form).Release(B::Right, p.X, p.Y);
  EXPECT_EQ(popups, 0);
  edit->SetPopupMenu(&menu);
  Screen(form).Press(B::Right, p.X, p.Y);
  Screen(form).Release(B::Right, p.X, p.Y);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(menu.DropPoint(), ClientToScreen(*edit, {30, 12}));
}

// Everything below measures text with the drawing backend.
class EditDrawn : public EditTest {
 protected:
  int Width(const std::string& s) {
    ui::TBitmap scratch(1, 1);
    ui::TCanvas canvas(scratch);
    canvas.Font = edit->Font();
    return canvas.TextWidth(s);
  }
  void Press(int x) {
    const ui::TPoint p = OnForm(x, 17);
    Screen(form).MoveTo(p.X, p.Y);
    Screen(form).Press(B::Left, p.X, p.Y);
  }
  void DragTo(int x) {
    const ui::TPoint p = OnForm(x, 17);
    Screen(form).MoveTo(p.X, p.Y);
  }
  void ReleaseAt(int x) {
    const ui::TPoint p = OnForm(x, 17);
    Screen(form).Release(B::Left, p.X, p.Y);
  }
};

TEST_F(EditDrawn, ClickPlacesTheCaretAndDragSelects) {
  Start("abcdef", 0);
  const int left = edit->TextRect().Left;
  Press(left + Width("abc") + 1);
  ReleaseAt(left + Width("abc") + 1);
  EXPECT_EQ(edit->Position(), 3);
  Press(left + 140);  // beyond the text
  ReleaseAt(left + 140);
  EXPECT_EQ(edit->Position(), 6);

  // Dragging leftward from the end selects back to the pointer.
  Press(left + Width("abcdef") + 2);
  DragTo(left + Width("a") + 1);
  ReleaseAt(left + Width("a") + 1);
  EXPECT_EQ(edit->Position(), 1);
  EXPECT_EQ(edit->SelectionLength(), 5);
  EXPECT_EQ(edit->Selection(), "bcdef");
}

TEST_F(EditDrawn, DoubleClickSelectsAroundTheCaret) {
  Start("ab cd ef", 4);
  edit->DblClick();
  EXPECT_EQ(edit->Position(), 3);
  EXPECT_EQ(edit->SelectionLength(), 2);
  // Between the space and the c the backward search passes the space: both words and it are taken.
  Start("ab cd", 3);
  edit->DblClick();
  EXPECT_EQ(edit->Selection(), "ab cd");
}

TEST_F(EditDrawn, ShortTextFollowsTheHorizontalLayoutAndLongTextScrollsToTheCaret) {
  Start("ab", 0);
  const int w = edit->TextRect().Width();
  edit->SetLayoutHorizontal(FXLayout::Ending);
  EXPECT_EQ(edit->CutPosition(), Width("ab") - w);
  edit->SetLayoutHorizontal(FXLayout::Beginning);

  const std::string longText(60, 'W');
  Start(longText, 0);
  edit->SetPosition(60);
  EXPECT_TRUE(edit->ExtendsBounds());
  EXPECT_GT(edit->CutPosition(), 0);
  EXPECT_GE(edit->DrawPosition(), 0);
  EXPECT_LE(edit->DrawPosition(), w);
  edit->SetPosition(0);
  EXPECT_LE(edit->CutPosition(), 0);
}

TEST_F(EditDrawn, AutomaticHeightIsTextHeightPlusLineAndMargins) {
  edit->SetAutoSize(false);
  edit->SetHeight(80);
  edit->SetAutoSize(true);
  ui::TBitmap scratch(1, 1);
  ui::TCanvas canvas(scratch);
  canvas.Font = edit->Font();
  EXPECT_EQ(edit->Height(), canvas.TextHeight(edit->Text()) + 12);
}

TEST_F(EditDrawn, FillAndUnderlineFollowFocusAndTheme) {
  edit->SetText("");
  auto* other = new FXEdit(&form);
  other->SetBounds(10, 100, 150, 35);
  other->SetParent(&form);
  form.SetActiveControl(other);
  const FXCompleteColorSet& system = *ThemeManager().SystemColor;
  const ui::TBitmap& buf = edit->Buffer();
  const int midY = edit->TextRect().Top + 2, x = edit->Width() / 2;
  const int lineY = edit->LineRect().Top + edit->LineSize() / 2;

  EXPECT_EQ(ColorFromARGB(buf.Pixel(x, midY)), ChangeColorLight(system.BackGroundInterior(), 10));
  EXPECT_EQ(ColorFromARGB(buf.Pixel(x, lineY)), ChangeColorLight(system.BackGroundInterior(), -40));

  form.SetActiveControl(edit);
  EXPECT_EQ(ColorFromARGB(buf.Pixel(x, midY)), system.BackGround());
  EXPECT_EQ(ColorFromARGB(buf.Pixel(x, lineY)), ThemeManager().AccentColor());

  edit->CustomEditColors().SetLightColor(0x00112233, 0x00445566, 0x00778899);
  edit->CustomEditColors().SetEnabled(true);
  EXPECT_EQ(ColorFromARGB(buf.Pixel(x, midY)), 0x00778899u);
}

TEST_F(EditDrawn, FocusedCaretInvertsTheFieldBeneathIt) {
  edit->SetText("");
  const FXCompleteColorSet& system = *ThemeManager().SystemColor;
  const int x = edit->TextRect().Left + edit->DrawPosition(), y = edit->Height() / 2;
  EXPECT_EQ(ColorFromARGB(edit->Buffer().Pixel(x, y)), system.BackGround() ^ 0x00FFFFFFu);
  EXPECT_EQ(ColorFromARGB(edit->Buffer().Pixel(x + 3, y)), system.BackGround());
}

TEST_F(EditDrawn, SelectionBandIsPaintedInTheAccent) {
  edit->SetText("WWWWWW");
  edit->SelectAll();
  edit->CustomColors().SetAccent(0x000000FF);
  edit->CustomColors().SetLightBackGround(0x00FFFFFF);
  edit->CustomColors().SetLightForeGround(0x00FFFFFF);
  edit->CustomColors().SetEnabled(true);
  const TRect t = edit->TextRect();
  // A flat spot in the band: between two glyph rows at the band's top, inside the first letter's cell.
  int accent = 0;
  for (int x = t.Left + 1; x < t.Left + Width("WWWWWW") - 1; ++x)
    for (int y = t.Top; y < t.Bottom; ++y) accent += ColorFromARGB(edit->Buffer().Pixel(x, y)) == 0x000000FFu;
  EXPECT_GT(accent, Width("WWWWWW"));
}

}  // namespace
