// Driving zlib's deflate over input of any size.
#include "tools/pack/deflater.h"

#include <algorithm>
#include <stdexcept>

namespace pack {

TDeflater::TDeflater(TDeflateFormat format, int level, int memoryLevel) {
  // Negative window bits: raw deflate; 16 + window bits: zlib writes the gzip header and trailer.
  int windowBits = format == TDeflateFormat::Raw ? -MAX_WBITS : 16 + MAX_WBITS;
  if (deflateInit2(&stream_, level, Z_DEFLATED, windowBits, memoryLevel, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("cannot start compressing");
}

TDeflater::~TDeflater() { deflateEnd(&stream_); }

void TDeflater::Write(std::span<const unsigned char> data, bool finish, const TSink& sink) {
  // zlib counts in 32 bits: larger input goes in pieces.
  constexpr std::size_t kPiece = 1u << 30;
  unsigned char out[1 << 16];
  do {
    std::size_t piece = std::min(data.size(), kPiece);
    bool last = piece == data.size();
    stream_.next_in = const_cast<unsigned char*>(data.data());
    stream_.avail_in = static_cast<uInt>(piece);
    int flush = finish && last ? Z_FINISH : Z_NO_FLUSH;
    int result;
    do {
      stream_.next_out = out;
      stream_.avail_out = sizeof out;
      result = deflate(&stream_, flush);
      if (result == Z_STREAM_ERROR) throw std::runtime_error("cannot compress");
      sink(std::span<const unsigned char>(out, sizeof out - stream_.avail_out));
    } while (stream_.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
    data = data.subspan(piece);
  } while (!data.empty());
}

}  // namespace pack
