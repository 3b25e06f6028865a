// Tests of the ZIP reader, on archives built here by a small writer on zlib so both systems see the same bytes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "file_tree.h"
#include "installer/gzip.h"
#include "installer/zip.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;
using installer::EZipError;
using testsupport::FileTree;
using testsupport::ReadFile;
using testsupport::WriteFile;
using installer::TZipArchive;

void Put16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8 & 0xFF);
}
void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
void Put64(std::string& out, std::uint64_t value) {
  Put32(out, static_cast<std::uint32_t>(value));
  Put32(out, static_cast<std::uint32_t>(value >> 32));
}

std::uint32_t Crc(const std::string& data) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// A raw deflate stream as ZIP stores it, or with 16 + MAX_WBITS a gzip member.
std::string Deflate(const std::string& data, int level = 6, int windowBits = -MAX_WBITS) {
  struct TDeflater {
    z_stream stream{};
    TDeflater(int level, int bits) { deflateInit2(&stream, level, Z_DEFLATED, bits, 8, Z_DEFAULT_STRATEGY); }
    ~TDeflater() { deflateEnd(&stream); }
  } deflater(level, windowBits);
  std::string out(deflateBound(&deflater.stream, static_cast<uLong>(data.size())), '\0');
  deflater.stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  deflater.stream.avail_in = static_cast<uInt>(data.size());
  deflater.stream.next_out = reinterpret_cast<Bytef*>(out.data());
  deflater.stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&deflater.stream, Z_FINISH), Z_STREAM_END);
  out.resize(deflater.stream.total_out);
  return out;
}

// Bytes that do not compress, so deflated entries span several of the reader's buffers.
std::string Noise(std::size_t size, std::uint32_t seed) {
  std::string out(size, '\0');
  for (char& c : out) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return out;
}

// Which of an entry's values its central directory moves into a ZIP64 extra field, leaving the marker
// in the classic field.
enum : std::uint8_t { kZip64Sizes = 1, kZip64Offset = 2, kZip64Disk = 4, kZip64All = kZip64Sizes | kZip64Offset };

struct TTestEntry {
  std::string name{};  // the stored bytes
  std::string data{};
  std::uint16_t method = Z_DEFLATED;  // any method but 8 stores the data as it is
  std::uint16_t flags = 0;
  bool descriptor = false;  // CRC and sizes after the data and zero in the local header (flag bit 3)
  bool descriptorSignature = true;
  int level = 6;  // of the deflater
  std::uint8_t zip64 = 0;   // kZip64... flags; ZIP64 sizes also go into the local header
  bool zip64Local = false;  // ZIP64 sizes in the local header only (as "zip -fz" writes small files)
  std::uint16_t zip64ExtraId = 0x0001;
  std::uint16_t madeBy = 20;  // MS-DOS attributes, version 2.0
  std::uint32_t external = 0;
  std::string localExtra{}, centralExtra{};
  std::string localName{};  // when set, the local header names another file than the central directory
  std::size_t cutCompressed = 0;  // bytes dropped from the end of the stored data
  long flipByte = -1;             // a byte of the stored data damaged after the CRC was taken
  long sizeDelta = 0;             // added to the recorded size
  std::uint32_t crcXor = 0;       // flips bits of the recorded CRC-32
};

struct TTestArchive {
  std::vector<TTestEntry> entries;
  std::string comment;
  bool zip64End = false;  // the ZIP64 end record and locator, with markers in the classic end record
  long countDelta = 0;    // added to the entry count the end records give
};

