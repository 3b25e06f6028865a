// Test support: writes small PNG files of any colour type and depth of 8 bits or more, interlaced or
// not, cycling through the five row filters so that readers meet each of them.
#pragma once

#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace testsupport {

struct TPngFile {
  int width = 1;
  int height = 1;
  std::uint8_t colorType = 6;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
  std::uint8_t bitDepth = 8;   // 8 or 16
  bool interlaced = false;
  std::vector<std::uint8_t> samples;       // rows packed, channels in the file's order
  std::vector<std::uint8_t> palette;       // RGB triples
  std::vector<std::uint8_t> transparency;  // the tRNS chunk, when not empty
};

inline std::vector<std::uint8_t> WritePng(const TPngFile& file) {
  const int channels = file.colorType == 2 ? 3 : file.colorType == 4 ? 2 : file.colorType == 6 ? 4 : 1;
  const int bpp = channels * file.bitDepth / 8;
  const std::size_t rowBytes = std::size_t(file.width) * bpp;

  struct TPass {
    int x, y, dx, dy;
  };
  std::vector<TPass> passes{{0, 0, 1, 1}};
  if (file.interlaced) passes = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  std::vector<std::uint8_t> raw;
  int rowCount = 0;
  for (const TPass& p : passes) {
    std::vector<std::uint8_t> prior;
    for (int y = p.y; y < file.height; y += p.dy) {
      std::vector<std::uint8_t> row;
      for (int x = p.x; x < file.width; x += p.dx)
        row.insert(row.end(), file.samples.begin() + y * rowBytes + x * bpp, file.samples.begin() + y * rowBytes + (x + 1) * bpp);
      if (row.empty()) break;
      if (prior.empty()) prior.assign(row.size(), 0);
      const std::uint8_t filter = rowCount++ % 5;
      raw.push_back(filter);
      for (std::size_t i = 0; i < row.size(); ++i) {
        const int a = i >= std::size_t(bpp) ? row[i - bpp] : 0, b = prior[i], c = i >= std::size_t(bpp) ? prior[i - bpp] : 0;
        const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
        const int paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        const int predictor[] = {0, a, b, (a + b) / 2, paeth};
        raw.push_back(static_cast<std::uint8_t>(row[i] - predictor[filter]));
      }
      prior = row;
    }
  }

  std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto put32 = [](std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<std::uint8_t>(v >> shift));
  };
  auto chunk = [&](const char* type, const std::vector<std::uint8_t>& body) {
    put32(png, static_cast<std::uint32_t>(body.size()));
    std::vector<std::uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    png.insert(png.end(), typed.begin(), typed.end());
    put32(png, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
  };
  std::vector<std::uint8_t> header;
  put32(header, file.width);
  put32(header, file.height);
  header.insert(header.end(), {file.bitDepth, file.colorType, 0, 0, std::uint8_t(file.interlaced ? 1 : 0)});
  chunk("IHDR", header);
  if (!file.palette.empty()) chunk("PLTE", file.palette);
  if (!file.transparency.empty()) chunk("tRNS", file.transparency);
  std::vector<std::uint8_t> deflated(compressBound(static_cast<uLong>(raw.size())));
  uLongf size = static_cast<uLongf>(deflated.size());
  compress(deflated.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
  deflated.resize(size);
  chunk("IDAT", deflated);
  chunk("IEND", {});
  return png;
}

}  // namespace testsupport
