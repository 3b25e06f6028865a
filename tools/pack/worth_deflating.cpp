// Judging a file by deflating its content, or evenly spread samples of it.
#include "tools/pack/worth_deflating.h"

#include <fstream>
#include <stdexcept>
#include <vector>

#include "tools/pack/deflater.h"

namespace pack {

namespace {

// Deflated output above this share of the input (in percent) is not worth inflating at install time.
constexpr std::uint64_t kWorthDeflatingPercent = 97;
constexpr std::uint64_t kSampleSize = 1 << 20;
constexpr std::uint64_t kSamples = 16;

std::vector<unsigned char> SampleOf(const std::filesystem::path& file, std::uint64_t size) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + file.string());
  std::vector<unsigned char> sample;
  auto readAt = [&](std::uint64_t at, std::uint64_t count) {
    std::size_t old = sample.size();
    sample.resize(old + count);
    in.seekg(static_cast<std::streamoff>(at));
    if (!in.read(reinterpret_cast<char*>(sample.data() + old), static_cast<std::streamsize>(count)))
      throw std::runtime_error("cannot read " + file.string());
  };
  if (size <= kSampleSize * kSamples) {
    readAt(0, size);
  } else {
    for (std::uint64_t i = 0; i < kSamples; ++i) readAt((size - kSampleSize) * i / (kSamples - 1), kSampleSize);
  }
  return sample;
}

}  // namespace

bool WorthDeflating(const std::filesystem::path& file, std::uint64_t size) {
  if (size == 0) return false;
  std::vector<unsigned char> sample = SampleOf(file, size);
  // Raw deflate at level 6, as the archive stores a deflated entry.
  std::uint64_t deflated = 0;
  TDeflater(TDeflateFormat::Raw, 6, 8).Write(sample, true, [&](std::span<const unsigned char> piece) {
    deflated += piece.size();
  });
  return deflated * 100 <= sample.size() * kWorthDeflatingPercent;
}

}  // namespace pack
