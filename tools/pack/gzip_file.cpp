// Gzip-compressing a file as a stream, so its size never matters.
#include "tools/pack/gzip_file.h"

#include <fstream>
#include <stdexcept>
#include <vector>

#include "tools/pack/deflater.h"
#include "tools/pack/output_file.h"

namespace pack {

void GzipFile(const std::filesystem::path& input, const std::filesystem::path& output) {
  std::ifstream in(input, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + input.string());
  TOutputFile out(output);
  // zlib's gzip header has no name and a zero time, whatever the file's.
  TDeflater deflater(TDeflateFormat::Gzip, Z_BEST_COMPRESSION, 9);
  std::vector<unsigned char> buffer(1 << 20);
  bool finished = false;
  while (!finished) {
    in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    if (in.bad()) throw std::runtime_error("cannot read " + input.string());
    finished = in.eof();
    deflater.Write(std::span(buffer.data(), static_cast<std::size_t>(in.gcount())), finished,
                   [&](std::span<const unsigned char> piece) { out.Write(piece); });
  }
  out.Commit();
}

}  // namespace pack
