// The Windows canvas: GDI+ drawing straight into the caller's premultiplied pixel buffer.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <vector>

#include "gdiplus_session.h"
#include "support.h"

namespace platform {
namespace {

using win32::DrawingFamily;

std::unique_ptr<Gdiplus::Bitmap> Wrap(const PixelBuffer& buffer) {
  return std::make_unique<Gdiplus::Bitmap>(buffer.width, buffer.height, buffer.stride, PixelFormat32bppPARGB, buffer.bits);
}

Gdiplus::Color ColorOf(std::uint32_t argb) { return Gdiplus::Color(static_cast<Gdiplus::ARGB>(argb)); }

// Measuring and drawing share one format, so widths the toolkit wraps and centres by are the widths drawn:
// no padding around the line, trailing spaces counted, never wrapped or clipped.
const Gdiplus::StringFormat& LineFormat() {
  static const std::unique_ptr<Gdiplus::StringFormat> format = [] {
    auto f = std::make_unique<Gdiplus::StringFormat>(Gdiplus::StringFormat::GenericTypographic());
    f->SetFormatFlags(f->GetFormatFlags() | Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                      Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsNoClip);
    return f;
  }();
  return *format;
}

bool SameFont(const TextFont& a, const TextFont& b) {
  return a.family == b.family && a.size == b.size && a.sizeInPixels == b.sizeInPixels && a.bold == b.bold &&
         a.italic == b.italic && a.underline == b.underline && a.strikeout == b.strikeout;
}

// A font request made into a GDI+ font with the line box it lays out.
class Face {
 public:
  explicit Face(const TextFont& request) : request_(request) {
    family_ = DrawingFamily(request.family);
    if (!family_) return;
    const auto em = static_cast<Gdiplus::REAL>(std::max(win32::EmPixels(request), 0.0));
    // Lines under and through the text are drawn by the canvas: Wine's GDI+ leaves them out.
    int style = win32::FontStyleOf(request);
    font_ = std::make_unique<Gdiplus::Font>(family_, em, style, Gdiplus::UnitPixel);
    // A face without a bold or italic member of its own is drawn regular rather than not at all.
    if (font_->GetLastStatus() != Gdiplus::Ok) {
      style = Gdiplus::FontStyleRegular;
      font_ = std::make_unique<Gdiplus::Font>(family_, em, style, Gdiplus::UnitPixel);
    }
    if (font_->GetLastStatus() != Gdiplus::Ok) {
      font_.reset();
      return;
    }
    // The family's design units scaled to the em.
    const UINT16 units = family_->GetEmHeight(style);
    const double scale = units > 0 ? em / double(units) : 0;
    lineSpacing_ = family_->GetLineSpacing(style) * scale;
    ascent_ = family_->GetCellAscent(style) * scale;
  }

  const TextFont& Request() const { return request_; }
  bool Usable() const { return font_ != nullptr; }
  bool Decorated() const { return request_.underline || request_.strikeout; }
  const Gdiplus::FontFamily& Family() const { return *family_; }
  const Gdiplus::Font& Font() const { return *font_; }
  double LineSpacing() const { return lineSpacing_; }
  double Ascent() const { return ascent_; }

