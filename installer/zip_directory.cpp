// Reading a ZIP archive's central directory: the end record (with ZIP64), the entries and their local headers.
#include "installer/zip_directory.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <type_traits>

#include "installer/zip_format.h"
#include "installer/zip_names.h"

namespace installer {
namespace {

using namespace zip_format;

// The data of the first extra block with this id; an overrunning block ends the search, since some
// writers pad the extra field with bytes that are no block at all.
std::optional<std::string_view> FindExtra(const unsigned char* extra, std::size_t size, std::uint16_t id) {
  std::size_t pos = 0;
  while (size - pos >= 4) {
    std::uint16_t blockId = Le16(extra + pos);
    std::size_t blockSize = Le16(extra + pos + 2);
    if (size - pos - 4 < blockSize) break;
    if (blockId == id) return std::string_view(reinterpret_cast<const char*>(extra + pos + 4), blockSize);
    pos += 4 + blockSize;
  }
  return std::nullopt;
}

}  // namespace

void TZipDirectory::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
  if (offset > size_ || size > size_ - offset) throw ZipArchiveError(name_, "the file ends too early");
  read_(offset, buffer, size);
}

TZipDirectory::TZipDirectory(std::string name, std::uint64_t size, TZipReader read)
    : name_(std::move(name)), size_(size), read_(std::move(read)) {
  if (size_ < kEndSize) throw ZipArchiveError(name_, "not a ZIP archive");

  // The end record closes the file, after a comment of up to 64 KiB. Scanning back, the first
  // signature whose comment length reaches exactly to the end of the file is the record.
  std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(size_, kEndSize + 0xFFFF));
  std::uint64_t tailOffset = size_ - tailSize;
  std::vector<unsigned char> tail(tailSize);
  ReadAt(tailOffset, tail.data(), tailSize);
  std::optional<std::size_t> found;
  for (std::size_t i = tailSize - kEndSize + 1; i-- > 0;) {
    if (Le32(&tail[i]) == kEndSignature && i + kEndSize + Le16(&tail[i + 20]) == tailSize) {
      found = i;
      break;
    }
  }
  if (!found) throw ZipArchiveError(name_, "not a ZIP archive (no end of central directory record)");
  const unsigned char* end = &tail[*found];
  std::uint64_t endOffset = tailOffset + *found;
  std::uint64_t disk = Le16(end + 4), directoryDisk = Le16(end + 6);
  std::uint64_t diskCount = Le16(end + 8), count = Le16(end + 10);
  std::uint64_t directorySize = Le32(end + 12), directoryOffset = Le32(end + 16);
  std::uint64_t directoryLimit = endOffset;

  bool zip64 = false;
  if (endOffset >= kZip64LocatorSize) {
    unsigned char locator[kZip64LocatorSize];
    ReadAt(endOffset - kZip64LocatorSize, locator, sizeof locator);
    if (Le32(locator) == kZip64LocatorSignature) {
      zip64 = true;
      std::uint64_t recordOffset = Le64(locator + 8);
      if (Le32(locator + 4) != 0 || Le32(locator + 16) > 1)
        throw ZipArchiveError(name_, "archives spanning several disks are not supported");
      std::uint64_t locatorOffset = endOffset - kZip64LocatorSize;
      if (recordOffset > locatorOffset || locatorOffset - recordOffset < kZip64EndSize)
        throw ZipArchiveError(name_, "the ZIP64 end of central directory record lies outside the archive");
      unsigned char record[kZip64EndSize];
      ReadAt(recordOffset, record, sizeof record);
      if (Le32(record) != kZip64EndSignature)
        throw ZipArchiveError(name_, "the ZIP64 end of central directory record is damaged");
      disk = Le32(record + 16), directoryDisk = Le32(record + 20);
      diskCount = Le64(record + 24), count = Le64(record + 32);
      directorySize = Le64(record + 40), directoryOffset = Le64(record + 48);
      directoryLimit = recordOffset;
    }
  }
  // 65,535 is also a count in its own right, so an archive of exactly that many entries needs no ZIP64
  // record; whether the directory holds more shows once it is read.
  if (!zip64 && (directorySize == kMarker32 || directoryOffset == kMarker32))
    throw ZipArchiveError(name_, "the ZIP64 end of central directory record is missing");
  if (disk != 0 || directoryDisk != 0 || diskCount != count)
    throw ZipArchiveError(name_, "archives spanning several disks are not supported");
  if (directoryOffset > directoryLimit || directorySize > directoryLimit - directoryOffset)
    throw ZipArchiveError(name_, "the central directory lies outside the archive");
  if (count > directorySize / kCentralSize)
    throw ZipArchiveError(name_, "the central directory is too short for its " + std::to_string(count) + " entries");
  offset_ = directoryOffset;

  // The directory is metadata only (about 100 bytes an entry), so it is read whole.
  std::vector<unsigned char> directory(static_cast<std::size_t>(directorySize));
  ReadAt(directoryOffset, directory.data(), directory.size());
  entries_.reserve(static_cast<std::size_t>(count));
  rawNames_.reserve(static_cast<std::size_t>(count));
  std::size_t pos = 0;
  for (std::uint64_t i = 0; i < count; ++i) {
    std::string number = "entry " + std::to_string(i + 1) + " of the central directory";
    if (directory.size() - pos < kCentralSize || Le32(&directory[pos]) != kCentralSignature)
      throw ZipArchiveError(name_, number + " is damaged");
    const unsigned char* header = &directory[pos];
    TZipEntry entry;
    entry.MadeBy = Le16(header + 4);
    entry.Flags = Le16(header + 8);
    entry.Method = Le16(header + 10);
    entry.Crc32 = Le32(header + 16);
    entry.CompressedSize = Le32(header + 20);
    entry.Size = Le32(header + 24);
    std::size_t nameSize = Le16(header + 28), extraSize = Le16(header + 30), commentSize = Le16(header + 32);
    std::uint32_t startDisk = Le16(header + 34);
    entry.ExternalAttributes = Le32(header + 38);
    entry.LocalHeaderOffset = Le32(header + 42);
    if (directory.size() - pos - kCentralSize < nameSize + extraSize + commentSize)
      throw ZipArchiveError(name_, number + " runs past the end of the central directory");
    std::string raw(reinterpret_cast<const char*>(header + kCentralSize), nameSize);
    const unsigned char* extra = header + kCentralSize + nameSize;
    entry.Name = DecodeZipName(raw, entry.Flags, FindExtra(extra, extraSize, kUnicodePathExtraId));

    // ZIP64 values appear in this order, each only when its classic field holds the marker.
    std::string_view zip64Extra = FindExtra(extra, extraSize, kZip64ExtraId).value_or(std::string_view());
    std::size_t zip64Pos = 0;
    auto widen = [&](auto& field, auto marker, std::size_t width, const char* what) {
      if (field != marker) return;
      if (zip64Extra.size() - zip64Pos < width)
        throw ZipEntryError(entry.Name, std::string("the ZIP64 extra field lacks the ") + what);
      auto bytes = reinterpret_cast<const unsigned char*>(zip64Extra.data() + zip64Pos);
      field = static_cast<std::remove_reference_t<decltype(field)>>(width == 8 ? Le64(bytes) : Le32(bytes));
      zip64Pos += width;
    };
    widen(entry.Size, std::uint64_t{kMarker32}, 8, "size");
    widen(entry.CompressedSize, std::uint64_t{kMarker32}, 8, "compressed size");
    widen(entry.LocalHeaderOffset, std::uint64_t{kMarker32}, 8, "local header offset");
    widen(startDisk, std::uint32_t{kMarker16}, 4, "disk number");
    if (startDisk != 0) throw ZipEntryError(entry.Name, "the entry lies on another disk");

    bool attributesSayFolder =
        (entry.ExternalAttributes & kDosDirectory) || UnixType(entry.MadeBy, entry.ExternalAttributes) == kUnixDirectory;
    entry.IsFolder = (!entry.Name.empty() && (entry.Name.back() == '/' || entry.Name.back() == '\\')) ||
                     (attributesSayFolder && entry.Size == 0);
    entries_.push_back(std::move(entry));
    rawNames_.push_back(std::move(raw));
    pos += kCentralSize + nameSize + extraSize + commentSize;
  }
  // A count that wrapped or fell short would otherwise leave the remaining files out without a word.
  if (directory.size() - pos >= 4 && Le32(&directory[pos]) == kCentralSignature) {
    if (!zip64 && count == kMarker16) throw ZipArchiveError(name_, "the ZIP64 end of central directory record is missing");
    throw ZipArchiveError(name_, "the central directory holds more entries than its end record counts");
  }
}

