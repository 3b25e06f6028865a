// The floor an installation's own work cannot go below on this machine: the archive copied to a
// temporary file, then its entries inflated (libdeflate), checked against their CRC and written, on two
// threads, largest first, with none of the installer's checks, steps, record or report. The benchmark
// times it beside the installer. Usage: extract_floor ARCHIVE TEMPORARY_FILE FOLDER
#include <fcntl.h>
#include <libdeflate.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Entry {
  std::string name;
  std::uint32_t crc = 0;
  std::uint64_t compressed = 0, size = 0, header = 0;
  std::uint16_t method = 0;
};

std::uint32_t Le16(const unsigned char* p) { return p[0] | p[1] << 8; }
std::uint32_t Le32(const unsigned char* p) { return Le16(p) | Le16(p + 2) << 16; }

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "extract_floor: %s\n", what.c_str());
  std::exit(1);
}

// Buffers taken with their pages ready, as the installer takes them.
unsigned char* Take(std::size_t size) {
  void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  if (block == MAP_FAILED) Fail("out of memory");
  return static_cast<unsigned char*>(block);
}

std::vector<Entry> ReadDirectory(int fd, std::uint64_t fileSize) {
  unsigned char end[22];
  if (pread(fd, end, sizeof end, static_cast<off_t>(fileSize - 22)) != 22 || Le32(end) != 0x06054b50)
    Fail("no end record (archives with a comment or ZIP64 are not read here)");
  std::vector<unsigned char> directory(Le32(end + 12));
  if (pread(fd, directory.data(), directory.size(), Le32(end + 16)) != static_cast<ssize_t>(directory.size()))
    Fail("cannot read the directory");
  std::vector<Entry> entries;
  for (std::size_t pos = 0, i = 0; i < Le16(end + 10); ++i) {
    const unsigned char* h = &directory[pos];
    Entry e;
    e.method = static_cast<std::uint16_t>(Le16(h + 10));
    e.crc = Le32(h + 16);
    e.compressed = Le32(h + 20);
    e.size = Le32(h + 24);
    e.header = Le32(h + 42);
    e.name.assign(reinterpret_cast<const char*>(h + 46), Le16(h + 28));
    pos += 46 + Le16(h + 28) + Le16(h + 30) + Le16(h + 32);
    if (!e.name.empty() && e.name.back() != '/') entries.push_back(std::move(e));
  }
  return entries;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) Fail("usage: extract_floor ARCHIVE TEMPORARY_FILE FOLDER");
  const int source = open(argv[1], O_RDONLY);
  struct stat info {};
  if (source < 0 || fstat(source, &info) != 0) Fail(std::string("cannot open ") + argv[1]);
  // The temporary archive, as the installer's export writes it.
  const int archive = open(argv[2], O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (archive < 0) Fail(std::string("cannot create ") + argv[2]);
  for (off_t from = 0; from < info.st_size;)
    if (copy_file_range(source, &from, archive, nullptr, static_cast<std::size_t>(info.st_size - from), 0) <= 0)
      Fail("cannot copy the archive");

  std::vector<Entry> entries = ReadDirectory(archive, static_cast<std::uint64_t>(info.st_size));
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.size > b.size; });
  const std::string folder = argv[3];
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    std::size_t inCapacity = 0, outCapacity = 0;
    unsigned char *in = nullptr, *out = nullptr;
    auto grow = [](unsigned char*& block, std::size_t& capacity, std::size_t need) {
      if (need <= capacity) return;
      if (block) munmap(block, capacity);
      block = Take(capacity = need);
    };
    for (std::size_t job; (job = next++) < entries.size();) {
      const Entry& e = entries[job];
      unsigned char local[30];
      if (pread(archive, local, sizeof local, static_cast<off_t>(e.header)) != 30) Fail("cannot read " + e.name);
      const auto data = static_cast<off_t>(e.header + 30 + Le16(local + 26) + Le16(local + 28));
      const std::string path = folder + "/" + e.name;
      mkdir(path.substr(0, path.rfind('/')).c_str(), 0755);
      const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (file < 0) Fail("cannot create " + path);
      std::uint32_t crc = 0;
      if (e.method == 0) {
        // Stored: through one small buffer, read, checked and written a piece at a time.
        constexpr std::size_t kPiece = 256 * 1024;
        grow(in, inCapacity, kPiece);
        for (std::uint64_t done = 0; done < e.size;) {
          const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, e.size - done));
          if (pread(archive, in, piece, data + static_cast<off_t>(done)) != static_cast<ssize_t>(piece)) Fail("read");
          crc = libdeflate_crc32(crc, in, piece);
          if (write(file, in, piece) != static_cast<ssize_t>(piece)) Fail("write");
          done += piece;
        }
      } else {
        grow(in, inCapacity, std::max<std::size_t>(e.compressed, 1));
        grow(out, outCapacity, std::max<std::size_t>(e.size, 1));
        if (pread(archive, in, e.compressed, data) != static_cast<ssize_t>(e.compressed)) Fail("read");
        if (libdeflate_deflate_decompress(inflater, in, e.compressed, out, e.size, nullptr) != LIBDEFLATE_SUCCESS)
          Fail("cannot inflate " + e.name);
        crc = libdeflate_crc32(0, out, e.size);
        for (std::uint64_t done = 0; done < e.size; done += 256 * 1024)
          if (write(file, out + done, std::min<std::uint64_t>(256 * 1024, e.size - done)) < 0) Fail("write");
      }
      close(file);
      if (crc != e.crc) Fail("CRC mismatch in " + e.name);
    }
    if (in) munmap(in, inCapacity);
    if (out) munmap(out, outCapacity);
    libdeflate_free_decompressor(inflater);
  };
  std::thread helper(work);
  work();
  helper.join();
  close(archive);
  unlink(argv[2]);
  return 0;
}
