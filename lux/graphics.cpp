// Text layout and wrapping, glyph sizing, draw-mode placement and the Gaussian blur.
#include "lux/graphics.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace lux {
namespace {

TRect Shrunk(const TRect& R, std::int32_t By) { return {R.Left + By, R.Top + By, R.Right - By, R.Bottom - By}; }

// The platform's text call reads "&" as a mnemonic marker: a lone one disappears, "&&" stays as "&".
std::string WithoutMnemonics(const std::string& Text) {
  std::string out;
  out.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '&') {
      if (i + 1 < Text.size() && Text[i + 1] == '&') out += '&', ++i;
      continue;
    }
    out += Text[i];
  }
  return out;
}

enum class THorz { Left, Center, Right };
enum class TVert { Top, Center, Bottom };

struct TTextFormat {
  THorz Horz = THorz::Left;
  TVert Vert = TVert::Top;
  bool NoClip = false;
  bool SingleLine = false;
};

// A single-line call draws line breaks as nothing instead of breaking there.
std::string OnOneLine(std::string Text) {
  std::erase_if(Text, [](char c) { return c == '\r' || c == '\n'; });
  return Text;
}

// One line placed in Rect the way the platform's text call places it.
void DrawLineInRect(ui::TCanvas& Canvas, const TRect& Rect, const std::string& Text, const TTextFormat& Format) {
  const std::string shown = WithoutMnemonics(Format.SingleLine ? OnOneLine(Text) : Text);
  const ui::TSize size = Canvas.TextExtent(shown);
  std::int32_t x = Rect.Left;
  std::int32_t y = Rect.Top;
  if (Format.Horz == THorz::Center) x += (Rect.Width() - size.cx) / 2;
  if (Format.Horz == THorz::Right) x = Rect.Right - size.cx;
  if (Format.Vert == TVert::Center) y += (Rect.Height() - size.cy) / 2;
  if (Format.Vert == TVert::Bottom) y = Rect.Bottom - size.cy;
  ui::TCanvasState state(Canvas);
  if (!Format.NoClip) Canvas.ClipRect(Rect);
  Canvas.TextOut(x, y, shown);
}

TTextFormat HorizontalFormat(FXTextFlags Flags) {
  TTextFormat f;
  if (Flags.Contains(FXTextFlag::Center)) f.Horz = THorz::Center;
  if (Flags.Contains(FXTextFlag::Right)) f.Horz = THorz::Right;
  f.NoClip = Flags.Contains(FXTextFlag::NoClip);
  return f;
}

FXTextFlags WithAutoWrap(ui::TCanvas& Canvas, const TRect& Rect, const std::string& Text, FXTextFlags Flags) {
  if (Flags.Contains(FXTextFlag::Auto) && Canvas.TextWidth(Text) > Rect.Width()) Flags.Include(FXTextFlag::WordWrap);
  return Flags;
}

std::int32_t WrappedOffset(ui::TCanvas& Canvas, const std::vector<std::string>& Lines, const TRect& Rect,
                           FXTextFlags Flags) {
  if (!Flags.Contains(FXTextFlag::VerticalCenter) && !Flags.Contains(FXTextFlag::Bottom)) return 0;
  // The plain text height, not LineHeight: an empty line counts 0 here, as the layout has always done.
  std::int32_t total = 0;
  for (const std::string& line : Lines) total += Canvas.TextHeight(line);
  std::int32_t offset = 0;
  if (Flags.Contains(FXTextFlag::VerticalCenter)) offset = RoundEven(Rect.Height() / 2.0 - total / 2.0);
  if (Flags.Contains(FXTextFlag::Bottom)) offset = Rect.Height() - (offset + total);
  return offset;
}

std::int32_t Clamp(std::int32_t v, std::int32_t lo, std::int32_t hi) { return std::min(std::max(v, lo), hi); }

}  // namespace

void DrawGraphicInRect(ui::TCanvas& Canvas, const TRect& Rect, const ui::TBitmap& Graphic, TDrawMode Mode,
                       std::int32_t Inset) {
  for (const TRect& r : GetDrawModeRects(Rect, Graphic, Mode, Inset)) StretchDraw(Canvas, r, &Graphic, 255);
}