std::uint64_t TZipDirectory::DataOffset(std::size_t index) const {
  const TZipEntry& entry = entries_[index];
  std::uint64_t offset = entry.LocalHeaderOffset;
  if (offset > offset_ || offset_ - offset < kLocalSize)
    throw ZipEntryError(entry.Name, "the local header lies outside the archive");
  unsigned char header[kLocalSize];
  ReadAt(offset, header, sizeof header);
  if (Le32(header) != kLocalSignature) throw ZipEntryError(entry.Name, "the local header is damaged");
  std::uint16_t flags = Le16(header + 6), method = Le16(header + 8);
  std::uint32_t crc = Le32(header + 14), compressedSize = Le32(header + 18), size = Le32(header + 22);
  std::size_t nameSize = Le16(header + 26), extraSize = Le16(header + 28);

  // Two readers that trust different headers would see different archives; both must agree.
  bool agrees = method == entry.Method && (flags & kFlagEncrypted) == (entry.Flags & kFlagEncrypted) &&
                nameSize == rawNames_[index].size();
  if (agrees && !(flags & kFlagDataDescriptor)) {
    agrees = crc == entry.Crc32 && (compressedSize == kMarker32 || compressedSize == entry.CompressedSize) &&
             (size == kMarker32 || size == entry.Size);
  }
  if (agrees && offset + kLocalSize + nameSize <= offset_) {
    std::string name(nameSize, '\0');
    ReadAt(offset + kLocalSize, name.data(), nameSize);
    agrees = name == rawNames_[index];
  }
  if (!agrees) throw ZipEntryError(entry.Name, "the local header does not match the central directory");

  std::uint64_t data = offset + kLocalSize + nameSize + extraSize;
  if (data > offset_ || entry.CompressedSize > offset_ - data)
    throw ZipEntryError(entry.Name, "the data lies outside the archive (truncated?)");
  return data;
}

std::uint64_t ZipUncompressedSize(std::span<const std::uint8_t> archive, const std::string& name) {
  TZipDirectory directory(name, archive.size(), [&](std::uint64_t offset, void* buffer, std::size_t size) {
    std::memcpy(buffer, archive.data() + offset, size);
  });
  std::uint64_t total = 0;
  for (const TZipEntry& entry : directory.Entries()) total += entry.Size;
  return total;
}

}  // namespace installer