std::string BuildZip(const TTestArchive& archive) {
  std::string out, directory;
  for (const TTestEntry& e : archive.entries) {
    std::uint32_t crc = Crc(e.data) ^ e.crcXor;
    std::string stored = e.method == Z_DEFLATED ? Deflate(e.data, e.level) : e.data;
    stored.resize(stored.size() - e.cutCompressed);
    if (e.flipByte >= 0) stored[static_cast<std::size_t>(e.flipByte)] ^= 0x20;
    std::uint64_t size = e.data.size() + e.sizeDelta, compressed = stored.size(), offset = out.size();
    std::uint16_t flags = e.flags | (e.descriptor ? 0x0008 : 0);
    std::uint16_t needed = e.zip64 || e.zip64Local ? 45 : 20;
    const std::string& localName = e.localName.empty() ? e.name : e.localName;
    bool localSizes64 = (e.zip64 & kZip64Sizes) || e.zip64Local;
    std::string localExtra = e.localExtra;
    if (localSizes64 && !e.descriptor) {
      Put16(localExtra, e.zip64ExtraId), Put16(localExtra, 16), Put64(localExtra, size), Put64(localExtra, compressed);
    }
    auto classic = [](bool marked, std::uint64_t value) {
      return marked ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
    };

    Put32(out, 0x04034b50), Put16(out, needed), Put16(out, flags), Put16(out, e.method);
    Put16(out, 0), Put16(out, 0x21);  // 1980-01-01 00:00
    Put32(out, e.descriptor ? 0 : crc);
    Put32(out, e.descriptor ? 0 : classic(localSizes64, compressed));
    Put32(out, e.descriptor ? 0 : classic(localSizes64, size));
    Put16(out, static_cast<std::uint32_t>(localName.size())), Put16(out, static_cast<std::uint32_t>(localExtra.size()));
    out += localName + localExtra + stored;
    if (e.descriptor) {
      if (e.descriptorSignature) Put32(out, 0x08074b50);
      Put32(out, crc);
      if (e.zip64) Put64(out, compressed), Put64(out, size);
      else Put32(out, static_cast<std::uint32_t>(compressed)), Put32(out, static_cast<std::uint32_t>(size));
    }

    // The ZIP64 values follow in a fixed order, each present only when its classic field is marked.
    std::string zip64Values;
    if (e.zip64 & kZip64Sizes) Put64(zip64Values, size), Put64(zip64Values, compressed);
    if (e.zip64 & kZip64Offset) Put64(zip64Values, offset);
    if (e.zip64 & kZip64Disk) Put32(zip64Values, 0);
    std::string centralExtra;
    if (e.zip64) {
      Put16(centralExtra, e.zip64ExtraId), Put16(centralExtra, static_cast<std::uint32_t>(zip64Values.size()));
      centralExtra += zip64Values;
    }
    centralExtra += e.centralExtra;
    bool sizes64 = e.zip64 & kZip64Sizes;
    Put32(directory, 0x02014b50), Put16(directory, e.madeBy), Put16(directory, needed), Put16(directory, flags);
    Put16(directory, e.method), Put16(directory, 0), Put16(directory, 0x21), Put32(directory, crc);
    Put32(directory, classic(sizes64, compressed)), Put32(directory, classic(sizes64, size));
    Put16(directory, static_cast<std::uint32_t>(e.name.size()));
    Put16(directory, static_cast<std::uint32_t>(centralExtra.size()));
    Put16(directory, 0), Put16(directory, (e.zip64 & kZip64Disk) ? 0xFFFF : 0), Put16(directory, 0);
    Put32(directory, e.external);
    Put32(directory, classic(e.zip64 & kZip64Offset, offset));
    directory += e.name + centralExtra;
  }

  std::uint64_t directoryOffset = out.size();
  std::uint64_t count = archive.entries.size() + archive.countDelta;
  out += directory;
  if (archive.zip64End) {
    std::uint64_t recordOffset = out.size();
    Put32(out, 0x06064b50), Put64(out, 44), Put16(out, 45), Put16(out, 45), Put32(out, 0), Put32(out, 0);
    Put64(out, count), Put64(out, count), Put64(out, directory.size()), Put64(out, directoryOffset);
    Put32(out, 0x07064b50), Put32(out, 0), Put64(out, recordOffset), Put32(out, 1);
  }
  // Without the ZIP64 record a count past the classic field wraps, as careless writers let it.
  Put32(out, 0x06054b50), Put16(out, 0), Put16(out, 0);
  Put16(out, archive.zip64End ? 0xFFFF : static_cast<std::uint32_t>(count & 0xFFFF));
  Put16(out, archive.zip64End ? 0xFFFF : static_cast<std::uint32_t>(count & 0xFFFF));
  Put32(out, archive.zip64End ? 0xFFFFFFFFu : static_cast<std::uint32_t>(directory.size()));
  Put32(out, archive.zip64End ? 0xFFFFFFFFu : static_cast<std::uint32_t>(directoryOffset));
  Put16(out, static_cast<std::uint32_t>(archive.comment.size()));
  return out + archive.comment;
}

// Info-ZIP's UTF-8 copy of a legacy name, tied to the stored name by its CRC.
std::string UnicodePathExtra(const std::string& storedName, const std::string& utf8Name) {
  std::string data(1, '\1');
  Put32(data, Crc(storedName));
  data += utf8Name;
  std::string extra;
  Put16(extra, 0x7075), Put16(extra, static_cast<std::uint32_t>(data.size()));
  return extra + data;
}

std::string ZipErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EZipError& error) {
    return error.what();
  }
  return "(no EZipError)";
}

std::string Native(std::string path) {
  for (char& c : path)
    if (c == '/') c = platform::kPathDelim;
  return path;
}

class ZipTest : public testing::Test {
 protected:
  void SetUp() override { root_ = platform::ToPath(testsupport::MakeTempFolder()); }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  fs::path In(const std::string& relative) const { return root_ / platform::ToPath(relative); }
  std::string Text(const fs::path& path) const { return platform::FromPath(path); }
  std::string MakeZip(const TTestArchive& archive, const std::string& name = "app.zip") {
    WriteFile(In(name), BuildZip(archive));
    return Text(In(name));
  }

  fs::path root_;
};

