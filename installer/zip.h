// Reading ZIP archives: the central directory, and extraction that never lets a bad entry escape or replace a good file.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace installer {

class EZipError : public std::runtime_error {
 public:
  using runtime_error::runtime_error;
};

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

class TZipArchive {
 public:
  // Reads the central directory; EZipError when the file cannot be read or is not a ZIP archive.
  explicit TZipArchive(const std::string& path);
  TZipArchive(const TZipArchive&) = delete;
  TZipArchive& operator=(const TZipArchive&) = delete;

  const std::string& Path() const { return path_; }
  const std::vector<TZipEntry>& Entries() const { return entries_; }

  // Extracts every entry into `folder` (created when missing), recreating subfolders and replacing
  // existing files. Returns the written files' paths relative to `folder` (system separator), in
  // archive order. Every entry is checked before anything is written: a name that would land outside
  // `folder`, a link, encryption or an unknown method refuses the whole archive. Each file is written
  // under a temporary name, and only once every file's size and CRC-32 are verified do they replace
  // their targets: a damaged entry anywhere leaves the folder's files as they were. Files are
  // decompressed on two threads where the machine has two cores. `onWritten` hears of each file as
  // soon as it is in place (on the calling thread), so a caller knows what an extraction that failed
  // part way has already written.
  std::vector<std::string> ExtractAll(const std::string& folder,
                                      const std::function<void(const std::string&)>& onWritten = {});

 private:
  void ReadAt(std::uint64_t offset, void* buffer, std::size_t size);
  void ReadCentralDirectory();
  std::uint64_t DataOffset(std::size_t index);

  std::string path_;
  std::ifstream file_;
  std::uint64_t fileSize_ = 0;
  std::uint64_t centralDirectoryOffset_ = 0;
  std::vector<TZipEntry> entries_;
  std::vector<std::string> rawNames_;  // the names' stored bytes, to hold the local headers against
};

// The sum of the entries' uncompressed sizes, read from the central directory of an archive held in
// memory, without inflating anything; EZipError when the directory cannot be read.
std::uint64_t ZipUncompressedSize(std::span<const std::uint8_t> archive);

}  // namespace installer