 private:
  TextFont request_;
  const Gdiplus::FontFamily* family_ = nullptr;
  std::unique_ptr<Gdiplus::Font> font_;
  double lineSpacing_ = 0, ascent_ = 0;
};

// The source pixels one target pixel along an axis is made of, with their weights (summing to 256):
// two neighbours blended around the pixel's centre where the picture grows, every source pixel
// under the target pixel by how much of it is covered where it shrinks. Edges repeat the border pixel.
std::vector<std::vector<std::pair<int, int>>> Taps(int from, int to) {
  std::vector<std::vector<std::pair<int, int>>> taps(static_cast<std::size_t>(to));
  const double scale = double(from) / to;
  for (int i = 0; i < to; ++i) {
    std::vector<std::pair<int, double>> weighted;
    if (scale <= 1) {
      const double centre = std::clamp((i + 0.5) * scale - 0.5, 0.0, double(from - 1));
      const int left = static_cast<int>(std::floor(centre));
      const double t = centre - left;
      weighted = {{left, 1 - t}, {std::min(left + 1, from - 1), t}};
    } else {
      const double begin = i * scale, end = (i + 1) * scale;
      for (int s = static_cast<int>(std::floor(begin)); s < std::min(from, static_cast<int>(std::ceil(end))); ++s)
        weighted.push_back({s, std::min(end, s + 1.0) - std::max(begin, double(s))});
    }
    double total = 0;
    for (const auto& tap : weighted) total += tap.second;
    int given = 0;
    for (const auto& [index, weight] : weighted) {
      const int share = static_cast<int>(std::lround(weight / total * 256));
      if (share > 0) taps[i].push_back({index, share});
      given += share;
    }
    if (taps[i].empty()) taps[i].push_back({weighted.front().first, 0});
    taps[i].back().second += 256 - given;  // rounding must not dim or brighten a flat picture
  }
  return taps;
}

// The picture scaled to the target's size by the toolkit's own rule, so a stretched picture looks the
// same whichever GDI+ (Windows' or Wine's) composites it. Premultiplied channels blend linearly.
std::vector<std::uint32_t> Resample(const PixelBuffer& image, int width, int height) {
  const auto across = Taps(image.width, width), down = Taps(image.height, height);
  std::vector<std::uint32_t> rows(static_cast<std::size_t>(width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    const auto* in = reinterpret_cast<const std::uint32_t*>(image.bits + static_cast<std::size_t>(y) * image.stride);
    for (int x = 0; x < width; ++x) {
      std::uint32_t sum[4] = {};
      for (const auto& [index, weight] : across[x])
        for (int c = 0; c < 4; ++c) sum[c] += ((in[index] >> (8 * c)) & 0xFF) * weight;
      std::uint32_t p = 0;
      for (int c = 0; c < 4; ++c) p |= std::min<std::uint32_t>(255, (sum[c] + 128) >> 8) << (8 * c);
      rows[static_cast<std::size_t>(y) * width + x] = p;
    }
  }
  std::vector<std::uint32_t> out(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint32_t sum[4] = {};
      for (const auto& [index, weight] : down[y])
        for (int c = 0; c < 4; ++c) sum[c] += ((rows[static_cast<std::size_t>(index) * width + x] >> (8 * c)) & 0xFF) * weight;
      std::uint32_t p = 0;
      for (int c = 0; c < 4; ++c) p |= std::min<std::uint32_t>(255, (sum[c] + 128) >> 8) << (8 * c);
      out[static_cast<std::size_t>(y) * width + x] = p;
    }
  return out;
}

// Scaling every premultiplied channel keeps the pixels premultiplied, exactly, where a colour matrix
// would go through straight colours and round twice.
std::uint32_t Faded(std::uint32_t p, std::uint32_t scale) {
  const std::uint32_t rb = (((p & 0x00FF00FFu) * scale + 0x00800080u) >> 8) & 0x00FF00FFu;
  const std::uint32_t ag = (((p >> 8) & 0x00FF00FFu) * scale + 0x00800080u) & 0xFF00FF00u;
  return ag | rb;
}

void Fade(std::vector<std::uint32_t>& pixels, double opacity) {
  const std::uint32_t scale = static_cast<std::uint32_t>(std::lround(opacity * 256));
  for (std::uint32_t& p : pixels) p = Faded(p, scale);
}

struct Point {
  double x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

Gdiplus::PointF F(const Point& p) { return {static_cast<Gdiplus::REAL>(p.x), static_cast<Gdiplus::REAL>(p.y)}; }

// As the toolkit rounds it, so what the canvas blends itself agrees with the toolkit's own pixels.
std::uint32_t MulDiv255(std::uint32_t x, std::uint32_t a) {
  const std::uint32_t t = x * a + 128;
  return (t + (t >> 8)) >> 8;
}

std::uint32_t Premultiplied(std::uint32_t color) {
  const std::uint32_t a = color >> 24;
  return (a << 24) | (MulDiv255((color >> 16) & 0xFF, a) << 16) | (MulDiv255((color >> 8) & 0xFF, a) << 8) |
         MulDiv255(color & 0xFF, a);
}

// Premultiplied source over destination.
std::uint32_t Over(std::uint32_t source, std::uint32_t target) {
  const std::uint32_t keep = 255 - (source >> 24);
  if (keep == 0) return source;
  if (keep == 255) return target;
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= std::min<std::uint32_t>(255, ((source >> shift) & 0xFF) + MulDiv255((target >> shift) & 0xFF, keep)) << shift;
  return out;
}

// Whole device pixels, [left, right) by [top, bottom).
struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return left >= right || top >= bottom; }
};

bool Whole(double value, int& out) {
  const double rounded = std::round(value);
  if (std::abs(value - rounded) > 1e-6 || std::abs(rounded) > 1e8) return false;
  out = static_cast<int>(rounded);
  return true;
}

// GDI+ (Wine's above all) is slow at the plain work most painting is made of: clearing, filling
// whole-pixel rectangles and copying pictures one to one. The canvas keeps its own offset and clip so
// it can do that work itself where the clip is a whole-pixel rectangle, and leaves the rest to GDI+,
// whose graphics object is only made when something needs it.
class GdiplusCanvas final : public Canvas {
 public:
  explicit GdiplusCanvas(const PixelBuffer& target) : target_(target) {
    if (target_.width <= 0 || target_.height <= 0 || !target_.bits) target_ = {nullptr, 0, 0, 0};
  }
  GdiplusCanvas(const GdiplusCanvas&) = delete;
  GdiplusCanvas& operator=(const GdiplusCanvas&) = delete;
  ~GdiplusCanvas() override {
    if (graphics_) graphics_->Flush(Gdiplus::FlushIntentionSync);
  }