TEST_F(ZipTest, ExtractsMixedArchiveWithExactBytesIntoNewFolder) {
  const std::string big = Noise(400000, 1) + std::string(500000, 'z');
  const std::string timestampExtra("\x55\x54\x05\x00\x01\x00\x00\x00\x00", 9);  // in the local header only
  TTestArchive archive;
  archive.entries = {
      {.name = "readme.txt", .data = "hello\r\nworld\n", .method = 0, .localExtra = timestampExtra},
      {.name = "sub/", .method = 0, .external = 0x10},
      {.name = "sub/data.bin", .data = big},
      {.name = "implied/deep/file.txt", .data = "deep"},
      {.name = "empty.txt", .method = 0},
      {.name = "emptydir/", .method = 0},
      {.name = "attrdir", .method = 0, .external = 0x10},  // a folder by its attributes only
  };
  archive.comment = "a comment with PK\x05\x06 inside, and text enough after it for a whole record";
  std::string path = MakeZip(archive);

  TZipArchive zip(path);
  const auto& entries = zip.Entries();
  ASSERT_EQ(entries.size(), 7u);
  EXPECT_EQ(entries[2].Name, "sub/data.bin");
  EXPECT_EQ(entries[2].Method, 8);
  EXPECT_EQ(entries[2].Size, big.size());
  EXPECT_EQ(entries[2].Crc32, Crc(big));
  EXPECT_LT(entries[2].CompressedSize, big.size());
  EXPECT_EQ(entries[0].LocalHeaderOffset, 0u);
  EXPECT_GT(entries[1].LocalHeaderOffset, 0u);
  std::vector<bool> folders;
  for (const auto& entry : entries) folders.push_back(entry.IsFolder);
  EXPECT_EQ(folders, (std::vector<bool>{false, true, false, false, false, true, true}));

  fs::path out = In("out/nested");
  std::vector<std::string> written = zip.ExtractAll(Text(out));
  EXPECT_EQ(written, (std::vector<std::string>{"readme.txt", Native("sub/data.bin"),
                                               Native("implied/deep/file.txt"), "empty.txt"}));
  std::map<std::string, std::string> expected = {
      {"readme.txt", "hello\r\nworld\n"}, {"sub", "<folder>"},           {"sub/data.bin", big},
      {"implied", "<folder>"},            {"implied/deep", "<folder>"},  {"implied/deep/file.txt", "deep"},
      {"empty.txt", ""},                  {"emptydir", "<folder>"},      {"attrdir", "<folder>"},
  };
  EXPECT_EQ(FileTree(out), expected);
}

TEST_F(ZipTest, ReplacesExistingFilesAndKeepsOthersAlsoWhenRunAgain) {
  fs::path out = In("out");
  WriteFile(out / "readme.txt", "an old readme, longer than the new one");
  WriteFile(out / "user.cfg", "settings of the user");
  WriteFile(out / "sub" / "old.dat", "old data");
  TTestArchive archive;
  archive.entries = {{.name = "readme.txt", .data = "new"}, {.name = "sub/added.txt", .data = "added", .method = 0}};
  std::string path = MakeZip(archive);
  std::map<std::string, std::string> expected = {
      {"readme.txt", "new"}, {"user.cfg", "settings of the user"}, {"sub", "<folder>"},
      {"sub/old.dat", "old data"}, {"sub/added.txt", "added"},
  };

  TZipArchive zip(path);
  zip.ExtractAll(Text(out) + platform::kPathDelim);
  EXPECT_EQ(FileTree(out), expected);
  zip.ExtractAll(Text(out));
  EXPECT_EQ(FileTree(out), expected);
}

TEST_F(ZipTest, TakesSizesFromTheCentralDirectoryWhenDataDescriptorsFollow) {
  const std::string big = Noise(300000, 2);
  TTestArchive archive;
  archive.entries = {
      {.name = "signed.bin", .data = big, .descriptor = true},
      {.name = "unsigned.txt", .data = std::string(70000, 'u'), .descriptor = true, .descriptorSignature = false},
      {.name = "stored.txt", .data = "stored with a descriptor", .method = 0, .descriptor = true,
       .descriptorSignature = false},
  };
  TZipArchive zip(MakeZip(archive));
  zip.ExtractAll(Text(In("out")));
  std::map<std::string, std::string> expected = {
      {"signed.bin", big}, {"unsigned.txt", std::string(70000, 'u')}, {"stored.txt", "stored with a descriptor"}};
  EXPECT_EQ(FileTree(In("out")), expected);
}

