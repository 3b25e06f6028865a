// Reading ZIP archives: central directory (with ZIP64), checked names, verified extraction on two threads.
#include "installer/zip.h"

#include <zlib.h>
#if VEL_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <string_view>
#include <system_error>
#include <type_traits>

#include "platform/files.h"
#include "platform/memory.h"

namespace installer {
namespace fs = std::filesystem;

namespace {

// Writes go in pieces of this size: some virtual machines slow down on very large writes.
constexpr std::size_t kBufferSize = 256 * 1024;
// A deflated entry whose compressed and inflated bytes together fit this is inflated in one piece (the
// fast way); a larger one is streamed through buffers of kBufferSize. Two threads hold at most this
// much each, which keeps the extraction's memory bounded whatever the archive holds.
constexpr std::uint64_t kWholeEntryLimit = 20 * 1024 * 1024;
// A streamed entry's data is taken from the archive in ranges of this size: small enough to stay in the
// processor's cache and in pages already touched (fresh pages cost more than the copy on some virtual
// machines).
constexpr std::size_t kReadWindow = kBufferSize;

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::uint16_t kZip64ExtraId = 0x0001;
constexpr std::uint16_t kUnicodePathExtraId = 0x7075;
constexpr std::uint32_t kMarker32 = 0xFFFFFFFF;
constexpr std::uint16_t kMarker16 = 0xFFFF;

constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
constexpr std::uint16_t kFlagUtf8 = 0x0800;

constexpr std::uint32_t kDosDirectory = 0x10;
constexpr std::uint32_t kWindowsReparsePoint = 0x400;
constexpr std::uint32_t kUnixTypeMask = 0170000;
constexpr std::uint32_t kUnixLink = 0120000;
constexpr std::uint32_t kUnixDirectory = 0040000;

std::uint16_t Le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Le32(const unsigned char* p) { return Le16(p) | static_cast<std::uint32_t>(Le16(p + 2)) << 16; }
std::uint64_t Le64(const unsigned char* p) { return Le32(p) | static_cast<std::uint64_t>(Le32(p + 4)) << 32; }

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

EZipError ArchiveError(const std::string& path, const std::string& what) {
  return EZipError("Cannot read the ZIP archive " + Quoted(path) + ": " + what);
}

EZipError EntryError(const std::string& name, const std::string& what) {
  return EZipError("ZIP entry " + Quoted(name) + ": " + what);
}

// Host systems whose external attributes carry a Unix mode in their high 16 bits.
bool HasUnixMode(std::uint16_t madeBy) {
  int host = madeBy >> 8;
  return host == 3 || host == 19;  // Unix, OS X
}

std::uint32_t UnixType(const TZipEntry& entry) {
  return HasUnixMode(entry.MadeBy) ? (entry.ExternalAttributes >> 16) & kUnixTypeMask : 0;
}

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

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Names without the UTF-8 flag are in the original IBM PC code page; its upper half as Unicode.
constexpr std::array<char16_t, 128> kCp437High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

std::string Cp437ToUtf8(std::string_view raw) {
  std::string out;
  out.reserve(raw.size() * 2);
  for (unsigned char c : raw) AppendUtf8(out, c < 0x80 ? char32_t{c} : char32_t{kCp437High[c - 0x80]});
  return out;
}

// Well-formed UTF-8 only: overlong forms and surrogates could spell a separator or a dot in disguise.
bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    std::size_t length;
    char32_t code;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      length = 2, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4, code = c & 0x07;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string DecodeName(std::string_view raw, std::uint16_t flags, const unsigned char* extra, std::size_t extraSize) {
  if (flags & kFlagUtf8) return std::string(raw);
  // Info-ZIP keeps a UTF-8 copy of a legacy name in an extra block, valid while it matches the name's CRC.
  if (auto unicode = FindExtra(extra, extraSize, kUnicodePathExtraId); unicode && unicode->size() >= 5) {
    auto bytes = reinterpret_cast<const unsigned char*>(unicode->data());
    auto nameCrc = crc32(0, reinterpret_cast<const Bytef*>(raw.data()), static_cast<uInt>(raw.size()));
    std::string_view name = unicode->substr(5);
    if (bytes[0] == 1 && Le32(bytes + 1) == nameCrc && IsValidUtf8(name)) return std::string(name);
  }
  return IsAscii(raw) ? std::string(raw) : Cp437ToUtf8(raw);
}

bool IsReservedDeviceName(std::string_view segment) {
  // Windows opens these devices in any folder and with any extension, so "nul.txt" is the null device.
  segment = segment.substr(0, segment.find('.'));
  while (!segment.empty() && segment.back() == ' ') segment.remove_suffix(1);
  std::string upper;
  for (char c : segment) upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (upper == device) return true;
  if (upper.size() >= 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0)) {
    std::string_view number = std::string_view(upper).substr(3);
    if (number.size() == 1 && number[0] >= '0' && number[0] <= '9') return true;
    if (number == "\u00B9" || number == "\u00B2" || number == "\u00B3") return true;
  }
  return false;
}

// The entry's path below the extraction folder; EZipError when the name could land anywhere else or
// cannot be a file name on Windows (refused on both systems, so an archive behaves the same everywhere).
fs::path SafeRelativePath(const TZipEntry& entry) {
  const std::string& name = entry.Name;
  if (name.empty()) throw EntryError(name, "the name is empty");
  if (!IsValidUtf8(name)) throw EntryError(name, "the name is not valid UTF-8");
  if (name.front() == '/' || name.front() == '\\') throw EntryError(name, "the name is an absolute path");
  if (name.find(':') != std::string::npos)
    throw EntryError(name, "the name holds a drive, device or data stream (\":\")");
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F || std::string_view("<>\"|?*").find(static_cast<char>(c)) != std::string_view::npos)
      throw EntryError(name, "the name holds a character that file names cannot hold");

