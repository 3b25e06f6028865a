// A zlib deflate stream, raw as a ZIP entry stores it or wrapped as a gzip member.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <span>

namespace pack {

enum class TDeflateFormat { Raw, Gzip };

class TDeflater {
 public:
  using TSink = std::function<void(std::span<const unsigned char>)>;

  // std::runtime_error when zlib cannot start.
  TDeflater(TDeflateFormat format, int level, int memoryLevel);
  TDeflater(const TDeflater&) = delete;
  TDeflater& operator=(const TDeflater&) = delete;
  ~TDeflater();

  // Compresses `data`, handing the output to `sink` piece by piece; `finish` ends the stream.
  void Write(std::span<const unsigned char> data, bool finish, const TSink& sink);
  std::uint64_t TotalOut() const { return stream_.total_out; }

 private:
  z_stream stream_{};
};

}  // namespace pack