TEST_F(ZipTest, ReadsZip64FieldsAndEndRecord) {
  TTestArchive archive;
  archive.zip64End = true;
  archive.entries = {
      {.name = "big.bin", .data = Noise(300000, 3), .zip64 = kZip64All},
      {.name = "plain.txt", .data = "no zip64 fields here", .method = 0},
      {.name = "stored.txt", .data = "stored", .method = 0, .zip64 = kZip64All},
      {.name = "described.txt", .data = "with a zip64 descriptor", .descriptor = true, .zip64 = kZip64All},
      // The extra field holds only the values whose classic fields are marked.
      {.name = "offset-only.txt", .data = std::string(1000, 'o'), .zip64 = kZip64Offset, .zip64Local = true},
      {.name = "sizes-only.bin", .data = Noise(280000, 4), .method = 0, .zip64 = kZip64Sizes},
      {.name = "with-disk.txt", .data = "disk number in the extra field too", .zip64 = kZip64All | kZip64Disk},
      {.name = "sub/offset-and-disk.txt", .data = "deeper", .zip64 = kZip64Offset | kZip64Disk},
  };
  std::string path = MakeZip(archive);
  const std::string bytes = ReadFile(platform::ToPath(path));
  TZipArchive zip(path);
  const auto& entries = zip.Entries();
  ASSERT_EQ(entries.size(), archive.entries.size());
  std::map<std::string, std::string> expected = {{"sub", "<folder>"}};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TTestEntry& written = archive.entries[i];
    SCOPED_TRACE(written.name);
    EXPECT_EQ(entries[i].Name, written.name);
    EXPECT_EQ(entries[i].Size, written.data.size());
    if (written.method == 0) {
      EXPECT_EQ(entries[i].CompressedSize, written.data.size());
    }
    ASSERT_LT(entries[i].LocalHeaderOffset, bytes.size());
    EXPECT_EQ(bytes.substr(static_cast<std::size_t>(entries[i].LocalHeaderOffset), 4), "PK\x03\x04");
    if (i > 0) {
      EXPECT_GT(entries[i].LocalHeaderOffset, entries[i - 1].LocalHeaderOffset);
    }
    expected[written.name] = written.data;
  }

  zip.ExtractAll(Text(In("out")));
  EXPECT_EQ(FileTree(In("out")), expected);

  // The room an installation asks for is read from the same directory, ZIP64 sizes included.
  std::uint64_t total = 0;
  for (const TTestEntry& e : archive.entries) total += e.data.size();
  EXPECT_EQ(installer::ZipUncompressedSize({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, path), total);
}

TEST_F(ZipTest, RefusesTheWholeArchiveBeforeWritingAnything) {
  struct TCase {
    TTestEntry entry;
    std::string reason;
  };
  const std::string outside = "the name leads out of the folder (\"..\")";
  const std::string absolute = "the name is an absolute path";
  const std::string colon = "the name holds a drive, device or data stream (\":\")";
  const std::string device = "the name is a reserved device name";
  const std::string link = "symbolic links are not extracted";
  const std::vector<TCase> cases = {
      {{.name = "/tmp/evil.txt"}, absolute},
      {{.name = "\\evil.txt"}, absolute},
      {{.name = "\\\\server\\share\\evil.txt"}, absolute},
      {{.name = "//server/share/evil.txt"}, absolute},
      {{.name = "C:evil.txt"}, colon},
      {{.name = "C:\\evil.txt"}, colon},
      {{.name = "c:/evil.txt"}, colon},
      {{.name = "good.txt:hidden"}, colon},
      {{.name = "sub/good.txt::$DATA"}, colon},
      {{.name = "../evil.txt"}, outside},
      {{.name = "sub/../../evil.txt"}, outside},
      {{.name = "..\\evil.txt"}, outside},
      {{.name = "sub\\..\\..\\evil.txt"}, outside},
      {{.name = "sub/.."}, outside},
      {{.name = ".. /evil.txt"}, outside},
      {{.name = ".../evil.txt"}, outside},
      {{.name = "\xC0\xAE\xC0\xAE/evil.txt", .flags = 0x0800}, "the name is not valid UTF-8"},
      {{.name = ""}, "the name is empty"},
      {{.name = "./"}, "the name names no file or folder"},
      {{.name = "CON"}, device},
      {{.name = "sub/nul.txt"}, device},
      {{.name = "Com1.log"}, device},
      {{.name = "a\x01" "b.txt"}, "the name holds a character that file names cannot hold"},
      {{.name = "sub/a*b.txt"}, "the name holds a character that file names cannot hold"},
      {{.name = "link", .data = "/etc/passwd", .method = 0, .madeBy = 0x031E, .external = 0120777u << 16}, link},
      {{.name = "junction/", .method = 0, .madeBy = 0x0A14, .external = 0x410}, link},
      {{.name = "packed.bin", .method = 12}, "compression method 12 is not supported (only stored and deflated)"},
      {{.name = "secret.txt", .flags = 0x0001}, "encrypted entries are not supported"},
      {{.name = "stored.txt", .data = "abc", .method = 0, .sizeDelta = 1},
       "a stored entry whose compressed size differs from its size"},
      {{.name = "shown.txt", .localName = "other.txt"}, "the local header does not match the central directory"},
  };
  WriteFile(In("out/keep.txt"), "kept");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.entry.name);
    TTestArchive archive;
    archive.entries = {{.name = "good.txt", .data = "good"}, c.entry, {.name = "late.txt", .data = "late"}};
    std::string path = MakeZip(archive);
    std::map<std::string, std::string> before = FileTree(root_);

    TZipArchive zip(path);
    EXPECT_EQ(ZipErrorOf([&] { zip.ExtractAll(Text(In("out"))); }), "ZIP entry \"" + c.entry.name + "\": " + c.reason);
    EXPECT_EQ(ZipErrorOf([&] { zip.ExtractAll(Text(In("fresh"))); }), "ZIP entry \"" + c.entry.name + "\": " + c.reason);
    EXPECT_EQ(FileTree(root_), before);
  }

  TTestArchive harmless;
  harmless.entries = {{.name = "good.txt", .data = "good"}};
  TZipArchive zip(MakeZip(harmless));
  EXPECT_NE(ZipErrorOf([&] { zip.ExtractAll(""); }), "(no EZipError)");
}