  fs::path relative;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    std::string_view segment = std::string_view(name).substr(start, end - start);
    start = end + 1;
    if (segment.empty() || segment == ".") continue;
    // Windows drops trailing dots and spaces, so ". ." or "..." would walk up a folder there.
    if (segment.find_first_not_of(". ") == std::string_view::npos)
      throw EntryError(name, "the name leads out of the folder (\"..\")");
    if (IsReservedDeviceName(segment)) throw EntryError(name, "the name is a reserved device name");
    relative /= platform::ToPath(segment);
  }
  if (relative.empty()) throw EntryError(name, "the name names no file or folder");
  return relative;
}

void CheckSupported(const TZipEntry& entry) {
  if (UnixType(entry) == kUnixLink || (entry.ExternalAttributes & kWindowsReparsePoint))
    throw EntryError(entry.Name, "symbolic links are not extracted");
  if (entry.Flags & kFlagEncrypted) throw EntryError(entry.Name, "encrypted entries are not supported");
  if (entry.IsFolder) return;
  if (entry.Method != 0 && entry.Method != Z_DEFLATED)
    throw EntryError(entry.Name, "compression method " + std::to_string(entry.Method) +
                                     " is not supported (only stored and deflated)");
  if (entry.Method == 0 && entry.CompressedSize != entry.Size)
    throw EntryError(entry.Name, "a stored entry whose compressed size differs from its size");
}

// Drops a trailing separator, so that the folder's path compares element by element with paths below it.
fs::path WithoutTrailingSeparator(fs::path path) {
  if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  return path;
}

// Follows existing links in `path`, so a link inside the folder that points elsewhere is caught; and
// since not every standard library sees every kind of link (Windows junctions), any existing link
// between the folder and the path is refused outright.
void CheckInside(const fs::path& path, const fs::path& root, const fs::path& canonicalFolder,
                 const std::string& name) {
  fs::path step = root;
  for (const fs::path& part : path.lexically_relative(root)) {
    step /= part;
    if (platform::IsLink(step)) throw EntryError(name, "the path leads out of the folder through a link");
  }
  std::error_code ec;
  fs::path real = fs::weakly_canonical(path, ec);
  if (ec) throw EntryError(name, "cannot resolve " + Quoted(platform::FromPath(path)) + ": " + ec.message());
  auto mismatch = std::mismatch(canonicalFolder.begin(), canonicalFolder.end(), real.begin(), real.end());
  if (mismatch.first != canonicalFolder.end()) throw EntryError(name, "the path leads out of the folder through a link");
}

