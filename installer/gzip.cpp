// Inflating a gzip member held in memory, checked against its trailer.
#include "installer/gzip.h"

#include <limits>

#include "installer/inflate.h"

namespace installer {

namespace {
constexpr std::size_t kGzipHeaderSize = 10, kGzipTrailerSize = 8;
constexpr std::uint8_t kHeaderCrc = 0x02, kExtra = 0x04, kName = 0x08, kComment = 0x10, kReserved = 0xE0;

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

EZipError Damaged() { return EZipError("The carried data is damaged"); }

// Where the deflate stream begins: after the fixed header and the optional fields its flags announce.
std::size_t DeflateStart(std::span<const std::uint8_t> member) {
  const std::uint8_t flags = member[3];
  if (member[2] != 8 || (flags & kReserved)) throw Damaged();
  const std::size_t end = member.size() - kGzipTrailerSize;
  std::size_t at = kGzipHeaderSize;
  if (flags & kExtra) {
    if (end - at < 2) throw Damaged();
    const std::size_t length = member[at] | member[at + 1] << 8;
    if (end - at - 2 < length) throw Damaged();
    at += 2 + length;
  }
  for (std::uint8_t text : {kName, kComment}) {
    if (!(flags & text)) continue;
    while (at < end && member[at] != 0) ++at;
    if (at == end) throw Damaged();
    ++at;
  }
  if (flags & kHeaderCrc) {
    if (end - at < 2) throw Damaged();
    if ((Crc32(0, member.data(), at) & 0xFFFF) != static_cast<std::uint32_t>(member[at] | member[at + 1] << 8))
      throw Damaged();
    at += 2;
  }
  return at;
}

}  // namespace

std::uint64_t GzipInflatedSize(std::span<const std::uint8_t> member) {
  if (member.size() < kGzipHeaderSize + kGzipTrailerSize || member[0] != 0x1f || member[1] != 0x8b)
    throw EZipError("The carried data is not gzip-compressed");
  return Le32(member.data() + member.size() - kGzipTrailerSize + 4);
}

std::vector<std::uint8_t> Gunzip(std::span<const std::uint8_t> member) {
  // Counted in 32 bits where the build inflates with zlib; what the installer carries is far smaller.
  if (member.size() > std::numeric_limits<std::uint32_t>::max()) throw EZipError("The carried data is too large");
  // Deflate makes at most 1032 bytes of one, so a trailer that claims more is damaged: refused before
  // memory for it is taken, since a size read from a cut member can be anything up to 4 GiB.
  const std::uint64_t size = GzipInflatedSize(member);
  if (size > std::uint64_t{member.size()} * 1032) throw Damaged();
  std::vector<std::uint8_t> out(static_cast<std::size_t>(size));
  const std::size_t start = DeflateStart(member);
  const std::uint8_t* trailer = member.data() + member.size() - kGzipTrailerSize;
  // The stream must fill exactly the size the trailer gives and end exactly where the trailer begins:
  // anything else is a member that lies about its size or has more behind it.
  // (An inflater may refuse a null output pointer, which an empty vector may give.)
  std::uint8_t spare = 0;
  TWholeInflater inflater;
  if (!inflater.Inflate(member.data() + start, member.size() - kGzipTrailerSize - start,
                        out.empty() ? &spare : out.data(), out.size()) ||
      Crc32(0, out.data(), out.size()) != Le32(trailer))
    throw Damaged();
  return out;
}

}  // namespace installer
