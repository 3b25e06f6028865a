// Whether a file is worth deflating in the application's archive, judged by its content.
#pragma once

#include <cstdint>
#include <filesystem>

namespace pack {

// True when deflate shrinks the file's content by at least a few percent. Files it would not shrink
// (media, already-compressed data) are better stored: installing them costs a copy, not an inflation.
// A large file is judged by evenly spread samples, so judging stays quick for a file of gigabytes.
bool WorthDeflating(const std::filesystem::path& file, std::uint64_t size);

}  // namespace pack