fs::path CanonicalFolder(const fs::path& folder) {
  std::error_code ec;
  fs::path result = WithoutTrailingSeparator(fs::weakly_canonical(folder, ec));
  if (ec) throw EZipError("Cannot resolve the folder " + Quoted(platform::FromPath(folder)) + ": " + ec.message());
  return result;
}

void CreateFolders(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) throw EntryError(name, "cannot create the folder " + Quoted(platform::FromPath(folder)) + ": " + ec.message());
}

// A write that failed, with the system's reason: a full disk has to be told apart from a damaged entry.
EZipError WriteError(const std::string& name, const fs::path& file) {
  const int error = errno;
  return EntryError(name, "cannot write " + Quoted(platform::FromPath(file)) +
                              (error ? ": " + std::generic_category().message(error) : std::string()));
}

// A temporary file that is deleted unless it was committed (renamed over its target).
class TTemporaryFile {
 public:
  explicit TTemporaryFile(fs::path path) : path_(std::move(path)) {}
  ~TTemporaryFile() {
    if (committed_ || path_.empty()) return;
    std::error_code ec;
    fs::remove(path_, ec);
  }
  TTemporaryFile(TTemporaryFile&& other) noexcept : path_(std::move(other.path_)), committed_(other.committed_) {
    other.path_.clear();
  }
  TTemporaryFile& operator=(TTemporaryFile&&) = delete;
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;
  const fs::path& Path() const { return path_; }
  void Commit() { committed_ = true; }

 private:
  fs::path path_;
  bool committed_ = false;
};

// A short name of its own, whatever the target's name: a long target name plus a suffix could exceed
// the system's limit.
fs::path TemporaryNameIn(const fs::path& folder) { return platform::TemporaryNameIn(folder, "~zip", ".tmp"); }

class TInflater {
 public:
  explicit TInflater(const std::string& name) {
    // Negative window bits: a raw deflate stream, as ZIP stores it, without zlib's header.
    if (inflateInit2(&stream_, -MAX_WBITS) != Z_OK) throw EntryError(name, "cannot start decompressing");
  }
  ~TInflater() { inflateEnd(&stream_); }
  TInflater(const TInflater&) = delete;
  TInflater& operator=(const TInflater&) = delete;
  z_stream& Stream() { return stream_; }

 private:
  z_stream stream_{};
};

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
#if VEL_HAVE_LIBDEFLATE
  return libdeflate_crc32(crc, data, size);
#else
  return static_cast<std::uint32_t>(crc32_z(crc, static_cast<const Bytef*>(data), size));
#endif
}

// Inflates a whole raw deflate stream in one call: libdeflate where the build has it (several times
// zlib's speed), zlib otherwise. Succeeds only when the input is used up exactly and fills the output
// exactly; on any other outcome the caller streams the entry again to tell what is wrong with it.
class TWholeInflater {
 public:
  TWholeInflater() {
#if VEL_HAVE_LIBDEFLATE
    decompressor_ = libdeflate_alloc_decompressor();
    if (!decompressor_) throw std::bad_alloc();
#endif
  }
  ~TWholeInflater() {
#if VEL_HAVE_LIBDEFLATE
    libdeflate_free_decompressor(decompressor_);
#endif
  }
  TWholeInflater(const TWholeInflater&) = delete;
  TWholeInflater& operator=(const TWholeInflater&) = delete;

  bool Inflate(const unsigned char* in, std::size_t inSize, unsigned char* out, std::size_t outSize) {
#if VEL_HAVE_LIBDEFLATE
    std::size_t used = 0, made = 0;
    return libdeflate_deflate_decompress_ex(decompressor_, in, inSize, out, outSize, &used, &made) ==
               LIBDEFLATE_SUCCESS &&
           used == inSize && made == outSize;
#else
    // Both sizes are below kWholeEntryLimit, so they fit zlib's 32-bit counts.
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

 private:
#if VEL_HAVE_LIBDEFLATE
  libdeflate_decompressor* decompressor_ = nullptr;
#endif
};

// Memory a thread keeps from one entry to the next, grown to the largest need; left uninitialised,
// since every byte is written before it is read. Its pages are made ready at once: touched one by one,
// a first fill of an inflated entry's size cost more on some virtual machines than inflating it.
class TBuffer {
 public:
  TBuffer() = default;
  ~TBuffer() { platform::FreeReadyMemory(data_, capacity_); }
  TBuffer(const TBuffer&) = delete;
  TBuffer& operator=(const TBuffer&) = delete;