  void Save() override { saved_.push_back(state_); }
  void Restore() override {
    if (saved_.empty()) return;
    state_ = std::move(saved_.back());
    saved_.pop_back();
    synced_ = false;
  }
  void Translate(double dx, double dy) override {
    state_.dx += dx;
    state_.dy += dy;
    synced_ = false;
  }
  void ClipRect(double x, double y, double w, double h) override {
    const double left = x + state_.dx, top = y + state_.dy;
    const double right = left + std::max(w, 0.0), bottom = top + std::max(h, 0.0);
    if (state_.clipped) {
      state_.clip = {std::max(state_.clip.left, left), std::max(state_.clip.top, top), std::min(state_.clip.right, right),
                     std::min(state_.clip.bottom, bottom)};
    } else {
      state_.clip = {left, top, right, bottom};
      state_.clipped = true;
    }
    state_.clip.right = std::max(state_.clip.right, state_.clip.left);
    state_.clip.bottom = std::max(state_.clip.bottom, state_.clip.top);
    synced_ = false;
    ResetPath();
  }
  void ClipPath() override {
    std::shared_ptr<Gdiplus::GraphicsPath> device(path_ ? path_->Clone() : new Gdiplus::GraphicsPath());
    Gdiplus::Matrix offset(1, 0, 0, 1, static_cast<Gdiplus::REAL>(state_.dx), static_cast<Gdiplus::REAL>(state_.dy));
    device->Transform(&offset);
    state_.clipPaths.push_back(std::move(device));
    synced_ = false;
    ResetPath();
  }
  void SetAntialias(bool on) override {
    state_.antialias = on;
    synced_ = false;
  }

