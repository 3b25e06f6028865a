// The central directory of a ZIP archive (ZIP64 included): its end record, its entries, their local headers.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "installer/zip_error.h"

namespace installer {

struct TZipEntry {
  std::string Name;  // as stored, "/"-separated, UTF-8 (names without the UTF-8 flag are read as CP437)
  std::uint64_t CompressedSize = 0, Size = 0;
  std::uint32_t Crc32 = 0;
  std::uint16_t Method = 0;  // 0 stored, 8 deflated
  bool IsFolder = false;     // name ends in "/" (or "\"), or the attributes mark an empty folder
  std::uint64_t LocalHeaderOffset = 0;
  std::uint16_t Flags = 0;          // general-purpose bit flags
  std::uint16_t MadeBy = 0;         // high byte: the host system whose attributes these are
  std::uint32_t ExternalAttributes = 0;
};

// Reads `size` bytes at `offset` into `buffer`; asked only for ranges inside the archive, and throws
// when it cannot deliver them whole.
using TZipReader = std::function<void(std::uint64_t offset, void* buffer, std::size_t size)>;

class TZipDirectory {
 public:
  // Reads the end record and the central directory of the `size` bytes `read` delivers; EZipError
  // naming the archive as `name` when they are no ZIP archive or a damaged one.
  TZipDirectory(std::string name, std::uint64_t size, TZipReader read);

  const std::vector<TZipEntry>& Entries() const { return entries_; }
  // Where the data of entry `index` begins; EZipError unless its local header agrees with the
  // directory and the data lies inside the archive.
  std::uint64_t DataOffset(std::size_t index) const;

 private:
  void ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;

  std::string name_;
  std::uint64_t size_ = 0;
  TZipReader read_;
  std::uint64_t offset_ = 0;  // where the directory begins: every entry's data lies before it
  std::vector<TZipEntry> entries_;
  std::vector<std::string> rawNames_;  // the names' stored bytes, to hold the local headers against
};

// The sum of the entries' uncompressed sizes, read from the central directory of an archive held in
// memory, without inflating anything; EZipError naming the archive as `name` when its directory
// cannot be read.
std::uint64_t ZipUncompressedSize(std::span<const std::uint8_t> archive, const std::string& name);

}  // namespace installer
