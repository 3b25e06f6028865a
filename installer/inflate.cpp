// The inflate back-ends: libdeflate for whole streams where the build has it, zlib for the rest.
#include "installer/inflate.h"

#include <zlib.h>
#if VEL_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <limits>
#include <new>

namespace installer {

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
#if VEL_HAVE_LIBDEFLATE
  return libdeflate_crc32(crc, data, size);
#else
  return static_cast<std::uint32_t>(crc32_z(crc, static_cast<const Bytef*>(data), size));
#endif
}

TWholeInflater::TWholeInflater() {
#if VEL_HAVE_LIBDEFLATE
  decompressor_ = libdeflate_alloc_decompressor();
  if (!decompressor_) throw std::bad_alloc();
#endif
}

TWholeInflater::~TWholeInflater() {
#if VEL_HAVE_LIBDEFLATE
  libdeflate_free_decompressor(static_cast<libdeflate_decompressor*>(decompressor_));
#endif
}

bool TWholeInflater::Inflate(const unsigned char* in, std::size_t inSize, unsigned char* out, std::size_t outSize) {
#if VEL_HAVE_LIBDEFLATE
  std::size_t used = 0, made = 0;
  return libdeflate_deflate_decompress_ex(static_cast<libdeflate_decompressor*>(decompressor_), in, inSize, out,
                                          outSize, &used, &made) == LIBDEFLATE_SUCCESS &&
         used == inSize && made == outSize;
#else
  // zlib counts in 32 bits.
  if (inSize > std::numeric_limits<uInt>::max() || outSize > std::numeric_limits<uInt>::max()) return false;
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
  stream.next_in = const_cast<Bytef*>(in);
  stream.avail_in = static_cast<uInt>(inSize);
  stream.next_out = out;
  stream.avail_out = static_cast<uInt>(outSize);
  const int result = inflate(&stream, Z_FINISH);
  const bool whole = result == Z_STREAM_END && stream.avail_in == 0 && stream.avail_out == 0;
  inflateEnd(&stream);
  return whole;
#endif
}

struct TStreamInflater::TState {
  z_stream Stream{};
};

TStreamInflater::TStreamInflater() : state_(std::make_unique<TState>()) {
  // Negative window bits: a raw deflate stream, as ZIP stores it, without zlib's header.
  started_ = inflateInit2(&state_->Stream, -MAX_WBITS) == Z_OK;
}

TStreamInflater::~TStreamInflater() {
  if (started_) inflateEnd(&state_->Stream);
}

std::size_t TStreamInflater::Pending() const { return state_->Stream.avail_in; }

void TStreamInflater::Feed(const unsigned char* data, std::size_t size) {
  state_->Stream.next_in = const_cast<Bytef*>(data);
  state_->Stream.avail_in = static_cast<uInt>(size);
}

TStreamInflater::TResult TStreamInflater::Inflate(unsigned char* out, std::size_t size, std::size_t& made) {
  z_stream& stream = state_->Stream;
  stream.next_out = out;
  stream.avail_out = static_cast<uInt>(size);
  const int result = inflate(&stream, Z_NO_FLUSH);
  made = size - stream.avail_out;
  switch (result) {
    case Z_OK: return TResult::Progress;
    case Z_STREAM_END: return TResult::End;
    case Z_BUF_ERROR: return TResult::Truncated;
    default:
      fault_ = stream.msg ? stream.msg : "zlib error " + std::to_string(result);
      return TResult::Damaged;
  }
}

}  // namespace installer
