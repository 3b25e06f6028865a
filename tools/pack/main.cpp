// velpack: the build's packing tool. Packs the application's folder into the installer's ZIP archive,
// and gzips the uninstaller the installer carries.
//   velpack zip FOLDER ARCHIVE
//   velpack gzip FILE OUTPUT
#include <cstdio>
#include <exception>
#include <string_view>

#include "tools/pack/gzip_file.h"
#include "tools/pack/zip_writer.h"

int main(int argc, char** argv) {
  std::string_view verb = argc == 4 ? argv[1] : "";
  if (verb != "zip" && verb != "gzip") {
    std::fprintf(stderr, "usage: velpack zip FOLDER ARCHIVE\n       velpack gzip FILE OUTPUT\n");
    return 2;
  }
  try {
    if (verb == "gzip") {
      pack::GzipFile(argv[2], argv[3]);
      return 0;
    }
    std::size_t files = 0, deflated = 0;
    for (const pack::TPackedEntry& entry : pack::WriteZip(argv[2], argv[3])) {
      if (entry.Name.ends_with('/')) continue;
      ++files;
      deflated += entry.Deflated;
    }
    std::printf("packed %zu files: %zu deflated, %zu stored\n", files, deflated, files - deflated);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "velpack: %s\n", error.what());
    return 1;
  }
}
