// Writing a folder as a ZIP archive: a sorted walk, each file streamed in once, its header completed
// after its data.
#include "tools/pack/zip_writer.h"

#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "tools/pack/deflater.h"
#include "tools/pack/output_file.h"
#include "tools/pack/worth_deflating.h"

namespace fs = std::filesystem;

namespace pack {

namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint16_t kZip64ExtraId = 0x0001;
constexpr std::uint32_t kMarker32 = 0xFFFFFFFF;
constexpr std::uint16_t kMarker16 = 0xFFFF;
// A file this large gets ZIP64 sizes in its local header before its data is written: deflate may grow
// data a little, and the header's room is fixed by then.
constexpr std::uint64_t kZip64FileSize = 0xF0000000;
// Unix, format 3.0: the external attributes hold a Unix mode, which keeps a program's execute bits.
constexpr std::uint16_t kMadeByUnix = 3 << 8 | 30;
// The earliest time a ZIP entry can hold, 1980-01-01 00:00: a build's times would change its bytes.
constexpr std::uint16_t kDosTime = 0, kDosDate = 1 << 5 | 1;
constexpr std::uint16_t kFlagUtf8 = 0x0800;
constexpr std::uint32_t kDosDirectory = 0x10;
constexpr std::uint32_t kFolderMode = 0040755, kProgramMode = 0100755, kFileMode = 0100644;

struct TEntry {
  std::string Name;
  fs::path Path;
  bool Folder = false, Executable = false, Deflated = false, Zip64Local = false;
  std::uint64_t Size = 0, CompressedSize = 0, Offset = 0;
  std::uint32_t Crc32 = 0;

  std::uint16_t Method() const { return Deflated ? Z_DEFLATED : 0; }
  std::uint16_t Flags() const {
    bool ascii = std::all_of(Name.begin(), Name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii ? 0 : kFlagUtf8;
  }
  std::uint16_t VersionNeeded() const { return Zip64Local ? 45 : Deflated || Folder ? 20 : 10; }
  std::uint32_t Attributes() const {
    return Folder ? kFolderMode << 16 | kDosDirectory : (Executable ? kProgramMode : kFileMode) << 16;
  }
};

class TBytes {
 public:
  TBytes& U16(std::uint64_t v) { return Le(v, 2); }
  TBytes& U32(std::uint64_t v) { return Le(v, 4); }
  TBytes& U64(std::uint64_t v) { return Le(v, 8); }
  TBytes& Text(const std::string& text) {
    data_.insert(data_.end(), text.begin(), text.end());
    return *this;
  }
  TBytes& Bytes(const TBytes& other) {
    data_.insert(data_.end(), other.data_.begin(), other.data_.end());
    return *this;
  }
  std::size_t Size() const { return data_.size(); }
  std::span<const unsigned char> Span() const { return data_; }

 private:
  TBytes& Le(std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i) data_.push_back(static_cast<unsigned char>(v >> (8 * i)));
    return *this;
  }
  std::vector<unsigned char> data_;
};

std::uint32_t Classic(std::uint64_t value) { return value >= kMarker32 ? kMarker32 : static_cast<std::uint32_t>(value); }

std::string NameOf(const fs::path& path) {
  std::u8string name = path.generic_u8string();
  return std::string(name.begin(), name.end());
}

// Sorted by the names' bytes, so the archive's order, and with it its bytes, never depend on the file system.
void Walk(const fs::path& root, const fs::path& folder, std::vector<TEntry>& entries) {
  std::vector<fs::directory_entry> items{fs::directory_iterator(folder), fs::directory_iterator()};
  std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
    return NameOf(a.path().filename()) < NameOf(b.path().filename());
  });
  for (const fs::directory_entry& item : items) {
    TEntry entry;
    entry.Name = NameOf(item.path().lexically_relative(root));
    entry.Path = item.path();
    if (item.is_directory()) {
      entry.Name += '/';
      entry.Folder = true;
      entries.push_back(std::move(entry));
      Walk(root, item.path(), entries);
      continue;
    }
    constexpr fs::perms kExecute = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    entry.Executable = (item.status().permissions() & kExecute) != fs::perms::none;
    entry.Size = item.file_size();
    entry.Deflated = WorthDeflating(item.path(), entry.Size);
    entry.Zip64Local = entry.Size >= kZip64FileSize;
    entries.push_back(std::move(entry));
  }
}

TBytes LocalHeader(const TEntry& entry) {
  TBytes header;
  header.U32(kLocalSignature).U16(entry.VersionNeeded()).U16(entry.Flags()).U16(entry.Method());
  header.U16(kDosTime).U16(kDosDate).U32(entry.Crc32);
  if (entry.Zip64Local) {
    header.U32(kMarker32).U32(kMarker32).U16(entry.Name.size()).U16(20).Text(entry.Name);
    header.U16(kZip64ExtraId).U16(16).U64(entry.Size).U64(entry.CompressedSize);
  } else {
    header.U32(entry.CompressedSize).U32(entry.Size).U16(entry.Name.size()).U16(0).Text(entry.Name);
  }
  return header;
}