  unsigned char* Get(std::size_t size) {
    if (size > capacity_) {
      platform::FreeReadyMemory(data_, capacity_);
      capacity_ = 0;
      data_ = static_cast<unsigned char*>(platform::AllocateReadyMemory(size));
      if (!data_) throw std::bad_alloc();
      capacity_ = size;
    }
    return data_;
  }

 private:
  unsigned char* data_ = nullptr;
  std::size_t capacity_ = 0;
};

// A thread's own reading position in the archive, so threads never share a stream. (Mapping the
// ranges instead measured slower with two threads: unmapping costs more than the copy it saves.)
class TArchiveReader {
 public:
  explicit TArchiveReader(const std::string& path) : path_(path), file_(platform::ToPath(path), std::ios::binary) {
    if (!file_) throw ArchiveError(path, "the file cannot be opened");
  }

  // The archive's bytes [offset, offset + size), valid until the next call.
  const unsigned char* View(std::uint64_t offset, std::size_t size, const std::string& name) {
    unsigned char* buffer = buffer_.Get(std::max<std::size_t>(size, 1));
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(offset));
    file_.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(size));
    if (file_.gcount() != static_cast<std::streamsize>(size))
      throw EntryError(name, "cannot read the archive " + Quoted(path_));
    return buffer;
  }

 private:
  std::string path_;
  std::ifstream file_;
  TBuffer buffer_;
};

// What one thread needs to extract entries.
struct TWorker {
  explicit TWorker(const std::string& archive) : Reader(archive) {}
  TArchiveReader Reader;
  TWholeInflater Whole;
  TBuffer Output;
};

// Writes a file in pieces of kBufferSize.
class TOutputFile {
 public:
  TOutputFile(const fs::path& path, const std::string& name) : path_(path), name_(name), out_(path, std::ios::binary | std::ios::trunc) {
    if (!out_) throw EntryError(name, "cannot create " + Quoted(platform::FromPath(path)));
  }
  void Write(const unsigned char* data, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
      const std::size_t piece = std::min(size - done, kBufferSize);
      out_.write(reinterpret_cast<const char*>(data + done), static_cast<std::streamsize>(piece));
      if (!out_) throw WriteError(name_, path_);
      done += piece;
    }
  }
  void Close() {
    out_.close();
    if (!out_) throw WriteError(name_, path_);
  }

 private:
  fs::path path_;
  std::string name_;
  std::ofstream out_;
};

// Streams an entry through buffers of kBufferSize: stored entries, deflated ones too large to inflate in
// one piece, and damaged ones, whose fault it names exactly.
void StreamEntry(const TZipEntry& entry, std::uint64_t dataOffset, TWorker& worker, TOutputFile& out) {
  const std::string& name = entry.Name;
  std::uint64_t written = 0;
  std::uint32_t crc = 0;
  auto emit = [&](const unsigned char* data, std::size_t size) {
    if (size > entry.Size - written) throw EntryError(name, "the data is longer than its recorded size");
    crc = Crc32(crc, data, size);
    out.Write(data, size);
    written += size;
  };
  const unsigned char* input = nullptr;
  std::uint64_t remaining = entry.CompressedSize;
  auto readChunk = [&]() {
    auto size = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kReadWindow));
    input = worker.Reader.View(dataOffset + (entry.CompressedSize - remaining), size, name);
    remaining -= size;
    return size;
  };

  if (entry.Method == 0) {
    while (remaining > 0) {
      const std::size_t size = readChunk();
      emit(input, size);
    }
  } else {
    TInflater inflater(name);
    z_stream& stream = inflater.Stream();
    unsigned char* output = worker.Output.Get(kBufferSize);
    int result = Z_OK;
    while (result != Z_STREAM_END) {
      if (stream.avail_in == 0 && remaining > 0) {
        stream.avail_in = static_cast<uInt>(readChunk());
        stream.next_in = const_cast<Bytef*>(input);
      }
      // Inflating goes on after the input is used up: the inflater may still hold output that found no
      // room in the last buffer. Only when it can make no progress at all is the data cut short.
      stream.next_out = output;
      stream.avail_out = static_cast<uInt>(kBufferSize);
      result = inflate(&stream, Z_NO_FLUSH);
      if (result == Z_BUF_ERROR) throw EntryError(name, "the compressed data ends too early (damaged or truncated)");
      if (result != Z_OK && result != Z_STREAM_END)
        throw EntryError(name, std::string("the compressed data is damaged (") +
                                   (stream.msg ? stream.msg : "zlib error " + std::to_string(result)) + ")");
      emit(output, kBufferSize - stream.avail_out);
    }
    if (stream.avail_in != 0 || remaining != 0)
      throw EntryError(name, "the compressed data is shorter than its recorded compressed size");
  }
  if (written != entry.Size)
    throw EntryError(name, "size mismatch (" + std::to_string(written) + " bytes instead of " +
                               std::to_string(entry.Size) + ")");
  if (crc != entry.Crc32) throw EntryError(name, "CRC-32 mismatch (the data is damaged)");
}

