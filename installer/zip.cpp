// Extracting a ZIP archive on two threads, into temporary files that replace their targets once all are verified.
#include "installer/zip.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

#include "installer/inflate.h"
#include "installer/zip_format.h"
#include "installer/zip_paths.h"
#include "platform/files.h"
#include "platform/memory.h"

namespace installer {
namespace fs = std::filesystem;

namespace {

using namespace zip_format;

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

void CheckSupported(const TZipEntry& entry) {
  if (UnixType(entry.MadeBy, entry.ExternalAttributes) == kUnixLink || (entry.ExternalAttributes & kWindowsReparsePoint))
    throw ZipEntryError(entry.Name, "symbolic links are not extracted");
  if (entry.Flags & kFlagEncrypted) throw ZipEntryError(entry.Name, "encrypted entries are not supported");
  if (entry.IsFolder) return;
  if (entry.Method != kMethodStored && entry.Method != kMethodDeflated)
    throw ZipEntryError(entry.Name, "compression method " + std::to_string(entry.Method) +
                                        " is not supported (only stored and deflated)");
  if (entry.Method == kMethodStored && entry.CompressedSize != entry.Size)
    throw ZipEntryError(entry.Name, "a stored entry whose compressed size differs from its size");
}

void CreateFolders(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) throw ZipEntryError(name, "cannot create the folder " + QuotedText(platform::FromPath(folder)) + ": " + ec.message());
}

// A write that failed, with the system's reason: a full disk has to be told apart from a damaged entry.
EZipError WriteError(const std::string& name, const fs::path& file) {
  const int error = errno;
  return ZipEntryError(name, "cannot write " + QuotedText(platform::FromPath(file)) +
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
    if (!file_) throw ZipArchiveError(path, "the file cannot be opened");
  }

  // The archive's bytes [offset, offset + size), valid until the next call.
  const unsigned char* View(std::uint64_t offset, std::size_t size, const std::string& name) {
    unsigned char* buffer = buffer_.Get(std::max<std::size_t>(size, 1));
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(offset));
    file_.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(size));
    if (file_.gcount() != static_cast<std::streamsize>(size))
      throw ZipEntryError(name, "cannot read the archive " + QuotedText(path_));
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
    if (!out_) throw ZipEntryError(name, "cannot create " + QuotedText(platform::FromPath(path)));
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
    if (size > entry.Size - written) throw ZipEntryError(name, "the data is longer than its recorded size");
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

  if (entry.Method == kMethodStored) {
    while (remaining > 0) {
      const std::size_t size = readChunk();
      emit(input, size);
    }
  } else {
    TStreamInflater inflater;
    if (!inflater.Started()) throw ZipEntryError(name, "cannot start decompressing");
    unsigned char* output = worker.Output.Get(kBufferSize);
    for (TStreamInflater::TResult result = TStreamInflater::TResult::Progress;
         result != TStreamInflater::TResult::End;) {
      if (inflater.Pending() == 0 && remaining > 0) {
        const std::size_t size = readChunk();
        inflater.Feed(input, size);
      }
      // Inflating goes on after the input is used up: the inflater may still hold output that found no
      // room in the last buffer. Only when it can make no progress at all is the data cut short.
      std::size_t made = 0;
      result = inflater.Inflate(output, kBufferSize, made);
      if (result == TStreamInflater::TResult::Truncated)
        throw ZipEntryError(name, "the compressed data ends too early (damaged or truncated)");
      if (result == TStreamInflater::TResult::Damaged)
        throw ZipEntryError(name, "the compressed data is damaged (" + inflater.Fault() + ")");
      emit(output, made);
    }
    if (inflater.Pending() != 0 || remaining != 0)
      throw ZipEntryError(name, "the compressed data is shorter than its recorded compressed size");
  }
  if (written != entry.Size)
    throw ZipEntryError(name, "size mismatch (" + std::to_string(written) + " bytes instead of " +
                               std::to_string(entry.Size) + ")");
  if (crc != entry.Crc32) throw ZipEntryError(name, "CRC-32 mismatch (the data is damaged)");
}

