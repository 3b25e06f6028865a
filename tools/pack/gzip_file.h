// Gzip-compressing a file, as the installer carries its uninstaller.
#pragma once

#include <filesystem>

namespace pack {

// Writes `input` gzip-compressed at the best compression to `output` (replaced when it exists). The
// member's trailer holds the size and CRC-32 the installer checks the inflated program against; its
// header carries no name and no time, so the same input gives the same bytes.
// std::runtime_error naming the file when one cannot be read or written.
void GzipFile(const std::filesystem::path& input, const std::filesystem::path& output);

}  // namespace pack
