// Packing a folder into the application's ZIP archive.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pack {

struct TPackedEntry {
  std::string Name;  // "/"-separated, relative to the folder; a folder's ends in "/"
  bool Deflated = false;
};

// Writes every file and folder under `folder` into the ZIP archive `archive` (replaced when it
// exists; written whole or not at all) and returns its entries in archive order. Files deflate would
// not shrink by a few percent are stored (WorthDeflating), the others deflated. The entries come in
// sorted order with a fixed time and normalised attributes (a folder, a program with its execute bits,
// or a plain file), so the same files give the same bytes on every build. ZIP64 records appear only
// where sizes, offsets or the entry count need them. std::runtime_error naming the file on failure.
std::vector<TPackedEntry> WriteZip(const std::filesystem::path& folder, const std::filesystem::path& archive);

}  // namespace pack