namespace {

// The colour channels XOR the bitmap's; alpha stays the target's, and a channel never exceeds it, so
// the result is still a premultiplied pixel over a translucent target.
ui::TPixel Inverted(ui::TPixel Target, ui::TPixel Bits) {
  const ui::TPixel alpha = Target >> 24;
  ui::TPixel out = Target & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const ui::TPixel channel = std::min(((Target ^ Bits) >> shift) & 0xFFu, alpha);
    out |= channel << shift;
  }
  return out;
}

}  // namespace

void DrawInvert(const ui::TBitmap& Bitmap, ui::TBitmap& Target, const TRect& Rect) {
  const std::int32_t left = std::max(Rect.Left, 0), top = std::max(Rect.Top, 0);
  const std::int32_t right = std::min({Rect.Right, Target.Width(), Rect.Left + Bitmap.Width()});
  const std::int32_t bottom = std::min({Rect.Bottom, Target.Height(), Rect.Top + Bitmap.Height()});
  for (std::int32_t y = top; y < bottom; ++y)
    for (std::int32_t x = left; x < right; ++x)
      Target.SetPixel(x, y, Inverted(Target.Pixel(x, y), Bitmap.Pixel(x - Rect.Left, y - Rect.Top)));
}

void DrawInvert(const ui::TBitmap& Bitmap, ui::TCanvas& Canvas, const TRect& Rect) {
  DrawInvert(Bitmap, Canvas.Target(), Rect);
}

void DrawHighQuality(ui::TCanvas& Canvas, const TRect& Rect, const FXBitmap24& Bitmap, std::uint8_t Opacity,
                     bool HighQuality) {
  if (Bitmap.Width <= 0 || Bitmap.Height <= 0) return;
  ui::TBitmap opaque(Bitmap.Width, Bitmap.Height);
  for (std::int32_t y = 0; y < Bitmap.Height; ++y)
    for (std::int32_t x = 0; x < Bitmap.Width; ++x) {
      const std::uint8_t* p = Bitmap.Pixel(x, y);
      opaque.SetPixel(x, y, 0xFF000000u | (ui::TPixel(p[2]) << 16) | (ui::TPixel(p[1]) << 8) | p[0]);
    }
  DrawHighQuality(Canvas, Rect, opaque, Opacity, HighQuality);
}

void ResetTimer(ui::TTimer& Timer) {
  Timer.SetEnabled(false);
  Timer.SetEnabled(true);
}

std::vector<std::string> SplitBySeparators(const std::string& Text, const std::vector<std::string>& Separators) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < Text.size()) {
    std::size_t matched = 0;
    for (const std::string& sep : Separators)
      if (!sep.empty() && Text.compare(pos, sep.size(), sep) == 0) {
        matched = sep.size();
        break;
      }
    if (matched == 0) {
      ++pos;
      continue;
    }
    pieces.push_back(Text.substr(start, pos - start));
    pos += matched;
    start = pos;
  }
  pieces.push_back(Text.substr(start));
  return pieces;
}

std::vector<std::string> WrapTextLines(const FXTextWidth& TextWidth, const std::string& Text, const TRect& Rect) {
  std::vector<std::string> words = SplitBySeparators(Text, {" "});
  for (std::size_t i = 0; i + 1 < words.size(); ++i) words[i] += ' ';

  // The size grows while walking, so words split off here are visited too.
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::size_t cr = words[i].find('\r');
    if (cr == std::string::npos) continue;
    const std::size_t k = cr == 0 ? 1 : cr;
    std::string rest = words[i].substr(k);
    words[i].resize(k);
    words.insert(words.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(rest));
  }

  std::vector<std::string> lines(1);
  std::int32_t w = 0;
  for (const std::string& word : words) {
    if (word == "\r") {
      lines.emplace_back();
      w = 0;
      continue;
    }
    const std::int32_t v = TextWidth(word);
    if (Rect.Width() < w + v) {
      lines.emplace_back();
      w = 0;
    }
    lines.back() += word;
    w += v;
  }
  return lines;
}