TEST_F(ZipTest, DoesNotFollowALinkOutOfTheFolder) {
  fs::create_directories(In("out"));
  fs::create_directories(In("elsewhere"));
  std::error_code ec;
  fs::create_directory_symlink(In("elsewhere"), In("out/linked"), ec);
  if (ec) GTEST_SKIP() << "no symbolic links on this system: " << ec.message();

  for (std::string name : {"linked/evil.txt", "linked/", "linked/deeper/evil.txt"}) {
    SCOPED_TRACE(name);
    TTestArchive archive;
    archive.entries = {{.name = "good.txt", .data = "good"}, {.name = name, .data = "", .method = 0}};
    std::string path = MakeZip(archive);
    std::map<std::string, std::string> before = FileTree(root_);
    TZipArchive zip(path);
    EXPECT_EQ(ZipErrorOf([&] { zip.ExtractAll(Text(In("out"))); }),
              "ZIP entry \"" + name + "\": the path leads out of the folder through a link");
    EXPECT_EQ(FileTree(root_), before);
  }
}

TEST_F(ZipTest, DamagedEntryLeavesTheExistingFileAndNoTemporaryFile) {
  const std::string data = Noise(300000, 4);
  struct TCase {
    const char* label;
    TTestEntry damaged;
    bool cutArchive;
    std::string error;  // after the archive's quoted path for errors of the whole archive
  };
  const std::string entry = "ZIP entry \"app.exe\": ";
  const std::vector<TCase> cases = {
      {"flipped stored byte", {.name = "app.exe", .data = data, .method = 0, .flipByte = 123456}, false,
       entry + "CRC-32 mismatch (the data is damaged)"},
      {"cut deflate stream", {.name = "app.exe", .data = data, .cutCompressed = 40}, false,
       entry + "the compressed data ends too early (damaged or truncated)"},
      {"recorded size too large", {.name = "app.exe", .data = data, .sizeDelta = 5}, false,
       entry + "size mismatch (300000 bytes instead of 300005)"},
      {"recorded size too small", {.name = "app.exe", .data = data, .sizeDelta = -5}, false,
       entry + "the data is longer than its recorded size"},
      {"archive cut in half", {.name = "app.exe", .data = data}, true,
       ": not a ZIP archive (no end of central directory record)"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.label);
    fs::path out = In("out");
    fs::remove_all(out);
    WriteFile(out / "app.exe", "the good program");
    TTestArchive archive;
    archive.entries = {c.damaged, {.name = "later.txt", .data = "later"}};
    std::string bytes = BuildZip(archive);
    if (c.cutArchive) bytes.resize(bytes.size() / 2);
    WriteFile(In("app.zip"), bytes);
    std::string path = Text(In("app.zip"));

    std::string error = ZipErrorOf([&] { TZipArchive(path).ExtractAll(Text(out)); });
    EXPECT_EQ(error, c.cutArchive ? "Cannot read the ZIP archive \"" + path + "\"" + c.error : c.error);
    EXPECT_EQ(FileTree(out), (std::map<std::string, std::string>{{"app.exe", "the good program"}}));
  }
}

