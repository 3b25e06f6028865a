// The Linux canvas: cairo on the caller's pixel buffer, pango for text, fontconfig for font aliases.
#include "drawing_api.h"
#include "xdg_folders.h"
#include <unistd.h>

#include <filesystem>

#include <cmath>
#include <cstring>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "platform/canvas.h"
#include "platform/environment.h"
#include "platform/files.h"

namespace platform {
namespace {

// The framework asks for Windows' faces by name; prefer installed sans families with similar metrics
// before fontconfig's generic fallback, so a missing face never ends as a serif.
constexpr const char* kAliases = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <alias binding="same">
    <family>Segoe UI</family>
    <prefer><family>DejaVu Sans</family><family>Noto Sans</family><family>Liberation Sans</family><family>sans-serif</family></prefer>
  </alias>
</fontconfig>)";

// fontconfig's configuration with the aliases in place: they must be there before pango builds its
// font map, which caches fontconfig's answers. Reading the system's configuration is the slow part of
// the first drawing, so a window may have it done on another thread (PrepareCanvas); every use goes
// through here, so none touches the configuration while that thread still changes it.
FcConfig* FontConfig() {
  static std::once_flag once;
  std::call_once(once, [] {
    FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(kAliases), FcFalse);
  });
  return FcConfigGetCurrent();
}

// pango keeps one default font map per thread: this is the calling thread's.
PangoFontMap* FontMap() {
  FontConfig();
  return pango_cairo_font_map_get_default();
}

// Laying a text out is the dearest part of measuring it, and windows measure the same few texts
// over and over: the installer's first page asks some thousand times before its first frame, four
// times in five for a text and font it asked for before. Answers are kept per font and text while
// the fonts stay as they are; a font registered later clears them.
class MeasureCache {
 public:
  static std::string Key(const TextFont& font, const std::string& text) {
    std::string key = font.family;
    key += '\0';
    key += std::to_string(font.size);
    key += font.sizeInPixels ? 'p' : 'P';
    key += font.bold ? 'b' : 'B';
    key += font.italic ? 'i' : 'I';
    key += font.underline ? 'u' : 'U';
    key += font.strikeout ? 's' : 'S';
    key += '\0';
    key += text;
    return key;
  }
  std::optional<TextExtent> Find(const std::string& key) {
    std::lock_guard lock(mutex_);
    auto found = answers_.find(key);
    if (found == answers_.end()) return std::nullopt;
    return found->second;
  }
  void Keep(std::string key, const TextExtent& extent) {
    std::lock_guard lock(mutex_);
    // A bound, not an eviction policy: a program that measures this much text starts over.
    if (answers_.size() >= kMaxAnswers) answers_.clear();
    answers_.emplace(std::move(key), extent);
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    answers_.clear();
  }

 private:
  static constexpr std::size_t kMaxAnswers = 8192;
  std::mutex mutex_;
  std::unordered_map<std::string, TextExtent> answers_;
};

// Process-wide, as the fonts it answers for are.
MeasureCache& Measured() {
  static MeasureCache cache;
  return cache;
}

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
void FreeFontDescription(PangoFontDescription* p) { pango_font_description_free(p); }
using FontDescription = std::unique_ptr<PangoFontDescription, Deleter<PangoFontDescription, FreeFontDescription>>;

void GObjectUnref(void* p) { g_object_unref(p); }
template <typename T>
using GObject = std::unique_ptr<T, Deleter<void, GObjectUnref>>;