// Writes the entry's verified content to a temporary file beside its target; the file is removed again
// unless the caller commits it.
TTemporaryFile ExtractToTemporary(const TZipEntry& entry, std::uint64_t dataOffset, const fs::path& target,
                                  TWorker& worker) {
  const std::string& name = entry.Name;
  TTemporaryFile temporary(TemporaryNameIn(target.parent_path()));
  {
    TOutputFile out(temporary.Path(), name);
    const bool whole = entry.Method == Z_DEFLATED && entry.Size <= kWholeEntryLimit &&
                       entry.CompressedSize <= kWholeEntryLimit - entry.Size;
    bool done = false;
    if (whole) {
      const auto inSize = static_cast<std::size_t>(entry.CompressedSize);
      const auto outSize = static_cast<std::size_t>(entry.Size);
      const unsigned char* input = worker.Reader.View(dataOffset, inSize, name);
      unsigned char* output = worker.Output.Get(std::max<std::size_t>(outSize, 1));
      if (worker.Whole.Inflate(input, inSize, output, outSize)) {
        if (Crc32(0, output, outSize) != entry.Crc32) throw EntryError(name, "CRC-32 mismatch (the data is damaged)");
        out.Write(output, outSize);
        done = true;
      }
    }
    // Streaming again names the fault of data that would not inflate whole.
    if (!done) {
      StreamEntry(entry, dataOffset, worker, out);
      if (whole) throw EntryError(name, "the compressed data is damaged");
    }
    out.Close();
  }
  // A program packed on Unix keeps its execute bits.
  if (HasUnixMode(entry.MadeBy) && ((entry.ExternalAttributes >> 16) & 0111)) platform::MarkExecutable(temporary.Path());
  return temporary;
}

}  // namespace

TZipArchive::TZipArchive(const std::string& path) : path_(path) {
  std::error_code ec;
  fs::path file = platform::ToPath(path);
  if (!fs::is_regular_file(file, ec)) throw ArchiveError(path, "the file does not exist");
  file_.open(file, std::ios::binary);
  if (!file_) throw ArchiveError(path, "the file cannot be opened");
  file_.seekg(0, std::ios::end);
  std::streamoff size = file_.tellg();
  if (size < 0) throw ArchiveError(path, "the file cannot be read");
  fileSize_ = static_cast<std::uint64_t>(size);
  ReadCentralDirectory();
}

void TZipArchive::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
  if (offset > fileSize_ || size > fileSize_ - offset) throw ArchiveError(path_, "the file ends too early");
  file_.clear();
  file_.seekg(static_cast<std::streamoff>(offset));
  file_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
  if (file_.gcount() != static_cast<std::streamsize>(size)) throw ArchiveError(path_, "the file cannot be read");
}