TEST_F(ZipTest, RefusesFilesThatAreNoReadableArchiveAtOpen) {
  TTestArchive lacksZip64Field;
  lacksZip64Field.entries = {{.name = "a.txt", .data = "a", .zip64 = kZip64All, .zip64ExtraId = 0x9999}};
  struct TCase {
    const char* label;
    std::optional<std::string> bytes;  // none: no file at all
    std::string error;
  };
  const std::vector<TCase> cases = {
      {"missing file", std::nullopt, "the file does not exist"},
      {"empty file", "", "not a ZIP archive"},
      {"text file", "Just some text, long enough to hold an end record, but none.\n",
       "not a ZIP archive (no end of central directory record)"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove(In("file.zip"));
    if (c.bytes) WriteFile(In("file.zip"), *c.bytes);
    std::string path = Text(In("file.zip"));
    EXPECT_EQ(ZipErrorOf([&] { TZipArchive zip(path); }), "Cannot read the ZIP archive \"" + path + "\": " + c.error);
  }
  std::string path = MakeZip(lacksZip64Field);
  EXPECT_EQ(ZipErrorOf([&] { TZipArchive zip(path); }), "ZIP entry \"a.txt\": the ZIP64 extra field lacks the size");
}

TEST_F(ZipTest, DecodesNamesAndWritesThemUnderANonAsciiFolder) {
  struct TCase {
    TTestEntry entry;
    std::string name;
  };
  const std::vector<TCase> cases = {
      {{.name = "données/日本語.txt", .flags = 0x0800}, "données/日本語.txt"},
      {{.name = "\x81" "ber.txt"}, "über.txt"},
      {{.name = "Stra\xE1" "e.txt"}, "Straße.txt"},
      {{.name = "caf\xC3\xA9.txt"}, "caf├⌐.txt"},  // UTF-8 bytes without the flag are CP437
      {{.name = "na\x8Bve.txt", .centralExtra = UnicodePathExtra("na\x8Bve.txt", "naïve→.txt")}, "naïve→.txt"},
      {{.name = "stale\x82.txt", .centralExtra = UnicodePathExtra("renamed since", "wrong.txt")}, "staleé.txt"},
  };
  TTestArchive archive;
  for (const TCase& c : cases) {
    archive.entries.push_back(c.entry);
    archive.entries.back().data = "bytes of " + c.name;
  }
  TZipArchive zip(MakeZip(archive));
  fs::path out = In("zielördner");
  std::vector<std::string> written = zip.ExtractAll(Text(out));
  ASSERT_EQ(zip.Entries().size(), cases.size());
  ASSERT_EQ(written.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(zip.Entries()[i].Name, cases[i].name);
    EXPECT_EQ(written[i], Native(cases[i].name));
    EXPECT_EQ(ReadFile(out / platform::ToPath(cases[i].name)), "bytes of " + cases[i].name);
  }
}

// The reader inflates into buffers of 256 KiB. An entry whose output runs a little past a multiple of that,
// with a tail that compresses to almost nothing, has its input used up while the inflater still holds
// the last bytes of output.
TEST_F(ZipTest, ReadsDeflatedEntriesWhoseOutputOutlastsTheirInput) {
  constexpr std::size_t kBuffer = 256 * 1024;
  struct TContent {
    const char* label;
    std::function<std::string(std::size_t)> make;
  };
  const std::vector<TContent> contents = {
      {"zeros", [](std::size_t size) { return std::string(size, '\0'); }},
      {"random", [](std::size_t size) { return Noise(size, 5); }},
      {"random then zeros",
       [](std::size_t size) {
         // A buffer's worth and one byte of random data, then zeros.
         std::string data = Noise(std::min(size, kBuffer + 1), 6);
         data.resize(size, '\0');
         return data;
       }},
      {"text",
       [](std::size_t size) {
         std::string data;
         for (int line = 0; data.size() < size; ++line)
           data += "line " + std::to_string(line) + ": settings, shortcuts and the uninstaller\r\n";
         data.resize(size);
         return data;
       }},
  };
  std::vector<std::size_t> sizes;
  for (std::size_t buffers : {1, 2, 3})
    for (long past : {-1, 0, 1, 64, 100, 228, 244, 4096}) sizes.push_back(buffers * kBuffer + past);

  for (std::size_t size : sizes) {
    for (const TContent& content : contents) {
      const std::string data = content.make(size);
      ASSERT_EQ(data.size(), size);
      for (int level : {0, 1, 6, 9}) {
        SCOPED_TRACE(std::to_string(size) + " bytes of " + content.label + ", level " + std::to_string(level));
        TTestArchive archive;
        archive.entries = {{.name = "data.bin", .data = data, .level = level}};
        TZipArchive zip(MakeZip(archive));
        ASSERT_EQ(zip.Entries().size(), 1u);
        EXPECT_EQ(zip.Entries()[0].Crc32, Crc(data));
        EXPECT_EQ(ZipErrorOf([&] { zip.ExtractAll(Text(In("out"))); }), "(no EZipError)");
        const std::string extracted = ReadFile(In("out/data.bin"));
        EXPECT_EQ(extracted.size(), size);
        EXPECT_TRUE(extracted == data);  // not EXPECT_EQ: a failure would print megabytes
        EXPECT_EQ(Crc(extracted), Crc(data));
      }
    }
  }
}

TEST_F(ZipTest, ExtractsStoredAndDeflatedEntriesOfEverySizeClassByteExact) {
  constexpr std::size_t kPiece = 256 * 1024;
  // Around the reader's pieces, several megabytes (inflated in one piece), and past the bound above
  // which a deflated entry is streamed instead.
  const std::vector<std::size_t> sizes = {0,          1,          kPiece - 1, kPiece,         kPiece + 1,
                                          3 * kPiece - 1, 3 * kPiece + 1, 5'000'000, 21 * 1024 * 1024 + 7};
  auto content = [](std::size_t size, std::uint32_t seed) {
    // Half noise, half text: both the inflater's literal and its match paths see data.
    std::string data = Noise(size / 2, seed);
    for (int line = 0; data.size() < size; ++line) data += "entry " + std::to_string(line) + " of the payload\n";
    data.resize(size);
    return data;
  };
  for (std::uint16_t method : {std::uint16_t{0}, std::uint16_t{Z_DEFLATED}}) {
    TTestArchive archive;
    for (std::size_t i = 0; i < sizes.size(); ++i)
      archive.entries.push_back({.name = "sub/" + std::to_string(sizes[i]) + ".dat",
                                 .data = content(sizes[i], static_cast<std::uint32_t>(i + 1)),
                                 .method = method,
                                 .level = 1});
    const std::string label = method == 0 ? "stored" : "deflated";
    const fs::path out = In("out-" + label);
    TZipArchive zip(MakeZip(archive, label + ".zip"));
    std::vector<std::string> heard;
    EXPECT_EQ(ZipErrorOf([&] { zip.ExtractAll(Text(out), [&](const std::string& f) { heard.push_back(f); }); }),
              "(no EZipError)");
    std::vector<std::string> expected;
    for (const TTestEntry& e : archive.entries) {
      SCOPED_TRACE(label + " " + e.name);
      expected.push_back(Native(e.name));
      const std::string extracted = ReadFile(out / platform::ToPath(e.name));
      EXPECT_EQ(extracted.size(), e.data.size());
      EXPECT_TRUE(extracted == e.data);  // not EXPECT_EQ: a failure would print megabytes
    }
    EXPECT_EQ(heard, expected);  // in archive order, whichever thread wrote which

    // A recorded CRC that does not match is caught on each path, and then no file of the archive is
    // published, neither the damaged one nor the good one beside it.
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      SCOPED_TRACE(label + " " + std::to_string(sizes[i]) + " bytes with a wrong CRC");
      TTestArchive damaged;
      damaged.entries = {{.name = "sub/good.txt", .data = "good"}, archive.entries[i]};
      damaged.entries[1].crcXor = 0x00800001;
      const fs::path fresh = In("fresh");
      fs::remove_all(fresh);
      TZipArchive bad(MakeZip(damaged, "damaged.zip"));
      EXPECT_EQ(ZipErrorOf([&] { bad.ExtractAll(Text(fresh)); }),
                "ZIP entry \"" + damaged.entries[1].name + "\": CRC-32 mismatch (the data is damaged)");
      EXPECT_EQ(FileTree(fresh), (std::map<std::string, std::string>{{"sub", "<folder>"}}));
    }
  }
}