std::vector<std::string> WrapTextLines(ui::TCanvas& Canvas, const std::string& Text, const TRect& Rect) {
  return WrapTextLines([&Canvas](const std::string& s) { return Canvas.TextWidth(s); }, Text, Rect);
}

std::int32_t LineHeight(ui::TCanvas& Canvas, const std::string& Text) {
  const std::int32_t h = Canvas.TextHeight(Text);
  return h != 0 ? h : Canvas.TextHeight("|");
}

void DrawTextRect(ui::TCanvas& Canvas, TRect Rect, const std::string& Text, FXTextFlags Flags, std::int32_t Margin) {
  if (Margin != 0) Rect = Shrunk(Rect, Margin);
  if (Text.empty()) return;
  Flags = WithAutoWrap(Canvas, Rect, Text, Flags);
  if (!Flags.Contains(FXTextFlag::WordWrap)) {
    TTextFormat format = HorizontalFormat(Flags);
    format.SingleLine = true;
    if (Flags.Contains(FXTextFlag::VerticalCenter)) format.Vert = TVert::Center;
    if (Flags.Contains(FXTextFlag::Bottom)) format.Vert = TVert::Bottom;
    DrawLineInRect(Canvas, Rect, Text, format);
    return;
  }
  const TTextFormat format = HorizontalFormat(Flags);
  const std::vector<std::string> lines = WrapTextLines(Canvas, Text, Rect);
  std::int32_t y = Rect.Top + WrappedOffset(Canvas, lines, Rect, Flags);
  for (const std::string& line : lines) {
    const std::int32_t h = LineHeight(Canvas, line);
    DrawLineInRect(Canvas, {Rect.Left, y, Rect.Right, y + h}, line, format);
    y += h;
  }
}

TRect GetTextRect(ui::TCanvas& Canvas, TRect Rect, const std::string& Text, FXTextFlags Flags, std::int32_t Margin) {
  if (Margin != 0) Rect = Shrunk(Rect, Margin);
  if (Text.empty()) return Rect;
  Flags = WithAutoWrap(Canvas, Rect, Text, Flags);
  if (!Flags.Contains(FXTextFlag::WordWrap)) return Rect;
  const std::vector<std::string> lines = WrapTextLines(Canvas, Text, Rect);
  TRect result = Rect;
  result.Top = Rect.Top + WrappedOffset(Canvas, lines, Rect, Flags);
  result.Bottom = result.Top;
  for (const std::string& line : lines) result.Bottom += LineHeight(Canvas, line);
  return result;
}

