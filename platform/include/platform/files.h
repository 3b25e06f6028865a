// Files and folders: UTF-8 paths to the standard library's paths, and the INI (private profile) files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// The system's path separator: "\" on Windows, "/" on Linux.
#ifdef _WIN32
inline constexpr char kPathDelim = '\\';
#else
inline constexpr char kPathDelim = '/';
#endif

std::filesystem::path ToPath(std::string_view utf8);
std::string FromPath(const std::filesystem::path& path);

// INI files: sections in square brackets, one key=value per line. Writing replaces an existing key
// of the section (names compared without regard to letter case), appends a missing key at the end of
// its section and a missing section at the end of the file, and keeps every other line. Throws
// std::system_error when the file cannot be written.
void IniWriteString(const std::string& file, std::string_view section, std::string_view key,
                    std::string_view value);
// The value of the key, or `fallback` when the file, the section or the key is missing.
std::string IniReadString(const std::string& file, std::string_view section, std::string_view key,
                          std::string_view fallback = {});

}  // namespace platform
