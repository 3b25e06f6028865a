// A picture loaded from PNG data into a premultiplied bitmap, with the file's own samples at hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "ui/bitmap.h"

namespace ui {

// The colour types a PNG file declares, by their numbers in the file.
enum class TPngColorType : std::uint8_t { Grey = 0, TrueColor = 2, Palette = 3, GreyAlpha = 4, TrueColorAlpha = 6 };

class TPicture {
 public:
  // Throws std::runtime_error "Not a PNG picture" for data that is not one.
  void LoadFromMemory(const void* data, std::size_t size);
  void LoadFromFile(const std::filesystem::path& path);

  const TBitmap& Bitmap() const { return bitmap_; }
  int Width() const { return bitmap_.Width(); }
  int Height() const { return bitmap_.Height(); }
  bool Empty() const { return bitmap_.Empty(); }

  // What the file declares, for code that converts by the file's own samples rather than the
  // decoded bitmap.
  TPngColorType ColorType() const { return colorType_; }
  int BitDepth() const { return bitDepth_; }  // bits per sample; 0 while empty
  // Palette entries as opaque straight colours.
  const std::vector<TAlphaColor>& Palette() const { return palette_; }
  // The transparency chunk as stored: alpha per palette index (missing ones are opaque), or the
  // transparent grey or colour.
  const std::vector<std::uint8_t>& Transparency() const { return transparency_; }
  // The samples of row y in the file's channel order, unfiltered and de-interlaced (palette pictures
  // hold indexes); for 8-bit pictures only, null otherwise. Read from the file's data on first use,
  // so pictures that are only drawn are inflated once, by the decoder.
  const std::uint8_t* Samples(int y) const;

 private:
  TBitmap bitmap_;
  TPngColorType colorType_ = TPngColorType::TrueColorAlpha;
  int bitDepth_ = 0;
  std::vector<TAlphaColor> palette_;
  std::vector<std::uint8_t> transparency_;
  bool interlaced_ = false;
  mutable std::vector<std::uint8_t> deflated_;  // the image data chunks, until the samples are read
  mutable std::vector<std::uint8_t> samples_;
};

}  // namespace ui
