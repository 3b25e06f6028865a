// The framework's shared vocabulary: enumerations, flag sets, event types and small value types.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <initializer_list>

#include "ui/types.h"

namespace lux {

// 0x00BBGGRR, red in the low byte; a top byte of 0xFF names a system colour.
using TColor = std::uint32_t;

enum class FXIconType { Image, BitMap, ImageList, SegoeIcon };
enum class FXFocusFlag { CatchTab, CatchLeft, CatchUp, CatchRight, CatchDown };
enum class FXDetailType { None, Underline, Outline };
enum class FXBackgroundColor { Background, Content };
enum class FXButtonKind { Normal, Accent, Toggle, Dropdown, Link, Flat };
enum class FXAnimateSelection { Instant, Opacity, Linear, Square };
enum class FXProgressKind { Normal, Intermediate, Paused, Error };
enum class FXCheckBoxState { Checked, Unchecked, Grayed };
enum class FXGlassRefreshMode { Automatic, Manual, Timer };
enum class FXBlurVersion { WallpaperBlurred, Wallpaper, Screenshot, None };
enum class FXOrientation { Horizontal, Vertical };
enum class FXTextFlag {
  WordWrap, Top, VerticalCenter, Bottom, Left, Center, Right, Auto, NoClip, HotkeyChars,
  TrimCutoff, TrimDots, TrimCharacter, TrimWord, TrimPath
};
enum class FXDrawLayout { Left, Top, Right, Bottom };
enum class FXLayout { Beginning, Center, Ending };
enum class FXCharCase { Both, Uppercase, Lowercase };
enum class FXDarkSetting { Auto, ForceDark, ForceLight };
enum class FXThemeType { Redraw, Colorization, AppTheme };
enum class FXControlState { None, Hover, Press };

// A set of the values of a small enumeration, one bit per ordinal.
template <typename E>
class FXSet {
 public:
  constexpr FXSet() = default;
  constexpr FXSet(std::initializer_list<E> values) {
    for (E v : values) Include(v);
  }
  constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
  constexpr FXSet& Include(E v) { bits_ |= Bit(v); return *this; }
  constexpr FXSet& Exclude(E v) { bits_ &= ~Bit(v); return *this; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr std::uint32_t Bits() const { return bits_; }
  friend constexpr FXSet operator+(FXSet a, FXSet b) { a.bits_ |= b.bits_; return a; }
  friend constexpr FXSet operator-(FXSet a, FXSet b) { a.bits_ &= ~b.bits_; return a; }
  friend constexpr FXSet operator*(FXSet a, FXSet b) { a.bits_ &= b.bits_; return a; }
  friend constexpr bool operator==(FXSet a, FXSet b) = default;

 private:
  static constexpr std::uint32_t Bit(E v) { return std::uint32_t(1) << static_cast<unsigned>(v); }
  std::uint32_t bits_ = 0;
};

using FXFocusFlags = FXSet<FXFocusFlag>;
using FXTextFlags = FXSet<FXTextFlag>;

class FXControl;

// Sender is the window that changed its theme.
using FXThemeChange = std::function<void(FXControl* Sender, FXThemeType ThemeChange, bool DarkTheme, TColor Accent)>;
// Sender is the control that has just painted.
using FXControlOnPaint = std::function<void(FXControl* Sender)>;

// The toolkit's integer geometry, shared so that drawing code needs no conversions.
using ui::TPoint;
using ui::TRect;

inline TRect Rect(std::int32_t Left, std::int32_t Top, std::int32_t Right, std::int32_t Bottom) {
  return TRect{Left, Top, Right, Bottom};
}

// Rounds to nearest with halves to even, as the drawing and animation arithmetic expects.
inline std::int32_t RoundEven(double value) { return static_cast<std::int32_t>(std::nearbyint(value)); }

// A rectangle with a corner size per corner (the width and height of the ellipse forming it).
struct FXRoundRect {
  TRect Rect;
  std::int32_t RoundTL = 0;
  std::int32_t RoundTR = 0;
  std::int32_t RoundBL = 0;
  std::int32_t RoundBR = 0;
  std::int32_t Reserved = 0;  // kept for layout compatibility; the drawing never reads it

  FXRoundRect() = default;
  FXRoundRect(const TRect& ARect, std::int32_t Corners) : Rect(ARect) { SetRoundness(Corners); }
  FXRoundRect(const TRect& ARect, std::int32_t X, std::int32_t Y) : Rect(ARect) { SetRoundness((X + Y) / 2); }

  std::int32_t Left() const { return Rect.Left; }
  std::int32_t Top() const { return Rect.Top; }
  std::int32_t Width() const { return Rect.Width(); }
  std::int32_t Height() const { return Rect.Height(); }
  void Offset(std::int32_t dx, std::int32_t dy) {
    Rect.Left += dx; Rect.Right += dx;
    Rect.Top += dy; Rect.Bottom += dy;
  }
  void SetRoundness(std::int32_t Value) { RoundTL = RoundTR = RoundBL = RoundBR = Value; }
};

struct FXLine {
  TPoint Point1;
  TPoint Point2;

  FXLine() = default;
  FXLine(TPoint P1, TPoint P2) : Point1(P1), Point2(P2) {}

  std::int32_t Width() const { return std::abs(Point2.X - Point1.X); }
  std::int32_t Height() const { return std::abs(Point2.Y - Point1.Y); }
  void OffsetBy(std::int32_t dx, std::int32_t dy) {
    Point1.X += dx; Point1.Y += dy;
    Point2.X += dx; Point2.Y += dy;
  }
  TRect Rect() const {
    const std::int32_t left = std::min(Point1.X, Point2.X);
    const std::int32_t top = std::min(Point1.Y, Point2.Y);
    return TRect{left, top, left + Width(), top + Height()};
  }
  // Keeps Point1 and moves Point2 to Percent of the way from it.
  void SizeByPercent(double Percent) {
    Point2.X = Point1.X + RoundEven(Percent / 100 * (Point2.X - Point1.X));
    Point2.Y = Point1.Y + RoundEven(Percent / 100 * (Point2.Y - Point1.Y));
  }
};

// 0xAARRGGBB for the drawing library: the colour's red and blue swap places, its top byte is dropped.
constexpr std::uint32_t MakeARGB(TColor Color, std::uint8_t Alpha) {
  return (std::uint32_t(Alpha) << 24) | ((Color & 0xFFu) << 16) | (Color & 0xFF00u) | ((Color >> 16) & 0xFFu);
}

// The colour of a 0xAARRGGBB value, its alpha dropped: the same swap undone.
constexpr TColor ColorFromARGB(std::uint32_t ARGB) { return MakeARGB(ARGB, 0); }

}  // namespace lux
