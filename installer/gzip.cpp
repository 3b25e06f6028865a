// Inflating a gzip member held in memory, checked against its trailer.
#include "installer/gzip.h"

#include <zlib.h>

#include <limits>

namespace installer {

namespace {
constexpr std::size_t kGzipHeaderSize = 10, kGzipTrailerSize = 8;
}

std::uint64_t GzipInflatedSize(std::span<const std::uint8_t> member) {
  if (member.size() < kGzipHeaderSize + kGzipTrailerSize || member[0] != 0x1f || member[1] != 0x8b)
    throw EZipError("The carried data is not gzip-compressed");
  const std::uint8_t* trailer = member.data() + member.size() - kGzipTrailerSize;
  return static_cast<std::uint64_t>(trailer[4]) | static_cast<std::uint64_t>(trailer[5]) << 8 |
         static_cast<std::uint64_t>(trailer[6]) << 16 | static_cast<std::uint64_t>(trailer[7]) << 24;
}

std::vector<std::uint8_t> Gunzip(std::span<const std::uint8_t> member) {
  // zlib counts in 32 bits; what the installer carries is far smaller.
  if (member.size() > std::numeric_limits<uInt>::max()) throw EZipError("The carried data is too large");
  std::vector<std::uint8_t> out(static_cast<std::size_t>(GzipInflatedSize(member)));
  z_stream stream{};
  // 16 + window bits: zlib reads the gzip header and checks the trailer's CRC-32 and size itself.
  if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) throw EZipError("Cannot start decompressing");
  stream.next_in = const_cast<Bytef*>(member.data());
  stream.avail_in = static_cast<uInt>(member.size());
  // One more byte than the trailer promises: output beyond it shows a member that lies about its size.
  // (zlib refuses a null output pointer, which an empty vector may give.)
  std::uint8_t spare = 0;
  stream.next_out = out.empty() ? &spare : out.data();
  stream.avail_out = out.empty() ? 1 : static_cast<uInt>(out.size());
  int result = inflate(&stream, Z_FINISH);
  if (result == Z_BUF_ERROR && stream.avail_out == 0 && !out.empty()) {
    stream.next_out = &spare;
    stream.avail_out = 1;
    result = inflate(&stream, Z_FINISH);
  }
  const bool whole = result == Z_STREAM_END && stream.avail_in == 0 && stream.total_out == out.size();
  inflateEnd(&stream);
  if (!whole) throw EZipError("The carried data is damaged");
  return out;
}

}  // namespace installer