  void MoveTo(double x, double y) override {
    Path().StartFigure();
    current_ = start_ = {x, y};
    hasCurrent_ = true;
  }
  void LineTo(double x, double y) override {
    if (!hasCurrent_) return MoveTo(x, y);
    Path().AddLine(F(current_), F({x, y}));
    current_ = {x, y};
  }
  void ArcTo(double x, double y, double w, double h, double startDegrees, double sweepDegrees) override {
    if (w <= 0 || h <= 0) return;
    // Built from Béziers on the box's ellipse with angles of the unit circle scaled into the box, the
    // way the arc is meant, rather than GDI+'s arcs, which take angles as seen on the ellipse itself.
    const double cx = x + w / 2, cy = y + h / 2, rx = w / 2, ry = h / 2;
    auto at = [&](double radians) { return Point{cx + rx * std::cos(radians), cy + ry * std::sin(radians)}; };
    double a = startDegrees * std::numbers::pi / 180;
    const double sweep = sweepDegrees * std::numbers::pi / 180;
    const Point first = at(a);
    if (!hasCurrent_) {
      MoveTo(first.x, first.y);
    } else if (!(current_ == first)) {
      Path().AddLine(F(current_), F(first));
    }
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (std::numbers::pi / 2) - 1e-9)));
    const double step = sweep / pieces;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < pieces; ++i, a += step) {
      const double b = a + step;
      const Point p0 = at(a), p3 = at(b);
      const Point c1{p0.x - k * rx * std::sin(a), p0.y + k * ry * std::cos(a)};
      const Point c2{p3.x + k * rx * std::sin(b), p3.y - k * ry * std::cos(b)};
      Path().AddBezier(F(p0), F(c1), F(c2), F(p3));
    }
    current_ = at(startDegrees * std::numbers::pi / 180 + sweep);
  }
  void Rectangle(double x, double y, double w, double h) override {
    const bool alone = !path_;
    MoveTo(x, y);
    LineTo(x + w, y);
    LineTo(x + w, y + h);
    LineTo(x, y + h);
    ClosePath();
    if (alone) rectangle_ = {std::min(x, x + w), std::min(y, y + h), std::max(x, x + w), std::max(y, y + h)};
  }
  void ClosePath() override {
    Path().CloseFigure();
    current_ = start_;
  }
  void FillPath(std::uint32_t color) override {
    PixelRect area;
    if (rectangle_ && Plain(rectangle_->left + state_.dx, rectangle_->top + state_.dy, rectangle_->right + state_.dx,
                            rectangle_->bottom + state_.dy, area)) {
      const std::uint32_t source = Premultiplied(color);
      Each(area, [&](std::uint32_t& pixel, int, int) { pixel = Over(source, pixel); });
    } else if (path_) {
      Gdiplus::SolidBrush brush(ColorOf(color));
      G().FillPath(&brush, path_.get());
    }
    ResetPath();
  }
  void StrokePath(std::uint32_t color, double penWidth) override {
    if (penWidth == 1 && rectangle_ && StrokeFrame(color)) {
      ResetPath();
      return;
    }
    if (penWidth > 0 && path_) {
      Gdiplus::Pen pen(ColorOf(color), static_cast<Gdiplus::REAL>(penWidth));
      G().DrawPath(&pen, path_.get());
    }
    ResetPath();
  }
  void Clear(std::uint32_t color) override {
    PixelRect area;
    const bool plain = state_.clipped ? Plain(state_.clip.left, state_.clip.top, state_.clip.right, state_.clip.bottom, area)
                                      : Plain(0, 0, target_.width, target_.height, area);
    if (plain) {
      const std::uint32_t pixel = Premultiplied(color);
      Each(area, [&](std::uint32_t& p, int, int) { p = pixel; });
      return;
    }
    // Replacing, not blending: the compositing mode decides that, and the clip still holds.
    Gdiplus::Graphics& g = G();
    const Gdiplus::GraphicsState before = g.Save();
    g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    g.ResetTransform();
    Gdiplus::SolidBrush brush(ColorOf(color));
    g.FillRectangle(&brush, 0, 0, static_cast<INT>(bitmap_->GetWidth()), static_cast<INT>(bitmap_->GetHeight()));
    g.Restore(before);
  }

  void DrawImage(const PixelBuffer& image, double x, double y, double w, double h, double opacity) override {
    if (image.width <= 0 || image.height <= 0 || !image.bits || w <= 0 || h <= 0 || opacity <= 0) return;
    const int width = std::max(1, static_cast<int>(std::lround(w))), height = std::max(1, static_cast<int>(std::lround(h)));
    std::vector<std::uint32_t> copy;
    PixelBuffer source = image;
    if (width != image.width || height != image.height) {
      copy = Resample(image, width, height);
      source = {reinterpret_cast<std::uint8_t*>(copy.data()), width, height, width * 4};
    }
    PixelRect area;
    const double left = x + state_.dx, top = y + state_.dy;
    if (width == w && height == h && Plain(left, top, left + w, top + h, area)) {
      const std::uint32_t scale = static_cast<std::uint32_t>(std::lround(std::min(opacity, 1.0) * 256));
      const int originX = static_cast<int>(std::lround(left)), originY = static_cast<int>(std::lround(top));
      Each(area, [&](std::uint32_t& pixel, int px, int py) {
        std::uint32_t s = reinterpret_cast<const std::uint32_t*>(source.bits + static_cast<std::size_t>(py - originY) *
                                                                                    source.stride)[px - originX];
        if (scale < 256) s = Faded(s, scale);
        pixel = Over(s, pixel);
      });
      return;
    }
    if (opacity < 1) {
      if (copy.empty()) copy = Resample(image, width, height);
      Fade(copy, opacity);
      source = {reinterpret_cast<std::uint8_t*>(copy.data()), width, height, width * 4};
    }
    std::unique_ptr<Gdiplus::Bitmap> picture = Wrap(source);
    if (picture->GetLastStatus() != Gdiplus::Ok) return;
    // Only a fractional size or place is left for GDI+ to scale; mirroring beyond the edge keeps the
    // border pixels from fading out then.
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    G().DrawImage(picture.get(),
                  Gdiplus::RectF(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y), static_cast<Gdiplus::REAL>(w),
                                 static_cast<Gdiplus::REAL>(h)),
                  0, 0, static_cast<Gdiplus::REAL>(source.width), static_cast<Gdiplus::REAL>(source.height),
                  Gdiplus::UnitPixel, &attributes);
  }

  TextExtent MeasureText(const TextFont& font, const std::string& text) override {
    const Face& face = FaceFor(font);
    return face.Usable() ? TextExtent{Width(face, Wide(text)), face.LineSpacing(), face.Ascent()} : TextExtent{};
  }
  void DrawText(const TextFont& font, const std::string& text, double x, double y, std::uint32_t color) override {
    const Face& face = FaceFor(font);
    const std::wstring line = Wide(text);
    if (!face.Usable() || line.empty()) return;
    Gdiplus::SolidBrush brush(ColorOf(color));
    G().DrawString(line.c_str(), static_cast<INT>(line.size()), &face.Font(),
                   Gdiplus::PointF(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y)), &LineFormat(), &brush);
    if (!face.Decorated()) return;
    const win32::Decorations lines = win32::DecorationsOf(face.Family(), font);
    const double width = Width(face, line), baseline = y + face.Ascent();
    // On whole pixels, so a thin rule stays sharp.
    auto rule = [&](double below, double size) {
      const double thickness = std::max(1.0, std::round(size));
      G().FillRectangle(&brush, static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(std::round(baseline + below - thickness / 2)),
                        static_cast<Gdiplus::REAL>(width), static_cast<Gdiplus::REAL>(thickness));
    };
    if (font.underline) rule(lines.underline, lines.underlineSize);
    if (font.strikeout) rule(lines.strikeout, lines.strikeoutSize);
  }
  bool HasGlyphs(const TextFont& font, const std::string& text) override {
    if (text.empty()) return true;
    const Gdiplus::FontFamily* family = DrawingFamily(font.family);
    return family && win32::FamilyHasGlyphs(*family, font, Wide(text));
  }

 private:
  struct Bounds {
    double left = 0, top = 0, right = 0, bottom = 0;
  };
  // What Save keeps and Restore brings back. The clip is in device pixels, like the paths narrowing it.
  struct State {
    double dx = 0, dy = 0;
    bool antialias = true;
    bool clipped = false;
    Bounds clip;
    std::vector<std::shared_ptr<const Gdiplus::GraphicsPath>> clipPaths;
  };

  // GDI+'s graphics, made on first use and brought up to the canvas's offset, clip and antialiasing.
  Gdiplus::Graphics& G() {
    if (!graphics_) {
      // GDI+ refuses an empty bitmap; a canvas on one still measures text and draws nowhere.
      const PixelBuffer buffer = target_.bits ? target_ : PixelBuffer{reinterpret_cast<std::uint8_t*>(&nowhere_), 1, 1, 4};
      bitmap_ = Wrap(buffer);
      if (bitmap_->GetLastStatus() != Gdiplus::Ok) throw std::runtime_error("The canvas cannot draw into this buffer");
      graphics_ = std::make_unique<Gdiplus::Graphics>(bitmap_.get());
      if (graphics_->GetLastStatus() != Gdiplus::Ok) throw std::runtime_error("The canvas cannot draw into this buffer");
      // Pixel (i, j) covers the square from (i, j) to (i + 1, j + 1), so whole-number rectangles fill
      // whole pixels and half-pixel lines land on one.
      graphics_->SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
      graphics_->SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
      synced_ = false;
    }
    if (!synced_) {
      graphics_->ResetTransform();
      graphics_->ResetClip();
      if (state_.clipped)
        graphics_->SetClip(Gdiplus::RectF(static_cast<Gdiplus::REAL>(state_.clip.left), static_cast<Gdiplus::REAL>(state_.clip.top),
                                          static_cast<Gdiplus::REAL>(state_.clip.right - state_.clip.left),
                                          static_cast<Gdiplus::REAL>(state_.clip.bottom - state_.clip.top)));
      for (const auto& path : state_.clipPaths) graphics_->SetClip(path.get(), Gdiplus::CombineModeIntersect);
      graphics_->TranslateTransform(static_cast<Gdiplus::REAL>(state_.dx), static_cast<Gdiplus::REAL>(state_.dy));
      graphics_->SetSmoothingMode(state_.antialias ? Gdiplus::SmoothingModeAntiAlias : Gdiplus::SmoothingModeNone);
      // Grey-scale coverage, never ClearType: sub-pixel colour fringes would break the text's hue on a
      // transparent buffer. Both hints fit glyphs to the grid, so widths do not change with the setting.
      graphics_->SetTextRenderingHint(state_.antialias ? Gdiplus::TextRenderingHintAntiAliasGridFit
                                                       : Gdiplus::TextRenderingHintSingleBitPerPixelGridFit);
      synced_ = true;
    }
    return *graphics_;
  }

  // The device rectangle cut by the clip and the buffer, when all of it lies on whole pixels and the
  // clip is a plain rectangle: then the canvas can do the work itself.
  bool Plain(double left, double top, double right, double bottom, PixelRect& area) const {
    if (!state_.clipPaths.empty()) return false;
    PixelRect r;
    if (!Whole(left, r.left) || !Whole(top, r.top) || !Whole(right, r.right) || !Whole(bottom, r.bottom)) return false;
    PixelRect c{0, 0, target_.width, target_.height};
    if (state_.clipped) {
      PixelRect clip;
      if (!Whole(state_.clip.left, clip.left) || !Whole(state_.clip.top, clip.top) || !Whole(state_.clip.right, clip.right) ||
          !Whole(state_.clip.bottom, clip.bottom))
        return false;
      c = {std::max(c.left, clip.left), std::max(c.top, clip.top), std::min(c.right, clip.right), std::min(c.bottom, clip.bottom)};
    }
    area = {std::max(r.left, c.left), std::max(r.top, c.top), std::min(r.right, c.right), std::min(r.bottom, c.bottom)};
    return true;
  }

  // A one-pixel outline whose edges run through pixel centres covers whole pixels. Wine's aliased
  // GDI+ rounds those half pixels up and draws such a frame one pixel right of and below its box, so
  // its right and bottom edges fall outside a control's clip: the canvas draws it itself.
  bool StrokeFrame(std::uint32_t color) {
    const double left = rectangle_->left + state_.dx - 0.5, top = rectangle_->top + state_.dy - 0.5;
    const double right = rectangle_->right + state_.dx + 0.5, bottom = rectangle_->bottom + state_.dy + 0.5;
    // Each pixel once: a frame one pixel high or wide has no second edge to add.
    std::vector<std::array<double, 4>> strips{{left, top, right, top + 1}};
    if (bottom - top > 1) strips.push_back({left, bottom - 1, right, bottom});
    if (bottom - top > 2) {
      strips.push_back({left, top + 1, left + 1, bottom - 1});
      if (right - left > 1) strips.push_back({right - 1, top + 1, right, bottom - 1});
    }
    std::vector<PixelRect> areas(strips.size());
    for (std::size_t i = 0; i < strips.size(); ++i)
      if (!Plain(strips[i][0], strips[i][1], strips[i][2], strips[i][3], areas[i])) return false;
    const std::uint32_t source = Premultiplied(color);
    for (const PixelRect& area : areas) Each(area, [&](std::uint32_t& pixel, int, int) { pixel = Over(source, pixel); });
    return true;
  }

  template <typename Paint>
  void Each(const PixelRect& area, Paint paint) {
    if (area.Empty()) return;
    // What GDI+ drew before must be in the buffer first.
    if (graphics_) graphics_->Flush(Gdiplus::FlushIntentionSync);
    for (int py = area.top; py < area.bottom; ++py) {
      auto* row = reinterpret_cast<std::uint32_t*>(target_.bits + static_cast<std::size_t>(py) * target_.stride);
      for (int px = area.left; px < area.right; ++px) paint(row[px], px, py);
    }
  }

  double Width(const Face& face, const std::wstring& line) {
    if (line.empty()) return 0;
    Gdiplus::RectF box;
    G().MeasureString(line.c_str(), static_cast<INT>(line.size()), &face.Font(), Gdiplus::PointF(0, 0), &LineFormat(), &box);
    return box.Width;
  }

  // Painting asks for the same font many times in a row; making a GDI+ font is not cheap.
  const Face& FaceFor(const TextFont& font) {
    if (!face_ || !SameFont(face_->Request(), font)) face_ = std::make_unique<Face>(font);
    return *face_;
  }

  Gdiplus::GraphicsPath& Path() {
    rectangle_.reset();
    if (!path_) path_ = std::make_unique<Gdiplus::GraphicsPath>(Gdiplus::FillModeWinding);
    return *path_;
  }
  void ResetPath() {
    path_.reset();
    rectangle_.reset();
    hasCurrent_ = false;
  }

  PixelBuffer target_;
  std::uint32_t nowhere_ = 0;
  std::unique_ptr<Gdiplus::Bitmap> bitmap_;
  std::unique_ptr<Gdiplus::Graphics> graphics_;
  bool synced_ = false;
  State state_;
  std::vector<State> saved_;
  std::unique_ptr<Gdiplus::GraphicsPath> path_;
  std::optional<Bounds> rectangle_;  // the path, while it is one rectangle and nothing else
  std::unique_ptr<Face> face_;
  Point current_, start_;
  bool hasCurrent_ = false;
};

}  // namespace

// GDI+ starts in a moment and the fonts come with the system: nothing is worth doing ahead.
void PrepareCanvas() {}

std::unique_ptr<Canvas> CreateCanvas(const PixelBuffer& target) {
  win32::StartGdiplus();
  return std::make_unique<GdiplusCanvas>(target);
}

}  // namespace platform
