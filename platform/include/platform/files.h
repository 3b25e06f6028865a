// Files and folders: UTF-8 paths to the standard library's paths, and the INI (private profile) files.
#pragma once

#include <exception>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// The system's path separator: "\" on Windows, "/" on Linux.
#ifdef _WIN32
inline constexpr char kPathDelim = '\\';
#else
inline constexpr char kPathDelim = '/';
#endif

// Whether the file system tells names apart by letter case: Linux does, Windows does not.
#ifdef _WIN32
inline constexpr bool kCaseSensitiveNames = false;
#else
inline constexpr bool kCaseSensitiveNames = true;
#endif

std::filesystem::path ToPath(std::string_view utf8);
std::string FromPath(const std::filesystem::path& path);

// Lets the file run as a program where that is a property of the file (Linux: the execute bits for
// whoever may read it); Windows runs programs by their suffix, so there it does nothing.
void MarkExecutable(const std::filesystem::path& path);

// A symbolic link, junction or other reparse point, which the standard library does not see on every
// system.
bool IsLink(const std::filesystem::path& path);

// Temporary names for a file written in full and then renamed over its target, so a reader never sees
// half of it. Each carries the process's id and a count of the process's own, so two writes of the
// same target, in one process or in two at once, never share one: the target's name followed by
// ".<id>-<count>" and `suffix` (".tmp", ".part"), or in `folder` a short `prefix` + "<id>-<count>" +
// `suffix` where the target's own name may already be as long as a name can be.
std::filesystem::path TemporaryNameFor(const std::filesystem::path& target, std::string_view suffix);
std::filesystem::path TemporaryNameIn(const std::filesystem::path& folder, std::string_view prefix,
                                      std::string_view suffix);
// Whether a file name is one the functions above give: what an interrupted write leaves behind.
bool IsTemporaryNameFor(std::string_view name, std::string_view target, std::string_view suffix);
bool IsTemporaryNameIn(std::string_view name, std::string_view prefix, std::string_view suffix);

// Creates or replaces `file` with `data`; std::system_error with the system's reason (a full disk
// included) when it cannot. Data that lies in a mapped file, as what the executable carries does, is
// copied file to file by the system where it can (Linux): reading it through the mapping would touch
// every page, which on some virtual machines costs more than the copy itself.
void WriteFileData(const std::filesystem::path& file, std::span<const std::uint8_t> data);

// Writes `data` under a temporary name of this write's own beside `target` (`suffix`: ".tmp",
// ".part"), marks it executable when asked, and renames it over `target`: a reader, a full disk or a
// kill never leaves half a file under the target's name. std::system_error "Cannot write TARGET" or
// "Cannot replace TARGET" with the system's reason when it cannot; the temporary file is gone then.
void ReplaceFileWith(const std::filesystem::path& target, std::span<const std::uint8_t> data, std::string_view suffix,
                     bool executable = false);

// Whether an error says the disk (or the volume's quota) is full, whichever way it travelled: as an
// error code, or as the system's text inside another message.
bool IsNoSpaceError(const std::exception& error);

// INI files: sections in square brackets, one key=value per line. Writing replaces an existing key
// of the section (names compared without regard to letter case), appends a missing key at the end of
// its section and a missing section at the end of the file, and keeps every other line. Throws
// std::system_error when the file cannot be written.
void IniWriteString(const std::string& file, std::string_view section, std::string_view key,
                    std::string_view value);
// Several IniWriteString calls in one: the file is read and written once, and a reader never sees
// some of the values without the others.
struct TIniValue {
  std::string Section, Key, Value;
};
void IniWriteStrings(const std::string& file, const std::vector<TIniValue>& values);
// Replaces the whole section with `lines` ("key=value" each), keeping the rest of the file; one write
// however many keys, where IniWriteString rewrites the file per key.
void IniWriteSection(const std::string& file, std::string_view section,
                     const std::vector<std::string>& lines);
// The value of the key, or `fallback` when the file, the section or the key is missing.
std::string IniReadString(const std::string& file, std::string_view section, std::string_view key,
                          std::string_view fallback = {});
// Every key of the section with its value, in file order, read the way IniReadString reads one;
// empty when the file or the section is missing. One read however many keys.
std::vector<std::pair<std::string, std::string>> IniReadSection(const std::string& file,
                                                                 std::string_view section);

}  // namespace platform
