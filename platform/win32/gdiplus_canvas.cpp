// The Windows canvas: GDI+ drawing straight into the caller's premultiplied pixel buffer.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
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

// One line of text in one font, ready to measure or draw.
class Line {
 public:
  Line(const TextFont& request, const std::string& text) : text_(Wide(text)) {
    family_ = DrawingFamily(request.family);
    if (!family_) return;
    em_ = static_cast<Gdiplus::REAL>(std::max(win32::EmPixels(request), 0.0));
    // Lines under and through the text are drawn by the canvas: Wine's GDI+ leaves them out.
    style_ = win32::FontStyleOf(request);
    underline_ = request.underline;
    strikeout_ = request.strikeout;
    font_ = std::make_unique<Gdiplus::Font>(family_, em_, style_, Gdiplus::UnitPixel);
    // A face without a bold or italic member of its own is drawn regular rather than not at all.
    if (font_->GetLastStatus() != Gdiplus::Ok) {
      style_ = Gdiplus::FontStyleRegular;
      font_ = std::make_unique<Gdiplus::Font>(family_, em_, style_, Gdiplus::UnitPixel);
    }
    if (font_->GetLastStatus() != Gdiplus::Ok) font_.reset();
  }

  bool Usable() const { return font_ != nullptr; }
  bool Decorated() const { return underline_ || strikeout_; }
  bool Underline() const { return underline_; }
  bool Strikeout() const { return strikeout_; }
  const Gdiplus::FontFamily& Family() const { return *family_; }
  const std::wstring& Text() const { return text_; }
  const Gdiplus::Font& Font() const { return *font_; }
  // The family's design units scaled to the em, as the line box is laid out.
  double Scaled(UINT16 designUnits) const {
    const UINT16 em = family_->GetEmHeight(style_);
    return em > 0 ? designUnits * double(em_) / em : 0;
  }
  double LineSpacing() const { return Scaled(family_->GetLineSpacing(style_)); }
  double Ascent() const { return Scaled(family_->GetCellAscent(style_)); }

 private:
  std::wstring text_;
  const Gdiplus::FontFamily* family_ = nullptr;
  Gdiplus::REAL em_ = 0;
  int style_ = 0;
  bool underline_ = false, strikeout_ = false;
  std::unique_ptr<Gdiplus::Font> font_;
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
void Fade(std::vector<std::uint32_t>& pixels, double opacity) {
  const std::uint32_t scale = static_cast<std::uint32_t>(std::lround(opacity * 256));
  for (std::uint32_t& p : pixels) {
    const std::uint32_t rb = (((p & 0x00FF00FFu) * scale + 0x00800080u) >> 8) & 0x00FF00FFu;
    const std::uint32_t ag = (((p >> 8) & 0x00FF00FFu) * scale + 0x00800080u) & 0xFF00FF00u;
    p = ag | rb;
  }
}

struct Point {
  double x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

Gdiplus::PointF F(const Point& p) { return {static_cast<Gdiplus::REAL>(p.x), static_cast<Gdiplus::REAL>(p.y)}; }

class GdiplusCanvas final : public Canvas {
 public:
  explicit GdiplusCanvas(const PixelBuffer& target) {
    // GDI+ refuses an empty bitmap; a canvas on one still measures text and draws nowhere.
    PixelBuffer buffer = target;
    if (buffer.width <= 0 || buffer.height <= 0 || !buffer.bits) buffer = {reinterpret_cast<std::uint8_t*>(&nowhere_), 1, 1, 4};
    bitmap_ = Wrap(buffer);
    if (bitmap_->GetLastStatus() != Gdiplus::Ok) throw std::runtime_error("The canvas cannot draw into this buffer");
    graphics_ = std::make_unique<Gdiplus::Graphics>(bitmap_.get());
    if (graphics_->GetLastStatus() != Gdiplus::Ok) throw std::runtime_error("The canvas cannot draw into this buffer");
    // Pixel (i, j) covers the square from (i, j) to (i + 1, j + 1), so whole-number rectangles fill
    // whole pixels and half-pixel lines land on one.
    graphics_->SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics_->SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
    SetAntialias(true);
    ResetPath();
  }
  GdiplusCanvas(const GdiplusCanvas&) = delete;
  GdiplusCanvas& operator=(const GdiplusCanvas&) = delete;
  ~GdiplusCanvas() override {
    graphics_->Flush(Gdiplus::FlushIntentionSync);
  }