std::int32_t GetMaxFontHeight(ui::TCanvas& Canvas, const std::string& Text, std::int32_t MaxWidth,
                              std::int32_t MaxHeight) {
  if (Text.empty()) return 0;
  // The toolkit's font knows only em heights; a zero height would ask the backend for an empty font.
  auto measure = [&](std::int32_t height) {
    Canvas.Font.SetHeight(std::max(std::abs(height), 1));
    return Canvas.TextExtent(Text);
  };
  // The largest height whose text fits. Every height tried is a font of its own, and a new font is dear
  // (the font system matches and sorts its fonts for it), so the search guesses instead of stepping. A
  // text's extent grows about in a straight line with the height: two measurements at heights all icons
  // share (so they are had once) point to the answer, or to within a pixel or two of it, and the search
  // closes in from there, doubling its steps and then halving the gap. The font is left at the answer.
  constexpr std::int32_t kLargest = 4095, kLow = 11, kHigh = 22;
  std::int32_t measured = 0;
  ui::TSize size;
  auto fits = [&](std::int32_t height) {
    measured = height;
    size = measure(height);
    return size.cx <= MaxWidth && size.cy <= MaxHeight;
  };
  // Heights up to `fit` fit (0: none known to), heights from `miss` on do not.
  std::int32_t fit = 0, miss = kLargest + 1;
  // Boxes too small for the lower shared height are rare: the halving below finds their answer.
  double guess = 0;
  if (!fits(kLow)) {
    miss = kLow;
  } else {
    fit = kLow;
    const ui::TSize low = size;
    if (fits(kHigh))
      fit = kHigh;
    else
      miss = kHigh;
    // Where each side's straight line through the two measurements meets the box.
    auto meets = [&](std::int32_t lowExtent, std::int32_t highExtent, std::int32_t limit) {
      if (highExtent <= lowExtent) return static_cast<double>(kLargest);
      return kLow + static_cast<double>(limit - lowExtent) * (kHigh - kLow) / (highExtent - lowExtent);
    };
    guess = std::min(meets(low.cx, size.cx, MaxWidth), meets(low.cy, size.cy, MaxHeight));
  }
  const auto guessed = static_cast<std::int32_t>(std::clamp(guess, 0.0, static_cast<double>(kLargest)));
  if (guessed > fit && guessed < miss) {
    if (fits(guessed)) {
      fit = guessed;
      for (std::int32_t step = 1; fit + step < miss; step *= 2) {
        if (!fits(fit + step)) {
          miss = fit + step;
          break;
        }
        fit += step;
      }
    } else {
      miss = guessed;
      for (std::int32_t step = 1; miss - step > fit; step *= 2) {
        if (fits(miss - step)) {
          fit = miss - step;
          break;
        }
        miss -= step;
      }
    }
  }
  while (miss - fit > 1) {
    const std::int32_t mid = fit + (miss - fit) / 2;
    if (fits(mid))
      fit = mid;
    else
      miss = mid;
  }
  // Not even one pixel fits: the smallest font, answered as a positive height.
  if (fit == 0) {
    if (measured != 1) measure(1);
    return 1;
  }
  if (measured != fit) measure(fit);
  return -fit;
}

FXGaussianKernel MakeGaussianKernel(double Radius, double MaxData, double DataGranularity) {
  FXGaussianKernel k;
  double sum = 0;
  for (std::int32_t j = -50; j <= 50; ++j) {
    const double q = j / Radius;
    k.Weights[50 + j] = static_cast<float>(std::exp(-q * q / 2));
    sum += k.Weights[50 + j];
  }
  for (float& w : k.Weights) w = static_cast<float>(w / sum);
  k.Size = 50;
  double tails = 0;
  while (tails < DataGranularity / (2 * MaxData) && k.Size > 1) {
    tails += 2 * k.Weights[50 + k.Size];
    --k.Size;
  }
  sum = 0;
  for (std::int32_t j = -k.Size; j <= k.Size; ++j) sum += k.Weights[50 + j];
  for (std::int32_t j = -k.Size; j <= k.Size; ++j) k.Weights[50 + j] = static_cast<float>(k.Weights[50 + j] / sum);
  k.Weights[50] += 0.000001f;
  return k;
}

void BlurRow(const FXGaussianKernel& Kernel, std::uint8_t* Pixels, std::int32_t Count, std::int32_t Step) {
  std::vector<std::uint8_t> scratch(static_cast<std::size_t>(Count) * 3);
  for (std::int32_t j = 0; j < Count; ++j)
    for (std::int32_t c = 0; c < 3; ++c) {
      double s = 0;
      for (std::int32_t k = -Kernel.Size; k <= Kernel.Size; ++k)
        s += static_cast<double>(Kernel.Weight(k)) * Pixels[Clamp(j - k, 0, Count - 1) * Step + c];
      scratch[j * 3 + c] = s < 0 ? 0 : s >= 255 ? 255 : static_cast<std::uint8_t>(std::trunc(s));
    }
  for (std::int32_t j = 0; j < Count; ++j)
    for (std::int32_t c = 0; c < 3; ++c) Pixels[j * Step + c] = scratch[j * 3 + c];
}

