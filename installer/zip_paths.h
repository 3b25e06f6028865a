// Where a ZIP entry may land: below the extraction folder only, under a name Windows can hold, never through a link.
#pragma once

#include <filesystem>
#include <string>

namespace installer {

// The entry's path below the extraction folder; EZipError when the name could land anywhere else or
// cannot be a file name on Windows (refused on both systems, so an archive behaves the same everywhere).
std::filesystem::path SafeRelativePath(const std::string& name);

// Drops a trailing separator, so that the folder's path compares element by element with paths below it.
std::filesystem::path WithoutTrailingSeparator(std::filesystem::path path);

// The folder with every link resolved; EZipError when it cannot be resolved.
std::filesystem::path CanonicalFolder(const std::filesystem::path& folder);

// EZipError naming entry `name` unless `path` (at or below `root`, whose resolved form is
// `canonicalFolder`) stays inside the folder once existing links are followed.
void CheckInside(const std::filesystem::path& path, const std::filesystem::path& root,
                 const std::filesystem::path& canonicalFolder, const std::string& name);

}  // namespace installer