FontDescription Describe(const TextFont& font) {
  FontDescription desc(pango_font_description_new());
  pango_font_description_set_family(desc.get(), font.family.c_str());
  const double pixels = font.sizeInPixels ? font.size : font.size * 96.0 / 72.0;
  pango_font_description_set_absolute_size(desc.get(), pixels * PANGO_SCALE);
  pango_font_description_set_weight(desc.get(), font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(desc.get(), font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return desc;
}

void SetSource(cairo_t* cr, std::uint32_t color) {
  cairo_set_source_rgba(cr, ((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, (color & 0xFF) / 255.0,
                        (color >> 24) / 255.0);
}

cairo_surface_t* Wrap(const PixelBuffer& buffer) {
  return cairo_image_surface_create_for_data(buffer.bits, CAIRO_FORMAT_ARGB32, buffer.width, buffer.height, buffer.stride);
}

class CairoCanvas final : public Canvas {
 public:
  explicit CairoCanvas(const PixelBuffer& target) : surface_(Wrap(target)), cr_(cairo_create(surface_)) {
    if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
      std::string message = cairo_status_to_string(cairo_status(cr_));
      cairo_destroy(cr_);
      cairo_surface_destroy(surface_);
      throw std::runtime_error("The canvas cannot draw into this buffer: " + message);
    }
    layout_.reset(pango_cairo_create_layout(cr_));
  }
  ~CairoCanvas() override {
    layout_.reset();
    cairo_destroy(cr_);
    cairo_surface_flush(surface_);
    cairo_surface_destroy(surface_);
  }
  CairoCanvas(const CairoCanvas&) = delete;
  CairoCanvas& operator=(const CairoCanvas&) = delete;

  void Save() override { cairo_save(cr_); }
  void Restore() override { cairo_restore(cr_); }
  void Translate(double dx, double dy) override { cairo_translate(cr_, dx, dy); }
  void ClipRect(double x, double y, double w, double h) override {
    cairo_new_path(cr_);
    cairo_rectangle(cr_, x, y, w, h);
    cairo_clip(cr_);
  }
  void ClipPath() override { cairo_clip(cr_); }
  void SetAntialias(bool on) override { cairo_set_antialias(cr_, on ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE); }

  void MoveTo(double x, double y) override { cairo_move_to(cr_, x, y); }
  void LineTo(double x, double y) override { cairo_line_to(cr_, x, y); }
  void ArcTo(double x, double y, double w, double h, double startDegrees, double sweepDegrees) override {
    if (w <= 0 || h <= 0) return;
    // cairo draws circular arcs only: draw one on a unit circle scaled into the box.
    cairo_save(cr_);
    cairo_translate(cr_, x + w / 2, y + h / 2);
    cairo_scale(cr_, w / 2, h / 2);
    const double a1 = startDegrees * M_PI / 180, a2 = (startDegrees + sweepDegrees) * M_PI / 180;
    if (sweepDegrees >= 0)
      cairo_arc(cr_, 0, 0, 1, a1, a2);
    else
      cairo_arc_negative(cr_, 0, 0, 1, a1, a2);
    cairo_restore(cr_);
  }
  void Rectangle(double x, double y, double w, double h) override { cairo_rectangle(cr_, x, y, w, h); }
  void ClosePath() override { cairo_close_path(cr_); }
  void FillPath(std::uint32_t color) override {
    SetSource(cr_, color);
    cairo_fill(cr_);
  }
  void StrokePath(std::uint32_t color, double penWidth) override {
    SetSource(cr_, color);
    cairo_set_line_width(cr_, penWidth);
    cairo_stroke(cr_);
  }
  void Clear(std::uint32_t color) override {
    cairo_save(cr_);
    cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
    SetSource(cr_, color);
    cairo_paint(cr_);
    cairo_restore(cr_);
  }

  void DrawImage(const PixelBuffer& image, double x, double y, double w, double h, double opacity) override {
    if (image.width <= 0 || image.height <= 0 || w <= 0 || h <= 0) return;
    cairo_surface_t* source = Wrap(image);  // only read from
    cairo_save(cr_);
    cairo_new_path(cr_);
    cairo_rectangle(cr_, x, y, w, h);
    cairo_clip(cr_);
    cairo_translate(cr_, x, y);
    cairo_scale(cr_, w / image.width, h / image.height);
    cairo_set_source_surface(cr_, source, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
    // Scaling samples beyond the edge; padding keeps the border pixels from fading into nothing.
    cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
    cairo_paint_with_alpha(cr_, opacity);
    cairo_restore(cr_);
    cairo_surface_destroy(source);
  }

  TextExtent MeasureText(const TextFont& font, const std::string& text) override {
    // Metrics are hinted on the device's pixel grid, so only a canvas that is not scaled and sits on
    // whole pixels measures as every other does.
    cairo_matrix_t m;
    cairo_get_matrix(cr_, &m);
    const bool usual = m.xx == 1 && m.yy == 1 && m.xy == 0 && m.yx == 0 && m.x0 == std::floor(m.x0) &&
                       m.y0 == std::floor(m.y0);
    std::string key;
    if (usual) {
      key = MeasureCache::Key(font, text);
      if (std::optional<TextExtent> known = Measured().Find(key)) return *known;
    }
    Prepare(font, text);
    PangoRectangle logical;
    pango_layout_get_extents(layout_.get(), nullptr, &logical);
    const TextExtent extent{logical.width / double(PANGO_SCALE), logical.height / double(PANGO_SCALE),
                            pango_layout_get_baseline(layout_.get()) / double(PANGO_SCALE)};
    if (usual) Measured().Keep(std::move(key), extent);
    return extent;
  }
  void DrawText(const TextFont& font, const std::string& text, double x, double y, std::uint32_t color) override {
    Prepare(font, text);
    cairo_new_path(cr_);
    cairo_move_to(cr_, x, y);
    SetSource(cr_, color);
    pango_cairo_show_layout(cr_, layout_.get());
  }
  bool HasGlyphs(const TextFont& font, const std::string& text) override {
    Prepare(font, text);
    return pango_layout_get_unknown_glyphs_count(layout_.get()) == 0;
  }

 private:
  void Prepare(const TextFont& font, const std::string& text) {
    FontMap();
    FontDescription desc = Describe(font);
    pango_layout_set_font_description(layout_.get(), desc.get());
    PangoAttrList* attributes = pango_attr_list_new();
    if (font.underline) pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (font.strikeout) pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
    pango_layout_set_attributes(layout_.get(), attributes);
    pango_attr_list_unref(attributes);
    pango_layout_set_text(layout_.get(), text.data(), static_cast<int>(text.size()));
    pango_cairo_update_layout(cr_, layout_.get());
  }

  cairo_surface_t* surface_;
  cairo_t* cr_;
  GObject<PangoLayout> layout_;
};

struct PngReader {
  const unsigned char* data;
  std::size_t size;
  std::size_t at = 0;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length) {
  auto* reader = static_cast<PngReader*>(closure);
  if (reader->size - reader->at < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, reader->data + reader->at, length);
  reader->at += length;
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

void PrepareCanvas() {
  try {
    FontConfig();
  } catch (const std::exception&) {
    // The libraries cannot be loaded: the first drawing says so, on the thread that wanted it.
  }
}

std::unique_ptr<Canvas> CreateCanvas(const PixelBuffer& target) {
  // pango's font map must see the aliases before the first layout.
  FontMap();
  return std::make_unique<CairoCanvas>(target);
}

std::string ResolveFontFamily(const std::string& family) {
  PangoFontMap* map = FontMap();
  GObject<PangoContext> context(pango_font_map_create_context(map));
  TextFont wanted;
  wanted.family = family;
  FontDescription desc = Describe(wanted);
  GObject<PangoFont> font(pango_font_map_load_font(map, context.get(), desc.get()));
  if (!font) return {};
  FontDescription found(pango_font_describe(font.get()));
  const char* name = pango_font_description_get_family(found.get());
  return name ? name : "";
}

bool FontFamilyInstalled(const std::string& family) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* fonts = FcFontList(FontConfig(), pattern, objects);
  bool found = fonts && fonts->nfont > 0;
  if (fonts) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return found;
}

void RegisterPrivateFont(std::span<const std::uint8_t> data) {
  // fontconfig takes fonts from files only: the data goes to a file of this user's, named for its
  // contents so every process of the same build shares one.
  std::uint64_t hash = 1469598103934665603ull;
  for (std::uint8_t b : data) hash = (hash ^ b) * 1099511628211ull;
  std::filesystem::path folder = RuntimeFolder("vel-fonts", "vel-fonts");
  std::error_code ec;
  std::filesystem::path file = folder / (std::to_string(data.size()) + "-" + std::to_string(hash) + ".ttf");
  if (!std::filesystem::exists(file, ec)) ReplaceFileWith(file, data, ".part");
  if (!FcConfigAppFontAddFile(FontConfig(), reinterpret_cast<const FcChar8*>(file.c_str())))
    throw std::runtime_error("The font " + file.string() + " cannot be used");
  // pango keeps fontconfig's earlier answers until told that the fonts changed, and so do we.
  pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(FontMap()));
  Measured().Clear();
}

DecodedImage DecodePng(const void* data, std::size_t size) {
  PngReader reader{static_cast<const unsigned char*>(data), size};
  cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(ReadPng, &reader);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    throw std::runtime_error("Not a PNG picture");
  }
  // cairo hands back ARGB32 for pictures with alpha and RGB24 (alpha byte undefined) for those without.
  const cairo_format_t format = cairo_image_surface_get_format(surface);
  DecodedImage image;
  image.width = cairo_image_surface_get_width(surface);
  image.height = cairo_image_surface_get_height(surface);
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  cairo_surface_flush(surface);
  const unsigned char* bits = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < image.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(bits + static_cast<std::size_t>(y) * stride);
    std::uint32_t* out = image.pixels.data() + static_cast<std::size_t>(y) * image.width;
    for (int x = 0; x < image.width; ++x) out[x] = format == CAIRO_FORMAT_RGB24 ? (row[x] | 0xFF000000u) : row[x];
  }
  cairo_surface_destroy(surface);
  return image;
}

}  // namespace platform