  void Save() override { states_.push_back(graphics_->Save()); }
  void Restore() override {
    if (states_.empty()) return;
    graphics_->Restore(states_.back());
    states_.pop_back();
  }
  void Translate(double dx, double dy) override {
    graphics_->TranslateTransform(static_cast<Gdiplus::REAL>(dx), static_cast<Gdiplus::REAL>(dy));
  }
  void ClipRect(double x, double y, double w, double h) override {
    graphics_->IntersectClip(Gdiplus::RectF(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y),
                                            static_cast<Gdiplus::REAL>(std::max(w, 0.0)),
                                            static_cast<Gdiplus::REAL>(std::max(h, 0.0))));
    ResetPath();
  }
  void ClipPath() override {
    graphics_->SetClip(path_.get(), Gdiplus::CombineModeIntersect);
    ResetPath();
  }
  void SetAntialias(bool on) override {
    graphics_->SetSmoothingMode(on ? Gdiplus::SmoothingModeAntiAlias : Gdiplus::SmoothingModeNone);
    // Grey-scale coverage, never ClearType: sub-pixel colour fringes would break the text's hue on
    // a transparent buffer.
    graphics_->SetTextRenderingHint(on ? Gdiplus::TextRenderingHintAntiAliasGridFit
                                       : Gdiplus::TextRenderingHintSingleBitPerPixelGridFit);
  }

