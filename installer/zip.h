// Extracting ZIP archives: every entry checked first, each file verified before it replaces anything.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "installer/zip_directory.h"

namespace installer {

class TZipArchive {
 public:
  // Reads the central directory; EZipError when the file cannot be read or is not a ZIP archive.
  explicit TZipArchive(const std::string& path);
  TZipArchive(const TZipArchive&) = delete;
  TZipArchive& operator=(const TZipArchive&) = delete;

  const std::string& Path() const { return path_; }
  const std::vector<TZipEntry>& Entries() const { return directory_.Entries(); }

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
  std::string path_;
  std::ifstream file_;  // the directory's reader
  TZipDirectory directory_;
};

}  // namespace installer
