// Drawing into a 32-bit premultiplied BGRA pixel buffer: paths, images, text and the fonts behind it.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <span>
#include <string>
#include <vector>

namespace platform {

// A buffer the caller owns; it must outlive every canvas made on it. Rows are `stride` bytes apart;
// each pixel is a little-endian 0xAARRGGBB word with premultiplied colour channels.
struct PixelBuffer {
  std::uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
};

// Copies the top-left `width` x `height` pixels of `image` to `target`, whose rows are `pitch` bytes
// apart: how a picture reaches a window's or a screen's own memory.
void CopyPixelRows(const PixelBuffer& image, void* target, std::size_t pitch, int width, int height);

struct TextFont {
  std::string family = "Segoe UI";
  // Points at 96 dots per inch unless `sizeInPixels`.
  double size = 9;
  bool sizeInPixels = false;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
};

struct TextExtent {
  double width = 0;
  double height = 0;
  double baseline = 0;  // from the top of the line to its baseline
};

// Colours are straight 0xAARRGGBB; coordinates are pixels, (0, 0) the top-left corner of the buffer.
// A path is built with the path calls and consumed by FillPath or StrokePath.
class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual void Save() = 0;
  virtual void Restore() = 0;
  virtual void Translate(double dx, double dy) = 0;
  // Narrows the clip to the rectangle (intersected with the current clip) until the next Restore.
  virtual void ClipRect(double x, double y, double w, double h) = 0;
  // Narrows the clip to the current path and clears the path.
  virtual void ClipPath() = 0;
  virtual void SetAntialias(bool on) = 0;

  virtual void MoveTo(double x, double y) = 0;
  virtual void LineTo(double x, double y) = 0;
  // An elliptic arc inside the box (x, y, w, h), from `startDegrees` sweeping `sweepDegrees`,
  // angles clockwise from three o'clock; it joins the path with a line from the current point.
  virtual void ArcTo(double x, double y, double w, double h, double startDegrees, double sweepDegrees) = 0;
  virtual void Rectangle(double x, double y, double w, double h) = 0;
  virtual void ClosePath() = 0;
  virtual void FillPath(std::uint32_t color) = 0;
  virtual void StrokePath(std::uint32_t color, double penWidth) = 0;
  // Replaces the pixels of the rectangle, alpha included, regardless of the clip's antialiasing.
  virtual void Clear(std::uint32_t color) = 0;

  // Draws the whole of `image` scaled into (x, y, w, h), its alpha multiplied by `opacity` (0..1).
  virtual void DrawImage(const PixelBuffer& image, double x, double y, double w, double h, double opacity) = 0;

  virtual TextExtent MeasureText(const TextFont& font, const std::string& text) = 0;
  // Draws one line of UTF-8 text with the top-left corner of its line box at (x, y).
  virtual void DrawText(const TextFont& font, const std::string& text, double x, double y, std::uint32_t color) = 0;
  // Whether every character of the text gets a real glyph, from the font or from a fallback font the
  // system picks; false when any would come out as the missing-glyph box.
  virtual bool HasGlyphs(const TextFont& font, const std::string& text) = 0;
};

std::unique_ptr<Canvas> CreateCanvas(const PixelBuffer& target);
// Does ahead, on any thread, what the first drawing of the process would otherwise wait for (loading
// the drawing libraries, reading the system's font configuration). Never needed, never throws: a
// failure is left for the first drawing to report.
void PrepareCanvas();

// The installed family text in `family` is drawn with after fontconfig's aliases ("Segoe UI" maps to
// an installed sans family).
std::string ResolveFontFamily(const std::string& family);

// Whether the family is installed as itself, not only reached through an alias or a fallback.
bool FontFamilyInstalled(const std::string& family);
// Makes a font held in memory usable by this process's drawing, under the family the font names.
// Throws std::runtime_error when the system refuses it.
void RegisterPrivateFont(std::span<const std::uint8_t> data);

struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // premultiplied, rows packed
};
// Throws std::runtime_error "Not a PNG picture" when the data cannot be read as one.
DecodedImage DecodePng(const void* data, std::size_t size);

}  // namespace platform