void TZipArchive::ReadCentralDirectory() {
  if (fileSize_ < kEndSize) throw ArchiveError(path_, "not a ZIP archive");

  // The end record closes the file, after a comment of up to 64 KiB. Scanning back, the first
  // signature whose comment length reaches exactly to the end of the file is the record.
  std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize_, kEndSize + 0xFFFF));
  std::uint64_t tailOffset = fileSize_ - tailSize;
  std::vector<unsigned char> tail(tailSize);
  ReadAt(tailOffset, tail.data(), tailSize);
  std::optional<std::size_t> found;
  for (std::size_t i = tailSize - kEndSize + 1; i-- > 0;) {
    if (Le32(&tail[i]) == kEndSignature && i + kEndSize + Le16(&tail[i + 20]) == tailSize) {
      found = i;
      break;
    }
  }
  if (!found) throw ArchiveError(path_, "not a ZIP archive (no end of central directory record)");
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
        throw ArchiveError(path_, "archives spanning several disks are not supported");
      std::uint64_t locatorOffset = endOffset - kZip64LocatorSize;
      if (recordOffset > locatorOffset || locatorOffset - recordOffset < kZip64EndSize)
        throw ArchiveError(path_, "the ZIP64 end of central directory record lies outside the archive");
      unsigned char record[kZip64EndSize];
      ReadAt(recordOffset, record, sizeof record);
      if (Le32(record) != kZip64EndSignature)
        throw ArchiveError(path_, "the ZIP64 end of central directory record is damaged");
      disk = Le32(record + 16), directoryDisk = Le32(record + 20);
      diskCount = Le64(record + 24), count = Le64(record + 32);
      directorySize = Le64(record + 40), directoryOffset = Le64(record + 48);
      directoryLimit = recordOffset;
    }
  }
  // 65,535 is also a count in its own right, so an archive of exactly that many entries needs no ZIP64
  // record; whether the directory holds more shows once it is read.
  if (!zip64 && (directorySize == kMarker32 || directoryOffset == kMarker32))
    throw ArchiveError(path_, "the ZIP64 end of central directory record is missing");
  if (disk != 0 || directoryDisk != 0 || diskCount != count)
    throw ArchiveError(path_, "archives spanning several disks are not supported");
  if (directoryOffset > directoryLimit || directorySize > directoryLimit - directoryOffset)
    throw ArchiveError(path_, "the central directory lies outside the archive");
  if (count > directorySize / kCentralSize)
    throw ArchiveError(path_, "the central directory is too short for its " + std::to_string(count) + " entries");
  centralDirectoryOffset_ = directoryOffset;

  // The directory is metadata only (about 100 bytes an entry), so it is read whole.
  std::vector<unsigned char> directory(static_cast<std::size_t>(directorySize));
  ReadAt(directoryOffset, directory.data(), directory.size());
  entries_.reserve(static_cast<std::size_t>(count));
  rawNames_.reserve(static_cast<std::size_t>(count));
  std::size_t pos = 0;
  for (std::uint64_t i = 0; i < count; ++i) {
    std::string number = "entry " + std::to_string(i + 1) + " of the central directory";
    if (directory.size() - pos < kCentralSize || Le32(&directory[pos]) != kCentralSignature)
      throw ArchiveError(path_, number + " is damaged");
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
      throw ArchiveError(path_, number + " runs past the end of the central directory");
    std::string raw(reinterpret_cast<const char*>(header + kCentralSize), nameSize);
    const unsigned char* extra = header + kCentralSize + nameSize;
    entry.Name = DecodeName(raw, entry.Flags, extra, extraSize);

    // ZIP64 values appear in this order, each only when its classic field holds the marker.
    std::string_view zip64Extra = FindExtra(extra, extraSize, kZip64ExtraId).value_or(std::string_view());
    std::size_t zip64Pos = 0;
    auto widen = [&](auto& field, auto marker, std::size_t width, const char* what) {
      if (field != marker) return;
      if (zip64Extra.size() - zip64Pos < width)
        throw EntryError(entry.Name, std::string("the ZIP64 extra field lacks the ") + what);
      auto bytes = reinterpret_cast<const unsigned char*>(zip64Extra.data() + zip64Pos);
      field = static_cast<std::remove_reference_t<decltype(field)>>(width == 8 ? Le64(bytes) : Le32(bytes));
      zip64Pos += width;
    };
    widen(entry.Size, std::uint64_t{kMarker32}, 8, "size");
    widen(entry.CompressedSize, std::uint64_t{kMarker32}, 8, "compressed size");
    widen(entry.LocalHeaderOffset, std::uint64_t{kMarker32}, 8, "local header offset");
    widen(startDisk, std::uint32_t{kMarker16}, 4, "disk number");
    if (startDisk != 0) throw EntryError(entry.Name, "the entry lies on another disk");

    bool attributesSayFolder = (entry.ExternalAttributes & kDosDirectory) || UnixType(entry) == kUnixDirectory;
    entry.IsFolder = (!entry.Name.empty() && (entry.Name.back() == '/' || entry.Name.back() == '\\')) ||
                     (attributesSayFolder && entry.Size == 0);
    entries_.push_back(std::move(entry));
    rawNames_.push_back(std::move(raw));
    pos += kCentralSize + nameSize + extraSize + commentSize;
  }
  // A count that wrapped or fell short would otherwise leave the remaining files out without a word.
  if (directory.size() - pos >= 4 && Le32(&directory[pos]) == kCentralSignature) {
    if (!zip64 && count == kMarker16) throw ArchiveError(path_, "the ZIP64 end of central directory record is missing");
    throw ArchiveError(path_, "the central directory holds more entries than its end record counts");
  }
}