// Writes the entry's verified content to a temporary file beside its target; the file is removed again
// unless the caller commits it.
TTemporaryFile ExtractToTemporary(const TZipEntry& entry, std::uint64_t dataOffset, const fs::path& target,
                                  TWorker& worker) {
  const std::string& name = entry.Name;
  TTemporaryFile temporary(TemporaryNameIn(target.parent_path()));
  {
    TOutputFile out(temporary.Path(), name);
    const bool whole = entry.Method == kMethodDeflated && entry.Size <= kWholeEntryLimit &&
                       entry.CompressedSize <= kWholeEntryLimit - entry.Size;
    bool done = false;
    if (whole) {
      const auto inSize = static_cast<std::size_t>(entry.CompressedSize);
      const auto outSize = static_cast<std::size_t>(entry.Size);
      const unsigned char* input = worker.Reader.View(dataOffset, inSize, name);
      unsigned char* output = worker.Output.Get(std::max<std::size_t>(outSize, 1));
      if (worker.Whole.Inflate(input, inSize, output, outSize)) {
        if (Crc32(0, output, outSize) != entry.Crc32) throw ZipEntryError(name, "CRC-32 mismatch (the data is damaged)");
        out.Write(output, outSize);
        done = true;
      }
    }
    // Streaming again names the fault of data that would not inflate whole.
    if (!done) {
      StreamEntry(entry, dataOffset, worker, out);
      if (whole) throw ZipEntryError(name, "the compressed data is damaged");
    }
    out.Close();
  }
  // A program packed on Unix keeps its execute bits.
  if (HasUnixMode(entry.MadeBy) && ((entry.ExternalAttributes >> 16) & 0111)) platform::MarkExecutable(temporary.Path());
  return temporary;
}

// The archive, opened for the directory's reader: EZipError when there is no such file or it cannot be opened.
std::ifstream OpenArchive(const std::string& path) {
  std::error_code ec;
  fs::path file = platform::ToPath(path);
  if (!fs::is_regular_file(file, ec)) throw ZipArchiveError(path, "the file does not exist");
  std::ifstream in(file, std::ios::binary);
  if (!in) throw ZipArchiveError(path, "the file cannot be opened");
  return in;
}

std::uint64_t SizeOf(std::ifstream& file, const std::string& path) {
  file.seekg(0, std::ios::end);
  std::streamoff size = file.tellg();
  if (size < 0) throw ZipArchiveError(path, "the file cannot be read");
  return static_cast<std::uint64_t>(size);
}

}  // namespace

TZipArchive::TZipArchive(const std::string& path)
    : path_(path),
      file_(OpenArchive(path)),
      directory_(path, SizeOf(file_, path), [this](std::uint64_t offset, void* buffer, std::size_t size) {
        file_.clear();
        file_.seekg(static_cast<std::streamoff>(offset));
        file_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
        if (file_.gcount() != static_cast<std::streamsize>(size)) throw ZipArchiveError(path_, "the file cannot be read");
      }) {}

std::vector<std::string> TZipArchive::ExtractAll(const std::string& folder,
                                                 const std::function<void(const std::string&)>& onWritten) {
  // An empty folder would put the files in the current folder, wherever that is.
  if (folder.empty()) throw EZipError("No folder given to extract the ZIP archive " + QuotedText(path_) + " into");
  fs::path root = WithoutTrailingSeparator(platform::ToPath(folder));

  // Everything that can be checked is checked before the first byte is written.
  struct TPlanned {
    const TZipEntry* Entry;
    fs::path Relative;
    std::uint64_t DataOffset;
  };
  std::vector<TPlanned> plan;
  plan.reserve(Entries().size());
  fs::path canonicalRoot = CanonicalFolder(root);
  for (std::size_t i = 0; i < Entries().size(); ++i) {
    const TZipEntry& entry = Entries()[i];
    fs::path relative = SafeRelativePath(entry.Name);
    CheckSupported(entry);
    std::uint64_t dataOffset = directory_.DataOffset(i);
    fs::path target = root / relative;
    CheckInside(entry.IsFolder ? target : target.parent_path(), root, canonicalRoot, entry.Name);
    plan.push_back({&entry, std::move(relative), dataOffset});
  }

  std::error_code ec;
  fs::create_directories(root, ec);
  if (ec) throw EZipError("Cannot create the folder " + QuotedText(folder) + ": " + ec.message());
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
      throw ZipEntryError(plan[i].Entry->Name, "cannot replace " + QuotedText(platform::FromPath(target)) + ": " + ec.message());
    temporary.Commit();
    written.push_back(platform::FromPath(plan[i].Relative));
    if (onWritten) onWritten(written.back());
  }
  return written;
}

}  // namespace installer
