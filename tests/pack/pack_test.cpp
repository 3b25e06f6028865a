// Tests of the build's packing tool: what it writes must read back through the installer's own readers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "child_process.h"
#include "file_tree.h"
#include "installer/gzip.h"
#include "installer/zip.h"
#include "platform/files.h"
#include "tools/pack/gzip_file.h"
#include "tools/pack/worth_deflating.h"
#include "tools/pack/zip_writer.h"

using testsupport::FileTree;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

namespace fs = std::filesystem;

// Bytes that do not compress.
std::string Noise(std::size_t size, std::uint32_t seed) {
  std::string out(size, '\0');
  for (char& c : out) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return out;
}

const std::string kText = "Quarrow Studio keeps its settings in settings.ini beside the program.\n";

class PackTest : public testing::Test {
 protected:
  void SetUp() override { root_ = platform::ToPath(testsupport::MakeTempFolder()); }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  fs::path In(const std::string& relative) const { return root_ / platform::ToPath(relative); }

  fs::path root_;
};

TEST_F(PackTest, ArchiveReadsBackThroughTheInstallersReaderFileForFile) {
  fs::path app = In("app");
  WriteFile(app / "readme.txt", [] { std::string s; for (int i = 0; i < 40; ++i) s += kText; return s; }());
  WriteFile(app / "media" / "intro.bin", Noise(300000, 7));
  WriteFile(app / "empty.txt", "");
  WriteFile(app / "B.txt", "upper case sorts first");
  WriteFile(app / platform::ToPath("\xC3\xBC" "bersicht.txt"), "Quarrow Studio 2.4\n");
  WriteFile(app / "bin" / "QuarrowStudio.exe", std::string(70000, 'x') + Noise(1000, 3));
  fs::create_directories(app / "plugins");
  fs::path program = app / "bin" / "QuarrowStudio.exe";
  fs::permissions(program, fs::perms::owner_exec | fs::perms::group_exec, fs::perm_options::add);

  std::vector<pack::TPackedEntry> packed = pack::WriteZip(app, In("app.zip"));
  installer::TZipArchive zip(platform::FromPath(In("app.zip")));
  struct TExpected {
    std::string name;
    bool deflated;
  };
  const std::vector<TExpected> expected = {
      {"B.txt", false},        {"bin/", false},          {"bin/QuarrowStudio.exe", true},
      {"empty.txt", false},    {"media/", false},        {"media/intro.bin", false},
      {"plugins/", false},     {"readme.txt", true},     {"\xC3\xBC" "bersicht.txt", false},
  };
  ASSERT_EQ(zip.Entries().size(), expected.size());
  ASSERT_EQ(packed.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(zip.Entries()[i].Name, expected[i].name);
    EXPECT_EQ(zip.Entries()[i].Method, expected[i].deflated ? 8 : 0);
    EXPECT_EQ(packed[i].Name, expected[i].name);
    EXPECT_EQ(packed[i].Deflated, expected[i].deflated);
  }

  fs::path out = In("out");
  zip.ExtractAll(platform::FromPath(out));
  EXPECT_EQ(FileTree(out), FileTree(app));
  // Where files carry execute bits, the program keeps them and the others stay without.
  if (platform::kPathDelim == '/') {
    EXPECT_NE(fs::status(out / "bin" / "QuarrowStudio.exe").permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(fs::status(out / "readme.txt").permissions() & fs::perms::owner_exec, fs::perms::none);
  }
}

TEST_F(PackTest, SameFilesGiveTheSameBytesWhateverTheirTimesAndCreationOrder) {
  WriteFile(In("one/b/data.bin"), Noise(5000, 1));
  WriteFile(In("one/a.txt"), kText + kText + kText);
  WriteFile(In("two/a.txt"), kText + kText + kText);
  WriteFile(In("two/b/data.bin"), Noise(5000, 1));
  fs::last_write_time(In("two/a.txt"), fs::last_write_time(In("one/a.txt")) - std::chrono::hours(24 * 400));
  pack::WriteZip(In("one"), In("one.zip"));
  pack::WriteZip(In("two"), In("two.zip"));
  std::string bytes = ReadFile(In("one.zip"));
  EXPECT_FALSE(bytes.empty());
  EXPECT_EQ(bytes, ReadFile(In("two.zip")));
  // Written again over an existing archive: replaced, the same bytes.
  pack::WriteZip(In("one"), In("two.zip"));
  EXPECT_EQ(bytes, ReadFile(In("two.zip")));
}

TEST_F(PackTest, FilesAreDeflatedOnlyWhenDeflateShrinksThemByThreePercent) {
  // Large files are judged by samples spread over the whole file.
  const std::size_t kLarge = (17u << 20) + 12345;
  std::string noiseWithZeroTail = Noise(kLarge, 5);
  std::fill(noiseWithZeroTail.end() - (3 << 20), noiseWithZeroTail.end(), '\0');
  struct TCase {
    const char* what;
    std::string content;
    bool deflated;
  } cases[] = {
      {"empty", "", false},
      {"one short line", "Quarrow Studio 2.4\n", false},
      {"repeated text", std::string(10000, 'q'), true},
      {"random bytes", Noise(200000, 9), false},
      {"random bytes with a tenth zeros", Noise(180000, 9) + std::string(20000, '\0'), true},
      {"large, zeros", std::string(kLarge, '\0'), true},
      {"large, random", Noise(kLarge, 6), false},
      {"large, random with zeros at the end", noiseWithZeroTail, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(In("file"), c.content);
    EXPECT_EQ(pack::WorthDeflating(In("file"), c.content.size()), c.deflated);
  }
}

TEST_F(PackTest, GzipRoundTripsThroughTheInstallersCheckAndRepeatsItsBytes) {
  for (const std::string& content : {std::string(), kText, Noise(3 << 20, 4) + std::string(1 << 20, 'u')}) {
    SCOPED_TRACE(content.size());
    WriteFile(In("Uninstall.exe"), content);
    pack::GzipFile(In("Uninstall.exe"), In("uninstall.bin"));
    std::string member = ReadFile(In("uninstall.bin"));
    std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(member.data()), member.size());
    EXPECT_EQ(installer::GzipInflatedSize(bytes), content.size());
    std::vector<std::uint8_t> inflated = installer::Gunzip(bytes);
    EXPECT_EQ(std::string(inflated.begin(), inflated.end()), content);
    pack::GzipFile(In("Uninstall.exe"), In("again.bin"));
    EXPECT_EQ(ReadFile(In("again.bin")), member);
  }
}

TEST_F(PackTest, AFailedRunLeavesNoArchiveBehind) {
  WriteFile(In("app.zip"), "an archive of an earlier build");
  EXPECT_THROW(pack::WriteZip(In("missing"), In("app.zip")), std::runtime_error);
  EXPECT_THROW(pack::GzipFile(In("missing.exe"), In("uninstall.bin")), std::runtime_error);
  std::map<std::string, std::string> expected = {{"app.zip", "an archive of an earlier build"}};
  EXPECT_EQ(FileTree(root_), expected);
}

}  // namespace