// Stored entries named by their number, the data being the name, each local header right after the one
// before; so any entry read twice, missed or misplaced shows.
TTestArchive NumberedArchive(std::size_t count) {
  TTestArchive archive;
  archive.entries.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::string name = "f" + std::to_string(i / 1000) + "/" + std::to_string(i) + ".txt";
    archive.entries.push_back({.name = name, .data = name, .method = 0});
  }
  return archive;
}

// Extracting this many files takes minutes under Wine, so the directory is held against what was written
// entry by entry instead; extraction works from these fields alone.
TEST_F(ZipTest, ReadsTheLargestClassicEntryCountAndLargerCountsFromTheZip64Record) {
  struct TCase {
    const char* label;
    std::size_t count;
    bool zip64End;
  };
  const std::vector<TCase> cases = {
      {"65,535 entries, classic end record only", 65535, false},
      {"65,535 entries, ZIP64 end record", 65535, true},
      {"65,536 entries, ZIP64 end record", 65536, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.label);
    TTestArchive archive = NumberedArchive(c.count);
    archive.zip64End = c.zip64End;
    TZipArchive zip(MakeZip(archive));
    ASSERT_EQ(zip.Entries().size(), c.count);
    std::uint64_t offset = 0;
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < c.count; ++i) {
      const installer::TZipEntry& read = zip.Entries()[i];
      const TTestEntry& written = archive.entries[i];
      if (read.Name != written.name || read.Size != written.data.size() || read.CompressedSize != read.Size ||
          read.Crc32 != Crc(written.data) || read.LocalHeaderOffset != offset || read.IsFolder) {
        if (++wrong == 1)
          ADD_FAILURE() << "entry " << i << " read as \"" << read.Name << "\" at " << read.LocalHeaderOffset;
      }
      offset += 30 + written.name.size() + written.data.size();
    }
    EXPECT_EQ(wrong, 0u);
  }
}

TEST_F(ZipTest, RefusesADirectoryHoldingMoreEntriesThanTheEndRecordCounts) {
  struct TCase {
    const char* label;
    std::size_t entries;
    long countDelta;
    std::string error;
  };
  const std::string missing = "the ZIP64 end of central directory record is missing";
  const std::string more = "the central directory holds more entries than its end record counts";
  const std::vector<TCase> cases = {
      {"65,536 entries counted as 65,535", 65536, -1, missing},
      {"65,536 entries, the count wrapped to 0", 65536, 0, more},
      {"three entries counted as two", 3, -1, more},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.label);
    TTestArchive archive = NumberedArchive(c.entries);
    archive.countDelta = c.countDelta;
    std::string path = MakeZip(archive);
    EXPECT_EQ(ZipErrorOf([&] { TZipArchive zip(path); }), "Cannot read the ZIP archive \"" + path + "\": " + c.error);
  }
}