std::uint64_t TZipArchive::DataOffset(std::size_t index) {
  const TZipEntry& entry = entries_[index];
  std::uint64_t offset = entry.LocalHeaderOffset;
  if (offset > centralDirectoryOffset_ || centralDirectoryOffset_ - offset < kLocalSize)
    throw EntryError(entry.Name, "the local header lies outside the archive");
  unsigned char header[kLocalSize];
  ReadAt(offset, header, sizeof header);
  if (Le32(header) != kLocalSignature) throw EntryError(entry.Name, "the local header is damaged");
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
  if (agrees && offset + kLocalSize + nameSize <= centralDirectoryOffset_) {
    std::string name(nameSize, '\0');
    ReadAt(offset + kLocalSize, name.data(), nameSize);
    agrees = name == rawNames_[index];
  }
  if (!agrees) throw EntryError(entry.Name, "the local header does not match the central directory");

  std::uint64_t data = offset + kLocalSize + nameSize + extraSize;
  if (data > centralDirectoryOffset_ || entry.CompressedSize > centralDirectoryOffset_ - data)
    throw EntryError(entry.Name, "the data lies outside the archive (truncated?)");
  return data;
}

std::vector<std::string> TZipArchive::ExtractAll(const std::string& folder,
                                                 const std::function<void(const std::string&)>& onWritten) {
  // An empty folder would put the files in the current folder, wherever that is.
  if (folder.empty()) throw EZipError("No folder given to extract the ZIP archive " + Quoted(path_) + " into");
  fs::path root = WithoutTrailingSeparator(platform::ToPath(folder));

  // Everything that can be checked is checked before the first byte is written.
  struct TPlanned {
    const TZipEntry* Entry;
    fs::path Relative;
    std::uint64_t DataOffset;
  };
  std::vector<TPlanned> plan;
  plan.reserve(entries_.size());
  fs::path canonicalRoot = CanonicalFolder(root);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const TZipEntry& entry = entries_[i];
    fs::path relative = SafeRelativePath(entry);
    CheckSupported(entry);
    std::uint64_t dataOffset = DataOffset(i);
    fs::path target = root / relative;
    CheckInside(entry.IsFolder ? target : target.parent_path(), root, canonicalRoot, entry.Name);
    plan.push_back({&entry, std::move(relative), dataOffset});
  }

  std::error_code ec;
  fs::create_directories(root, ec);
  if (ec) throw EZipError("Cannot create the folder " + Quoted(folder) + ": " + ec.message());
  canonicalRoot = CanonicalFolder(root);
  std::vector<std::size_t> files;
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const TZipEntry& entry = *plan[i].Entry;
    fs::path target = root / plan[i].Relative;
    fs::path folderOfTarget = entry.IsFolder ? target : target.parent_path();
    // Checked again: the folders an earlier entry created are now real and resolvable.
    CheckInside(folderOfTarget, root, canonicalRoot, entry.Name);
    CreateFolders(folderOfTarget, entry.Name);
    if (!entry.IsFolder) files.push_back(i);
  }

  // The largest first, so the threads end together rather than one waiting on a large last file.
  std::stable_sort(files.begin(), files.end(),
                   [&](std::size_t a, std::size_t b) { return plan[a].Entry->Size > plan[b].Entry->Size; });
  std::vector<std::optional<TTemporaryFile>> extracted(plan.size());
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::mutex errorLock;
  std::exception_ptr error;
  auto work = [&] {
    try {
      TWorker worker(path_);
      for (std::size_t job; !failed && (job = next++) < files.size();) {
        const TPlanned& item = plan[files[job]];
        extracted[files[job]].emplace(ExtractToTemporary(*item.Entry, item.DataOffset, root / item.Relative, worker));
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(errorLock);
      if (!error) error = std::current_exception();
      failed = true;
    }
  };
  const bool twoCores = std::thread::hardware_concurrency() >= 2;
  {
    std::optional<std::jthread> helper;
    if (twoCores && files.size() > 1) helper.emplace(work);
    work();
  }
  // Every temporary file goes with `extracted` when this throws: nothing was published.
  if (error) std::rethrow_exception(error);

  std::vector<std::string> written;
  written.reserve(files.size());
  for (std::size_t i = 0; i < plan.size(); ++i) {
    if (!extracted[i]) continue;
    TTemporaryFile& temporary = *extracted[i];
    fs::path target = root / plan[i].Relative;
    fs::rename(temporary.Path(), target, ec);
    if (ec)
      throw EntryError(plan[i].Entry->Name, "cannot replace " + Quoted(platform::FromPath(target)) + ": " + ec.message());
    temporary.Commit();
    written.push_back(platform::FromPath(plan[i].Relative));
    if (onWritten) onWritten(written.back());
  }
  return written;
}