// Streams the file in once: its CRC-32 and, deflated or not, its data into the archive.
void WriteData(TEntry& entry, TOutputFile& out) {
  std::ifstream in(entry.Path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + entry.Path.string());
  TDeflater deflater(TDeflateFormat::Raw, 6, 8);
  std::vector<unsigned char> buffer(1 << 20);
  std::uint64_t read = 0, written = out.Position();
  uLong crc = crc32(0, nullptr, 0);
  bool finished = false;
  while (!finished) {
    in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    if (in.bad()) throw std::runtime_error("cannot read " + entry.Path.string());
    finished = in.eof();
    std::span<const unsigned char> chunk(buffer.data(), static_cast<std::size_t>(in.gcount()));
    read += chunk.size();
    crc = crc32(crc, chunk.data(), static_cast<uInt>(chunk.size()));
    if (entry.Deflated) {
      deflater.Write(chunk, finished, [&](std::span<const unsigned char> piece) { out.Write(piece); });
    } else {
      out.Write(chunk);
    }
  }
  if (read != entry.Size) throw std::runtime_error(entry.Path.string() + " changed while it was packed");
  entry.Crc32 = static_cast<std::uint32_t>(crc);
  entry.CompressedSize = out.Position() - written;
  if (!entry.Zip64Local && entry.CompressedSize >= kMarker32)
    throw std::runtime_error(entry.Path.string() + " grew too large when deflated");
}

TBytes CentralHeader(const TEntry& entry) {
  // ZIP64 values appear in this order, each only when its classic field holds the marker.
  TBytes zip64;
  if (entry.Size >= kMarker32) zip64.U64(entry.Size);
  if (entry.CompressedSize >= kMarker32) zip64.U64(entry.CompressedSize);
  if (entry.Offset >= kMarker32) zip64.U64(entry.Offset);
  TBytes extra;
  if (zip64.Size()) extra.U16(kZip64ExtraId).U16(zip64.Size()).Bytes(zip64);

  TBytes header;
  header.U32(kCentralSignature).U16(kMadeByUnix).U16(entry.VersionNeeded()).U16(entry.Flags()).U16(entry.Method());
  header.U16(kDosTime).U16(kDosDate).U32(entry.Crc32).U32(Classic(entry.CompressedSize)).U32(Classic(entry.Size));
  header.U16(entry.Name.size()).U16(extra.Size()).U16(0).U16(0).U16(0).U32(entry.Attributes());
  header.U32(Classic(entry.Offset)).Text(entry.Name).Bytes(extra);
  return header;
}

TBytes EndRecords(std::uint64_t count, std::uint64_t directoryOffset, std::uint64_t directorySize) {
  TBytes end;
  if (count >= kMarker16 || directoryOffset >= kMarker32 || directorySize >= kMarker32) {
    std::uint64_t recordOffset = directoryOffset + directorySize;
    end.U32(kZip64EndSignature).U64(44).U16(kMadeByUnix).U16(45).U32(0).U32(0);
    end.U64(count).U64(count).U64(directorySize).U64(directoryOffset);
    end.U32(kZip64LocatorSignature).U32(0).U64(recordOffset).U32(1);
  }
  std::uint16_t count16 = count >= kMarker16 ? kMarker16 : static_cast<std::uint16_t>(count);
  end.U32(kEndSignature).U16(0).U16(0).U16(count16).U16(count16);
  end.U32(Classic(directorySize)).U32(Classic(directoryOffset)).U16(0);
  return end;
}

}  // namespace

std::vector<TPackedEntry> WriteZip(const fs::path& folder, const fs::path& archive) {
  if (!fs::is_directory(folder)) throw std::runtime_error(folder.string() + " is not a folder");
  std::vector<TEntry> entries;
  Walk(folder, folder, entries);

  TOutputFile out(archive);
  for (TEntry& entry : entries) {
    entry.Offset = out.Position();
    out.Write(LocalHeader(entry).Span());
    if (entry.Folder) continue;
    WriteData(entry, out);
    // The sizes and CRC-32 are known only now: the header is written again, its length unchanged.
    out.WriteAt(entry.Offset, LocalHeader(entry).Span());
  }
  std::uint64_t directoryOffset = out.Position();
  for (const TEntry& entry : entries) out.Write(CentralHeader(entry).Span());
  std::uint64_t directorySize = out.Position() - directoryOffset;
  out.Write(EndRecords(entries.size(), directoryOffset, directorySize).Span());
  out.Commit();

  std::vector<TPackedEntry> packed;
  for (const TEntry& entry : entries) packed.push_back({entry.Name, entry.Deflated});
  return packed;
}

}  // namespace pack