  void MoveTo(double x, double y) override {
    path_->StartFigure();
    current_ = start_ = {x, y};
    hasCurrent_ = true;
  }
  void LineTo(double x, double y) override {
    if (!hasCurrent_) return MoveTo(x, y);
    path_->AddLine(F(current_), F({x, y}));
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
      path_->AddLine(F(current_), F(first));
    }
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (std::numbers::pi / 2) - 1e-9)));
    const double step = sweep / pieces;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < pieces; ++i, a += step) {
      const double b = a + step;
      const Point p0 = at(a), p3 = at(b);
      const Point c1{p0.x - k * rx * std::sin(a), p0.y + k * ry * std::cos(a)};
      const Point c2{p3.x + k * rx * std::sin(b), p3.y - k * ry * std::cos(b)};
      path_->AddBezier(F(p0), F(c1), F(c2), F(p3));
    }
    current_ = at(startDegrees * std::numbers::pi / 180 + sweep);
  }
  void Rectangle(double x, double y, double w, double h) override {
    MoveTo(x, y);
    LineTo(x + w, y);
    LineTo(x + w, y + h);
    LineTo(x, y + h);
    ClosePath();
  }
  void ClosePath() override {
    path_->CloseFigure();
    current_ = start_;
  }
  void FillPath(std::uint32_t color) override {
    Gdiplus::SolidBrush brush(ColorOf(color));
    graphics_->FillPath(&brush, path_.get());
    ResetPath();
  }
  void StrokePath(std::uint32_t color, double penWidth) override {
    if (penWidth > 0) {
      Gdiplus::Pen pen(ColorOf(color), static_cast<Gdiplus::REAL>(penWidth));
      graphics_->DrawPath(&pen, path_.get());
    }
    ResetPath();
  }
  void Clear(std::uint32_t color) override {
    // Replacing, not blending: the compositing mode decides that, and the clip still holds.
    Save();
    graphics_->SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    graphics_->SetSmoothingMode(Gdiplus::SmoothingModeNone);
    graphics_->ResetTransform();
    Gdiplus::SolidBrush brush(ColorOf(color));
    graphics_->FillRectangle(&brush, 0, 0, static_cast<INT>(bitmap_->GetWidth()), static_cast<INT>(bitmap_->GetHeight()));
    Restore();
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
    if (opacity < 1) {
      if (copy.empty()) copy = Resample(image, width, height);
      Fade(copy, opacity);
      source = {reinterpret_cast<std::uint8_t*>(copy.data()), width, height, width * 4};
    }
    std::unique_ptr<Gdiplus::Bitmap> picture = Wrap(source);
    if (picture->GetLastStatus() != Gdiplus::Ok) return;
    // Only a fractional size is left for GDI+ to scale; mirroring beyond the edge keeps the border
    // pixels from fading out then.
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    graphics_->DrawImage(picture.get(),
                         Gdiplus::RectF(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y),
                                        static_cast<Gdiplus::REAL>(w), static_cast<Gdiplus::REAL>(h)),
                         0, 0, static_cast<Gdiplus::REAL>(source.width), static_cast<Gdiplus::REAL>(source.height),
                         Gdiplus::UnitPixel, &attributes);
  }

  TextExtent MeasureText(const TextFont& font, const std::string& text) override {
    Line line(font, text);
    return line.Usable() ? TextExtent{Width(line), line.LineSpacing(), line.Ascent()} : TextExtent{};
  }
  void DrawText(const TextFont& font, const std::string& text, double x, double y, std::uint32_t color) override {
    Line line(font, text);
    if (!line.Usable() || line.Text().empty()) return;
    Gdiplus::SolidBrush brush(ColorOf(color));
    graphics_->DrawString(line.Text().c_str(), static_cast<INT>(line.Text().size()), &line.Font(),
                          Gdiplus::PointF(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y)), &LineFormat(),
                          &brush);
    if (!line.Decorated()) return;
    const win32::Decorations lines = win32::DecorationsOf(line.Family(), font);
    const double width = Width(line), baseline = y + line.Ascent();
    // On whole pixels, so a thin rule stays sharp.
    auto rule = [&](double below, double size) {
      const double thickness = std::max(1.0, std::round(size));
      graphics_->FillRectangle(&brush, static_cast<Gdiplus::REAL>(x),
                               static_cast<Gdiplus::REAL>(std::round(baseline + below - thickness / 2)),
                               static_cast<Gdiplus::REAL>(width), static_cast<Gdiplus::REAL>(thickness));
    };
    if (line.Underline()) rule(lines.underline, lines.underlineSize);
    if (line.Strikeout()) rule(lines.strikeout, lines.strikeoutSize);
  }
  bool HasGlyphs(const TextFont& font, const std::string& text) override {
    if (text.empty()) return true;
    const Gdiplus::FontFamily* family = DrawingFamily(font.family);
    return family && win32::FamilyHasGlyphs(*family, font, Wide(text));
  }

 private:
  double Width(const Line& line) {
    if (line.Text().empty()) return 0;
    Gdiplus::RectF box;
    graphics_->MeasureString(line.Text().c_str(), static_cast<INT>(line.Text().size()), &line.Font(), Gdiplus::PointF(0, 0),
                             &LineFormat(), &box);
    return box.Width;
  }

  void ResetPath() {
    path_ = std::make_unique<Gdiplus::GraphicsPath>(Gdiplus::FillModeWinding);
    hasCurrent_ = false;
  }

  std::uint32_t nowhere_ = 0;
  std::unique_ptr<Gdiplus::Bitmap> bitmap_;
  std::unique_ptr<Gdiplus::Graphics> graphics_;
  std::unique_ptr<Gdiplus::GraphicsPath> path_;
  std::vector<Gdiplus::GraphicsState> states_;
  Point current_, start_;
  bool hasCurrent_ = false;
};

}  // namespace

bool CanvasSupported() { return true; }

std::unique_ptr<Canvas> CreateCanvas(const PixelBuffer& target) {
  win32::StartGdiplus();
  return std::make_unique<GdiplusCanvas>(target);
}

}  // namespace platform
