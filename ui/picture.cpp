// PNG pictures: decoded behind the seam, their chunks and 8-bit samples read here.
#include "ui/picture.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "platform/canvas.h"

namespace ui {
namespace {

std::uint32_t BigEndian(const std::uint8_t* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

int Channels(TPngColorType type) {
  switch (type) {
    case TPngColorType::TrueColor: return 3;
    case TPngColorType::GreyAlpha: return 2;
    case TPngColorType::TrueColorAlpha: return 4;
    default: return 1;
  }
}

// Undoes one row's filter in place; `prior` is the row above after its own unfiltering (zeros for the first).
void Unfilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* prior, std::size_t length, int bpp) {
  for (std::size_t i = 0; i < length; ++i) {
    const int a = i >= std::size_t(bpp) ? row[i - bpp] : 0, b = prior[i], c = i >= std::size_t(bpp) ? prior[i - bpp] : 0;
    int predictor = 0;
    switch (filter) {
      case 1: predictor = a; break;
      case 2: predictor = b; break;
      case 3: predictor = (a + b) / 2; break;
      case 4: {
        const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        break;
      }
    }
    row[i] = static_cast<std::uint8_t>(row[i] + predictor);
  }
}

// The passes of Adam7 interlacing: first column and row, then their steps. A plain picture is one pass.
struct TPass {
  int x, y, dx, dy;
};
constexpr std::array<TPass, 7> Adam7{{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}};

// The 8-bit samples of the whole picture, rows packed; empty when the data holds something this
// reader does not follow (the decoded bitmap is still there for such a picture).
std::vector<std::uint8_t> ReadSamples(const std::vector<std::uint8_t>& deflated, int width, int height, int channels,
                                      bool interlaced) {
  const std::size_t rowBytes = std::size_t(width) * channels;
  std::vector<TPass> passes;
  if (interlaced)
    passes.assign(Adam7.begin(), Adam7.end());
  else
    passes.push_back({0, 0, 1, 1});
  auto passSize = [&](const TPass& p) {
    return std::pair<int, int>{width > p.x ? (width - p.x + p.dx - 1) / p.dx : 0,
                               height > p.y ? (height - p.y + p.dy - 1) / p.dy : 0};
  };
  std::size_t expected = 0;
  for (const TPass& p : passes) {
    auto [w, h] = passSize(p);
    if (w > 0) expected += std::size_t(h) * (1 + std::size_t(w) * channels);
  }
  std::vector<std::uint8_t> raw(expected);
  uLongf inflated = static_cast<uLongf>(expected);
  if (uncompress(raw.data(), &inflated, deflated.data(), static_cast<uLong>(deflated.size())) != Z_OK ||
      inflated != expected)
    return {};

  std::vector<std::uint8_t> samples(rowBytes * height);
  const std::uint8_t* in = raw.data();
  for (const TPass& p : passes) {
    auto [w, h] = passSize(p);
    if (w == 0) continue;
    const std::size_t length = std::size_t(w) * channels;
    std::vector<std::uint8_t> prior(length, 0), row(length);
    for (int y = 0; y < h; ++y) {
      const std::uint8_t filter = *in++;
      if (filter > 4) return {};
      std::memcpy(row.data(), in, length);
      in += length;
      Unfilter(filter, row.data(), prior.data(), length, channels);
      std::uint8_t* out = samples.data() + std::size_t(p.y + y * p.dy) * rowBytes;
      for (int x = 0; x < w; ++x) std::memcpy(out + std::size_t(p.x + x * p.dx) * channels, &row[std::size_t(x) * channels], channels);
      std::swap(prior, row);
    }
  }
  return samples;
}

}  // namespace

void TPicture::LoadFromMemory(const void* data, std::size_t size) {
  platform::DecodedImage image = platform::DecodePng(data, size);
  TBitmap bitmap(image.width, image.height);
  for (int y = 0; y < image.height; ++y)
    std::copy_n(image.pixels.data() + static_cast<std::size_t>(y) * image.width, image.width, bitmap.ScanLine(y));

  // The decoder has accepted the data, so its signature and header chunk are sound.
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  TPngColorType colorType = TPngColorType::TrueColorAlpha;
  int bitDepth = 0;
  bool interlaced = false;
  std::vector<TAlphaColor> palette;
  std::vector<std::uint8_t> transparency, deflated;
  for (std::size_t at = 8; at + 12 <= size;) {
    const std::uint32_t length = BigEndian(bytes + at);
    if (length > size - at - 12) break;
    const std::uint8_t* body = bytes + at + 8;
    const std::string type(reinterpret_cast<const char*>(bytes + at + 4), 4);
    if (type == "IHDR" && length >= 13) {
      bitDepth = body[8];
      colorType = static_cast<TPngColorType>(body[9]);
      interlaced = body[12] == 1;
    } else if (type == "PLTE") {
      for (std::uint32_t i = 0; i + 3 <= length; i += 3) palette.push_back(MakeColor(body[i], body[i + 1], body[i + 2]));
    } else if (type == "tRNS") {
      transparency.assign(body, body + length);
    } else if (type == "IDAT") {
      deflated.insert(deflated.end(), body, body + length);
    } else if (type == "IEND") {
      break;
    }
    at += 12 + std::size_t(length);
  }

  bitmap_ = std::move(bitmap);
  colorType_ = colorType;
  bitDepth_ = bitDepth;
  palette_ = std::move(palette);
  transparency_ = std::move(transparency);
  interlaced_ = interlaced;
  deflated_ = bitDepth == 8 ? std::move(deflated) : std::vector<std::uint8_t>{};
  samples_.clear();
}

void TPicture::LoadFromFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("Cannot open the picture " + path.string());
  std::vector<char> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  LoadFromMemory(data.data(), data.size());
}

const std::uint8_t* TPicture::Samples(int y) const {
  if (samples_.empty() && !deflated_.empty()) {
    samples_ = ReadSamples(deflated_, Width(), Height(), Channels(colorType_), interlaced_);
    // Read once either way: data this reader does not follow leaves the decoded bitmap to stand for it.
    deflated_.clear();
    deflated_.shrink_to_fit();
  }
  if (samples_.empty() || y < 0 || y >= Height()) return nullptr;
  return samples_.data() + std::size_t(y) * Width() * Channels(colorType_);
}

}  // namespace ui