std::uint64_t ZipUncompressedSize(std::span<const std::uint8_t> archive) {
  auto u16 = [&](std::size_t at) -> std::uint64_t {
    if (at + 2 > archive.size()) throw EZipError("The archive's central directory is cut short");
    return archive[at] | archive[at + 1] << 8;
  };
  auto u32 = [&](std::size_t at) -> std::uint64_t { return u16(at) | u16(at + 2) << 16; };
  auto u64 = [&](std::size_t at) -> std::uint64_t { return u32(at) | u32(at + 4) << 32; };
  // The end record lies in the last 64 KiB + 22 bytes; the last signature found wins.
  if (archive.size() < 22) throw EZipError("The archive has no end record");
  std::size_t end = archive.size() - 22;
  const std::size_t lowest = archive.size() > 22 + 0xFFFF ? archive.size() - 22 - 0xFFFF : 0;
  while (u32(end) != 0x06054b50) {
    if (end == lowest) throw EZipError("The archive has no end record");
    --end;
  }
  std::uint64_t count = u16(end + 10), offset = u32(end + 16);
  // A ZIP64 end record, when its locator stands just before the classic one, holds the true figures.
  if (end >= 20 && u32(end - 20) == 0x07064b50) {
    const std::uint64_t zip64 = u64(end - 20 + 8);
    if (zip64 + 56 <= archive.size() && u32(static_cast<std::size_t>(zip64)) == 0x06064b50) {
      count = u64(static_cast<std::size_t>(zip64) + 32);
      offset = u64(static_cast<std::size_t>(zip64) + 48);
    }
  }
  std::uint64_t total = 0;
  std::size_t at = static_cast<std::size_t>(std::min<std::uint64_t>(offset, archive.size()));
  for (std::uint64_t i = 0; i < count; ++i) {
    if (u32(at) != 0x02014b50) throw EZipError("The archive's central directory is damaged");
    std::uint64_t size = u32(at + 24);
    const std::size_t nameLength = u16(at + 28), extraLength = u16(at + 30), commentLength = u16(at + 32);
    if (size == 0xFFFFFFFF) {
      // The ZIP64 extra field holds the real size first.
      for (std::size_t field = at + 46 + nameLength; field + 4 <= at + 46 + nameLength + extraLength;) {
        const std::size_t fieldSize = u16(field + 2);
        if (u16(field) == 0x0001) {
          size = u64(field + 4);
          break;
        }
        field += 4 + fieldSize;
      }
    }
    total += size;
    at += 46 + nameLength + extraLength + commentLength;
  }
  return total;
}

}  // namespace installer