void GaussianBlur(FXBitmap24& Bitmap, double Radius) {
  if (Bitmap.Width <= 0 || Bitmap.Height <= 0) return;
  const FXGaussianKernel kernel = MakeGaussianKernel(Radius);
  for (std::int32_t y = 0; y < Bitmap.Height; ++y) BlurRow(kernel, Bitmap.Pixel(0, y), Bitmap.Width);
  // A column is blurred in place through its row stride.
  for (std::int32_t x = 0; x < Bitmap.Width; ++x) BlurRow(kernel, Bitmap.Pixel(x, 0), Bitmap.Height, Bitmap.Width * 3);
}

void GaussianBlur(ui::TBitmap&, double) { throw std::invalid_argument("GaussianBlur only works for 24-bit bitmaps"); }

ui::TSize FastBlurCopySize(std::int32_t Width, std::int32_t Height, std::int32_t Downscale) {
  const std::int32_t f = std::max(Downscale, 1);
  return {std::max(Width / f, 4), std::max(Height / f, 4)};
}

void FastBlur(ui::TBitmap& Bitmap, double Radius, std::int32_t Downscale, bool HighQuality) {
  if (Bitmap.Empty()) return;
  const ui::TSize size = FastBlurCopySize(Bitmap.Width(), Bitmap.Height(), Downscale);
  const std::int32_t W = Bitmap.Width(), H = Bitmap.Height();
  FXBitmap24 copy(size.cx, size.cy);
  auto channel = [](ui::TPixel p, std::int32_t c) { return static_cast<double>((p >> (8 * c)) & 0xFF); };
  // Shrinking averages the covered area when asked for quality, else picks the nearest pixel.
  for (std::int32_t y = 0; y < size.cy; ++y)
    for (std::int32_t x = 0; x < size.cx; ++x) {
      std::uint8_t* out = copy.Pixel(x, y);
      if (!HighQuality) {
        const ui::TPixel p = Bitmap.Pixel(std::min(x * W / size.cx, W - 1), std::min(y * H / size.cy, H - 1));
        for (std::int32_t c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>(channel(p, c));
        continue;
      }
      const std::int32_t x0 = x * W / size.cx, x1 = std::max((x + 1) * W / size.cx, x0 + 1);
      const std::int32_t y0 = y * H / size.cy, y1 = std::max((y + 1) * H / size.cy, y0 + 1);
      double sums[3] = {0, 0, 0};
      std::int32_t n = 0;
      for (std::int32_t sy = y0; sy < std::min(y1, H); ++sy)
        for (std::int32_t sx = x0; sx < std::min(x1, W); ++sx, ++n)
          for (std::int32_t c = 0; c < 3; ++c) sums[c] += channel(Bitmap.Pixel(sx, sy), c);
      for (std::int32_t c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>(std::lround(sums[c] / std::max(n, 1)));
    }
  GaussianBlur(copy, Radius);
  // Bilinear scaling back; samples beyond the border mirror the edge, so no dark fringe appears.
  for (std::int32_t y = 0; y < H; ++y) {
    const double fy = (y + 0.5) * size.cy / H - 0.5;
    const std::int32_t ya = static_cast<std::int32_t>(std::floor(fy));
    const double ty = fy - ya;
    for (std::int32_t x = 0; x < W; ++x) {
      const double fx = (x + 0.5) * size.cx / W - 0.5;
      const std::int32_t xa = static_cast<std::int32_t>(std::floor(fx));
      const double tx = fx - xa;
      auto at = [&](std::int32_t sx, std::int32_t sy, std::int32_t c) {
        return static_cast<double>(copy.Pixel(Clamp(sx, 0, size.cx - 1), Clamp(sy, 0, size.cy - 1))[c]);
      };
      ui::TPixel p = 0xFF000000u;
      for (std::int32_t c = 0; c < 3; ++c) {
        const double top = at(xa, ya, c) * (1 - tx) + at(xa + 1, ya, c) * tx;
        const double bottom = at(xa, ya + 1, c) * (1 - tx) + at(xa + 1, ya + 1, c) * tx;
        p |= static_cast<ui::TPixel>(std::lround(top * (1 - ty) + bottom * ty)) << (8 * c);
      }
      Bitmap.SetPixel(x, y, p);
    }
  }
}

}  // namespace lux