TEST_F(ZipTest, RefusesDamagedOrMissingZip64EndRecords) {
  // From the end of an archive without comment: the ZIP64 record (56 bytes), its locator (20), the classic
  // end record (22).
  constexpr std::size_t kRecord = 98, kLocator = 42, kEnd = 22;
  struct TCase {
    const char* label;
    bool zip64End;
    std::size_t fromEnd;  // where the patch goes
    std::string patch;
    std::string error;
  };
  auto le = [](std::uint64_t value, int width) {
    std::string out;
    for (int i = 0; i < width; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
    return out;
  };
  const std::vector<TCase> cases = {
      {"locator points past its own place", true, kLocator - 8, le(1u << 20, 8),
       "the ZIP64 end of central directory record lies outside the archive"},
      {"record signature damaged", true, kRecord, "PK\x06\x07", "the ZIP64 end of central directory record is damaged"},
      {"locator counts two disks", true, kLocator - 16, le(2, 4), "archives spanning several disks are not supported"},
      {"record counts a million entries", true, kRecord - 24, le(1000000, 8) + le(1000000, 8),
       "the central directory is too short for its 1000000 entries"},
      {"record puts the directory past itself", true, kRecord - 48, le(1u << 20, 8),
       "the central directory lies outside the archive"},
      {"classic directory offset marked, no ZIP64 record", false, kEnd - 16, le(0xFFFFFFFF, 4),
       "the ZIP64 end of central directory record is missing"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.label);
    TTestArchive archive;
    archive.entries = {{.name = "a.txt", .data = "a"}, {.name = "b.txt", .data = "b"}};
    archive.zip64End = c.zip64End;
    std::string bytes = BuildZip(archive);
    bytes.replace(bytes.size() - c.fromEnd, c.patch.size(), c.patch);
    WriteFile(In("app.zip"), bytes);
    std::string path = Text(In("app.zip"));
    EXPECT_EQ(ZipErrorOf([&] { TZipArchive zip(path); }), "Cannot read the ZIP archive \"" + path + "\": " + c.error);
  }
}

}  // namespace

// The carried uninstaller is a gzip member: it comes out whole, and a damaged one is refused rather
// than written out as a broken program.
TEST(GunzipTest, InflatesWholeMembersAndRefusesDamagedOnes) {
  const auto span = [](const std::string& bytes) {
    return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  };
  for (const std::string& data : {std::string(), std::string("x"), Noise(300 * 1024, 7) + std::string(200000, 'a')}) {
    const std::string member = Deflate(data, 9, 16 + MAX_WBITS);
    EXPECT_EQ(installer::GzipInflatedSize(span(member)), data.size());
    const std::vector<std::uint8_t> out = installer::Gunzip(span(member));
    EXPECT_TRUE(std::string(out.begin(), out.end()) == data) << data.size();
  }

  const std::string good = Deflate(Noise(5000, 3), 9, 16 + MAX_WBITS);
  const auto withByte = [&](std::size_t at, char value) {
    std::string bytes = good;
    bytes[at] = value;
    return bytes;
  };
  const std::size_t trailer = good.size() - 8;
  const struct {
    const char* what;
    std::string bytes;
  } damaged[] = {
      {"empty", ""},
      {"no gzip magic", withByte(0, 'P')},
      {"cut short", good.substr(0, good.size() / 2)},
      {"CRC-32 wrong", withByte(trailer, static_cast<char>(good[trailer] ^ 1))},
      {"size says more", withByte(trailer + 4, static_cast<char>(good[trailer + 4] + 1))},
      {"size says less", withByte(trailer + 4, static_cast<char>(good[trailer + 4] - 1))},
      {"bytes after the member", good + "junk"},
  };
  for (const auto& c : damaged)
    EXPECT_NE(ZipErrorOf([&] { installer::Gunzip(span(c.bytes)); }), "(no EZipError)") << c.what;

  // A header may carry an extra field, a file name, a comment and a CRC of its own before the data.
  const std::string data = Noise(5000, 3);
  const auto withFields = [&](std::uint16_t crcChange) {
    std::string header = good.substr(0, 10);
    header[3] = 0x02 | 0x04 | 0x08 | 0x10;
    header += std::string("\x04\0ab\0\0", 6) + std::string("app.exe\0", 8) + std::string("note\0", 5);
    Put16(header, (Crc(header) & 0xFFFF) ^ crcChange);
    return header + good.substr(10);
  };
  const std::vector<std::uint8_t> out = installer::Gunzip(span(withFields(0)));
  EXPECT_TRUE(std::string(out.begin(), out.end()) == data);
  EXPECT_NE(ZipErrorOf([&] { installer::Gunzip(span(withFields(1))); }), "(no EZipError)") << "header CRC wrong";
  EXPECT_NE(ZipErrorOf([&] { installer::Gunzip(span(withByte(3, 0x20))); }), "(no EZipError)") << "reserved flag";
}
